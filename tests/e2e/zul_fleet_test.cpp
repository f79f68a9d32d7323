// zul fleet against several zul-sim lines at once: a pty, a serial device
// server, a gateway and a line where nobody listens.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/config/ZulFileLayout.h"
#include "support/ChildPrograms.h"

namespace zul {
namespace {

using namespace test;

ProgramRun Zul(const std::string& arguments) {
  return RunCommand("'" + BinDir() + "/zul' " + arguments + " 2>&1 </dev/null");
}

class ZulFleetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempPath("zul-fleet-out");
    std::filesystem::remove_all(folder_);
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    std::remove(inventory_.c_str());
  }
  void WriteInventory(const std::string& text) { std::ofstream(inventory_) << text; }

  std::string folder_;
  std::string inventory_ = TempPath("zul-fleet-inventory");
};

TEST_F(ZulFleetTest, ADeadLineAndARefusingControllerFailOnlyThemselves) {
  SimProcess pty({"--devices", "1,2", "--baud", "115200"}, "zul-sim-fleet");
  // Controller 2 of the device server refuses block 40 of its read.
  SimProcess server({"--devices", "1,2,3", "--exception", "2=40:4"}, SimTransport::Tcp);
  SimProcess gateway({"--devices", "4,5"}, SimTransport::ModbusTcp);
  ASSERT_TRUE(pty.Ready() && server.Ready() && gateway.Ready());
  WriteInventory(
      "# the plant\n"
      "hall-1 " +
      pty.Path() +
      " 1,2 baud=115200 delay=0\n"
      "hall-2 " +
      server.Path() +
      " 1-3 delay=0   # behind a device server\n"
      "gw " +
      gateway.Path() +
      " 4,5 delay=0\n"
      "dead tcp://127.0.0.1:1 7\n");

  const ProgramRun backup = Zul("fleet backup " + inventory_ + " -o " + folder_ + " --json");
  EXPECT_EQ(backup.exit, 1) << backup.output;
  for (const char* file :
       {"hall-1/1.zul", "hall-1/2.zul", "hall-2/1.zul", "hall-2/3.zul", "gw/4.zul", "gw/5.zul"})
    EXPECT_EQ(ReadBytes(folder_ + "/" + file).size(), kZulFileSize) << file;
  EXPECT_FALSE(PathExists(folder_ + "/hall-2/2.zul"));
  EXPECT_FALSE(PathExists(folder_ + "/dead"));
  EXPECT_NE(backup.output.find("\"ok\": false"), std::string::npos) << backup.output;
  EXPECT_NE(backup.output.find("ошибка обмена 04"), std::string::npos) << backup.output;
  EXPECT_NE(backup.output.find("Connection refused"), std::string::npos) << backup.output;
  EXPECT_NE(backup.output.find("6 of 8 controller(s) ok on 4 line(s)"), std::string::npos) << backup.output;

  // The same inventory without the failing ones verifies clean against its backup.
  WriteInventory("hall-1 " + pty.Path() +
                 " 1,2 baud=115200 delay=0\n"
                 "hall-2 " +
                 server.Path() +
                 " 1,3 delay=0\n"
                 "gw " +
                 gateway.Path() + " 4,5 delay=0\n");
  const ProgramRun verify = Zul("fleet verify " + inventory_ + " -o " + folder_);
  EXPECT_EQ(verify.exit, 0) << verify.output;
  const ProgramRun scan = Zul("fleet scan " + inventory_);
  EXPECT_EQ(scan.exit, 0) << scan.output;
  EXPECT_NE(scan.output.find("modules 1,1,6,3"), std::string::npos) << scan.output;
}

TEST_F(ZulFleetTest, TheJsonInventoryNamesItsLines) {
  SimProcess gateway({"--devices", "1,2"}, SimTransport::ModbusTcp);
  ASSERT_TRUE(gateway.Ready());
  WriteInventory(R"({"lines": [{"name": "gw", "port": ")" + gateway.Path() +
                 R"(", "devices": [2, 1], "delay": 0}]})");
  const ProgramRun backup = Zul("fleet backup " + inventory_ + " -o " + folder_);
  EXPECT_EQ(backup.exit, 0) << backup.output;
  EXPECT_EQ(ReadBytes(folder_ + "/gw/2.zul").size(), kZulFileSize);
}

TEST_F(ZulFleetTest, ABadInventoryIsAUsageErrorNamingItsLine) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"a /dev/ttyS0 1\na /dev/ttyS1 2\n", "line 2: the name 'a' is used twice"},
      {"../up /dev/ttyS0 1\n", "line 1: the name '../up' is not a folder name"},
      {"a http://x:1 1\n", "line 1: 'http://x:1' is not a port name"},
      {"a /dev/ttyS0 0-3\n", "line 1: addresses must be"},
      {"a /dev/ttyS0 1,1\n", "line 1: an address is listed twice"},
      {"a /dev/ttyS0 1 parity=X\n", "line 1: bad setting 'parity=X'"},
      {"# nothing\n", "no lines"},
      {"{\"lines\": [{\"name\": \"a\", \"port\": \"/dev/ttyS0\", \"devices\": [32]}]}",
       "lines[0]: addresses"},
      {"{\"lines\": [", "JSON:"},
  };
  for (const Case& c : cases) {
    WriteInventory(c.text);
    const ProgramRun run = Zul("fleet scan " + inventory_);
    EXPECT_EQ(run.exit, 2) << c.text;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.text << "\n" << run.output;
  }
  EXPECT_FALSE(PathExists(folder_));
}

}  // namespace
}  // namespace zul
