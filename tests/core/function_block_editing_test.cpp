// The editing rules of the function block table: creation at the limit,
// insertion and deletion with regulator and block references, copied groups,
// algorithms, alarms, the dialog's values, and the exchange with a
// simulated controller.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/FunctionBlockReport.h"
#include "core/config/ReadConfiguration.h"
#include "core/editing/FunctionBlockEditing.h"
#include "core/editing/FunctionBlockForm.h"
#include "core/editing/FunctionBlockScheme.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedLine.h"
#include "support/StopAfter.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

constexpr int kAND = ftAND + 1;
constexpr int kTimer = ftTimer + 1;
constexpr int kComparator = ftComparator + 1;

class FunctionBlockEditing : public ::testing::Test {
 protected:
  FunctionBlockEditing() {
    c_.service.SignalCount = 100;
    c_.service.AnalogSignalCount = 12;
    c_.service.IndicationCells = 24;
    c_.service.DoModules = 2;
  }
  FunctionBlocks& fb() { return c_.functionBlocks; }
  // Blocks 1..count: AND blocks whose input 1 reads the previous block.
  void MakeBlocks(int count) {
    for (int i = 0; i < count; ++i) {
      fb().SetTypeCode(i, kAND);
      fb().SetByte(i, 15, i + 1);  // a marker: the record's original number
      if (i > 0) Reads(i, 0, i);
    }
    fb().RecountBlocks();
  }
  void Reads(int index, int k, int block) {
    fb().SetInputSource(index, k, srcFBOutput);
    fb().SetInputNumber(index, k, block);
  }
  int Marker(int index) { return fb().GetByte(index, 15); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const Message& m : ui_.Shown()) t.push_back(m.text);
    return t;
  }
  void TwoPosition(int loop, int block) {
    c_.regulators.SetPV(loop, 1);
    c_.regulators.SetSPSource(loop, 0);
    c_.regulators.SetFB(loop, block);
  }
  void SingleLoop(int loop, int on, int ret) {
    c_.regulators.SetPV(loop, 1);
    c_.regulators.SetSPSource(loop, 1);
    c_.regulators.SetOutput(loop, 1);
    c_.regulators.SetFcOn(loop, on);
    c_.regulators.SetFcReturn(loop, ret);
  }
  void Algorithm(int alg, std::vector<int> members, const std::string& name) {
    fb().SetAlgCount(std::max(fb().GetAlgCount(), alg + 1));
    for (size_t k = 0; k < members.size(); ++k) fb().SetAlgMember(alg, static_cast<int>(k), members[k]);
    fb().SetAlgName(alg, name);
    RebuildAlgorithmStarts(fb());
  }
  std::vector<int> Members(int alg) {
    std::vector<int> m;
    for (int k = 0; fb().GetAlgMember(alg, k) != FunctionBlocks::kEmptyEntry; ++k)
      m.push_back(fb().GetAlgMember(alg, k));
    return m;
  }

  Configuration c_;
  ScriptedInteraction ui_;
};

// ---- creation -------------------------------------------------------------------------

TEST_F(FunctionBlockEditing, The121stBlockIsRefused) {
  MakeBlocks(120);
  EXPECT_EQ(PrepareBlockCreation(c_, ui_), -1);
  EXPECT_EQ(Texts(), std::vector<std::string>{kAllBlocksCreatedText});
}

TEST_F(FunctionBlockEditing, CreationMovesTheCalculationRecordsUpAndCancelPutsThemBack) {
  MakeBlocks(3);
  fb().SetTypeCode(3, FunctionBlocks::kTypeCalc);
  fb().SetSubtype(3, 2);
  fb().RecountBlocks();
  const FunctionBlockSnapshot before = FunctionBlockSnapshot::Take(c_);
  EXPECT_EQ(PrepareBlockCreation(c_, ui_), 3);
  EXPECT_EQ(fb().GetTypeCode(3), 0);
  EXPECT_EQ(fb().GetTypeCode(4), FunctionBlocks::kTypeCalc);
  before.Restore(c_);  // the dialog was cancelled
  EXPECT_EQ(fb().GetTypeCode(3), FunctionBlocks::kTypeCalc);
  EXPECT_EQ(fb().GetTypeCode(4), 0);
}

// ---- insertion ------------------------------------------------------------------------

TEST_F(FunctionBlockEditing, InsertBeforeSevenShiftsTwoPositionReferences) {
  MakeBlocks(10);
  TwoPosition(0, 9);
  TwoPosition(1, 7);
  TwoPosition(2, 6);
  ShiftRegulatorsForInsert(c_, 7, 1, ui_);
  EXPECT_EQ(c_.regulators.GetFB(0), 10);
  EXPECT_EQ(c_.regulators.GetFB(1), 8);
  EXPECT_EQ(c_.regulators.GetFB(2), 6);
  ASSERT_EQ(ui_.Shown().size(), 1u);
  EXPECT_EQ(ui_.Last().text, "Внимание!\nФБ7 используется для \nнастройки двухпозиционного регулятора 2");
  EXPECT_EQ(ui_.Last().caption, kCaptionWarning);
  EXPECT_EQ(fb().RegChanged, 1);
}

