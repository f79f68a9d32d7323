// The configuration in memory against a controller's: differences grouped by
// the part they are stored in, and a write of only the parts that differ.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ConfigurationCompare.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/WriteConfiguration.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

Composition Modules(std::initializer_list<uint8_t> types) {
  Composition c;
  std::copy(types.begin(), types.end(), c.modules.begin());
  return c;
}

class CompareFixture : public ::testing::Test {
 protected:
  CompareFixture() : bus_(clock_), line_(bus_, clock_), port_(line_, clock_, ui_) {}

  void Start(const Composition& composition) {
    ControllerSetup setup;
    setup.composition = composition;
    setup.randomBlocks = true;
    setup.seed = 11;
    bus_.Add(setup);
    ASSERT_EQ(port_.OpenPort(), 0);
  }

  std::unique_ptr<Configuration> ReadDevice() {
    auto c = std::make_unique<Configuration>();
    const ReadResult r = ReadConfiguration(port_, *c, ui_);
    EXPECT_TRUE(r.ok) << r.Describe();
    return c;
  }

  std::vector<int> StoredBlocks() const {
    std::vector<int> blocks;
    for (const auto& f : line_.Written())
      if (f.size() > 2 && f[1] == 69) blocks.push_back(f[2]);
    return blocks;
  }

  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  ScriptedInteraction ui_;
  zul::test::WritingLink port_;
};

struct EditCase {
  const char* name;
  std::function<void(Configuration&)> edit;
  ConfigurationPart part;
  std::vector<int> blocks;  // what a write of the changed parts stores
};

class CompareEdits : public CompareFixture, public ::testing::WithParamInterface<EditCase> {};

TEST_P(CompareEdits, OneEditShowsInItsPartAndOnlyItsBlocksAreWritten) {
  const EditCase& c = GetParam();
  Start(Modules({1, 1, 6, 3, 14, 10}));
  auto memory = ReadDevice();
  c.edit(*memory);

  const auto differences = CompareWithController(*memory, *ReadDevice());
  ASSERT_EQ(differences.size(), 1u);
  EXPECT_EQ(differences[0].part, c.part);
  EXPECT_FALSE(differences[0].fields.empty());
  const auto parts = ChangedParts(differences);
  ASSERT_EQ(parts, std::set<ConfigurationPart>{c.part});

  const size_t before = line_.Written().size();
  memory->discreteProcessing.AccessLevel = kFullAccess;
  const WriteResult w = WriteConfiguration(port_, *memory, ui_, BlocksOfParts(parts, *memory));
  ASSERT_TRUE(w.ok()) << w.Describe();
  EXPECT_EQ(w.writtenBlocks, c.blocks);
  std::vector<int> stored;
  for (size_t i = before; i < line_.Written().size(); ++i)
    if (line_.Written()[i].size() > 2 && line_.Written()[i][1] == 69) stored.push_back(line_.Written()[i][2]);
  EXPECT_EQ(stored, c.blocks);

  // The controller now holds what memory holds.
  EXPECT_TRUE(CompareWithController(*memory, *ReadDevice()).empty());
}

std::vector<int> Range(int from, int to) {
  std::vector<int> r;
  for (int b = from; b <= to; ++b) r.push_back(b);
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Parts, CompareEdits,
    ::testing::Values(EditCase{"AlarmType",
                               [](Configuration& c) {
                                 c.discreteProcessing.SetAlarmType(
                                     3, c.discreteProcessing.GetAlarmType(3) == 0x40 ? 0x80 : 0x40);
                               },
                               ConfigurationPart::DiscreteSignals, Range(12, 25)},
                      EditCase{"SignalText", [](Configuration& c) { c.service.SetText(5, "Насос 5"); },
                               ConfigurationPart::SignalTexts, Range(40, 51)},
                      EditCase{"UnitName",
                               [](Configuration& c) { c.analogModules.SetUnitName(2, "кПа"); },
                               ConfigurationPart::Units,
                               {35}},
                      EditCase{"Setpoint",
                               [](Configuration& c) { c.analogModules.SetSetpointH(0, 1, "77.5"); },
                               ConfigurationPart::AnalogModules,
                               {1}},
                      EditCase{"Function15",
                               [](Configuration& c) {
                                 c.function15Blocks.SetSlave(0, c.function15Blocks.GetSlave(0) == 7 ? 8 : 7);
                               },
                               ConfigurationPart::Function15,
                               {11}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CompareFixture, EqualConfigurationsHaveNoDifferences) {
  Start(Modules({1, 6, 3}));
  EXPECT_TRUE(CompareWithController(*ReadDevice(), *ReadDevice()).empty());
}

TEST_F(CompareFixture, ASelectiveWriteToAnotherCompositionSendsNothing) {
  Start(Modules({1, 1, 6, 3}));
  auto memory = ReadDevice();
  memory->service.ModuleType[1] = 0;  // one discrete module fewer
  memory->service.DiModules = 1;
  memory->discreteProcessing.AccessLevel = kFullAccess;
  std::set<ConfigurationPart> parts{ConfigurationPart::DiscreteSignals};
  const WriteResult w = WriteConfiguration(port_, *memory, ui_, BlocksOfParts(parts, *memory));
  EXPECT_EQ(w.outcome, WriteOutcome::Incompatible);
  EXPECT_TRUE(StoredBlocks().empty());
  EXPECT_EQ(ui_.Last().text, kSelectiveWriteNeedsSameCompositionText);
}

TEST(ConfigurationParts, FieldsFallIntoThePartsThatStoreThem) {
  const std::pair<const char*, ConfigurationPart> cases[] = {
      {"signals[3].alarmType", ConfigurationPart::DiscreteSignals},
      {"signals[3].text", ConfigurationPart::SignalTexts},
      {"signals[3].identifier", ConfigurationPart::SignalTexts},
      {"analogModules[0].channels[1].H", ConfigurationPart::AnalogModules},
      {"networkAnalog[2].scaleMin", ConfigurationPart::Network},
      {"analogModules[0].channels[1].unit", ConfigurationPart::Units},
      {"analogModules[0].channels[1].unitIndex", ConfigurationPart::AnalogModules},
      {"networkLine.baudIndex", ConfigurationPart::Network},
      {"loops[0].KP", ConfigurationPart::Regulators},
      {"programs[1].points[0].time", ConfigurationPart::Regulators},
      {"functionBlocks[7].subtype", ConfigurationPart::FunctionBlocks},
      {"counts.SignalCount", ConfigurationPart::Composition},
      {"modules[2]", ConfigurationPart::Composition},
  };
  for (const auto& [field, part] : cases) EXPECT_EQ(PartOfField(field), part) << field;
  EXPECT_FALSE(DescribePart(ConfigurationPart::Composition).writable);
}

}  // namespace
}  // namespace zul
