// Whole reads of a randomly filled controller over a pty on a faulty line
// (10 % of the answers dropped, 5 % with a bad checksum, 5 % cut after their
// head). Every read must either fail with a message or give exactly the file
// of a clean read; none may hang. ZUL_SOAK_READS changes the number of reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ChildPrograms.h"

namespace zul {
namespace {

using namespace test;

const std::vector<std::string> kController = {"--seed", "7", "--modules", "1,1,6,3,14", "--baud", "115200"};

int ReadsWanted() {
  const char* text = std::getenv("ZUL_SOAK_READS");
  const int n = text ? std::atoi(text) : 0;
  return n > 0 ? n : 200;
}

// zul read under a watchdog: exit 124 means it hung for two minutes.
ProgramRun ReadInto(const std::string& port, const std::string& file) {
  std::filesystem::remove(file);
  return RunCommand("timeout 120 '" + BinDir() + "/zul' read --port '" + port + "' -o '" + file +
                    "' --baud 115200 --delay 0 2>&1 </dev/null");
}

TEST(ReadSoak, EveryReadOverAFaultyLineFailsClearlyOrMatchesACleanRead) {
  const std::string clean = TempPath("soak-clean.zul");
  {
    SimProcess sim(kController, "zul-soak-clean");
    ASSERT_TRUE(sim.Ready());
    const ProgramRun run = ReadInto(sim.Path(), clean);
    ASSERT_EQ(run.exit, 0) << run.output;
  }
  const std::vector<uint8_t> expected = ReadBytes(clean);
  ASSERT_FALSE(expected.empty());

  std::vector<std::string> noisy = kController;
  noisy.insert(noisy.end(), {"--drop", "0.1", "--badcrc", "0.05", "--short", "0.05", "--short-mode", "head",
                             "--fault-seed", "2026"});
  SimProcess sim(noisy, "zul-soak-noisy");
  ASSERT_TRUE(sim.Ready());

  const int reads = ReadsWanted();
  const std::string file = TempPath("soak-read.zul");
  int good = 0, failed = 0, hung = 0, mismatched = 0, silentFailures = 0;
  for (int i = 0; i < reads; ++i) {
    const ProgramRun run = ReadInto(sim.Path(), file);
    if (run.exit == 124) {
      ++hung;
    } else if (run.exit == 0) {
      if (ReadBytes(file) == expected) {
        ++good;
      } else {
        ++mismatched;
      }
    } else {
      ++failed;
      if (run.exit != 1 || run.output.empty()) ++silentFailures;
      std::printf("read %d failed: %s", i + 1, run.output.c_str());
    }
  }
  const double rate = 100.0 * good / reads;
  std::printf(
      "soak: %d reads, %d identical to the clean read, %d failed with a message, %d hung, %d "
      "mismatched; success rate %.1f %%\n",
      reads, good, failed, hung, mismatched, rate);
  EXPECT_EQ(hung, 0);
  EXPECT_EQ(mismatched, 0);
  EXPECT_EQ(silentFailures, 0);
  EXPECT_GE(rate, 99.0);
}

}  // namespace
}  // namespace zul
