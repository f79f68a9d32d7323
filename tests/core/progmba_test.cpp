#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "core/model/AnalogChannel.h"

namespace zul {
namespace {

// ---- The channel record shared by analog modules and network analog signals.

struct ValueTextCase {
  float value;
  const char* shown;
};

class ChannelValueText : public ::testing::TestWithParam<ValueTextCase> {};

TEST_P(ChannelValueText, EveryValueFieldShowsTheDecimalsOfItsMagnitude) {
  const auto& c = GetParam();
  for (AnalogValue which : kAnalogValues) {
    std::array<uint8_t, kAnalogRecordSize> record{};
    uint8_t* channel = AnalogChannelOf(record.data(), 5);
    SetChannelValue(channel, which, c.value);
    EXPECT_EQ(GetChannelValueText(channel, which), c.shown) << static_cast<int>(which);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Magnitudes, ChannelValueText,
    ::testing::Values(ValueTextCase{0.0f, "0,0000"}, ValueTextCase{0.5f, "0,5000"},
                      ValueTextCase{100.0f, "100,0000"}, ValueTextCase{999.75f, "999,7500"},
                      ValueTextCase{1000.0f, "1000,000"}, ValueTextCase{9999.5f, "9999,500"},
                      ValueTextCase{10000.0f, "10000,00"}, ValueTextCase{-5000.0f, "-5000,0000"},
                      ValueTextCase{-200.0f, "-200,0000"}, ValueTextCase{32767.0f, "32767,00"}));

struct ValueParseCase {
  const char* typed;
  bool stored;
  const char* shown;
};

class ChannelValueParse : public ::testing::TestWithParam<ValueParseCase> {};

TEST_P(ChannelValueParse, StoresNumbersAndKeepsTheOldValueOtherwise) {
  const auto& c = GetParam();
  std::array<uint8_t, kAnalogChannelSize> channel{};
  SetChannelValue(channel.data(), AnalogValue::SetpointH, 100.0f);
  EXPECT_EQ(SetChannelValueText(channel.data(), AnalogValue::SetpointH, c.typed), c.stored);
  EXPECT_EQ(GetChannelValueText(channel.data(), AnalogValue::SetpointH), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ChannelValueParse,
    ::testing::Values(ValueParseCase{"12,5", true, "12,5000"}, ValueParseCase{"-50", true, "-50,0000"},
                      ValueParseCase{"10000", true, "10000,00"}, ValueParseCase{"12,5,1", false, "100,0000"},
                      ValueParseCase{"1-2", false, "100,0000"}, ValueParseCase{"", false, "100,0000"},
                      // Far beyond Float24: saturates instead of overflowing.
                      ValueParseCase{"1E300", true, "1,701360E+038"}));

TEST(AnalogChannel, ValueFieldsSitAtTheirOffsetsAsFloat24) {
  std::array<uint8_t, kAnalogRecordSize> record{};
  uint8_t* channel = AnalogChannelOf(record.data(), 1);
  ASSERT_EQ(channel, record.data() + 29);
  SetChannelValue(channel, AnalogValue::ScaleMax, 100.0f);
  SetChannelValue(channel, AnalogValue::SetpointHH, -1.0f);
  EXPECT_EQ(record[29 + 5], 0x00);
  EXPECT_EQ(record[29 + 6], 0x64);
  EXPECT_EQ(record[29 + 7], 0x07);
  EXPECT_EQ(record[29 + 17], 0x00);
  EXPECT_EQ(record[29 + 18], 0xC0);
  EXPECT_EQ(record[29 + 19], 0x01);
  EXPECT_EQ(AnalogChannelOf(record.data(), 6), nullptr);
  EXPECT_EQ(AnalogChannelOf(record.data(), -1), nullptr);
}

TEST(AnalogChannel, BitFieldSettersLeaveTheOtherBitsAlone) {
  std::array<uint8_t, kAnalogChannelSize> channel{};
  channel[0] = 0xFF;
  channel[1] = 0xFF;
  SetChannelUnitIndex(channel.data(), 2);
  EXPECT_EQ(channel[0], 0x2F);
  SetChannelScaleKind(channel.data(), 0x1A);  // only the low four bits count
  EXPECT_EQ(channel[0], 0x2A);
  SetChannelDeadZone(channel.data(), 1);
  EXPECT_EQ(channel[1], 0xDF);
  SetChannelInputSignal(channel.data(), 2);
  EXPECT_EQ(channel[1], 0xDA);
  SetChannelRangeIndex(channel.data(), 30);
  EXPECT_EQ(channel[1], 0xDE);
  EXPECT_EQ(GetChannelUnitIndex(channel.data()), 2);
  EXPECT_EQ(GetChannelScaleKind(channel.data()), 10);
  EXPECT_EQ(GetChannelDeadZone(channel.data()), 1);
  EXPECT_EQ(GetChannelInputSignal(channel.data()), 6);
  EXPECT_EQ(GetChannelRangeIndex(channel.data()), 30);
}

TEST(AnalogChannel, PositionNameIsBlankPaddedAndCut) {
  std::array<uint8_t, kAnalogChannelSize> channel{};
  SetChannelPosition(channel.data(), "");
  EXPECT_EQ(std::string(channel.begin() + 20, channel.end()), "        ");
  EXPECT_EQ(GetChannelPosition(channel.data()), "");
  SetChannelPosition(channel.data(), "поз.61019");
  EXPECT_EQ(GetChannelPosition(channel.data()), "поз.6101");
  SetChannelPosition(channel.data(), "TE 1");
  EXPECT_EQ(GetChannelPosition(channel.data()), "TE 1");
  EXPECT_EQ(channel[0], 0);  // nothing outside the name was touched
  EXPECT_EQ(channel[19], 0);
}

}  // namespace
}  // namespace zul
