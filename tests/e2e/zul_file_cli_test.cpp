// zul new, info, dump and diff on files, and zul-sim loading what they write.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/ChildPrograms.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

using namespace test;

ProgramRun Zul(const std::string& arguments) {
  return RunCommand(BinDir() + "/zul " + arguments + " 2>/dev/null");
}

class ZulFileCli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("zul_file_cli_" + std::to_string(getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string P(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(ZulFileCli, NewInfoDumpDiff) {
  ASSERT_EQ(Zul("new --modules 6,6,1,1 -o " + P("a")).exit, 0);
  ASSERT_EQ(fs::file_size(P("a.zul")), 37129u);

  const ProgramRun info = Zul("info " + P("a.zul"));
  EXPECT_EQ(info.exit, 0);
  EXPECT_NE(info.output.find("1166000000000000"), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("24+ЖКИ(4х20)"), std::string::npos) << info.output;

  const ProgramRun dump = Zul("dump --json " + P("a.zul"));
  ASSERT_EQ(dump.exit, 0);
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(dump.output), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  const QJsonObject root = doc.object();
  for (const char* key : {"device", "modules", "counts", "signals", "outputs", "units", "analogModules",
                          "network", "functionBlocks", "loops", "algorithms"})
    EXPECT_TRUE(root.contains(key)) << key;
  EXPECT_EQ(root["modules"].toArray().size(), 16);
  EXPECT_EQ(root["modules"].toArray()[2].toInt(), 6);
  const QJsonObject counts = root["counts"].toObject();
  for (const char* key : {"DiModules", "AiModules", "DoModules", "DiCount", "AiCount", "DoCount",
                          "SignalCount", "AnalogSignalCount", "IndicationType"})
    EXPECT_TRUE(counts.contains(key)) << key;
  EXPECT_EQ(counts["SignalCount"].toInt(), 72);
  const QJsonArray signalList = root["signals"].toArray();
  ASSERT_EQ(signalList.size(), 72);
  const QJsonObject signal = signalList[0].toObject();
  for (const char* key : {"index", "identifier", "text", "alarmType", "lightCell", "contactType",
                          "relayMasks", "delayTime", "delayUnit", "archive"})
    EXPECT_TRUE(signal.contains(key)) << key;
  EXPECT_EQ(signal["relayMasks"].toArray().size(), 8);
  EXPECT_EQ(signal["text"].toString().toStdString(), "Дискр.сигн.001");
  const QJsonObject channel =
      root["analogModules"].toArray()[0].toObject()["channels"].toArray()[0].toObject();
  for (const char* key : {"position", "unit", "scaleMin", "scaleMax", "LL", "L", "H", "HH"})
    EXPECT_TRUE(channel.contains(key)) << key;
  EXPECT_EQ(root["units"].toArray().size(), 16);
  EXPECT_EQ(root["loops"].toArray()[0].toObject()["number"].toInt(), 1);

  ASSERT_EQ(Zul("new --modules 1,1,6,6 -o " + P("b.zul")).exit, 0);
  EXPECT_EQ(Zul("diff " + P("a.zul") + " " + P("b.zul")).exit, 0);

  ASSERT_EQ(Zul("new --modules 1,1,6,7 -o " + P("c.zul")).exit, 0);
  const ProgramRun diff = Zul("diff " + P("a.zul") + " " + P("c.zul"));
  EXPECT_EQ(diff.exit, 3);
  EXPECT_NE(diff.output.find("modules[3]: 6 -> 7"), std::string::npos) << diff.output;
  EXPECT_EQ(Zul("diff --device-blocks " + P("a.zul") + " " + P("c.zul")).exit, 3);
}

TEST_F(ZulFileCli, NewOnABaseKeepsTheChosenSlots) {
  ASSERT_EQ(Zul("new --modules 1,1,6,3 -o " + P("base.zul")).exit, 0);
  ASSERT_EQ(Zul("new --modules 1,1,6,3 --base " + P("base.zul") + " --keep 3,4 -o " + P("kept.zul")).exit, 0);
  EXPECT_EQ(Zul("diff " + P("base.zul") + " " + P("kept.zul")).exit, 0);
}

TEST_F(ZulFileCli, ExistingOutputIsReplacedOnlyWithYes) {
  ASSERT_EQ(Zul("new --modules 1 -o " + P("x.zul")).exit, 0);
  EXPECT_EQ(Zul("new --modules 1,6 --no -o " + P("x.zul")).exit, 1);
  EXPECT_NE(Zul("info " + P("x.zul")).output.find("1000000000000000"), std::string::npos);
  EXPECT_EQ(Zul("new --modules 1,6 --yes -o " + P("x.zul")).exit, 0);
  EXPECT_NE(Zul("info " + P("x.zul")).output.find("1600000000000000"), std::string::npos);
}

TEST_F(ZulFileCli, BadInputIsRefused) {
  EXPECT_EQ(Zul("new --modules 3,3,3,3,3,3,3,3,3 -o " + P("nine.zul")).exit, 1);
  EXPECT_FALSE(fs::exists(P("nine.zul")));
  EXPECT_EQ(Zul("new --modules 1 -o " + P("conf.txt")).exit, 1);
  EXPECT_EQ(Zul("new --modules 1,G -o " + P("g.zul")).exit, 2);
  { std::ofstream(P("tiny.zul")) << "not a configuration"; }
  EXPECT_EQ(Zul("info " + P("tiny.zul")).exit, 1);
  EXPECT_EQ(Zul("diff " + P("tiny.zul") + " " + P("tiny.zul")).exit, 1);
  EXPECT_EQ(Zul("dump " + P("missing.zul")).exit, 1);
}

TEST_F(ZulFileCli, ModuleListsWithAndWithoutCommasMeanTheSame) {
  ASSERT_EQ(Zul("new --modules 1,1,6,14 -o " + P("decimal.zul")).exit, 0);
  const std::string line = Zul("info " + P("decimal.zul")).output;
  EXPECT_NE(line.find("116E000000000000"), std::string::npos) << line;
  for (const char* list : {"116E", "1,1,6,E"}) {
    ASSERT_EQ(Zul(std::string("new --modules ") + list + " -o " + P("other.zul") + " --yes").exit, 0) << list;
    EXPECT_EQ(Zul("diff " + P("decimal.zul") + " " + P("other.zul")).exit, 0) << list;
  }
  // D is an analog module, as typed into the dialog's code line: it goes after the discrete module.
  ASSERT_EQ(Zul("new --modules D,1 -o " + P("d.zul")).exit, 0);
  EXPECT_NE(Zul("info " + P("d.zul")).output.find("1D00000000000000"), std::string::npos);
}

TEST_F(ZulFileCli, DumpedIdentifiersCarryNoPadding) {
  ASSERT_EQ(Zul("new --modules 1,6 -o " + P("id.zul")).exit, 0);
  const ProgramRun dump = Zul("dump --json " + P("id.zul"));
  ASSERT_EQ(dump.exit, 0);
  const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(dump.output)).object();
  const QJsonArray signalList = root["signals"].toArray();
  ASSERT_FALSE(signalList.isEmpty());
  for (const QJsonValue& signal : signalList) {
    const QString id = signal.toObject()["identifier"].toString();
    EXPECT_FALSE(id.isEmpty());
    EXPECT_EQ(id, id.trimmed()) << id.toStdString();
  }
}

TEST_F(ZulFileCli, SimulatorServesAFileZulNewWrote) {
  ASSERT_EQ(Zul("new --modules 1,1,6,3 -o " + P("sim.zul")).exit, 0);
  SimProcess sim({"--zul", P("sim.zul")});
  ASSERT_TRUE(sim.Ready());
  const ProgramRun identity = Zul("raw --port " + sim.Path() + " --function 17");
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_EQ(identity.exit, 0);
  EXPECT_NE(identity.output.find("01 11 17 04 01 01 06 03"), std::string::npos) << identity.output;
}

TEST_F(ZulFileCli, FileTheSimulatorSavedOpens) {
  SimProcess sim({"--modules", "1,6,3", "--save-on-exit", P("saved.zul")});
  ASSERT_TRUE(sim.Ready());
  EXPECT_EQ(sim.Stop(), 0);  // it saves before it exits
  const ProgramRun info = Zul("info " + P("saved.zul"));
  EXPECT_EQ(info.exit, 0);
  EXPECT_NE(info.output.find("1630000000000000"), std::string::npos) << info.output;
}

}  // namespace
}  // namespace zul
