#include "sim/PlantModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/model/Float24.h"

namespace zul {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStepSeconds = 0.1;
constexpr int64_t kLongestCatchUpMs = 3600 * 1000;  // a clock jump is not worth simulating beyond an hour
constexpr double kProcessTimeConstant = 15.0;       // seconds
constexpr int kRecordSize = 11;

uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

float F24(const uint8_t* at) { return Float24ToFloat(at); }

std::array<uint8_t, 8> Reading(float value, uint8_t status, bool blank) {
  std::array<uint8_t, 8> out{};
  char text[32];
  const char* formats[] = {"%7.2f", "%7.1f", "%7.0f"};
  std::string shown = "*******";
  if (!blank) {
    for (const char* f : formats) {
      int n = std::snprintf(text, sizeof text, f, static_cast<double>(value));
      if (n > 0 && n <= 7) {
        shown = text;
        break;
      }
    }
  } else {
    shown = "       ";
  }
  std::memcpy(out.data(), shown.data(), 7);
  out[7] = status;
  return out;
}

float Clamp(float v, float lo, float hi) { return std::max(lo, std::min(hi, v)); }

}  // namespace

PlantModel::PlantModel(const Composition& composition, const BlockStore& blocks, uint64_t seed,
                       int64_t startMs)
    : composition_(composition),
      blocks_(blocks),
      seed_(seed),
      startMs_(startMs),
      nowMs_(startMs),
      steppedMs_(startMs) {
  RebuildSignalMap();
  RebuildRelayOutputs();
}

void PlantModel::AdvanceTo(int64_t nowMs) {
  if (nowMs < nowMs_) return;
  nowMs_ = nowMs;
  if (nowMs_ - steppedMs_ > kLongestCatchUpMs) steppedMs_ = nowMs_ - kLongestCatchUpMs;
  while (steppedMs_ + 100 <= nowMs_) {
    StepLoops(kStepSeconds);
    steppedMs_ += 100;
  }
  SyncLoops();
  RebuildSignalMap();
  RebuildRelayOutputs();
}

PlantModel::Scale PlantModel::ScaleOf(int signal) const {
  const BlockBytes& record = blocks_.at(signal / 6 + 1);
  const uint8_t* c = record.data() + 1 + 28 * (signal % 6);
  return {F24(c + 2), F24(c + 5), F24(c + 8), F24(c + 11), F24(c + 14), F24(c + 17)};
}

double PlantModel::Wave(int salt, int index, double minPeriod, double spread) const {
  uint64_t h = Mix(seed_ ^ (static_cast<uint64_t>(salt) << 32) ^ static_cast<uint64_t>(index));
  double period = minPeriod + static_cast<double>(h % 1000) / 1000.0 * spread;
  double phase = static_cast<double>((h >> 20) % 1000) / 1000.0;
  return std::sin(2.0 * kPi * (Seconds() / period + phase));
}

int PlantModel::LoopOfInput(int signal) const {
  for (int r = 0; r < kRegulatorLoops; ++r) {
    if (loops_[r].pvInput == signal + 1) return r;
  }
  return -1;
}

float PlantModel::AnalogValue(int signal) const {
  if (signal < 0 || signal >= kAnalogSignals) return 0.0f;
  Scale s = ScaleOf(signal);
  int r = LoopOfInput(signal);
  double fraction = r >= 0 ? loops_[r].pvPercent / 100.0 : 0.5 + 0.48 * Wave(1, signal, 60.0, 120.0);
  return static_cast<float>(s.min + s.Span() * fraction);
}

int PlantModel::AlarmState(int signal) const {
  Scale s = ScaleOf(signal);
  float v = AnalogValue(signal);
  if (v <= s.ll && s.ll > s.min) return 4;
  if (v <= s.l && s.l > s.min) return 3;
  if (v >= s.hh && s.hh < s.max) return 6;
  if (v >= s.h && s.h < s.max) return 5;
  return 0;
}

int PlantModel::ModuleSlotOfAnalog(int signal) const {
  int module = signal / 6;
  return module < composition_.AiModules() ? composition_.AnalogModuleSlot(module) : 0;
}

