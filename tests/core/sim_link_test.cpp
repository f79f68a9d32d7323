// The link against simulated controllers in the same process, in virtual time.
#include <gtest/gtest.h>

#include <array>

#include "core/ScriptedInteraction.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using Bytes = std::vector<uint8_t>;

class LinkFixture : public ::testing::Test {
 protected:
  LinkFixture() : bus_(clock_), line_(bus_, clock_), port_(line_, clock_, ui_) {}

  void Open() { ASSERT_EQ(port_.OpenPort(), 0); }
  SimulatedController& Add(ControllerSetup setup = {}) {
    SimulatedController& c = bus_.Add(setup);
    return c;
  }
  int Request(int device, uint8_t function, const Bytes& data = {}) {
    answer_.fill(0);
    return port_.Request(device, function, data, answer_);
  }
  size_t Sent() const { return line_.Written().size(); }
  size_t SentOf(uint8_t function) const {
    return static_cast<size_t>(
        std::count_if(line_.Written().begin(), line_.Written().end(),
                      [function](const Bytes& f) { return f.size() > 1 && f[1] == function; }));
  }

  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  ScriptedInteraction ui_;
  test::WritingLink port_;
  std::array<uint8_t, kAnswerBufferSize> answer_{};
};

TEST_F(LinkFixture, IdentityArrivesInOneTry) {
  Add();
  Open();
  ASSERT_EQ(Request(0, 17), kResultOk);
  EXPECT_EQ(Sent(), 1u);
  EXPECT_EQ(answer_[2], 23);
  EXPECT_EQ((Bytes{answer_[4], answer_[5], answer_[6], answer_[7]}), (Bytes{1, 1, 6, 3}));
  EXPECT_EQ(answer_[3 + 20], 48);
}

struct BlockCount {
  int block;
  int byteCount;
};

class LinkBlockReads : public LinkFixture, public ::testing::WithParamInterface<BlockCount> {};

TEST_P(LinkBlockReads, EveryBlockReadsWithItsByteCount) {
  ControllerSetup setup;
  setup.composition.modules = {1, 10, 6, 8, 3, 14};
  Add(setup);
  Open();
  const auto [block, count] = GetParam();
  ASSERT_EQ(Request(0, 68, {static_cast<uint8_t>(block)}), kResultOk);
  EXPECT_EQ(answer_[2], count);
  EXPECT_EQ(answer_[3], block);
  EXPECT_EQ(port_.GetAnswerLen(), count + 5);
  EXPECT_EQ(Sent(), 1u);
}

std::vector<BlockCount> AllBlocks() {
  std::vector<BlockCount> all;
  auto add = [&all](int first, int last, int count) {
    for (int b = first; b <= last; ++b) all.push_back({b, count});
  };
  add(1, 8, 169);
  add(9, 9, 193);
  add(10, 10, 194);
  add(11, 11, 81);
  add(12, 25, 199);
  add(32, 33, 169);
  add(35, 35, 97);
  add(40, 51, 225);
  add(52, 55, 141);
  add(60, 61, 43);
  add(68, 79, 191);
  add(98, 98, 33);
  return all;
}

INSTANTIATE_TEST_SUITE_P(Every, LinkBlockReads, ::testing::ValuesIn(AllBlocks()),
                         [](const auto& info) { return "Block" + std::to_string(info.param.block); });

TEST_F(LinkFixture, WriteBlockWaitsOutTheBusyPollsAndTheBlockIsStored) {
  SimulatedController& c = Add();
  Open();
  Bytes records(198, 0x20);
  records[0] = 0x61;
  ASSERT_TRUE(port_.WriteBlock(0, 12, records));
  EXPECT_EQ(SentOf(69), 1u);
  EXPECT_EQ(SentOf(14), 3u);  // two busy answers, then the echo
  EXPECT_TRUE(ui_.Shown().empty());
  EXPECT_EQ(Bytes(c.Blocks().at(12).begin() + 1, c.Blocks().at(12).end()), records);
}

