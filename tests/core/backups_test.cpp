// Backups before a write: the file names, the folder check before anything is
// sent, what a failed read asks, and how many are kept.
#include "core/config/Backups.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/ZulFile.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

std::tm At(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

class BackupFixture : public ::testing::Test {
 protected:
  BackupFixture() : bus_(clock_), line_(bus_, clock_), port_(line_, clock_, ui_) {
    root_ =
        fs::path(::testing::TempDir()) / ("backups-" + std::to_string(std::random_device{}()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
  }
  ~BackupFixture() override {
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, ec);
    fs::remove_all(root_, ec);
  }

  SimulatedController& Start(ControllerSetup setup = {}) {
    setup.randomBlocks = true;
    SimulatedController& c = bus_.Add(setup);
    EXPECT_EQ(port_.OpenPort(), 0);
    return c;
  }

  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  ScriptedInteraction ui_;
  zul::test::WritingLink port_;
  fs::path root_;
};

TEST(BackupNames, AreTimestampsThatSortInTime) {
  EXPECT_EQ(BackupFileName(At(2026, 3, 9, 7, 5, 4)), "2026-03-09_07-05-04.zul");
  EXPECT_LT(BackupFileName(At(2026, 3, 9, 7, 5, 4)), BackupFileName(At(2026, 11, 1, 0, 0, 0)));
  EXPECT_EQ(BackupFolder("/b", 4), fs::path("/b/5"));
}

TEST_F(BackupFixture, TheBackupHoldsWhatTheControllerHeld) {
  Start();
  const BackupOutcome b = BackupBeforeWrite(port_, 0, root_, ui_);
  ASSERT_TRUE(b.saved) << b.reason;
  EXPECT_TRUE(b.mayWrite);
  EXPECT_EQ(b.path.parent_path(), root_ / "1");
  Configuration direct;
  ASSERT_TRUE(ReadConfiguration(port_, direct, ui_).ok);
  EXPECT_EQ(ReadWholeFile(b.path), ZulFileBytes(direct));
  ASSERT_TRUE(b.device);
  EXPECT_EQ(ZulFileBytes(*b.device), ZulFileBytes(direct));
}

TEST_F(BackupFixture, AnUnwritableFolderStopsTheWriteBeforeAnythingIsSent) {
  Start();
  fs::create_directories(root_);
  std::ofstream(root_ / "1") << "a file where the device folder should be";
  const BackupOutcome b = BackupBeforeWrite(port_, 0, root_, ui_);
  EXPECT_FALSE(b.mayWrite);
  EXPECT_FALSE(b.reason.empty());
  EXPECT_TRUE(line_.Written().empty());
  EXPECT_EQ(ui_.Last().icon, Icon::Error);
}

struct FailedReadCase {
  const char* name;
  Answer answer;
  bool mayWrite;
};

class FailedBackupRead : public BackupFixture, public ::testing::WithParamInterface<FailedReadCase> {};

TEST_P(FailedBackupRead, AsksWhetherToWriteAnyway) {
  ControllerSetup setup;
  setup.blockExceptions[12] = 4;
  Start(setup);
  ui_.QueueAnswer(Answer::Ok);  // the read's own message about the block
  ui_.QueueAnswer(GetParam().answer);
  const BackupOutcome b = BackupBeforeWrite(port_, 0, root_, ui_);
  EXPECT_FALSE(b.saved);
  EXPECT_EQ(b.mayWrite, GetParam().mayWrite);
  EXPECT_EQ(ui_.Last().text, kBackupReadFailedText);
  EXPECT_TRUE(fs::is_empty(root_ / "1"));
}

INSTANTIATE_TEST_SUITE_P(Answers, FailedBackupRead,
                         ::testing::Values(FailedReadCase{"Yes", Answer::Yes, true},
                                           FailedReadCase{"No", Answer::No, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackupFixture, TwoBackupsInOneSecondKeepBoth) {
  fs::create_directories(root_);
  Configuration c;
  std::string reason;
  const fs::path first = SaveBackup(root_, c, At(2026, 1, 2, 3, 4, 5), reason);
  const fs::path second = SaveBackup(root_, c, At(2026, 1, 2, 3, 4, 5), reason);
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  EXPECT_TRUE(fs::exists(first));
}

TEST_F(BackupFixture, PruningKeepsTheNewestAndNoOtherFile) {
  fs::create_directories(root_);
  for (int minute = 0; minute < 55; ++minute)
    std::ofstream(root_ / BackupFileName(At(2026, 1, 1, 10, minute, 0))) << "x";
  std::ofstream(root_ / "notes.txt") << "not a backup";
  // The engineer's own files in the same folder sort before the backups; they stay.
  std::ofstream(root_ / "1.zul") << "a user's file";
  std::ofstream(root_ / "2025-plant.zul") << "a user's file";
  EXPECT_EQ(PruneBackups(root_, kBackupsKept), 5);
  EXPECT_TRUE(fs::exists(root_ / "1.zul"));
  EXPECT_TRUE(fs::exists(root_ / "2025-plant.zul"));
  EXPECT_FALSE(fs::exists(root_ / BackupFileName(At(2026, 1, 1, 10, 4, 0))));
  EXPECT_TRUE(fs::exists(root_ / BackupFileName(At(2026, 1, 1, 10, 5, 0))));
  EXPECT_TRUE(fs::exists(root_ / BackupFileName(At(2026, 1, 1, 10, 54, 0))));
  EXPECT_TRUE(fs::exists(root_ / "notes.txt"));
}

}  // namespace
}  // namespace zul