TEST_F(FunctionBlockEditing, InsertOpensAGapAndRenumbersBlockReferences) {
  MakeBlocks(8);
  Algorithm(0, {1, 2, 3}, "A");
  Algorithm(1, {4, 5, 6, 7, 8}, "B");
  ASSERT_TRUE(OpenGapForBlock(c_, 4));  // before block 5
  StoreBlockValues(c_, 4, *std::make_unique<FunctionBlockValues>(ValuesForKind(ftOR)), false);
  FinishStructuralChange(c_);
  EXPECT_EQ(fb().FBCount, 9);
  EXPECT_EQ(Marker(3), 4);
  EXPECT_EQ(fb().GetTypeCode(4), ftOR + 1);
  EXPECT_EQ(Marker(5), 5);
  EXPECT_EQ(fb().GetInputNumber(3, 0), 3);  // below the insertion: stays
  EXPECT_EQ(fb().GetInputNumber(5, 0), 4);  // old block 5 read block 4
  EXPECT_EQ(fb().GetInputNumber(6, 0), 6);  // old block 6 read block 5, now 6
  EXPECT_EQ(Members(1), (std::vector<int>{4, 5, 6, 7, 8, 9}));
}

TEST_F(FunctionBlockEditing, InsertBeforeTheFirstBlockOfAnAlgorithmClosesThePreviousOne) {
  MakeBlocks(6);
  Algorithm(0, {1, 2, 3}, "A");
  Algorithm(1, {4, 5, 6}, "B");
  ASSERT_TRUE(OpenGapForBlock(c_, 3));
  EXPECT_EQ(Members(0), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(Members(1), (std::vector<int>{5, 6, 7}));
  EXPECT_EQ(fb().GetAlgStart(4), 5);
  EXPECT_EQ(fb().GetAlgStart(3), FunctionBlocks::kEmptyEntry);
}

TEST_F(FunctionBlockEditing, AlarmsLeaveBlocksPushedAbove62) {
  MakeBlocks(62);
  fb().SetAlarmType(61, 2);
  fb().SetCell(61, 5);
  fb().SetArchive(61, 1);
  ASSERT_TRUE(OpenGapForBlock(c_, 0));
  FunctionBlockValues v = ValuesForKind(ftAND);
  StoreBlockValues(c_, 0, v, false);
  FinishStructuralChange(c_);
  EXPECT_EQ(fb().GetAlarmType(62), 0);
  EXPECT_EQ(fb().GetCell(62), 0);
  EXPECT_EQ(fb().GetArchive(62), 0);
}

// ---- deletion ---------------------------------------------------------------------------

TEST_F(FunctionBlockEditing, DeletingBlocks3And5KeepsTheFcBlock) {
  MakeBlocks(8);
  SingleLoop(0, 3, 7);
  ui_.QueueAnswer(Answer::Yes);
  EXPECT_EQ(DeleteSelectedBlocks(c_, {4, 2}, ui_), 1);
  ASSERT_EQ(ui_.Shown().size(), 2u);
  EXPECT_EQ(ui_.Shown()[0].text, kDeleteQuestionText);
  EXPECT_EQ(ui_.Shown()[1].text, "Внимание!\nФБ3 используется для\nвключения режима FC в регуляторе 1");
  EXPECT_EQ(fb().FBCount, 7);
  EXPECT_EQ(Marker(2), 3);
  EXPECT_EQ(Marker(4), 6);
  EXPECT_EQ(c_.regulators.GetFcReturn(0), 6);
  EXPECT_EQ(c_.regulators.GetFcOn(0), 3);
  EXPECT_EQ(fb().GetInputNumber(4, 0), 0);  // old block 6 read the deleted block 5
  EXPECT_EQ(fb().GetInputNumber(5, 0), 5);  // old block 7 read block 6, now 5
}

TEST_F(FunctionBlockEditing, DeletionNeedsSelectionAndYes) {
  MakeBlocks(3);
  EXPECT_EQ(DeleteSelectedBlocks(c_, {}, ui_), 0);
  EXPECT_EQ(ui_.Last().text, kNoSelectedBlocksText);
  ui_.QueueAnswer(Answer::No);
  EXPECT_EQ(DeleteSelectedBlocks(c_, {0}, ui_), 0);
  EXPECT_EQ(fb().FBCount, 3);
}

TEST_F(FunctionBlockEditing, DeletionKeepsCommandInputNumbersAndMovesCalculationRecords) {
  MakeBlocks(4);
  Reads(3, 1, 150);
  fb().SetTypeCode(4, FunctionBlocks::kTypeCalc);
  fb().SetSubtype(4, 1);
  fb().RecountBlocks();
  ASSERT_TRUE(DeleteBlock(c_, 0, ui_));
  EXPECT_EQ(fb().GetInputNumber(2, 1), 150);
  EXPECT_EQ(fb().GetTypeCode(3), FunctionBlocks::kTypeCalc);
  EXPECT_EQ(fb().GetTypeCode(4), 0);
  EXPECT_EQ(fb().FBCount, 3);
}

struct AlgorithmDeleteCase {
  const char* name;
  int deleted;  // block number
  std::vector<std::vector<int>> before;
  std::vector<std::vector<int>> after;
  std::vector<std::string> namesAfter;
};

class AlgorithmsOnDelete : public FunctionBlockEditing,
                           public ::testing::WithParamInterface<AlgorithmDeleteCase> {};

TEST_P(AlgorithmsOnDelete, MembersFollowTheDeletion) {
  const auto& p = GetParam();
  MakeBlocks(9);
  for (size_t a = 0; a < p.before.size(); ++a)
    Algorithm(static_cast<int>(a), p.before[a], std::string(1, static_cast<char>('A' + a)));
  ASSERT_TRUE(DeleteBlock(c_, p.deleted - 1, ui_));
  ASSERT_EQ(fb().GetAlgCount(), static_cast<int>(p.after.size()));
  for (size_t a = 0; a < p.after.size(); ++a) {
    EXPECT_EQ(Members(static_cast<int>(a)), p.after[a]);
    EXPECT_EQ(fb().GetAlgName(static_cast<int>(a)), p.namesAfter[a]);
    EXPECT_EQ(fb().GetAlgStart(p.after[a][0] - 1), p.after[a][0]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AlgorithmsOnDelete,
    ::testing::Values(
        AlgorithmDeleteCase{"Middle", 2, {{1, 2, 3}, {4, 5}}, {{1, 2}, {3, 4}}, {"A", "B"}},
        AlgorithmDeleteCase{"FirstOfSecond", 4, {{1, 2, 3}, {4, 5, 6}}, {{1, 2, 3}, {4, 5}}, {"A", "B"}},
        AlgorithmDeleteCase{"EmptiedGoes", 4, {{1, 2, 3}, {4}, {5, 6}}, {{1, 2, 3}, {4, 5}}, {"A", "C"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- copied groups ----------------------------------------------------------------------------

TEST_F(FunctionBlockEditing, ACopyWithAGapLeavesTheTableAsItWas) {
  MakeBlocks(6);
  SingleLoop(0, 2, 0);
  CopyBlocksToClipboard(c_, {1, 2, 4});  // blocks 2, 3 and 5
  const FunctionBlockSnapshot before = FunctionBlockSnapshot::Take(c_);
  const GroupInsertResult r = InsertCopiedGroup(c_, 1, ui_);
  EXPECT_FALSE(r.inserted);
  EXPECT_EQ(Texts(), std::vector<std::string>{kCopiedWithGapText});
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i)
    EXPECT_TRUE(std::ranges::equal(fb().Record(i), before.records[static_cast<size_t>(i)])) << i;
  EXPECT_EQ(c_.regulators.GetFcOn(0), 2);
}

TEST_F(FunctionBlockEditing, TooBigAGroupIsRefused) {
  MakeBlocks(118);
  CopyBlocksToClipboard(c_, {0, 1, 2});
  EXPECT_FALSE(InsertCopiedGroup(c_, -1, ui_).inserted);
  EXPECT_EQ(ui_.Last().text, kTooManyToInsertText);
  EXPECT_EQ(fb().FBCount, 118);
}

TEST_F(FunctionBlockEditing, AppendedCopiesReadEachOtherAndJoinTheLastAlgorithm) {
  MakeBlocks(5);
  Algorithm(0, {1, 2, 3, 4, 5}, "A");
  Reads(2, 1, 5);  // block 3 reads block 5, outside the group
  fb().SetInputSource(2, 2, srcDiscrete);
  fb().SetInputNumber(2, 2, 200);  // a signal this configuration lacks
  fb().SetRelayByte(2, 3, 0xFF);   // relay module 3 does not exist
  CopyBlocksToClipboard(c_, {1, 2});
  const GroupInsertResult r = InsertCopiedGroup(c_, -1, ui_);
  ASSERT_TRUE(r.inserted);
  EXPECT_EQ(r.first, 5);
  EXPECT_EQ(r.count, 2);
  EXPECT_EQ(fb().FBCount, 7);
  EXPECT_EQ(fb().GetInputNumber(6, 0), 6);  // copy of 3 reads the copy of 2
  EXPECT_EQ(fb().GetInputNumber(5, 0), 1);  // copy of 2 reads block 1 as before
  EXPECT_EQ(fb().GetInputNumber(6, 1), 5);
  EXPECT_EQ(fb().GetInputNumber(6, 2), 0);
  EXPECT_EQ(fb().GetRelayByte(6, 3), 0);
  EXPECT_EQ(Members(0), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(FunctionBlockEditing, InsertedCopiesShiftTheBlocksAfterThem) {
  MakeBlocks(6);
  TwoPosition(0, 5);
  CopyBlocksToClipboard(c_, {0, 1});
  const GroupInsertResult r = InsertCopiedGroup(c_, 3, ui_);  // before block 4
  ASSERT_TRUE(r.inserted);
  EXPECT_EQ(fb().FBCount, 8);
  EXPECT_EQ(Marker(3), 1);
  EXPECT_EQ(Marker(4), 2);
  EXPECT_EQ(fb().GetInputNumber(4, 0), 4);  // copy of 2 reads the copy of 1
  EXPECT_EQ(Marker(5), 4);
  EXPECT_EQ(fb().GetInputNumber(5, 0), 3);
  EXPECT_EQ(fb().GetInputNumber(6, 0), 6);  // old 5 read 4, now 6
  EXPECT_EQ(c_.regulators.GetFB(0), 7);
}

// ---- alarm and relays --------------------------------------------------------------------------

struct AlarmCase {
  const char* name;
  int cells;
  int type, cell;
  int storedType, storedCell;
  const char* message;  // nullptr: none
};

class BlockAlarm : public FunctionBlockEditing, public ::testing::WithParamInterface<AlarmCase> {};

TEST_P(BlockAlarm, StoresWhatTheDialogGaveWithItsChecks) {
  const auto& p = GetParam();
  MakeBlocks(2);
  c_.service.IndicationCells = p.cells;
  StoreBlockAlarm(c_, 1, p.type, p.cell, ui_);
  EXPECT_EQ(fb().GetAlarmType(1), p.storedType);
  EXPECT_EQ(fb().GetCell(1), p.storedCell);
  if (p.message)
    EXPECT_EQ(Texts(), std::vector<std::string>{p.message});
  else
    EXPECT_TRUE(ui_.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, BlockAlarm,
                         ::testing::Values(AlarmCase{"Stored", 24, 2, 5, 2, 5, nullptr},
                                           AlarmCase{"NoCell", 24, 2, 0, 0, 0, kNoCellChosenText},
                                           AlarmCase{"CellTooHigh", 24, 1, 30, 0, 0, kWrongCellText},
                                           AlarmCase{"NoTypeNoCell", 24, 0, 7, 0, 0, nullptr},
                                           AlarmCase{"Panel192NeedsNoCell", 192, 3, 0, 3, 0, nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FunctionBlockEditing, AlarmsOnlyUpToBlock62) {
  MakeBlocks(70);
  EXPECT_TRUE(CanAddAlarm(c_, 61, ui_));
  EXPECT_FALSE(CanAddAlarm(c_, 62, ui_));
  EXPECT_EQ(ui_.Last().text, kUnavailableText);
  c_.service.DoModules = 0;
  EXPECT_FALSE(CanAddRelays(c_, 1, ui_));
}

TEST_F(FunctionBlockEditing, RelayBytesBeyondTheModulesStayEmpty) {
  MakeBlocks(1);
  StoreBlockRelays(c_, 0, {1, 2, 3, 4, 5});
  EXPECT_EQ(BlockRelayMasks(fb(), 0), (std::array<int, 5>{1, 2, 0, 0, 0}));
}

// ---- the dialog's values -------------------------------------------------------------------------

struct InputStoreCase {
  const char* name;
  int blocks;  // created before
  int source;
  const char* number;
  int stored;
};

class InputNumbers : public FunctionBlockEditing, public ::testing::WithParamInterface<InputStoreCase> {};

TEST_P(InputNumbers, OutOfRangeNumbersBecomeZero) {
  const auto& p = GetParam();
  MakeBlocks(p.blocks);
  const int index = PrepareBlockCreation(c_, ui_);
  FunctionBlockValues v = ValuesForKind(ftAND);
  v.inputs[0].source = p.source;
  v.inputs[0].number = p.number;
  StoreBlockValues(c_, index, v, false);
  EXPECT_EQ(fb().GetInputNumber(index, 0), p.stored);
  EXPECT_EQ(v.inputs[0].number, std::to_string(p.stored) == "0" ? "0" : std::string(p.number));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InputNumbers,
    ::testing::Values(InputStoreCase{"CommandInputStays", 10, srcFBOutput, "150", 150},
                      InputStoreCase{"Above186", 10, srcFBOutput, "200", 0},
                      InputStoreCase{"BlockNotYetCreated", 10, srcFBOutput, "11", 0},
                      InputStoreCase{"ExistingBlock", 10, srcFBOutput, "10", 10},
                      InputStoreCase{"DiscreteAboveCount", 1, srcDiscrete, "101", 0},
                      InputStoreCase{"DiscreteInRange", 1, srcDiscreteInvalid, "100", 100},
                      InputStoreCase{"AnalogFlagAboveCount", 1, srcAnalogInvalid, "13", 0},
                      InputStoreCase{"CodesysAbove112", 1, srcCoDeSys, "113", 0},
                      InputStoreCase{"NotANumber", 1, srcCoDeSys, "1a", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FunctionBlockEditing, StoringClampsCounterAndHysteresis) {
  MakeBlocks(2);
  FunctionBlockValues counter = ValuesForKind(ftCounter);
  counter.counterSetpoint = "45";
  StoreBlockValues(c_, 0, counter, true);
  EXPECT_EQ(fb().GetCounterSetpoint(0), 31);
  FunctionBlockValues comparator = ValuesForKind(ftComparator);
  comparator.hysteresis = "40";
  comparator.analogSource = 1;
  comparator.analogNumber = "3";  // only 2 arithmetic blocks
  comparator.setpoint = "12,5";
  fb().SetArithCount(2);
  StoreBlockValues(c_, 1, comparator, true);
  EXPECT_EQ(fb().GetHysteresis(1), 31);
  EXPECT_EQ(fb().GetComparatorAnalogNumber(1), 0);
  EXPECT_EQ(comparator.analogNumber, "0");
  EXPECT_EQ(fb().GetFloatText(1, 1), "12,500");
}

TEST_F(FunctionBlockEditing, ChangingTheKindClearsTheRecordFirst) {
  MakeBlocks(1);
  for (int pos = 1; pos <= 8; ++pos) fb().SetByte(0, pos, 0xFF);
  FunctionBlockValues timer = ValuesForKind(ftTimer);
  timer.time = "7";
  StoreBlockValues(c_, 0, timer, true);
  EXPECT_EQ(fb().GetTypeCode(0), kTimer);
  EXPECT_EQ(fb().GetByte(0, 5), 0);
  EXPECT_EQ(fb().GetTime(0), 7);
  EXPECT_EQ(fb().GetByte(0, 7), 0);
  EXPECT_EQ(fb().GetByte(0, 8), 0);
}

TEST_F(FunctionBlockEditing, ValuesReadBackFromTheRecord) {
  MakeBlocks(1);
  FunctionBlockValues v = ValuesForKind(ftComparator);
  v.inputs[0] = {1, srcDiscrete, "5"};
  v.analogNumber = "3";
  v.setpointKind = 1;
  v.setpointAddress = "7";
  v.condition = 1;
  v.hysteresis = "9";
  v.discreteness = 2;
  v.time = "12";
  StoreBlockValues(c_, 0, v, true);
  const FunctionBlockValues back = LoadBlockValues(fb(), 0);
  EXPECT_EQ(back.kind, ftComparator);
  EXPECT_EQ(back.inputs[0].number, "5");
  EXPECT_EQ(back.inputs[0].polarity, 1);
  EXPECT_EQ(back.analogNumber, "03");
  EXPECT_EQ(back.setpointKind, 1);
  EXPECT_EQ(back.setpointAddress, "07");
  EXPECT_EQ(back.condition, 1);
  EXPECT_EQ(back.hysteresis, "09");
  EXPECT_EQ(back.discreteness, 2);
  EXPECT_EQ(back.time, "12");
}

struct CheckCase {
  const char* name;
  FunctionBlockValues values;
  bool refused;
  std::string note;
};

FunctionBlockValues With(int kind, void (*edit)(FunctionBlockValues&)) {
  FunctionBlockValues v = ValuesForKind(kind);
  edit(v);
  return v;
}

class BlockChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(BlockChecks, OkRefusesOutOfRangeFields) {
  CheckCase p = GetParam();
  const auto marks = CheckBlockValues(p.values);
  const bool refused = !marks.empty() && marks.back().keepsOpen;
  EXPECT_EQ(refused, p.refused);
  if (!p.note.empty()) {
    ASSERT_FALSE(marks.empty());
    EXPECT_EQ(marks.back().note, p.note);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockChecks,
    ::testing::Values(CheckCase{"Hour24",
                                With(ftTimer,
                                     [](auto& v) {
                                       v.timerKind = 5;
                                       v.hour = "24";
                                     }),
                                true, "24 Величина вне диапазона 0 - 23"},
                      CheckCase{"Time150", With(ftComparator, [](auto& v) { v.time = "150"; }), true,
                                "150 Величина вне диапазона 0 - 120"},
                      CheckCase{"EmptyTime", With(ftTimer, [](auto& v) { v.time = ""; }), true,
                                "  Ошибка ввода "},
                      CheckCase{"TimerAddress0",
                                With(ftTimer,
                                     [](auto& v) {
                                       v.timerSetpointKind = 1;
                                       v.timerAddress = "0";
                                     }),
                                true, "0 Величина вне диапазона 1 - 10"},
                      CheckCase{"SetpointAddress11",
                                With(ftComparator,
                                     [](auto& v) {
                                       v.setpointKind = 1;
                                       v.setpointAddress = "11";
                                     }),
                                true, ""},
                      CheckCase{"EmptyAnalogOnlyMarked",
                                With(ftComparator, [](auto& v) { v.analogNumber = ""; }), false, ""},
                      CheckCase{"GoodTimer", With(ftTimer, [](auto& v) { v.time = "120"; }), false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- captions, layout and the report ---------------------------------------------------------------

struct CaptionCase {
  int source, number;
  const char* caption;
};

class InputCaptions : public FunctionBlockEditing, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(InputCaptions, ShowTheSourceOrNothing) {
  c_.service.Ident[4][0] = "DI";
  c_.service.Ident[4][1] = "5";
  const BlockCaptions captions(c_);
  EXPECT_EQ(captions.InputCaption(GetParam().source, GetParam().number), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Cases, InputCaptions,
                         ::testing::Values(CaptionCase{srcFBOutput, 120, "ФБ120"},
                                           CaptionCase{srcFBOutput, 121, "КВУ121"},
                                           CaptionCase{srcFBOutput, 187, ""}, CaptionCase{srcFBOutput, 0, ""},
                                           CaptionCase{srcCoDeSys, 112, "вых. CoDeSys 112"},
                                           CaptionCase{srcCoDeSys, 113, ""},
                                           CaptionCase{srcAnalogInvalid, 49, ""},
                                           CaptionCase{srcDiscrete, 253, ""}, CaptionCase{7, 3, ""}));

TEST_F(FunctionBlockEditing, AnAlgorithmStartsARow) {
  MakeBlocks(7);
  Algorithm(0, {1, 2}, "A");
  Algorithm(1, {3, 4, 5, 6, 7}, "B");
  const SchemeLayout layout = LayOutScheme(fb());
  EXPECT_EQ(layout.blocks[2].row, 1);
  EXPECT_EQ(layout.blocks[2].column, 0);
  EXPECT_EQ(layout.blocks[5].row, 2);
  EXPECT_EQ(layout.blocks[5].y, 2 * 120 + 15);
  EXPECT_EQ(layout.blocks[4].x, 500);
  ASSERT_EQ(layout.labels.size(), 2u);
  EXPECT_EQ(layout.labels[1].y, 120 + 15 - 12);
  EXPECT_EQ(layout.rows, 3);
}

TEST_F(FunctionBlockEditing, PanelTextsOfATimerAndAComparator) {
  fb().SetTypeCode(0, kTimer);
  fb().SetTimerDiskr(0, 0);
  fb().SetTime(0, 5);
  fb().SetTypeCode(1, kComparator);
  fb().SetFloatText(1, "12,5", 1);
  fb().SetHysteresis(1, 3);
  fb().SetTypeCode(2, ftANDInv + 1);
  fb().SetInputPolarity(2, 0, 0);
  Reads(2, 1, 2);
  fb().RecountBlocks();
  const BlockCaptions captions(c_);
  const BlockPanelTexts timer = captions.Panel(0);
  EXPECT_EQ(timer.panelCaption, "Т=500 мс");
  EXPECT_EQ(timer.innerCaption, "T0");
  EXPECT_EQ(timer.inputsDrawn, 2);
  EXPECT_EQ(timer.setReset[1], "R");
  const BlockPanelTexts comparator = captions.Panel(1);
  EXPECT_EQ(comparator.captions[2], "уставка=12,500");
  EXPECT_EQ(comparator.hysteresisCaption, "гистерезис=3%");
  const BlockPanelTexts nand = captions.Panel(2);
  EXPECT_TRUE(nand.outputInverse);
  EXPECT_TRUE(nand.inverse[0]);
  EXPECT_TRUE(nand.linked[1]);
  EXPECT_FALSE(nand.linked[0]);
}

struct PanelKindCase {
  const char* name;
  int type;
  int subtype;
  std::string symbol;
  std::string panelCaption;
  std::string parameters;  // what the report lists besides
};

class PanelKinds : public FunctionBlockEditing, public ::testing::WithParamInterface<PanelKindCase> {};

// Each trigger kind its own symbol and name, on the panel and in the
// report; an alarm clock with a fixed setpoint shows its time as other timers do.
TEST_P(PanelKinds, ShowWhatTheRecordHolds) {
  const auto& p = GetParam();
  fb().SetTypeCode(0, p.type);
  fb().SetSubtype(0, p.subtype);
  fb().SetTimerDiskr(0, 1);
  fb().SetTime(0, 5);
  fb().RecountBlocks();
  const BlockPanelTexts t = BlockCaptions(c_).Panel(0);
  EXPECT_EQ(t.symbol, p.symbol);
  EXPECT_EQ(t.panelCaption, p.panelCaption);
  const std::string row = FunctionBlockReport(c_, "Файл a.zul").lines.back();
  EXPECT_NE(row.find(p.parameters), std::string::npos) << row;
}

INSTANTIATE_TEST_SUITE_P(Cases, PanelKinds,
                         ::testing::Values(PanelKindCase{"ResetPriority", ftTrigger + 1, 0, "RS", "",
                                                         "\tприоритет сброса       (R-S)\t"},
                                           PanelKindCase{"SetPriority", ftTrigger + 1, 1, "SR", "",
                                                         "\tприоритет установки (S-R)\t"},
                                           PanelKindCase{"AlarmClock", kTimer, 5, "Т", "Т=5 с", "T5; Т=5 с"},
                                           PanelKindCase{"OnDelay", kTimer, 0, "Т", "Т=5 с", "T0; Т=5 с"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FunctionBlockEditing, ReportListsEveryBlock) {
  MakeBlocks(3);
  Reads(2, 1, 121);
  StoreBlockRelays(c_, 1, {0x05, 0, 0, 0, 0});
  const Report r = FunctionBlockReport(c_, "Файл a.zul");
  ASSERT_GE(r.lines.size(), 3u);
  const std::string& last = r.lines.back();
  EXPECT_NE(last.find("КВУ121"), std::string::npos);
  EXPECT_NE(last.find("ФБ2"), std::string::npos);
  EXPECT_NE(r.lines[r.lines.size() - 2].find("МР1:1,3"), std::string::npos);
}

// ---- restore and the controller ------------------------------------------------------------------

TEST_F(FunctionBlockEditing, NoOnClosingRestoresTableAndRegulatorReferences) {
  MakeBlocks(5);
  TwoPosition(0, 4);
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) {
    const auto rec = fb().Record(i);
    std::copy(rec.begin(), rec.end(), c_.reserveBlocks.FBRecords[static_cast<size_t>(i)].begin());
  }
  c_.reserveBlocks.RegulatorRecords[0] = c_.regulators.Loops;
  ASSERT_TRUE(DeleteBlock(c_, 0, ui_));
  EXPECT_EQ(c_.regulators.GetFB(0), 3);
  RestoreFunctionBlocksFromReference(c_);
  EXPECT_EQ(fb().FBCount, 5);
  EXPECT_EQ(Marker(0), 1);
  EXPECT_EQ(c_.regulators.GetFB(0), 4);
  EXPECT_EQ(fb().Changed, 0);
}

class FunctionBlockExchange : public FunctionBlockEditing {
 protected:
  FunctionBlockExchange() : bus_(clock_), line_(bus_, clock_), link_(line_, clock_, ui_) {}
  void SetUp() override {
    ControllerSetup setup;
    setup.composition.modules = {1, 6, 3, 14};
    controller_ = &bus_.Add(setup);
    ASSERT_EQ(link_.OpenPort(), 0);
    c_.discreteProcessing.AccessLevel = 1;
  }
  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  zul::test::WritingLink link_;
  SimulatedController* controller_ = nullptr;
};

TEST_F(FunctionBlockExchange, StoppedRead_EndsQuietlyBeforeTheNextPage) {
  test::StopAfter user(2);
  const int before = controller_->Requests();
  EXPECT_FALSE(ReadFunctionBlockTable(c_, link_, user));
  EXPECT_EQ(controller_->Requests() - before, 3);  // pages 68, 69 and 70
  EXPECT_TRUE(user.Shown().empty());
  EXPECT_TRUE(ui_.Shown().empty());
}

TEST_F(FunctionBlockExchange, NothingIsWrittenWithoutFullAccess) {
  MakeBlocks(3);
  c_.discreteProcessing.AccessLevel = 0;
  const BlockBytes before = controller_->Blocks().at(68);
  EXPECT_FALSE(WriteFunctionBlockTable(c_, link_, ui_));
  EXPECT_FALSE(WriteRegulatorLoops(c_, link_, ui_));
  EXPECT_EQ(controller_->Blocks().at(68), before);
  EXPECT_EQ(ui_.Last().text, "Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт");
}

TEST_F(FunctionBlockExchange, NoLoopBlockWithoutARegulatorModule) {
  c_.regulators.RegPresent = 0;
  const int requests = controller_->Requests();
  EXPECT_TRUE(WriteRegulatorLoops(c_, link_, ui_));
  EXPECT_EQ(controller_->Requests(), requests);
}

TEST_F(FunctionBlockExchange, WrittenTableReadsBack) {
  MakeBlocks(12);
  Algorithm(0, {1, 2}, "A");
  TwoPosition(0, 3);
  c_.regulators.RegPresent = 1;
  ASSERT_TRUE(WriteFunctionBlockTable(c_, link_, ui_));
  ASSERT_TRUE(WriteRegulatorLoops(c_, link_, ui_));
  EXPECT_EQ(controller_->Blocks().at(69)[1 + 19 + 15],
            12);  // block 12: page 1, record 1, after the block number
  EXPECT_EQ(controller_->Blocks().at(32)[1 + 3], 3);
  Configuration other;
  ASSERT_TRUE(ReadFunctionBlockTable(other, link_, ui_));
  EXPECT_EQ(other.functionBlocks.FBCount, 12);
  EXPECT_EQ(other.functionBlocks.GetAlgCount(), 0);
  EXPECT_TRUE(std::ranges::equal(other.functionBlocks.Record(11), fb().Record(11)));
}

// Bytes 0..8 of record `index` as the controller holds them.
std::vector<int> ControllerRecordHead(const SimulatedController& controller, int index) {
  const auto& page = controller.Blocks().at(kFirstFunctionBlockPage + index / 10);
  const size_t at =
      1 + static_cast<size_t>(index % 10) * FunctionBlocks::kRecordSize;  // after the block number
  return std::vector<int>(page.begin() + static_cast<long>(at), page.begin() + static_cast<long>(at) + 9);
}

struct InsertedInputsCase {
  const char* name;
  int blocks;
  int before;              // 0-based record the new block takes
  std::vector<int> typed;  // FB-output numbers as typed in the dialog
  std::vector<int> head;   // bytes 0..8 of the new record on the controller
};

class InsertedBlockInputs : public FunctionBlockExchange,
                            public ::testing::WithParamInterface<InsertedInputsCase> {};

// The new block's own references follow the rule every other reference
// follows: to a block at or above the insertion place, one up; beyond the
// blocks there were, nothing.
TEST_P(InsertedBlockInputs, FollowTheRenumbering) {
  const auto& p = GetParam();
  MakeBlocks(p.blocks);
  FunctionBlockValues v = ValuesForKind(ftAND);
  for (size_t k = 0; k < p.typed.size(); ++k) v.inputs[k] = {1, srcFBOutput, std::to_string(p.typed[k])};
  ASSERT_TRUE(InsertBlock(c_, p.before, v));
  ASSERT_TRUE(WriteFunctionBlockTable(c_, link_, ui_));
  EXPECT_EQ(ControllerRecordHead(*controller_, p.before), p.head);
  EXPECT_EQ(Marker(p.before + 1), p.before + 1);  // the block it came before moved up
  EXPECT_EQ(fb().FBCount, p.blocks + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InsertedBlockInputs,
    ::testing::Values(
        InsertedInputsCase{"Before5Of20", 20, 4, {20, 21, 4}, {0x01, 0x09, 21, 0x09, 0, 0x09, 4, 0, 0}},
        InsertedInputsCase{"Before3", 20, 2, {5, 13}, {0x01, 0x09, 6, 0x09, 14, 0, 0, 0, 0}},
        InsertedInputsCase{"ItsOwnPlace", 6, 2, {3, 2, 121}, {0x01, 0x09, 4, 0x09, 2, 0x09, 121, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct StoredParametersCase {
  const char* name;
  std::function<void(FunctionBlockValues&)> fill;
  int kind;
  std::vector<int> head;  // bytes 0..8 on the controller
};

class StoredParameters : public FunctionBlockExchange,
                         public ::testing::WithParamInterface<StoredParametersCase> {};

// An alarm clock at 23:59:30 with a corrected setpoint edited into another
// kind: whatever the new kind does not use reads 0.
TEST_P(StoredParameters, LeaveNothingOfTheFormerKind) {
  const auto& p = GetParam();
  MakeBlocks(1);
  fb().SetTypeCode(0, kTimer);
  fb().SetSubtype(0, 5);
  fb().SetClockHour(0, 23);
  fb().SetClockMinute(0, 59);
  fb().SetClockSecond(0, 30);
  fb().SetTimerSetpointKind(0, 1);
  fb().SetTimerSetpointAddress(0, 9);
  FunctionBlockValues v = LoadBlockValues(fb(), 0);
  if (p.kind != ftTimer) v = ValuesForKind(p.kind);
  p.fill(v);
  StoreBlockValues(c_, 0, v, v.kind != ftTimer);
  ASSERT_TRUE(WriteFunctionBlockTable(c_, link_, ui_));
  EXPECT_EQ(ControllerRecordHead(*controller_, 0), p.head);
}

INSTANTIATE_TEST_SUITE_P(Cases, StoredParameters,
                         ::testing::Values(StoredParametersCase{"T5Kept",
                                                                [](FunctionBlockValues&) {},
                                                                ftTimer,
                                                                {0x56, 0, 0, 30, 59, 23 << 2, 0, 0x19, 0}},
                                           StoredParametersCase{"T5ToT0Fixed",
                                                                [](FunctionBlockValues& v) {
                                                                  v.timerKind = 0;
                                                                  v.timerSetpointKind = 0;
                                                                  v.time = "7";
                                                                  v.inputs[1] = {1, srcDiscrete, "3"};
                                                                },
                                                                ftTimer,
                                                                {0x06, 0, 0, 0x08, 3, 0, 7, 0, 0}},
                                           StoredParametersCase{"T5ToT2Corrected",
                                                                [](FunctionBlockValues& v) {
                                                                  v.timerKind = 2;
                                                                  v.timerAddress = "4";
                                                                },
                                                                ftTimer,
                                                                {0x26, 0, 0, 0, 0, 0, 0, 0x14, 0}},
                                           StoredParametersCase{"Hysteresis",
                                                                [](FunctionBlockValues&) {},
                                                                ftGisterezis,
                                                                {0x05, 0, 0, 0, 0, 0, 0, 0, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

// A 60-block controller refuses page 74 with exception 3: the editor's read
// takes it for what it is, as the whole read does, and writes six pages.
class SixtyBlockExchange : public FunctionBlockExchange {
 protected:
  void SetUp() override {
    ControllerSetup setup;
    setup.fbTableSize = 60;
    controller_ = &bus_.Add(setup);
    ASSERT_EQ(link_.OpenPort(), 0);
    c_.discreteProcessing.AccessLevel = 1;
  }
};

TEST_F(SixtyBlockExchange, TheEditorsReadKnowsTheSixtyBlockController) {
  fb().SetTypeCode(100, kTimer);  // left from a 120-block controller
  ASSERT_TRUE(ReadFunctionBlockTable(c_, link_, ui_));
  EXPECT_EQ(Texts(), std::vector<std::string>{kSixtyFunctionBlocksText});
  EXPECT_EQ(fb().GetTableSize(), 60);
  EXPECT_EQ(fb().GetTypeCode(100), 0);
  MakeBlocks(60);
  EXPECT_FALSE(HasRoomForBlock(fb(), ui_));
  EXPECT_EQ(ui_.Last().text, kAllBlocksCreatedText);
  ui_.Clear();
  ASSERT_TRUE(WriteFunctionBlockTable(c_, link_, ui_));  // page 74 would be refused
  EXPECT_TRUE(ui_.Shown().empty());
  EXPECT_EQ(ControllerRecordHead(*controller_, 59)[0], kAND);
}

class FailingPageExchange : public FunctionBlockExchange {
 protected:
  void SetUp() override {
    ControllerSetup setup;
    setup.blockExceptions[73] = 3;
    controller_ = &bus_.Add(setup);
    ASSERT_EQ(link_.OpenPort(), 0);
  }
};

TEST_F(FailingPageExchange, AFailedPageEndsTheReadAndKeepsThePagesBefore) {
  fb().SetTypeCode(70, kTimer);
  EXPECT_FALSE(ReadFunctionBlockTable(c_, link_, ui_));
  EXPECT_EQ(fb().GetTypeCode(70), kTimer);
  EXPECT_FALSE(ui_.Shown().empty());
}

}  // namespace
}  // namespace zul
