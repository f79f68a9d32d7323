// A save killed at any moment leaves the old file or the new one, never a mix
// or a truncation; and the temporary file a killed save leaves behind goes
// with the next save of that file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/config/DurableFile.h"
#include "support/ChildPrograms.h"

extern char** environ;

namespace zul {
namespace {

using namespace test;
namespace fs = std::filesystem;

// Starts the program and kills it after `delayUs`; returns true when it had
// already ended by itself.
bool RunAndKill(const std::vector<std::string>& command, int delayUs) {
  std::vector<char*> argv;
  std::vector<std::string> args = command;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  usleep(static_cast<useconds_t>(delayUs));
  int status = 0;
  const bool ended = waitpid(pid, &status, WNOHANG) == pid;
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  return ended;
}

int64_t RunMicroseconds(const std::vector<std::string>& command) {
  const auto start = std::chrono::steady_clock::now();
  std::string line;
  for (const auto& a : command) line += "'" + a + "' ";
  EXPECT_EQ(RunCommand(line + ">/dev/null 2>&1 </dev/null").exit, 0) << line;
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
      .count();
}

size_t Leftovers(const fs::path& target) {
  size_t n = 0;
  for (const auto& entry : fs::directory_iterator(target.parent_path()))
    if (IsTemporaryFileOf(entry.path(), target)) ++n;
  return n;
}

// Kills `command` (which writes `target`, holding `oldBytes`, with `newBytes`)
// at points spread over its run, finer towards its end where the file is written.
void KillAtManyPoints(const std::vector<std::string>& command, const fs::path& target, const fs::path& oldFile,
                      const std::vector<uint8_t>& newBytes) {
  const std::vector<uint8_t> oldBytes = ReadBytes(oldFile.string());
  const int64_t runUs = RunMicroseconds(command);
  std::vector<int> delays;
  for (int k = 0; k < 20; ++k) delays.push_back(static_cast<int>(runUs * k / 20));
  for (int k = 0; k < 30; ++k) delays.push_back(static_cast<int>(runUs * (70 + k) / 100));
  for (int delay : delays) {
    SCOPED_TRACE("killed after " + std::to_string(delay) + " us");
    ASSERT_TRUE(RunCommand("cp '" + oldFile.string() + "' '" + target.string() + "'").exit == 0);
    RunAndKill(command, delay);
    const std::vector<uint8_t> now = ReadBytes(target.string());
    EXPECT_TRUE(now == oldBytes || now == newBytes) << "size " << now.size();
  }
  // A whole save now clears what the killed ones left.
  RunMicroseconds(command);
  EXPECT_EQ(ReadBytes(target.string()), newBytes);
  EXPECT_EQ(Leftovers(target), 0u);
}

class KilledSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TempPath("killed-save");
    fs::create_directories(dir_);
    oldFile_ = dir_ / "old.zul";
    ASSERT_EQ(RunCommand(Zul() + " new --modules 6,6,1,1 -o '" + oldFile_.string() + "' --yes").exit, 0);
    ASSERT_FALSE(ReadBytes(oldFile_.string()).empty());
  }
  static std::string Zul() { return "'" + BinDir() + "/zul'"; }

  fs::path dir_;
  fs::path oldFile_;
};

TEST_F(KilledSave, NewConfigurationFile) {
  const fs::path target = dir_ / "new.zul";
  const std::string fresh = (dir_ / "fresh.zul").string();
  ASSERT_EQ(RunCommand(Zul() + " new --modules 1,1,6,3 -o '" + fresh + "' --yes").exit, 0);
  KillAtManyPoints({BinDir() + "/zul", "new", "--modules", "1,1,6,3", "-o", target.string(), "--yes"}, target,
                   oldFile_, ReadBytes(fresh));
}

TEST_F(KilledSave, ReadFromAController) {
  SimProcess sim({"--seed", "3", "--modules", "1,1,6,3", "--baud", "115200"}, "zul-sim-killed-save");
  ASSERT_TRUE(sim.Ready());
  const std::string clean = (dir_ / "clean-read.zul").string();
  const std::vector<std::string> read = {BinDir() + "/zul", "read",    "--port", sim.Path(), "--baud",
                                         "115200",          "--delay", "0",      "-o"};
  std::vector<std::string> first = read;
  first.push_back(clean);
  RunMicroseconds(first);
  const fs::path target = dir_ / "read.zul";
  std::vector<std::string> command = read;
  command.push_back(target.string());
  KillAtManyPoints(command, target, oldFile_, ReadBytes(clean));
}

TEST(Leftovers, TheNextSaveRemovesTemporaryFilesOfItsTargetOnly) {
  const fs::path dir = TempPath("leftovers");
  fs::create_directories(dir);
  const fs::path target = dir / "plant.zul";
  for (const fs::path& p : {TemporaryFileFor(target, 123), TemporaryFileFor(target, 9),
                            TemporaryFileFor(dir / "other.zul", 5), dir / ".plant.zul.notanumber.tmp"})
    RunCommand("touch '" + p.string() + "'");
  ASSERT_EQ(RunCommand("'" + BinDir() + "/zul' new --modules 1,1 -o '" + target.string() + "' --yes").exit,
            0);
  EXPECT_FALSE(fs::exists(TemporaryFileFor(target, 123)));
  EXPECT_FALSE(fs::exists(TemporaryFileFor(target, 9)));
  EXPECT_TRUE(fs::exists(TemporaryFileFor(dir / "other.zul", 5)));
  EXPECT_TRUE(fs::exists(dir / ".plant.zul.notanumber.tmp"));
}

}  // namespace
}  // namespace zul
