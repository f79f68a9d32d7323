// The closing rule the module editors share, and what each module block sends.
#include <gtest/gtest.h>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/editing/ModuleEditing.h"
#include "core/link/ModbusLink.h"
#include "support/FakeSerialLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using test::Bytes;

// A block that records what the closing did to it.
struct RecordingBlock : EditedBlock {
  bool edited = false;
  bool sendSucceeds = true;
  int restored = 0, kept = 0, sent = 0;
  bool Edited() const override { return edited; }
  void MarkUnchanged() override { edited = false; }
  void RestoreReference() override { ++restored; }
  void KeepAsReference() override { ++kept; }
  bool Send() override {
    ++sent;
    return sendSucceeds;
  }
};

struct CloseCase {
  const char* name;
  bool cancelled;
  int fileMode;
  bool edited;
  bool sendSucceeds;
  Answer answer;  // to the send question, when it is asked
  CloseVerdict verdict;
  bool asked;
  int restored, kept, sent;
  int fileChanged;
  bool stillEdited;
};

class CloseEditorTest : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseEditorTest, DoesWhatTheModeAndTheAnswerSay) {
  const CloseCase& c = GetParam();
  RecordingBlock block;
  block.edited = c.edited;
  block.sendSucceeds = c.sendSucceeds;
  ServiceBlock serv;
  serv.FileMode = c.fileMode;
  ScriptedInteraction ui;
  ui.QueueAnswer(c.answer);
  EXPECT_EQ(CloseEditor(block, c.cancelled, serv, ui, kAnalogSendQuestion), c.verdict);
  ASSERT_EQ(ui.Shown().size(), c.asked ? 1u : 0u);
  if (c.asked) {
    EXPECT_EQ(ui.Last().caption, kSendQuestionCaption);
    EXPECT_EQ(ui.Last().text, kAnalogSendQuestion);
    EXPECT_EQ(ui.Last().buttons, Buttons::YesNoCancel);
    EXPECT_EQ(ui.Last().defaultAnswer, Answer::No);
  }
  EXPECT_EQ(block.restored, c.restored);
  EXPECT_EQ(block.kept, c.kept);
  EXPECT_EQ(block.sent, c.sent);
  EXPECT_EQ(serv.FileChanged, c.fileChanged);
  EXPECT_EQ(block.edited, c.stillEdited);
}

