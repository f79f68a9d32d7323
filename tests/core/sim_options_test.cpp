#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "sim/SimOptions.h"

namespace zul {
namespace {

std::optional<SimOptions> Parse(std::vector<std::string> args, std::string* error = nullptr) {
  std::string ignored;
  args.insert(args.begin(), {"--pty", "/tmp/x"});
  return ParseSimOptions(args, error ? error : &ignored);
}

TEST(SimOptions, DefaultsGiveOneControllerAtAddressOne) {
  auto o = Parse({});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->ptyPath, "/tmp/x");
  ASSERT_EQ(o->devices.size(), 1u);
  EXPECT_EQ(o->devices[0].address, 1);
  EXPECT_EQ(o->devices[0].composition.ToString(), "1,1,6,3");
  EXPECT_EQ(o->devices[0].storePolls, 2);
  EXPECT_EQ(o->baud, 0);
}

TEST(SimOptions, ExactlyOneOfThePtyAndTheTwoTcpServersIsServed) {
  std::string error;
  auto gateway = ParseSimOptions({"--mbtcp", "0", "--devices", "1,5", "--hangup-nth", "3,7"}, &error);
  ASSERT_TRUE(gateway) << error;
  EXPECT_TRUE(gateway->modbusTcp);
  EXPECT_EQ(gateway->tcpPort, 0);
  EXPECT_EQ(gateway->hangUpRequests, (std::set<int>{3, 7}));
  auto server = ParseSimOptions({"--tcp", "5020"}, &error);
  ASSERT_TRUE(server) << error;
  EXPECT_FALSE(server->modbusTcp);
  EXPECT_EQ(server->tcpPort, 5020);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"--pty", "/tmp/x", "--tcp", "5020"}, {"--tcp", "65536"}, {"--mbtcp", "-1"}}) {
    EXPECT_FALSE(ParseSimOptions(args, &error)) << (args.empty() ? "" : args.back());
  }
}

TEST(SimOptions, PerDeviceValuesOverrideTheCommonOnes) {
  auto o = Parse({"--devices", "1,2,5", "--modules", "1,6,3", "--modules", "5=1,1,6,6,3,14", "--store-polls",
                  "4", "--store-polls", "2=0", "--exception", "14:5", "--exception", "5=74:3",
                  "--save-on-exit", "a.zul"});
  ASSERT_TRUE(o);
  ASSERT_EQ(o->devices.size(), 3u);
  EXPECT_EQ(o->devices[0].composition.ToString(), "1,6,3");
  EXPECT_EQ(o->devices[2].composition.ToString(), "1,1,6,6,3,14");
  EXPECT_EQ(o->devices[0].storePolls, 4);
  EXPECT_EQ(o->devices[1].storePolls, 0);
  EXPECT_EQ(o->devices[2].blockExceptions, (std::map<int, int>{{14, 5}, {74, 3}}));
  EXPECT_EQ(o->devices[1].blockExceptions, (std::map<int, int>{{14, 5}}));
  EXPECT_EQ(o->saveOnExit, (std::map<int, std::string>{{1, "a.zul"}}));
}

TEST(SimOptions, FaultsApplyToEveryDeviceWithSeedsOfTheirOwn) {
  auto o =
      Parse({"--devices", "1,2", "--drop", "0.1", "--drop-nth", "1,7", "--short-nth", "3", "--short-mode",
             "head", "--badcrc", "0.5", "--late-nth", "2", "--late-ms", "900", "--fault-seed", "9"});
  ASSERT_TRUE(o);
  const FaultSettings& f = o->devices[1].faults;
  EXPECT_DOUBLE_EQ(f.drop.probability, 0.1);
  EXPECT_EQ(f.drop.requests, (std::set<int>{1, 7}));
  EXPECT_EQ(f.cut.requests, (std::set<int>{3}));
  EXPECT_EQ(f.shortMode, ShortMode::Head);
  EXPECT_DOUBLE_EQ(f.badCrc.probability, 0.5);
  EXPECT_EQ(f.lateMs, 900);
  EXPECT_NE(o->devices[0].faults.seed, o->devices[1].faults.seed);
}

TEST(SimOptions, ZulFileGivesContentsAndComposition) {
  ControllerSetup setup;
  setup.composition.modules = {1, 6, 6, 3};
  VirtualClock clock;
  SimulatedController source(setup, clock);
  std::string path = ::testing::TempDir() + "sim_options_test.zul";
  {
    std::ofstream out(path, std::ios::binary);
    auto bytes = source.ZulBytes();
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  auto o = Parse({"--zul", path});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->devices[0].composition.ToString(), "1,6,6,3");
  ASSERT_TRUE(o->devices[0].zul);
  EXPECT_EQ(o->devices[0].zul->blocks, source.Blocks());

  o = Parse({"--zul", path, "--modules", "1,6,3"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->devices[0].composition.ToString(), "1,6,3");
  std::remove(path.c_str());
}

TEST(SimOptions, SixtyBlockFileMakesASixtyBlockController) {
  ControllerSetup setup;
  setup.composition.modules = {1, 6, 3};
  setup.fbTableSize = 60;
  VirtualClock clock;
  SimulatedController source(setup, clock);
  std::string path = ::testing::TempDir() + "sim_options_sixty.zul";
  {
    std::ofstream out(path, std::ios::binary);
    auto bytes = source.ZulBytes();
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  auto o = Parse({"--zul", path});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->devices[0].fbTableSize, 60);
  EXPECT_TRUE(Parse({"--fb", "60", "--zul", path}));
  // A 120-block controller cannot hold what the file says it has.
  std::string error;
  EXPECT_FALSE(Parse({"--fb", "120", "--zul", path}, &error));
  EXPECT_NE(error.find("--fb 120"), std::string::npos) << error;
  std::remove(path.c_str());
}

struct BadLine {
  std::vector<std::string> args;
  const char* mentions;
};

class BadOptions : public ::testing::TestWithParam<BadLine> {};

TEST_P(BadOptions, AreRefusedWithAMessage) {
  std::string error;
  EXPECT_FALSE(Parse(GetParam().args, &error));
  EXPECT_NE(error.find(GetParam().mentions), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadOptions,
    ::testing::Values(BadLine{{"--devices", "0"}, "--devices"}, BadLine{{"--devices", "1,1"}, "twice"},
                      BadLine{{"--devices", "32"}, "--devices"}, BadLine{{"--modules", "1,16"}, "0..15"},
                      BadLine{{"--modules", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1"}, "16"},
                      BadLine{{"--drop", "1.5"}, "--drop"}, BadLine{{"--drop-nth", "0"}, "--drop-nth"},
                      BadLine{{"--short-mode", "half"}, "--short-mode"},
                      BadLine{{"--exception", "14"}, "--exception"},
                      BadLine{{"--exception", "14:0"}, "--exception"}, BadLine{{"--fb", "100"}, "--fb"},
                      BadLine{{"--indication", "5"}, "--indication"}, BadLine{{"--baud", "x"}, "--baud"},
                      BadLine{{"--modules", "3=1,6"}, "not in --devices"},
                      BadLine{{"--zul", "/nonexistent.zul"}, "cannot read"},
                      BadLine{{"--frobnicate", "1"}, "unknown"}, BadLine{{"--seed"}, "needs a value"},
                      BadLine{{"stray"}, "unexpected"}));

TEST(SimOptions, PtyIsRequired) {
  std::string error;
  EXPECT_FALSE(ParseSimOptions({"--modules", "1,6"}, &error));
  EXPECT_NE(error.find("--pty"), std::string::npos);
}

}  // namespace
}  // namespace zul
