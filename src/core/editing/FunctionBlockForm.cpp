#include "core/editing/FunctionBlockForm.h"

#include <algorithm>
#include <charconv>

#include "core/config/Configuration.h"

namespace zul {
namespace {

constexpr int kAlarmClock = 5;
constexpr int kMaxTime = 120;
constexpr int kMaxCodesysOutput = 112;
constexpr int kLastParameterByte = 8;

// Digits only; anything else (or nothing) is no number.
std::optional<int> Number(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < 0) return std::nullopt;
  return value;
}

int NumberOr0(const std::string& text) { return Number(text).value_or(0); }

std::string TwoDigits(int v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); }

bool IsTimer(const FunctionBlockValues& v) { return v.kind == ftTimer; }
bool IsComparator(const FunctionBlockValues& v) { return v.kind == ftComparator; }

// Error note of a field outside low..high, or empty.
std::optional<FieldProblem> Range(BlockField field, const std::string& text, int low, int high) {
  const auto n = Number(text);
  std::string message;
  if (!n)
    message = kInputErrorNote;
  else if (*n < low || *n > high)
    message = "Величина вне диапазона " + std::to_string(low) + " - " + std::to_string(high);
  else
    return std::nullopt;
  return FieldProblem{field, text + " " + message, message};
}

}  // namespace

FunctionBlockValues ValuesForKind(int kind) {
  FunctionBlockValues v;
  v.kind = std::clamp(kind, 0, static_cast<int>(ftCounter));
  return v;
}

BlockControls ControlsFor(const FunctionBlockValues& v) {
  BlockControls c;
  const int subtype = IsTimer(v) ? v.timerKind : 0;
  c.inputs = FunctionBlocks::CountInputs(v.kind + 1, subtype);
  switch (v.kind) {
    case ftTimer:
      c.timer = c.timerKind = true;
      c.alarmClock = v.timerKind == kAlarmClock;
      if (!c.alarmClock) c.inputLabels = {"S", "R", "", ""};
      break;
    case ftTrigger:
      c.trigger = true;
      c.inputLabels = {"S", "S", "R", "R"};
      break;
    case ftComparator:
      c.timer = c.comparator = true;
      break;
    case ftCounter:
      c.counter = true;
      c.inputLabels = {"ZV", "ZR", "S", "R"};
      break;
    default:
      break;
  }
  return c;
}

FunctionBlockValues LoadBlockValues(const FunctionBlocks& fb, int index) {
  const int type = fb.GetTypeCode(index);
  FunctionBlockValues v = ValuesForKind(type >= 1 && type <= 9 ? type - 1 : 0);
  v.archive = fb.GetArchive(index) != 0;
  const int subtype = fb.GetSubtype(index);
  if (IsTimer(v)) v.timerKind = std::min(subtype, kAlarmClock);
  if (v.kind == ftTrigger) v.triggerKind = std::min(subtype, 1);
  const int inputs = FunctionBlocks::CountInputs(type, subtype);
  for (int k = 0; k < inputs; ++k) {
    auto& in = v.inputs[static_cast<size_t>(k)];
    in.polarity = fb.GetInputPolarity(index, k);
    in.source = std::min(fb.GetInputSource(index, k), static_cast<int>(srcDiscreteInvalid));
    in.number = std::to_string(fb.GetInputNumber(index, k));
  }
  if (IsTimer(v) || IsComparator(v)) {
    v.discreteness = std::min(fb.GetTimerDiskr(index), 2);
    v.time = TwoDigits(fb.GetTime(index));
  }
  if (IsTimer(v)) {
    v.timerSetpointKind = fb.GetTimerSetpointKind(index);
    if (v.timerSetpointKind == 1) {
      v.timerAddress = TwoDigits(fb.GetTimerSetpointAddress(index));
      v.time = "00";
    }
    if (v.timerKind == kAlarmClock) {
      v.hour = TwoDigits(fb.GetClockHour(index));
      v.minute = TwoDigits(fb.GetClockMinute(index));
      v.second = TwoDigits(fb.GetClockSecond(index));
    }
  }
  if (IsComparator(v)) {
    v.analogNumber = TwoDigits(fb.GetComparatorAnalogNumber(index));
    v.analogSource = fb.GetComparatorAnalogSource(index);
    v.condition = fb.GetCondition(index);
    v.hysteresis = TwoDigits(fb.GetHysteresis(index));
    const int address = fb.GetSetpointAddress(index);
    v.setpointKind = address == 0 ? 0 : 1;
    if (address == 0)
      v.setpoint = fb.GetFloatText(index, 1);
    else
      v.setpointAddress = TwoDigits(address);
  }
  if (v.kind == ftCounter) v.counterSetpoint = TwoDigits(fb.GetCounterSetpoint(index));
  return v;
}

