// zul read, write, renumber and clock against zul-sim on a pseudo-terminal.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/config/ZulFileLayout.h"
#include "support/ChildPrograms.h"

namespace zul {
namespace {

using namespace test;

// Every simulator here runs at the speed zul is told to use.
std::vector<std::string> At115200(std::vector<std::string> options) {
  options.insert(options.end(), {"--baud", "115200"});
  return options;
}

class DeviceSim : public SimProcess {
 public:
  explicit DeviceSim(std::vector<std::string> options)
      : SimProcess(At115200(std::move(options)), "zul-sim-device") {}
};

// Runs zul in an empty working directory (so no password file applies).
ProgramRun Zul(const std::string& arguments) {
  static const std::string dir = [] {
    std::string d = TempPath("zul-device-cwd");
    std::filesystem::create_directories(d);
    return d;
  }();
  const std::string command =
      "cd '" + dir + "' && '" + BinDir() + "/zul' " + arguments + " --baud 115200 --delay 0 2>&1 </dev/null";
  return RunCommand(command);
}

// The sections of a file that the controller keeps (the output texts, the
// function-block names and the algorithms live in the file only).
ZulSections ControllerSections(const std::vector<uint8_t>& file) {
  ZulSections kept;
  for (auto& [key, bytes] : ZulSplit(file.data(), file.size()).sections) {
    const bool outputText = key >= 52 && key <= 55;
    if (key <= 98 && !outputText) kept[key] = bytes;
  }
  return kept;
}

// Slots 1..16 of the identity section.
std::vector<uint8_t> Modules(const std::vector<uint8_t>& file) {
  return std::vector<uint8_t>(file.begin() + 2, file.begin() + 18);
}

class ZulDeviceTest : public ::testing::Test {
 protected:
  // A 37,129-byte file of a controller with every kind of block, random contents.
  void SetUp() override {
    source_ = TempPath("zul-device-source") + ".zul";
    DeviceSim sim({"--modules", "1,10,6,8,3,14", "--seed", "11", "--save-on-exit", source_});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(sim.Stop(), 0);
    ASSERT_EQ(ReadBytes(source_).size(), kZulFileSize);
  }
  void TearDown() override {
    for (const std::string& f : {source_, Out("a"), Out("b")}) std::remove(f.c_str());
  }
  std::string Out(const std::string& name) const { return TempPath("zul-device-" + name) + ".zul"; }

  std::string source_;
};

TEST_F(ZulDeviceTest, ReadGivesAFileWithTheControllerBlocksOfTheSimulatedOne) {
  DeviceSim sim({"--zul", source_});
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("read --port " + sim.Path() + " -o " + Out("a"));
  ASSERT_EQ(run.exit, 0) << run.output;
  const std::vector<uint8_t> read = ReadBytes(Out("a"));
  ASSERT_EQ(read.size(), kZulFileSize);
  EXPECT_EQ(Modules(read), Modules(ReadBytes(source_)));
  EXPECT_EQ(ControllerSections(read), ControllerSections(ReadBytes(source_)));
}

TEST_F(ZulDeviceTest, WriteIntoAFreshControllerThenReadGivesTheSameBlocks) {
  DeviceSim sim({"--modules", "1,10,6,8,3,14", "--store-polls", "0"});
  ASSERT_TRUE(sim.Ready());
  const ProgramRun write = Zul("write " + source_ + " --port " + sim.Path() + " --password 8411");
  ASSERT_EQ(write.exit, 0) << write.output;
  EXPECT_NE(write.output.find("конфигурация\nсоответствует конфигурации прибора"), std::string::npos)
      << write.output;
  const ProgramRun read = Zul("read --port " + sim.Path() + " -o " + Out("b"));
  ASSERT_EQ(read.exit, 0) << read.output;
  EXPECT_EQ(ControllerSections(ReadBytes(Out("b"))), ControllerSections(ReadBytes(source_)));
}

TEST_F(ZulDeviceTest, VerifyFindsNoDifferenceWithItsOwnFileAndSomeWithAnother) {
  DeviceSim same({"--zul", source_});
  ASSERT_TRUE(same.Ready());
  const ProgramRun equal = Zul("verify " + source_ + " --port " + same.Path());
  EXPECT_EQ(equal.exit, 0) << equal.output;
  DeviceSim other({"--modules", "1,10,6,8,3,14", "--seed", "12"});
  ASSERT_TRUE(other.Ready());
  const ProgramRun different = Zul("verify " + source_ + " --port " + other.Path());
  EXPECT_EQ(different.exit, 1);
  EXPECT_NE(different.output.find(" -> "), std::string::npos) << different.output;
}

TEST_F(ZulDeviceTest, WriteWithoutThePassword_IsRefusedAndSendsNothing) {
  const std::string log = TempPath("zul-device-log");
  DeviceSim sim({"--modules", "1,10,6,8,3,14", "--log", log});
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("write " + source_ + " --port " + sim.Path() + " --password 1");
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.output.find("Ваш уровень доступа не позволяет"), std::string::npos) << run.output;
  EXPECT_TRUE(ReadBytes(log).empty());
  std::remove(log.c_str());
}

TEST_F(ZulDeviceTest, ReadFromASilentLine_FailsWithTheLinkMessageAndWritesNoFile) {
  DeviceSim sim({"--silent"});
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("read --port " + sim.Path() + " -o " + Out("a"));
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.output.find("не отвечает на запрос"), std::string::npos) << run.output;
  EXPECT_FALSE(std::filesystem::exists(Out("a")));
}