std::array<uint8_t, 8> PlantModel::AnalogReading(int signal) const {
  if (signal < 0 || signal >= kAnalogSignals) return Reading(0, 0, true);
  const bool faulty = SlotFaulty(ModuleSlotOfAnalog(signal));
  uint8_t status = faulty ? 0x40 : static_cast<uint8_t>(AlarmState(signal));
  int module = signal / 6 + 1;
  if (module <= composition_.AiModules() && CalibrationMode(module, signal % 6 + 1)) status |= 0x20;
  return Reading(AnalogValue(signal), status, faulty);
}

float PlantModel::ReferenceValue(int module) const {
  return static_cast<float>(22.0 + 1.5 * Wave(2, module, 300.0, 200.0));
}

std::array<uint8_t, 8> PlantModel::ReferenceReading(int module) const {
  uint8_t status = CalibrationMode(module, 7) ? 0x20 : 0;
  return Reading(ReferenceValue(module), status, false);
}

void PlantModel::RebuildSignalMap() {
  signals_.fill({});
  const int di = composition_.DiCount();
  const int ai = composition_.AiCount();
  int next = 0;
  for (int i = 0; i < di && next < kDiscreteSignals; ++i) signals_[next++] = {SignalKind::OwnInput, i, 0};
  for (int a = 0; a < ai; ++a) {
    for (int k = 0; k < 4 && next < kDiscreteSignals; ++k) signals_[next++] = {SignalKind::AnalogLimit, a, k};
  }
  // Network signals follow in entry order, as the signal base numbers them.
  const BlockBytes& master = blocks_.at(10);
  int netInput = 0;
  int netAnalog = ai;
  for (int k = 0; k < 16; ++k) {
    int function = master[1 + 12 * k];
    int outputs = master[2 + 12 * k];
    for (int i = 0; i < outputs; ++i) {
      if (function == 1 || function == 2) {
        if (next < kDiscreteSignals) signals_[next++] = {SignalKind::NetworkInput, netInput++, 0};
      } else if (function == 3 || function == 4) {
        for (int l = 0; l < 4; ++l) {
          if (next < kDiscreteSignals && netAnalog < kAnalogSignals) {
            signals_[next++] = {SignalKind::AnalogLimit, netAnalog, l};
          }
        }
        ++netAnalog;
      }
    }
  }
}

bool PlantModel::DiscreteOn(int signal) const {
  if (signal < 0 || signal >= kDiscreteSignals) return false;
  const SignalRef& ref = signals_[signal];
  switch (ref.kind) {
    case SignalKind::OwnInput:
      return Wave(3, ref.index, 8.0, 30.0) > 0.3;
    case SignalKind::NetworkInput:
      return Wave(4, ref.index, 10.0, 40.0) > 0.0;
    case SignalKind::AnalogLimit: {
      int state = AlarmState(ref.index);
      switch (ref.limit) {
        case 0:
          return state == 4;
        case 1:
          return state == 3 || state == 4;
        case 2:
          return state == 5 || state == 6;
        default:
          return state == 6;
      }
    }
    case SignalKind::None:
      break;
  }
  return false;
}

bool PlantModel::DiscreteInvalid(int signal) const {
  if (signal < 0 || signal >= kDiscreteSignals) return false;
  const SignalRef& ref = signals_[signal];
  if (ref.kind == SignalKind::OwnInput) return SlotFaulty(composition_.DiscreteModuleSlot(ref.index / 12));
  if (ref.kind == SignalKind::AnalogLimit) return SlotFaulty(ModuleSlotOfAnalog(ref.index));
  return false;
}

void PlantModel::RebuildRelayOutputs() {
  relays_.reset();
  for (int s = 0; s < kDiscreteSignals; ++s) {
    const BlockBytes& block = blocks_.at(12 + s / 18);
    const uint8_t* record = block.data() + 1 + kRecordSize * (s % 18);
    bool drives = false;
    for (int m = 1; m <= 8; ++m) drives = drives || record[m] != 0;
    if (!drives || !DiscreteOn(s)) continue;
    for (int m = 1; m <= 8; ++m) {
      for (int bit = 0; bit < 8; ++bit) {
        if (record[m] & (1 << bit)) relays_.set(static_cast<size_t>(8 * (m - 1) + bit));
      }
    }
  }
}

bool PlantModel::RelayOutput(int output) const {
  return output >= 0 && output < kRelayOutputs && relays_.test(static_cast<size_t>(output));
}

