// The calculation blocks: refusals of the dialog, the record layout per
// operation, the checks of OK, the integrator pair making and giving back
// its room, deleting an arithmetic block with the references to it (the
// regulator loops' among them), and the analog numbers following a network
// edit into what the simulated controller holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/MathBlockReport.h"
#include "core/config/ReadConfiguration.h"
#include "core/editing/CalculationBlockEditing.h"
#include "core/editing/FunctionBlockEditing.h"
#include "core/editing/FunctionBlockScheme.h"
#include "core/editing/LocalNetworkEditing.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

constexpr int kAND = ftAND + 1;
constexpr int kComparator = ftComparator + 1;

class CalculationBlocks : public ::testing::Test {
 protected:
  CalculationBlocks() { c_.service.AnalogSignalCount = 12; }
  FunctionBlocks& fb() { return c_.functionBlocks; }
  void MakeBlocks(int count) {
    for (int i = 0; i < count; ++i) fb().SetTypeCode(i, kAND);
    fb().RecountBlocks();
  }
  // Appends an arithmetic block the way the dialog creates one.
  void AddArith(int operation, int x1Source = srcAnalogSignal, const std::string& x1 = "1",
                const std::string& c1 = "1") {
    fb().RecountBlocks();
    CalcDialogState s = PrepareCalculationDialog(fb(), CalcMode::CreateArith);
    s.arith.operation = operation;
    s.arith.x1Source = x1Source;
    s.arith.x1 = x1;
    s.arith.c1 = c1;
    if (ControlsForOperation(operation).x2) s.arith.x2 = "2";
    if (ControlsForOperation(operation).c2) s.arith.c2 = "3";
    ASSERT_FALSE(CheckArithValues(c_, s.arith));
    ASSERT_TRUE(StoreArithBlock(c_, CalcMode::CreateArith, s.recordNumber, s.arith));
    fb().RecountBlocks();
  }
  void AddIntegrators(const std::vector<std::pair<int, std::string>>& numbers,
                      const std::string& hour = "6") {
    fb().RecountBlocks();
    IntegratorValues v;
    for (const auto& [j, n] : numbers) v.numbers[static_cast<size_t>(j)] = n;
    v.hour = hour;
    ASSERT_TRUE(StoreIntegrators(c_, CalcMode::CreateIntegrators, v));
    fb().RecountBlocks();
  }
  Configuration c_;
  ScriptedInteraction ui_;
};

// ---- refusals of opening ------------------------------------------------------------------------

struct RefusalCase {
  const char* name;
  int blocks;
  bool integrators;
  int arith;
  CalcMode mode;
  const char* message;  // nullptr: the dialog opens
};