TEST_F(LinkFixture, BusyControllerIsPolledUntilItHasStored) {
  ControllerSetup setup;
  setup.storePolls = 100;
  Add(setup);
  Open();
  Bytes units(96, ' ');
  ASSERT_TRUE(port_.WriteBlock(0, 35, units));
  EXPECT_EQ(SentOf(14), 101u);
}

TEST_F(LinkFixture, RefusedBlockWriteIsRetriedThenReported) {
  ControllerSetup setup;
  setup.blockExceptions[20] = 5;
  SimulatedController& c = Add(setup);
  Open();
  Bytes records(198, 0x61);
  EXPECT_FALSE(port_.WriteBlock(0, 20, records));
  EXPECT_EQ(SentOf(69), 5u);  // Repeat1 tries
  ASSERT_EQ(ui_.Shown().size(), 1u);
  EXPECT_EQ(ui_.Last().text, "устройство 1 COM1 ошибка обмена 05");
  EXPECT_EQ(c.Blocks().at(20)[1], 0x20);
}

TEST_F(LinkFixture, RenumberedControllerConfirmsAtItsNewAddress) {
  Add();
  Open();
  EXPECT_EQ(Request(0, 69, {99, 4}), kResultOk);
  // Polls are spaced as the renumbering procedure spaces them, so the unread
  // checksum of each busy answer has arrived before the next purge.
  EXPECT_EQ(Request(4, 14), kResultBusy);
  clock_.Advance(200);
  EXPECT_EQ(Request(4, 14), kResultBusy);
  clock_.Advance(200);
  EXPECT_EQ(Request(4, 14), kResultOk);
  EXPECT_EQ(Request(4, 17), kResultOk);
  EXPECT_EQ(answer_[0], 5);
}

TEST_F(LinkFixture, ChecksumOfAnExceptionAnswerDoesNotSpoilTheNextRequest) {
  ControllerSetup setup;
  setup.blockExceptions[20] = 5;
  Add(setup);
  Open();
  // The exception's checksum is still on the wire when the next request starts.
  EXPECT_EQ(Request(0, 68, {20}), 5);
  EXPECT_EQ(Request(0, 68, {12}), kResultOk);
  EXPECT_EQ(answer_[2], 199);
  EXPECT_EQ(SentOf(68), 2u);
}

TEST_F(LinkFixture, DevicesOnOneLineAnswerTheirOwnIndex) {
  ControllerSetup a, b;
  a.address = 2;
  b.address = 5;
  b.composition.modules = {1, 6, 6, 3};
  Add(a);
  Add(b);
  Open();
  ASSERT_EQ(Request(4, 17), kResultOk);
  EXPECT_EQ(answer_[6], 6);
  ASSERT_EQ(Request(1, 17), kResultOk);
  EXPECT_EQ(answer_[6], 6);
  EXPECT_EQ(answer_[7], 3);
  port_.SetRepeat1(1);
  EXPECT_EQ(Request(0, 17), kResultNoAnswer);
}

TEST_F(LinkFixture, WrittenRegulatorBlockBringsItsLoopToLife) {
  ControllerSetup setup;
  setup.composition.modules = {1, 6, 3, 14};
  SimulatedController& c = Add(setup);
  Open();
  Bytes loops(c.Blocks().at(32).begin() + 1, c.Blocks().at(32).end());
  std::copy(loops.begin(), loops.begin() + 28, loops.begin() + 28 * 2);  // loop 3 like loop 1,
  loops[28 * 2] = 4;                                                     // on input 4
  ASSERT_TRUE(port_.WriteBlock(0, 32, loops));
  ASSERT_EQ(Request(0, 1, {0x03, 0x10, 0, 0x30}), kResultOk);
  EXPECT_EQ(answer_[3 + 2] & 0x03, 0x03);  // loop 3: automatic and on
  EXPECT_EQ(answer_[3 + 3], 0);            // loop 4: nothing there
}

