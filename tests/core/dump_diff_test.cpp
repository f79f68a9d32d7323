#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/ScriptedInteraction.h"
#include "core/config/ConfigurationDump.h"
#include "core/config/ZulFile.h"
#include "support/SampleConfiguration.h"

namespace zul {
namespace {

std::string ValueOf(const Configuration& c, const std::string& field) {
  for (const auto& f : FlattenDump(DumpConfiguration(c)))
    if (f.field == field) return f.value;
  return "<missing>";
}

TEST(ConfigurationDump, DecodesEveryBlockThroughTheGetters) {
  auto c = MakeSampleConfiguration();
  const DumpNode dump = DumpConfiguration(*c);
  ASSERT_NE(dump.Find("signals"), nullptr);
  EXPECT_EQ(dump.Find("signals")->Items().size(), static_cast<size_t>(c->service.SignalCount));
  EXPECT_EQ(dump.Find("outputs")->Items().size(), 8u);
  EXPECT_EQ(dump.Find("units")->Items().size(), 16u);
  EXPECT_EQ(dump.Find("modules")->Items().size(), 16u);

  EXPECT_EQ(ValueOf(*c, "device"), "4");
  EXPECT_EQ(ValueOf(*c, "modules[2]"), "6");
  EXPECT_EQ(ValueOf(*c, "counts.SignalCount"), "48");
  EXPECT_EQ(ValueOf(*c, "counts.DoCount"), "8");
  EXPECT_EQ(ValueOf(*c, "signals[0].text"), "\"Насос 1\"");
  // Identifiers without the blanks that pad their cells, like the texts.
  ASSERT_EQ(c->service.GetIdentifier(47), "AI1_6_HH  ");
  EXPECT_EQ(ValueOf(*c, "signals[47].identifier"), "\"AI1_6_HH\"");
  EXPECT_EQ(ValueOf(*c, "outputs[0].identifier").find(' '), std::string::npos);
  EXPECT_EQ(ValueOf(*c, "signals[3].delayTime"), "12");
  EXPECT_EQ(ValueOf(*c, "signals[3].archive"), "1");
  EXPECT_EQ(ValueOf(*c, "signals[3].relayMasks[0]"), "1");
  EXPECT_EQ(ValueOf(*c, "outputs[2].text"), "\"Сирена\"");
  EXPECT_EQ(ValueOf(*c, "outputs[2].mode"), "1");
  EXPECT_EQ(ValueOf(*c, "outputs[3].ackInput"), "7");
  EXPECT_EQ(ValueOf(*c, "units[3]"), "\"бар\"");
  EXPECT_EQ(ValueOf(*c, "analogModules[0].type"), "6");
  EXPECT_EQ(ValueOf(*c, "analogModules[0].channels[1].position"), "\"PT-101\"");
  EXPECT_EQ(ValueOf(*c, "analogModules[0].channels[1].scaleMax"),
            "\"" + c->analogModules.GetScaleMax(0, 1) + "\"");
  EXPECT_EQ(ValueOf(*c, "analogModules[0].channels[1].HH"),
            "\"" + c->analogModules.GetSetpointHH(0, 1) + "\"");
  EXPECT_EQ(ValueOf(*c, "network[0].slave"), "17");
  EXPECT_EQ(ValueOf(*c, "network[0].startAddress"), "4660");
  EXPECT_EQ(ValueOf(*c, "function15[0].signals[1]"), "5");
  EXPECT_EQ(ValueOf(*c, "functionBlocks[0].typeCode"), "1");
  EXPECT_EQ(ValueOf(*c, "functionBlocks[0].inputs[0].number"), "3");
  EXPECT_EQ(ValueOf(*c, "functionBlocks[1].number"), "2");
  EXPECT_EQ(ValueOf(*c, "loops[0].pv"), "25");
  EXPECT_EQ(ValueOf(*c, "loops[0].KP"), "\"" + c->regulators.GetKP(0) + "\"");
  EXPECT_EQ(ValueOf(*c, "programs[0].points[0].time"), "60");
  EXPECT_EQ(ValueOf(*c, "sensorTypes[1]"), "90");
  EXPECT_EQ(ValueOf(*c, "algorithms[0].name"), "\"Пуск насоса\"");
  EXPECT_EQ(ValueOf(*c, "algorithms[0].members[1]"), "2");
}

TEST(ConfigurationDump, TextHasOneLinePerField) {
  auto c = MakeSampleConfiguration();
  const std::string text = DumpText(*c);
  EXPECT_NE(text.find("signals[0].text = \"Насос 1\"\n"), std::string::npos);
  EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')),
            FlattenDump(DumpConfiguration(*c)).size());
}

struct ChangeCase {
  const char* name;
  std::function<void(Configuration&)> change;
  const char* field;
};

class ConfigurationDiff : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ConfigurationDiff, OneChangeShowsAsItsField) {
  auto a = MakeSampleConfiguration();
  auto b = std::make_unique<Configuration>(*a);
  GetParam().change(*b);
  const auto diff = DiffConfigurations(*a, *b);
  ASSERT_FALSE(diff.empty());
  bool found = false;
  for (const auto& d : diff) found = found || d.field == GetParam().field;
  EXPECT_TRUE(found) << diff.front().field;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigurationDiff,
    ::testing::Values(
        ChangeCase{"SignalText", [](Configuration& c) { c.service.SetText(0, "Насос 2"); },
                   "signals[0].text"},
        ChangeCase{"AlarmType", [](Configuration& c) { c.discreteProcessing.SetAlarmType(5, 0x40); },
                   "signals[5].alarmType"},
        ChangeCase{"Setpoint", [](Configuration& c) { c.analogModules.SetSetpointHH(0, 1, "241"); },
                   "analogModules[0].channels[1].HH"},
        ChangeCase{"RelayMode", [](Configuration& c) { c.relayModules.SetMode(2, 0, 0); }, "outputs[2].mode"},
        ChangeCase{"Unit", [](Configuration& c) { c.analogModules.SetUnitName(3, "Па"); }, "units[3]"},
        ChangeCase{"NetworkSlave", [](Configuration& c) { c.networkMaster.SetSlave(0, 18); },
                   "network[0].slave"},
        ChangeCase{"F15Signal", [](Configuration& c) { c.function15Blocks.SetInputSignal(0, 0, 9); },
                   "function15[0].signals[0]"},
        ChangeCase{"FbInput", [](Configuration& c) { c.functionBlocks.SetInputNumber(0, 0, 4); },
                   "functionBlocks[0].inputs[0].number"},
        ChangeCase{"FbUnusedByte", [](Configuration& c) { c.functionBlocks.SetByte(1, 17, 1); },
                   "functionBlocks[1].record"},
        ChangeCase{"LoopTi", [](Configuration& c) { c.regulators.SetTi(0, "60"); }, "loops[0].Ti"},
        ChangeCase{"AlgorithmName", [](Configuration& c) { c.functionBlocks.SetAlgName(0, "Стоп"); },
                   "algorithms[0].name"},
        ChangeCase{"SensorType", [](Configuration& c) { c.discreteProcessing.SetSensorTypeByte(0, 1); },
                   "sensorTypes[0]"},
        ChangeCase{"Device", [](Configuration& c) { c.service.ConfiguredDevice = 7; }, "device"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigurationDiffTotals, EqualConfigurationsHaveNoDifference) {
  auto a = MakeSampleConfiguration();
  auto b = std::make_unique<Configuration>(*a);
  EXPECT_TRUE(DiffConfigurations(*a, *b).empty());
}

TEST(ConfigurationDiffTotals, DeviceBlocksOnly_LeavesOutWhatOnlyTheFileKeeps) {
  auto file = MakeSampleConfiguration();
  auto device = std::make_unique<Configuration>(*file);
  device->service.ConfiguredDevice = 0;
  device->service.SetOutputText(2, "");
  device->functionBlocks.ResetAfterRead();
  const auto all = DiffConfigurations(*file, *device);
  EXPECT_EQ(all.size(), 6u);  // device, output text, the algorithm's number, name and two members
  for (const auto& d : all) EXPECT_TRUE(IsFileOnlyField(d.field)) << d.field;
  EXPECT_TRUE(DiffConfigurations(*file, *device, {.deviceBlocksOnly = true}).empty());
  device->service.SetText(0, "Насос 2");
  const auto diff = DiffConfigurations(*file, *device, {.deviceBlocksOnly = true});
  ASSERT_EQ(diff.size(), 1u);
  EXPECT_EQ(diff[0].field, "signals[0].text");
}

TEST(ConfigurationDiffTotals, FieldsOnlyOneSideHasShowADash) {
  auto a = MakeSampleConfiguration("1100000000000000");
  auto b = MakeSampleConfiguration("1110000000000000");
  bool extraSignal = false;
  for (const auto& d : DiffConfigurations(*a, *b)) {
    if (d.field == "signals[30].text") {
      extraSignal = true;
      EXPECT_EQ(d.first, "-");
      EXPECT_EQ(d.second, "\"Дискр.сигн.031\"");
    }
  }
  EXPECT_TRUE(extraSignal);
}

TEST(ConfigurationDiffTotals, SavedAndReopenedConfigurationIsTheSame) {
  const auto path = std::filesystem::temp_directory_path() / "zul_dump_diff_roundtrip.zul";
  auto a = MakeSampleConfiguration();
  ScriptedInteraction ui;
  std::filesystem::remove(path);
  ASSERT_EQ(SaveZulFile(path, *a, ui), ZulSaveResult::Saved);
  auto b = std::make_unique<Configuration>();
  ASSERT_EQ(OpenZulFile(path, *b, ui), ZulOpenResult::Loaded);
  std::filesystem::remove(path);
  const auto diff = DiffConfigurations(*a, *b);
  EXPECT_TRUE(diff.empty()) << diff.front().field << ": " << diff.front().first << " / "
                            << diff.front().second;
}

}  // namespace
}  // namespace zul
