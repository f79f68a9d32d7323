// The regulator editor's rules without windows: the loop dialog's checks,
// storing its values, deleting loops with their links, the panels of damaged
// records, and reading and writing blocks 32 and 33 against a simulated
// controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/editing/RegulatorEditing.h"
#include "core/link/ModbusLink.h"
#include "core/model/Float24.h"
#include "core/model/FloatText.h"
#include "sim/SimulatedLine.h"
#include "support/SampleConfiguration.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using Edits = std::vector<std::pair<std::string, std::string>>;

// Two discrete input modules, two analog modules (inputs 1..12, scale 0..100
// except input 2: 0..250), a relay module; function blocks 1..3 programmed,
// block 3 the trigger a two-position loop follows; loop 1 in use on DAC output 1.
std::unique_ptr<Configuration> Plant() {
  auto c = MakeSampleConfiguration("1166300000000000");
  c->functionBlocks.SetTypeCode(2, 5);
  c->functionBlocks.RecountBlocks();
  Regulators& r = c->regulators;
  r.Loops = {};
  r.SetPV(0, 1);
  r.SetSPSource(0, 1);
  r.SetOutput(0, 0);
  c->reserveBlocks.RegulatorRecords[0] = r.Loops;
  c->reserveBlocks.RegulatorRecords[1] = r.Programs;
  return c;
}

// Loop 6 of the plant a program loop on generator 6 (input 4, DAC output 8).
void AddProgramLoopSix(Regulators& r) {
  r.SetPV(5, 4);
  r.SetSPSource(5, 21);
  r.SetOutput(5, 7);
  r.SetKP(5, "1");
  r.SetTi(5, "100");
  r.SetOH(5, "100");
  r.SetProgReg(5, 6);
}

// The dialog as creating loop 2 of `kind` leaves it, filled so it passes.
LoopForm GoodForm(const Configuration& c, int kind) {
  LoopForm f = BlankLoopForm(2, 2);
  ApplyKindPresets(f, kind, c.regulators);
  f.Set("EditAnVh", "2");
  f.Set("EditAdOUT", kind == Regulators::KindCascade ? "3" : "2");
  if (kind == Regulators::KindSingleLoop) f.Set("EdAdFB_OnFC", "1");
  if (kind == Regulators::KindCascade) {
    f.Set("EditAdOUT1", "3");
    f.Set("EditAnVh1", "3");
  }
  if (kind == Regulators::KindTwoPosition) {
    f.Set("EditAdFB", "3");
    f.Set("EditOut0", "10");
    f.Set("EditOut1", "50");
  }
  return f;
}

struct CheckCase {
  const char* name;
  int kind;
  Edits edits;
  LoopCheck::Verdict verdict;
  std::string field;
  std::string text;
};

class LoopChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(LoopChecks, FirstFailureNamesFieldAndText) {
  const CheckCase& k = GetParam();
  auto c = Plant();
  LoopForm f = GoodForm(*c, k.kind);
  for (const auto& [field, value] : k.edits) f.Set(field, value);
  const LoopCheck check = CheckLoopForm(*c, f);
  EXPECT_EQ(check.verdict, k.verdict);
  EXPECT_EQ(check.field, k.field);
  EXPECT_EQ(check.text, k.text);
}

using V = LoopCheck::Verdict;
const char* const kRangeKp = "Величина вне диапазона 0.1 - 1000";

