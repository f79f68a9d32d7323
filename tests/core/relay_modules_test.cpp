#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

#include "core/model/RelayModules.h"

namespace zul {
namespace {

std::vector<uint8_t> ReadAnswer(int byteCount, size_t dataBytes, uint8_t first) {
  std::vector<uint8_t> answer(3 + dataBytes);
  answer[0] = 1;
  answer[1] = 68;
  answer[2] = static_cast<uint8_t>(byteCount);
  std::iota(answer.begin() + 3, answer.end(), first);
  return answer;
}

TEST(relayModules, ConstructedZeroWithEveryModuleUnchanged) {
  RelayModules mr;
  EXPECT_EQ(mr.GetBlockLength(), 193);
  EXPECT_EQ(mr.CopiedModule, -1);
  for (int m = 0; m < 8; ++m) {
    EXPECT_EQ(mr.Unchanged[m], 1);
    EXPECT_EQ(mr.ErrorFlags[m], 0);
  }
  for (int i = 0; i < 193; ++i) EXPECT_EQ(mr.GetByte(i), 0);
}

// Every bit accessor: which bit of byte 0 it owns.
struct BitAccessor {
  const char* name;
  int (RelayModules::*get)(int, int) const;
  void (RelayModules::*set)(int, int, int);
  int bit;
};

class ProgMRBits : public ::testing::TestWithParam<BitAccessor> {};

TEST_P(ProgMRBits, SetsOnlyItsBitOfItsOutput) {
  const auto& a = GetParam();
  RelayModules mr;
  const int o = 5, m = 6, at = 1 + 24 * m + 3 * o;
  (mr.*a.set)(o, m, 1);
  EXPECT_EQ(mr.GetByte(at), 1 << a.bit);
  EXPECT_EQ((mr.*a.get)(o, m), 1);
  EXPECT_EQ((mr.*a.get)(o - 1, m), 0);
  mr.SetByte(at, 0xFF);
  (mr.*a.set)(o, m, 0);
  EXPECT_EQ(mr.GetByte(at), 0xFF & ~(1 << a.bit));
  EXPECT_EQ((mr.*a.get)(o, m), 0);
  (mr.*a.set)(o, m, 3);  // only the low bit of the value counts
  EXPECT_EQ(mr.GetByte(at), 0xFF);
  // Bad indexes do nothing.
  (mr.*a.set)(8, 0, 1);
  (mr.*a.set)(0, 8, 1);
  (mr.*a.set)(-1, 0, 1);
  EXPECT_EQ((mr.*a.get)(0, 8), 0);
  int nonZero = 0;
  for (int i = 0; i < 193; ++i) nonZero += mr.GetByte(i) != 0;
  EXPECT_EQ(nonZero, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ProgMRBits,
    ::testing::Values(
        BitAccessor{"OutputType", &RelayModules::GetOutputType, &RelayModules::SetOutputType, 0},
        BitAccessor{"Mode", &RelayModules::GetMode, &RelayModules::SetMode, 1},
        BitAccessor{"ResetTop", &RelayModules::GetResetTop, &RelayModules::SetResetTop, 2},
        BitAccessor{"AckTop", &RelayModules::GetAckTop, &RelayModules::SetAckTop, 3},
        BitAccessor{"ResetPanel", &RelayModules::GetResetPanel, &RelayModules::SetResetPanel, 4},
        BitAccessor{"AckPanel", &RelayModules::GetAckPanel, &RelayModules::SetAckPanel, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(relayModules, ExternalInputsAreBytesOneAndTwo) {
  RelayModules mr;
  mr.SetAckInput(7, 7, 24);
  mr.SetResetInput(7, 7, 252);
  EXPECT_EQ(mr.GetByte(1 + 24 * 7 + 21 + 1), 24);
  EXPECT_EQ(mr.GetByte(192), 252);
  EXPECT_EQ(mr.GetAckInput(7, 7), 24);
  EXPECT_EQ(mr.GetResetInput(7, 7), 252);
  mr.SetAckInput(8, 7, 5);
  EXPECT_EQ(mr.GetAckInput(8, 7), 0);
}

TEST(relayModules, OutputDefaultsAreControlWithInterlockAndTwoResetSources) {
  RelayModules mr;
  mr.SetByte(1 + 24 * 2 + 3 * 4 + 1, 9);
  mr.SetByte(1 + 24 * 2 + 3 * 4 + 2, 9);
  mr.SetOutputDefaults(4, 2);
  EXPECT_EQ(mr.GetByte(1 + 24 * 2 + 3 * 4), 0x17);
  EXPECT_EQ(mr.GetOutputType(4, 2), 1);
  EXPECT_EQ(mr.GetMode(4, 2), 1);
  EXPECT_EQ(mr.GetResetTop(4, 2), 1);
  EXPECT_EQ(mr.GetResetPanel(4, 2), 1);
  EXPECT_EQ(mr.GetAckTop(4, 2), 0);
  EXPECT_EQ(mr.GetAckPanel(4, 2), 0);
  EXPECT_EQ(mr.GetAckInput(4, 2), 0);
  EXPECT_EQ(mr.GetResetInput(4, 2), 0);
  EXPECT_EQ(mr.GetByte(1 + 24 * 2 + 3 * 3), 0);  // the neighbour is untouched

  RelayModules whole;
  whole.SetDefaults();
  EXPECT_EQ(whole.GetByte(0), 9);
  for (int i = 1; i < 193; ++i) EXPECT_EQ(whole.GetByte(i), i % 3 == 1 ? 0x17 : 0) << i;
}

TEST(relayModules, AnswerIsStoredFromByteThreeAndSetsTheLength) {
  RelayModules mr;
  const auto answer = ReadAnswer(193, 193, 9);
  ASSERT_TRUE(mr.StoreAnswer(68, answer));
  EXPECT_EQ(mr.GetBlockLength(), 193);
  EXPECT_TRUE(std::equal(answer.begin() + 3, answer.end(), mr.GetBlock().begin()));
}

TEST(relayModules, AnswerOfAnotherFunctionChangesNothing) {
  RelayModules mr;
  mr.SetByte(5, 0x17);
  EXPECT_FALSE(mr.StoreAnswer(69, ReadAnswer(193, 193, 9)));
  EXPECT_FALSE(mr.StoreAnswer(68, ReadAnswer(0, 10, 9)));
  EXPECT_EQ(mr.GetByte(5), 0x17);
  EXPECT_EQ(mr.GetByte(0), 0);
}

struct LengthCase {
  int byteCount;
  size_t dataBytes;  // what the buffer really holds after the head
  int length;
  int copied;
};

class ProgMRAnswerLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ProgMRAnswerLength, ClampedToTheBlockAndTheBuffer) {
  const auto& c = GetParam();
  RelayModules mr;
  mr.SetDefaults();
  ASSERT_TRUE(mr.StoreAnswer(68, ReadAnswer(c.byteCount, c.dataBytes, 1)));
  EXPECT_EQ(mr.GetBlockLength(), c.length);
  for (int i = 0; i < 193; ++i) EXPECT_EQ(mr.GetByte(i), i < c.copied ? i + 1 : 0) << i;
}

INSTANTIATE_TEST_SUITE_P(Answers, ProgMRAnswerLength,
                         ::testing::Values(LengthCase{193, 193, 193, 193}, LengthCase{250, 252, 193, 193},
                                           LengthCase{100, 193, 100, 100}, LengthCase{193, 20, 193, 20}));

TEST(relayModules, BlockRoundTripsByteExact) {
  RelayModules source;
  source.SetDefaults();
  for (int m = 0; m < 8; ++m)
    for (int o = 0; o < 8; ++o) {
      source.SetOutputType(o, m, (o + m) & 1);
      source.SetAckTop(o, m, o & 1);
      source.SetAckInput(o, m, 8 * m + o);
      source.SetResetInput(o, m, 200 - o);
    }
  RelayModules copy;
  copy.LoadBlock(source.GetBlock());
  EXPECT_TRUE(std::equal(source.GetBlock().begin(), source.GetBlock().end(), copy.GetBlock().begin()));
  std::vector<uint8_t> oversize(source.GetBlock().begin(), source.GetBlock().end());
  oversize.resize(400, 0xEE);
  copy.LoadBlock(oversize);
  EXPECT_TRUE(std::equal(source.GetBlock().begin(), source.GetBlock().end(), copy.GetBlock().begin()));
}

struct ReplaceCase {
  int copiedType;
  int targetType;
  bool allowed;
};

class ProgMRReplace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ProgMRReplace, RefusedOnlyForAnotherTypeAboveFive) {
  const auto& c = GetParam();
  RelayModules mr;
  std::array<uint8_t, 193> copyBlock{};
  mr.CopyModule(1, c.copiedType, copyBlock);
  EXPECT_EQ(mr.CanReplaceModule(c.targetType), c.allowed);
}

INSTANTIATE_TEST_SUITE_P(Types, ProgMRReplace,
                         ::testing::Values(ReplaceCase{3, 12, false}, ReplaceCase{3, 4, true},
                                           ReplaceCase{12, 12, true}, ReplaceCase{12, 3, true},
                                           ReplaceCase{5, 5, true}));

TEST(relayModules, ReplaceTakesTheCopiedModulesBytes) {
  RelayModules mr;
  std::array<uint8_t, 193> copyBlock{};
  EXPECT_FALSE(mr.CanReplaceModule(3));
  EXPECT_FALSE(mr.ReplaceModule(0, copyBlock));
  for (int o = 0; o < 8; ++o) mr.SetAckInput(o, 2, 10 + o);
  mr.CopyModule(2, 4, copyBlock);
  mr.SetAckInput(0, 2, 99);  // later edits of the source do not reach the copy
  ASSERT_TRUE(mr.ReplaceModule(5, copyBlock));
  EXPECT_EQ(mr.Unchanged[5], 0);
  for (int o = 0; o < 8; ++o) EXPECT_EQ(mr.GetAckInput(o, 5), 10 + o);
  EXPECT_EQ(mr.GetByte(0), 0);
  EXPECT_FALSE(mr.ReplaceModule(8, copyBlock));
}

TEST(relayModules, ResetModuleStateClearsErrorsAndMarksUnchanged) {
  RelayModules mr;
  mr.CurrentSlot = 7;
  mr.Unchanged[3] = 0;
  mr.ErrorFlags[3] = 1;
  mr.ResetModuleState();
  EXPECT_EQ(mr.CurrentSlot, 0);
  EXPECT_EQ(mr.Unchanged[3], 1);
  EXPECT_EQ(mr.ErrorFlags[3], 0);
}

}  // namespace
}  // namespace zul
