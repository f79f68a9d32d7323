#pragma once
// The controller's clock: seven input registers from 1000 (seconds, minutes,
// hour, day, month, year within the century, day of the week 1 = Monday), read
// with function 4 and set on every controller of the line with the broadcast
// function 70.
#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zul {

class ModbusLink;

enum ClockField {
  kClockSeconds,
  kClockMinutes,
  kClockHour,
  kClockDay,
  kClockMonth,
  kClockYear,
  kClockWeekday
};
inline constexpr int kClockFields = 7;

inline constexpr uint8_t kClockReadFunction = 4;
inline constexpr int kClockFirstRegister = 1000;
inline constexpr std::array<uint8_t, 4> kClockRequestData = {0x03, 0xE8, 0x00, kClockFields};

// The low bytes of the seven registers, in register order.
using ControllerTime = std::array<int, kClockFields>;

struct ClockRange {
  int min;
  int max;
};
inline constexpr std::array<ClockRange, kClockFields> kClockRanges = {
    {{0, 59}, {0, 59}, {0, 23}, {1, 31}, {1, 12}, {0, 99}, {1, 7}}};

// A function-4 answer (address, function, byte count 14, registers high byte
// first). False, leaving *out alone, when the answer does not carry the seven
// registers.
bool DecodeClockAnswer(std::span<const uint8_t> answer, ControllerTime* out);

std::string TimeText(const ControllerTime& t);  // "13:07:05"
std::string DateText(const ControllerTime& t);  // "09.03.24"
// "пн" .. "вс" for 1..7, empty otherwise.
std::string DayOfWeekText(int weekday);

// The computer's calendar as register values: the year within the century
// (2024 -> 24) and the day of the week with Monday 1 .. Sunday 7 (isoWeekday
// is already counted that way; 0 is taken as Sunday too).
ControllerTime FromCalendar(int year, int month, int day, int hour, int minute, int second, int isoWeekday);

// The first field in error among the typed texts, in field order.
struct ClockFieldError {
  int field = -1;       // -1: every field is good
  std::string message;  // " Ошибка ввода " or "Величина вне диапазона 0 - 59"
  bool ok() const { return field < 0; }
};
// Checks the seven texts (seconds first); on success *out (when given) holds the values.
ClockFieldError CheckClockFields(const std::array<std::string, kClockFields>& texts,
                                 ControllerTime* out = nullptr);

// The seven data bytes of the broadcast set request.
std::array<uint8_t, kClockFields> ClockSetData(const ControllerTime& t);
// Sends the broadcast; no answer is awaited. Returns the link's result code.
int SendClock(ModbusLink& port, int deviceIndex, const ControllerTime& t);

}  // namespace zul
