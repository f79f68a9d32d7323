#include "core/config/ControllerClock.h"

#include "core/link/ModbusLink.h"

namespace zul {

namespace {

constexpr int kDataOffset = 3;
constexpr int kClockAnswerBytes = 2 * kClockFields;

std::string TwoDigits(int v) { return (v >= 0 && v < 10 ? "0" : "") + std::to_string(v); }

// A text of decimal digits only, at most 4 of them; anything else is not a number here.
bool ParseSmall(const std::string& text, int* value) {
  if (text.empty() || text.size() > 4) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

}  // namespace

bool DecodeClockAnswer(std::span<const uint8_t> answer, ControllerTime* out) {
  if (answer.size() < static_cast<size_t>(kDataOffset + kClockAnswerBytes)) return false;
  if (answer[2] < kClockAnswerBytes) return false;
  for (int k = 0; k < kClockFields; ++k)
    (*out)[static_cast<size_t>(k)] = answer[static_cast<size_t>(kDataOffset + 2 * k + 1)];
  return true;
}

std::string TimeText(const ControllerTime& t) {
  return TwoDigits(t[kClockHour]) + ":" + TwoDigits(t[kClockMinutes]) + ":" + TwoDigits(t[kClockSeconds]);
}

std::string DateText(const ControllerTime& t) {
  return TwoDigits(t[kClockDay]) + "." + TwoDigits(t[kClockMonth]) + "." + TwoDigits(t[kClockYear]);
}

std::string DayOfWeekText(int weekday) {
  static constexpr const char* kNames[] = {"пн", "вт", "ср", "чт", "пт", "сб", "вс"};
  if (weekday < 1 || weekday > 7) return {};
  return kNames[weekday - 1];
}

ControllerTime FromCalendar(int year, int month, int day, int hour, int minute, int second, int isoWeekday) {
  const int weekday = isoWeekday == 0 ? 7 : isoWeekday;
  return {second, minute, hour, day, month, ((year - 2000) % 100 + 100) % 100, weekday};
}

ClockFieldError CheckClockFields(const std::array<std::string, kClockFields>& texts, ControllerTime* out) {
  ControllerTime values{};
  for (int k = 0; k < kClockFields; ++k) {
    const auto i = static_cast<size_t>(k);
    const ClockRange range = kClockRanges[i];
    if (texts[i].empty()) return {k, " Ошибка ввода "};
    int v = 0;
    if (!ParseSmall(texts[i], &v) || v < range.min || v > range.max) {
      return {k, "Величина вне диапазона " + std::to_string(range.min) + " - " + std::to_string(range.max)};
    }
    values[i] = v;
  }
  if (out) *out = values;
  return {};
}

std::array<uint8_t, kClockFields> ClockSetData(const ControllerTime& t) {
  std::array<uint8_t, kClockFields> data{};
  for (size_t k = 0; k < data.size(); ++k) data[k] = static_cast<uint8_t>(t[k]);
  return data;
}

int SendClock(ModbusLink& port, int deviceIndex, const ControllerTime& t) {
  const auto data = ClockSetData(t);
  uint8_t answer[kAnswerBufferSize] = {};
  return port.Request(deviceIndex, kBroadcastFunction, data, answer);
}

}  // namespace zul