INSTANTIATE_TEST_SUITE_P(
    Dialog, LoopChecks,
    ::testing::Values(
        CheckCase{"NoKindChosen", -1, {}, V::Note, "CBoxTReg", "Выберите тип контура регулирования"},
        CheckCase{"RepeaterPasses", 0, {}, V::Ok, "", ""},
        CheckCase{"SingleLoopPasses", 1, {}, V::Ok, "", ""}, CheckCase{"CascadePasses", 2, {}, V::Ok, "", ""},
        CheckCase{"ProgramPasses", 3, {}, V::Ok, "", ""},
        CheckCase{"TwoPositionPasses", 4, {}, V::Ok, "", ""},
        CheckCase{"KpBelowRange", 1, {{"EditKp", "0,05"}}, V::Note, "EditKp", kRangeKp},
        CheckCase{"KpAtTopPasses", 1, {{"EditKp", "1000"}}, V::Ok, "", ""},
        CheckCase{"TiAboveRange",
                  3,
                  {{"EditTi", "10000,5"}},
                  V::Note,
                  "EditTi",
                  "Величина вне диапазона 0.1 - 10000"},
        CheckCase{"EmptyKp", 1, {{"EditKp", ""}}, V::Note, "EditKp", "  Ошибка ввода "},
        CheckCase{"RepeaterOhMustBe100",
                  0,
                  {{"EditOH", "99"}},
                  V::Note,
                  "EditOH",
                  "Величина вне диапазона 100 - 100"},
        CheckCase{
            "RepeaterKpMustBe0", 0, {{"EditKp", "1"}}, V::Note, "EditKp", "Величина вне диапазона 0 - 0"},
        CheckCase{"RepeaterFromCalcBlock", 0, {{"EditAnVh", "52"}}, V::Ok, "", ""},
        CheckCase{"RepeaterBeyondCalcBlocks",
                  0,
                  {{"EditAnVh", "55"}},
                  V::Note,
                  "EditAnVh",
                  "Величина вне диапазона 49 - 54"},
        CheckCase{"PidFromCalcBlockRefused",
                  1,
                  {{"EditAnVh", "52"}},
                  V::Note,
                  "EditAnVh",
                  "Величина вне диапазона 1 - 12"},
        CheckCase{"PvZero", 1, {{"EditAnVh", "0"}}, V::Note, "EditAnVh", "Величина вне диапазона 1 - 12"},
        CheckCase{"PvNotANumber", 1, {{"EditAnVh", ""}}, V::Note, "EditAnVh", "  Ошибка ввода "},
        CheckCase{"DacOutputBeyondEight",
                  1,
                  {{"EditAdOUT", "9"}},
                  V::Note,
                  "EditAdOUT",
                  "Величина вне диапазона 1 - 8"},
        CheckCase{"CascadeInnerNotNext",
                  2,
                  {{"EditAdOUT", "4"}},
                  V::Note,
                  "EditAdOUT",
                  "Величина вне диапазона 3 - 3"},
        CheckCase{"CascadeInnerKpBelowRange", 2, {{"EditKp1", "0"}}, V::Note, "EditKp1", kRangeKp},
        CheckCase{"CascadeInnerOnUsedDac",
                  2,
                  {{"EditAdOUT1", "1"}},
                  V::Note,
                  "EditAdOUT1",
                  "Такой выход ЦАП уже использован"},
        CheckCase{"CascadeWithFc",
                  2,
                  {{"EdAdFB_RetNorm", "2"}},
                  V::Note,
                  "EdOUT_FC",
                  "Режим FC только для одноконт. рег."},
        CheckCase{"ProgramWithFcOutput",
                  3,
                  {{"EdOUT_FC", "5"}},
                  V::Note,
                  "EdOUT_FC",
                  "Режим FC только для одноконт. рег."},
        CheckCase{
            "TwoPositionFbZero", 4, {{"EditAdFB", "0"}}, V::Note, "EditAdFB", "Величина вне диапазона 1 - 3"},
        CheckCase{"TwoPositionFbBeyondProgrammed",
                  4,
                  {{"EditAdFB", "4"}},
                  V::Note,
                  "EditAdFB",
                  "Величина вне диапазона 1 - 3"},
        CheckCase{
            "TwoPositionFbNotATrigger", 4, {{"EditAdFB", "1"}}, V::Note, "EditAdFB", "1  Ошибка ввода "},
        CheckCase{"TwoPositionLevelAbove100",
                  4,
                  {{"EditOut1", "101"}},
                  V::Note,
                  "EditOut1",
                  "Величина вне диапазона 0 - 100"},
        CheckCase{"ProgramPointAboveScale",
                  3,
                  {{"Edit9", "250,5"}},
                  V::Note,
                  "Edit9",
                  "Величина вне диапазона 0 - 250"},
        CheckCase{"ProgramPointWithinScale", 3, {{"Edit9", "240"}}, V::Ok, "", ""},
        CheckCase{"ProgramPointNaN", 3, {{"Edit8", "nan"}}, V::Note, "Edit8", "nan  Ошибка ввода "},
        CheckCase{"FcOffAsksToGiveItUp",
                  1,
                  {{"EdAdFB_OnFC", "0"}},
                  V::AskFcRefusal,
                  "EdAdFB_OnFC",
                  "отказываетесь  от режима FC?"},
        CheckCase{"FcBlockBeyondProgrammed",
                  1,
                  {{"EdAdFB_OnFC", "4"}},
                  V::Note,
                  "EdAdFB_OnFC",
                  "Величина вне диапазона 1 - 3"},
        CheckCase{"FcCommandInputBelow121",
                  1,
                  {{"EdAdKVU_OnRetNorm", "120"}},
                  V::Note,
                  "EdAdKVU_OnRetNorm",
                  "Величина вне диапазона 121 - 185"},
        CheckCase{"FcOutputAbove100",
                  1,
                  {{"EdOUT_FC", "100,5"}},
                  V::Note,
                  "EdOUT_FC",
                  "Величина вне диапазона 0 - 100"},
        CheckCase{"SecondLoopOnUsedDac",
                  1,
                  {{"EditAdOUT", "1"}},
                  V::Note,
                  "EditAdOUT",
                  "Такой выход ЦАП уже использован"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoopChecksPlant, NetworkInputIsNotAControlledParameter) {
  auto c = Plant();
  c->service.AnalogSignalCount = 14;  // two network analog inputs after the own twelve
  LoopForm f = GoodForm(*c, Regulators::KindSingleLoop);
  f.Set("EditAnVh", "13");
  const LoopCheck check = CheckLoopForm(*c, f);
  EXPECT_EQ(check.verdict, LoopCheck::Verdict::Message);
  EXPECT_EQ(check.text, "Аналоговый вход локальной сети не может\n быть регулируемым параметром");
}

TEST(LoopChecksPlant, NoProgrammedBlocks_FcRequestRefusedButPlainLoopStored) {
  auto c = Plant();
  for (int i = 0; i < 3; ++i) c->functionBlocks.SetTypeCode(i, 0);
  LoopForm f = GoodForm(*c, Regulators::KindSingleLoop);
  LoopCheck check = CheckLoopForm(*c, f);
  EXPECT_EQ(check.text, "Нет запрограммированных ФБ");
  EXPECT_EQ(f.Get("EdAdFB_OnFC"), "00");
  // Without a forced mode the loop must still be storable.
  f.Set("EdAdFB_RetNorm", "0");
  EXPECT_TRUE(CheckLoopForm(*c, f).Passed());
}

TEST(LoopChecksPlant, CascadeNeverTakesALoopInUseAsItsInnerLoop) {
  auto c = Plant();
  c->regulators.SetPV(2, 9);
  c->regulators.SetSPSource(2, 1);
  c->regulators.SetOutput(2, 5);
  LoopForm f = GoodForm(*c, Regulators::KindCascade);
  EXPECT_EQ(CheckLoopForm(*c, f).field, "EditAdOUT");
  // Its own inner loop, programmed again, is no obstacle.
  c->regulators.SetSPSource(2, 9);
  EXPECT_TRUE(CheckLoopForm(*c, f).Passed());
}

TEST(FcRefusal, YesClearsTheAddressesAndTheRestIsChecked) {
  auto c = Plant();
  LoopForm f = GoodForm(*c, Regulators::KindSingleLoop);
  f.Set("EdAdFB_OnFC", "0");
  f.Set("EdAdFB_RetNorm", "2");
  f.Set("EditAdOUT", "1");
  EXPECT_TRUE(AnswerFcRefusal(*c, f, Answer::Yes));
  EXPECT_EQ(f.Get("EdAdFB_RetNorm"), "00");
  // The DAC output is still checked after giving up the forced mode.
  EXPECT_EQ(CheckLoopForm(*c, f, true).text, "Такой выход ЦАП уже использован");
}

// No gives up what this dialog changed, nothing more: the form goes back to
// the loop as stored (a new loop to its blank form), other loops keep their
// unsent edits and the change mark is what it was when the dialog opened.
TEST(FcRefusal, NoGivesUpOnlyTheLoopBeingEdited) {
  auto c = Plant();
  Regulators& r = c->regulators;
  r.SetPV(3, 7);
  r.RegModified = r.SavedRegModified = 1;
  LoopForm f = GoodForm(*c, Regulators::KindSingleLoop);
  EXPECT_FALSE(AnswerFcRefusal(*c, f, Answer::No));
  EXPECT_EQ(r.GetPV(3), 7);
  EXPECT_EQ(r.RegModified, 1);
  EXPECT_EQ(f.kind, -1);
  EXPECT_EQ(f.Get("EditNReg"), "2");
  EXPECT_EQ(f.Get("EditAnVh"), "");

  // Programming loop 1: its fields come back from its record.
  r.SetKP(0, "4");
  LoopForm edited = LoopFormFromRecord(*c, 0, 1);
  edited.Set("EditKp", "7");
  edited.Set("EdAdFB_OnFC", "0");
  EXPECT_FALSE(AnswerFcRefusal(*c, edited, Answer::No));
  EXPECT_EQ(edited.Get("EditKp"), "4,00");
  EXPECT_EQ(edited.kind, Regulators::KindSingleLoop);
  EXPECT_EQ(r.GetKP(0), "4,00");
  EXPECT_FALSE(AnswerFcRefusal(*c, edited, Answer::Cancel));
  EXPECT_EQ(edited.Get("EditKp"), "4,00");
}

// A new program loop takes the first generator no other loop follows, so
// storing it never overwrites another loop's points.
TEST(ProgramGenerators, NewLoopTakesTheFirstFreeGenerator) {
  struct Case {
    std::vector<int> taken;  // generators (1-based) of loops 3.. in use
    const char* preset;
  };
  for (const Case& k : {Case{{}, "1"}, Case{{1}, "2"}, Case{{1, 2}, "3"}, Case{{2}, "1"}}) {
    auto c = Plant();
    Regulators& r = c->regulators;
    int loop = 2;
    for (int g : k.taken) {
      r.SetPV(loop, 1);
      r.SetSPSource(loop, 15 + g);
      r.SetOutput(loop, loop);
      ++loop;
    }
    LoopForm f = BlankLoopForm(2, 2);
    ApplyKindPresets(f, Regulators::KindProgram, r);
    EXPECT_EQ(f.Get("EditVhPZ"), k.preset) << k.taken.size();
    EXPECT_EQ(f.Get("EditNPZ"), k.preset);
  }
  // A taken one is refused; its own generator is no obstacle to programming
  // a loop again.
  auto c = Plant();
  AddProgramLoopSix(c->regulators);
  LoopForm f = GoodForm(*c, Regulators::KindProgram);
  f.Set("EditVhPZ", "6");
  const LoopCheck taken = CheckLoopForm(*c, f);
  EXPECT_EQ(taken.field, "EditVhPZ");
  EXPECT_EQ(taken.text, "Такой ПЗ уже использован");
  LoopForm own = LoopFormFromRecord(*c, 5, 2);
  EXPECT_EQ(own.Get("EditVhPZ"), "6");
  EXPECT_TRUE(CheckLoopForm(*c, own).Passed()) << CheckLoopForm(*c, own).text;
}

// Program points on the PV scale, as far as a code of 0..65535 reaches:
// the note names what can be stored.
TEST(ProgramSetpoints, OnlyWhatTheCodeCanHoldIsAccepted) {
  struct Case {
    float min, max;
    const char* typed;
    const char* note;  // empty: accepted
  };
  for (const Case& k : {Case{200, 300, "250", ""}, Case{200, 300, "300", ""}, Case{200, 300, "200", ""},
                        Case{-50, 50, "-20", "Величина вне диапазона 0 - 50"}, Case{-50, 50, "0", ""},
                        Case{1024, 1280, "1100", "Величина вне диапазона 1024 - 1024.05"},
                        Case{900, 1000, "950", "Задание на этой шкале не помещается в 16 бит"}}) {
    auto c = Plant();
    c->analogModules.SetValue(0, 1, AnalogValue::ScaleMin, k.min);
    c->analogModules.SetValue(0, 1, AnalogValue::ScaleMax, k.max);
    LoopForm f = GoodForm(*c, Regulators::KindProgram);
    for (int t = 0; t < Regulators::ProgramPoints; ++t) f.Set(PointValueField(t), k.typed);
    const LoopCheck check = CheckLoopForm(*c, f);
    if (std::string(k.note).empty()) {
      EXPECT_TRUE(check.Passed()) << k.typed << " " << check.text;
    } else {
      EXPECT_EQ(check.text, k.note) << k.typed;
    }
  }
}

// --- storing -----------------------------------------------------------------------

TEST(StoreLoop, SingleLoopRecordBytes) {
  auto c = Plant();
  LoopForm f = GoodForm(*c, Regulators::KindSingleLoop);
  f.outAction = 1;
  f.Set("EdAdFB_RetNorm", "2");
  f.Set("EdAdKVU_OnRetNorm", "130");
  f.Set("EdOUT_FC", "12,5");
  StoreLoopForm(*c, f);
  const Regulators& r = c->regulators;
  EXPECT_EQ(r.GetPV(1), 2);
  EXPECT_EQ(r.GetSPSource(1), 1);
  EXPECT_EQ(r.GetOutput(1), 1);
  EXPECT_EQ(r.GetLoopByte(1, 3), 1);
  EXPECT_EQ(r.GetFcOn(1), 1);
  EXPECT_EQ(r.GetFcReturn(1), 2);
  EXPECT_EQ(r.GetLoopByte(1, 24), 10);
  EXPECT_EQ(r.GetFcOut(1), "12,5000");
  EXPECT_EQ(r.GetKind(1), Regulators::KindSingleLoop);
  EXPECT_EQ(r.GetTi(1), "3000,00");
}

TEST(StoreLoop, CascadeLinksOuterAndInner) {
  auto c = Plant();
  StoreLoopForm(*c, GoodForm(*c, Regulators::KindCascade));
  const Regulators& r = c->regulators;
  EXPECT_EQ(r.GetSPSource(1), 1);
  EXPECT_EQ(r.GetOutput(1), 10);  // drives regulator 3
  EXPECT_EQ(r.GetPV(2), 3);
  EXPECT_EQ(r.GetSPSource(2), 9);  // fed by regulator 2
  EXPECT_EQ(r.GetOutput(2), 2);    // DAC output 3
  EXPECT_EQ(r.GetKind(1), Regulators::KindCascade);
  const auto panels = BuildLoopPanels(*c);
  ASSERT_EQ(panels.size(), 2u);
  EXPECT_EQ(panels[1].inner, 2);
  EXPECT_EQ(panels[1].destination, "на рег 3");
  EXPECT_EQ(panels[1].innerDestination, "вых ЦАП №3");
}

TEST(StoreLoop, ProgramPointsOnThePvScale) {
  auto c = Plant();
  LoopForm f = GoodForm(*c, Regulators::KindProgram);
  f.Set("Edit1", "90");
  f.Set("Edit7", "125");  // half of 0..250
  StoreLoopForm(*c, f);
  const Regulators& r = c->regulators;
  EXPECT_EQ(r.GetSPSource(1), 16);  // the first generator
  EXPECT_EQ(r.GetProgReg(0), 2);
  EXPECT_EQ(r.GetTime(0, 0), 90);
  EXPECT_EQ(r.GetValue(0, 0), 8191);
  const LoopForm back = LoopFormFromRecord(*c, 1, 2);
  EXPECT_EQ(back.kind, Regulators::KindProgram);
  EXPECT_EQ(back.Get("Edit7"), "124,99");
  EXPECT_EQ(back.Get("EditVhPZ"), "1");
}

TEST(StoreLoop, TwoPositionLevelsOverwriteTheGain) {
  auto c = Plant();
  StoreLoopForm(*c, GoodForm(*c, Regulators::KindTwoPosition));
  const Regulators& r = c->regulators;
  EXPECT_EQ(r.GetSPSource(1), 0);
  EXPECT_EQ(r.GetFB(1), 3);
  EXPECT_EQ(r.GetKind(1), Regulators::KindTwoPosition);
  EXPECT_EQ(r.GetLoopByte(1, 6) | (r.GetLoopByte(1, 7) << 8), 8191);  // OUT1 50 %
  EXPECT_EQ(r.GetOH(1), "100,00");
}

// A stored loop of any kind can be programmed again without a change.
TEST(StoreLoop, EditedRecordReadsBackIntoTheSameForm) {
  for (int kind : {0, 1, 2, 3, 4}) {
    auto fresh = Plant();
    LoopForm f = GoodForm(*fresh, kind);
    StoreLoopForm(*fresh, f);
    const LoopForm back = LoopFormFromRecord(*fresh, 1, 2);
    EXPECT_EQ(back.kind, kind);
    LoopForm again = back;
    const LoopCheck check = CheckLoopForm(*fresh, again);
    EXPECT_TRUE(check.Passed()) << "kind " << kind << ": " << check.field;
  }
}

// --- deleting ----------------------------------------------------------------------

// Loops: 1 single (DAC 1), 2 cascade outer -> 3 inner (DAC 2), 4 program loop on
// generator 1, 5 cascade outer -> 6 inner (DAC 3).
std::unique_ptr<Configuration> FiveLoops() {
  auto c = Plant();
  Regulators& r = c->regulators;
  auto loop = [&](int i, int pv, int sp, int out) {
    r.SetPV(i, pv);
    r.SetSPSource(i, sp);
    r.SetOutput(i, out);
  };
  loop(1, 2, 1, 10);
  loop(2, 3, 9, 1);
  loop(3, 4, 16, 3);
  loop(4, 5, 1, 13);
  loop(5, 6, 12, 2);
  r.SetProgReg(0, 4);
  r.SetTime(0, 0, 77);
  return c;
}

TEST(DeleteLoops, CascadeMovesTheRestTwoDownWithTheirLinks) {
  auto c = FiveLoops();
  Regulators& r = c->regulators;
  DeleteLoop(r, 1);
  EXPECT_EQ(r.RegModified, 1);
  EXPECT_EQ(r.GetPV(1), 4);  // the program loop, now regulator 2
  EXPECT_EQ(r.GetSPSource(1), 16);
  EXPECT_EQ(r.GetProgReg(0), 2);
  EXPECT_EQ(r.GetPV(2), 5);
  EXPECT_EQ(r.GetOutput(2), 11);    // drives regulator 4
  EXPECT_EQ(r.GetSPSource(3), 10);  // fed by regulator 3
  EXPECT_EQ(r.GetPV(4), 0);
  EXPECT_EQ(r.GetPV(5), 0);
  EXPECT_EQ(BuildLoopPanels(*c).size(), 3u);
}

TEST(DeleteLoops, ProgramLoopTakesItsProgramAlong) {
  auto c = FiveLoops();
  Regulators& r = c->regulators;
  r.SetPV(5, 0);
  r.SetOutput(4, 0);
  r.SetSPSource(4, 17);  // loop 5 now a program loop on generator 2
  r.SetProgReg(1, 5);
  r.SetTime(1, 0, 88);
  DeleteLoop(r, 3);
  EXPECT_EQ(r.GetSPSource(3), 16);  // generator 2 became generator 1
  EXPECT_EQ(r.GetTime(0, 0), 88);
  EXPECT_EQ(r.GetProgReg(0), 4);
}

TEST(DeleteLoops, SelectedFromTheLastAndNoneSelectedDeletesNothing) {
  auto c = FiveLoops();
  Regulators& r = c->regulators;
  EXPECT_FALSE(DeleteSelectedLoops(r));
  EXPECT_EQ(LoopsInUse(r), 6);
  r.Selected[0] = r.Selected[4] = 1;
  EXPECT_TRUE(DeleteSelectedLoops(r));
  EXPECT_EQ(LoopsInUse(r), 3);
  EXPECT_EQ(r.GetPV(0), 2);
  EXPECT_EQ(r.GetOutput(0), 9);
  EXPECT_EQ(r.GetSPSource(1), 8);
  EXPECT_EQ(r.GetProgReg(0), 3);
}

TEST(NewLoop, TakesTheFirstFreeRecordEvenBehindAGap) {
  Regulators r;
  EXPECT_EQ(FirstFreeLoop(r), 0);
  r.SetPV(0, 1);
  r.SetPV(2, 3);  // a file with a gap at record 1
  EXPECT_EQ(FirstFreeLoop(r), 1);
  for (int k = 0; k < 6; ++k) r.SetPV(k, k + 1);
  EXPECT_EQ(FirstFreeLoop(r), -1);
}

// --- records from a file or the line -------------------------------------------------

TEST(LoopPanels, BytesOutsideTheirTablesDrawAsDash) {
  auto c = Plant();
  Regulators& r = c->regulators;
  r.SetPV(1, 200);       // no such input
  r.SetSPSource(1, 40);  // no such kind
  r.SetOutput(1, 99);    // no such output
  r.SetPV(2, 9);
  r.SetSPSource(2, 1);
  r.SetOutput(2, 13);  // a cascade whose inner loop is record 5, itself unused
  const auto panels = BuildLoopPanels(*c);
  ASSERT_EQ(panels.size(), 3u);
  EXPECT_EQ(panels[1].pv, "—");
  EXPECT_EQ(panels[1].destination, "—");
  EXPECT_EQ(panels[1].kind, Regulators::KindUnknown);
  EXPECT_EQ(LoopKindName(panels[1].kind), "—");
  EXPECT_EQ(panels[2].inner, 5);
  EXPECT_EQ(panels[2].innerPv, "—");
  LoopForm f = LoopFormFromRecord(*c, 1, 2);
  EXPECT_FALSE(CheckLoopForm(*c, f).Passed());
}

// --- blocks 32 and 33 on the line ----------------------------------------------------

class RegulatorExchange : public ::testing::Test {
 protected:
  RegulatorExchange() : bus_(clock_), line_(bus_, clock_), port_(line_, clock_, ui_) {
    config_ = Plant();
    config_->discreteProcessing.AccessLevel = kFullAccess;
    port_.BindAccessLevel(&config_->discreteProcessing.AccessLevel);
  }
  void Start(std::map<int, int> blockExceptions = {}) {
    ControllerSetup setup;
    setup.composition.modules = {1, 1, 6, 3, 14};
    setup.blockExceptions = std::move(blockExceptions);
    controller_ = &bus_.Add(setup);
    port_.OpenPort();
  }
  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  ScriptedInteraction ui_;
  zul::test::WritingLink port_;
  SimulatedController* controller_ = nullptr;
  std::unique_ptr<Configuration> config_;
};

TEST_F(RegulatorExchange, ReadThenWriteKeepsTheControllersLoops) {
  Start();
  ASSERT_TRUE(ReadRegulatorBlocks(port_, *config_, ui_));
  Regulators& r = config_->regulators;
  EXPECT_EQ(r.GetPV(0), 1);
  EXPECT_EQ(r.RegBlockLen, 169);
  r.SetKP(0, "4");
  r.RegModified = 1;
  ASSERT_TRUE(WriteRegulatorBlocks(port_, *config_, ui_));
  EXPECT_EQ(r.RegModified, 0);
  EXPECT_EQ(controller_->Blocks().at(32)[1 + 6], r.Loops[0][6]);
  EXPECT_EQ(config_->reserveBlocks.RegulatorRecords[0], r.Loops);
}

// Setpoints above half the 16 bits reach the controller as they are
// (250 on a scale 200..300 is 40957), not clamped to 32767.
TEST_F(RegulatorExchange, ProgramPointsReachTheControllerUnclamped) {
  Start();
  config_->analogModules.SetValue(0, 1, AnalogValue::ScaleMin, 200);
  config_->analogModules.SetValue(0, 1, AnalogValue::ScaleMax, 300);
  LoopForm f = GoodForm(*config_, Regulators::KindProgram);
  const std::array<const char*, 6> typed{"250", "300", "200", "210", "220", "230"};
  for (int t = 0; t < Regulators::ProgramPoints; ++t)
    f.Set(PointValueField(t), typed[static_cast<size_t>(t)]);
  ASSERT_TRUE(CheckLoopForm(*config_, f).Passed());
  StoreLoopForm(*config_, f);
  config_->regulators.RegModified = 1;
  ASSERT_TRUE(WriteRegulatorBlocks(port_, *config_, ui_));
  const auto& held = controller_->Blocks().at(33);
  const std::array<int, 3> codes{40957, 49149, 32766};
  for (size_t t = 0; t < codes.size(); ++t) {
    EXPECT_EQ(held[1 + 3 + 4 * t], codes[t] & 0xFF) << t;
    EXPECT_EQ(held[1 + 4 + 4 * t], codes[t] >> 8) << t;
  }
  ASSERT_TRUE(ReadRegulatorBlocks(port_, *config_, ui_));
  const LoopForm back = LoopFormFromRecord(*config_, 1, 2);
  for (int t = 0; t < 3; ++t) {
    const auto shown = ParseDecimal(back.Get(PointValueField(t)));
    ASSERT_TRUE(shown) << t;
    EXPECT_NEAR(*shown, std::stod(typed[static_cast<size_t>(t)]), 0.01) << t;
  }
}

// Giving up the forced mode with No while other loops hold unsent edits:
// those edits still reach the controller.
TEST_F(RegulatorExchange, FcRefusalNoKeepsTheOtherLoopsEditsForTheWrite) {
  Start();
  ASSERT_TRUE(ReadRegulatorBlocks(port_, *config_, ui_));
  Regulators& r = config_->regulators;
  r.SetKP(0, "4");
  r.RegModified = r.SavedRegModified = 1;
  LoopForm f = BlankLoopForm(3, 3);
  ApplyKindPresets(f, Regulators::KindSingleLoop, r);
  f.Set("EditAnVh", "3");
  f.Set("EditAdOUT", "3");
  f.Set("EdAdFB_OnFC", "0");
  ASSERT_EQ(CheckLoopForm(*config_, f).verdict, LoopCheck::Verdict::AskFcRefusal);
  EXPECT_FALSE(AnswerFcRefusal(*config_, f, Answer::No));
  ASSERT_TRUE(WriteRegulatorBlocks(port_, *config_, ui_));
  const auto& held = controller_->Blocks().at(32);
  std::array<uint8_t, 3> four{};
  FloatToFloat24(4.0f, four.data());
  EXPECT_TRUE(std::equal(four.begin(), four.end(), held.begin() + 1 + 6));
  EXPECT_EQ(held[1 + 56], 0);  // the abandoned loop 3 was never stored
}

// Storing a new program loop leaves the points of the generator another
// loop follows as the controller holds them.
TEST_F(RegulatorExchange, NewProgramLoopLeavesOtherGeneratorsAlone) {
  Start();
  Regulators& r = config_->regulators;
  AddProgramLoopSix(r);
  for (int t = 0; t < Regulators::ProgramPoints; ++t) r.SetValue(5, t, 1000 + t);
  r.RegModified = 1;
  ASSERT_TRUE(WriteRegulatorBlocks(port_, *config_, ui_));
  const auto before = controller_->Blocks().at(33);
  LoopForm f = GoodForm(*config_, Regulators::KindProgram);
  ASSERT_TRUE(CheckLoopForm(*config_, f).Passed());
  StoreLoopForm(*config_, f);
  ASSERT_TRUE(WriteRegulatorBlocks(port_, *config_, ui_));
  const auto& after = controller_->Blocks().at(33);
  EXPECT_TRUE(
      std::equal(after.begin() + 1 + 5 * 28, after.begin() + 1 + 6 * 28, before.begin() + 1 + 5 * 28));
  EXPECT_EQ(after[1 + 0], 2);  // generator 1 now serves loop 2
}

TEST_F(RegulatorExchange, UnchangedWriteAsksFirst) {
  Start();
  ASSERT_TRUE(ReadRegulatorBlocks(port_, *config_, ui_));
  ui_.QueueAnswer(Answer::No);
  EXPECT_FALSE(WriteRegulatorBlocks(port_, *config_, ui_));
  ASSERT_EQ(ui_.Shown().size(), 1u);
  EXPECT_EQ(ui_.Last().text, "Данные не были изменены.Передавать?");
  EXPECT_EQ(ui_.Last().caption, "Подтвердите передачу данных");
}

TEST_F(RegulatorExchange, WithoutFullAccessNothingIsWritten) {
  Start();
  config_->discreteProcessing.AccessLevel = 0;
  config_->regulators.RegModified = 1;
  const size_t before = line_.Written().size();
  EXPECT_FALSE(WriteRegulatorBlocks(port_, *config_, ui_));
  EXPECT_EQ(line_.Written().size(), before);
}

// A line failure must not throw the edits away: they stay, marked changed,
// for the next try; the reserve copy follows what the controller holds.
TEST_F(RegulatorExchange, FailureOfBlock33KeepsTheEditsForTheNextTry) {
  Start({{33, 4}});
  Regulators& r = config_->regulators;
  const auto storedPrograms = config_->reserveBlocks.RegulatorRecords[1];
  r.SetPV(1, 5);
  r.SetProgReg(2, 9);
  r.RegModified = 1;
  EXPECT_FALSE(WriteRegulatorBlocks(port_, *config_, ui_));
  EXPECT_EQ(controller_->Blocks().at(32)[1 + 28], 5);  // block 32 reached the controller
  EXPECT_EQ(r.GetPV(1), 5);
  EXPECT_EQ(r.GetProgReg(2), 9);  // block 33's edit is still there
  EXPECT_EQ(r.RegModified, 1);
  EXPECT_EQ(config_->reserveBlocks.RegulatorRecords[0], r.Loops);
  EXPECT_EQ(config_->reserveBlocks.RegulatorRecords[1], storedPrograms);
}

TEST_F(RegulatorExchange, ClosingWithChanges) {
  Start();
  Regulators& r = config_->regulators;
  r.SetPV(2, 7);
  r.RegModified = 1;
  ui_.QueueAnswer(Answer::Cancel);
  EXPECT_EQ(CloseRegulatorEditor(port_, *config_, ui_), EditorClose::Stay);
  ui_.QueueAnswer(Answer::No);
  EXPECT_EQ(CloseRegulatorEditor(port_, *config_, ui_), EditorClose::Close);
  EXPECT_EQ(r.GetPV(2), 0);
  EXPECT_EQ(r.RegModified, 0);
  r.SetPV(2, 7);
  r.RegModified = 1;
  config_->service.FileMode = 1;
  EXPECT_EQ(CloseRegulatorEditor(port_, *config_, ui_), EditorClose::Close);
  EXPECT_EQ(config_->service.FileChanged, 1);
  EXPECT_EQ(r.GetPV(2), 7);
}

// A closing write that fails keeps the window and its edits; the retry sends
// what still differs and the controller ends up holding the edits.
TEST_F(RegulatorExchange, AFailedClosingWriteStaysOpenAndTheRetryStoresTheEdits) {
  Start();
  ASSERT_TRUE(ReadRegulatorBlocks(port_, *config_, ui_));
  Regulators& r = config_->regulators;
  r.SetPV(1, 5);
  r.SetProgReg(2, 9);
  ASSERT_TRUE(RegulatorBlocksChanged(*config_));
  FaultSettings refused;
  refused.exception.probability = 1.0;
  refused.exceptionCode = 4;
  controller_->SetFaults(refused);
  ui_.QueueAnswer(Answer::Yes);
  EXPECT_EQ(CloseRegulatorEditor(port_, *config_, ui_), EditorClose::Stay);
  EXPECT_EQ(ui_.Last().text, "Блок № 32 не записан в прибор");
  EXPECT_EQ(r.GetPV(1), 5);
  EXPECT_TRUE(RegulatorBlocksChanged(*config_));

  controller_->SetFaults({});
  ui_.QueueAnswer(Answer::Yes);
  EXPECT_EQ(CloseRegulatorEditor(port_, *config_, ui_), EditorClose::Close);
  for (int block : {32, 33}) {
    r.Pack(block);
    const auto expected = BlockPayload(r.RegBuf, r.RegBlockLen);
    const auto& held = controller_->Blocks().at(block);
    EXPECT_TRUE(std::equal(held.begin() + 1, held.end(), expected.begin(), expected.end())) << block;
  }
  EXPECT_FALSE(RegulatorBlocksChanged(*config_));
}

}  // namespace
}  // namespace zul
