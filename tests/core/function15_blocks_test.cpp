#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "core/model/Function15Blocks.h"

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

TEST(function15Blocks, ConstructedZeroAndUnchanged) {
  Function15Blocks f15;
  EXPECT_EQ(f15.Unchanged, 1);
  EXPECT_EQ(f15.Unchanged2, 1);
  EXPECT_EQ(f15.ChangedInNetwork, 0);
  EXPECT_EQ(f15.RightClickedEntry, 0);
  for (int i = 0; i < 81; ++i) EXPECT_EQ(f15.GetByte(i), 0);
  EXPECT_TRUE(f15.IsEntryFree(0));
  EXPECT_TRUE(f15.IsEntryFree(1));
}

// Where each field of an entry lives: (entry byte, value written, bytes expected there).
struct FieldCase {
  const char* name;
  int (Function15Blocks::*get)(int) const;
  void (Function15Blocks::*set)(int, int);
  int offset;
  int value;
  std::vector<uint8_t> bytes;
};

class ProgF15Fields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(ProgF15Fields, StoredAtTheirOffsetOfTheirEntry) {
  const auto& f = GetParam();
  for (int b = 0; b < 2; ++b) {
    Function15Blocks f15;
    (f15.*f.set)(b, f.value);
    EXPECT_EQ((f15.*f.get)(b), f.value);
    EXPECT_EQ((f15.*f.get)(1 - b), 0);
    const int at = 1 + 40 * b + f.offset;
    for (size_t k = 0; k < f.bytes.size(); ++k) EXPECT_EQ(f15.GetByte(at + static_cast<int>(k)), f.bytes[k]);
    int nonZero = 0;
    for (int i = 0; i < 81; ++i) nonZero += f15.GetByte(i) != 0;
    EXPECT_EQ(nonZero,
              static_cast<int>(std::count_if(f.bytes.begin(), f.bytes.end(), [](uint8_t x) { return x; })));
    // Bad entries do nothing.
    (f15.*f.set)(2, 1);
    (f15.*f.set)(-1, 1);
    EXPECT_EQ((f15.*f.get)(2), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Entry, ProgF15Fields,
    ::testing::Values(
        FieldCase{"Function", &Function15Blocks::GetFunction, &Function15Blocks::SetFunction, 0, 15, {15}},
        FieldCase{"Inputs", &Function15Blocks::GetInputs, &Function15Blocks::SetInputs, 1, 32, {32}},
        FieldCase{"Slave", &Function15Blocks::GetSlave, &Function15Blocks::SetSlave, 2, 17, {17}},
        FieldCase{"StartAddress",
                  &Function15Blocks::GetStartAddress,
                  &Function15Blocks::SetStartAddress,
                  3,
                  0x037F,
                  {0x7F, 0x03}},
        FieldCase{"DataCount",
                  &Function15Blocks::GetDataCount,
                  &Function15Blocks::SetDataCount,
                  5,
                  0x1234,
                  {0x34, 0x12}},
        FieldCase{"Acknowledge",
                  &Function15Blocks::GetAcknowledge,
                  &Function15Blocks::SetAcknowledge,
                  7,
                  1,
                  {0x10}},
        FieldCase{"Reset", &Function15Blocks::GetReset, &Function15Blocks::SetReset, 7, 1, {0x20}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(function15Blocks, FlagBitsLeaveTheOtherBitsOfByteSevenAlone) {
  Function15Blocks f15;
  f15.SetByte(1 + 40 + 7, 0xCF);
  f15.SetAcknowledge(1, 1);
  f15.SetReset(1, 1);
  EXPECT_EQ(f15.GetByte(1 + 40 + 7), 0xFF);
  f15.SetAcknowledge(1, 0);
  EXPECT_EQ(f15.GetByte(1 + 40 + 7), 0xEF);
  EXPECT_EQ(f15.GetReset(1), 1);
  EXPECT_EQ(f15.GetAcknowledge(1), 0);
}

TEST(function15Blocks, InputSignalsAreBytesEightOn) {
  Function15Blocks f15;
  for (int i = 0; i < 32; ++i) f15.SetInputSignal(1, i, 221 + i);
  EXPECT_EQ(f15.GetByte(1 + 40 + 8), 221);
  EXPECT_EQ(f15.GetByte(80), 252);
  EXPECT_EQ(f15.GetInputSignal(1, 31), 252);
  EXPECT_EQ(f15.GetInputSignal(0, 31), 0);
  f15.SetInputSignal(0, 32, 7);  // would be entry 1's byte 0
  f15.SetInputSignal(0, -1, 7);
  EXPECT_EQ(f15.GetFunction(1), 0);
  EXPECT_EQ(f15.GetByte(40), 0);
  EXPECT_EQ(f15.GetInputSignal(0, 32), 0);
}

TEST(function15Blocks, ClearEntryZeroesOnlyThatEntry) {
  Function15Blocks f15;
  for (int i = 1; i < 81; ++i) f15.SetByte(i, 0xAB);
  f15.ClearEntry(0);
  for (int i = 1; i < 41; ++i) EXPECT_EQ(f15.GetByte(i), 0) << i;
  for (int i = 41; i < 81; ++i) EXPECT_EQ(f15.GetByte(i), 0xAB) << i;
  f15.Clear();
  EXPECT_EQ(f15.GetByte(0), 11);
  for (int i = 1; i < 81; ++i) EXPECT_EQ(f15.GetByte(i), 0);
}

struct AnswerCase {
  int function;
  int byteCount;
  size_t dataBytes;
  bool stored;
  int copied;  // bytes taken from the answer, the rest cleared
};

class ProgF15Answer : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ProgF15Answer, StoredOnlyFromARead68AndClamped) {
  const auto& c = GetParam();
  Function15Blocks f15;
  for (int i = 0; i < 81; ++i) f15.SetByte(i, 0xEE);
  EXPECT_EQ(f15.StoreAnswer(c.function, ReadAnswer(c.byteCount, c.dataBytes, 11)), c.stored);
  for (int i = 0; i < 81; ++i) {
    const int expected = !c.stored ? 0xEE : i < c.copied ? 11 + i : 0;
    EXPECT_EQ(f15.GetByte(i), expected) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, ProgF15Answer,
                         ::testing::Values(AnswerCase{68, 81, 81, true, 81},
                                           AnswerCase{68, 200, 200, true, 81},
                                           AnswerCase{68, 81, 30, true, 30}, AnswerCase{68, 41, 81, true, 41},
                                           AnswerCase{69, 81, 81, false, 0},
                                           AnswerCase{68, 0, 81, false, 0}));

TEST(function15Blocks, BlockRoundTripsByteExact) {
  Function15Blocks source;
  source.Clear();
  source.SetFunction(0, 15);
  source.SetInputs(0, 16);
  source.SetSlave(0, 3);
  source.SetStartAddress(0, 0x340);
  source.SetDataCount(0, 16);
  source.SetAcknowledge(0, 1);
  for (int i = 0; i < 16; ++i) source.SetInputSignal(0, i, 100 + i);
  source.SetByte(80, 0x5A);
  Function15Blocks copy;
  copy.LoadBlock(source.GetBlock());
  EXPECT_TRUE(std::equal(source.GetBlock().begin(), source.GetBlock().end(), copy.GetBlock().begin()));
  EXPECT_EQ(copy.GetStartAddress(0), 0x340);
  EXPECT_FALSE(copy.IsEntryFree(0));
  std::vector<uint8_t> oversize(source.GetBlock().begin(), source.GetBlock().end());
  oversize.resize(300, 0x77);
  copy.LoadBlock(oversize);
  EXPECT_TRUE(std::equal(source.GetBlock().begin(), source.GetBlock().end(), copy.GetBlock().begin()));
}

}  // namespace
}  // namespace zul