class CalculationRefusals : public CalculationBlocks, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CalculationRefusals, ShowTheirMessage) {
  const RefusalCase& p = GetParam();
  MakeBlocks(p.blocks);
  if (p.integrators) AddIntegrators({{0, "1"}});
  for (int k = 0; k < p.arith; ++k) AddArith(opSum);
  const bool opens = MayOpenCalculationDialog(fb(), p.mode, ui_);
  EXPECT_EQ(opens, p.message == nullptr);
  if (p.message) {
    ASSERT_EQ(ui_.Shown().size(), 1u);
    EXPECT_EQ(ui_.Last().text, p.message);
    EXPECT_EQ(ui_.Last().caption, kCaptionWarning);
  } else {
    EXPECT_TRUE(ui_.Shown().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CalculationRefusals,
    ::testing::Values(
        RefusalCase{"TwentyFifthArith", 5, false, 24, CalcMode::CreateArith, kArithBlocksExistText},
        RefusalCase{"TwentyFourthArith", 5, false, 23, CalcMode::CreateArith, nullptr},
        RefusalCase{"TableFullForArith", 118, true, 0, CalcMode::CreateArith, kAllBlocksCreatedText},
        RefusalCase{"LastRecordForArith", 117, true, 0, CalcMode::CreateArith, nullptr},
        RefusalCase{"IntegratorsTwice", 5, true, 0, CalcMode::CreateIntegrators, kIntegratorsExistText},
        RefusalCase{"NoRoomForThePair", 118, false, 1, CalcMode::CreateIntegrators, kAllBlocksCreatedText},
        RefusalCase{"RoomForThePair", 117, false, 1, CalcMode::CreateIntegrators, nullptr},
        RefusalCase{"EditMissingIntegrators", 5, false, 2, CalcMode::EditIntegrators, kNoIntegratorsText},
        RefusalCase{"EditMissingArith", 5, true, 0, CalcMode::EditArith, kNoArithBlocksText},
        RefusalCase{"EditArith", 5, false, 1, CalcMode::EditArith, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the record per operation -------------------------------------------------------------------

struct LayoutCase {
  int operation;
  int y9;      // byte 9
  int byte6;   // Y, or the low byte of C2
  bool hasC2;  // bytes 6-8 hold C2 = 3.0
  bool hasX2;
};

class ArithLayout : public CalculationBlocks, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(ArithLayout, ResultAddressAndSecondConstantWhereTheOperationKeepsThem) {
  const LayoutCase& p = GetParam();
  MakeBlocks(3);
  // A difference first, then edited into this operation: nothing may stay behind.
  AddArith(opDifference, srcCalculatedValue, "0", "-2");
  ArithValues v = LoadArithValues(fb(), 3);
  v.operation = p.operation;
  v.c1 = "100";
  v.x2 = "2";
  v.c2 = "3";
  ASSERT_FALSE(CheckArithValues(c_, v));
  ASSERT_TRUE(StoreArithBlock(c_, CalcMode::EditArith, 4, v));
  EXPECT_EQ(fb().GetTypeCode(3), FunctionBlocks::kTypeCalc);
  EXPECT_EQ(fb().GetOperation(3), p.operation);
  EXPECT_EQ(fb().GetX1Source(3), srcCalculatedValue);
  EXPECT_EQ(fb().GetByte(3, 2), 0x00);  // 100.0 = 00 64 07
  EXPECT_EQ(fb().GetByte(3, 3), 0x64);
  EXPECT_EQ(fb().GetByte(3, 4), 0x07);
  EXPECT_EQ(fb().GetByte(3, 5), p.hasX2 ? 2 : 0);
  EXPECT_EQ(fb().GetByte(3, 6), p.byte6);
  EXPECT_EQ(fb().GetByte(3, 7), p.hasC2 ? 0x60 : 0);  // 3.0 = 00 60 02
  EXPECT_EQ(fb().GetByte(3, 8), p.hasC2 ? 0x02 : 0);
  EXPECT_EQ(fb().GetByte(3, 9), p.y9);
  EXPECT_EQ(ArithResult(fb(), 3), 1);
}

INSTANTIATE_TEST_SUITE_P(Operations, ArithLayout,
                         ::testing::Values(LayoutCase{opSum, 1, 0x00, true, true},
                                           LayoutCase{opDifference, 1, 0x00, true, true},
                                           LayoutCase{opProduct, 0, 1, false, true},
                                           LayoutCase{opQuotient, 0, 1, false, true},
                                           LayoutCase{opSqrt, 0, 1, false, false}));

TEST_F(CalculationBlocks, NewBlocksFollowTheIntegratorsAndTakeTheirOwnNumberAsResult) {
  MakeBlocks(4);
  AddIntegrators({{0, "3"}});
  AddArith(opSum);
  AddArith(opSqrt);
  EXPECT_EQ(fb().GetArithCount(), 2);
  EXPECT_EQ(ArithRecord(fb(), 1), 6);
  EXPECT_EQ(fb().GetOperation(7), opSqrt);
  EXPECT_EQ(ArithResult(fb(), 7), 2);
  const CalcDialogState s = PrepareCalculationDialog(fb(), CalcMode::CreateArith);
  EXPECT_EQ(s.blockNumber, 3);
  EXPECT_EQ(s.recordNumber, 9);
  EXPECT_EQ(s.arith.y, "3");
  EXPECT_EQ(MathBlockSigns(fb())[1], "SQRT");
}

// ---- opening for editing ------------------------------------------------------------------------

TEST_F(CalculationBlocks, EditingLoadsTheChosenBlockOrTheFirst) {
  MakeBlocks(2);
  AddArith(opProduct, srcAnalogSignal, "5", "2");
  AddArith(opSum, srcCalculatedValue, "1", "-7");
  CalcDialogState s = PrepareCalculationDialog(fb(), CalcMode::EditArith);
  EXPECT_EQ(s.blockNumber, 1);
  EXPECT_EQ(s.recordNumber, 3);
  EXPECT_TRUE(s.recordChoosable);
  EXPECT_EQ(s.arith.operation, opProduct);
  EXPECT_EQ(s.arith.x1, "5");
  EXPECT_EQ(s.arith.c1, "2,0000");
  EXPECT_EQ(s.arith.c2, "");
  EXPECT_EQ(s.arith.y, "1");

  fb().SelectedArith = 2;
  s = PrepareCalculationDialog(fb(), CalcMode::EditArith);
  EXPECT_EQ(s.blockNumber, 2);
  EXPECT_FALSE(s.recordChoosable);
  EXPECT_EQ(s.arith.x1Source, srcCalculatedValue);
  EXPECT_EQ(s.arith.c1, "-7,0000");
  EXPECT_EQ(s.arith.c2, "3,0000");
  EXPECT_EQ(s.arith.y, "2");
}

TEST_F(CalculationBlocks, ChoosingARecordNumber) {
  MakeBlocks(3);
  AddIntegrators({{0, "1"}});
  AddArith(opSum);
  AddArith(opQuotient);
  struct Case {
    int record;
    RecordChoice choice;
    int block;
  };
  for (const Case& k : {Case{3, RecordChoice::OutOfRange, 0}, Case{5, RecordChoice::OutOfRange, 0},
                        Case{6, RecordChoice::Loaded, 1}, Case{7, RecordChoice::Loaded, 2},
                        Case{8, RecordChoice::NotArithmetic, 0}, Case{121, RecordChoice::OutOfRange, 0}}) {
    ArithValues v;
    int block = 0;
    EXPECT_EQ(ChooseArithRecord(fb(), k.record, v, block), k.choice) << k.record;
    EXPECT_EQ(block, k.block) << k.record;
  }
}

// ---- checks of OK -------------------------------------------------------------------------------

struct CheckCase {
  const char* name;
  int operation;
  int x1Source;
  const char* x1;
  const char* c1;
  const char* x2;
  const char* c2;
  const char* y;
  std::optional<CalcField> field;
  const char* message;
};

class ArithChecks : public CalculationBlocks, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(ArithChecks, FirstFailureNamesItsFieldAndRange) {
  const CheckCase& p = GetParam();
  MakeBlocks(2);
  AddArith(opSum);
  AddArith(opSum);  // ArithCount 2
  ArithValues v;
  v.operation = p.operation;
  v.x1Source = p.x1Source;
  v.x1 = p.x1;
  v.c1 = p.c1;
  v.x2 = p.x2;
  v.c2 = p.c2;
  v.y = p.y;
  const auto problem = CheckArithValues(c_, v);
  ASSERT_EQ(problem.has_value(), p.field.has_value());
  if (!problem) return;
  EXPECT_EQ(problem->field, *p.field);
  EXPECT_EQ(problem->message, p.message);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ArithChecks,
    ::testing::Values(
        CheckCase{"Accepted", opSum, 0, "12", "-32767", "0", "32767", "1", {}, ""},
        CheckCase{"DecimalConstantAsLoaded", opSum, 0, "1", "1,5000", "1", "0", "1", {}, ""},
        CheckCase{"ConstantMinus32768", opSum, 0, "1", "-32768", "1", "0", "1", CalcField::C1,
                  "Величина вне диапазона -32767 - 32767"},
        CheckCase{"SecondConstant32768", opDifference, 0, "1", "1", "1", "32768", "1", CalcField::C2,
                  "Величина вне диапазона -32767 - 32767"},
        CheckCase{"MinusAlone", opSum, 0, "1", "-", "1", "0", "1", CalcField::C1, " Ошибка ввода "},
        CheckCase{"NoOperation", -1, 0, "1", "1", "1", "0", "1", CalcField::Operation, " Ошибка ввода "},
        CheckCase{"AnalogBeyondCount", opSqrt, 0, "13", "1", "", "", "1", CalcField::X1,
                  "Величина вне диапазона 0 - 12"},
        CheckCase{"CalculatedBeyondCount", opProduct, 1, "3", "1", "0", "", "1", CalcField::X1,
                  "Величина вне диапазона 0 - 2"},
        CheckCase{"SecondInputEmpty", opQuotient, 0, "1", "1", "", "", "1", CalcField::X2, " Ошибка ввода "},
        CheckCase{"SqrtIgnoresSecondInput", opSqrt, 0, "1", "1", "", "", "1", {}, ""},
        CheckCase{"ResultZero", opSum, 0, "1", "1", "1", "0", "0", CalcField::Y,
                  "Величина вне диапазона 1 - 24"},
        CheckCase{"ConstantCheckedBeforeInputs", opSum, 0, "99", "40000", "1", "0", "1", CalcField::C1,
                  "Величина вне диапазона -32767 - 32767"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CalculationBlocks, IntegratorChecks) {
  IntegratorValues v;
  EXPECT_FALSE(CheckIntegratorValues(c_, v));
  v.numbers[17] = "13";
  auto p = CheckIntegratorValues(c_, v);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->field, CalcField::Integrator);
  EXPECT_EQ(p->integrator, 17);
  EXPECT_EQ(p->message, "Величина вне диапазона 0 - 12");
  v.numbers[17] = "12";
  v.hour = "24";
  p = CheckIntegratorValues(c_, v);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->field, CalcField::Hour);
  EXPECT_EQ(p->message, "Величина вне диапазона 0 - 23");
}

// ---- the integrator pair ------------------------------------------------------------------------

TEST_F(CalculationBlocks, CreatingIntegratorsMakesRoomBeforeTheArithmeticBlocks) {
  MakeBlocks(2);
  AddArith(opSum, srcAnalogSignal, "7");
  AddIntegrators({{0, "4"}, {11, "9"}}, "8");
  EXPECT_EQ(fb().GetIntegratorRecords(), 1);
  EXPECT_EQ(fb().GetArithCount(), 1);
  EXPECT_EQ(fb().GetByte(2, 0), FunctionBlocks::kTypeCalc);
  EXPECT_EQ(fb().GetByte(2, 1), 4);
  EXPECT_EQ(fb().GetByte(2, 12), 9);
  EXPECT_EQ(fb().GetByte(2, 13), 0);
  EXPECT_EQ(fb().GetByte(2, 14), 8);
  EXPECT_EQ(fb().GetByte(3, 0), 0);  // the second group is not in use
  EXPECT_EQ(fb().GetByte(3, 14), 8);
  // The arithmetic block moved, whole, two records up.
  EXPECT_EQ(fb().GetOperation(4), opSum);
  EXPECT_EQ(fb().GetX1Number(4), 7);
  EXPECT_EQ(ArithRecord(fb(), 1), 4);
}

TEST_F(CalculationBlocks, OnlyTheSecondGroupStillTypesTheFirstRecord) {
  MakeBlocks(1);
  AddIntegrators({{12, "2"}, {23, "5"}});
  EXPECT_EQ(fb().GetIntegratorRecords(), 2);
  EXPECT_EQ(fb().GetByte(1, 0), FunctionBlocks::kTypeCalc);
  EXPECT_EQ(fb().GetByte(1, 1), 0);
  EXPECT_EQ(fb().GetByte(1, 13), 0);
  EXPECT_EQ(fb().GetByte(2, 0), FunctionBlocks::kTypeCalc);
  EXPECT_EQ(fb().GetByte(2, 1), 2);
  EXPECT_EQ(fb().GetByte(2, 12), 5);
  EXPECT_EQ(fb().GetByte(2, 13), 12);
  const IntegratorValues loaded = LoadIntegratorValues(fb());
  EXPECT_EQ(loaded.numbers[12], "2");
  EXPECT_EQ(loaded.numbers[23], "5");
  EXPECT_EQ(loaded.hour, "6");
}

TEST_F(CalculationBlocks, EmptiedIntegratorsGiveTheirRecordsBack) {
  MakeBlocks(2);
  AddIntegrators({{0, "1"}});
  AddArith(opProduct);
  ASSERT_EQ(ArithRecord(fb(), 1), 4);
  EXPECT_TRUE(StoreIntegrators(c_, CalcMode::EditIntegrators, IntegratorValues{}));
  fb().RecountBlocks();
  EXPECT_EQ(fb().GetIntegratorRecords(), 0);
  EXPECT_EQ(fb().GetOperation(2), opProduct);
  EXPECT_EQ(fb().GetTypeCode(4), 0);
  EXPECT_EQ(ArithRecord(fb(), 1), 2);
  // Creating with nothing typed creates nothing.
  EXPECT_FALSE(StoreIntegrators(c_, CalcMode::CreateIntegrators, IntegratorValues{}));
  EXPECT_EQ(fb().GetOperation(2), opProduct);
}

TEST_F(CalculationBlocks, IntegratorInTheLastRecordGoesAloneWhenEmptied) {
  MakeBlocks(119);
  fb().SetTypeCode(119, FunctionBlocks::kTypeCalc);  // from a file: no room for the second record
  fb().SetByte(119, 1, 4);
  fb().RecountBlocks();
  ASSERT_EQ(fb().GetIntegratorRecords(), 1);
  EXPECT_EQ(LoadIntegratorValues(fb()).numbers[0], "4");
  EXPECT_TRUE(StoreIntegrators(c_, CalcMode::EditIntegrators, IntegratorValues{}));
  EXPECT_EQ(fb().GetTypeCode(118), kAND);
  EXPECT_EQ(fb().GetTypeCode(119), 0);
}

TEST_F(CalculationBlocks, IntegratorFieldsOpenOneAfterAnother) {
  IntegratorValues v;
  auto on = IntegratorFieldsEnabled(v, true);
  EXPECT_EQ(std::count(on.begin(), on.end(), true), 1);
  v.numbers[0] = "3";
  v.numbers[11] = "4";
  on = IntegratorFieldsEnabled(v, true);
  EXPECT_TRUE(on[1]);
  EXPECT_FALSE(on[2]);
  EXPECT_TRUE(on[12]);
  EXPECT_FALSE(IntegratorFieldsEnabled(v, false)[12]);
}

// ---- deleting an arithmetic block ---------------------------------------------------------------

TEST_F(CalculationBlocks, DeletingMb2FollowsTheResultAddresses) {
  MakeBlocks(3);
  fb().SetTypeCode(0, kComparator);  // reads МБ2
  fb().SetComparatorAnalogSource(0, 1);
  fb().SetComparatorAnalogNumber(0, 2);
  fb().SetTypeCode(1, kComparator);  // reads МБ3
  fb().SetComparatorAnalogSource(1, 1);
  fb().SetComparatorAnalogNumber(1, 3);
  fb().SetTypeCode(2, kComparator);  // reads analog input 2, untouched
  fb().SetComparatorAnalogNumber(2, 2);
  fb().RecountBlocks();
  AddArith(opSum, srcAnalogSignal, "2");
  AddArith(opDifference, srcCalculatedValue, "1");
  AddArith(opQuotient, srcCalculatedValue, "1");
  fb().SetX1Number(5, 3);  // МБ3 reads its own result
  // and its X2 reads calculated value 2.
  fb().SetX2Source(5, srcCalculatedValue);
  fb().SetX2Number(5, 2);

  ui_.QueueAnswer(Answer::Yes);
  ASSERT_TRUE(DeleteArithBlock(c_, 2, ui_));
  EXPECT_EQ(ui_.Shown().front().text, "Удалить математический блок МБ2?");
  fb().RecountBlocks();
  EXPECT_EQ(fb().GetArithCount(), 2);
  EXPECT_EQ(fb().GetComparatorAnalogNumber(0), 0);
  EXPECT_EQ(fb().GetComparatorAnalogNumber(1), 2);
  EXPECT_EQ(fb().GetComparatorAnalogNumber(2), 2);
  EXPECT_EQ(fb().GetX1Number(3), 2);  // analog source: not a result address
  // The former МБ3 is МБ2 now, with result address 2.
  EXPECT_EQ(fb().GetOperation(4), opQuotient);
  EXPECT_EQ(fb().GetX1Number(4), 2);
  EXPECT_EQ(fb().GetX2Number(4), 0);
  EXPECT_EQ(ArithResult(fb(), 4), 2);
  EXPECT_EQ(fb().GetTypeCode(5), 0);
  const auto signs = MathBlockSigns(fb());
  EXPECT_EQ(signs[0], "+");
  EXPECT_EQ(signs[1], ":");
  EXPECT_EQ(signs[2], "");
  ui_.QueueAnswer(Answer::Yes);
  EXPECT_FALSE(DeleteArithBlock(c_, 3, ui_));
}

TEST_F(CalculationBlocks, DeletionAnsweredNoChangesNothing) {
  MakeBlocks(1);
  AddArith(opSum);
  AddArith(opSqrt);
  c_.regulators.SetPV(0, 50);
  const Configuration before = c_;
  EXPECT_FALSE(DeleteArithBlock(c_, 1, ui_));  // the question's default is No
  EXPECT_EQ(ui_.Last().caption, kDeleteMathBlockCaption);
  EXPECT_EQ(ui_.Last().text, "Удалить математический блок МБ1?");
  EXPECT_TRUE(std::ranges::equal(fb().Record(1), before.functionBlocks.Record(1)));
  EXPECT_EQ(fb().GetArithCount(), 2);
  EXPECT_EQ(c_.regulators.Loops, before.regulators.Loops);
}

// Regulator inputs 49..54 read calculated values 1..6 and follow a deletion
// like the comparators; the loop that read the deleted block loses its input.
struct LoopFollowCase {
  const char* name;
  int deleted;  // МБk
  std::array<int, Regulators::RecordCount> before, after;
  std::vector<int> lost;  // loops (1-based) warned about
};

class LoopsFollowDeletion : public CalculationBlocks, public ::testing::WithParamInterface<LoopFollowCase> {};

TEST_P(LoopsFollowDeletion, PvInputsFollowTheResultAddresses) {
  const LoopFollowCase& k = GetParam();
  MakeBlocks(1);
  for (int j = 0; j < 6; ++j) AddArith(opSqrt);
  for (int r = 0; r < Regulators::RecordCount; ++r) c_.regulators.SetPV(r, k.before[static_cast<size_t>(r)]);
  ui_.QueueAnswer(Answer::Yes);
  ASSERT_TRUE(DeleteArithBlock(c_, k.deleted, ui_));
  for (int r = 0; r < Regulators::RecordCount; ++r)
    EXPECT_EQ(c_.regulators.GetPV(r), k.after[static_cast<size_t>(r)]) << "loop " << r + 1;
  std::vector<std::string> warnings;
  for (const Message& m : ui_.Shown())
    if (m.icon == Icon::Warning) warnings.push_back(m.text);
  std::vector<std::string> expected;
  for (int loop : k.lost) expected.push_back(LoopLostMathBlockText(k.deleted, loop - 1));
  EXPECT_EQ(warnings, expected);
  EXPECT_EQ(fb().RegChanged, k.before != k.after ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoopsFollowDeletion,
    ::testing::Values(
        LoopFollowCase{"RepeaterOfMb3FollowsToMb2", 2, {51, 0, 0, 0, 0, 0}, {50, 0, 0, 0, 0, 0}, {}},
        LoopFollowCase{
            "ReaderOfTheDeletedLosesItsInput", 2, {50, 51, 49, 54, 0, 0}, {0, 50, 49, 53, 0, 0}, {1}},
        LoopFollowCase{"AnalogInputsStay", 1, {1, 48, 49, 55, 0, 49}, {1, 48, 0, 55, 0, 0}, {3, 6}},
        LoopFollowCase{"NoReaderNoChange", 6, {1, 2, 49, 50, 0, 0}, {1, 2, 49, 50, 0, 0}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- what reaches the controller -----------------------------------------------------------------

class CalculationExchange : public CalculationBlocks {
 protected:
  CalculationExchange() : bus_(clock_), line_(bus_, clock_), link_(line_, clock_, ui_) {}
  void SetUp() override {
    ControllerSetup setup;
    setup.composition.modules = {1, 6, 3, 14};
    controller_ = &bus_.Add(setup);
    ASSERT_EQ(link_.OpenPort(), 0);
  }
  void Read() {
    ASSERT_TRUE(ReadConfiguration(link_, c_, ui_).ok);
    c_.discreteProcessing.AccessLevel = kFullAccess;
  }
  // The table and the loops as the controller holds them.
  std::unique_ptr<Configuration> FromController() {
    auto back = std::make_unique<Configuration>();
    EXPECT_TRUE(ReadConfiguration(link_, *back, ui_).ok);
    back->functionBlocks.RecountBlocks();
    return back;
  }
  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  zul::test::WritingLink link_;
  SimulatedController* controller_ = nullptr;
};

TEST_F(CalculationExchange, RepeaterOfADeletedBlocksSuccessorReadsItsNewNumber) {
  Read();
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) fb().ClearRecord(i);
  MakeBlocks(2);
  for (int j = 0; j < 4; ++j) AddArith(opSqrt);
  c_.regulators.SetPV(0, 51);  // a repeater reading МБ3
  c_.regulators.SetPV(1, 50);  // and one reading МБ2
  ui_.QueueAnswer(Answer::Yes);
  ASSERT_TRUE(DeleteArithBlock(c_, 2, ui_));
  ASSERT_TRUE(WriteFunctionBlockTable(c_, link_, ui_));
  ASSERT_TRUE(WriteRegulatorLoops(c_, link_, ui_));
  EXPECT_EQ(controller_->Blocks().at(Regulators::LoopBlockNumber)[1 + 0], 50);
  EXPECT_EQ(controller_->Blocks().at(Regulators::LoopBlockNumber)[1 + Regulators::RecordSize], 0);
  const auto back = FromController();
  EXPECT_EQ(back->functionBlocks.GetArithCount(), 3);
  EXPECT_EQ(back->regulators.GetPV(0), 50);
  EXPECT_EQ(ArithResult(back->functionBlocks, ArithRecord(back->functionBlocks, 2)), 2);
}

// The analog numbers of the integrators and of X1/X2 read from analog signals
// follow the signals when a network block's analog signals go or grow;
// calculated values stay.
struct NetworkFollowCase {
  const char* name;
  bool deleteFirst;                // else the first entry grows from 2 to 4 analog signals
  std::array<int, 2> integrators;  // were 7 and 10
  int x1, x2;                      // were 9 and 10
};

class NetworkRenumbering : public CalculationExchange,
                           public ::testing::WithParamInterface<NetworkFollowCase> {
 protected:
  bool Create(int k, int outputs) {
    MasterEditSession s = BeginMasterEdit(c_, k);
    MasterEntryForm f = s.form;
    ChooseSlaveType(f, 15, c_.service.SignalCount);
    ChooseFunction(f, 3);
    f.slave = std::to_string(k + 2);
    f.outputs = f.dataCount = std::to_string(outputs);
    return ApplyMasterEdit(c_, s, f).accepted;
  }
};

TEST_P(NetworkRenumbering, CalculationInputsFollowTheAnalogSignals) {
  const NetworkFollowCase& k = GetParam();
  Read();
  ASSERT_EQ(c_.service.AnalogSignalCount, 6);
  ASSERT_TRUE(Create(0, 2));  // analog signals 7, 8
  ASSERT_TRUE(Create(1, 3));  // 9..11
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) fb().ClearRecord(i);
  MakeBlocks(1);
  AddIntegrators({{0, "7"}, {1, "10"}});
  AddArith(opSum, srcAnalogSignal, "9");
  fb().SetX2Number(ArithRecord(fb(), 1), 10);
  AddArith(opSqrt, srcCalculatedValue, "1");
  fb().SetX1Number(ArithRecord(fb(), 2), 9);  // as a file may hold it
  LocalNetworkSession session(c_);
  if (k.deleteFirst) {
    ASSERT_TRUE(session.DeleteEntry(0));
  } else {
    MasterEditSession s = BeginMasterEdit(c_, 0);
    MasterEntryForm f = s.form;
    f.outputs = f.dataCount = "4";
    ASSERT_TRUE(ApplyMasterEdit(c_, s, f).renumbered);
  }
  ui_.QueueAnswer(Answer::Yes);
  ASSERT_EQ(session.Close(link_, ui_), LocalNetworkSession::Verdict::Close);
  const auto back = FromController();
  const FunctionBlocks& held = back->functionBlocks;
  EXPECT_EQ(held.GetByte(1, 1), k.integrators[0]);
  EXPECT_EQ(held.GetByte(1, 2), k.integrators[1]);
  const int sum = ArithRecord(held, 1);
  EXPECT_EQ(held.GetOperation(sum), opSum);
  EXPECT_EQ(held.GetX1Number(sum), k.x1);
  EXPECT_EQ(held.GetX2Number(sum), k.x2);
  EXPECT_EQ(held.GetX1Source(ArithRecord(held, 2)), srcCalculatedValue);
  EXPECT_EQ(held.GetX1Number(ArithRecord(held, 2)), 9);
}

INSTANTIATE_TEST_SUITE_P(Cases, NetworkRenumbering,
                         ::testing::Values(NetworkFollowCase{"SignalsRemoved", true, {0, 8}, 7, 8},
                                           NetworkFollowCase{"SignalsInserted", false, {0, 12}, 11, 12}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the record number on OK ------------------------------------------------------------------

TEST_F(CalculationBlocks, RecordNumberOutsideTheArithmeticBlocksIsRefused) {
  MakeBlocks(3);
  AddIntegrators({{0, "1"}});
  AddArith(opSum);
  AddArith(opSqrt);
  // Blocks 1..3, integrators 4..5, МБ1 6, МБ2 7.
  struct Case {
    CalcMode mode;
    int record;
    bool refused;
  };
  for (const Case& k : {Case{CalcMode::EditArith, 4, true}, Case{CalcMode::EditArith, 5, true},
                        Case{CalcMode::EditArith, 6, false}, Case{CalcMode::EditArith, 7, false},
                        Case{CalcMode::EditArith, 8, true}, Case{CalcMode::EditArith, 2, true},
                        Case{CalcMode::CreateArith, 8, false}, Case{CalcMode::CreateArith, 7, true}}) {
    const auto p = CheckArithRecord(fb(), k.mode, k.record);
    EXPECT_EQ(p.has_value(), k.refused) << k.record;
    if (p) {
      EXPECT_EQ(p->field, CalcField::Record);
      EXPECT_EQ(p->message, "Величина вне диапазона 6 - 7");
    }
  }
}

// ---- records from a file -------------------------------------------------------------------------

TEST_F(CalculationBlocks, RecordsOutOfRangeShowAsEmpty) {
  MakeBlocks(2);
  AddArith(opSum);
  fb().SetTypeCode(3, FunctionBlocks::kTypeCalc);
  fb().SetOperation(3, 9);  // a second calculation record with no known operation
  fb().SetTypeCode(4, FunctionBlocks::kTypeCalc);
  fb().SetOperation(4, 5);
  fb().SetResultAddress(4, 2, 200);  // no block can have it
  fb().SetTypeCode(0, kComparator);
  fb().SetComparatorAnalogSource(0, 1);
  fb().SetComparatorAnalogNumber(0, 100);
  fb().RecountBlocks();
  const auto signs = MathBlockSigns(fb());
  EXPECT_EQ(signs[0], "+");
  EXPECT_EQ(signs[1], "");
  EXPECT_EQ(signs[2], "SQRT");
  EXPECT_EQ(BlockCaptions(c_).Panel(0).captions[1], "");
  EXPECT_EQ(LoadArithValues(fb(), 3).operation, -1);
  // Such a record is programmed anew rather than refused.
  ArithValues repaired = LoadArithValues(fb(), 3);
  int block = 0;
  EXPECT_EQ(ChooseArithRecord(fb(), 4, repaired, block), RecordChoice::Loaded);
  EXPECT_EQ(block, 2);
  repaired.operation = opProduct;
  repaired.y = "2";
  ASSERT_FALSE(CheckArithValues(c_, repaired));
  EXPECT_TRUE(StoreArithBlock(c_, CalcMode::EditArith, 4, repaired));
  EXPECT_EQ(MathBlockSigns(fb())[1], "X");
  EXPECT_EQ(LoadArithValues(fb(), 4).y, "3");
  // The report shows what points nowhere as nothing.
  fb().SetX1Source(2, srcCalculatedValue);
  fb().SetX1Number(2, 9);
  const Report report = MathBlockReport(c_, "");
  EXPECT_EQ(report.lines[6], " 1\tМБ1\t+  Y=C1*X1+C2*X2\t\t1,0000\tан. 2\t3,0000\t1");
  EXPECT_EQ(report.lines[8], " 3\tМБ3\tSQRT  Y=SQRT(C1*X1)\t0\t0,0000\t\t\t");
  fb().SetX1Source(2, srcAnalogSignal);
  // Deleting the block whose address is impossible renumbers nothing.
  const int x1 = fb().GetX1Number(2);
  ui_.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(DeleteArithBlock(c_, 3, ui_));
  EXPECT_EQ(fb().GetX1Number(2), x1);
  EXPECT_EQ(fb().GetComparatorAnalogNumber(0), 100);
}

TEST_F(CalculationBlocks, ReportListsIntegratorsAndArithmeticBlocks) {
  MakeBlocks(1);
  AddIntegrators({{0, "3"}}, "7");
  AddArith(opDifference, srcCalculatedValue, "0", "-2");
  const Report r = MathBlockReport(c_, "plant.zul");
  std::string all;
  for (const auto& line : r.lines) all += line + "\n";
  EXPECT_NE(all.find("МБ1"), std::string::npos) << all;
  EXPECT_NE(all.find("Y=C1*X1-C2*X2"), std::string::npos) << all;
  EXPECT_NE(all.find("-2,0000"), std::string::npos) << all;
  EXPECT_NE(all.find("Интегратор расхода 1"), std::string::npos) << all;
  EXPECT_NE(all.find("Час начала суток: 7"), std::string::npos) << all;
}

}  // namespace
}  // namespace zul
