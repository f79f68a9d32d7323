// Every write under a failing line: the answers of one request after another
// are dropped until the link gives up on it. The write must report the
// failure and leave the configuration in memory as it was; once the line is
// good again, a retry must bring the controller to the state a clean write
// gives. In virtual time against a simulated controller.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ControllerClock.h"
#include "core/config/ControllerImage.h"
#include "core/config/DeviceNumber.h"
#include "core/config/InformTables.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/WriteConfiguration.h"
#include "core/config/ZulFile.h"
#include "core/editing/DiscreteProcessingEditing.h"
#include "core/editing/FunctionBlockEditing.h"
#include "core/editing/LocalNetworkEditing.h"
#include "core/editing/ModuleEditing.h"
#include "core/editing/RegulatorEditing.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedLine.h"

namespace zul {
namespace {

// A controller of every kind of module, read into memory, then edited.
class Rig {
 public:
  Rig() : bus_(clock), line(bus_, clock), port(line, clock, ui) {
    port.BindAccessLevel(&config.discreteProcessing.AccessLevel);
    ControllerSetup setup;
    setup.composition.modules = {1, 10, 6, 3, 14};
    controller = &bus_.Add(setup);
    port.OpenPort();
    read = ReadConfiguration(port, config, ui).ok;
    config.discreteProcessing.AccessLevel = kFullAccess;
    config.service.CurrentDevice = 0;
    ui.Clear();
  }

  // Drops every answer from the n-th next request on; Heal() ends it.
  void FailFromRequest(int n) {
    FaultSettings faults;
    for (int k = 0; k < 40; ++k) faults.drop.requests.insert(controller->Requests() + n + k);
    controller->SetFaults(faults);
  }
  void Heal() { controller->SetFaults({}); }

  VirtualClock clock;

 private:
  SimulatedBus bus_;

