#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>
#include <set>

#include "core/link/Crc16.h"
#include "core/model/Float24.h"
#include "sim/SimulatedController.h"
#include "support/FakeSerialLine.h"

namespace zul {
namespace {

using test::Bytes;
using test::WithCrc;

Composition Modules(std::initializer_list<int> codes) {
  Composition c;
  int s = 0;
  for (int code : codes) c.modules[s++] = static_cast<uint8_t>(code);
  return c;
}

// Answer without its CRC, after checking the CRC; empty when nothing came.
Bytes Strip(const Bytes& answer) {
  if (answer.empty()) return {};
  EXPECT_TRUE(CrcMatches(answer));
  return Bytes(answer.begin(), answer.end() - 2);
}

class ControllerFixture : public ::testing::Test {
 protected:
  void Build(ControllerSetup setup) { controller_ = std::make_unique<SimulatedController>(setup, clock_); }
  void Build() { Build(ControllerSetup{}); }

  Reception Send(const Bytes& withoutCrc) {
    Bytes frame = WithCrc(withoutCrc);
    return controller_->Receive(frame);
  }
  Bytes Ask(const Bytes& withoutCrc) { return Strip(Send(withoutCrc).reply.bytes); }

  float ReadFloat(int reg) {
    Bytes a = Ask({1, 3, static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg), 0, 2});
    uint32_t bits = (uint32_t{a[3]} << 24) | (uint32_t{a[4]} << 16) | (uint32_t{a[5]} << 8) | a[6];
    return std::bit_cast<float>(bits);
  }
  void WriteFloat(int reg, float v) {
    uint32_t bits = std::bit_cast<uint32_t>(v);
    Bytes a = Ask({1, 16, static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg), 0, 2, 4,
                   static_cast<uint8_t>(bits >> 24), static_cast<uint8_t>(bits >> 16),
                   static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits)});
    ASSERT_EQ(a.size(), 6u);
  }
  void WriteCoil(int coil, bool on) {
    Bytes a = Ask({1, 5, static_cast<uint8_t>(coil >> 8), static_cast<uint8_t>(coil),
                   static_cast<uint8_t>(on ? 0xFF : 0), 0});
    ASSERT_EQ(a.size(), 6u);
  }
  bool ReadCoil(int coil) {
    Bytes a = Ask({1, 1, static_cast<uint8_t>(coil >> 8), static_cast<uint8_t>(coil), 0, 1});
    return a.at(3) & 1;
  }

  VirtualClock clock_;
  std::unique_ptr<SimulatedController> controller_;
};

// --- requests and their answers, in a table ------------------------------------

struct Exchange {
  const char* name;
  Bytes request;        // without CRC
  Bytes answerHead;     // the answer (without CRC) starts with these bytes
  size_t answerLength;  // without CRC; 0: the head is the whole answer
};

class StandardAnswers : public ControllerFixture, public ::testing::WithParamInterface<Exchange> {};

