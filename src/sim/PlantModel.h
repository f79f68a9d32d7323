#pragma once
// What a simulated controller measures and drives, as functions of time: its
// discrete inputs toggle, analog values move through their scales (so alarm
// states follow the configured setpoints), relay outputs follow the processing
// records, and each regulator loop controls a first-order process. The
// configuration is read live from the controller's block store, so a written
// block takes effect at once. Everything is seeded and depends only on the
// milliseconds passed to AdvanceTo, so two runs on a virtual clock agree.
#include <array>
#include <bitset>
#include <cstdint>

#include "sim/Composition.h"
#include "sim/ControllerBlocks.h"

namespace zul {

inline constexpr int kDiscreteSignals = 252;
inline constexpr int kAnalogSignals = 48;
inline constexpr int kRegulatorLoops = 6;
inline constexpr int kRelayOutputs = 64;

class PlantModel {
 public:
  PlantModel(const Composition& composition, const BlockStore& blocks, uint64_t seed, int64_t startMs);

  void AdvanceTo(int64_t nowMs);

  // Analog signal 0..47: value, and the eight bytes function 71 sends
  // (seven characters of text, then the status byte).
  float AnalogValue(int signal) const;
  std::array<uint8_t, 8> AnalogReading(int signal) const;
  // The reference channel (cold junction) of analog module n (1-based).
  std::array<uint8_t, 8> ReferenceReading(int module) const;

  bool DiscreteOn(int signal) const;       // 0..251
  bool DiscreteInvalid(int signal) const;  // 0..251
  bool RelayOutput(int output) const;      // 0..63, driven by the processing records

  void SetSlotFaulty(int slot, bool faulty);  // slot 1..16
  bool SlotFaulty(int slot) const;

  // Regulator loop r (0..5): SP, OUT (%) and PV; status bits 0 automatic,
  // 1 switched on, 6 output at its limit, 7 input invalid.
  float Setpoint(int r) const { return loops_[r].setpoint; }
  float Output(int r) const { return loops_[r].output; }
  float ProcessValue(int r) const;
  uint8_t LoopStatus(int r) const;
  void SetSetpoint(int r, float value);
  void SetOutput(int r, float percent);
  void SetAutomatic(int r, bool on);
  void SetSwitchedOn(int r, bool on);
  void NudgeOutput(int r, int direction);

  // Calibration of analog module n (1..8), input k (1..7).
  void SetCalibrationMode(int module, int input, bool on);
  bool CalibrationMode(int module, int input) const;
  void CalibrateStart(int module, int input);
  void CalibrateEnd(int module, int input);
  // Block 59 + n: the block number, then per input its two calibration codes
  // and the current ADC code (little-endian 16-bit).
  BlockBytes CalibrationBlock(int module) const;

 private:
  struct Scale {
    float min, max, ll, l, h, hh;
    float Span() const { return max > min ? max - min : 100.0f; }
  };
  struct Loop {
    int pvInput = 0;  // 1..48 while the loop is alive
    float setpoint = 0, output = 0, pvPercent = 0;
    double integral = 0, programSeconds = 0;
    bool automatic = false, switchedOn = false, saturated = false;
  };
  struct Calibration {
    int16_t start = 800, end = 4000;
    bool mode = false;
  };
  enum class SignalKind : uint8_t { None, OwnInput, AnalogLimit, NetworkInput };
  struct SignalRef {
    SignalKind kind = SignalKind::None;
    int index = 0;  // input, or analog signal for a limit
    int limit = 0;  // 0 LL, 1 L, 2 H, 3 HH
  };

  Scale ScaleOf(int signal) const;
  int AlarmState(int signal) const;
  double Seconds() const { return static_cast<double>(nowMs_ - startMs_) / 1000.0; }
  double Wave(int salt, int index, double minPeriod, double spread) const;
  int LoopOfInput(int signal) const;
  int16_t AdcCode(int module, int input) const;
  float ReferenceValue(int module) const;
  int ModuleSlotOfAnalog(int signal) const;

  void RebuildSignalMap();
  void RebuildRelayOutputs();
  static int LoopKind(const uint8_t* record);
  void SyncLoops();
  void StepLoops(double dt);
  void StepLoop(int r, double dt);

  const Composition composition_;
  const BlockStore& blocks_;
  const uint64_t seed_;
  const int64_t startMs_;
  int64_t nowMs_;
  int64_t steppedMs_;
  std::array<SignalRef, kDiscreteSignals> signals_{};
  std::bitset<kRelayOutputs> relays_;
  std::bitset<kModuleSlots + 1> faultySlots_;
  std::array<Loop, kRegulatorLoops> loops_{};
  std::array<std::array<Calibration, 7>, 8> calibration_{};
};

}  // namespace zul