INSTANTIATE_TEST_SUITE_P(Cases, CloseEditorTest,
                         ::testing::Values(
                             // name, cancelled, file, edited, send ok, answer, verdict, asked, restored,
                             // kept, sent, FileChanged, edited after
                             CloseCase{"CancelledInDevice", true, 0, true, true, Answer::Yes,
                                       CloseVerdict::Close, false, 1, 0, 0, 0, false},
                             CloseCase{"CancelledInFile", true, 1, true, true, Answer::Yes,
                                       CloseVerdict::Close, false, 1, 0, 0, 0, false},
                             CloseCase{"FileEdited", false, 1, true, true, Answer::Yes, CloseVerdict::Close,
                                       false, 0, 1, 0, 1, true},
                             CloseCase{"FileUnedited", false, 1, false, true, Answer::Yes,
                                       CloseVerdict::Close, false, 0, 1, 0, 0, false},
                             CloseCase{"DeviceUnedited", false, 0, false, true, Answer::Yes,
                                       CloseVerdict::Close, false, 0, 0, 0, 0, false},
                             CloseCase{"DeviceYes", false, 0, true, true, Answer::Yes, CloseVerdict::Close,
                                       true, 0, 1, 1, 0, false},
                             CloseCase{"DeviceYesFailed", false, 0, true, false, Answer::Yes,
                                       CloseVerdict::Close, true, 0, 0, 1, 0, true},
                             CloseCase{"DeviceNo", false, 0, true, true, Answer::No, CloseVerdict::Close,
                                       true, 1, 0, 0, 0, false},
                             CloseCase{"DeviceCancel", false, 0, true, true, Answer::Cancel,
                                       CloseVerdict::Stay, true, 0, 0, 0, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- what each block sends and keeps ------------------------------------------------------

class ModuleBlockTest : public ::testing::Test {
 protected:
  ModuleBlockTest() { line.ForceOpen(true); }
  void QueueStored(uint8_t block) {
    line.QueueFrame({0x01, 69, 0x01, block});
    line.QueueFrame({0x01, 14});
  }

  VirtualClock clock;
  test::FakeSerialLine line{&clock};
  ScriptedInteraction ui;
  test::WritingLink port{line, clock, ui};
  Configuration cfg;
  int device = 0;
};

TEST_F(ModuleBlockTest, AnalogRecord_SentAsBlockNWith169BytesThenKeptAsReference) {
  cfg.analogModules.SetModuleDefaults(1, 8);
  cfg.analogModules.SetSetpointH(1, 2, "55");
  cfg.analogModules.Unchanged[1] = 0;
  AnalogModuleBlock block(cfg.analogModules, cfg.reserveBlocks, port, device, 1);
  QueueStored(2);
  EXPECT_TRUE(SendEditedBlock(block));
  const Bytes& store = line.Written().at(0);
  ASSERT_EQ(store.size(), 2u + 169u + 2u);
  EXPECT_EQ(store[1], 69);
  const auto record = cfg.analogModules.GetRecord(1);
  EXPECT_EQ(store[2], 2);
  EXPECT_TRUE(std::equal(record.begin() + 1, record.end(), store.begin() + 3));
  EXPECT_TRUE(std::equal(record.begin(), record.end(), cfg.reserveBlocks.ModuleRecords[1].begin()));
  EXPECT_EQ(cfg.analogModules.Unchanged[1], 1);
}

TEST_F(ModuleBlockTest, AnalogRecord_RestoreBringsBackTheReferenceBytes) {
  cfg.analogModules.SetModuleDefaults(0, 6);
  AnalogModuleBlock block(cfg.analogModules, cfg.reserveBlocks, port, device, 0);
  block.KeepAsReference();
  cfg.analogModules.SetPosition(0, 3, "XX");
  cfg.analogModules.SetDeadZone(0, 3, 2);
  block.RestoreReference();
  EXPECT_EQ(cfg.analogModules.GetPosition(0, 3), "поз.6104");
  EXPECT_EQ(cfg.analogModules.GetDeadZone(0, 3), 0);
}

TEST_F(ModuleBlockTest, RelayBlock_SentWhole_FailureLeavesTheModuleEdited) {
  cfg.relayModules.SetDefaults();
  cfg.relayModules.Unchanged[2] = 0;
  RelayModuleBlock block(cfg.relayModules, cfg.reserveBlocks, port, device, 2);
  EXPECT_FALSE(SendEditedBlock(block));  // silent controller
  EXPECT_EQ(ui.Shown().size(), 1u);
  EXPECT_TRUE(block.Edited());
  EXPECT_EQ(cfg.reserveBlocks.RelayBlock[1], 0);  // not kept

  line = test::FakeSerialLine{&clock};
  line.ForceOpen(true);
  QueueStored(9);
  EXPECT_TRUE(SendEditedBlock(block));
  const Bytes& store = line.Written().at(0);
  ASSERT_EQ(store.size(), 2u + 193u + 2u);
  EXPECT_EQ(store[2], 9);
  EXPECT_EQ(store[3], RelayModules::kDefaultOutputByte);
  EXPECT_EQ(cfg.reserveBlocks.RelayBlock[1], RelayModules::kDefaultOutputByte);
  EXPECT_FALSE(block.Edited());
}

TEST_F(ModuleBlockTest, SensorTypes_NamurOnSensor12OfSlot1_Sends98Then0x00_0x08AndThirtyZeros) {
  cfg.discreteProcessing.SetSensorType(11, 0, 1);
  cfg.discreteProcessing.ModuleSynced[1] = 0;
  SensorTypeBlock block(cfg.discreteProcessing, cfg.reserveBlocks, port, device, 1);
  QueueStored(98);
  EXPECT_TRUE(SendEditedBlock(block));
  Bytes expected{0x01, 69, 98, 0x00, 0x08};
  expected.resize(5 + 30, 0);
  EXPECT_EQ(line.Written().at(0), test::WithCrc(expected));
  EXPECT_EQ(cfg.reserveBlocks.SensorTypes[1], 0x08);
  EXPECT_EQ(cfg.discreteProcessing.ModuleSynced[1], 1);
  EXPECT_EQ(cfg.discreteProcessing.Modified, 1);
}

TEST_F(ModuleBlockTest, SensorTypes_RestoreTakesTheReferenceWordsBack) {
  cfg.reserveBlocks.SensorTypes[4] = 0x05;  // slot 3: sensors 1 and 3 NAMUR
  SensorTypeBlock block(cfg.discreteProcessing, cfg.reserveBlocks, port, device, 3);
  cfg.discreteProcessing.SetSensorType(1, 2, 1);
  block.RestoreReference();
  EXPECT_EQ(cfg.discreteProcessing.GetSensorType(0, 2), 1);
  EXPECT_EQ(cfg.discreteProcessing.GetSensorType(1, 2), 0);
  EXPECT_EQ(cfg.discreteProcessing.GetSensorType(2, 2), 1);
}

}  // namespace
}  // namespace zul
