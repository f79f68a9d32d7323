#include "core/model/Regulators.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

namespace zul {
namespace {

using Record = Regulators::Record;

Record Pattern(uint8_t seed) {
  Record r{};
  std::iota(r.begin(), r.end(), seed);
  return r;
}

// --- loop kind ---------------------------------------------------------------

struct KindCase {
  const char* name;
  uint8_t spSource, output, fb;
  int kind;
  TRegType type;
};

class KindTable : public ::testing::TestWithParam<KindCase> {};

TEST_P(KindTable, KindFollowsBytesOneToThree) {
  const auto& c = GetParam();
  Regulators reg;
  reg.SetSPSource(2, c.spSource);
  reg.SetOutput(2, c.output);
  reg.SetFB(2, c.fb);
  EXPECT_EQ(reg.GetKind(2), c.kind);
  EXPECT_EQ(reg.GetRegType(2), c.type);
}

INSTANTIATE_TEST_SUITE_P(
    Records, KindTable,
    ::testing::Values(
        KindCase{"Repeater", 0, 3, 0, 0, rtPS}, KindCase{"TwoPositionByFb5", 0, 3, 5, 4, rtDPR},
        KindCase{"SingleLoop", 1, 7, 1, 1, rtPID}, KindCase{"CascadeOuterToRecord1", 1, 9, 0, 2, rtPID},
        KindCase{"CascadeInnerFedByRegulator2", 9, 2, 0, 2, rtPID},
        KindCase{"CascadeInnerLast", 13, 2, 0, 2, rtPID}, KindCase{"ProgramFirst", 16, 2, 0, 3, rtPID},
        KindCase{"ProgramLast", 21, 2, 0, 3, rtPID}, KindCase{"ByteOneNamesKind", 3, 2, 0, 3, rtPID},
        KindCase{"BetweenCascadeAndProgram", 14, 2, 0, Regulators::KindUnknown, rtPID},
        KindCase{"DamagedByte", 200, 2, 0, Regulators::KindUnknown, rtPID}),
    [](const auto& info) { return std::string(info.param.name); });

// --- byte fields ---------------------------------------------------------------

TEST(ProgRegFields, KvuStoresAddressLess120AndReadsItBack) {
  Regulators reg;
  EXPECT_EQ(reg.GetKvu(0), 0);
  reg.SetKvu(0, 130);
  EXPECT_EQ(reg.Loops[0][24], 10);
  EXPECT_EQ(reg.GetKvu(0), 130);
  reg.SetKvu(0, 0);
  EXPECT_EQ(reg.GetKvu(0), 0);
}

TEST(ProgRegFields, OutActionKeepsTheOtherBitsOfByteThree) {
  Regulators reg;
  reg.SetFB(1, 0xF0);
  reg.SetOutAction(1, toInverse);
  EXPECT_EQ(reg.GetFB(1), 0xF1);
  EXPECT_EQ(reg.GetOutAction(1), toInverse);
  reg.SetOutAction(1, toDirect);
  EXPECT_EQ(reg.GetFB(1), 0xF0);
}

TEST(ProgRegFields, IndexesOutsideTheRecordsReadZeroAndStoreNothing) {
  Regulators reg;
  const auto before = reg.Loops;
  reg.SetPV(6, 5);
  reg.SetLoopByte(-1, 0, 5);
  reg.SetLoopByte(0, 28, 5);
  reg.SetTime(0, 6, 5);
  reg.SetOUT0(7, 50.0f);
  EXPECT_FALSE(reg.SetKP(6, "1"));
  EXPECT_EQ(reg.Loops, before);
  EXPECT_EQ(reg.GetPV(6), 0);
  EXPECT_EQ(reg.GetValue(0, -1), 0);
}

struct OutCase {
  float percent;
  uint8_t low, high;
};

class OutTable : public ::testing::TestWithParam<OutCase> {};

TEST_P(OutTable, PercentIsStoredOnTheScaleOf16383) {
  const auto& c = GetParam();
  Regulators reg;
  reg.SetOUT0(3, c.percent);
  reg.SetOUT1(3, c.percent);
  EXPECT_EQ(reg.Loops[3][4], c.low);
  EXPECT_EQ(reg.Loops[3][5], c.high);
  EXPECT_EQ(reg.Loops[3][6], c.low);
  EXPECT_EQ(reg.Loops[3][7], c.high);
  int code = c.low | (c.high << 8);
  EXPECT_FLOAT_EQ(reg.GetOUT0(3), code * 100.0f / 16383);
}

INSTANTIATE_TEST_SUITE_P(Levels, OutTable,
                         ::testing::Values(OutCase{50.0f, 0xFF, 0x1F}, OutCase{100.0f, 0xFF, 0x3F},
                                           OutCase{0.0f, 0x00, 0x00}, OutCase{1.0f, 0xA3, 0x00},
                                           OutCase{-5.0f, 0x00, 0x00}));

// --- Float24 parameters as text ----------------------------------------------

struct TextCase {
  const char* name;
  std::string (Regulators::*get)(int) const;
  bool (Regulators::*set)(int, std::string_view);
  const char* typed;
  const char* shown;
};

class FloatTextTable : public ::testing::TestWithParam<TextCase> {};

TEST_P(FloatTextTable, ShowsWithTheFieldsPrecision) {
  const auto& c = GetParam();
  Regulators reg;
  ASSERT_TRUE((reg.*c.set)(4, c.typed));
  EXPECT_EQ((reg.*c.get)(4), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FloatTextTable,
    ::testing::Values(
        TextCase{"KP", &Regulators::GetKP, &Regulators::SetKP, "1", "1,00"},
        TextCase{"TiWithComma", &Regulators::GetTi, &Regulators::SetTi, "2,5", "2,50"},
        TextCase{"TdSevenDigits", &Regulators::GetTd, &Regulators::SetTd, "12345.5", "12345,50"},
        TextCase{"OLFiveDigits", &Regulators::GetOL, &Regulators::SetOL, "12345.5", "12346,00"},
        TextCase{"OH", &Regulators::GetOH, &Regulators::SetOH, "100", "100,00"},
        TextCase{"dSPNegative", &Regulators::GetdSP, &Regulators::SetdSP, "-0.5", "-0,50"},
        TextCase{"FcOutFourDecimals", &Regulators::GetFcOut, &Regulators::SetFcOut, "12.5", "12,5000"},
        TextCase{"HugeSaturates", &Regulators::GetKP, &Regulators::SetKP, "1e300", "1,701360E+038"},
        TextCase{"FcOutPaddedBlanks", &Regulators::GetFcOut, &Regulators::SetFcOut, " 3 ", "3,0000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgRegFloatText, ParametersLandInTheirBytes) {
  Regulators reg;
  reg.SetKP(0, "1");
  reg.SetdSP(0, "100");
  reg.SetFcOut(0, "-1");
  EXPECT_EQ((std::array<uint8_t, 3>{reg.Loops[0][6], reg.Loops[0][7], reg.Loops[0][8]}),
            (std::array<uint8_t, 3>{0x00, 0x40, 0x01}));
  EXPECT_EQ((std::array<uint8_t, 3>{reg.Loops[0][21], reg.Loops[0][22], reg.Loops[0][23]}),
            (std::array<uint8_t, 3>{0x00, 0x64, 0x07}));
  EXPECT_EQ((std::array<uint8_t, 3>{reg.Loops[0][25], reg.Loops[0][26], reg.Loops[0][27]}),
            (std::array<uint8_t, 3>{0x00, 0xC0, 0x01}));
}

TEST(ProgRegFloatText, TextThatIsNoNumberIsRefusedAndNothingStored) {
  Regulators reg;
  reg.SetKP(0, "7");
  for (const char* bad : {"", "  ", "abc", "1,2,3", "1.5x", "--1", "nan", "inf"}) {
    EXPECT_FALSE(reg.SetKP(0, bad)) << bad;
    EXPECT_EQ(reg.GetKP(0), "7,00") << bad;
  }
}

// --- program records ---------------------------------------------------------

TEST(ProgRegPrograms, NewProgramsRiseFifteenPercentAPointAndArePacked) {
  Regulators reg;
  reg.Programs[2][0] = 4;
  reg.Programs[2][26] = 0x55;
  reg.SetNewPrograms();
  const int expected[] = {2457, 4914, 7372, 9829, 12287, 14744};
  for (int p = 0; p < 6; ++p) {
    for (int t = 0; t < 6; ++t) {
      EXPECT_EQ(reg.GetTime(p, t), 60);
      EXPECT_EQ(reg.GetValue(p, t), expected[t]);
    }
  }
  EXPECT_EQ(reg.GetProgReg(2), 4);
  EXPECT_EQ(reg.Programs[2][26], 0x55);
  for (int r = 0; r < 6; ++r)
    EXPECT_TRUE(std::equal(reg.Programs[r].begin(), reg.Programs[r].end(), reg.RegBuf.begin() + 28 * r));
  // 15 % is stored low byte first.
  EXPECT_EQ(reg.Programs[0][3], 2457 & 0xFF);
  EXPECT_EQ(reg.Programs[0][4], 2457 >> 8);
}

struct SetpointCase {
  double min, max, setpoint;
  int code;
};

class SetpointTable : public ::testing::TestWithParam<SetpointCase> {};

// The controller reads a point's code unsigned: one that does not fit
// 0..65535 is refused and the point keeps what it held (code -1 below).
TEST_P(SetpointTable, SetpointIsScaledByTheInputSpanAndTruncated) {
  const auto& c = GetParam();
  Regulators reg;
  reg.SetValue(1, 5, 1234);
  EXPECT_EQ(reg.SetSetpoint(1, 5, c.setpoint, c.min, c.max), c.code >= 0);
  const int stored = c.code >= 0 ? c.code : 1234;
  EXPECT_EQ(reg.GetValue(1, 5), stored);
  EXPECT_EQ(reg.Programs[1][3 + 20] | (reg.Programs[1][4 + 20] << 8), stored);
  EXPECT_NEAR(reg.GetSetpoint(1, 5, c.min, c.max), stored * (c.max - c.min) / 16383, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Scales, SetpointTable,
                         ::testing::Values(SetpointCase{0, 200, 100, 8191}, SetpointCase{0, 100, 100, 16383},
                                           SetpointCase{200, 300, 250, 40957},  // above 32767
                                           SetpointCase{200, 300, 300, 49149},
                                           SetpointCase{200, 300, 200, 32766},
                                           SetpointCase{0, 100, 400.02, 65535},  // the largest code
                                           SetpointCase{0, 100, 400.03, -1},     // beyond 16 bits
                                           SetpointCase{-50, 150, -20, -1},      // below zero
                                           SetpointCase{10, 10, 5, 0},           // empty scale
                                           SetpointCase{0, 1, 1e9, -1}, SetpointCase{0, 1, -1e9, -1}));

// --- removing and clearing records -------------------------------------------

TEST(ProgRegRecords, RemoveLoopsFourOneMovesFiveDownAndZeroesIt) {
  Regulators reg;
  for (int r = 0; r < 6; ++r) reg.Loops[r] = Pattern(static_cast<uint8_t>(10 * r + 1));
  reg.RemoveLoops(4, 1);
  EXPECT_EQ(reg.Loops[3], Pattern(31));
  EXPECT_EQ(reg.Loops[4], Pattern(51));
  EXPECT_EQ(reg.Loops[5], Record{});
}

TEST(ProgRegRecords, RemoveProgramsShiftsByCountAndZeroesTheEnd) {
  Regulators reg;
  for (int r = 0; r < 6; ++r) reg.Programs[r] = Pattern(static_cast<uint8_t>(10 * r + 1));
  reg.RemovePrograms(1, 2);
  EXPECT_EQ(reg.Programs[0], Pattern(1));
  EXPECT_EQ(reg.Programs[1], Pattern(31));
  EXPECT_EQ(reg.Programs[3], Pattern(51));
  EXPECT_EQ(reg.Programs[4], Record{});
  EXPECT_EQ(reg.Programs[5], Record{});
  reg.RemovePrograms(0, 50);
  for (const auto& r : reg.Programs) EXPECT_EQ(r, Record{});
}

TEST(ProgRegRecords, ClearLoopsStopsAtTheLastRecordAndReturnsTheEnd) {
  Regulators reg;
  for (int r = 0; r < 6; ++r) reg.Loops[r] = Pattern(1);
  EXPECT_EQ(reg.ClearLoops(4, 10), 14);
  EXPECT_EQ(reg.Loops[3], Pattern(1));
  EXPECT_EQ(reg.Loops[4], Record{});
  EXPECT_EQ(reg.Loops[5], Record{});
  EXPECT_EQ(reg.ClearLoops(-2, 3), 1);
  EXPECT_EQ(reg.Loops[0], Record{});
  EXPECT_EQ(reg.Loops[1], Pattern(1));
}

// --- blocks --------------------------------------------------------------------

std::vector<uint8_t> BlockBytes(uint8_t seed) {
  std::vector<uint8_t> bytes(168);
  for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<uint8_t>(seed + 7 * k);
  return bytes;
}

class BlockRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(BlockRoundTrip, AnswerUnpackedAndPackedIsByteExact) {
  const int n = GetParam();
  auto data = BlockBytes(static_cast<uint8_t>(n));
  std::vector<uint8_t> answer(4 + data.size() + 2, 0xAA);  // head, data, CRC
  answer[0] = 0x01;
  answer[1] = 68;
  answer[2] = 169;
  answer[3] = static_cast<uint8_t>(n);
  std::copy(data.begin(), data.end(), answer.begin() + 4);

  Regulators reg;
  reg.LoadFromAnswer(answer.data(), answer.size());
  reg.Unpack(n);
  reg.RegBuf.fill(0xEE);
  reg.Pack(n);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), reg.RegBuf.begin()));
  const auto& records = n == 32 ? reg.Loops : reg.Programs;
  const auto& other = n == 32 ? reg.Programs : reg.Loops;
  EXPECT_TRUE(std::equal(data.begin() + 28 * 5, data.end(), records[5].begin()));
  for (const auto& r : other) EXPECT_EQ(r, Record{});
}

INSTANTIATE_TEST_SUITE_P(Blocks, BlockRoundTrip, ::testing::Values(32, 33));

TEST(ProgRegBlocks, OtherBlockNumbersNeitherUnpackNorPack) {
  Regulators reg;
  auto data = BlockBytes(3);
  reg.LoadFromFile(data.data(), data.size());
  reg.Unpack(31);
  for (const auto& r : reg.Loops) EXPECT_EQ(r, Record{});
  reg.Loops[0] = Pattern(1);
  reg.Pack(34);
  EXPECT_EQ(reg.RegBuf, (std::array<uint8_t, 168>{}));
}

TEST(ProgRegBlocks, OversizeAndShortInputStayWithinTheBuffer) {
  Regulators reg;
  std::vector<uint8_t> big(400, 0x5A);
  reg.LoadFromFile(big.data(), big.size());
  std::array<uint8_t, 168> filled;
  filled.fill(0x5A);
  EXPECT_EQ(reg.RegBuf, filled);

  std::vector<uint8_t> shortAnswer = {0x01, 68, 5, 32, 9, 8};
  reg.LoadFromAnswer(shortAnswer.data(), shortAnswer.size());
  EXPECT_EQ(reg.RegBuf[0], 9);
  EXPECT_EQ(reg.RegBuf[1], 8);
  EXPECT_EQ(reg.RegBuf[2], 0);
  reg.LoadFromAnswer(shortAnswer.data(), 3);
  EXPECT_EQ(reg.RegBuf, (std::array<uint8_t, 168>{}));

  reg.SetRegBlockLen(255);
  EXPECT_EQ(reg.RegBlockLen, 169);
  EXPECT_EQ(reg.BlockFileLength(), 168);
  reg.SetRegBlockLen(0);
  EXPECT_EQ(reg.BlockFileLength(), 0);
}

// --- online values -------------------------------------------------------------

TEST(ProgRegOnline, ValuesAreBigEndianSinglesInSpOutPvOrder) {
  Regulators reg;
  std::vector<uint8_t> data(72, 0);
  auto put = [&](int k, uint32_t bits) {
    for (int b = 0; b < 4; ++b) data[4 * k + b] = static_cast<uint8_t>(bits >> (24 - 8 * b));
  };
  put(0, 0x3F800000);   // loop 0 SP 1.0
  put(4, 0x42C80000);   // loop 1 OUT 100.0
  put(17, 0xC0000000);  // loop 5 PV -2.0
  reg.StoreOnlineValues(data.data(), data.size());
  EXPECT_EQ(reg.RegValues[0][0], 1.0f);
  EXPECT_EQ(reg.RegValues[1][1], 100.0f);
  EXPECT_EQ(reg.RegValues[5][2], -2.0f);

  reg.StoreOnlineValues(data.data(), 6);  // one value and a half
  EXPECT_EQ(reg.RegValues[0][0], 1.0f);

  const uint8_t status[] = {0x01, 0x02, 0x40, 0x80, 0xC3, 0x00, 0xFF};
  reg.StoreOnlineStatus(status, sizeof status);
  EXPECT_TRUE(reg.IsAutomatic(0));
  EXPECT_TRUE(reg.IsSwitchedOn(1));
  EXPECT_TRUE(reg.IsOutputIndicator(2));
  EXPECT_TRUE(reg.IsInputIndicator(3));
  EXPECT_FALSE(reg.IsAutomatic(5));
  EXPECT_FALSE(reg.IsAutomatic(6));
}

}  // namespace
}  // namespace zul
