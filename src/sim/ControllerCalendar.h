#pragma once
// The controller's real-time clock: runs on the given clock's milliseconds,
// is read as seven input registers and set by the broadcast function 70.
#include <array>
#include <cstdint>

namespace zul {

// Field order of the clock registers and of the function-70 data.
struct CalendarTime {
  int second = 0;
  int minute = 0;
  int hour = 12;
  int day = 1;
  int month = 1;
  int year = 24;    // within the century, 0..99
  int weekday = 1;  // 1 = Monday .. 7 = Sunday

  // The seven bytes seconds, minutes, hour, day, month, year, weekday.
  std::array<uint8_t, 7> Bytes() const;
  // False for a field out of range or a day the month does not have.
  static bool FromBytes(const uint8_t* bytes, CalendarTime* out);
  bool operator==(const CalendarTime&) const = default;
};

// The computer's local time.
CalendarTime LocalCalendarTime();

class ControllerCalendar {
 public:
  ControllerCalendar(const CalendarTime& start, int64_t nowMs) { Set(start, nowMs); }

  void Set(const CalendarTime& time, int64_t nowMs);
  CalendarTime Now(int64_t nowMs) const;

 private:
  int64_t baseSeconds_ = 0;  // seconds since 2000-01-01 00:00 at baseMs_
  int64_t baseMs_ = 0;
  int weekdayShift_ = 0;  // the weekday as set may disagree with the date; keep the difference
};

}  // namespace zul
