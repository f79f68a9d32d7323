// The discrete processing editor's data rules: the scheme's rows and the
// corrections records get on the way, the alarm and delay outcomes, group
// paste and delete, the identifier's signal both ways, undo snapshots, and the
// editor's exchanges against a simulated controller.
#include <gtest/gtest.h>

#include <memory>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/editing/DiscreteProcessingEditing.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedLine.h"
#include "support/StopAfter.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

// A configuration of `di` discrete, `ai` analog and `dout` relay modules with
// the indication type given, and `net` extra network signals in the base.
std::unique_ptr<Configuration> Make(int di, int ai, int dout, int indication = 1, int net = 0) {
  auto c = std::make_unique<Configuration>();
  ServiceBlock& s = c->service;
  s.DiModules = di;
  s.AiModules = ai;
  s.DoModules = dout;
  s.RecountIO();
  s.SetIndicationType(indication);
  s.SetSignalCount(12 * di + 24 * ai + net);
  return c;
}

ProcessingRecord Rec(std::initializer_list<int> bytes) {
  ProcessingRecord r{};
  size_t i = 0;
  for (int b : bytes) r[i++] = static_cast<uint8_t>(b);
  return r;
}

// --- cell and paste corrections ---------------------------------------------------------

struct CellCase {
  const char* name;
  int byte0;
  int cells;
  int expected;
};

class CellCorrection : public ::testing::TestWithParam<CellCase> {};

