// zul scan, backup, poll, the backup before a write and write --only-changed,
// against zul-sim with several controllers on one pseudo-terminal.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/config/Configuration.h"
#include "core/config/LineScan.h"
#include "core/config/ZulFile.h"
#include "support/ChildPrograms.h"

namespace zul {
namespace {

using namespace test;
namespace fs = std::filesystem;

std::vector<std::string> Fast(std::vector<std::string> options) {
  options.insert(options.end(), {"--baud", "115200"});
  return options;
}

ProgramRun Zul(const std::string& arguments) {
  return RunCommand("'" + BinDir() + "/zul' " + arguments + " 2>&1 </dev/null");
}

std::string Line(const SimProcess& sim) { return " --port " + sim.Path() + " --baud 115200 --delay 0"; }

class CommissioningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TempPath(std::string("zul-commissioning-") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string P(const std::string& name) const { return (fs::path(dir_) / name).string(); }

  // Block numbers of the stores (function 69) in a zul-sim log, after its first `skip` lines.
  static size_t Lines(const std::string& log) {
    std::ifstream in(log);
    size_t n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
  }

  static std::vector<int> StoredBlocks(const std::string& log, size_t skip = 0) {
    std::vector<int> blocks;
    std::ifstream in(log);
    const std::regex store("\"function\":69,\"data\":\"([0-9A-Fa-f]{2})");
    for (std::string line; std::getline(in, line);) {
      if (skip > 0) {
        --skip;
        continue;
      }
      std::smatch m;
      if (std::regex_search(line, m, store)) blocks.push_back(std::stoi(m[1].str(), nullptr, 16));
    }
    return blocks;
  }

  std::string dir_;
};

TEST_F(CommissioningTest, ScanFindsExactlyTheSimulatedAddresses) {
  SimProcess sim(Fast({"--devices", "2,4,7", "--modules", "4=1,6,3,14"}));
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("scan" + Line(sim) + " --to 9");
  ASSERT_EQ(run.exit, 0) << run.output;
  std::set<int> found;
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (std::regex_search(line, m, std::regex("^(\\d+)\\tмодули ([0-9A-F,]+)")))
      found.insert(std::stoi(m[1]));
  }
  EXPECT_EQ(found, (std::set<int>{2, 4, 7})) << run.output;
  EXPECT_NE(run.output.find("4\tмодули 1,6,3,E\tиндикация 24+ЖКИ(4х20)"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find(kDamagedAnswerText), std::string::npos) << run.output;
}

// A garbled identity is a controller on a line set up wrong, not an empty address.
TEST_F(CommissioningTest, ScanListsDamagedAnswersWithTheHint) {
  SimProcess sim(Fast({"--devices", "2,5", "--badcrc-nth", "1"}));
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("scan" + Line(sim) + " --to 6 --answer-ms 50");
  EXPECT_EQ(run.exit, 0) << run.output;
  EXPECT_NE(run.output.find("2\tответ с ошибкой (ошибка КС)"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("5\tответ с ошибкой (ошибка КС)"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(kDamagedAnswerHint), std::string::npos) << run.output;
}

TEST_F(CommissioningTest, ScanWithSeveralSpeedsSaysWhereControllersAnswer) {
  SimProcess sim(Fast({"--devices", "3"}));
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run =
      Zul("scan --port " + sim.Path() + " --delay 0 --to 3 --answer-ms 50 --bauds 19200,115200");
  EXPECT_EQ(run.exit, 0) << run.output;
  // A pseudo-terminal carries any setting: the controller answers at all six.
  for (const char* setting : {"19200 N", "19200 E", "19200 O", "115200 N", "115200 E", "115200 O"})
    EXPECT_NE(run.output.find(std::string(setting) + "\t3\tмодули"), std::string::npos)
        << setting << run.output;
}

TEST_F(CommissioningTest, BackupAllReadsEveryControllerFoundIntoItsFile) {
  SimProcess sim(Fast({"--devices", "1,3", "--seed", "3=5"}));
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("backup" + Line(sim) + " --all --to 4 -o " + P("all"));
  ASSERT_EQ(run.exit, 0) << run.output;
  EXPECT_TRUE(fs::exists(P("all/1.zul")));
  EXPECT_TRUE(fs::exists(P("all/3.zul")));
  EXPECT_FALSE(fs::exists(P("all/2.zul")));
  const ProgramRun read = Zul("read" + Line(sim) + " --device 3 -o " + P("3.zul"));
  ASSERT_EQ(read.exit, 0) << read.output;
  EXPECT_EQ(ReadBytes(P("all/3.zul")), ReadBytes(P("3.zul")));
}

TEST_F(CommissioningTest, AWriteLeavesABackupEqualToWhatTheDeviceHeld) {
  SimProcess sim(Fast({"--modules", "1,1,6,3", "--seed", "21", "--store-polls", "0"}));
  ASSERT_TRUE(sim.Ready());
  ASSERT_EQ(Zul("read" + Line(sim) + " -o " + P("before.zul")).exit, 0);
  SimProcess other(Fast({"--modules", "1,1,6,3", "--seed", "22"}));
  ASSERT_TRUE(other.Ready());
  ASSERT_EQ(Zul("read" + Line(other) + " -o " + P("new.zul")).exit, 0);

  const ProgramRun write =
      Zul("write " + P("new.zul") + Line(sim) + " --password 8411 --backup-dir " + P("backups"));
  ASSERT_EQ(write.exit, 0) << write.output;
  std::vector<fs::path> backups;
  for (const auto& e : fs::directory_iterator(P("backups/1"))) backups.push_back(e.path());
  ASSERT_EQ(backups.size(), 1u) << write.output;
  EXPECT_EQ(ReadBytes(backups[0].string()), ReadBytes(P("before.zul")));
}

TEST_F(CommissioningTest, AnUnwritableBackupFolderStopsTheWriteBeforeAnythingIsSent) {
  const std::string log = P("frames.jsonl");
  SimProcess sim(Fast({"--log", log}));
  ASSERT_TRUE(sim.Ready());
  SimProcess source(Fast({}));
  ASSERT_TRUE(source.Ready());
  ASSERT_EQ(Zul("read" + Line(source) + " -o " + P("plant.zul")).exit, 0);
  std::ofstream(P("not-a-folder")) << "x";
  const ProgramRun write =
      Zul("write " + P("plant.zul") + Line(sim) + " --password 8411 --backup-dir " + P("not-a-folder"));
  EXPECT_EQ(write.exit, 1);
  EXPECT_NE(write.output.find("not-a-folder"), std::string::npos) << write.output;
  EXPECT_TRUE(ReadBytes(log).empty());
}

struct FailedBackupCase {
  const char* answer;
  const char* says;
};

class FailedBackupRead : public CommissioningTest, public ::testing::WithParamInterface<FailedBackupCase> {};

// Block 15 can be neither read nor stored: the backup read fails and the
// answer decides whether the write goes on (and then fails at that block).
TEST_P(FailedBackupRead, TheAnswerDecidesWhetherToWriteAnyway) {
  SimProcess source(Fast({}));
  ASSERT_TRUE(source.Ready());
  ASSERT_EQ(Zul("read" + Line(source) + " -o " + P("plant.zul")).exit, 0);
  SimProcess sim(Fast({"--store-polls", "0", "--exception", "15:4"}));
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("write " + P("plant.zul") + Line(sim) + " --password 8411 --backup-dir " +
                             P("backups") + " " + GetParam().answer);
  EXPECT_EQ(run.exit, 1) << run.output;
  EXPECT_NE(run.output.find("Записать в прибор без резервной копии?"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(GetParam().says), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(Answers, FailedBackupRead,
                         ::testing::Values(FailedBackupCase{"--yes", "запись прервана на блоке 15"},
                                           FailedBackupCase{"--no", "не записано: нет резервной копии"}));

TEST_F(CommissioningTest, OnlyChangedWritesJustTheBlocksThatDiffer) {
  const std::string log = P("frames.jsonl");
  SimProcess sim(Fast({"--modules", "1,1,6,3", "--seed", "4", "--store-polls", "0", "--log", log}));
  ASSERT_TRUE(sim.Ready());
  ASSERT_EQ(Zul("read" + Line(sim) + " -o " + P("held.zul")).exit, 0);
  // The same configuration with one signal text changed.
  auto config = std::make_unique<Configuration>();
  const auto bytes = ReadBytes(P("held.zul"));
  ASSERT_TRUE(LoadZulFileBytes(bytes, *config));
  config->service.SetText(2, "Давление низкое");
  ASSERT_TRUE(WriteFileReplacing(P("changed.zul"), ZulFileBytes(*config)));
  size_t seen = Lines(log);

  const ProgramRun write =
      Zul("write " + P("changed.zul") + Line(sim) + " --password 8411 --only-changed --no-backup");
  ASSERT_EQ(write.exit, 0) << write.output;
  EXPECT_NE(write.output.find("изменено: texts"), std::string::npos) << write.output;
  // Only the text block that holds the changed text.
  EXPECT_EQ(StoredBlocks(log, seen), std::vector<int>{40});
  EXPECT_EQ(Zul("verify " + P("changed.zul") + Line(sim)).exit, 0);

  // Nothing left to write: nothing is stored.
  seen = Lines(log);
  const ProgramRun again =
      Zul("write " + P("changed.zul") + Line(sim) + " --password 8411 --only-changed --no-backup");
  EXPECT_EQ(again.exit, 0) << again.output;
  EXPECT_NE(again.output.find("записывать нечего"), std::string::npos) << again.output;
  EXPECT_TRUE(StoredBlocks(log, seen).empty());
}

TEST_F(CommissioningTest, PollCountsInjectedDropsAndBadChecksumsExactly) {
  SimProcess sim(Fast({"--drop-nth", "2,5", "--badcrc-nth", "3,6,7"}));
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("poll" + Line(sim) + " --count 9 --interval 0");
  ASSERT_EQ(run.exit, 0) << run.output;
  EXPECT_NE(run.output.find("--- запросов 9, ответов 4, тайм-аутов 2, ошибок КС 3, исключений 0"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("время ответа мин/медиана/макс"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("[2] нет ответа"), std::string::npos) << run.output;
}

TEST_F(CommissioningTest, PollOfABlockCountsTheControllersExceptions) {
  SimProcess sim(Fast({"--exception", "14:2"}));
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("poll" + Line(sim) + " --function 68 --block 14 --count 2 --interval 0");
  EXPECT_EQ(run.exit, 0) << run.output;
  EXPECT_NE(run.output.find("исключений 2"), std::string::npos) << run.output;
}

TEST_F(CommissioningTest, PollWithoutASingleAnswerFails) {
  SimProcess sim(Fast({"--drop-nth", "1,2,3"}));
  ASSERT_TRUE(sim.Ready());
  const ProgramRun run = Zul("poll" + Line(sim) + " --count 3 --interval 0");
  EXPECT_EQ(run.exit, 1) << run.output;
  EXPECT_NE(run.output.find("ответов 0"), std::string::npos) << run.output;
}

TEST_F(CommissioningTest, BackupNeverReplacesAFileWithoutYes) {
  SimProcess sim(Fast({"--devices", "1"}));
  ASSERT_TRUE(sim.Ready());
  fs::create_directories(P("all"));
  std::ofstream(P("all/1.zul")) << "the engineer's own file";
  const ProgramRun kept = Zul("backup" + Line(sim) + " --device 1 -o " + P("all"));
  EXPECT_EQ(kept.exit, 1) << kept.output;
  EXPECT_NE(kept.output.find("--yes"), std::string::npos) << kept.output;
  EXPECT_EQ(ReadBytes(P("all/1.zul")).size(), std::string("the engineer's own file").size());
  const ProgramRun replaced = Zul("backup" + Line(sim) + " --device 1 --yes -o " + P("all"));
  EXPECT_EQ(replaced.exit, 0) << replaced.output;
  auto config = std::make_unique<Configuration>();
  EXPECT_TRUE(LoadZulFileBytes(ReadBytes(P("all/1.zul")), *config));
}

struct MissingPortCase {
  const char* command;
};

class MissingPort : public ::testing::TestWithParam<MissingPortCase> {};

TEST_P(MissingPort, SaysSoAndEndsWithExitCodeOne) {
  const ProgramRun run = Zul(std::string(GetParam().command) + " --port /nonexistent/tty-zul --delay 0");
  EXPECT_EQ(run.exit, 1) << run.output;
  // Once, with the system's reason; restarting the program would not help.
  const size_t said = run.output.find("невозможно открыть последовательный порт /nonexistent/tty-zul: ");
  EXPECT_NE(said, std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("невозможно открыть", said + 1), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("перезапустите"), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(Commands, MissingPort,
                         ::testing::Values(MissingPortCase{"scan"}, MissingPortCase{"poll --count 1"},
                                           MissingPortCase{"backup --all -o /tmp"}));

struct BadOptionCase {
  const char* arguments;
  const char* says;
};

class BadOptions : public ::testing::TestWithParam<BadOptionCase> {};

TEST_P(BadOptions, GetAUsageMessageAndExitCodeTwo) {
  const ProgramRun run = Zul(GetParam().arguments);
  EXPECT_EQ(run.exit, 2) << run.output;
  EXPECT_NE(run.output.find(GetParam().says), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("usage: zul"), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, BadOptions,
    ::testing::Values(BadOptionCase{"scan --port /tmp/x --from 0", "--from и --to"},
                      BadOptionCase{"scan --port /tmp/x --from 9 --to 3", "--from и --to"},
                      BadOptionCase{"scan --port /tmp/x --to 32", "--from и --to"},
                      BadOptionCase{"scan --port /tmp/x --answer-ms 0", "--answer-ms"},
                      BadOptionCase{"scan --to 5", "не указан --port"},
                      BadOptionCase{"scan --port /tmp/x --bogus", "неизвестный параметр 'bogus'"},
                      BadOptionCase{"scan --port /tmp/x --device 3", "неизвестный параметр 'device'"},
                      BadOptionCase{"scan --port /tmp/x --bauds 9600,1234", "--bauds"},
                      BadOptionCase{"poll --port /tmp/x --function 3", "--function: 17 или 68"},
                      BadOptionCase{"poll --port /tmp/x --count many", "--count"},
                      BadOptionCase{"poll --port /tmp/x --interval -1", "--interval"},
                      BadOptionCase{"poll --port /tmp/x --block 300", "--block"},
                      BadOptionCase{"poll --port /tmp/x --baud 9601", "--baud: недопустимая скорость 9601"},
                      BadOptionCase{"read --port /tmp/x --parity X -o a.zul", "--parity"},
                      BadOptionCase{"clock --port /tmp/x --stop 3", "--stop"},
                      BadOptionCase{"backup --port /tmp/x --all", "не указан -o DIR"},
                      BadOptionCase{"write a.zul --port /tmp/x --only-changd",
                                    "неизвестный параметр 'only-changd'"},
                      BadOptionCase{"write a.zul --port /tmp/x --no-backup --backup-dir /tmp",
                                    "--no-backup и --backup-dir"}));

TEST_F(CommissioningTest, DiffAndVerifyTellADifferenceFromAFailure) {
  const std::string plant = std::string(std::getenv("ZUL_SOURCE_DIR")) + "/examples/plant.zul";
  ASSERT_EQ(Zul("new --modules 1,1 -o " + P("other.zul")).exit, 0);
  EXPECT_EQ(Zul("diff " + plant + " " + P("other.zul")).exit, 3);
  SimProcess sim(Fast({"--modules", "1,1,6,3"}));
  ASSERT_TRUE(sim.Ready());
  EXPECT_EQ(Zul("verify " + P("other.zul") + Line(sim)).exit, 3);
}

struct ExitCase {
  const char* arguments;
  int exit;
};

class ExitCodes : public ::testing::TestWithParam<ExitCase> {};

// 0 done, 1 the operation failed (here: a file), 2 the command line, 3 a difference.
TEST_P(ExitCodes, FollowTheOneConvention) {
  const char* source = std::getenv("ZUL_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const std::string examples = std::string(source) + "/examples/";
  std::string arguments = GetParam().arguments;
  for (size_t at; (at = arguments.find("EX/")) != std::string::npos;) arguments.replace(at, 3, examples);
  const ProgramRun run = Zul(arguments);
  EXPECT_EQ(run.exit, GetParam().exit) << arguments << "\n" << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ExitCodes,
    ::testing::Values(ExitCase{"info /nonexistent/missing.zul", 1},
                      ExitCase{"dump /nonexistent/missing.zul", 1},
                      ExitCase{"diff /nonexistent/missing.zul EX/plant.zul", 1},
                      ExitCase{"diff EX/plant.zul /nonexistent/missing.zul", 1},
                      ExitCase{"verify /nonexistent/missing.zul --port /nonexistent/tty", 1},
                      ExitCase{"diff EX/plant.zul EX/plant.zul", 0}, ExitCase{"info EX/plant.zul", 0},
                      ExitCase{"info", 2}, ExitCase{"diff EX/plant.zul", 2}, ExitCase{"frobnicate", 2}));

TEST(Usage, ExplainsTheLineOptionsTheSynopsesReferTo) {
  const ProgramRun run = Zul("--help");
  EXPECT_EQ(run.exit, 0) << run.output;
  EXPECT_NE(run.output.find("[line options]"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("line options: [--baud B"), std::string::npos) << run.output;
}

TEST(MissingFile, IsNamedAfterTheProgramsMessage) {
  const ProgramRun run = Zul("diff /nonexistent/first.zul /nonexistent/second.zul");
  EXPECT_NE(run.exit, 0) << run.output;
  EXPECT_NE(run.output.find("Файл не удается открыть"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("/nonexistent/first.zul"), std::string::npos) << run.output;
}

class CommandHelp : public ::testing::TestWithParam<const char*> {};

TEST_P(CommandHelp, ListsTheCommandsOptionsWithTheirDefaults) {
  const ProgramRun run = Zul(std::string(GetParam()) + " --help");
  EXPECT_EQ(run.exit, 0) << run.output;
  EXPECT_NE(run.output.find("usage: zul " + std::string(GetParam())), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("--help"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("Unknown option"), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandHelp,
                         ::testing::Values("ports", "raw", "new", "info", "dump", "diff", "read", "write",
                                           "verify", "renumber", "clock", "report", "scan", "backup",
                                           "poll"));

TEST(Version, NamesTheProjectVersion) {
  const ProgramRun run = Zul("--version");
  EXPECT_EQ(run.exit, 0);
  EXPECT_TRUE(std::regex_search(run.output, std::regex("^zul \\d+\\.\\d+"))) << run.output;
}

TEST(PollHelp, ShowsTheDefaults) {
  const ProgramRun run = Zul("poll --help");
  EXPECT_NE(run.output.find("(default 10)"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("(default 1000)"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace zul
