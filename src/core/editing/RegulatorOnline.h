#pragma once
// The live side of the regulators: one poll (36 holding registers from 672
// with SP, OUT, PV of the six loops, 48 coils from 784 with their modes), the
// mode and nudge coils, SP and OUT writes, the value texts, and the trend
// that keeps the last minutes of a loop for the chart and its CSV export.
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zul {

class ModbusLink;
class Regulators;

inline constexpr int kLoopValueRegister = 672;  // SP of loop 0; OUT + 2, PV + 4, next loop + 6
inline constexpr int kLoopStatusCoil = 784;     // bit b of loop r: 784 + 8r + b
inline constexpr int kLoopRaiseCoil = 104;      // + r
inline constexpr int kLoopLowerCoil = 112;      // + r
inline constexpr const char* kNoValueText = "----";

// Big-endian single precision, as the controller sends and takes it.
float DecodeLoopFloat(const uint8_t* bytes);
std::array<uint8_t, 4> EncodeLoopFloat(float value);

// The request data of the two polls and of the commands.
std::array<uint8_t, 4> LoopValuesRequest();  // 02 A0 00 24
std::array<uint8_t, 4> LoopStatusRequest();  // 03 10 00 30
std::array<uint8_t, 4> CoilCommand(int coil, bool on);
enum class LoopValue { SP = 0, OUT = 2 };
std::array<uint8_t, 9> ValueWrite(int loop, LoopValue which, float value);

// A live value as the online view shows it; "----" for NaN or infinity.
std::string FormatLoopValue(double value);
// The value editor's text: its number when it lies within min..max, else
// nullopt (an empty, non-numeric, NaN or out-of-range text).
std::optional<float> ParseLoopValue(const std::string& text, double min, double max);
std::string LoopValueRangeText(double min, double max);

// One poll: function 3 then function 1. The result of the first request that
// failed, 0 when both came; the values land in `regs` as they come.
int PollLoops(ModbusLink& port, int device, Regulators& regs);
// The same in two steps, so that the answers can cross to the thread that owns
// `regs`: what came (values, then status) and the first failure.
struct LoopPoll {
  int result = 0;
  std::vector<uint8_t> values;
  std::vector<uint8_t> status;
  bool valuesIn = false;
  bool statusIn = false;
};
LoopPoll ReadLoops(ModbusLink& port, int device);
void StoreLoopPoll(Regulators& regs, const LoopPoll& poll);
int WriteCoil(ModbusLink& port, int device, int coil, bool on);
int WriteLoopValue(ModbusLink& port, int device, int loop, LoopValue which, float value);

// The coils the mode buttons write, in order.
struct CoilWrite {
  int coil;
  bool on;
  bool operator==(const CoilWrite&) const = default;
};
// HANDAUT pressed: automatic on. Released: automatic and the loop off.
std::vector<CoilWrite> HandAutCoils(int loop, bool pressed);
// APONOFF pressed switches the loop on only in automatic mode; otherwise the
// button springs back and the loop is written off.
struct ApOnOffOutcome {
  std::vector<CoilWrite> coils;
  bool springsBack = false;
};
ApOnOffOutcome ApOnOffCoils(int loop, bool pressed, bool automatic);

// --- trend ---------------------------------------------------------------------

struct TrendSample {
  int64_t ms = 0;  // milliseconds since the epoch
  float pv = 0, sp = 0, out = 0;
  uint8_t status = 0;
};

// Samples of one loop over a moving window; older ones fall out.
class LoopTrend {
 public:
  explicit LoopTrend(int64_t windowMs = 10 * 60 * 1000) : windowMs_(windowMs) {}
  void Add(const TrendSample& s);
  void Clear() { samples_.clear(); }
  const std::deque<TrendSample>& Samples() const { return samples_; }
  int64_t WindowMs() const { return windowMs_; }
  size_t MemoryBytes() const { return sizeof(*this) + samples_.size() * sizeof(TrendSample); }

 private:
  int64_t windowMs_;
  std::deque<TrendSample> samples_;
};

// The scale PV and SP are drawn on: the input's min..max, or for an input
// without one (a calculation block) the range the recorded PV and SP span,
// a tenth wider each side (0..1 before any number came).
std::pair<double, double> TrendScale(const LoopTrend& trend, double min, double max);

// The CSV export: a header line, then per sample the loop number, its time
// (`timeText` turns milliseconds into text), PV, SP, OUT and the mode bits.
// A value that was not a number stays an empty cell.
std::string TrendCsvHeader();
std::string TrendCsvRows(const LoopTrend& trend, int loopNumber, std::string (*timeText)(int64_t ms));

}  // namespace zul
