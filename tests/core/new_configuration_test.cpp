#include <gtest/gtest.h>

#include <filesystem>

#include "core/ScriptedInteraction.h"
#include "core/config/NewConfiguration.h"
#include "core/config/ZulFile.h"
#include "support/SampleConfiguration.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

NewConfigurationRequest Request(std::string_view line, std::initializer_list<int> keptSlots = {},
                                bool onBasis = true) {
  NewConfigurationRequest r;
  r.typed = TypesOfCodeLine(line);
  for (int s : keptSlots) r.keep[static_cast<size_t>(s - 1)] = 1;
  r.onBasis = onBasis;
  return r;
}

TEST(NewConfiguration, FromScratch_OrdersTheModulesAndTakesEveryDefault) {
  const Configuration none;
  auto n = BuildNewConfiguration(none, NewConfigurationBase::Of(none.service),
                                 Request("6611000000000000", {}, false));
  EXPECT_EQ(CodeLineOf(SlotTypes{n->service.ModuleType[0], n->service.ModuleType[1], n->service.ModuleType[2],
                                 n->service.ModuleType[3]}),
            "1166000000000000");
  EXPECT_EQ(n->service.DiModules, 2);
  EXPECT_EQ(n->service.AiModules, 2);
  EXPECT_EQ(n->service.SignalCount, 2 * 12 + 2 * 24);
  EXPECT_EQ(n->service.GetText(0), "Дискр.сигн.001");
  EXPECT_EQ(n->analogModules.GetUnitName(0), "град.С");
  EXPECT_EQ(n->analogModules.GetRecordByte(1, 0), 2);
  EXPECT_EQ(n->networkMaster.Records[0][0], 3);  // network parts follow the analog records
  EXPECT_EQ(n->networkMaster.MasterBlock[0], 10);
  EXPECT_EQ(n->function15Blocks.GetByte(0), 11);
  EXPECT_EQ(n->regulators.GetTime(0, 0), 60);
  EXPECT_EQ(n->functionBlocks.GetAlgStart(0), FunctionBlocks::kEmptyEntry);
  EXPECT_EQ(n->functionBlocks.GetAlgCount(), 0);
  EXPECT_EQ(ZulFileBytes(*n).size(), kZulFileSize);
}

TEST(NewConfiguration, FromScratch_IgnoresTheOpenConfigurationAndKeepFlags) {
  auto open = MakeSampleConfiguration();
  auto n =
      BuildNewConfiguration(*open, NewConfigurationBase::Of(open->service), Request("1163", {3, 4}, false));
  Configuration defaults;
  defaults.analogModules.SetModuleDefaults(0, 6);
  EXPECT_EQ(n->analogModules.GetPosition(0, 1), defaults.analogModules.GetPosition(0, 1));
  EXPECT_EQ(n->service.GetText(0), "Дискр.сигн.001");
  EXPECT_EQ(n->functionBlocks.GetTypeCode(0), 0);
  EXPECT_EQ(n->networkMaster.GetFunction(0), 0);
}

TEST(NewConfiguration, OnBasis_SameComposition_KeepsKeptSlotsAndTheSharedBlocks) {
  auto open = MakeSampleConfiguration();                      // 1163
  open->service.Identity[ServiceBlock::kIdSignalCount] = 80;  // network signals added to the module signals
  const auto base = NewConfigurationBase::Of(open->service);
  auto n = BuildNewConfiguration(*open, base, Request("1163", {3, 4}));
  EXPECT_EQ(n->analogModules.GetPosition(0, 1), "PT-101");
  EXPECT_EQ(n->relayModules.GetAckInput(3, 0), 7);
  EXPECT_EQ(n->service.SignalCount, 80);
  EXPECT_EQ(n->service.GetText(0), "Насос 1");
  EXPECT_EQ(n->service.GetOutputText(2), "Сирена");
  EXPECT_EQ(n->analogModules.GetUnitName(3), "бар");
  EXPECT_EQ(n->networkMaster.GetSlave(0), 17);
  EXPECT_EQ(n->function15Blocks.GetSlave(0), 9);
  EXPECT_EQ(n->functionBlocks.GetTypeCode(1), 6);
  EXPECT_EQ(n->functionBlocks.GetAlgName(0), "Пуск насоса");
  EXPECT_EQ(n->discreteProcessing.GetDelayTime(3), 5);  // relay defaults over the first 24 records
  EXPECT_EQ(n->discreteProcessing.GetArchive(3), 0x80);
  EXPECT_EQ(n->regulators.GetPV(0), 0);  // regulators always start afresh
  EXPECT_EQ(n->service.ConfiguredDevice, 0);
}

TEST(NewConfiguration, OnBasis_SlotsNotKept_GetDefaults) {
  auto open = MakeSampleConfiguration();
  auto n = BuildNewConfiguration(*open, NewConfigurationBase::Of(open->service), Request("1163"));
  Configuration defaults;
  defaults.analogModules.SetModuleDefaults(0, 6);
  defaults.relayModules.SetDefaults();
  EXPECT_EQ(n->analogModules.GetPosition(0, 1), defaults.analogModules.GetPosition(0, 1));
  EXPECT_EQ(n->relayModules.GetAckInput(3, 0), defaults.relayModules.GetAckInput(3, 0));
}

