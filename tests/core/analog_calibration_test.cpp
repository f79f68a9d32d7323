// Calibration commands and the reading of an analog channel's status byte.
#include <gtest/gtest.h>

#include "core/ScriptedInteraction.h"
#include "core/config/AnalogCalibration.h"
#include "core/link/ModbusLink.h"
#include "core/model/AnalogModules.h"
#include "support/FakeSerialLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using test::Bytes;

struct CoilCase {
  CalibrationCommand command;
  int module, input;
  bool on;
  Bytes request;
};

class CalibrationCoilTest : public ::testing::TestWithParam<CoilCase> {};

TEST_P(CalibrationCoilTest, WritesTheCoilOfTheModuleAndInput) {
  const CoilCase& c = GetParam();
  const auto r = CalibrationRequest(c.command, c.module, c.input, c.on);
  EXPECT_EQ(Bytes(r.begin(), r.end()), c.request);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CalibrationCoilTest,
    ::testing::Values(CoilCase{CalibrationCommand::Mode, 2, 3, true, {0x10, 0x23, 0xFF, 0x00}},
                      CoilCase{CalibrationCommand::Mode, 2, 3, false, {0x10, 0x23, 0x00, 0x00}},
                      CoilCase{CalibrationCommand::ScaleStart, 2, 3, true, {0x11, 0x23, 0xFF, 0x00}},
                      CoilCase{CalibrationCommand::ScaleEnd, 2, 3, true, {0x12, 0x23, 0xFF, 0x00}},
                      CoilCase{CalibrationCommand::Mode, 8, 7, true, {0x10, 0x87, 0xFF, 0x00}}));

struct StatusCase {
  const char* name;
  uint8_t status;
  const char* fault;
  FaultColour colour;
  bool clearValue, calibrating;
  const char* alarm;
  bool alarmRed, keepAlarm;
};

class ChannelStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ChannelStatusTest, ShowsLetterColourAndAlarm) {
  const StatusCase& c = GetParam();
  const ChannelStatusView v = DescribeChannelStatus(c.status);
  EXPECT_EQ(v.fault, c.fault);
  EXPECT_EQ(v.colour, c.colour);
  EXPECT_EQ(v.clearValue, c.clearValue);
  EXPECT_EQ(v.calibrating, c.calibrating);
  EXPECT_EQ(v.alarm, c.alarm);
  EXPECT_EQ(v.alarmRed, c.alarmRed);
  EXPECT_EQ(v.keepAlarm, c.keepAlarm);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChannelStatusTest,
    ::testing::Values(
        StatusCase{"Good", 0x00, "и", FaultColour::Green, false, false, "норма", false, false},
        StatusCase{"Calibration", 0x20, "к", FaultColour::Yellow, false, true, "", false, false},
        StatusCase{"Open", 0x40, "о", FaultColour::Purple, true, false, "", false, false},
        StatusCase{"Fault", 0x80, "п", FaultColour::Purple, false, false, "", false, false},
        StatusCase{"HH", 0x06, "и", FaultColour::Green, false, false, "HH", true, false},
        StatusCase{"LowOfLH", 0x01, "и", FaultColour::Green, false, false, "L(L-H)", true, false},
        StatusCase{"FaultWithLL", 0x84, "п", FaultColour::Purple, false, false, "LL", true, false},
        StatusCase{"StateSeven", 0x07, "и", FaultColour::Green, false, false, "", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RawSignalUnitTest, PerModuleTypeAndSignalRange) {
  EXPECT_EQ(RawSignalUnit(6, 0), "кПа");
  EXPECT_EQ(RawSignalUnit(6, 1), "кгс/см2");
  EXPECT_EQ(RawSignalUnit(6, 3), "бар");
  EXPECT_EQ(RawSignalUnit(6, 7), "");  // bits 2-0 may hold anything
  EXPECT_EQ(RawSignalUnit(7, 0), "мА");
  EXPECT_EQ(RawSignalUnit(8, 0), "град.C");
  EXPECT_EQ(RawSignalUnit(9, 2), "мА");
}

class CalibrationPollTest : public ::testing::Test {
 protected:
  CalibrationPollTest() { line.ForceOpen(true); }
  static Bytes OnlineAnswer(int channels, uint8_t status) {
    Bytes a{0x01, 71, static_cast<uint8_t>(8 * channels)};
    for (int k = 0; k < channels; ++k) {
      for (char ch : std::string(" 12.50 ")) a.push_back(static_cast<uint8_t>(ch));
      a.push_back(status);
    }
    return a;
  }
  VirtualClock clock;
  test::FakeSerialLine line{&clock};
  ScriptedInteraction ui;
  test::WritingLink port{line, clock, ui};
  AnalogModules mba;
};

TEST_F(CalibrationPollTest, Lk9Module3_AsksInputsFrom12AndReferenceAt130) {
  line.QueueFrame(OnlineAnswer(6, 0x20));
  line.QueueFrame(OnlineAnswer(1, 0x80));
  EXPECT_EQ(ReadOnlineValues(port, 0, mba, 3, 8), 0);
  EXPECT_EQ(line.Written()[0], test::WithCrc({0x01, 71, 12, 6}));
  EXPECT_EQ(line.Written()[1], test::WithCrc({0x01, 71, 130, 1}));
  EXPECT_EQ(mba.GetOnlineStatus(5), 0x20);
  EXPECT_EQ(mba.GetOnlineStatus(6), 0x80);
  EXPECT_EQ(mba.GetOnlineText(0), " 12.50 ");
}

TEST_F(CalibrationPollTest, CodesException3_StoresNothingAndDoesNotFailThePoll) {
  Bytes codes{0x01, 68, 43, 61, 0x34, 0x12};
  codes.resize(3 + 43, 0);
  line.QueueFrame(codes);
  EXPECT_EQ(ReadCalibrationCodes(port, 0, mba, 2), 0);
  EXPECT_EQ(line.Written()[0], test::WithCrc({0x01, 68, 61}));
  EXPECT_EQ(mba.GetCalibrationCode1(1, 0), 0x1234);
  line.QueueReply(test::WithCrc({0x01, 0xC4, 0x03}));
  const int result = ReadCalibrationCodes(port, 0, mba, 2);
  EXPECT_EQ(result, 3);
  EXPECT_FALSE(CodesPollFailed(result));
  EXPECT_EQ(mba.GetCalibrationCode1(1, 0), 0x1234);
  EXPECT_TRUE(CodesPollFailed(kResultNoAnswer));
}

}  // namespace
}  // namespace zul