TEST_P(StandardAnswers, AnswerHasTheExpectedHeadAndLength) {
  const Exchange& e = GetParam();
  ControllerSetup setup;
  setup.composition = Modules({1, 10, 6, 8, 3, 14});
  setup.blockExceptions[14] = 5;
  setup.fbTableSize = 60;
  Build(setup);
  Bytes answer = Ask(e.request);
  size_t length = e.answerLength ? e.answerLength : e.answerHead.size();
  ASSERT_EQ(answer.size(), length);
  EXPECT_EQ(Bytes(answer.begin(), answer.begin() + static_cast<long>(e.answerHead.size())), e.answerHead);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StandardAnswers,
    ::testing::Values(
        Exchange{"Identity", {1, 17}, {1, 17, 23, 5, 1, 10, 6, 8, 3, 14}, 3 + 23},
        Exchange{"ReadCoilsOfTheLoops", {1, 1, 0x03, 0x10, 0, 0x30}, {1, 1, 6}, 3 + 6},
        Exchange{"ReadOneCoil", {1, 1, 0, 0, 0, 1}, {1, 1, 1}, 4},
        Exchange{"ReadNineCoilsNeedsTwoBytes", {1, 1, 0, 0, 0, 9}, {1, 1, 2}, 5},
        Exchange{"ReadDiscreteInputs", {1, 2, 0, 12, 0, 12}, {1, 2, 2}, 5},
        Exchange{"ReadLoopRegisters", {1, 3, 0x02, 0xA0, 0, 0x24}, {1, 3, 72}, 3 + 72},
        Exchange{"ReadClock", {1, 4, 0x03, 0xE8, 0, 7}, {1, 4, 14}, 3 + 14},
        Exchange{"WriteCoilEchoes", {1, 5, 0, 20, 0xFF, 0}, {1, 5, 0, 20, 0xFF, 0}, 0},
        Exchange{"WriteRegisterEchoes", {1, 6, 0, 10, 0x12, 0x34}, {1, 6, 0, 10, 0x12, 0x34}, 0},
        Exchange{"WriteCoilsAnswersStartAndQuantity",
                 {1, 15, 0, 30, 0, 10, 2, 0xFF, 0x03},
                 {1, 15, 0, 30, 0, 10},
                 0},
        Exchange{"WriteRegistersAnswersStartAndQuantity",
                 {1, 16, 0, 40, 0, 2, 4, 1, 2, 3, 4},
                 {1, 16, 0, 40, 0, 2},
                 0},
        Exchange{"ConfirmWithNothingStoredEchoes", {1, 14}, {1, 14}, 0},
        Exchange{"AnalogValuesOfSixInputs", {1, 71, 0, 6}, {1, 71, 48}, 3 + 48},
        Exchange{"ReferenceChannelOfTheThermoModule", {1, 71, 129, 1}, {1, 71, 8}, 3 + 8},
        Exchange{"CalibrationCodesOfTheSecondAnalogModule", {1, 68, 61}, {1, 68, 43, 61}, 3 + 43},
        Exchange{"UnknownFunction", {1, 7}, {1, 0x87, 1}, 0},
        Exchange{"AcceptedButUnusedFunction", {1, 100}, {1, 0xE4, 1}, 0},
        Exchange{"ReadCoilsQuantityZero", {1, 1, 0, 0, 0, 0}, {1, 0x81, 3}, 0},
        Exchange{"ReadCoilsQuantityTooLarge", {1, 1, 0, 0, 0x07, 0xD1}, {1, 0x81, 3}, 0},
        Exchange{"ReadCoilsBeyondTheSpace", {1, 1, 0x12, 0xFF, 0, 2}, {1, 0x81, 2}, 0},
        Exchange{"ReadInputsBeyondTheSpace", {1, 2, 0x03, 0xFF, 0, 2}, {1, 0x82, 2}, 0},
        Exchange{"ReadRegistersQuantityTooLarge", {1, 3, 0, 0, 0, 126}, {1, 0x83, 3}, 0},
        Exchange{"ReadRegistersBeyondTheSpace", {1, 4, 0x03, 0xE8, 0, 25}, {1, 0x84, 2}, 0},
        Exchange{"ReadWithAShortRequest", {1, 3, 0, 0, 1}, {1, 0x83, 3}, 0},
        Exchange{"WriteCoilWithABadValue", {1, 5, 0, 1, 0x12, 0x34}, {1, 0x85, 3}, 0},
        Exchange{"WriteCoilBeyondTheSpace", {1, 5, 0x13, 0, 0xFF, 0}, {1, 0x85, 2}, 0},
        Exchange{"WriteRegisterBeyondTheSpace", {1, 6, 0x04, 0, 0, 1}, {1, 0x86, 2}, 0},
        Exchange{"WriteCoilsWithAWrongByteCount", {1, 15, 0, 0, 0, 10, 1, 0xFF}, {1, 0x8F, 3}, 0},
        Exchange{"WriteRegistersWithAWrongByteCount", {1, 16, 0, 0, 0, 2, 2, 1, 2}, {1, 0x90, 3}, 0},
        Exchange{"WriteRegistersBeyondTheSpace", {1, 16, 0x03, 0xFF, 0, 2, 4, 1, 2, 3, 4}, {1, 0x90, 2}, 0},
        Exchange{"IdentityWithData", {1, 17, 0}, {1, 0x91, 3}, 0},
        Exchange{"ReadUnknownBlock", {1, 68, 200}, {1, 0xC4, 2}, 0},
        Exchange{"ReadRefusedRecordBlock", {1, 68, 14}, {1, 0xC4, 5}, 0},
        Exchange{"ReadPageBeyondASixtyBlockTable", {1, 68, 74}, {1, 0xC4, 3}, 0},
        Exchange{"ReadLastPageOfASixtyBlockTable", {1, 68, 73}, {1, 68, 191, 73}, 3 + 191},
        Exchange{"ReadCalibrationOfAMissingModule", {1, 68, 62}, {1, 0xC4, 3}, 0},
        Exchange{"ReadBlockWithTwoBytes", {1, 68, 12, 0}, {1, 0xC4, 3}, 0},
        Exchange{"StoreWithAWrongLength", {1, 69, 12, 1, 2, 3}, {1, 0xC5, 3}, 0},
        Exchange{"StoreTheCalibrationCodes", {1, 69, 60}, {1, 0xC5, 2}, 0},
        Exchange{"RenumberBeyondThirtyOne", {1, 69, 99, 31}, {1, 0xC5, 3}, 0},
        Exchange{"AnalogValuesTooManyForOneAnswer", {1, 71, 0, 32}, {1, 0xC7, 3}, 0},
        Exchange{"AnalogValuesBeyondTheSignals", {1, 71, 45, 6}, {1, 0xC7, 2}, 0},
        Exchange{"ReferenceOfAModuleWithout", {1, 71, 128, 1}, {1, 0xC7, 3}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// --- every block the programmer reads, with its byte count ------------------------

struct BlockCount {
  int block;
  int byteCount;
};

class BlockReads : public ControllerFixture, public ::testing::WithParamInterface<BlockCount> {};

TEST_P(BlockReads, AnswerCarriesTheBlockNumberAndItsByteCount) {
  ControllerSetup setup;
  setup.composition = Modules({1, 10, 6, 8, 3, 14});
  Build(setup);
  const auto [block, count] = GetParam();
  Bytes answer = Ask({1, 68, static_cast<uint8_t>(block)});
  ASSERT_EQ(answer.size(), 3u + static_cast<size_t>(count));
  EXPECT_EQ(answer[2], count);
  EXPECT_EQ(answer[3], block);
}

std::vector<BlockCount> AllBlocks() {
  std::vector<BlockCount> all;
  for (int b = 1; b <= 8; ++b) all.push_back({b, 169});
  all.push_back({9, 193});
  all.push_back({10, 194});
  all.push_back({11, 81});
  for (int b = 12; b <= 25; ++b) all.push_back({b, 199});
  all.push_back({32, 169});
  all.push_back({33, 169});
  all.push_back({35, 97});
  for (int b = 40; b <= 51; ++b) all.push_back({b, 225});
  for (int b = 52; b <= 55; ++b) all.push_back({b, 141});
  all.push_back({60, 43});
  all.push_back({61, 43});
  for (int b = 68; b <= 79; ++b) all.push_back({b, 191});
  all.push_back({98, 33});
  return all;
}

INSTANTIATE_TEST_SUITE_P(Every, BlockReads, ::testing::ValuesIn(AllBlocks()),
                         [](const auto& info) { return "Block" + std::to_string(info.param.block); });

TEST_F(ControllerFixture, BlocksOfModulesTheCompositionLacksAreRefused) {
  Build();  // 1,1,6,3: no regulator module, no programmable input module
  EXPECT_EQ(Ask({1, 68, 32}), (Bytes{1, 0xC4, 2}));
  EXPECT_EQ(Ask({1, 68, 33}), (Bytes{1, 0xC4, 2}));
  EXPECT_EQ(Ask({1, 68, 98}), (Bytes{1, 0xC4, 2}));
  EXPECT_EQ(Ask({1, 68, 61}), (Bytes{1, 0xC4, 3}));
}

// --- identity ------------------------------------------------------------------------

TEST_F(ControllerFixture, IdentityCountsModulesSignalsAndNetworkEntries) {
  Build();
  Bytes id = Ask({1, 17});
  // modules, slots 1..16, two unused, outputs, discrete and analog signals, indication
  EXPECT_EQ(id[3], 4);
  EXPECT_EQ((Bytes{id[4], id[5], id[6], id[7], id[8]}), (Bytes{1, 1, 6, 3, 0}));
  EXPECT_EQ(id[3 + 19], 8);
  EXPECT_EQ(id[3 + 20], 48);  // 24 inputs + 4 x 6 limits
  EXPECT_EQ(id[3 + 21], 6);
  EXPECT_EQ(id[3 + 22], 1);

  // A network master block with a function-3 entry of 4 outputs and a function-1 entry of 5.
  BlockBytes master = controller_->Blocks().at(10);
  master[1] = 3;
  master[2] = 4;
  master[13] = 1;
  master[14] = 5;
  Bytes store{1, 69};
  store.insert(store.end(), master.begin(), master.end());
  ASSERT_EQ(Ask(store), (Bytes{1, 69, 1, 10}));
  id = Ask({1, 17});
  EXPECT_EQ(id[3 + 20], 48 + 16 + 5);
  EXPECT_EQ(id[3 + 21], 6 + 4);
}

// --- addressing -----------------------------------------------------------------------

TEST_F(ControllerFixture, IgnoresOtherAddressesAndBadCrc) {
  Build();
  EXPECT_TRUE(Ask({2, 17}).empty());
  Bytes frame = WithCrc({1, 17});
  frame.back() ^= 1;
  Reception r = controller_->Receive(frame);
  EXPECT_FALSE(r.crcGood);
  EXPECT_TRUE(r.reply.bytes.empty());
  EXPECT_EQ(controller_->Requests(), 0);
}

TEST_F(ControllerFixture, BroadcastActsWithoutAnswering) {
  Build();
  Reception r = Send({0, 5, 0, 20, 0xFF, 0});
  EXPECT_TRUE(r.broadcast);
  EXPECT_TRUE(r.reply.bytes.empty());
  EXPECT_TRUE(ReadCoil(20));
  EXPECT_TRUE(Send({0, 17}).reply.bytes.empty());
}

// --- clock ----------------------------------------------------------------------------

TEST_F(ControllerFixture, ClockIsSetByBroadcastAndRuns) {
  Build();
  Reception r = Send({0, 70, 5, 7, 13, 9, 3, 24, 6});
  EXPECT_TRUE(r.reply.bytes.empty());
  EXPECT_EQ(Ask({1, 4, 0x03, 0xE8, 0, 7}), (Bytes{1, 4, 14, 0, 5, 0, 7, 0, 13, 0, 9, 0, 3, 0, 24, 0, 6}));
  clock_.Advance(60'000);
  Bytes later = Ask({1, 4, 0x03, 0xE8, 0, 7});
  EXPECT_EQ(later[4], 5);
  EXPECT_EQ(later[6], 8);
}

TEST_F(ControllerFixture, ClockRollsOverMidnightMonthAndWeekday) {
  Build();
  Send({0, 70, 59, 59, 23, 29, 2, 24, 3});  // 2024-02-29, a Thursday set as Wednesday
  clock_.Advance(1000);
  Bytes t = Ask({1, 4, 0x03, 0xE8, 0, 7});
  EXPECT_EQ((Bytes{t[4], t[6], t[8], t[10], t[12], t[14], t[16]}), (Bytes{0, 0, 0, 1, 3, 24, 4}));
}

TEST_F(ControllerFixture, ClockIgnoresAnImpossibleDate) {
  Build();
  Send({0, 70, 0, 0, 12, 1, 1, 24, 1});
  Send({0, 70, 0, 0, 12, 30, 2, 24, 1});  // 30 February
  Bytes t = Ask({1, 4, 0x03, 0xE8, 0, 7});
  EXPECT_EQ(t[10], 1);
  EXPECT_EQ(t[12], 1);
}

// --- store and confirm -------------------------------------------------------------------

TEST_F(ControllerFixture, StoredBlockIsConfirmedAfterTheBusyPollsAndReadsBack) {
  Build();
  Bytes block(199, 0x33);
  block[0] = 12;
  Bytes store{1, 69};
  store.insert(store.end(), block.begin(), block.end());
  EXPECT_EQ(Ask(store), (Bytes{1, 69, 1, 12}));
  EXPECT_EQ(Ask({1, 14}), (Bytes{1, 0x8E, 6}));
  EXPECT_EQ(Ask({1, 14}), (Bytes{1, 0x8E, 6}));
  EXPECT_EQ(Ask({1, 14}), (Bytes{1, 14}));
  Bytes read = Ask({1, 68, 12});
  EXPECT_EQ(Bytes(read.begin() + 3, read.end()), block);
}

TEST_F(ControllerFixture, BusyControllerAnswersSixForAsManyPollsAsConfigured) {
  ControllerSetup setup;
  setup.storePolls = 100;
  Build(setup);
  Bytes store{1, 69, 11};
  store.resize(2 + 81, 0);
  Ask(store);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(Ask({1, 14}), (Bytes{1, 0x8E, 6})) << i;
  EXPECT_EQ(Ask({1, 14}), (Bytes{1, 14}));
}

TEST_F(ControllerFixture, RefusedBlockIsNeitherReadNorStored) {
  ControllerSetup setup;
  setup.blockExceptions[20] = 5;
  Build(setup);
  Bytes store{1, 69, 20};
  store.resize(2 + 199, 7);
  EXPECT_EQ(Ask(store), (Bytes{1, 0xC5, 5}));
  EXPECT_EQ(controller_->PendingStorePolls(), 0);
  EXPECT_EQ(Ask({1, 14}), (Bytes{1, 14}));  // nothing is being stored: only the store answer tells
  EXPECT_EQ(controller_->Blocks().at(20)[1], 0x20);
}

TEST_F(ControllerFixture, RenumberingMovesTheControllerToItsNewAddress) {
  Build();
  EXPECT_EQ(Ask({1, 69, 99, 4}), (Bytes{1, 69, 1, 99}));
  EXPECT_EQ(controller_->Address(), 5);
  EXPECT_TRUE(Ask({1, 14}).empty());
  EXPECT_EQ(Ask({5, 14}), (Bytes{5, 0x8E, 6}));
  EXPECT_EQ(Ask({5, 14}), (Bytes{5, 0x8E, 6}));
  EXPECT_EQ(Ask({5, 14}), (Bytes{5, 14}));
  EXPECT_EQ(Ask({5, 17})[0], 5);
  Bytes file = controller_->ZulBytes();
  EXPECT_EQ(file[0], 4);
}

// --- faults -------------------------------------------------------------------------------

struct FaultCase {
  const char* name;
  void (*configure)(FaultSettings&);
  FaultKind kind;
  size_t length;  // bytes that leave for the identity answer (28 whole)
  bool crcGood;
  int delayMs;
};

class Faults : public ControllerFixture, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(Faults, SecondRequestGetsTheFaultAndTheOthersDoNot) {
  const FaultCase& f = GetParam();
  ControllerSetup setup;
  f.configure(setup.faults);
  Build(setup);
  for (int request = 1; request <= 3; ++request) {
    Reception r = Send({1, 17});
    ASSERT_EQ(r.request, request);
    if (request != 2) {
      EXPECT_EQ(r.reply.fault, FaultKind::None);
      EXPECT_EQ(r.reply.bytes, r.answer);
      continue;
    }
    EXPECT_EQ(r.reply.fault, f.kind);
    EXPECT_EQ(r.reply.bytes.size(), f.length);
    EXPECT_EQ(r.reply.delayMs, f.delayMs);
    if (!r.reply.bytes.empty()) {
      EXPECT_EQ(CrcMatches(r.reply.bytes), f.crcGood);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    OnTheSecondRequest, Faults,
    ::testing::Values(FaultCase{"Drop", [](FaultSettings& s) { s.drop.requests = {2}; }, FaultKind::Drop, 0,
                                false, 0},
                      FaultCase{"ShortBody", [](FaultSettings& s) { s.cut.requests = {2}; }, FaultKind::Short,
                                14, false, 0},
                      FaultCase{"ShortHead",
                                [](FaultSettings& s) {
                                  s.cut.requests = {2};
                                  s.shortMode = ShortMode::Head;
                                },
                                FaultKind::Short, 3, false, 0},
                      FaultCase{"ShortPartial",
                                [](FaultSettings& s) {
                                  s.cut.requests = {2};
                                  s.shortMode = ShortMode::Partial;
                                },
                                FaultKind::Short, 2, false, 0},
                      FaultCase{"BadCrc", [](FaultSettings& s) { s.badCrc.requests = {2}; },
                                FaultKind::BadCrc, 28, false, 0},
                      FaultCase{"Late",
                                [](FaultSettings& s) {
                                  s.late.requests = {2};
                                  s.lateMs = 2000;
                                },
                                FaultKind::Late, 28, true, 2000},
                      FaultCase{"DropWinsOverTheOthers",
                                [](FaultSettings& s) {
                                  s.drop.requests = {2};
                                  s.badCrc.requests = {2};
                                  s.late.requests = {2};
                                },
                                FaultKind::Drop, 0, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<FaultKind> FaultSequence(uint64_t seed) {
  VirtualClock clock;
  ControllerSetup setup;
  setup.faults.drop.probability = 0.2;
  setup.faults.badCrc.probability = 0.2;
  setup.faults.seed = seed;
  SimulatedController controller(setup, clock);
  std::vector<FaultKind> kinds;
  Bytes frame = WithCrc({1, 17});
  for (int i = 0; i < 200; ++i) kinds.push_back(controller.Receive(frame).reply.fault);
  return kinds;
}

TEST(FaultProbabilities, SameSeedSameFaultsAndRoughlyTheRatesAsked) {
  auto first = FaultSequence(7);
  EXPECT_EQ(first, FaultSequence(7));
  EXPECT_NE(first, FaultSequence(8));
  long drops = std::count(first.begin(), first.end(), FaultKind::Drop);
  long bad = std::count(first.begin(), first.end(), FaultKind::BadCrc);
  EXPECT_GT(drops, 15);
  EXPECT_LT(drops, 70);
  EXPECT_GT(bad, 10);  // after drops took their share
  EXPECT_LT(bad, 60);
}

TEST_F(ControllerFixture, SilentControllerNeverAnswersButStillActs) {
  ControllerSetup setup;
  setup.faults.silent = true;
  Build(setup);
  EXPECT_TRUE(Ask({1, 17}).empty());
  Send({1, 5, 0, 30, 0xFF, 0});
  Reception r = Send({1, 1, 0, 30, 0, 1});
  EXPECT_TRUE(r.reply.bytes.empty());
  EXPECT_EQ(Strip(r.answer), (Bytes{1, 1, 1, 1}));
}

// --- online data ----------------------------------------------------------------------------

TEST_F(ControllerFixture, LoopInAutomaticBringsItsProcessToTheSetpoint) {
  ControllerSetup setup;
  setup.composition = Modules({1, 6, 3, 14});
  Build(setup);
  EXPECT_EQ(Ask({1, 1, 0x03, 0x10, 0, 8})[3] & 0x03, 0x03);  // automatic and on
  WriteFloat(672, 70.0f);
  EXPECT_FLOAT_EQ(ReadFloat(672), 70.0f);
  clock_.Advance(600'000);
  Ask({1, 17});  // any request lets the plant catch up
  EXPECT_NEAR(ReadFloat(676), 70.0f, 1.0f);

  WriteFloat(672, 30.0f);
  clock_.Advance(600'000);
  Ask({1, 17});
  EXPECT_NEAR(ReadFloat(676), 30.0f, 1.0f);
  // Function 71 shows the same process value on the loop's input.
  Bytes values = Ask({1, 71, 0, 1});
  EXPECT_NEAR(std::stof(std::string(values.begin() + 3, values.begin() + 10)), ReadFloat(676), 0.01f);
}

TEST_F(ControllerFixture, ManualLoopHoldsItsOutputAndFollowsMoreAndLess) {
  ControllerSetup setup;
  setup.composition = Modules({1, 6, 3, 14});
  Build(setup);
  WriteCoil(784, false);  // manual
  EXPECT_FALSE(ReadCoil(784));
  EXPECT_FALSE(ReadCoil(785));
  WriteFloat(674, 20.0f);
  WriteCoil(104, true);
  WriteCoil(104, true);
  WriteCoil(112, true);
  EXPECT_FLOAT_EQ(ReadFloat(674), 21.0f);
  clock_.Advance(600'000);
  Ask({1, 17});
  EXPECT_FLOAT_EQ(ReadFloat(674), 21.0f);
  EXPECT_NEAR(ReadFloat(676), 21.0f, 0.5f);  // scale 0..100
}

TEST_F(ControllerFixture, CalibrationModeShowsInTheStatusAndStartTakesTheCurrentCode) {
  Build();  // analog module 1 is in slot 3
  WriteCoil(0x1013, true);
  EXPECT_TRUE(ReadCoil(0x1013));
  Bytes values = Ask({1, 71, 0, 6});
  EXPECT_EQ(values[3 + 8 * 2 + 7] & 0x20, 0x20);
  EXPECT_EQ(values[3 + 8 * 1 + 7] & 0x20, 0);

  WriteCoil(0x1113, true);
  Bytes codes = Ask({1, 68, 60});
  auto code = [&codes](size_t at) { return static_cast<int16_t>(codes[3 + at] | (codes[4 + at] << 8)); };
  EXPECT_EQ(code(1 + 4 * 2), code(29 + 2 * 2));  // start code = current code of input 3
  EXPECT_EQ(code(3 + 4 * 2), 4000);
  EXPECT_EQ(code(1 + 4 * 1), 800);  // other inputs untouched
}

TEST_F(ControllerFixture, AnalogAlarmStatesFollowTheSetpointsAndTheLimitSignals) {
  Build();
  // Over a few minutes every input passes through its alarm states; the limit
  // signals (discrete inputs 24..47) agree with the status bytes.
  std::set<int> states;
  for (int minute = 0; minute < 10; ++minute) {
    clock_.Advance(17'000);
    Bytes values = Ask({1, 71, 0, 6});
    Bytes limits = Ask({1, 2, 0, 24, 0, 24});
    for (int a = 0; a < 6; ++a) {
      int state = values[3 + 8 * a + 7] & 0x07;
      states.insert(state);
      auto bit = [&limits, a](int k) { return (limits[3 + (4 * a + k) / 8] >> ((4 * a + k) % 8)) & 1; };
      EXPECT_EQ(bit(0), state == 4) << "LL of input " << a;
      EXPECT_EQ(bit(3), state == 6) << "HH of input " << a;
    }
  }
  EXPECT_TRUE(states.count(0));
  EXPECT_GE(states.size(), 3u);
}

TEST_F(ControllerFixture, FaultySlotReportsHealthAndInvalidInputs) {
  ControllerSetup setup;
  setup.faultySlots = {2};
  Build(setup);
  EXPECT_EQ(Ask({1, 1, 0x03, 0xF8, 0, 16}), (Bytes{1, 1, 2, 0x02, 0x00}));
  EXPECT_EQ(Ask({1, 1, 0x04, 0x2C, 0, 12}), (Bytes{1, 1, 2, 0xFF, 0x0F}));  // module 2: 1044 + 24
  EXPECT_EQ(Ask({1, 1, 0x04, 0x20, 0, 12}), (Bytes{1, 1, 2, 0x00, 0x00}));  // module 1
}

TEST_F(ControllerFixture, DiscreteInputsChangeOverTime) {
  Build();
  Bytes first = Ask({1, 2, 0, 0, 0, 24});
  bool changed = false;
  for (int i = 0; i < 20 && !changed; ++i) {
    clock_.Advance(5'000);
    changed = Ask({1, 2, 0, 0, 0, 24}) != first;
  }
  EXPECT_TRUE(changed);
}

TEST_F(ControllerFixture, RelayOutputsFollowTheRecordsOfSignalsThatAreOn) {
  Build();  // the default records switch output 1 of relay module 1 from signals 0..23
  bool sawOn = false;
  for (int i = 0; i < 30; ++i) {
    clock_.Advance(3'000);
    Bytes inputs = Ask({1, 2, 0, 0, 0, 24});
    bool anyOn = inputs[3] || inputs[4] || inputs[5];
    EXPECT_EQ(ReadCoil(0), anyOn);
    sawOn = sawOn || anyOn;
  }
  EXPECT_TRUE(sawOn);
}

// --- contents ---------------------------------------------------------------------------------

TEST_F(ControllerFixture, DefaultContentsArePlausible) {
  Build();
  const BlockStore& b = controller_->Blocks();
  EXPECT_EQ(Float24ToFloat(b.at(1).data() + 1 + 5), 100.0f);  // scale maximum of channel 1
  EXPECT_EQ(std::string(b.at(1).begin() + 21, b.at(1).begin() + 25), "\xEF\xEE\xE7.");  // "поз." in cp1251
  EXPECT_EQ(b.at(12)[1], 0x80 | 0x20 | 1);  // signal 0: emergency alarm, normally open, cell 1
  EXPECT_EQ(std::string(b.at(35).begin() + 1, b.at(35).begin() + 7), "\xE3\xF0\xE0\xE4.\xD1");  // град.С
  EXPECT_EQ(b.at(68)[1], 1);  // an AND block first
}

TEST(ControllerContents, RandomContentsDependOnlyOnTheSeedAndKeepBlockNumbers) {
  VirtualClock clock;
  ControllerSetup setup;
  setup.randomBlocks = true;
  setup.seed = 42;
  SimulatedController a(setup, clock), b(setup, clock);
  setup.seed = 43;
  SimulatedController c(setup, clock);
  EXPECT_EQ(a.Blocks(), b.Blocks());
  EXPECT_NE(a.Blocks(), c.Blocks());
  for (const auto& [number, bytes] : a.Blocks()) EXPECT_EQ(bytes[0], number);
  Bytes frame = WithCrc({1, 17});
  Bytes id = a.Receive(frame).answer;
  EXPECT_LE(id[3 + 20], 252);
  EXPECT_LE(id[3 + 21], 48);
}

// A file saved from a controller starts another with the same blocks and
// function-block table, and that one saves the same bytes.
class FileRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(FileRoundTrip, ThroughAnotherControllerGivesTheSameBytes) {
  VirtualClock clock;
  ControllerSetup setup;
  setup.randomBlocks = true;
  setup.seed = 5;
  setup.composition = Modules({1, 6, 6, 3, 14, 10});
  setup.fbTableSize = GetParam();
  SimulatedController original(setup, clock);
  Bytes file = original.ZulBytes();
  ZulBlockLengths lengths;
  lengths.fbTableSize = GetParam();
  ASSERT_EQ(file.size(), ZulFileSize(lengths));

  std::string error;
  auto image = ReadZulImage(file, &error);
  ASSERT_TRUE(image.has_value()) << error;
  EXPECT_EQ(image->composition.modules, setup.composition.modules);
  EXPECT_EQ(image->fbTableSize, GetParam());
  ControllerSetup copySetup;
  copySetup.composition = image->composition;
  copySetup.fbTableSize = image->fbTableSize;
  copySetup.zul = image;
  SimulatedController copy(copySetup, clock);
  // Pages beyond the table are not in the file (and not answered).
  for (int b : StoredBlockNumbers()) {
    if (b >= 68 + GetParam() / 10 && b <= 79) continue;
    EXPECT_EQ(copy.Blocks().at(b), original.Blocks().at(b)) << b;
  }
  EXPECT_EQ(copy.ZulBytes(), file);
}

INSTANTIATE_TEST_SUITE_P(TableSizes, FileRoundTrip, ::testing::Values(120, 60));

TEST(ControllerContents, FileOfAnotherSizeIsRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(ReadZulImage(Bytes(1000, 0), &error).has_value());
  EXPECT_NE(error.find("1000"), std::string::npos);
  EXPECT_FALSE(ReadZulImage(Bytes(kZulFileSize - 1, 0), &error).has_value());
}

// Whatever arrives with a good CRC, the controller answers well-formed (or not
// at all) and never reads or writes beyond its buffers.
TEST(ControllerRobustness, RandomFramesOfEveryFunctionGetWellFormedAnswers) {
  VirtualClock clock;
  ControllerSetup setup;
  setup.composition = Modules({1, 10, 6, 8, 3, 14});
  SimulatedController controller(setup, clock);
  std::mt19937 random(3);
  const std::vector<int> functions{1, 2, 3, 4, 5, 6, 14, 15, 16, 17, 18, 66, 67, 68, 69, 70, 71, 100, 0, 255};
  for (int i = 0; i < 20000; ++i) {
    Bytes frame{static_cast<uint8_t>(random() % 3 == 0 ? 0 : 1),
                static_cast<uint8_t>(functions[random() % functions.size()])};
    size_t length = random() % 4 == 0 ? 2 + random() % 260 : random() % 8;
    for (size_t k = 0; k < length; ++k) frame.push_back(static_cast<uint8_t>(random()));
    if (frame[1] == 69 && frame.size() > 2 && random() % 2) frame[2] = 99;  // renumbering now and then
    frame = WithCrc(frame);
    clock.Advance(random() % 2000);
    Reception r = controller.Receive(frame);
    if (r.answer.empty()) continue;
    ASSERT_GE(r.answer.size(), 4u);
    ASSERT_LE(r.answer.size(), 255u + 5);
    EXPECT_TRUE(CrcMatches(r.answer));
    if (r.answer[1] & 0x80) {
      EXPECT_EQ(r.answer.size(), 5u);
    } else if (r.answer[1] != 5 && r.answer[1] != 6 && r.answer[1] != 14 && r.answer[1] != 15 &&
               r.answer[1] != 16) {
      EXPECT_EQ(r.answer.size(), r.answer[2] + 5u);
    }
  }
  EXPECT_GE(controller.Address(), 1);
  EXPECT_LE(controller.Address(), 31);
}

}  // namespace
}  // namespace zul
