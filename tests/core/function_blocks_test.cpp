#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/model/Float24.h"
#include "core/model/FunctionBlocks.h"

namespace zul {
namespace {

constexpr int kAND = ftAND + 1;
constexpr int kTimer = ftTimer + 1;
constexpr int kComparator = ftComparator + 1;
constexpr int kCounter = ftCounter + 1;

std::vector<uint8_t> Pattern(size_t n, int seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 11 + static_cast<size_t>(seed) * 29 + 3);
  return v;
}

void FillRecord(FunctionBlocks& fb, int i, uint8_t value) {
  for (int pos = 0; pos < FunctionBlocks::kRecordSize; ++pos) fb.SetByte(i, pos, value);
}

// ---- CountInputs --------------------------------------------------------------------

struct InputsCase {
  int type;
  int subtype;
  int inputs;
};

class CountInputsTable : public ::testing::TestWithParam<InputsCase> {};

TEST_P(CountInputsTable, GivesTheKindsInputs) {
  EXPECT_EQ(FunctionBlocks::CountInputs(GetParam().type, GetParam().subtype), GetParam().inputs);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CountInputsTable,
                         ::testing::Values(InputsCase{0, 0, 0}, InputsCase{1, 0, 4}, InputsCase{2, 3, 4},
                                           InputsCase{3, 0, 4}, InputsCase{4, 0, 4}, InputsCase{5, 0, 2},
                                           InputsCase{6, 0, 2}, InputsCase{6, 4, 2}, InputsCase{6, 5, 1},
                                           InputsCase{7, 1, 4}, InputsCase{8, 0, 1}, InputsCase{9, 0, 4},
                                           InputsCase{10, 0, 0}, InputsCase{12, 0, 0}, InputsCase{12, 3, 0}));

// ---- one field per setter ------------------------------------------------------------------

struct FieldCase {
  const char* name;
  int type;  // type code the record has while the field is set
  int (FunctionBlocks::*get)(int) const;
  void (FunctionBlocks::*set)(int, int);
  int pos;
  uint8_t mask;
  int max;
};

class FieldAccess : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldAccess, SetterChangesOnlyItsBits) {
  const auto& c = GetParam();
  FunctionBlocks fb;
  FillRecord(fb, 5, 0xFF);
  fb.SetByte(5, 0, 0xF0 | c.type);
  const auto before = std::vector<uint8_t>(fb.Record(5).begin(), fb.Record(5).end());
  (fb.*c.set)(5, 0);
  EXPECT_EQ((fb.*c.get)(5), 0);
  EXPECT_EQ(fb.GetByte(5, c.pos), before[static_cast<size_t>(c.pos)] & ~c.mask);
  (fb.*c.set)(5, c.max);
  EXPECT_EQ((fb.*c.get)(5), c.max);
  const auto after = std::vector<uint8_t>(fb.Record(5).begin(), fb.Record(5).end());
  EXPECT_EQ(after, before);
  EXPECT_EQ(fb.GetByte(4, c.pos), 0) << "neighbour untouched";
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldAccess,
    ::testing::Values(
        FieldCase{"Subtype", kTimer, &FunctionBlocks::GetSubtype, &FunctionBlocks::SetSubtype, 0, 0xF0, 15},
        FieldCase{"AlarmType", kAND, &FunctionBlocks::GetAlarmType, &FunctionBlocks::SetAlarmType, 9, 0xC0,
                  3},
        FieldCase{"Cell", kAND, &FunctionBlocks::GetCell, &FunctionBlocks::SetCell, 9, 0x1F, 31},
        FieldCase{"Archive", kAND, &FunctionBlocks::GetArchive, &FunctionBlocks::SetArchive, 9, 0x20, 1},
        FieldCase{"TimerDiskr", kTimer, &FunctionBlocks::GetTimerDiskr, &FunctionBlocks::SetTimerDiskr, 5,
                  0x03, 3},
        FieldCase{"Time", kTimer, &FunctionBlocks::GetTime, &FunctionBlocks::SetTime, 6, 0xFF, 255},
        FieldCase{"TimerSetpointKind", kTimer, &FunctionBlocks::GetTimerSetpointKind,
                  &FunctionBlocks::SetTimerSetpointKind, 7, 0x10, 1},
        FieldCase{"TimerSetpointAddress", kTimer, &FunctionBlocks::GetTimerSetpointAddress,
                  &FunctionBlocks::SetTimerSetpointAddress, 7, 0x0F, 15},
        FieldCase{"ClockHour", kTimer, &FunctionBlocks::GetClockHour, &FunctionBlocks::SetClockHour, 5, 0xFC,
                  63},
        FieldCase{"ClockMinute", kTimer, &FunctionBlocks::GetClockMinute, &FunctionBlocks::SetClockMinute, 4,
                  0xFF, 255},
        FieldCase{"ClockSecond", kTimer, &FunctionBlocks::GetClockSecond, &FunctionBlocks::SetClockSecond, 3,
                  0xFF, 255},
        FieldCase{"ComparatorAnalogNumber", kComparator, &FunctionBlocks::GetComparatorAnalogNumber,
                  &FunctionBlocks::SetComparatorAnalogNumber, 1, 0x7F, 127},
        FieldCase{"ComparatorAnalogSource", kComparator, &FunctionBlocks::GetComparatorAnalogSource,
                  &FunctionBlocks::SetComparatorAnalogSource, 1, 0x80, 1},
        FieldCase{"Hysteresis", kComparator, &FunctionBlocks::GetHysteresis, &FunctionBlocks::SetHysteresis,
                  5, 0x7C, 31},
        FieldCase{"Condition", kComparator, &FunctionBlocks::GetCondition, &FunctionBlocks::SetCondition, 5,
                  0x80, 1},
        FieldCase{"X1Number", 12, &FunctionBlocks::GetX1Number, &FunctionBlocks::SetX1Number, 1, 0x7F, 127},
        FieldCase{"X1Source", 12, &FunctionBlocks::GetX1Source, &FunctionBlocks::SetX1Source, 1, 0x80, 1},
        FieldCase{"X2Number", 12, &FunctionBlocks::GetX2Number, &FunctionBlocks::SetX2Number, 5, 0x7F, 127},
        FieldCase{"X2Source", 12, &FunctionBlocks::GetX2Source, &FunctionBlocks::SetX2Source, 5, 0x80, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldAccess, TypeCodeSetterResetsTheSubtype) {
  FunctionBlocks fb;
  fb.SetByte(0, 0, 0x56);
  fb.SetTypeCode(0, kComparator);
  EXPECT_EQ(fb.GetByte(0, 0), kComparator);
  EXPECT_EQ(fb.GetSubtype(0), 0);
}

TEST(FieldAccess, InputFieldsOfEachInputStayApart) {
  FunctionBlocks fb;
  fb.SetTypeCode(0, kAND);
  for (int k = 0; k < 4; ++k) {
    fb.SetInputSource(0, k, k + 1);
    fb.SetInputPolarity(0, k, k % 2);
    fb.SetInputNumber(0, k, 100 + k);
  }
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(fb.GetInputSource(0, k), k + 1);
    EXPECT_EQ(fb.GetInputPolarity(0, k), k % 2);
    EXPECT_EQ(fb.GetInputNumber(0, k), 100 + k);
    EXPECT_EQ(fb.GetByte(0, 1 + 2 * k), ((k % 2) << 3) | (k + 1));
  }
  fb.SetInputSource(0, 4, 7);  // no fifth input
  EXPECT_EQ(fb.GetByte(0, 9), 0);
}

TEST(FieldAccess, ComparatorInputLiesInBytesSevenAndEight) {
  FunctionBlocks fb;
  fb.SetTypeCode(0, kComparator);
  fb.SetComparatorAnalogNumber(0, 5);
  fb.SetInputSource(0, 0, srcDiscreteInvalid);
  fb.SetInputPolarity(0, 0, 1);
  fb.SetInputNumber(0, 0, 200);
  EXPECT_EQ(fb.GetByte(0, 7), 0x0C);
  EXPECT_EQ(fb.GetByte(0, 8), 200);
  EXPECT_EQ(fb.GetByte(0, 1), 5);
  EXPECT_EQ(fb.GetInputNumber(0, 1), 0);
}

TEST(FieldAccess, CounterSetpoint17SplitsOverBytesOneAndThree) {
  FunctionBlocks fb;
  fb.SetTypeCode(0, kCounter);
  fb.SetByte(0, 1, 0x0F);  // input 1: source 7, direct
  fb.SetByte(0, 3, 0xEA);  // input 2: source 2, direct, and stale upper bits
  fb.SetCounterSetpoint(0, 17);
  EXPECT_EQ(fb.GetByte(0, 1), 0x1F);
  EXPECT_EQ(fb.GetByte(0, 3), 0x1A);
  EXPECT_EQ(fb.GetCounterSetpoint(0), 17);
  fb.SetCounterSetpoint(0, 31);
  EXPECT_EQ(fb.GetCounterSetpoint(0), 31);
  fb.SetCounterSetpoint(0, 0);
  EXPECT_EQ(fb.GetByte(0, 1), 0x0F);
  EXPECT_EQ(fb.GetByte(0, 3), 0x0A);
}

TEST(FieldAccess, OneBitSourceSetterClearsWithZero) {
  FunctionBlocks fb;
  fb.SetTypeCode(0, 12);
  fb.SetX1Number(0, 9);
  fb.SetX1Source(0, 1);
  EXPECT_EQ(fb.GetByte(0, 1), 0x89);
  fb.SetX1Source(0, 0);
  EXPECT_EQ(fb.GetByte(0, 1), 0x09);
}

TEST(FieldAccess, RelayBytesAndResultAddressVariants) {
  FunctionBlocks fb;
  for (int m = 1; m <= 5; ++m) fb.SetRelayByte(0, m, m * 3);
  for (int m = 1; m <= 5; ++m) EXPECT_EQ(fb.GetByte(0, 9 + m), m * 3);
  fb.SetRelayByte(0, 6, 0xFF);  // no sixth module
  EXPECT_EQ(fb.GetByte(0, 15), 0);
  fb.SetResultAddress(0, 1, 7);
  fb.SetResultAddress(0, 2, 8);
  EXPECT_EQ(fb.GetByte(0, 9), 7);
  EXPECT_EQ(fb.GetByte(0, 6), 8);
  EXPECT_EQ(fb.GetResultAddress(0, 3), 0);
}

TEST(FieldAccess, OutOfRangeIndexesAreIgnored) {
  FunctionBlocks fb;
  fb.SetByte(120, 0, 1);
  fb.SetByte(-1, 0, 1);
  fb.SetByte(0, 19, 1);
  fb.SetAlgName(120, "x");
  EXPECT_EQ(fb.GetByte(120, 0), 0);
  EXPECT_EQ(fb.GetByte(0, 19), 0);
  EXPECT_EQ(fb.GetAlgName(120), "");
  EXPECT_EQ(fb.GetFloatText(500, 1), "");
}

// ---- Float24 text ----------------------------------------------------------------------------

struct FloatCase {
  float value;
  const char* text;
};

class FloatText : public ::testing::TestWithParam<FloatCase> {};

TEST_P(FloatText, DecimalsFollowTheMagnitude) {
  FunctionBlocks fb;
  std::array<uint8_t, 3> bytes{};
  FloatToFloat24(GetParam().value, bytes.data());
  for (int k = 0; k < 3; ++k) fb.SetByte(0, 2 + k, bytes[static_cast<size_t>(k)]);
  EXPECT_EQ(fb.GetFloatText(0, 1), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Magnitudes, FloatText,
                         ::testing::Values(FloatCase{-10.0f, "-10,000"}, FloatCase{10.0f, "10,0000"},
                                           FloatCase{10000.0f, "10000,0"}, FloatCase{10000.5f, "10001"},
                                           FloatCase{0.0f, "0,0000"}, FloatCase{1.5f, "1,5000"},
                                           FloatCase{-9.5f, "-9,5000"}, FloatCase{100.0f, "100,000"},
                                           FloatCase{-100.0f, "-100,00"}, FloatCase{1234.5f, "1234,5"},
                                           FloatCase{-10000.0f, "-10000"}, FloatCase{0.5f, "0,5000"},
                                           FloatCase{-0.00001f, "0,0000"}, FloatCase{12345.0f, "12345"},
                                           FloatCase{16777216.0f, "1,677722E+007"}));

TEST(FloatText, SetAndGetRoundTripOnBothPlaces) {
  FunctionBlocks fb;
  EXPECT_TRUE(fb.SetFloatText(3, "-12,5", 1));
  EXPECT_TRUE(fb.SetFloatText(3, " 2.25 ", 2));
  EXPECT_EQ(fb.GetFloatText(3, 1), "-12,500");
  EXPECT_EQ(fb.GetFloatText(3, 2), "2,2500");
  EXPECT_EQ(fb.GetByte(3, 5), 0);
  EXPECT_EQ(fb.GetByte(3, 9), 0);
  std::array<uint8_t, 3> expect{};
  FloatToFloat24(2.25f, expect.data());
  EXPECT_EQ(fb.GetByte(3, 6), expect[0]);
  EXPECT_EQ(fb.GetByte(3, 7), expect[1]);
  EXPECT_EQ(fb.GetByte(3, 8), expect[2]);
}

TEST(FloatText, TextThatIsNoNumberLeavesTheBytes) {
  FunctionBlocks fb;
  ASSERT_TRUE(fb.SetFloatText(0, "7", 1));
  const auto before = std::vector<uint8_t>(fb.Record(0).begin(), fb.Record(0).end());
  for (const char* bad : {"", "abc", "1,2,3", "1e", "-", "nan", "inf", "1e999"}) {
    EXPECT_FALSE(fb.SetFloatText(0, bad, 1)) << bad;
  }
  EXPECT_FALSE(fb.SetFloatText(0, "1", 3));
  FunctionBlocks huge;
  EXPECT_TRUE(huge.SetFloatText(0, "1e300", 1));
  EXPECT_EQ(huge.GetByte(0, 3), 0x7F);  // saturated mantissa
  EXPECT_EQ(std::vector<uint8_t>(fb.Record(0).begin(), fb.Record(0).end()), before);
}

// ---- limits ----------------------------------------------------------------------------------

struct LimitCase {
  int tableSize;
  int arith;
  int integrators;
  int fbLimit;
  int bound;
};

class Limits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(Limits, FBLimitAndRenumberBound) {
  const auto& c = GetParam();
  FunctionBlocks fb;
  fb.SetTableSize(c.tableSize);
  fb.SetArithCount(c.arith);
  fb.SetIntegratorRecords(c.integrators);
  EXPECT_EQ(fb.FBLimit(), c.fbLimit);
  EXPECT_EQ(fb.RenumberBound(), c.bound);
}

INSTANTIATE_TEST_SUITE_P(Tables, Limits,
                         ::testing::Values(LimitCase{120, 0, 0, 120, 120}, LimitCase{120, 5, 0, 115, 115},
                                           LimitCase{120, 0, 2, 118, 118}, LimitCase{120, 0, 1, 119, 118},
                                           LimitCase{120, 5, 2, 113, 113}, LimitCase{120, 5, 1, 113, 113},
                                           LimitCase{60, 3, 2, 55, 55}));

TEST(Limits, CountsAreClampedToTheTable) {
  FunctionBlocks fb;
  fb.SetTableSize(500);
  EXPECT_EQ(fb.GetTableSize(), 120);
  fb.SetTableSize(65);
  EXPECT_EQ(fb.GetTableSize(), 60);
  fb.SetTableSize(0);
  EXPECT_EQ(fb.GetTableSize(), 10);
  fb.SetArithCount(99);
  EXPECT_EQ(fb.GetArithCount(), 24);
  fb.SetIntegratorRecords(-4);
  EXPECT_EQ(fb.GetIntegratorRecords(), 0);
  fb.SetPageByteCount(1000);
  EXPECT_EQ(fb.GetPageByteCount(), 191);
}

TEST(Limits, RecountFindsBlocksIntegratorsAndArithmeticBlocks) {
  FunctionBlocks fb;
  for (int i = 0; i < 7; ++i) fb.SetTypeCode(i, kAND + i % 9);
  fb.SetTypeCode(7, 12);  // integrators
  fb.SetTypeCode(8, 12);
  for (int i = 9; i < 12; ++i) {
    fb.SetTypeCode(i, 12);
    fb.SetOperation(i, 1 + i % 5);
  }
  fb.SetTypeCode(40, 12);  // beyond the 26 records after the blocks
  fb.SetOperation(40, 2);
  fb.RecountBlocks();
  EXPECT_EQ(fb.FBCount, 7);
  EXPECT_EQ(fb.GetIntegratorRecords(), 2);
  EXPECT_EQ(fb.GetArithCount(), 3);
}

// ---- renumbering ----------------------------------------------------------------------------------

struct Ref {
  int source;
  int number;
};

struct RenumberCase {
  const char* name;
  SignalRenumbering op;
  int a, n, m;
  std::vector<std::pair<Ref, int>> refs;  // input reference -> its number afterwards
};

class Renumbering : public ::testing::TestWithParam<RenumberCase> {};

// Each reference goes into its own AND block, input 2, so every record and
// input position of the loop is covered.
TEST_P(Renumbering, MovesMatchingReferencesOnly) {
  const auto& c = GetParam();
  FunctionBlocks fb;
  int i = 0;
  for (auto& [ref, expected] : c.refs) {
    fb.SetTypeCode(i, kAND);
    fb.SetInputSource(i, 2, ref.source);
    fb.SetInputPolarity(i, 2, 1);
    fb.SetInputNumber(i, 2, ref.number);
    ++i;
  }
  fb.RenumberSignals(c.op, c.a, c.n, c.m);
  i = 0;
  for (auto& [ref, expected] : c.refs) {
    EXPECT_EQ(fb.GetInputNumber(i, 2), expected) << "source " << ref.source << " number " << ref.number;
    EXPECT_EQ(fb.GetInputSource(i, 2), ref.source);
    EXPECT_EQ(fb.GetInputPolarity(i, 2), 1);
    ++i;
  }
}

using R = SignalRenumbering;
INSTANTIATE_TEST_SUITE_P(
    Operations, Renumbering,
    ::testing::Values(
        RenumberCase{
            "DiscreteRemovedCleared",
            R::DiscreteRemovedCleared,
            5,
            2,
            0,
            {{{0, 5}, 5}, {{0, 6}, 0}, {{4, 7}, 0}, {{0, 9}, 7}, {{2, 9}, 9}, {{1, 9}, 9}, {{0, 0}, 0}}},
        RenumberCase{"DiscreteRemovedShift",
                     R::DiscreteRemovedShift,
                     5,
                     2,
                     0,
                     {{{0, 5}, 5}, {{0, 6}, 4}, {{4, 9}, 7}, {{3, 9}, 9}}},
        RenumberCase{
            "DiscreteOneRemoved", R::DiscreteOneRemoved, 5, 1, 0, {{{0, 5}, 5}, {{4, 6}, 0}, {{0, 7}, 7}}},
        RenumberCase{"DiscreteGroupRegrown",
                     R::DiscreteGroupRegrown,
                     5,
                     2,
                     3,
                     {{{0, 5}, 5}, {{0, 6}, 0}, {{0, 7}, 0}, {{0, 8}, 11}, {{2, 8}, 8}}},
        RenumberCase{"DiscreteInserted",
                     R::DiscreteInserted,
                     5,
                     3,
                     0,
                     {{{0, 5}, 5}, {{0, 6}, 9}, {{4, 250}, 0}, {{0, 249}, 252}, {{2, 6}, 6}}},
        RenumberCase{"AnalogRemovedCleared",
                     R::AnalogRemovedCleared,
                     5,
                     2,
                     0,
                     {{{2, 6}, 0}, {{2, 7}, 0}, {{2, 9}, 7}, {{0, 9}, 9}, {{4, 9}, 9}}},
        RenumberCase{
            "AnalogRemovedShift", R::AnalogRemovedShift, 5, 2, 0, {{{2, 6}, 4}, {{2, 5}, 5}, {{0, 6}, 6}}},
        RenumberCase{"AnalogOneRemoved", R::AnalogOneRemoved, 0, 1, 0, {{{2, 1}, 0}, {{2, 2}, 2}}},
        RenumberCase{"AnalogGroupRegrown",
                     R::AnalogGroupRegrown,
                     0,
                     6,
                     6,
                     {{{2, 6}, 0}, {{2, 7}, 13}, {{2, 42}, 48}, {{2, 43}, 0}}},
        RenumberCase{"AnalogInsertedAtZero",
                     R::AnalogInserted,
                     0,
                     3,
                     0,
                     {{{2, 1}, 4}, {{2, 20}, 23}, {{0, 1}, 1}, {{1, 1}, 1}, {{3, 1}, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Renumbering, EveryInputOfEveryKindMoves) {
  FunctionBlocks fb;
  const std::array<std::pair<int, int>, 4> kinds{{{kAND, 0}, {kTimer, 5}, {kCounter, 0}, {kComparator, 0}}};
  for (int i = 0; i < 4; ++i) {
    fb.SetTypeCode(i, kinds[static_cast<size_t>(i)].first);
    fb.SetSubtype(i, kinds[static_cast<size_t>(i)].second);
    for (int k = 0; k < 4; ++k) {
      fb.SetInputSource(i, k, srcAnalogInvalid);
      fb.SetInputNumber(i, k, 10 + k);
    }
  }
  fb.SetCounterSetpoint(2, 31);
  fb.RenumberSignals(R::AnalogInserted, 0, 3);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(fb.GetInputNumber(0, k), 13 + k);
  EXPECT_EQ(fb.GetInputNumber(1, 0), 13);  // alarm clock: one input
  EXPECT_EQ(fb.GetByte(1, 4), 11);         // its minute byte is no input
  for (int k = 0; k < 4; ++k) EXPECT_EQ(fb.GetInputNumber(2, k), 13 + k);
  EXPECT_EQ(fb.GetCounterSetpoint(2), 31);
  EXPECT_EQ(fb.GetInputNumber(3, 0), 13);  // comparator's input in bytes 7-8
}

TEST(Renumbering, ComparatorAnalogValueMovesOnlyWhenItReadsAnAnalogInput) {
  FunctionBlocks fb;
  fb.SetTypeCode(0, kComparator);
  fb.SetComparatorAnalogNumber(0, 6);
  fb.SetTypeCode(1, kComparator);
  fb.SetComparatorAnalogNumber(1, 6);
  fb.SetComparatorAnalogSource(1, 1);  // arithmetic block 6
  fb.SetTypeCode(2, kComparator);
  fb.SetComparatorAnalogNumber(2, 3);
  EXPECT_EQ(fb.RenumberSignals(R::AnalogRemovedShift, 2, 1), 2);
  EXPECT_EQ(fb.GetComparatorAnalogNumber(0), 5);
  EXPECT_EQ(fb.GetComparatorAnalogNumber(1), 6);
  EXPECT_EQ(fb.GetComparatorAnalogSource(1), 1);
  // The first signal after the removed one moves like any input reference.
  EXPECT_EQ(fb.GetComparatorAnalogNumber(2), 2);
  fb.RenumberSignals(R::DiscreteInserted, 0, 5);
  EXPECT_EQ(fb.GetComparatorAnalogNumber(0), 5);
}

TEST(Renumbering, StopsAtTheBoundBeforeTheCalculationRecords) {
  FunctionBlocks fb;
  fb.SetArithCount(20);  // bound 100
  for (int i : {99, 100}) {
    fb.SetTypeCode(i, kAND);
    fb.SetInputSource(i, 0, srcDiscrete);
    fb.SetInputNumber(i, 0, 10);
  }
  EXPECT_EQ(fb.RenumberSignals(R::DiscreteInserted, 0, 1), 1);
  EXPECT_EQ(fb.GetInputNumber(99, 0), 11);
  EXPECT_EQ(fb.GetInputNumber(100, 0), 10);
}

// ---- InsertGap ------------------------------------------------------------------------------------

TEST(InsertGap, MovesRecordsUpAndRenumbersBlockOutputs) {
  FunctionBlocks fb;
  for (int i = 0; i < 6; ++i) {
    fb.SetTypeCode(i, kAND);
    fb.SetByte(i, 18, 0x40 + i);  // marker
  }
  // Block 1 reads blocks 3 and 4, discrete signal 4 and a КВУ number.
  fb.SetInputSource(0, 0, srcFBOutput);
  fb.SetInputNumber(0, 0, 3);
  fb.SetInputSource(0, 1, srcFBOutput);
  fb.SetInputNumber(0, 1, 4);
  fb.SetInputSource(0, 2, srcDiscrete);
  fb.SetInputNumber(0, 2, 4);
  fb.SetInputSource(0, 3, srcFBOutput);
  fb.SetInputNumber(0, 3, 150);
  // Block 6 reads block 5.
  fb.SetInputSource(5, 0, srcFBOutput);
  fb.SetInputNumber(5, 0, 5);
  fb.SetTypeCode(6, 12);  // calculation record right after the blocks
  fb.SetInputSource(6, 0, srcFBOutput);
  fb.SetInputNumber(6, 0, 5);

  fb.InsertGap(3, 10, 11, 6);

  EXPECT_EQ(fb.GetByte(2, 18), 0x42);
  EXPECT_EQ(fb.GetByte(3, 18), 0x43);  // the gap still holds its old records
  EXPECT_EQ(fb.GetByte(5, 18), 0x43);
  EXPECT_EQ(fb.GetByte(7, 18), 0x45);
  EXPECT_EQ(fb.GetTypeCode(8), 12);
  EXPECT_EQ(fb.GetInputNumber(0, 0), 3);
  EXPECT_EQ(fb.GetInputNumber(0, 1), 6);
  EXPECT_EQ(fb.GetInputNumber(0, 2), 4);
  EXPECT_EQ(fb.GetInputNumber(0, 3), 150);
  EXPECT_EQ(fb.GetInputNumber(7, 0), 7);
  EXPECT_EQ(fb.GetInputNumber(8, 0), 5);  // loop stopped at the calculation record
}

TEST(InsertGap, ReferencesPushedPastTheBoundBecomeZero) {
  FunctionBlocks fb;
  fb.SetTypeCode(0, kAND);
  fb.SetInputSource(0, 0, srcFBOutput);
  fb.SetInputNumber(0, 0, 119);
  fb.SetTypeCode(119, kAND);
  fb.SetByte(119, 18, 0x77);
  fb.InsertGap(5, 0, 2, 1);
  EXPECT_EQ(fb.GetInputNumber(0, 0), 0);
  EXPECT_EQ(fb.GetByte(119, 18), 0);  // the last records fall off the table
  fb.InsertGap(5, 4, 2, 1);           // empty group: nothing happens
  fb.InsertGap(130, 0, 2, 1);
}

// ---- names and algorithm data ----------------------------------------------------------------------

TEST(AlgNames, HundredCharactersFillTheFieldWithoutTerminator) {
  FunctionBlocks fb;
  std::string latin(100, 'x');
  latin[0] = 'A';
  fb.SetAlgName(0, latin);
  EXPECT_EQ(fb.GetAlgName(0), latin);
  std::string cyrillic;
  for (int k = 0; k < 100; ++k) cyrillic += "Ж";
  fb.SetAlgName(1, cyrillic + "лишнее");
  EXPECT_EQ(fb.GetAlgName(1), cyrillic);
  fb.StoreTextPage(0);
  EXPECT_EQ(fb.TextPageBuf()[199], 0xC6);  // cp1251 "Ж", no terminator
  EXPECT_EQ(fb.TextPageBuf()[200], ' ');
  fb.SetAlgName(2, "ab");
  EXPECT_EQ(fb.GetAlgName(2), "ab");
  EXPECT_EQ(fb.GetAlgName(3), "");
}

TEST(AlgNames, ResetAfterReadClearsEveryAlgorithm) {
  FunctionBlocks fb;
  fb.SetAlgName(119, "Насос");
  fb.SetAlgCount(3);
  fb.SetAlgStart(4, 4);
  fb.SetAlgMember(2, 0, 4);
  fb.ResetAfterRead();
  EXPECT_EQ(fb.GetAlgName(119), "");
  EXPECT_EQ(fb.GetAlgCount(), 0);
  EXPECT_EQ(fb.GetAlgStart(4), 255);
  EXPECT_EQ(fb.GetAlgMember(2, 0), 255);
}

TEST(AlgorithmData, FileSectionRoundTripsAtEitherTableSize) {
  for (int size : {120, 60}) {
    FunctionBlocks fb;
    fb.SetTableSize(size);
    ASSERT_EQ(fb.AlgorithmDataSize(), static_cast<size_t>(size + size * size + 1));
    fb.SetAlgCount(2);
    fb.SetAlgStart(0, 0);
    fb.SetAlgStart(7, 7);
    fb.SetAlgMember(0, 0, 0);
    fb.SetAlgMember(1, 0, 7);
    fb.SetAlgMember(size - 1, size - 1, 33);
    std::vector<uint8_t> bytes(fb.AlgorithmDataSize());
    fb.StoreAlgorithmData(bytes);
    EXPECT_EQ(bytes[static_cast<size_t>(size + 1)], 255);
    EXPECT_EQ(bytes.back(), 2);
    FunctionBlocks copy;
    copy.SetTableSize(size);
    copy.LoadAlgorithmData(bytes);
    EXPECT_EQ(copy.GetAlgCount(), 2);
    EXPECT_EQ(copy.GetAlgStart(7), 7);
    EXPECT_EQ(copy.GetAlgStart(1), 255);
    EXPECT_EQ(copy.GetAlgMember(1, 0), 7);
    EXPECT_EQ(copy.GetAlgMember(size - 1, size - 1), 33);
  }
}

TEST(AlgorithmData, ShortOrHostileFileStaysInBounds) {
  FunctionBlocks fb;
  std::vector<uint8_t> bytes(fb.AlgorithmDataSize(), 200);  // count 200 > table
  fb.LoadAlgorithmData(bytes);
  EXPECT_EQ(fb.GetAlgCount(), 120);
  fb.LoadAlgorithmData(std::vector<uint8_t>{3, 4});
  EXPECT_EQ(fb.GetAlgStart(0), 3);
  EXPECT_EQ(fb.GetAlgStart(2), 255);
  EXPECT_EQ(fb.GetAlgCount(), 0);
  std::vector<uint8_t> small(5);
  fb.StoreAlgorithmData(small);  // writes what fits
  EXPECT_EQ(small[0], 3);
}

// ---- pages ---------------------------------------------------------------------------------------------

TEST(Pages, EveryPageRoundTripsFromAnswersAndFiles) {
  FunctionBlocks source;
  for (int p = 0; p < source.GetPageCount(); ++p) {
    std::vector<uint8_t> answer{1, 68, 191, static_cast<uint8_t>(68 + p)};
    auto data = Pattern(FunctionBlocks::kPageSize, p);
    answer.insert(answer.end(), data.begin(), data.end());
    ASSERT_TRUE(source.LoadPageFromAnswer(p, answer));
    ASSERT_TRUE(source.LoadTextPage(p, Pattern(FunctionBlocks::kTextPageSize, p + 50)));
  }
  EXPECT_EQ(source.GetByte(10, 0), Pattern(FunctionBlocks::kPageSize, 1)[0]);
  FunctionBlocks copy;
  for (int p = 0; p < source.GetPageCount(); ++p) {
    ASSERT_TRUE(source.StorePage(p));
    auto page = source.PageBuf();
    EXPECT_TRUE(std::equal(page.begin(), page.end(), Pattern(FunctionBlocks::kPageSize, p).begin())) << p;
    copy.LoadPage(p, std::vector<uint8_t>(page.begin(), page.end()));
    ASSERT_TRUE(source.StoreTextPage(p));
    auto text = source.TextPageBuf();
    EXPECT_TRUE(std::equal(text.begin(), text.end(), Pattern(FunctionBlocks::kTextPageSize, p + 50).begin()))
        << p;
    copy.LoadTextPage(p, std::vector<uint8_t>(text.begin(), text.end()));
  }
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) {
    EXPECT_TRUE(std::equal(copy.Record(i).begin(), copy.Record(i).end(), source.Record(i).begin())) << i;
    EXPECT_EQ(copy.GetAlgName(i), source.GetAlgName(i)) << i;
  }
}

TEST(Pages, LengthsFromTheLineAreClamped) {
  FunctionBlocks fb;
  std::vector<uint8_t> oversize(2000, 0x5A);
  ASSERT_TRUE(fb.LoadPageFromAnswer(11, oversize));
  EXPECT_EQ(fb.GetByte(119, 18), 0x5A);
  ASSERT_TRUE(fb.LoadTextPage(11, oversize));
  ASSERT_TRUE(fb.LoadPageFromAnswer(0, std::vector<uint8_t>{1, 68, 2, 68, 0x31}));
  EXPECT_EQ(fb.GetByte(0, 0), 0x31);
  EXPECT_EQ(fb.GetByte(0, 1), 0);
  EXPECT_EQ(fb.GetByte(9, 18), 0);
  EXPECT_TRUE(fb.LoadPageFromAnswer(1, std::vector<uint8_t>{1, 68}));
}

TEST(Pages, PagesBeyondTheTableAreRefused) {
  FunctionBlocks fb;
  fb.SetTableSize(60);
  EXPECT_EQ(fb.GetPageCount(), 6);
  EXPECT_FALSE(fb.LoadPage(6, Pattern(FunctionBlocks::kPageSize, 0)));
  EXPECT_FALSE(fb.StorePage(6));
  EXPECT_FALSE(fb.LoadTextPage(-1, Pattern(10, 0)));
  EXPECT_FALSE(fb.StoreTextPage(12));
  EXPECT_EQ(fb.GetByte(60, 0), 0);
}

TEST(InitialState, EmptyTableWithoutAlgorithms) {
  FunctionBlocks fb;
  EXPECT_EQ(fb.GetCapacity(), 120);
  EXPECT_EQ(fb.GetTableSize(), 120);
  EXPECT_EQ(fb.GetPageByteCount(), 191);
  EXPECT_EQ(fb.FBCount, 0);
  EXPECT_EQ(fb.SelectedArith, -1);
  EXPECT_EQ(fb.PanelRecord[120], -1);
  EXPECT_EQ(fb.GetAlgStart(120), 255);
  EXPECT_EQ(fb.GetAlgMember(120, 120), 255);
  EXPECT_EQ(fb.GetAlgCount(), 0);
  fb.StoreTextPage(0);
  EXPECT_EQ(fb.TextPageBuf()[0], ' ');
}

}  // namespace
}  // namespace zul