TEST(NewConfiguration, OnBasis_KeptModuleFollowsItsSlotWhenTheDiscreteGroupShrinks) {
  auto open = MakeSampleConfiguration();  // 1 1 6 3
  // Slot 1 emptied: the analog module typed in slot 3 becomes the new slot 2.
  auto n = BuildNewConfiguration(*open, NewConfigurationBase::Of(open->service), Request("0163", {3, 4}));
  EXPECT_EQ(n->service.ModuleType[1], 6);
  EXPECT_EQ(n->analogModules.GetPosition(0, 1), "PT-101");
  EXPECT_EQ(n->analogModules.GetRecordByte(0, 0), 1);
  EXPECT_EQ(n->relayModules.GetAckInput(3, 0), 7);
  // Another composition: the network and the function blocks start afresh.
  EXPECT_EQ(n->networkMaster.GetFunction(0), 0);
  EXPECT_EQ(n->functionBlocks.GetTypeCode(0), 0);
  EXPECT_EQ(n->service.SignalCount, 12 + 24);
}

struct KindCase {
  const char* name;
  const char* typed;
  bool analogKept;
  bool relayKept;
};

class NewConfigurationKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(NewConfigurationKinds, KeptOnlyWhenTheSlotHeldTheSameKind) {
  auto open = MakeSampleConfiguration("1163");
  auto n = BuildNewConfiguration(*open, NewConfigurationBase::Of(open->service),
                                 Request(GetParam().typed, {3, 4}));
  const bool analogKept = n->analogModules.GetPosition(0, 1) == "PT-101";
  const bool relayKept = n->relayModules.GetAckInput(3, 0) == 7;
  EXPECT_EQ(analogKept, GetParam().analogKept);
  EXPECT_EQ(relayKept, GetParam().relayKept);
}

INSTANTIATE_TEST_SUITE_P(Cases, NewConfigurationKinds,
                         ::testing::Values(KindCase{"SameTypes", "1163", true, true},
                                           KindCase{"OtherAnalogTypeOtherRelayType", "1174", false, true},
                                           KindCase{"OtherRelayType", "1164", true, true},
                                           KindCase{"SlotsSwapped", "1136", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NewConfiguration, OnBasis_SensorTypesOfAKeptProgrammableModule) {
  auto open = MakeSampleConfiguration("1A63");  // sample sets byte 2: slot 2's word
  const auto base = NewConfigurationBase::Of(open->service);
  EXPECT_EQ(BuildNewConfiguration(*open, base, Request("1A63", {2}))->discreteProcessing.GetSensorTypeByte(2),
            0x5A);
  EXPECT_EQ(BuildNewConfiguration(*open, base, Request("1A63"))->discreteProcessing.GetSensorTypeByte(2), 0);
}

class CreateConfigurationFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("zul_new_test_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
  ScriptedInteraction ui_;
  Configuration open_;
};

TEST_F(CreateConfigurationFileTest, CreatesAFileTheOpenCommandReads) {
  fs::path created;
  ASSERT_EQ(CreateConfigurationFile(dir_ / "new", open_, NewConfigurationBase::Of(open_.service),
                                    Request("6611000000000000", {}, false), ui_, &created),
            NewConfigurationResult::Created);
  EXPECT_EQ(created, dir_ / "new.zul");
  EXPECT_EQ(ui_.Last().text, std::string(kNewConfigCreated) + created.string());
  EXPECT_EQ(ui_.Last().caption, kNewConfigCreatedCaption);
  EXPECT_EQ(ui_.Last().icon, Icon::Information);
  auto c = std::make_unique<Configuration>();
  EXPECT_EQ(OpenZulFile(created, *c, ui_), ZulOpenResult::Loaded);
  EXPECT_EQ(c->service.ModuleType[0], 1);
  EXPECT_EQ(c->service.ModuleType[2], 6);
}

TEST_F(CreateConfigurationFileTest, RefusalsLeaveNoFile) {
  const auto base = NewConfigurationBase::Of(open_.service);
  EXPECT_EQ(CreateConfigurationFile(dir_ / "bad", open_, base, Request("1111166667777700", {}, false), ui_),
            NewConfigurationResult::InvalidComposition);
  EXPECT_EQ(ui_.Last().text, kNewConfigInputError);
  EXPECT_EQ(ui_.Last().icon, Icon::Error);
  EXPECT_EQ(CreateConfigurationFile(dir_ / "conf.txt", open_, base, Request("11", {}, false), ui_),
            NewConfigurationResult::WrongName);
  EXPECT_EQ(ui_.Last().caption, kNewConfigWrongNameCaption);
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(CreateConfigurationFileTest, ExistingFile_KeptUnlessTheUserAgrees) {
  const auto base = NewConfigurationBase::Of(open_.service);
  ASSERT_EQ(CreateConfigurationFile(dir_ / "a.zul", open_, base, Request("11", {}, false), ui_),
            NewConfigurationResult::Created);
  const auto first = ReadWholeFile(dir_ / "a.zul");
  ui_.QueueAnswer(Answer::No);
  EXPECT_EQ(CreateConfigurationFile(dir_ / "a.zul", open_, base, Request("16", {}, false), ui_),
            NewConfigurationResult::Declined);
  EXPECT_EQ(ui_.Last().text, kNewConfigExists);
  EXPECT_EQ(ReadWholeFile(dir_ / "a.zul"), first);
  ui_.QueueAnswer(Answer::Yes);
  EXPECT_EQ(CreateConfigurationFile(dir_ / "a.zul", open_, base, Request("16", {}, false), ui_),
            NewConfigurationResult::Created);
  EXPECT_NE(ReadWholeFile(dir_ / "a.zul"), first);
}

}  // namespace
}  // namespace zul
