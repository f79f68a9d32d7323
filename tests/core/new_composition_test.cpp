#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/config/NewComposition.h"
#include "core/model/ServiceBlock.h"

namespace zul {
namespace {

struct LineCase {
  const char* name;
  const char* line;
  bool valid;
};

class CompositionLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(CompositionLines, CheckedAgainstWhatTheControllerHolds) {
  EXPECT_EQ(IsCompositionValid(GetParam().line), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompositionLines,
    ::testing::Values(LineCase{"Typical", "1163000000000000", true}, LineCase{"Empty", "", false},
                      LineCase{"AllEmptySlots", "0000000000000000", true},
                      LineCase{"EightRelays", "3333333300000000", true},
                      LineCase{"NineRelays", "333334C5C0000000", false},
                      LineCase{"TwoLk11", "1E0E000000000000", false},
                      LineCase{"FiveDiscreteEightAnalogFillTheBase", "1111166667777000",
                               true},  // 60 + 192 = 252
                      LineCase{"FiveDiscreteEightAnalogAndOneMore", "111112666677770", false},
                      LineCase{"SignalBaseFull", "111111111111111A", true},  // 16 x 12 = 192
                      LineCase{"NineAnalog", "6666666660000000", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CompositionCounts, TheEdgeOfTheSignalBase) {
  // 12 D + 24 N must stay below 253: D = 5, N = 8 gives 252 and fits; one more analog does not.
  CompositionCounts c;
  c.discrete = 5;
  c.analog = 8;
  EXPECT_TRUE(c.Fits());
  c.discrete = 6;
  EXPECT_FALSE(c.Fits());
}

TEST(CompositionOrder, DiscreteBeforeAnalogBeforeRelayBeforeLk11AndKeepFlagsMove) {
  const SlotTypes types = TypesOfCodeLine("E3661A00000000C0");
  SlotFlags keep{};
  keep[1] = 1;   // the relay module in slot 2
  keep[14] = 1;  // the relay module in slot 15
  const OrderedComposition o = OrderComposition(types, keep);
  EXPECT_EQ(CodeLineOf(o.types), "1A663CE000000000");
  EXPECT_EQ(o.keep[4], 1);
  EXPECT_EQ(o.keep[5], 1);
  EXPECT_EQ(o.keep[0], 0);
  // Where each module was typed (1-based), so kept data can be found in the old slot.
  EXPECT_EQ((std::vector<int>(o.origin.begin(), o.origin.begin() + 8)),
            (std::vector<int>{5, 6, 3, 4, 2, 15, 1, 0}));
  EXPECT_EQ(CodeLineOf(OrderComposition(TypesOfCodeLine("6611000000000000"), {}).types), "1166000000000000");
}

TEST(CompositionOrder, CodesOfNoGroupAreDropped) {
  EXPECT_EQ(CodeLineOf(OrderComposition(TypesOfCodeLine("B1F6"), {}).types), "1600000000000000");
}

TEST(CompositionCodes, ReservedListEntriesGiveZero) {
  EXPECT_EQ(CodeOfListEntry(11), 0);
  EXPECT_EQ(CodeOfListEntry(13), 0);
  EXPECT_EQ(CodeOfListEntry(15), 0);
  EXPECT_EQ(CodeOfListEntry(12), 12);
  EXPECT_EQ(CodeOfListEntry(14), 14);
  EXPECT_EQ(TypesOfCodeLine("1x6")[1], 0);
}

// zul new and zul-sim read --modules alike: commas mean decimal codes, no
// commas one hexadecimal digit per slot.
struct ModuleListCase {
  const char* text;
  std::vector<int> types;  // slot 1 first; empty: refused
};

class ModuleLists : public ::testing::TestWithParam<ModuleListCase> {};

TEST_P(ModuleLists, ReadLikeTheExecutionLineOrAsDecimalCodes) {
  const ModuleListCase& k = GetParam();
  std::string error;
  const auto types = ParseModuleList(k.text, &error);
  if (k.types.empty()) {
    EXPECT_FALSE(types) << k.text;
    EXPECT_FALSE(error.empty());
    return;
  }
  ASSERT_TRUE(types) << error;
  SlotTypes expected{};
  std::copy(k.types.begin(), k.types.end(), expected.begin());
  EXPECT_EQ(*types, expected) << k.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ModuleLists,
    ::testing::Values(ModuleListCase{"1,1,6,14", {1, 1, 6, 14}}, ModuleListCase{"1,1,6,E", {1, 1, 6, 14}},
                      ModuleListCase{"1163E", {1, 1, 6, 3, 14}}, ModuleListCase{"14", {1, 4}},
                      ModuleListCase{"1, 10, 6", {1, 10, 6}}, ModuleListCase{"1,D", {1, 13}},
                      ModuleListCase{"1,15", {1, 15}}, ModuleListCase{"a,b", {10, 11}},
                      ModuleListCase{"1,16", {}}, ModuleListCase{"1,G", {}}, ModuleListCase{"1G", {}},
                      ModuleListCase{"", {}}, ModuleListCase{"1,,6", {}},
                      ModuleListCase{"11111111111111111", {}}, ModuleListCase{"1,-1", {}}));

TEST(CompositionCodes, TypedDIsAnAnalogModuleWhereverItIsTyped) {
  // The dialog's typed code line and a command line's list give one composition.
  const auto listed = ParseModuleList("D,1");
  ASSERT_TRUE(listed);
  EXPECT_EQ(*listed, TypesOfCodeLine("D1"));
  EXPECT_EQ(OrderComposition(*listed, {}).types[1], 13);
  EXPECT_EQ(CountComposition(*listed).analog, 1);
}

TEST(CompositionApply, ServiceBlockTakesTheComposition) {
  ServiceBlock serv;
  SlotFlags keep{};
  keep[0] = 1;  // the analog module in slot 1
  ApplyComposition(serv, OrderComposition(TypesOfCodeLine("6311500000000000"), keep));
  EXPECT_EQ(serv.DiModules, 2);
  EXPECT_EQ(serv.AiModules, 1);
  EXPECT_EQ(serv.DoModules, 2);
  EXPECT_EQ(serv.KeyModules, 1);
  EXPECT_EQ(serv.GroupStart1, 3);
  EXPECT_EQ(serv.SignalCount, 48);
  EXPECT_EQ(serv.AnalogSignalCount, 6);
  EXPECT_EQ(serv.DoCount, 16);
  EXPECT_EQ(serv.IndicationType, 1);
  EXPECT_EQ(serv.Identity[0], 5);
  EXPECT_EQ(serv.Identity[1], 1);
  EXPECT_EQ(serv.Identity[3], 6);
  EXPECT_EQ(serv.Identity[19], 16);
  EXPECT_EQ(serv.Identity[20], 48);
  EXPECT_EQ(serv.Identity[21], 6);
  EXPECT_EQ(serv.Identity[22], 1);
  EXPECT_EQ(serv.ModuleType[3], 3);
  EXPECT_EQ(serv.KeepSlot[3], 0);
  EXPECT_EQ(serv.KeepSlot[2], 1);  // the analog module took its flag from slot 1 to slot 3
  EXPECT_EQ(serv.KeepSlot[0], 0);
}

struct KeepCase {
  const char* name;
  int oldType;
  int newType;
  bool enabled;
  bool cleared;
};

class KeepBoxes : public ::testing::TestWithParam<KeepCase> {};

TEST_P(KeepBoxes, AfterAChoiceInBasisMode) {
  const KeepBox box = KeepBoxAfterChoice(GetParam().oldType, GetParam().newType);
  EXPECT_EQ(box.enabled, GetParam().enabled);
  EXPECT_EQ(box.clearIt, GetParam().cleared);
}

INSTANTIATE_TEST_SUITE_P(Cases, KeepBoxes,
                         ::testing::Values(KeepCase{"SameAnalog", 6, 6, true, false},
                                           KeepCase{"SameDiscrete", 1, 1, false, true},
                                           KeepCase{"SameProgrammable", 10, 10, true, false},
                                           KeepCase{"RelayToRelay", 3, 12, true, false},
                                           KeepCase{"AnalogToAnalog", 6, 7, false, true},
                                           KeepCase{"SameLk11", 14, 14, false, true},
                                           KeepCase{"EmptyToRelay", 0, 3, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zul
