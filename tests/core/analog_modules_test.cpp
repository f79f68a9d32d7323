#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "core/model/AnalogChannel.h"
#include "core/model/AnalogModules.h"

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

// ---- AnalogModules

// A function-68 answer: address, function, byte count, then the data.
std::vector<uint8_t> Answer(uint8_t byteCount, std::vector<uint8_t> data, size_t bufferSize = 260) {
  std::vector<uint8_t> answer(std::max(bufferSize, data.size() + 3), 0);
  answer[0] = 1;
  answer[1] = 68;
  answer[2] = byteCount;
  std::copy(data.begin(), data.end(), answer.begin() + 3);
  answer.resize(bufferSize);
  return answer;
}

std::vector<uint8_t> Pattern(size_t size, uint8_t first) {
  std::vector<uint8_t> bytes(size);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

TEST(analogModules, ConstructedWithEveryModuleUnchangedAndNothingCopied) {
  AnalogModules mba;
  EXPECT_EQ(mba.GetRecordLength(), 169);
  EXPECT_EQ(mba.GetCalibrationRecordLength(), 43);
  EXPECT_EQ(mba.CopiedModule, -1);
  for (int m = 0; m < AnalogModules::kModules; ++m) EXPECT_EQ(mba.Unchanged[m], 1);
  EXPECT_FALSE(mba.CanReplaceModule(6));
}

// Each value field through its own getter and setter.
struct ValueAccessor {
  const char* name;
  std::string (AnalogModules::*get)(int, int) const;
  bool (AnalogModules::*set)(int, int, std::string_view);
  AnalogValue which;
};

class ProgMBAValueAccessors : public ::testing::TestWithParam<ValueAccessor> {};

TEST_P(ProgMBAValueAccessors, FormatByMagnitudeAndRefuseNonNumbers) {
  const auto& a = GetParam();
  AnalogModules mba;
  const struct {
    const char* typed;
    const char* shown;
  } cases[] = {{"9999,5", "9999,500"},
               {"10000", "10000,00"},
               {"-5000", "-5000,0000"},
               {"999,5", "999,5000"},
               {"0,25", "0,2500"}};
  for (const auto& c : cases) {
    ASSERT_TRUE((mba.*a.set)(7, 5, c.typed)) << c.typed;
    EXPECT_EQ((mba.*a.get)(7, 5), c.shown) << a.name;
  }
  EXPECT_FALSE((mba.*a.set)(7, 5, "12,5,1"));
  EXPECT_EQ((mba.*a.get)(7, 5), "0,2500");
  EXPECT_EQ(mba.GetValue(7, 5, a.which), 0.25f);
  EXPECT_FALSE((mba.*a.set)(8, 0, "1"));  // no module 9
  EXPECT_EQ((mba.*a.get)(0, 6), "");      // no channel 7
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ProgMBAValueAccessors,
    ::testing::Values(ValueAccessor{"ScaleMin", &AnalogModules::GetScaleMin, &AnalogModules::SetScaleMin,
                                    AnalogValue::ScaleMin},
                      ValueAccessor{"ScaleMax", &AnalogModules::GetScaleMax, &AnalogModules::SetScaleMax,
                                    AnalogValue::ScaleMax},
                      ValueAccessor{"LL", &AnalogModules::GetSetpointLL, &AnalogModules::SetSetpointLL,
                                    AnalogValue::SetpointLL},
                      ValueAccessor{"L", &AnalogModules::GetSetpointL, &AnalogModules::SetSetpointL,
                                    AnalogValue::SetpointL},
                      ValueAccessor{"H", &AnalogModules::GetSetpointH, &AnalogModules::SetSetpointH,
                                    AnalogValue::SetpointH},
                      ValueAccessor{"HH", &AnalogModules::GetSetpointHH, &AnalogModules::SetSetpointHH,
                                    AnalogValue::SetpointHH}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(analogModules, ChannelAccessorsAddressTheirModuleAndChannel) {
  AnalogModules mba;
  mba.SetUnitIndex(2, 3, 5);
  mba.SetScaleKind(2, 3, 1);
  mba.SetDeadZone(2, 3, 3);
  mba.SetInputSignal(2, 3, 2);
  mba.SetPosition(2, 3, "TE-101");
  const int at = 1 + 28 * 3;
  EXPECT_EQ(mba.GetRecordByte(2, at), 0x51);
  EXPECT_EQ(mba.GetRecordByte(2, at + 1), 0x32);
  EXPECT_EQ(mba.GetPosition(2, 3), "TE-101");
  EXPECT_EQ(mba.GetRecordByte(2, at + 20 + 6), ' ');
  mba.SetRangeIndex(2, 3, 45);
  EXPECT_EQ(mba.GetRangeIndex(2, 3), 45);
  EXPECT_EQ(mba.GetDeadZone(2, 3), 2);
  // Nothing else moved.
  int nonZero = 0;
  for (int m = 0; m < AnalogModules::kModules; ++m)
    for (int i = 0; i < 169; ++i) nonZero += mba.GetRecordByte(m, i) != 0;
  EXPECT_EQ(nonZero, 2 + 8);
  // Bad indexes do nothing.
  mba.SetUnitIndex(-1, 0, 3);
  mba.SetPosition(0, 6, "x");
  mba.SetRecordByte(0, 169, 1);
  EXPECT_EQ(mba.GetUnitIndex(8, 0), 0);
  EXPECT_EQ(mba.GetRecordByte(0, 169), 0);
  EXPECT_TRUE(mba.GetRecord(8).empty());
}

TEST(analogModules, UnitsTableDefaultsInOrder) {
  AnalogModules mba;
  mba.SetDefaultUnits();
  const std::vector<std::string> expected = {"град.С", "%",   "МПа",    "КПа",   "кг/cм2", "атм",
                                             "об/мин", "1/с", "мм/с2",  "м3/ч",  "нм3/ч",  "кг/ч",
                                             "т/ч",    "м",   "резерв", "резерв"};
  EXPECT_EQ(mba.FillUnitsList(), expected);
  // cp1251 bytes, blank padded to six.
  const uint8_t grad[] = {0xE3, 0xF0, 0xE0, 0xE4, '.', 0xD1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(mba.GetUnitsByte(i), grad[i]);
  EXPECT_EQ(mba.GetUnitsByte(6), '%');
  for (int i = 7; i < 12; ++i) EXPECT_EQ(mba.GetUnitsByte(i), ' ');
  EXPECT_EQ(mba.GetUnitsByte(4 * 6 + 3), 'c');  // the Latin c of кг/cм2
}

struct UnitNameCase {
  const char* typed;
  const char* read;
};

class ProgMBAUnitNames : public ::testing::TestWithParam<UnitNameCase> {};

TEST_P(ProgMBAUnitNames, NameEndsAtFirstBlankAndIsCutAtSix) {
  AnalogModules mba;
  mba.SetDefaultUnits();
  mba.SetUnitName(3, GetParam().typed);
  EXPECT_EQ(mba.GetUnitName(3), GetParam().read);
  EXPECT_EQ(mba.GetUnitName(2), "МПа");  // neighbours untouched
  EXPECT_EQ(mba.GetUnitName(4), "кг/cм2");
}

INSTANTIATE_TEST_SUITE_P(Names, ProgMBAUnitNames,
                         ::testing::Values(UnitNameCase{"кг ч", "кг"}, UnitNameCase{"л/мин", "л/мин"},
                                           UnitNameCase{"мм вод.ст", "мм"}, UnitNameCase{"кПа/мин", "кПа/ми"},
                                           UnitNameCase{"", ""}, UnitNameCase{" Па", ""}));

TEST(analogModules, UnitsAnswerReplacesTheWholeTable) {
  AnalogModules mba;
  mba.SetDefaultUnits();
  std::vector<uint8_t> data = {35};
  const auto units = Pattern(96, 0x20);
  data.insert(data.end(), units.begin(), units.end());
  mba.StoreUnitsAnswer(Answer(97, data));
  for (int i = 0; i < 96; ++i) EXPECT_EQ(mba.GetUnitsByte(i), units[i]);
  // A short answer leaves the rest of the table cleared, not stale.
  mba.StoreUnitsAnswer(Answer(7, {35, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'}));
  EXPECT_EQ(mba.GetUnitName(0), "abcdef");
  EXPECT_EQ(mba.GetUnitsByte(6), 0);
  EXPECT_EQ(mba.GetUnitName(1), "");
  // A truncated buffer is never read past.
  mba.StoreUnitsAnswer(Answer(97, {35, 'x', 'y'}, 6));
  EXPECT_EQ(mba.GetUnitName(0), "xy");
}

TEST(analogModules, RecordAnswerGoesToTheModuleItNames) {
  AnalogModules mba;
  auto data = Pattern(169, 0);
  data[0] = 3;
  ASSERT_TRUE(mba.StoreRecordAnswer(Answer(169, data)));
  EXPECT_EQ(mba.GetRecordLength(), 169);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), mba.GetRecord(2).begin()));
  EXPECT_EQ(mba.GetRecordByte(1, 0), 0);
}

TEST(analogModules, OversizeRecordAnswerKeeps169Bytes) {
  AnalogModules mba;
  auto data = Pattern(250, 0);
  data[0] = 8;
  ASSERT_TRUE(mba.StoreRecordAnswer(Answer(250, data)));
  EXPECT_EQ(mba.GetRecordLength(), 169);
  ASSERT_EQ(mba.GetRecord(7).size(), 169u);
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + 169, mba.GetRecord(7).begin()));
}

TEST(analogModules, ShortRecordAnswerClearsTheRestAndSetsTheLength) {
  AnalogModules mba;
  mba.SetRecordByte(0, 150, 0x77);
  auto data = Pattern(169, 0);
  data[0] = 1;
  ASSERT_TRUE(mba.StoreRecordAnswer(Answer(100, data)));
  EXPECT_EQ(mba.GetRecordLength(), 100);
  EXPECT_EQ(mba.GetRecordByte(0, 99), 99);
  EXPECT_EQ(mba.GetRecordByte(0, 100), 0);
  EXPECT_EQ(mba.GetRecordByte(0, 150), 0);
  // Byte count larger than the buffer: only what arrived is taken.
  ASSERT_TRUE(mba.StoreRecordAnswer(Answer(169, {1, 0xAA, 0xBB}, 6)));
  EXPECT_EQ(mba.GetRecordByte(0, 2), 0xBB);
  EXPECT_EQ(mba.GetRecordByte(0, 3), 0);
}

TEST(analogModules, RecordAnswerForAnUnknownModuleChangesNothing) {
  AnalogModules mba;
  for (uint8_t n : {0, 9, 255}) {
    auto data = Pattern(169, 1);
    data[0] = n;
    EXPECT_FALSE(mba.StoreRecordAnswer(Answer(169, data))) << int(n);
  }
  EXPECT_FALSE(mba.StoreRecordAnswer(Answer(0, {1, 2, 3})));
  EXPECT_FALSE(mba.StoreRecordAnswer(std::vector<uint8_t>{1, 68, 169}));
  EXPECT_EQ(mba.GetRecordLength(), 169);
  for (int m = 0; m < 8; ++m) EXPECT_EQ(mba.GetRecordByte(m, 1), 0);
}

TEST(analogModules, RecordsUnitsAndCodesRoundTripByteExact) {
  AnalogModules source;
  for (int m = 0; m < 8; ++m) {
    auto record = Pattern(169, static_cast<uint8_t>(m * 31));
    source.LoadRecord(m, record);
  }
  source.LoadUnits(Pattern(96, 7));
  AnalogModules copy;
  for (int m = 0; m < 8; ++m) copy.LoadRecord(m, source.GetRecord(m));
  copy.LoadUnits(source.GetUnits());
  for (int m = 0; m < 8; ++m) {
    EXPECT_TRUE(
        std::equal(source.GetRecord(m).begin(), source.GetRecord(m).end(), copy.GetRecord(m).begin()));
    for (int c = 0; c < 6; ++c) {
      EXPECT_EQ(copy.GetPosition(m, c), source.GetPosition(m, c));
      EXPECT_EQ(copy.GetScaleMax(m, c), source.GetScaleMax(m, c));
    }
  }
  EXPECT_TRUE(std::equal(source.GetUnits().begin(), source.GetUnits().end(), copy.GetUnits().begin()));
  // Oversize sources are cut at the array.
  copy.LoadRecord(0, Pattern(300, 1));
  copy.LoadUnits(Pattern(300, 1));
  EXPECT_EQ(copy.GetRecordByte(0, 168), 169);
  EXPECT_EQ(copy.GetUnitsByte(95), 96);
}

struct DefaultsCase {
  int type;
  int channel;
  const char* position;
  int unit;
  int kind;
  int byte1;
};

class ProgMBAChannelDefaults : public ::testing::TestWithParam<DefaultsCase> {};

TEST_P(ProgMBAChannelDefaults, NewConfigurationChannel) {
  const auto& d = GetParam();
  AnalogModules mba;
  mba.SetRecordByte(4, 1 + 28 * d.channel + 1, 0xFF);  // bits 7-6 of byte 1 are left alone
  mba.SetChannelDefaults(4, d.channel, d.type);
  EXPECT_EQ(mba.GetPosition(4, d.channel), d.position);
  EXPECT_EQ(mba.GetUnitIndex(4, d.channel), d.unit);
  EXPECT_EQ(mba.GetScaleKind(4, d.channel), d.kind);
  EXPECT_EQ(mba.GetRecordByte(4, 1 + 28 * d.channel + 1), 0xC0 | d.byte1);
  EXPECT_EQ(mba.GetScaleMin(4, d.channel), "0,0000");
  EXPECT_EQ(mba.GetScaleMax(4, d.channel), "100,0000");
  EXPECT_EQ(mba.GetSetpointLL(4, d.channel), "0,0000");
  EXPECT_EQ(mba.GetSetpointL(4, d.channel), "0,0000");
  EXPECT_EQ(mba.GetSetpointH(4, d.channel), "100,0000");
  EXPECT_EQ(mba.GetSetpointHH(4, d.channel), "100,0000");
}

INSTANTIATE_TEST_SUITE_P(Types, ProgMBAChannelDefaults,
                         ::testing::Values(DefaultsCase{6, 0, "поз.6101", 1, 0, 0},
                                           DefaultsCase{7, 2, "поз.7103", 1, 0, 0},
                                           DefaultsCase{8, 0, "поз.8101", 0, 10, 30},
                                           DefaultsCase{8, 5, "поз.8106", 0, 10, 30},
                                           DefaultsCase{9, 5, "поз.9106", 1, 0, 0}));

TEST(analogModules, ModuleDefaultsSetTheBlockNumberAndEveryChannel) {
  AnalogModules mba;
  mba.SetModuleDefaults(2, 8);
  EXPECT_EQ(mba.GetRecordByte(2, 0), 3);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(mba.GetRangeIndex(2, c), 30);
  // Range index 30 of the default sensor matches the default scale.
  EXPECT_EQ(AnalogModules::GetSensorRanges(10)[30].Min, 0);
  EXPECT_EQ(AnalogModules::GetSensorRanges(10)[30].Max, 100);
}

TEST(analogModules, SensorRangeTablesHaveTheirRowCounts) {
  const size_t rows[16] = {13, 13, 12, 13, 6, 2, 2, 2, 46, 0, 46, 46, 46, 11, 0, 0};
  for (int t = 0; t < 16; ++t) {
    EXPECT_EQ(AnalogModules::GetSensorRanges(t).size(), rows[t]) << t;
    EXPECT_EQ(AnalogModules::IsFreeRangeSensor(t), rows[t] == 0) << t;
  }
  EXPECT_TRUE(AnalogModules::GetSensorRanges(16).empty());
  EXPECT_TRUE(AnalogModules::GetSensorRanges(-1).empty());
}

struct RangeListCase {
  int sensor;
  int rangeIndex;
  std::vector<int> minima;
  int minSelected;
  int minimum;
  std::vector<int> maxima;
  int maxSelected;
};

class ProgMBARangeLists : public ::testing::TestWithParam<RangeListCase> {};

TEST_P(ProgMBARangeLists, KeepTableOrderAndSelectTheDesignatedRow) {
  const auto& r = GetParam();
  const RangeList minima = AnalogModules::FillRangeMinList(r.sensor, r.rangeIndex);
  EXPECT_EQ(minima.Items, r.minima);
  EXPECT_EQ(minima.Selected, r.minSelected);
  const RangeList maxima = AnalogModules::FillRangeMaxList(r.sensor, r.minimum, r.rangeIndex);
  EXPECT_EQ(maxima.Items, r.maxima);
  EXPECT_EQ(maxima.Selected, r.maxSelected);
}

const std::vector<int> kResistanceMinima = {-200, -150, -120, -100, -90, -70, -50, -30,
                                            -25,  -20,  0,    100,  50,  200, -10};

INSTANTIATE_TEST_SUITE_P(
    Tables, ProgMBARangeLists,
    ::testing::Values(
        // Sensor 8: -200 is the minimum of ten rows (nine at the top, one near the end).
        RangeListCase{8, 0, kResistanceMinima, 0, -200, {-150, -100, -70, 0, 40, 50, 70, 100, 150, 500}, 0},
        RangeListCase{8, 42, kResistanceMinima, 0, -200, {-150, -100, -70, 0, 40, 50, 70, 100, 150, 500}, 9},
        RangeListCase{8, 30, kResistanceMinima, 10, 0, {50, 100, 150, 200, 300, 400, 500, 120}, 1},
        RangeListCase{8, 24, kResistanceMinima, 3, -100, {50, 200, 500}, 2},
        RangeListCase{8, 45, kResistanceMinima, 10, 0, {50, 100, 150, 200, 300, 400, 500, 120}, 7},
        RangeListCase{0, 12, {-120, -50, 0, 50, 150}, 4, 150, {400}, 0},
        RangeListCase{2, 3, {-50, 0, 200, 400, 600}, 1, 0, {200, 300, 400, 600, 800, 900, 1100}, 2},
        RangeListCase{7, 1, {0}, 0, 0, {0, 0}, 1},
        // A range index beyond the table (a file may hold any 0..63) designates no row.
        RangeListCase{5, 63, {0, 500}, 0, 500, {1300}, 0}, RangeListCase{14, 0, {}, -1, -200, {}, -1}));

struct FindCase {
  int sensor;
  int minimum;
  int maximum;
  int current;
  int found;
};

class ProgMBAFindRangeIndex : public ::testing::TestWithParam<FindCase> {};

TEST_P(ProgMBAFindRangeIndex, LastMatchingRowOrUnchanged) {
  const auto& f = GetParam();
  EXPECT_EQ(AnalogModules::FindRangeIndex(f.sensor, f.minimum, f.maximum, f.current), f.found);
}

INSTANTIATE_TEST_SUITE_P(Pairs, ProgMBAFindRangeIndex,
                         ::testing::Values(FindCase{8, -200, 500, 0, 42}, FindCase{10, -50, 100, 0, 17},
                                           FindCase{12, 0, 120, 3, 45}, FindCase{7, 0, 0, 0, 1},
                                           FindCase{8, -200, 600, 5, 5}, FindCase{15, -200, 200, 0, 0},
                                           FindCase{13, 50, 100, 2, 10}, FindCase{99, 0, 100, 4, 4}));

TEST(analogModules, ChoosingAFreeRangeSensorSetsMinus200To200) {
  AnalogModules mba;
  mba.SetModuleDefaults(0, 8);
  mba.SetScaleKind(0, 1, 0);  // ХК(L)
  mba.SetRangeIndex(0, 1, 7);
  ASSERT_TRUE(mba.ChooseSensorType(0, 1, 14));  // 100M
  EXPECT_EQ(mba.GetScaleKind(0, 1), 14);
  EXPECT_EQ(mba.GetRangeIndex(0, 1), 0);
  EXPECT_EQ(mba.GetScaleMin(0, 1), "-200,0000");
  EXPECT_EQ(mba.GetScaleMax(0, 1), "200,0000");
  EXPECT_FALSE(mba.ChooseSensorType(0, 1, 14));  // same type: nothing to do
}

TEST(analogModules, ChoosingATableSensorTakesItsFirstRow) {
  AnalogModules mba;
  mba.SetModuleDefaults(0, 8);
  mba.SetScaleKind(0, 0, 0);
  mba.SetRangeIndex(0, 0, 7);
  ASSERT_TRUE(mba.ChooseSensorType(0, 0, 10));  // 100П
  EXPECT_EQ(mba.GetRangeIndex(0, 0), 0);
  EXPECT_EQ(mba.GetScaleMin(0, 0), "-200,0000");
  EXPECT_EQ(mba.GetScaleMax(0, 0), "-150,0000");
  EXPECT_FALSE(mba.ChooseSensorType(0, 0, 16));
}

TEST(analogModules, ChoosingMinimumThenMaximumFollowsTheTable) {
  AnalogModules mba;
  mba.SetModuleDefaults(1, 8);  // sensor 100П, row 30 (0..100)
  const RangeList maxima = mba.ChooseRangeMinimum(1, 2, -100);
  EXPECT_EQ(maxima.Items, (std::vector<int>{50, 200, 500}));
  EXPECT_EQ(maxima.Selected, 0);
  EXPECT_EQ(mba.GetRangeIndex(1, 2), 11);
  EXPECT_EQ(mba.GetScaleMin(1, 2), "-100,0000");
  EXPECT_EQ(mba.GetScaleMax(1, 2), "50,0000");
  mba.ChooseRangeMaximum(1, 2, -100, 500);
  EXPECT_EQ(mba.GetRangeIndex(1, 2), 24);
  EXPECT_EQ(mba.GetScaleMax(1, 2), "500,0000");
  // A minimum the table does not have changes nothing.
  EXPECT_TRUE(mba.ChooseRangeMinimum(1, 2, 7).Items.empty());
  EXPECT_EQ(mba.GetRangeIndex(1, 2), 24);
}

TEST(analogModules, CalibrationCodesAreSignedLittleEndian) {
  AnalogModules mba;
  std::vector<uint8_t> data(43, 0);
  for (int k = 0; k < 7; ++k) {
    const int16_t code1 = static_cast<int16_t>(-1000 * k - 1), code2 = static_cast<int16_t>(1000 * k + 2),
                  current = static_cast<int16_t>(k == 6 ? -32768 : 300 + k);
    data[1 + 4 * k] = code1 & 0xFF, data[2 + 4 * k] = (code1 >> 8) & 0xFF;
    data[3 + 4 * k] = code2 & 0xFF, data[4 + 4 * k] = (code2 >> 8) & 0xFF;
    data[29 + 2 * k] = current & 0xFF, data[30 + 2 * k] = (current >> 8) & 0xFF;
  }
  mba.StoreCalibrationAnswer(3, Answer(43, data));
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(mba.GetCalibrationCode1(3, k), -1000 * k - 1);
    EXPECT_EQ(mba.GetCalibrationCode2(3, k), 1000 * k + 2);
    EXPECT_EQ(mba.GetCurrentCode(3, k), k == 6 ? -32768 : 300 + k);
  }
  EXPECT_EQ(mba.GetCalibrationCode1(3, 7), 0);
  EXPECT_EQ(mba.GetCurrentCode(3, -1), 0);
  EXPECT_EQ(mba.GetCalibrationCode1(2, 1), 0);
  // A short answer: what arrived, the rest cleared.
  mba.StoreCalibrationAnswer(3, Answer(43, data, 10));
  EXPECT_EQ(mba.GetCalibrationCode1(3, 1), -1001);
  EXPECT_EQ(mba.GetCalibrationCode2(3, 1), 0);
  EXPECT_EQ(mba.GetCurrentCode(3, 0), 0);
}

TEST(analogModules, OnlineValuesOfSixChannelsAndTheReference) {
  AnalogModules mba;
  std::vector<uint8_t> data;
  for (int k = 0; k < 6; ++k) {
    const std::string text = " 12," + std::to_string(k) + "0 ";
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(static_cast<uint8_t>(0x20 | k));
  }
  const auto answer = Answer(48, data, 3 + data.size());
  mba.StoreOnlineAnswer(answer);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(mba.GetOnlineText(k), " 12," + std::to_string(k) + "0 ");
    EXPECT_EQ(mba.GetOnlineStatus(k), 0x20 | k);
    EXPECT_EQ(mba.GetAlarmState(k), k);
  }
  mba.StoreReferenceAnswer(std::vector<uint8_t>{1, 71, 8, '2', '3', ',', '5', 0, 0, 0, 0x86});
  EXPECT_EQ(mba.GetOnlineText(6), "23,5");
  EXPECT_EQ(mba.GetOnlineStatus(6), 0x86);
  EXPECT_EQ(mba.GetAlarmState(6), 6);
  EXPECT_EQ(mba.GetOnlineText(7), "");
  // A short answer updates only the entries it holds completely.
  mba.StoreOnlineAnswer(std::vector<uint8_t>{1, 71, 48, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 0x40, 'x'});
  EXPECT_EQ(mba.GetOnlineText(0), "abcdefg");
  EXPECT_EQ(mba.GetOnlineStatus(0), 0x40);
  EXPECT_EQ(mba.GetOnlineText(1), " 12,10 ");
}

TEST(analogModules, ReplaceNeedsACopiedModuleOfTheSameType) {
  AnalogModules mba;
  std::array<uint8_t, 169> buffer{};
  EXPECT_FALSE(mba.ReplaceModule(1, buffer));
  mba.SetModuleDefaults(0, 6);
  mba.SetPosition(0, 0, "FT-1");
  mba.CopyModule(0, 6, buffer);
  EXPECT_EQ(mba.CopiedModule, 0);
  EXPECT_TRUE(mba.CanReplaceModule(6));
  EXPECT_FALSE(mba.CanReplaceModule(7));
  ASSERT_TRUE(mba.ReplaceModule(1, buffer));
  EXPECT_EQ(mba.Unchanged[1], 0);
  EXPECT_EQ(mba.Unchanged[0], 1);
  // The copy is byte for byte, module number byte included.
  EXPECT_TRUE(std::equal(mba.GetRecord(0).begin(), mba.GetRecord(0).end(), mba.GetRecord(1).begin()));
  EXPECT_EQ(mba.GetPosition(1, 0), "FT-1");
}

}  // namespace
}  // namespace zul
