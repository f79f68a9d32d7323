// The regulator online view's codecs and commands, its poll against a
// simulated controller, and the trend it records.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/editing/RegulatorOnline.h"
#include "core/link/ModbusLink.h"
#include "core/model/Regulators.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using Bytes = std::vector<uint8_t>;

template <size_t N>
Bytes B(const std::array<uint8_t, N>& a) {
  return Bytes(a.begin(), a.end());
}

TEST(LoopRequests, PollAndCommandBytes) {
  EXPECT_EQ(B(LoopValuesRequest()), (Bytes{0x02, 0xA0, 0x00, 0x24}));
  EXPECT_EQ(B(LoopStatusRequest()), (Bytes{0x03, 0x10, 0x00, 0x30}));
  EXPECT_EQ(B(CoilCommand(785 + 8, true)), (Bytes{0x03, 0x19, 0xFF, 0x00}));
  EXPECT_EQ(B(CoilCommand(104, false)), (Bytes{0x00, 0x68, 0x00, 0x00}));
  // SP of loop 2 (register 678) = 50.0, highest byte first.
  EXPECT_EQ(B(ValueWrite(1, LoopValue::SP, 50.0f)), (Bytes{0x02, 0xA6, 0, 2, 4, 0x42, 0x48, 0x00, 0x00}));
  EXPECT_EQ(B(ValueWrite(0, LoopValue::OUT, -1.0f)), (Bytes{0x02, 0xA2, 0, 2, 4, 0xBF, 0x80, 0x00, 0x00}));
}

struct FloatCase {
  Bytes bytes;
  std::string shown;
};
class LoopFloats : public ::testing::TestWithParam<FloatCase> {};

