// zul read, write, renumber and clock against zul-sim on a pseudo-terminal.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
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

extern char** environ;

namespace zul {
namespace {

std::string BinDir() {
  const char* dir = std::getenv("ZUL_BIN_DIR");
  return dir ? dir : ".";
}

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + name + "-" + std::to_string(getpid());
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// zul-sim as a child process; ready once it has printed its path.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    path_ = TempPath("zul-sim-device") + std::to_string(++count_);
    args.insert(args.begin(), {BinDir() + "/zul-sim", "--pty", path_, "--baud", "115200"});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string line;
    char c;
    pollfd p{out[0], POLLIN, 0};
    while (poll(&p, 1, 5000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    ready_ = pid_ > 0 && line == path_;
  }
  ~SimProcess() { Stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Ready() const { return ready_; }
  const std::string& Path() const { return path_; }
  int Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  static inline int count_ = 0;
  pid_t pid_ = -1;
  std::string path_;
  bool ready_ = false;
};

struct ZulRun {
  int exit = -1;
  std::string output;  // stdout and stderr
};

// Runs zul in an empty working directory (so no password file applies).
ZulRun Zul(const std::string& arguments) {
  static const std::string dir = [] {
    std::string d = TempPath("zul-device-cwd");
    std::filesystem::create_directories(d);
    return d;
  }();
  const std::string command =
      "cd '" + dir + "' && '" + BinDir() + "/zul' " + arguments + " --baud 115200 --delay 0 2>&1 </dev/null";
  ZulRun run;
  FILE* out = popen(command.c_str(), "r");
  if (!out) return run;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, out)) run.output += buffer;
  const int status = pclose(out);
  run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
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
    SimProcess sim({"--modules", "1,10,6,8,3,14", "--seed", "11", "--save-on-exit", source_});
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
  SimProcess sim({"--zul", source_});
  ASSERT_TRUE(sim.Ready());
  const ZulRun run = Zul("read --port " + sim.Path() + " -o " + Out("a"));
  ASSERT_EQ(run.exit, 0) << run.output;
  const std::vector<uint8_t> read = ReadBytes(Out("a"));
  ASSERT_EQ(read.size(), kZulFileSize);
  EXPECT_EQ(Modules(read), Modules(ReadBytes(source_)));
  EXPECT_EQ(ControllerSections(read), ControllerSections(ReadBytes(source_)));
}

TEST_F(ZulDeviceTest, WriteIntoAFreshControllerThenReadGivesTheSameBlocks) {
  SimProcess sim({"--modules", "1,10,6,8,3,14", "--store-polls", "0"});
  ASSERT_TRUE(sim.Ready());
  const ZulRun write = Zul("write " + source_ + " --port " + sim.Path() + " --password 8411");
  ASSERT_EQ(write.exit, 0) << write.output;
  EXPECT_NE(write.output.find("конфигурация\nсоответствует конфигурации прибора"), std::string::npos)
      << write.output;
  const ZulRun read = Zul("read --port " + sim.Path() + " -o " + Out("b"));
  ASSERT_EQ(read.exit, 0) << read.output;
  EXPECT_EQ(ControllerSections(ReadBytes(Out("b"))), ControllerSections(ReadBytes(source_)));
}

TEST_F(ZulDeviceTest, VerifyFindsNoDifferenceWithItsOwnFileAndSomeWithAnother) {
  SimProcess same({"--zul", source_});
  ASSERT_TRUE(same.Ready());
  const ZulRun equal = Zul("verify " + source_ + " --port " + same.Path());
  EXPECT_EQ(equal.exit, 0) << equal.output;
  SimProcess other({"--modules", "1,10,6,8,3,14", "--seed", "12"});
  ASSERT_TRUE(other.Ready());
  const ZulRun different = Zul("verify " + source_ + " --port " + other.Path());
  EXPECT_EQ(different.exit, 1);
  EXPECT_NE(different.output.find(" -> "), std::string::npos) << different.output;
}

TEST_F(ZulDeviceTest, WriteWithoutThePassword_IsRefusedAndSendsNothing) {
  const std::string log = TempPath("zul-device-log");
  SimProcess sim({"--modules", "1,10,6,8,3,14", "--log", log});
  ASSERT_TRUE(sim.Ready());
  const ZulRun run = Zul("write " + source_ + " --port " + sim.Path() + " --password 1");
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.output.find("Ваш уровень доступа не позволяет"), std::string::npos) << run.output;
  EXPECT_TRUE(ReadBytes(log).empty());
  std::remove(log.c_str());
}

TEST_F(ZulDeviceTest, ReadFromASilentLine_FailsWithTheLinkMessageAndWritesNoFile) {
  SimProcess sim({"--silent"});
  ASSERT_TRUE(sim.Ready());
  const ZulRun run = Zul("read --port " + sim.Path() + " -o " + Out("a"));
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.output.find("не отвечает на запрос"), std::string::npos) << run.output;
  EXPECT_FALSE(std::filesystem::exists(Out("a")));
}

TEST(ZulDeviceCommands, RenumberMovesTheControllerToItsNewAddress) {
  SimProcess sim({});
  ASSERT_TRUE(sim.Ready());
  const ZulRun run = Zul("renumber --port " + sim.Path() + " --device 1 --to 5");
  ASSERT_EQ(run.exit, 0) << run.output;
  EXPECT_EQ(Zul("raw --port " + sim.Path() + " --device 5 --function 17").exit, 0);
}

TEST(ZulDeviceCommands, ClockSetIsReadBack) {
  SimProcess sim({});
  ASSERT_TRUE(sim.Ready());
  const ZulRun set = Zul("clock --port " + sim.Path() + " --set \"09.03.24 13:07:05\"");
  ASSERT_EQ(set.exit, 0) << set.output;
  const ZulRun read = Zul("clock --port " + sim.Path());
  ASSERT_EQ(read.exit, 0) << read.output;
  // 9 March 2024 was a Saturday; a second or two may have passed.
  EXPECT_EQ(read.output.rfind("09.03.24 13:07:0", 0), 0u) << read.output;
  EXPECT_NE(read.output.find("сб"), std::string::npos) << read.output;
}

TEST(ZulDeviceCommands, BadClockTextIsAUsageError) {
  EXPECT_EQ(Zul("clock --port /dev/null --set \"32.01.24 10:00:00\"").exit, 2);
}

}  // namespace
}  // namespace zul
