#include "sim/ControllerCalendar.h"

#include <chrono>
#include <ctime>

#include "core/platform/Platform.h"

namespace zul {
namespace {

namespace ch = std::chrono;

constexpr ch::sys_days kEpoch = ch::sys_days{ch::year{2000} / ch::January / 1};

ch::year_month_day Date(int year, int month, int day) {
  return {ch::year{2000 + year}, ch::month{static_cast<unsigned>(month)},
          ch::day{static_cast<unsigned>(day)}};
}

int IsoWeekday(ch::sys_days day) { return static_cast<int>(ch::weekday{day}.iso_encoding()); }

}  // namespace

std::array<uint8_t, 7> CalendarTime::Bytes() const {
  return {static_cast<uint8_t>(second), static_cast<uint8_t>(minute), static_cast<uint8_t>(hour),
          static_cast<uint8_t>(day),    static_cast<uint8_t>(month),  static_cast<uint8_t>(year),
          static_cast<uint8_t>(weekday)};
}

bool CalendarTime::FromBytes(const uint8_t* b, CalendarTime* out) {
  CalendarTime t{b[0], b[1], b[2], b[3], b[4], b[5], b[6]};
  if (t.second > 59 || t.minute > 59 || t.hour > 23 || t.year > 99 || t.weekday < 1 || t.weekday > 7)
    return false;
  if (!Date(t.year, t.month, t.day).ok()) return false;
  *out = t;
  return true;
}

CalendarTime LocalCalendarTime() {
  const std::tm local = platform::LocalTime(std::time(nullptr));
  CalendarTime t;
  t.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  t.minute = local.tm_min;
  t.hour = local.tm_hour;
  t.day = local.tm_mday;
  t.month = local.tm_mon + 1;
  t.year = (local.tm_year + 1900) % 100;
  t.weekday = local.tm_wday == 0 ? 7 : local.tm_wday;
  return t;
}

void ControllerCalendar::Set(const CalendarTime& t, int64_t nowMs) {
  ch::sys_days date{Date(t.year, t.month, t.day)};
  baseSeconds_ = (date - kEpoch).count() * 86400LL + t.hour * 3600 + t.minute * 60 + t.second;
  baseMs_ = nowMs;
  weekdayShift_ = ((t.weekday - IsoWeekday(date)) % 7 + 7) % 7;
}

CalendarTime ControllerCalendar::Now(int64_t nowMs) const {
  int64_t elapsed = nowMs >= baseMs_ ? (nowMs - baseMs_) / 1000 : 0;
  int64_t seconds = baseSeconds_ + elapsed;
  ch::sys_days date = kEpoch + ch::days{seconds / 86400};
  int64_t inDay = seconds % 86400;
  ch::year_month_day ymd{date};
  CalendarTime t;
  t.second = static_cast<int>(inDay % 60);
  t.minute = static_cast<int>(inDay / 60 % 60);
  t.hour = static_cast<int>(inDay / 3600);
  t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.year = (static_cast<int>(ymd.year()) - 2000) % 100;
  t.weekday = (IsoWeekday(date) - 1 + weekdayShift_) % 7 + 1;
  return t;
}

}  // namespace zul
