// zul and the link over the two network transports against zul-sim on
// loopback: a serial device server in raw TCP mode and a Modbus TCP gateway.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "core/ScriptedInteraction.h"
#include "core/config/ZulFileLayout.h"
#include "core/link/ModbusLink.h"
#include "serial/QtSerialLine.h"
#include "support/ChildPrograms.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using namespace test;

ProgramRun Zul(const std::string& arguments) {
  static const std::string dir = [] {
    std::string d = TempPath("zul-network-cwd");
    std::filesystem::create_directories(d);
    return d;
  }();
  return RunCommand("cd '" + dir + "' && '" + BinDir() + "/zul' " + arguments + " --delay 0 2>&1 </dev/null");
}

class NetworkTransportTest : public ::testing::TestWithParam<SimTransport> {
 protected:
  void TearDown() override {
    for (const std::string& f : {Out("source"), Out("read")}) std::remove(f.c_str());
  }
  static std::string Out(const std::string& name) { return TempPath("zul-network-" + name) + ".zul"; }
};

TEST_P(NetworkTransportTest, AWholeWriteThenAWholeReadGiveTheFileBack) {
  {
    SimProcess seeded({"--modules", "1,10,6,3", "--seed", "5", "--save-on-exit", Out("source")}, GetParam());
    ASSERT_TRUE(seeded.Ready());
    ASSERT_EQ(seeded.Stop(), 0);
  }
  // A gateway with three controllers on its line; the file goes to unit 5.
  SimProcess sim({"--devices", "1,5,9", "--modules", "1,10,6,3", "--store-polls", "1"}, GetParam());
  ASSERT_TRUE(sim.Ready());
  const ProgramRun write =
      Zul("write " + Out("source") + " --port " + sim.Path() + " --device 5 --password 8411 --no-backup");
  ASSERT_EQ(write.exit, 0) << write.output;
  const ProgramRun read = Zul("read --port " + sim.Path() + " --device 5 -o " + Out("read"));
  ASSERT_EQ(read.exit, 0) << read.output;
  const ProgramRun verify = Zul("verify " + Out("read") + " --port " + sim.Path() + " --device 5");
  EXPECT_EQ(verify.exit, 0) << verify.output;
  const ProgramRun other = Zul("verify " + Out("read") + " --port " + sim.Path() + " --device 1");
  EXPECT_EQ(other.exit, 3) << "unit 1 keeps its own blocks\n" << other.output;
  // The port is remembered for `zul ports` and the shell's completion.
  EXPECT_NE(RunCommand("'" + BinDir() + "/zul' ports").output.find(sim.Path() + "\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Transports, NetworkTransportTest,
                         ::testing::Values(SimTransport::Tcp, SimTransport::ModbusTcp), [](const auto& info) {
                           return info.param == SimTransport::Tcp ? "Tcp" : "ModbusTcp";
                         });

class DroppedConnectionTest : public ::testing::TestWithParam<SimTransport> {
 protected:
  void Connect(const SimProcess& sim) {
    ASSERT_TRUE(sim.Ready());
    port.SetPortName(sim.Path());
    port.SetDelayBeforeRequest(0);
    port.SetRepeat1(3);
    ASSERT_EQ(port.OpenPort(), 0);
  }

  QtSerialLine line;
  SteadyClock clock;
  ScriptedInteraction ui;
  WritingLink port{line, clock, ui};
  std::array<uint8_t, kAnswerBufferSize> answer{};
};

// The store was heard and the line cut before its answer: as on a serial line
// that lost the answer, the next try (on a new connection) sends it again and
// the polls confirm it.
TEST_P(DroppedConnectionTest, ACutBeforeTheStoreAnswerIsRetriedOnANewConnection) {
  SimProcess sim({"--store-polls", "1", "--hangup-nth", "1"}, GetParam());
  Connect(sim);
  std::vector<uint8_t> units(96, 'x');
  EXPECT_TRUE(port.WriteBlock(0, 35, units));
  EXPECT_TRUE(ui.Shown().empty());
  ASSERT_EQ(port.Request(0, 68, std::vector<uint8_t>{35}, answer), kResultOk);
  EXPECT_EQ(answer[4], 'x');
}

// The server is gone in the middle of a write: the one reconnection of the
// try is refused, the failure names the system's reason and the write stops.
TEST_P(DroppedConnectionTest, AServerGoneMidWriteIsReportedWithTheSystemsReason) {
  SimProcess sim({"--store-polls", "1"}, GetParam());
  Connect(sim);
  ASSERT_EQ(port.Request(0, 17, {}, answer), kResultOk);
  ASSERT_EQ(sim.Stop(), 0);
  std::vector<uint8_t> units(96, 'x');
  EXPECT_FALSE(port.WriteBlock(0, 35, units));
  ASSERT_FALSE(ui.Shown().empty());
  EXPECT_NE(ui.Shown().front().text.find(kPortDisconnectedText), std::string::npos);
  EXPECT_NE(ui.Shown().front().text.find("refused"), std::string::npos) << ui.Shown().front().text;
}

INSTANTIATE_TEST_SUITE_P(Transports, DroppedConnectionTest,
                         ::testing::Values(SimTransport::Tcp, SimTransport::ModbusTcp), [](const auto& info) {
                           return info.param == SimTransport::Tcp ? "Tcp" : "ModbusTcp";
                         });

}  // namespace
}  // namespace zul