void PlantModel::SetSlotFaulty(int slot, bool faulty) {
  if (slot >= 1 && slot <= kModuleSlots) faultySlots_.set(static_cast<size_t>(slot), faulty);
}

bool PlantModel::SlotFaulty(int slot) const {
  return slot >= 1 && slot <= kModuleSlots && faultySlots_.test(static_cast<size_t>(slot));
}

// --- regulators ----------------------------------------------------------

void PlantModel::StepLoops(double dt) {
  SyncLoops();
  for (int r = 0; r < kRegulatorLoops; ++r) StepLoop(r, dt);
}

int PlantModel::LoopKind(const uint8_t* rec) {
  const int spSource = rec[1], output = rec[2], action = rec[3];
  if (spSource == 0) return action == 0 ? 0 : 4;
  if ((spSource == 1 && output > 7) || (spSource >= 8 && spSource <= 13)) return 2;
  if (spSource >= 16 && spSource <= 21) return 3;
  return 1;
}

// A loop comes alive, or starts afresh, when its record names a new input.
void PlantModel::SyncLoops() {
  for (int r = 0; r < kRegulatorLoops; ++r) {
    Loop& loop = loops_[r];
    const uint8_t* rec = blocks_.at(32).data() + 1 + 28 * r;
    const int pvInput = rec[0] >= 1 && rec[0] <= kAnalogSignals ? rec[0] : 0;
    if (loop.pvInput == pvInput) continue;
    loop = Loop{};
    if (pvInput == 0) continue;
    const int kind = LoopKind(rec);
    Scale scale = ScaleOf(pvInput - 1);
    loop.pvInput = pvInput;
    loop.pvPercent = 40.0f;
    loop.output = 40.0f;
    loop.setpoint = scale.min + 0.5f * scale.Span();
    loop.automatic = loop.switchedOn = kind >= 1 && kind <= 3;
  }
}

void PlantModel::StepLoop(int r, double dt) {
  Loop& loop = loops_[r];
  if (loop.pvInput == 0) return;
  const uint8_t* rec = blocks_.at(32).data() + 1 + 28 * r;
  const int spSource = rec[1], output = rec[2], action = rec[3];
  const int kind = LoopKind(rec);
  Scale scale = ScaleOf(loop.pvInput - 1);

  // Where the setpoint comes from.
  if (spSource >= 8 && spSource <= 13) {
    loop.setpoint = scale.min + scale.Span() * loops_[spSource - 8].output / 100.0f;
  } else if (spSource >= 16 && spSource <= 21) {
    const uint8_t* program = blocks_.at(33).data() + 1 + 28 * (spSource - 16);
    double total = 0;
    for (int t = 0; t < 6; ++t) total += program[1 + 4 * t] | (program[2 + 4 * t] << 8);
    if (total > 0) {
      loop.programSeconds = std::fmod(loop.programSeconds + dt, total);
      double at = loop.programSeconds;
      for (int t = 0; t < 6; ++t) {
        double length = program[1 + 4 * t] | (program[2 + 4 * t] << 8);
        if (at < length) {
          int value = static_cast<int16_t>(program[3 + 4 * t] | (program[4 + 4 * t] << 8));
          loop.setpoint = static_cast<float>(value * scale.Span() / 16383.0);
          break;
        }
        at -= length;
      }
    }
  }

  // The regulator.
  loop.saturated = false;
  if (kind == 0) {
    loop.output = loop.pvPercent;
  } else if (kind == 4) {
    if (loop.automatic) loop.output = static_cast<float>((rec[4] | (rec[5] << 8)) * 100.0 / 16383.0);
  } else if (loop.automatic && loop.switchedOn) {
    float kp = F24(rec + 6), ti = F24(rec + 9), lo = F24(rec + 15), hi = F24(rec + 18);
    if (!(kp > 0.0f) || !std::isfinite(kp)) kp = 1.0f;
    lo = Clamp(lo, 0.0f, 100.0f);
    hi = Clamp(hi, 0.0f, 100.0f);
    if (lo >= hi) {
      lo = 0.0f;
      hi = 100.0f;
    }
    double error = (loop.setpoint - scale.min) / scale.Span() * 100.0 - loop.pvPercent;
    if (action & 1) error = -error;
    double step = ti > 0.0f ? error * dt / ti : 0.0;
    loop.integral += step;
    double u = kp * (error + loop.integral);
    if ((u > hi && error > 0) || (u < lo && error < 0)) loop.integral -= step;  // no wind-up at a limit
    loop.saturated = u >= hi || u <= lo;
    loop.output = Clamp(static_cast<float>(u), lo, hi);
  }

  // The process: a first-order lag behind the output, or, for the outer loop
  // of a cascade, behind the inner loop's process.
  double target = loop.output;
  if (output >= 8 && output <= 13 && output - 8 != r) target = loops_[output - 8].pvPercent;
  loop.pvPercent += static_cast<float>((target - loop.pvPercent) * dt / kProcessTimeConstant);
}