std::vector<FieldProblem> CheckBlockValues(FunctionBlockValues& v) {
  std::vector<FieldProblem> marks;
  auto refuse = [&](std::optional<FieldProblem> p) {
    if (!p) return false;
    marks.push_back(*p);
    return true;
  };
  if (IsTimer(v) && v.timerKind == kAlarmClock) {
    if (refuse(Range(BlockField::Hour, v.hour, 0, 23))) return marks;
    if (refuse(Range(BlockField::Minute, v.minute, 0, 59))) return marks;
    if (refuse(Range(BlockField::Second, v.second, 0, 59))) return marks;
  }
  const bool fixedTime = IsComparator(v) || (IsTimer(v) && v.timerSetpointKind == 0);
  if (fixedTime && refuse(Range(BlockField::Time, v.time, 0, kMaxTime))) return marks;
  if (IsTimer(v) && v.timerSetpointKind == 1 &&
      refuse(Range(BlockField::TimerAddress, v.timerAddress, 1, 10)))
    return marks;
  if (IsComparator(v) && v.setpointKind == 1 &&
      refuse(Range(BlockField::SetpointAddress, v.setpointAddress, 1, 10)))
    return marks;
  if (IsComparator(v) && v.analogNumber.empty())
    marks.push_back({BlockField::AnalogNumber, std::string(" ") + kInputErrorNote, kInputErrorNote, false});
  if (v.kind == ftCounter && v.counterSetpoint.empty()) {
    marks.push_back(
        {BlockField::CounterSetpoint, std::string(" ") + kInputErrorNote, kInputErrorNote, false});
    v.counterSetpoint = "00";
  }
  return marks;
}

void StoreBlockValues(Configuration& c, int index, FunctionBlockValues& v, bool clearFirst) {
  FunctionBlocks& fb = c.functionBlocks;
  const ServiceBlock& s = c.service;
  if (index < 0 || index >= fb.GetTableSize()) return;
  if (clearFirst) fb.ClearRecord(index);
  // Bytes 1-8 are all rewritten below: what the new kind or timer kind does
  // not use (an alarm clock's time under a T0, say) must read 0.
  for (int b = 1; b <= kLastParameterByte; ++b) fb.SetByte(index, b, 0);
  fb.SetTypeCode(index, v.kind + 1);
  if (IsTimer(v)) {
    fb.SetSubtype(index, v.timerKind);
    fb.SetTimerSetpointKind(index, v.timerSetpointKind);
  }
  if (IsTimer(v) || IsComparator(v)) {
    fb.SetTimerDiskr(index, v.discreteness);
    if (IsComparator(v) || v.timerSetpointKind == 0) {
      const int time = std::clamp(NumberOr0(v.time), 0, kMaxTime);
      fb.SetTime(index, time);
      v.time = TwoDigits(time);
    } else {
      fb.SetTimerSetpointAddress(index, std::clamp(NumberOr0(v.timerAddress), 1, 10));
    }
  }
  if (IsTimer(v) && v.timerKind == kAlarmClock) {
    fb.SetClockHour(index, std::clamp(NumberOr0(v.hour), 0, 23));
    fb.SetClockMinute(index, std::clamp(NumberOr0(v.minute), 0, 59));
    fb.SetClockSecond(index, std::clamp(NumberOr0(v.second), 0, 59));
  }
  if (v.kind == ftTrigger) fb.SetSubtype(index, v.triggerKind);
  if (IsComparator(v)) {
    int analog = NumberOr0(v.analogNumber);
    const int limit = v.analogSource == 0 ? s.AnalogSignalCount : fb.GetArithCount();
    if (analog > limit) {
      analog = 0;
      v.analogNumber = "0";
    }
    fb.SetComparatorAnalogNumber(index, analog);
    fb.SetComparatorAnalogSource(index, v.analogSource);
    if (v.setpointKind == 0) {
      fb.SetSubtype(index, 0);
      if (!fb.SetFloatText(index, v.setpoint, 1)) {
        fb.SetFloatText(index, "0", 1);
        v.setpoint = "0";
      }
    } else {
      fb.SetSubtype(index, std::clamp(NumberOr0(v.setpointAddress), 1, 10));
    }
    fb.SetCondition(index, v.condition);
    fb.SetHysteresis(index, std::clamp(NumberOr0(v.hysteresis), 0, 31));
  }
  if (v.kind == ftCounter) fb.SetCounterSetpoint(index, std::min(NumberOr0(v.counterSetpoint), 31));
  const int inputs = FunctionBlocks::CountInputs(v.kind + 1, IsTimer(v) ? v.timerKind : 0);
  // FBCount as the editor last counted it: the block being created or
  // inserted is not among them yet.
  const int count = fb.FBCount, limit = fb.FBLimit(), integrators = fb.GetIntegratorRecords();
  for (int k = 0; k < inputs; ++k) {
    auto& in = v.inputs[static_cast<size_t>(k)];
    const auto parsed = Number(in.number);
    int number = parsed.value_or(0);
    bool zero = !parsed;
    switch (in.source) {
      case srcDiscrete:
      case srcDiscreteInvalid:
        zero = zero || number > s.SignalCount;
        break;
      case srcAnalogInvalid:
        zero = zero || number > s.AnalogSignalCount;
        break;
      case srcCoDeSys:
        zero = zero || number > kMaxCodesysOutput;
        break;
      case srcFBOutput:
        zero = zero || (number > count && number <= limit) ||
               (number > limit && number <= limit + integrators) || number > FunctionBlocks::kMaxSourceNumber;
        break;
      default:
        zero = true;
    }
    if (zero) {
      number = 0;
      in.number = "0";
    }
    fb.SetInputPolarity(index, k, in.polarity);
    fb.SetInputSource(index, k, in.source);
    fb.SetInputNumber(index, k, number);
  }
  fb.SetArchive(index, index < FunctionBlocks::kAlarmBlocks && v.archive ? 1 : 0);
  fb.Changed = 1;
}

}  // namespace zul
