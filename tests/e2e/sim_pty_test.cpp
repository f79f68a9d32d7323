// zul-sim on a real pseudo-terminal, driven through QtSerialLine and zul.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/ScriptedInteraction.h"
#include "core/config/ZulFileLayout.h"
#include "core/link/ModbusLink.h"
#include "serial/QtSerialLine.h"
#include "support/ChildPrograms.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using namespace test;

class SimPtyTest : public ::testing::Test {
 protected:
  void Connect(const SimProcess& sim) {
    ASSERT_TRUE(sim.Ready());
    port.SetPortName(sim.Path());
    port.SetBaudText("115200");
    port.SetDelayBeforeRequest(0);
    ASSERT_EQ(port.OpenPort(), 0);
  }
  int Request(uint8_t function, std::vector<uint8_t> data = {}) {
    answer.fill(0);
    return port.Request(0, function, data, answer);
  }

  QtSerialLine line;
  SteadyClock clock;
  ScriptedInteraction ui;
  test::WritingLink port{line, clock, ui};
  std::array<uint8_t, kAnswerBufferSize> answer{};
};

TEST_F(SimPtyTest, IdentityAndARecordBlockCrossThePty) {
  SimProcess sim({"--modules", "1,1,6,3"});
  Connect(sim);
  ASSERT_EQ(Request(17), kResultOk);
  EXPECT_EQ((std::vector<uint8_t>{answer[2], answer[4], answer[5], answer[6], answer[7]}),
            (std::vector<uint8_t>{23, 1, 1, 6, 3}));
  ASSERT_EQ(Request(68, {12}), kResultOk);
  EXPECT_EQ(answer[2], 199);
  EXPECT_EQ(answer[3], 12);
}

TEST_F(SimPtyTest, StoreIsConfirmedAfterTheBusyPolls) {
  SimProcess sim({"--store-polls", "3"});
  Connect(sim);
  std::vector<uint8_t> units(96, ' ');
  EXPECT_TRUE(port.WriteBlock(0, 35, units));
  EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(SimPtyTest, BadChecksumsAreRetriedAndCountedInTheLog) {
  std::string log = TempPath("zul-sim-log");
  SimProcess sim({"--badcrc-nth", "1,2", "--log", log});
  Connect(sim);
  EXPECT_EQ(Request(68, {40}), kResultOk);
  EXPECT_EQ(answer[2], 225);
  std::ifstream in(log);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
  EXPECT_NE(text.find("\"fault\":\"badcrc\""), std::string::npos);
  std::remove(log.c_str());
}

TEST_F(SimPtyTest, SilentControllerGivesNoAnswer) {
  SimProcess sim({"--silent"});
  Connect(sim);
  port.SetRepeat1(1);
  EXPECT_EQ(Request(17), kResultNoAnswer);
}

TEST(SimPtyProgram, StopsCleanlyRemovingItsLinkAndSavingItsBlocks) {
  std::string zul = TempPath("zul-sim-saved") + ".zul";
  SimProcess sim({"--modules", "1,6,3", "--save-on-exit", zul});
  ASSERT_TRUE(sim.Ready());
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(PathExists(sim.Path()));
  std::ifstream in(zul, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), kZulFileSize);
  EXPECT_EQ(bytes[2], 1);  // identity: slot 1
  EXPECT_EQ(bytes[3], 6);
  std::remove(zul.c_str());
}

TEST(SimPtyProgram, RefusesToReplaceAFileThatIsNotALink) {
  std::string path = TempPath("zul-sim-plain");
  { std::ofstream(path) << "keep"; }
  std::string command = BinDir() + "/zul-sim --pty " + path + " 2>/dev/null";
  EXPECT_NE(std::system(command.c_str()), 0);
  std::ifstream in(path);
  std::string text;
  in >> text;
  EXPECT_EQ(text, "keep");
  std::remove(path.c_str());
}

TEST(SimPtyProgram, ZulRawReadsRecordBlock12WithByteCount199) {
  SimProcess sim({"--modules", "1,1,6,3"});
  ASSERT_TRUE(sim.Ready());
  std::string command = BinDir() + "/zul raw --port " + sim.Path() + " --function 68 --data 0C";
  FILE* out = popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  std::string text;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, out)) text += buffer;
  EXPECT_EQ(pclose(out), 0);
  EXPECT_NE(text.find("результат 0"), std::string::npos) << text;
  EXPECT_NE(text.find("01 44 C7 0C"), std::string::npos) << text;
}

}  // namespace
}  // namespace zul
