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
  EXPECT_EQ(different.exit, 3);
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

TEST_F(ZulDeviceTest, SelectiveWriteWithoutThePassword_IsRefusedWithoutAnEmptyBlockList) {
  DeviceSim sim({"--modules", "1,10,6,8,3,14"});
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("write " + source_ + " --port " + sim.Path() + " --only-changed");
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.output.find("Ваш уровень доступа не позволяет"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("записаны блоки:"), std::string::npos) << run.output;
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
  EXPECT_EQ(run.output.rfind("результат 0\n01 06 00 64 01 2C", 0), 0u) << run.output;
}

struct BadClock {
  const char* name;
  const char* text;
  const char* message;
};

class ZulClockTexts : public ::testing::TestWithParam<BadClock> {};

TEST_P(ZulClockTexts, AreRefusedWithTheClockWindowsMessage) {
  const ProgramRun run =
      Zul(std::string("clock --port /dev/null --password 8411 --set \"") + GetParam().text + "\"");
  EXPECT_EQ(run.exit, 2);
  EXPECT_NE(run.output.find(GetParam().message), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ZulClockTexts,
    ::testing::Values(BadClock{"Month13", "09.13.24 10:00:00", "Величина вне диапазона 1 - 12"},
                      BadClock{"Day32", "32.01.24 10:00:00", "Величина вне диапазона 1 - 31"},
                      BadClock{"February30", "30.02.23 10:00:00", "Величина вне диапазона 1 - 28"},
                      BadClock{"Hour24", "09.03.24 24:00:00", "Величина вне диапазона 0 - 23"},
                      BadClock{"Minute60", "09.03.24 10:60:00", "Величина вне диапазона 0 - 59"},
                      BadClock{"NotATime", "yesterday", "DD.MM.YY hh:mm:ss"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ZulDeviceCommands, ClockSetWithoutFullAccess_IsRefusedAndSendsNothing) {
  const std::string log = TempPath("zul-clock-log");
  DeviceSim sim({"--log", log});
  ASSERT_TRUE(sim.Ready());
  for (const char* password : {"", " --password 1"}) {
    const ProgramRun run = Zul("clock --port " + sim.Path() + " --set now" + password);
    EXPECT_EQ(run.exit, 1) << password;
    EXPECT_NE(run.output.find("Ваш уровень доступа не позволяет"), std::string::npos) << run.output;
  }
  EXPECT_TRUE(ReadBytes(log).empty());
  std::remove(log.c_str());
}

// The controller refuses block 15 outright (busy, exception 6, included);
// its confirmation poll says nothing is pending.
struct RefusedStoreCase {
  const char* exception;
  const char* message;
};

class ZulRefusedStore : public ZulDeviceTest, public ::testing::WithParamInterface<RefusedStoreCase> {};

TEST_P(ZulRefusedStore, FailsTheWrite) {
  DeviceSim sim({"--modules", "1,10,6,8,3,14", "--store-polls", "0", "--exception", GetParam().exception});
  ASSERT_TRUE(sim.Ready());
  // The block cannot be read either, so the backup read would stop first.
  const ProgramRun run = Zul("write " + source_ + " --port " + sim.Path() + " --password 8411 --no-backup");
  EXPECT_EQ(run.exit, 1) << run.output;
  EXPECT_NE(run.output.find(GetParam().message), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("запись прервана на блоке 15"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("конфигурация записана"), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(Codes, ZulRefusedStore,
                         ::testing::Values(RefusedStoreCase{"15:4", "ошибка обмена 04"},
                                           RefusedStoreCase{"15:6", "Идет запись базы данных. Ждите."}));

TEST_F(ZulDeviceTest, ReadOutput_FollowsTheSaveRules) {
  DeviceSim sim({"--zul", source_});
  ASSERT_TRUE(sim.Ready());
  const std::string base = TempPath("zul-device-rules");
  // A wrong extension is refused and nothing is written.
  const ProgramRun txt = Zul("read --port " + sim.Path() + " -o " + base + ".txt");
  EXPECT_EQ(txt.exit, 1);
  EXPECT_NE(txt.output.find("Неверно задано имя файла"), std::string::npos) << txt.output;
  EXPECT_FALSE(std::filesystem::exists(base + ".txt"));
  // No extension gets ".zul".
  ASSERT_EQ(Zul("read --port " + sim.Path() + " -o " + base).exit, 0);
  EXPECT_EQ(ReadBytes(base + ".zul").size(), kZulFileSize);
  // A file of another composition is kept, whatever is answered.
  {
    std::vector<uint8_t> other = ReadBytes(base + ".zul");
    other[2] = 2;
    std::ofstream(base + ".zul", std::ios::binary)
        .write(reinterpret_cast<const char*>(other.data()), static_cast<std::streamsize>(other.size()));
  }
  const std::vector<uint8_t> kept = ReadBytes(base + ".zul");
  for (const char* answer : {"--no", "--yes"}) {
    const ProgramRun run = Zul("read --port " + sim.Path() + " " + answer + " -o " + base + ".zul");
    EXPECT_EQ(run.exit, 1) << answer << run.output;
    EXPECT_EQ(ReadBytes(base + ".zul"), kept) << answer;
  }
  // The same composition is replaced when the question is answered yes.
  const ProgramRun no = Zul("read --port " + sim.Path() + " --no -o " + source_);
  EXPECT_EQ(no.exit, 1) << no.output;
  EXPECT_NE(no.output.find("Файл с таким именем существует."), std::string::npos) << no.output;
  EXPECT_EQ(Zul("read --port " + sim.Path() + " --yes -o " + source_).exit, 0);
  std::remove((base + ".zul").c_str());
}

TEST(ZulDeviceCommands, SixtyBlockControllerIsReadSavedOpenedAndWrittenBack) {
  DeviceSim sim({"--modules", "1,6,3", "--fb", "60", "--seed", "5", "--store-polls", "0"});
  ASSERT_TRUE(sim.Ready());
  const std::string file = TempPath("zul-device-sixty") + ".zul";
  std::remove(file.c_str());
  const ProgramRun read = Zul("read --port " + sim.Path() + " -o " + file);
  ASSERT_EQ(read.exit, 0) << read.output;
  EXPECT_EQ(ReadBytes(file).size(), 19129u);
  const ProgramRun info = RunCommand("'" + BinDir() + "/zul' info " + file + " 2>&1");
  EXPECT_EQ(info.exit, 0) << info.output;
  EXPECT_EQ(info.output.find("Файл"), std::string::npos) << info.output;  // no warning: it opens whole
  const ProgramRun write = Zul("write " + file + " --port " + sim.Path() + " --password 8411");
  EXPECT_EQ(write.exit, 0) << write.output;
  EXPECT_EQ(Zul("verify " + file + " --port " + sim.Path()).exit, 0);
  // The saved file plays back as a 60-block controller that reads back the same bytes.
  {
    DeviceSim played({"--zul", file});
    ASSERT_TRUE(played.Ready());
    const std::string again = TempPath("zul-device-sixty-again") + ".zul";
    std::remove(again.c_str());
    const ProgramRun reread = Zul("read --port " + played.Path() + " -o " + again);
    ASSERT_EQ(reread.exit, 0) << reread.output;
    EXPECT_EQ(ReadBytes(again), ReadBytes(file));
    std::remove(again.c_str());
  }
  std::remove(file.c_str());
}

TEST(ZulDeviceCommands, SimulatorModulesReadLikeTheExecutionLine) {
  // Without commas: one hexadecimal digit per slot, as zul new reads them.
  DeviceSim sim({"--modules", "116E"});
  ASSERT_TRUE(sim.Ready());
  const std::string out = TempPath("zul-device-hex") + ".zul";
  std::remove(out.c_str());
  ASSERT_EQ(Zul("read --port " + sim.Path() + " -o " + out).exit, 0);
  EXPECT_EQ(Modules(ReadBytes(out)), (std::vector<uint8_t>{1, 1, 6, 14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  std::remove(out.c_str());
}

}  // namespace
}  // namespace zul