// --- faults reproduce the link's result codes and retries ---------------------------------

struct FaultCase {
  const char* name;
  void (*configure)(ControllerSetup&);
  uint8_t function;
  Bytes data;
  int result;
  size_t tries;  // request frames written
};

class LinkFaults : public LinkFixture, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(LinkFaults, GiveTheResultAfterTheExpectedTries) {
  const FaultCase& f = GetParam();
  ControllerSetup setup;
  f.configure(setup);
  Add(setup);
  Open();
  EXPECT_EQ(Request(0, f.function, f.data), f.result);
  EXPECT_EQ(Sent(), f.tries);
}

void Every(FaultRule& rule) { rule.probability = 1.0; }

INSTANTIATE_TEST_SUITE_P(
    Table, LinkFaults,
    ::testing::Values(
        FaultCase{"SilentGives130AfterRepeat1Tries",
                  [](ControllerSetup& s) { s.faults.silent = true; },
                  17,
                  {},
                  130,
                  5},
        FaultCase{"OneDropIsRetried", [](ControllerSetup& s) { s.faults.drop.requests = {1}; }, 17, {}, 0, 2},
        FaultCase{
            "DroppedEveryTimeGives130", [](ControllerSetup& s) { Every(s.faults.drop); }, 68, {12}, 130, 5},
        FaultCase{"PartialHeadGives129AfterRepeat1Tries",
                  [](ControllerSetup& s) {
                    Every(s.faults.cut);
                    s.faults.shortMode = ShortMode::Partial;
                  },
                  17,
                  {},
                  129,
                  5},
        FaultCase{"HalfAnswerGives129AfterRepeat2Tries",
                  [](ControllerSetup& s) { Every(s.faults.cut); },
                  68,
                  {12},
                  129,
                  10},
        FaultCase{"HeadOnlyGives129AfterRepeat2Tries",
                  [](ControllerSetup& s) {
                    Every(s.faults.cut);
                    s.faults.shortMode = ShortMode::Head;
                  },
                  68,
                  {12},
                  129,
                  10},
        FaultCase{"BadCrcEveryTimeGives131AfterRepeat2Tries",
                  [](ControllerSetup& s) { Every(s.faults.badCrc); },
                  68,
                  {40},
                  131,
                  10},
        FaultCase{"TwoBadCrcsThenGood",
                  [](ControllerSetup& s) {
                    s.faults.badCrc.requests = {1, 2};
                  },
                  68,
                  {40},
                  0,
                  3},
        FaultCase{"LateAnswerMissesItsTryAndTheNextSucceeds",
                  [](ControllerSetup& s) {
                    s.faults.late.requests = {1};
                    s.faults.lateMs = 2000;
                  },
                  17,
                  {},
                  0,
                  2},
        FaultCase{"RefusedRecordBlockGivesItsException",
                  [](ControllerSetup& s) { s.blockExceptions[14] = 5; },
                  68,
                  {14},
                  5,
                  1},
        FaultCase{"PageOfASixtyBlockControllerGives3",
                  [](ControllerSetup& s) { s.fbTableSize = 60; },
                  68,
                  {74},
                  3,
                  1},
        FaultCase{"UnknownBlockGives2", [](ControllerSetup&) {}, 68, {150}, 2, 1},
        FaultCase{"UnusedFunctionGives1", [](ControllerSetup&) {}, 100, {}, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// Ten tries of an answer cut after its head cost ten byte time-outs, not ten
// whole answer times (a block answer's is 18 s and more).
TEST_F(LinkFixture, HeadOnlyAnswersCostTheirByteTimeOuts) {
  ControllerSetup setup;
  Every(setup.faults.cut);
  setup.faults.shortMode = ShortMode::Head;
  Add(setup);
  Open();
  const int64_t start = clock_.NowMs();
  EXPECT_EQ(Request(0, 68, {12}), kResultTimeout);
  // Repeat2 x (delay 25 + wire, turnaround and head < 20 + byte time-out 50 + pause 300)
  EXPECT_LT(clock_.NowMs() - start, 10 * (25 + 20 + 50 + 300));
  EXPECT_GE(clock_.NowMs() - start, 10 * (25 + 50 + 300));
}

TEST_F(LinkFixture, SilentControllerCostsItsTimeOutsInVirtualTime) {
  ControllerSetup setup;
  setup.faults.silent = true;
  Add(setup);
  Open();
  const int64_t start = clock_.NowMs();
  EXPECT_EQ(Request(0, 17), kResultNoAnswer);
  // Repeat1 x (DelayBeforeRequest + 4 bytes on the wire + 1300 ms read + 300 ms pause)
  EXPECT_NEAR(clock_.NowMs() - start, 5 * (25 + 5 + 1300 + 300), 10);
}

TEST_F(LinkFixture, UnpluggedAdapterIsAPortFailure) {
  Add();
  Open();
  line_.Unplug(true);
  EXPECT_EQ(Request(0, 17), kResultPortFailure);
  ASSERT_FALSE(ui_.Shown().empty());
  EXPECT_EQ(ui_.Last().text, kPortDisconnectedText);
}

// --- standard functions through the link ---------------------------------------------------

struct Standard {
  const char* name;
  uint8_t function;
  Bytes data;
  int answerLength;  // AnswerLen of the link
};

class LinkStandardFunctions : public LinkFixture, public ::testing::WithParamInterface<Standard> {};

TEST_P(LinkStandardFunctions, AnswerIsWholeAndChecked) {
  ControllerSetup setup;
  setup.composition.modules = {1, 6, 3, 14};
  Add(setup);
  Open();
  const Standard& s = GetParam();
  EXPECT_EQ(Request(0, s.function, s.data), kResultOk);
  EXPECT_EQ(port_.GetAnswerLen(), s.answerLength);
  EXPECT_EQ(Sent(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, LinkStandardFunctions,
                         ::testing::Values(Standard{"LoopStatusCoils", 1, {0x03, 0x10, 0, 0x30}, 3 + 6 + 2},
                                           Standard{"ModuleHealth", 1, {0x03, 0xF8, 0, 16}, 3 + 2 + 2},
                                           Standard{"InputsOfModule2", 2, {0, 12, 0, 12}, 3 + 2 + 2},
                                           Standard{"LoopRegisters", 3, {0x02, 0xA0, 0, 0x24}, 3 + 72 + 2},
                                           Standard{"Clock", 4, {0x03, 0xE8, 0, 7}, 3 + 14 + 2},
                                           Standard{"AutomaticOn", 5, {0x03, 0x10, 0xFF, 0}, 8},
                                           Standard{"CalibrationMode", 5, {0x10, 0x13, 0xFF, 0}, 8},
                                           Standard{"Coils", 15, {0, 40, 0, 3, 1, 5}, 8},
                                           Standard{
                                               "Setpoint", 16, {0x02, 0xA0, 0, 2, 4, 0x42, 0x48, 0, 0}, 8},
                                           Standard{"AnalogValues", 71, {0, 6}, 3 + 48 + 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkFixture, ClockBroadcastSetsEveryControllerOnTheLine) {
  ControllerSetup a, b;
  b.address = 2;
  Add(a);
  Add(b);
  Open();
  EXPECT_EQ(Request(0, 70, {5, 7, 13, 9, 3, 24, 4}), kResultOk);
  for (int device : {0, 1}) {
    ASSERT_EQ(Request(device, 4, {0x03, 0xE8, 0, 7}), kResultOk);
    EXPECT_EQ(answer_[8], 13) << device;  // hour
    EXPECT_EQ(answer_[12], 3) << device;  // month
  }
}

}  // namespace
}  // namespace zul
