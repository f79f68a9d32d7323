#include <gtest/gtest.h>

#include "sim/FrameAssembler.h"
#include "support/FakeSerialLine.h"

namespace zul {
namespace {

using test::Bytes;
using test::WithCrc;

struct KnownLength {
  const char* name;
  Bytes request;
};

class FramesOfKnownLength : public ::testing::TestWithParam<KnownLength> {};

TEST_P(FramesOfKnownLength, EndWithTheirLastByteEvenFedOneByteAtATime) {
  Bytes frame = WithCrc(GetParam().request);
  FrameAssembler assembler(30);
  for (size_t i = 0; i + 1 < frame.size(); ++i) {
    EXPECT_TRUE(assembler.Feed(&frame[i], 1, 0).empty()) << "ended early at byte " << i;
  }
  auto frames = assembler.Feed(&frame.back(), 1, 0);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], frame);
  EXPECT_FALSE(assembler.Deadline().has_value());
}

Bytes StoreOf(int block, size_t length) {
  Bytes request{1, 69, static_cast<uint8_t>(block)};
  request.resize(2 + length, 0x11);
  return request;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, FramesOfKnownLength,
    ::testing::Values(KnownLength{"ReadCoils", {1, 1, 0x03, 0x10, 0, 0x30}}, KnownLength{"Confirm", {1, 14}},
                      KnownLength{"Identity", {1, 17}}, KnownLength{"ReadBlock", {1, 68, 12}},
                      KnownLength{"SetClock", {0, 70, 1, 2, 3, 4, 5, 6, 7}},
                      KnownLength{"AnalogValues", {1, 71, 0, 6}},
                      KnownLength{"WriteRegisters", {1, 16, 0x02, 0xA0, 0, 2, 4, 1, 2, 3, 4}},
                      KnownLength{"WriteCoils", {1, 15, 0, 0, 0, 9, 2, 0xFF, 1}},
                      KnownLength{"StoreRecordBlock", StoreOf(12, 199)},
                      KnownLength{"StoreTextBlock", StoreOf(40, 225)},
                      KnownLength{"Renumber", {1, 69, 99, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameAssembler, SeveralFramesInOneChunkComeApart) {
  Bytes a = WithCrc({1, 17}), b = WithCrc({1, 68, 12}), chunk = a;
  chunk.insert(chunk.end(), b.begin(), b.end());
  FrameAssembler assembler;
  auto frames = assembler.Feed(chunk.data(), chunk.size(), 0);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0], a);
  EXPECT_EQ(frames[1], b);
}

TEST(FrameAssembler, UnknownFunctionEndsAfterTheGap) {
  Bytes frame = WithCrc({1, 66, 1, 2, 3});
  FrameAssembler assembler(30);
  EXPECT_TRUE(assembler.Feed(frame.data(), frame.size(), 100).empty());
  EXPECT_EQ(assembler.Deadline(), 130);
  EXPECT_TRUE(assembler.Tick(129).empty());
  auto frames = assembler.Tick(130);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], frame);
}

TEST(FrameAssembler, StoreOfAnUnusualLengthEndsAfterTheGap) {
  Bytes frame = WithCrc(StoreOf(12, 150));
  FrameAssembler assembler(30);
  EXPECT_TRUE(assembler.Feed(frame.data(), frame.size(), 0).empty());
  auto frames = assembler.Tick(30);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], frame);
}

TEST(FrameAssembler, NoiseBeforeAFrameIsFlushedByTheGapAndTheFrameSurvives) {
  Bytes noise{0x55, 0x01}, frame = WithCrc({1, 17});
  FrameAssembler assembler(30);
  EXPECT_TRUE(assembler.Feed(noise.data(), noise.size(), 0).empty());
  // The next bytes come after a pause: the noise goes alone, the frame whole.
  auto frames = assembler.Feed(frame.data(), frame.size(), 50);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0], noise);
  EXPECT_EQ(frames[1], frame);
}

TEST(FrameAssembler, EndlessBytesAreCutAtTheLargestFrame) {
  Bytes junk(3500, 0x42);
  FrameAssembler assembler;
  auto frames = assembler.Feed(junk.data(), junk.size(), 0);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].size(), 3000u);
}

}  // namespace
}  // namespace zul