TEST(ZulDeviceCommands, RenumberMovesTheControllerToItsNewAddress) {
  DeviceSim sim({});
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("renumber --port " + sim.Path() + " --device 1 --to 5 --password 8411");
  ASSERT_EQ(run.exit, 0) << run.output;
  EXPECT_EQ(Zul("raw --port " + sim.Path() + " --device 5 --function 17").exit, 0);
}

TEST(ZulDeviceCommands, ClockSetIsReadBack) {
  DeviceSim sim({});
  ASSERT_TRUE(sim.Ready());
  const ProgramRun set = Zul("clock --port " + sim.Path() + " --set \"09.03.24 13:07:05\" --password 8411");
  ASSERT_EQ(set.exit, 0) << set.output;
  const ProgramRun read = Zul("clock --port " + sim.Path());
  ASSERT_EQ(read.exit, 0) << read.output;
  // 9 March 2024 was a Saturday; a second or two may have passed.
  EXPECT_EQ(read.output.rfind("09.03.24 13:07:0", 0), 0u) << read.output;
  EXPECT_NE(read.output.find("сб"), std::string::npos) << read.output;
}

// Every command that writes, without full access: the refusal, and not one
// frame on the line.
class WritingCommandWithoutPassword : public ::testing::TestWithParam<const char*> {};

TEST_P(WritingCommandWithoutPassword, IsRefusedAndSendsNothing) {
  const std::string log = TempPath("zul-refusal-log");
  std::remove(log.c_str());
  DeviceSim sim({"--log", log});
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul(std::string(GetParam()) + " --port " + sim.Path() + " --password 1");
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.output.find("Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт"),
            std::string::npos)
      << run.output;
  EXPECT_TRUE(ReadBytes(log).empty());
  std::remove(log.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Cli, WritingCommandWithoutPassword,
    ::testing::Values("renumber --device 1 --to 5", "clock --set now", "raw --function 5 --data 10230000",
                      "raw --function 6 --data 00101234", "raw --function 15 --data 0001000801FF",
                      "raw --function 16 --data 00010001020005", "raw --function 69 --data 23",
                      "raw --function 70 --data 05070D09031804"));

TEST(ZulDeviceCommands, WriteSingleRegisterIsAnsweredByItsEcho) {
  DeviceSim sim({});
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run =
      Zul("raw --port " + sim.Path() + " --function 6 --data \"00 64 01 2C\" --password 8411");
  ASSERT_EQ(run.exit, 0) << run.output;
  EXPECT_EQ(run.output.rfind("result 0\n01 06 00 64 01 2C", 0), 0u) << run.output;
}

TEST(ZulDeviceCommands, BadClockTextIsAUsageError) {
  EXPECT_EQ(Zul("clock --port /dev/null --set \"32.01.24 10:00:00\"").exit, 2);
}

}  // namespace
}  // namespace zul