 public:
  SimulatedLine line;
  ScriptedInteraction ui;
  ModbusLink port;
  Configuration config;
  SimulatedController* controller = nullptr;
  bool read = false;
};

// One write command: how it edits memory first, how it is sent, what of the
// memory it must leave alone when it fails.
struct WriteCommand {
  const char* name;
  std::function<void(Configuration&)> edit;
  std::function<bool(Rig&)> send;
};

std::vector<uint8_t> MemoryOf(const Configuration& c) { return ZulFileBytes(c); }

bool SendModule(std::unique_ptr<EditedBlock> block) { return SendEditedBlock(*block); }

const std::vector<WriteCommand>& Commands() {
  static const std::vector<WriteCommand> commands = {
      {"WholeWrite",
       [](Configuration& c) {
         c.analogModules.SetSetpointH(0, 1, "42");
         c.service.SetText(3, "Насос 3");
       },
       [](Rig& r) { return WriteConfiguration(r.port, r.config, r.ui).ok(); }},
      {"AnalogModuleWindow",
       [](Configuration& c) {
         c.analogModules.SetSetpointH(0, 2, "55");
         c.analogModules.Unchanged[0] = 0;
       },
       [](Rig& r) {
         return SendModule(std::make_unique<AnalogModuleBlock>(r.config.analogModules, r.config.reserveBlocks,
                                                               r.port, r.config.service.CurrentDevice, 0));
       }},
      {"RelayModuleWindow",
       [](Configuration& c) {
         c.relayModules.SetMode(2, 0, 1);
         c.relayModules.Unchanged[0] = 0;
       },
       [](Rig& r) {
         return SendModule(std::make_unique<RelayModuleBlock>(r.config.relayModules, r.config.reserveBlocks,
                                                              r.port, r.config.service.CurrentDevice, 0));
       }},
      {"SensorTypesWindow",
       [](Configuration& c) {
         c.discreteProcessing.SetSensorType(1, 2, 1);
         c.discreteProcessing.ModuleSynced[2] = 0;
       },
       [](Rig& r) {
         return SendModule(std::make_unique<SensorTypeBlock>(
             r.config.discreteProcessing, r.config.reserveBlocks, r.port, r.config.service.CurrentDevice, 2));
       }},
      {"Units", [](Configuration& c) { c.analogModules.SetUnitName(3, "бар"); },
       [](Rig& r) {
         const auto units = r.config.analogModules.GetUnits();
         const size_t count =
             std::min<size_t>(static_cast<size_t>(r.config.service.UnitsBlockLen - 1), units.size());
         return StoreConfirmed(r.port, r.config.service, AnalogModules::kUnitsBlockNumber, units.first(count),
                               r.config.service.CurrentDevice) == kResultOk;
       }},
      {"SignalText",
       [](Configuration& c) {
         c.service.SetText(5, "Задвижка");
         c.service.TextChanged = 1;
       },
       [](Rig& r) { return SendEditedSignalText(r.config, r.port, r.ui, 5, {}) == TextWrite::Written; }},
      {"DiscreteProcessingEditor",
       [](Configuration& c) {
         c.discreteProcessing.SetRecord(20, ProcessingRecord{0x83, 1, 0, 0, 0, 0, 0, 0, 0, 0x45});
         c.discreteProcessing.SchemeAssigned = 1;
         c.discreteProcessing.Modified = 1;
       },
       [](Rig& r) {
         const EditorWriteOutcome outcome = WriteProcessingRecords(r.port, r.config, r.ui).outcome;
         // A retry finds nothing left to send once the changed block got through.
         return outcome == EditorWriteOutcome::Written ||
                (outcome == EditorWriteOutcome::Declined && ChangedBlocks(r.config).empty());
       }},
      {"FunctionBlockEditor",
       [](Configuration& c) {
         c.functionBlocks.SetTypeCode(0, ftAND + 1);
         c.functionBlocks.SetTypeCode(1, ftOR + 1);
         c.functionBlocks.RecountBlocks();
       },
       [](Rig& r) { return WriteFunctionBlockTable(r.config, r.port, r.ui); }},
      {"RegulatorEditor",
       [](Configuration& c) {
         c.regulators.SetPV(1, 5);
         c.regulators.SetProgReg(2, 9);
         c.regulators.RegModified = 1;
       },
       [](Rig& r) { return WriteRegulatorBlocks(r.port, r.config, r.ui); }},
      {"Function15Editor",
       [](Configuration& c) {
         c.function15Blocks.SetSlave(0, 7);
         c.function15Blocks.Unchanged = 0;
       },
       [](Rig& r) { return WriteFunction15Block(r.config, r.port, r.ui); }},
  };
  return commands;
}

// The controller after a clean run of the command.
BlockStore CleanResult(const WriteCommand& command, int* requests) {
  Rig rig;
  EXPECT_TRUE(rig.read);
  command.edit(rig.config);
  const int before = rig.controller->Requests();
  EXPECT_TRUE(command.send(rig)) << command.name;
  *requests = rig.controller->Requests() - before;
  return rig.controller->Blocks();
}

class WriteUnderFaults : public ::testing::TestWithParam<WriteCommand> {};

TEST_P(WriteUnderFaults, FailureAtEachRequestIsReportedKeepsMemoryAndARetryConverges) {
  const WriteCommand& command = GetParam();
  int requests = 0;
  const BlockStore intended = CleanResult(command, &requests);
  ASSERT_GT(requests, 0);
  for (int n = 1; n <= requests; ++n) {
    SCOPED_TRACE("answers dropped from request " + std::to_string(n));
    Rig rig;
    ASSERT_TRUE(rig.read);
    command.edit(rig.config);
    const std::vector<uint8_t> memory = MemoryOf(rig.config);
    const int device = rig.config.service.CurrentDevice;

    rig.FailFromRequest(n);
    EXPECT_FALSE(command.send(rig));
    EXPECT_FALSE(rig.ui.Shown().empty()) << "a failed write must say so";
    EXPECT_EQ(MemoryOf(rig.config), memory);
    EXPECT_EQ(rig.config.service.CurrentDevice, device);

    rig.Heal();
    rig.ui.Clear();
    Configuration reread;
    reread.service.CurrentDevice = device;
    EXPECT_TRUE(ReadConfiguration(rig.port, reread, rig.ui).ok);
    EXPECT_TRUE(command.send(rig));
    EXPECT_EQ(rig.controller->Blocks(), intended);
  }
}

INSTANTIATE_TEST_SUITE_P(Writes, WriteUnderFaults, ::testing::ValuesIn(Commands()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClockUnderFaults, APortFailureIsReportedAndARetrySetsTheClock) {
  Rig rig;
  ASSERT_TRUE(rig.read);
  const ControllerTime wanted = FromCalendar(2025, 3, 9, 13, 7, 5, 7);
  const CalendarTime before = rig.controller->ClockNow();
  rig.line.Unplug(true);
  const int result = SendClock(rig.port, 0, wanted);
  EXPECT_EQ(result, kResultPortFailure);
  EXPECT_FALSE(rig.ui.Shown().empty());
  rig.line.Unplug(false);
  EXPECT_EQ(rig.controller->ClockNow().day, before.day);
  ASSERT_EQ(SendClock(rig.port, 0, wanted), kResultOk);
  const CalendarTime now = rig.controller->ClockNow();
  EXPECT_EQ(now.day, 9);
  EXPECT_EQ(now.month, 3);
  EXPECT_EQ(now.year, 25);
}

// A renumbering whose store went out but whose confirmation was lost: the
// controller has its new number, and the program addresses it there; asking
// again for the same number then confirms it.
TEST(RenumberUnderFaults, FailureAtEachRequestIsReportedAndARetryConverges) {
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE("answers dropped from request " + std::to_string(n));
    Rig rig;
    ASSERT_TRUE(rig.read);
    rig.FailFromRequest(n);
    EXPECT_NE(RenumberDevice(rig.port, rig.config.service, 5), kResultOk);
    EXPECT_FALSE(rig.ui.Shown().empty());
    rig.Heal();
    EXPECT_EQ(RenumberDevice(rig.port, rig.config.service, 5), kResultOk);
    EXPECT_EQ(rig.controller->Address(), 5);
    EXPECT_EQ(rig.config.service.CurrentDevice, 4);
  }
}

// Without full access nothing leaves the program, whichever write it is.
TEST(WritesWithoutAccess, SendNothingAndShowTheRefusal) {
  for (const WriteCommand& command : Commands()) {
    SCOPED_TRACE(command.name);
    Rig rig;
    ASSERT_TRUE(rig.read);
    command.edit(rig.config);
    rig.config.discreteProcessing.AccessLevel = kViewingAccess;
    const size_t written = rig.line.Written().size();
    EXPECT_FALSE(command.send(rig));
    EXPECT_EQ(rig.line.Written().size(), written);
    ASSERT_FALSE(rig.ui.Shown().empty());
    EXPECT_EQ(rig.ui.Last().text, kNoWriteAccessText);
  }
  Rig rig;
  rig.config.discreteProcessing.AccessLevel = kViewingAccess;
  const size_t written = rig.line.Written().size();
  EXPECT_EQ(RenumberDevice(rig.port, rig.config.service, 5), kResultNoAccess);
  EXPECT_EQ(rig.config.service.CurrentDevice, 0);
  EXPECT_EQ(SendClock(rig.port, 0, FromCalendar(2025, 3, 9, 13, 7, 5, 7)), kResultNoAccess);
  EXPECT_EQ(rig.line.Written().size(), written);
}

}  // namespace
}  // namespace zul