float PlantModel::ProcessValue(int r) const {
  const Loop& loop = loops_[r];
  if (loop.pvInput == 0) return 0.0f;
  return AnalogValue(loop.pvInput - 1);
}

uint8_t PlantModel::LoopStatus(int r) const {
  const Loop& loop = loops_[r];
  uint8_t status = 0;
  if (loop.automatic) status |= 0x01;
  if (loop.switchedOn) status |= 0x02;
  if (loop.saturated) status |= 0x40;
  if (loop.pvInput != 0 && SlotFaulty(ModuleSlotOfAnalog(loop.pvInput - 1))) status |= 0x80;
  return status;
}

void PlantModel::SetSetpoint(int r, float value) {
  if (std::isfinite(value)) loops_[r].setpoint = value;
}

void PlantModel::SetOutput(int r, float percent) {
  if (std::isfinite(percent)) loops_[r].output = Clamp(percent, 0.0f, 100.0f);
}

void PlantModel::SetAutomatic(int r, bool on) {
  Loop& loop = loops_[r];
  if (on && !loop.automatic) {
    // Bumpless: start the integral where the manual output left it.
    const uint8_t* rec = blocks_.at(32).data() + 1 + 28 * r;
    float kp = F24(rec + 6);
    loop.integral = kp > 0.0f ? loop.output / kp : loop.output;
  }
  loop.automatic = on;
  if (!on) loop.switchedOn = false;
}

void PlantModel::SetSwitchedOn(int r, bool on) { loops_[r].switchedOn = on && loops_[r].automatic; }

void PlantModel::NudgeOutput(int r, int direction) {
  Loop& loop = loops_[r];
  if (!loop.automatic) loop.output = Clamp(loop.output + static_cast<float>(direction), 0.0f, 100.0f);
}

// --- calibration ---------------------------------------------------------

void PlantModel::SetCalibrationMode(int module, int input, bool on) {
  if (module >= 1 && module <= 8 && input >= 1 && input <= 7) calibration_[module - 1][input - 1].mode = on;
}

bool PlantModel::CalibrationMode(int module, int input) const {
  return module >= 1 && module <= 8 && input >= 1 && input <= 7 && calibration_[module - 1][input - 1].mode;
}

int16_t PlantModel::AdcCode(int module, int input) const {
  double fraction;
  if (input == 7) {
    fraction = ReferenceValue(module) / 100.0;
  } else {
    int signal = (module - 1) * 6 + input - 1;
    Scale s = ScaleOf(signal);
    fraction = (AnalogValue(signal) - s.min) / s.Span();
  }
  return static_cast<int16_t>(800 + std::lround(3200.0 * std::clamp(fraction, 0.0, 1.0)));
}

void PlantModel::CalibrateStart(int module, int input) {
  if (CalibrationMode(module, input)) calibration_[module - 1][input - 1].start = AdcCode(module, input);
}

void PlantModel::CalibrateEnd(int module, int input) {
  if (CalibrationMode(module, input)) calibration_[module - 1][input - 1].end = AdcCode(module, input);
}

BlockBytes PlantModel::CalibrationBlock(int module) const {
  BlockBytes block(43, 0);
  block[0] = static_cast<uint8_t>(59 + module);
  auto put = [&block](size_t at, int16_t v) {
    block[at] = static_cast<uint8_t>(v & 0xFF);
    block[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  };
  for (int k = 0; k < 7; ++k) {
    const Calibration& c = calibration_[module - 1][k];
    put(1 + 4 * k, c.start);
    put(3 + 4 * k, c.end);
    put(29 + 2 * k, AdcCode(module, k + 1));
  }
  return block;
}

}  // namespace zul