TEST_P(LoopFloats, DecodedAndShown) {
  const float v = DecodeLoopFloat(GetParam().bytes.data());
  EXPECT_EQ(FormatLoopValue(v), GetParam().shown);
  if (std::isfinite(v)) {
    EXPECT_EQ(B(EncodeLoopFloat(v)), GetParam().bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(Line, LoopFloats,
                         ::testing::Values(FloatCase{{0x42, 0x48, 0x00, 0x00}, "50,00"},
                                           FloatCase{{0x42, 0xC8, 0x00, 0x00}, "100,00"},
                                           FloatCase{{0x42, 0xC9, 0x00, 0x00}, "100,5"},
                                           FloatCase{{0x44, 0x7A, 0x00, 0x00}, "1000,0"},
                                           FloatCase{{0x44, 0x9A, 0x40, 0x00}, "1234"},
                                           FloatCase{{0xC1, 0x20, 0x00, 0x00}, "-10,00"},
                                           FloatCase{{0x7F, 0xC0, 0x00, 0x00}, "----"},    // NaN
                                           FloatCase{{0x7F, 0x80, 0x00, 0x00}, "----"},    // +inf
                                           FloatCase{{0xFF, 0x80, 0x00, 0x00}, "----"}));  // -inf

struct ValueCase {
  const char* text;
  double min, max;
  bool accepted;
};
class LoopValueEntry : public ::testing::TestWithParam<ValueCase> {};

TEST_P(LoopValueEntry, RangeCheckedBeforeAnyWrite) {
  const auto& k = GetParam();
  EXPECT_EQ(ParseLoopValue(k.text, k.min, k.max).has_value(), k.accepted) << k.text;
}

INSTANTIATE_TEST_SUITE_P(Editor, LoopValueEntry,
                         ::testing::Values(ValueCase{"50", 0, 100, true}, ValueCase{"0", 0, 100, true},
                                           ValueCase{"100", 0, 100, true}, ValueCase{"100,01", 0, 100, false},
                                           ValueCase{"-0,5", 0, 100, false}, ValueCase{"", 0, 100, false},
                                           ValueCase{"nan", 0, 100, false}, ValueCase{"inf", 0, 1e300, false},
                                           ValueCase{"1e40", 0, 1e300, false},
                                           ValueCase{"5", 0, std::numeric_limits<double>::quiet_NaN(),
                                                     false}));

TEST(LoopCommands, HandAutReleaseSwitchesTheLoopOffToo) {
  EXPECT_EQ(HandAutCoils(2, true), (std::vector<CoilWrite>{{800, true}}));
  EXPECT_EQ(HandAutCoils(2, false), (std::vector<CoilWrite>{{800, false}, {801, false}}));
}

TEST(LoopCommands, ApOnOffOnlyInAutomatic) {
  const auto on = ApOnOffCoils(0, true, true);
  EXPECT_EQ(on.coils, (std::vector<CoilWrite>{{785, true}}));
  EXPECT_FALSE(on.springsBack);
  const auto manual = ApOnOffCoils(0, true, false);
  EXPECT_EQ(manual.coils, (std::vector<CoilWrite>{{785, false}}));
  EXPECT_TRUE(manual.springsBack);
  EXPECT_EQ(ApOnOffCoils(0, false, true).coils, (std::vector<CoilWrite>{{785, false}}));
}

// --- against the simulated controller --------------------------------------------

class LoopPoll : public ::testing::Test {
 protected:
  LoopPoll() : bus_(clock_), line_(bus_, clock_), port_(line_, clock_, ui_) {
    ControllerSetup setup;
    setup.composition.modules = {1, 1, 6, 3, 14};
    controller_ = &bus_.Add(setup);
    port_.BindAccessLevel(&access_);
    port_.OpenPort();
  }
  int access_ = 1;  // full access: the commands write
  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  ScriptedInteraction ui_;
  zul::test::WritingLink port_;
  SimulatedController* controller_ = nullptr;
  Regulators regs_;
};

TEST_F(LoopPoll, ValuesAndModesOfTheLoops) {
  ASSERT_EQ(PollLoops(port_, 0, regs_), kResultOk);
  // Loop 1 of the simulator: a PID loop, automatic and on, SP mid-scale.
  EXPECT_TRUE(regs_.IsAutomatic(0));
  EXPECT_TRUE(regs_.IsSwitchedOn(0));
  EXPECT_GT(regs_.RegValues[0][0], 0.0f);
  ASSERT_EQ(line_.Written().size(), 2u);
  EXPECT_EQ(line_.Written()[0][1], 3);
  EXPECT_EQ(line_.Written()[1][1], 1);
}

TEST_F(LoopPoll, ManualModeOutputWriteAndNudgeTakeEffect) {
  for (const CoilWrite& w : HandAutCoils(0, false)) ASSERT_EQ(WriteCoil(port_, 0, w.coil, w.on), kResultOk);
  ASSERT_EQ(WriteLoopValue(port_, 0, 0, LoopValue::OUT, 30.0f), kResultOk);
  ASSERT_EQ(PollLoops(port_, 0, regs_), kResultOk);
  EXPECT_FALSE(regs_.IsAutomatic(0));
  EXPECT_FALSE(regs_.IsSwitchedOn(0));
  EXPECT_FLOAT_EQ(regs_.RegValues[0][1], 30.0f);
  ASSERT_EQ(WriteCoil(port_, 0, kLoopRaiseCoil, true), kResultOk);
  ASSERT_EQ(PollLoops(port_, 0, regs_), kResultOk);
  EXPECT_GT(regs_.RegValues[0][1], 30.0f);
}

TEST_F(LoopPoll, SetpointWrittenIsWhatThePollReturns) {
  ASSERT_EQ(WriteLoopValue(port_, 0, 1, LoopValue::SP, 42.5f), kResultOk);
  ASSERT_EQ(PollLoops(port_, 0, regs_), kResultOk);
  EXPECT_FLOAT_EQ(regs_.RegValues[1][0], 42.5f);
}

TEST_F(LoopPoll, SilentControllerFailsWithoutTouchingTheValues) {
  regs_.RegValues[0][0] = 7.0f;
  EXPECT_NE(PollLoops(port_, 4, regs_), kResultOk);
  EXPECT_EQ(regs_.RegValues[0][0], 7.0f);
}

// --- trend ---------------------------------------------------------------------------

TEST(LoopTrendRecord, KeepsTenMinutesAndNoMore) {
  LoopTrend trend;
  for (int s = 0; s <= 3600; ++s) trend.Add({1000LL * s, 1.0f, 2.0f, 3.0f, 3});
  EXPECT_EQ(trend.Samples().size(), 601u);
  EXPECT_EQ(trend.Samples().front().ms, 3000 * 1000LL);
  EXPECT_LT(trend.MemoryBytes(), 5u * 1024 * 1024);
  trend.Add({0, 0, 0, 0, 0});  // the clock went back
  EXPECT_EQ(trend.Samples().size(), 1u);
}

// An input with a scale keeps it; one without (a calculation block) is drawn
// on what PV and SP came to, never on an empty 0..1.
TEST(LoopTrendRecord, ScaleOfAnInputWithoutOne) {
  struct Case {
    double min, max;
    std::vector<std::pair<float, float>> pvSp;
    double lo, hi;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case& k :
       {Case{0, 100, {{500, 600}}, 0, 100}, Case{0, 0, {}, 0, 1}, Case{0, 0, {{20, 30}, {40, nan}}, 18, 42},
        Case{0, 0, {{50, 50}}, 45, 55}, Case{0, 0, {{0, 0}}, -1, 1}, Case{5, 5, {{-20, -10}}, -21, -9}}) {
    LoopTrend trend;
    int64_t ms = 0;
    for (const auto& [pv, sp] : k.pvSp) trend.Add({ms += 3000, pv, sp, 0, 0});
    const auto [lo, hi] = TrendScale(trend, k.min, k.max);
    EXPECT_DOUBLE_EQ(lo, k.lo) << k.pvSp.size();
    EXPECT_DOUBLE_EQ(hi, k.hi) << k.pvSp.size();
  }
}

TEST(LoopTrendRecord, CsvRowsWithModeBitsAndEmptyCellsForNaN) {
  LoopTrend trend;
  trend.Add({1000, 12.5f, 50.0f, std::numeric_limits<float>::quiet_NaN(), 0x83});
  auto time = [](int64_t ms) { return std::to_string(ms); };
  EXPECT_EQ(TrendCsvHeader(), "loop,time,PV,SP,OUT,automatic,switched_on,output_indicator,input_indicator\n");
  EXPECT_EQ(TrendCsvRows(trend, 2, +time), "2,1000,12.5,50,,1,1,0,1\n");
}

}  // namespace
}  // namespace zul