TEST_P(CellCorrection, LoadedRecordKeepsOrLosesCellAndAlarm) {
  ProcessingRecord r = Rec({GetParam().byte0});
  CorrectCell(r, GetParam().cells);
  EXPECT_EQ(r[0], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CellCorrection,
                         ::testing::Values(CellCase{"CellWithinPanel", 0xA5, 24, 0xA5},
                                           CellCase{"CellBeyondPanel_AlarmGoes", 0xAD, 12, 0x20},
                                           CellCase{"NoPanel_AlarmGoes", 0x81, 0, 0x00},
                                           CellCase{"UnnumberedPanel_AlarmStays", 0x85, 192, 0x80},
                                           CellCase{"ContactKeptWithAlarmGone", 0x7F, 24, 0x20}),
                         [](const auto& info) { return info.param.name; });

struct PasteCase {
  const char* name;
  ProcessingRecord in;
  int cells;
  int relays;
  ProcessingRecord out;
};

class PasteCorrection : public ::testing::TestWithParam<PasteCase> {};

TEST_P(PasteCorrection, PastedRecordFitsTheConfiguration) {
  ProcessingRecord r = GetParam().in;
  CorrectPasted(r, GetParam().cells, GetParam().relays);
  EXPECT_EQ(r, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasteCorrection,
    ::testing::Values(PasteCase{"Fits", Rec({0x45, 1, 2, 0, 0, 0, 0, 0, 0, 0x85}), 24, 2,
                                Rec({0x45, 1, 2, 0, 0, 0, 0, 0, 0, 0x85})},
                      PasteCase{"CellBeyondPanel_CellOnly", Rec({0x5A, 1}), 12, 1, Rec({0x40, 1})},
                      PasteCase{"Unnumbered_CellOnly", Rec({0x85}), 192, 1, Rec({0x80})},
                      PasteCase{"NoRelayModules_DelayAndMasksGo", Rec({0x41, 1, 0, 0, 0, 0, 0, 0, 3, 0xC5}),
                                24, 0, Rec({0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0x80})},
                      PasteCase{"AbsentModuleMasksGo", Rec({0x41, 1, 2, 3, 0, 0, 0, 0, 8, 5}), 24, 2,
                                Rec({0x41, 1, 2, 0, 0, 0, 0, 0, 0, 5})}),
    [](const auto& info) { return info.param.name; });

// --- the scheme -----------------------------------------------------------------------------

TEST(DiscreteScheme, RowsForActiveRecordsOnly_CorrectedAsDrawn) {
  auto c = Make(2, 1, 1, 0);  // 12 cells
  DiscreteProcessing& z = c->discreteProcessing;
  z.ClearRecords(0, 252);
  z.SetRecord(0, Rec({0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));  // contact and archive only: no row
  z.SetRecord(3, Rec({0x60}));                                // warning alarm, no cell: a row
  z.SetRecord(5, Rec({0x8D}));                                // cell 13 > 12: a row, its alarm goes
  z.SetRecord(7, Rec({0x20, 0, 4}));                          // relay module 2 absent: cleared
  z.SetRecord(9, Rec({0x20, 0, 0, 0, 0, 0, 0, 0, 0, 5}));     // a delay
  z.SetRecord(60, Rec({0x41}));                               // beyond the 48 signals
  BuildScheme(*c);
  EXPECT_EQ(z.RowCount, 4);
  EXPECT_EQ((std::vector<int>(z.RowSignal.begin(), z.RowSignal.begin() + 4)), (std::vector<int>{3, 5, 7, 9}));
  EXPECT_EQ(z.Record(5)[0], 0x00);
  EXPECT_EQ(z.Record(7)[2], 0);
  EXPECT_EQ(z.Modified, 1);
  EXPECT_EQ(z.SchemeAssigned, 1);
}

TEST(DiscreteScheme, CtrlClickSelection_OneLeftBecomesCurrent) {
  auto c = Make(2, 0, 1);
  DiscreteProcessing& z = c->discreteProcessing;
  for (int s : {1, 4, 6}) z.SetAlarmType(s, 0x40), z.SetCell(s, 1);
  BuildScheme(*c);
  SelectOnly(z, 0);
  ToggleSelected(z, 2);
  EXPECT_EQ(z.SelectedCount, 2);
  EXPECT_EQ(z.CurRow, -1);
  ToggleSelected(z, 0);
  EXPECT_EQ(z.CurRow, 2);
  EXPECT_EQ(z.CurSignal, 6);
  SelectAll(z);
  EXPECT_EQ(SelectedRows(z), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(z.CurSignal, -1);
  ToggleSelected(z, 7);  // no such row: nothing happens
  EXPECT_EQ(z.SelectedCount, 3);
}

TEST(DiscreteScheme, CreateHandler_AppendsSelectsAndRefusesATakenRowOrWhenAllExist) {
  auto c = Make(1, 0, 1);
  DiscreteProcessing& z = c->discreteProcessing;
  EXPECT_EQ(CreateHandler(*c, 4, true, true), CreateOutcome::Created);
  EXPECT_EQ(z.RowCount, 1);
  EXPECT_EQ(z.CurSignal, 4);
  EXPECT_EQ(z.GetArchive(4), 0x80);
  EXPECT_EQ(CreateHandler(*c, 4, false, false), CreateOutcome::AlreadyShown);
  EXPECT_EQ(z.GetContact(4), DiscreteProcessing::kContactNormallyOpen);  // refused: the row stays as it was
  EXPECT_EQ(z.GetArchive(4), 0x80);
  EXPECT_EQ(CreateHandler(*c, 12, true, false), CreateOutcome::BadSignal);
  // The dialog names row 1, which signal 4 already holds: nothing is appended.
  EXPECT_EQ(CreateHandler(*c, 6, true, false, 0), CreateOutcome::RowTaken);
  EXPECT_EQ(z.RowCount, 1);
  EXPECT_EQ(CreateHandler(*c, 6, true, false, 1), CreateOutcome::Created);
  EXPECT_EQ(z.RowSignal[1], 6);
  for (int s = 0; s < 12; ++s) CreateHandler(*c, s, true, false);
  EXPECT_EQ(z.RowCount, 12);
  EXPECT_EQ(CreateHandler(*c, 5, true, false), CreateOutcome::AllCreated);
}

TEST(DiscreteScheme, NewHandlerText_DefaultOnlyWhereTheSignalHasNoText) {
  struct Case {
    const char* before;
    const char* after;
  };
  for (const Case& k :
       {Case{"", "Дискр.сигн.003"}, Case{"   ", "Дискр.сигн.003"}, Case{"Насос 1", "Насос 1"}}) {
    auto c = Make(1, 0, 1);
    c->service.SetText(2, k.before);
    GiveNewHandlerText(c->service, 2);
    EXPECT_EQ(c->service.GetText(2), k.after) << '"' << k.before << '"';
  }
}

TEST(DiscreteScheme, DeleteHandler_ClearsBlocksKeepsContactAndArchiveMovesRowsUp) {
  auto c = Make(2, 0, 1);
  DiscreteProcessing& z = c->discreteProcessing;
  z.SetRecord(2, Rec({0x61, 1, 0, 0, 0, 0, 0, 0, 0, 0xC5}));
  z.SetRecord(8, Rec({0x41}));
  BuildScheme(*c);
  SelectOnly(z, 0);
  DeleteHandler(*c, 0);
  EXPECT_EQ(z.Record(2), Rec({0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(z.RowCount, 1);
  EXPECT_EQ(z.RowSignal[0], 8);
  EXPECT_EQ(z.RowSignal[1], -1);
  EXPECT_EQ(z.CurRow, -1);
  EXPECT_EQ(z.SelectedCount, 0);
}

TEST(DiscreteScheme, ChangeIdentifier_MovesTheRecordOverAShownSignal) {
  auto c = Make(2, 0, 1);
  DiscreteProcessing& z = c->discreteProcessing;
  z.SetRecord(1, Rec({0x42, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  z.SetRecord(5, Rec({0x83, 1}));
  z.SetRecord(9, Rec({0xC4}));
  BuildScheme(*c);                                         // rows: 1, 5, 9
  const int row = ChangeIdentifier(*c, 2, 1, true, true);  // row 3 takes signal 1, shown by row 1
  EXPECT_EQ(row, 1);
  EXPECT_EQ(z.RowCount, 2);
  EXPECT_EQ(z.RowSignal[0], 5);
  EXPECT_EQ(z.RowSignal[1], 1);
  EXPECT_EQ(z.Record(1), Rec({0xE4, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(z.Record(9), DiscreteProcessing::kEmptyRecord);
  EXPECT_EQ(z.CurSignal, 1);
}

// --- alarm and delay outcomes ---------------------------------------------------------------

struct AlarmCase {
  const char* name;
  int indication;
  int type, cell;
  int storedType, storedCell;
  const char* warning;
};

class AlarmOutcome : public ::testing::TestWithParam<AlarmCase> {};

TEST_P(AlarmOutcome, StoredAndWarned) {
  const AlarmCase& p = GetParam();
  auto c = Make(1, 0, 1, p.indication);
  ScriptedInteraction ui;
  const auto stored = ApplyAlarm(*c, 3, p.type, p.cell, ui);
  EXPECT_EQ(stored, (std::array<int, 2>{p.storedType, p.storedCell}));
  EXPECT_EQ(c->discreteProcessing.GetAlarmType(3) >> 6, p.storedType);
  EXPECT_EQ(c->discreteProcessing.GetCell(3), p.storedCell);
  if (*p.warning) {
    ASSERT_EQ(ui.Shown().size(), 1u);
    EXPECT_EQ(ui.Last().text, p.warning);
    EXPECT_EQ(ui.Last().caption, kCaptionWarning);
  } else {
    EXPECT_TRUE(ui.Shown().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AlarmOutcome,
    ::testing::Values(AlarmCase{"Taken", 1, 2, 24, 2, 24, ""},
                      AlarmCase{"NoCell", 1, 1, 0, 0, 0, "Не выбран № ячейки светового табло"},
                      AlarmCase{"CellBeyondPanel", 0, 2, 13, 0, 0, "Неверно выбран № ячейки светового табло"},
                      AlarmCase{"NegativeCell", 1, 2, -1, 0, 0, "Неверно выбран № ячейки светового табло"},
                      AlarmCase{"NoAlarm_CellGoes", 1, 0, 7, 0, 0, ""},
                      AlarmCase{"Unnumbered_NoCellNeeded", 2, 3, 0, 3, 0, ""}),
    [](const auto& info) { return info.param.name; });

struct DelayCase {
  const char* name;
  const char* unit;
  const char* time;
  int storedUnitBit, storedTime;
  std::vector<std::string> shown;
};

class DelayOutcome : public ::testing::TestWithParam<DelayCase> {};

TEST_P(DelayOutcome, StoredAndWarned) {
  const DelayCase& p = GetParam();
  auto c = Make(1, 0, 1);
  ScriptedInteraction ui;
  ApplyDelay(*c, 2, p.unit, p.time, ui);
  EXPECT_EQ(c->discreteProcessing.GetDelayUnit(2), p.storedUnitBit);
  EXPECT_EQ(c->discreteProcessing.GetDelayTime(2), p.storedTime);
  std::vector<std::string> shown;
  for (const auto& m : ui.Shown()) shown.push_back(m.text);
  EXPECT_EQ(shown, p.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DelayOutcome,
    ::testing::Values(
        DelayCase{"TenSeconds", "10", "60", 0x40, 60, {}}, DelayCase{"OneSecond", "1", "5", 0, 5, {}},
        DelayCase{"NoUnit", "00", "5", 0, 0, {"Не задана дискретность времени задержки"}},
        DelayCase{"NoTime", "1", "00", 0, 0, {"Не задана уставка времени задержки"}},
        DelayCase{"TimeAbove60", "1", "61", 0, 0, {" Ошибка ввода ", "Не задана уставка времени задержки"}},
        DelayCase{"UnitNeither1Nor10",
                  "5",
                  "7",
                  0,
                  0,
                  {" Ошибка ввода ", "Не задана дискретность времени задержки"}}),
    [](const auto& info) { return info.param.name; });

// --- group operations -------------------------------------------------------------------------

TEST(DiscreteGroups, PasteAfterLast_FollowsTheHighestSignalAndStopsAtTheBase) {
  auto c = Make(1, 0, 1);  // 12 signals
  DiscreteProcessing& z = c->discreteProcessing;
  z.SetRecord(2, Rec({0x41, 1}));
  z.SetRecord(4, Rec({0x82, 0, 0, 0, 0, 0, 0, 0, 0, 3}));
  z.SetRecord(9, Rec({0x43}));
  BuildScheme(*c);
  SelectOnly(z, 0);
  ToggleSelected(z, 1);
  EXPECT_EQ(CopySelected(*c), 2);
  EXPECT_EQ(z.ClipState, -1);
  const auto pasted = PasteAfterLast(*c);
  EXPECT_EQ(pasted, (std::vector<int>{10, 11}));
  EXPECT_EQ(z.Record(10), z.Record(2));
  EXPECT_EQ(z.Record(11), z.Record(4));
  EXPECT_EQ(z.RowCount, 5);
  EXPECT_EQ(SelectedRows(z), (std::vector<int>{3, 4}));
  EXPECT_TRUE(PasteAfterLast(*c).empty());  // nothing after signal 12
}

TEST(DiscreteGroups, PasteFrom_LastNumberReplacesOnlyTheLastSignal_NoRelaysLoseDelays) {
  auto c = Make(1, 0, 0);
  DiscreteProcessing& z = c->discreteProcessing;
  c->copyBlocks.CopiedRecordCount = 3;
  for (int k = 0; k < 3; ++k) {
    const ProcessingRecord r = Rec({0x41 + k, 1, 0, 0, 0, 0, 0, 0, 0, 0x85});
    std::copy(r.begin(), r.end(), c->copyBlocks.ProcessingRecords[static_cast<size_t>(k)].begin());
  }
  EXPECT_TRUE(PasteFrom(*c, 13).empty());
  EXPECT_TRUE(PasteFrom(*c, 0).empty());
  const auto pasted = PasteFrom(*c, 12);
  EXPECT_EQ(pasted, (std::vector<int>{11}));
  EXPECT_EQ(z.Record(11), Rec({0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(z.CurSignal, 11);
}

TEST(DiscreteGroups, ReplacePassport_FirstRecordWithCellRules) {
  auto c = Make(1, 0, 1, 0);  // 12 cells
  c->copyBlocks.CopiedRecordCount = 1;
  c->copyBlocks.ProcessingRecords[0] = {0x8E, 1, 2, 0, 0, 0, 0, 0, 0, 4, 0};
  ReplacePassport(*c, 5);
  EXPECT_EQ(c->discreteProcessing.Record(5), Rec({0x00, 1, 0, 0, 0, 0, 0, 0, 0, 4}));
}

TEST(DiscreteGroups, DeleteSelected_ClearsEveryChosenHandler) {
  auto c = Make(1, 0, 1);
  DiscreteProcessing& z = c->discreteProcessing;
  for (int s : {1, 3, 5}) z.SetRecord(s, Rec({0x61, 1, 0, 0, 0, 0, 0, 0, 0, 0x82}));
  BuildScheme(*c);
  SelectOnly(z, 0);
  ToggleSelected(z, 2);
  DeleteSelected(*c);
  EXPECT_EQ(z.RowCount, 1);
  EXPECT_EQ(z.RowSignal[0], 3);
  EXPECT_EQ(z.Record(1), Rec({0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
}

// --- the identifier's signal --------------------------------------------------------------------

struct SourceCase {
  const char* name;
  SignalSource source;
  int signal;
};

class SignalSourceRule : public ::testing::TestWithParam<SourceCase> {
 protected:
  // D = 2, A = 1; network block 1: 3 discrete inputs, block 2: 2 analog inputs.
  SignalSourceRule() : c_(Make(2, 1, 1, 1, 11)) {
    c_->service.NetDiscretePerBlock[0] = 3;
    c_->service.NetAnalogPerBlock[1] = 2;
    c_->service.NetDiscreteTotal = 3;
    c_->service.NetAnalogTotal = 2;
  }
  std::unique_ptr<Configuration> c_;
};

TEST_P(SignalSourceRule, IndexFromSourceAndBack) {
  EXPECT_EQ(SignalOfSource(c_->service, GetParam().source), GetParam().signal);
  EXPECT_EQ(SourceOfSignal(c_->service, GetParam().signal), GetParam().source);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SignalSourceRule,
    ::testing::Values(SourceCase{"OwnDiscreteModule2Input12", {false, false, 2, 12, 0}, 23},
                      SourceCase{"OwnAnalogChannel6HH", {false, true, 1, 6, 3}, 47},
                      SourceCase{"OwnAnalogIndex30IsChannel2H", {false, true, 1, 2, 2}, 30},
                      SourceCase{"FirstNetworkSignal", {true, false, 1, 1, 0}, 48},
                      SourceCase{"NetworkAnalogBlock2Output2L", {true, true, 2, 2, 1}, 56}),
    [](const auto& info) { return info.param.name; });

TEST(SignalSourceLimits, FollowKindAndBlock) {
  auto c = Make(2, 1, 1, 1, 3);
  c->service.NetDiscretePerBlock[0] = 3;
  EXPECT_EQ(LimitsOf(c->service, {false, false, 1, 1, 0}).modules, 2);
  EXPECT_EQ(LimitsOf(c->service, {false, false, 1, 1, 0}).inputs, 12);
  EXPECT_EQ(LimitsOf(c->service, {false, true, 1, 1, 0}).inputs, 6);
  EXPECT_EQ(LimitsOf(c->service, {true, false, 1, 1, 0}).inputs, 3);
  EXPECT_EQ(SignalOfSource(c->service, {true, false, 1, 4, 0}), -1);  // beyond the base
}

// --- undo snapshots -------------------------------------------------------------------------------

TEST(DiscreteSnapshots, RestoreGivesBackRecordsTextsAndRows) {
  auto c = Make(1, 0, 1);
  DiscreteProcessing& z = c->discreteProcessing;
  z.SetRecord(3, Rec({0x41}));
  c->service.SetText(3, "Насос 1");
  BuildScheme(*c);
  const DiscreteSnapshot before = CaptureDiscrete(*c);
  CreateHandler(*c, 6, true, false);
  c->service.SetText(3, "Насос 2");
  SelectOnly(z, 0);
  DeleteHandler(*c, 0);
  EXPECT_NE(CaptureDiscrete(*c), before);
  RestoreDiscrete(*c, before);
  EXPECT_EQ(CaptureDiscrete(*c), before);
  EXPECT_EQ(c->service.GetText(3), "Насос 1");
  EXPECT_EQ(z.RowCount, 1);
}

// --- exchanges ---------------------------------------------------------------------------------------

class EditorExchange : public ::testing::Test {
 protected:
  EditorExchange() : bus_(clock_), line_(bus_, clock_), port_(line_, clock_, ui_) {}
  SimulatedController& Add(ControllerSetup setup = {}) {
    SimulatedController& s = bus_.Add(setup);
    EXPECT_EQ(port_.OpenPort(), 0);
    return s;
  }
  std::vector<uint8_t> StoredRecords(const SimulatedController& s, int block) { return s.Blocks().at(block); }
  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  ScriptedInteraction ui_;
  zul::test::WritingLink port_;
  Configuration c_;
};

TEST_F(EditorExchange, StoppedRead_EndsQuietlyBeforeTheNextBlock) {
  SimulatedController& sim = Add();
  test::StopAfter user(3);
  const int before = sim.Requests();
  const EditorReadResult read = ReadEditorBlocks(port_, c_, user);
  EXPECT_FALSE(read.ok);
  EXPECT_TRUE(read.stopped);
  EXPECT_EQ(sim.Requests() - before, 1 + 3);  // the identity and three record blocks
  EXPECT_TRUE(user.Shown().empty());
  EXPECT_TRUE(ui_.Shown().empty());
}

TEST_F(EditorExchange, ReadThenWrite_ControllerHoldsTheEditedRecord) {
  SimulatedController& sim = Add();
  const EditorReadResult read = ReadEditorBlocks(port_, c_, ui_);
  ASSERT_TRUE(read.ok) << (ui_.Shown().empty() ? "" : ui_.Last().text);
  EXPECT_EQ(ui_.ProgressSteps().front().maximum, 120);
  BuildScheme(c_);
  c_.discreteProcessing.AccessLevel = 1;
  c_.discreteProcessing.SetRecord(20, Rec({0x83, 1, 0, 0, 0, 0, 0, 0, 0, 0x45}));
  c_.discreteProcessing.Modified = 1;
  const EditorWriteResult w = WriteProcessingRecords(port_, c_, ui_);
  ASSERT_EQ(w.outcome, EditorWriteOutcome::Written);
  const auto& block = sim.Blocks().at(13);  // signals 18..35
  const ProcessingRecord expected = Rec({0x83, 1, 0, 0, 0, 0, 0, 0, 0, 0x45});
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block.begin() + 1 + 2 * 11));
  EXPECT_EQ(c_.reserveBlocks.ProcessingRecords[20][0], 0x83);
  EXPECT_EQ(c_.discreteProcessing.Modified, 0);
}

TEST_F(EditorExchange, WriteFailure_NamesTheBlockAndKeepsTheChange) {
  ControllerSetup setup;
  setup.blockExceptions[16] = 7;  // refuses reading and storing block 16
  Add(setup);
  c_.discreteProcessing.SchemeAssigned = 1;
  c_.discreteProcessing.AccessLevel = 1;
  c_.discreteProcessing.Modified = 1;
  const auto reserve = c_.reserveBlocks.ProcessingRecords;
  c_.discreteProcessing.SetRecord(0, Rec({0x41}));
  ui_.Clear();
  const EditorWriteResult w = WriteProcessingRecords(port_, c_, ui_);
  EXPECT_EQ(w.outcome, EditorWriteOutcome::Failed);
  EXPECT_EQ(w.block, 16);
  EXPECT_EQ(ui_.Last().text, "Блок № 16 не записан в прибор");
  EXPECT_EQ(c_.discreteProcessing.Modified, 1);
  EXPECT_EQ(c_.discreteProcessing.Record(0), Rec({0x41}));
  EXPECT_EQ(c_.reserveBlocks.ProcessingRecords, reserve);
}

TEST_F(EditorExchange, WriteRefusals_NoAccessUnchangedDeclinedFileMode) {
  Add();
  ASSERT_TRUE(ReadEditorBlocks(port_, c_, ui_).ok);  // what the controller holds: nothing differs
  c_.discreteProcessing.SchemeAssigned = 1;
  c_.discreteProcessing.AccessLevel = 0;
  EXPECT_EQ(WriteProcessingRecords(port_, c_, ui_).outcome, EditorWriteOutcome::NoAccess);
  EXPECT_EQ(ui_.Last().text, kNoAccessText);
  c_.discreteProcessing.AccessLevel = 1;
  EXPECT_EQ(WriteProcessingRecords(port_, c_, ui_).outcome, EditorWriteOutcome::Declined);
  EXPECT_EQ(ui_.Last().text, kUnchangedQuestion);
  c_.service.FileMode = 1;
  const size_t requests = line_.Written().size();
  EXPECT_EQ(WriteProcessingRecords(port_, c_, ui_).outcome, EditorWriteOutcome::FileMode);
  EXPECT_EQ(line_.Written().size(), requests);
}

TEST_F(EditorExchange, TextWrite_OnlyForSignalsWithATextBlock) {
  SimulatedController& sim = Add();
  ASSERT_TRUE(ReadEditorBlocks(port_, c_, ui_).ok);
  c_.service.SetText(17, "Давление");
  c_.service.TextChanged = 1;
  ASSERT_TRUE(WriteSignalTextBlock(port_, c_, 17, ui_));
  EXPECT_EQ(c_.service.TextChanged, 0);
  const auto& block = sim.Blocks().at(41);
  EXPECT_EQ(block[0], 41);
  const size_t before = line_.Written().size();
  EXPECT_FALSE(WriteSignalTextBlock(port_, c_, 200, ui_));  // 40 + 200/16 would be an output text block
  EXPECT_EQ(line_.Written().size(), before);
}

TEST(DiscreteReport, RowsAndRelayLines) {
  auto c = Make(1, 0, 2);
  c->discreteProcessing.SetRecord(4, Rec({0x83, 0x81, 0, 0, 0, 0, 0, 0, 0, 0x45}));
  c->service.SetText(4, "Насос");
  const Report r = DiscreteSchemeReport(*c, "Файл a.zul");
  const std::string all = [&] {
    std::string s;
    for (const auto& l : r.lines) s += l + "\n";
    return s;
  }();
  EXPECT_NE(all.find("1\t5\t"), std::string::npos);
  EXPECT_NE(all.find("Насос"), std::string::npos);
  EXPECT_NE(all.find("модуль реле 1: выходы 1 8"), std::string::npos);
  EXPECT_NE(all.find("5 x 10 с"), std::string::npos);
  EXPECT_EQ(r.orientation, PageOrientation::Landscape);
}

}  // namespace
}  // namespace zul
