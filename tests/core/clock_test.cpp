#include <gtest/gtest.h>

#include <array>

#include "core/ScriptedInteraction.h"
#include "core/config/ControllerClock.h"
#include "core/link/ModbusLink.h"
#include "support/FakeSerialLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using test::Bytes;

// A function-4 answer with the seven registers, high byte first.
Bytes ClockAnswer(std::array<int, 7> regs, int highByte = 0) {
  Bytes a = {0x01, 0x04, 14};
  for (int r : regs) {
    a.push_back(static_cast<uint8_t>(highByte));
    a.push_back(static_cast<uint8_t>(r));
  }
  return a;
}

TEST(ClockDecode, RegistersGiveTimeDateAndDay) {
  ControllerTime t{};
  ASSERT_TRUE(DecodeClockAnswer(ClockAnswer({5, 7, 13, 9, 3, 24, 4}), &t));
  EXPECT_EQ(TimeText(t), "13:07:05");
  EXPECT_EQ(DateText(t), "09.03.24");
  EXPECT_EQ(DayOfWeekText(t[kClockWeekday]), "чт");
}

TEST(ClockDecode, OnlyTheLowByteOfEachRegisterCounts) {
  ControllerTime t{};
  ASSERT_TRUE(DecodeClockAnswer(ClockAnswer({59, 59, 23, 31, 12, 99, 7}, 0xA5), &t));
  EXPECT_EQ(TimeText(t), "23:59:59");
  EXPECT_EQ(DateText(t), "31.12.99");
  EXPECT_EQ(DayOfWeekText(t[kClockWeekday]), "вс");
}

TEST(ClockDecode, ShortAnswerLeavesTheTimeAlone) {
  ControllerTime t{1, 2, 3, 4, 5, 6, 7};
  Bytes a = ClockAnswer({5, 7, 13, 9, 3, 24, 4});
  a[2] = 12;
  EXPECT_FALSE(DecodeClockAnswer(a, &t));
  a.resize(10);
  EXPECT_FALSE(DecodeClockAnswer(a, &t));
  EXPECT_EQ(t, (ControllerTime{1, 2, 3, 4, 5, 6, 7}));
}

TEST(ClockDecode, DayOfWeekOutsideOneToSevenIsEmpty) {
  EXPECT_EQ(DayOfWeekText(0), "");
  EXPECT_EQ(DayOfWeekText(8), "");
  EXPECT_EQ(DayOfWeekText(1), "пн");
}

TEST(ClockCalendar, SundayIsSevenAndYearWithinCentury) {
  const ControllerTime t = FromCalendar(2024, 3, 10, 8, 4, 2, 7);
  EXPECT_EQ(t, (ControllerTime{2, 4, 8, 10, 3, 24, 7}));
  EXPECT_EQ(FromCalendar(2100, 1, 1, 0, 0, 0, 0)[kClockYear], 0);
  EXPECT_EQ(FromCalendar(2100, 1, 1, 0, 0, 0, 0)[kClockWeekday], 7);
}

struct FieldCase {
  const char* name;
  std::array<std::string, 7> texts;
  int field;
  const char* message;
};

class ClockFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ClockFields, FirstErrorInFieldOrder) {
  const FieldCase& c = GetParam();
  const ClockFieldError e = CheckClockFields(c.texts);
  EXPECT_EQ(e.field, c.field);
  EXPECT_EQ(e.message, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockFields,
    ::testing::Values(
        FieldCase{"AllGood", {"0", "59", "23", "31", "12", "99", "7"}, -1, ""},
        FieldCase{
            "Month13", {"1", "1", "1", "1", "13", "1", "1"}, kClockMonth, "Величина вне диапазона 1 - 12"},
        FieldCase{"Seconds60",
                  {"60", "1", "1", "1", "1", "1", "1"},
                  kClockSeconds,
                  "Величина вне диапазона 0 - 59"},
        FieldCase{"DayZero", {"1", "1", "1", "0", "1", "1", "1"}, kClockDay, "Величина вне диапазона 1 - 31"},
        FieldCase{
            "Weekday8", {"1", "1", "1", "1", "1", "1", "8"}, kClockWeekday, "Величина вне диапазона 1 - 7"},
        FieldCase{
            "EmptyHourBeforeBadMonth", {"1", "1", "", "1", "13", "1", "1"}, kClockHour, " Ошибка ввода "},
        FieldCase{
            "NotADigit", {"1", "1", "1", "1", "1", "a", "1"}, kClockYear, "Величина вне диапазона 0 - 99"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClockSet, BroadcastFrameIsAddressZeroFunction70SevenBytesAndNoRead) {
  VirtualClock clock;
  test::FakeSerialLine line{&clock};
  line.ForceOpen(true);
  ScriptedInteraction ui;
  test::WritingLink port{line, clock, ui};
  EXPECT_EQ(SendClock(port, 4, ControllerTime{5, 7, 13, 9, 3, 24, 4}), kResultOk);
  ASSERT_EQ(line.Written().size(), 1u);
  EXPECT_EQ(line.Written()[0], test::WithCrc({0x00, 70, 5, 7, 13, 9, 3, 24, 4}));
  EXPECT_TRUE(ui.Shown().empty());
}

}  // namespace
}  // namespace zul
