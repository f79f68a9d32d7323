// The controller image: the bytes a controller holds as last read or stored.
// "Changed" is the working configuration's encoding against it; compare and
// selective write look at every byte of every block, reserved bytes included.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ControllerImage.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/WriteConfiguration.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

class ImageFixture : public ::testing::Test {
 protected:
  ImageFixture() : bus_(clock_), line_(bus_, clock_), port_(line_, clock_, ui_) {}

  SimulatedController& Start(bool random = true, int address = 1) {
    ControllerSetup setup;
    setup.address = address;
    setup.composition.modules = {1, 1, 6, 3, 14, 10};
    setup.randomBlocks = random;
    setup.seed = 5;
    setup.storePolls = 0;
    SimulatedController& c = bus_.Add(setup);
    EXPECT_EQ(port_.OpenPort(), 0);
    return c;
  }

  std::unique_ptr<Configuration> ReadDevice() {
    auto c = std::make_unique<Configuration>();
    const ReadResult r = ReadConfiguration(port_, *c, ui_);
    EXPECT_TRUE(r.ok) << r.Describe();
    c->discreteProcessing.AccessLevel = kFullAccess;
    return c;
  }

  // The controller's blocks as the image keeps them: without the block number.
  static BlockMap HeldBy(const SimulatedController& controller, const BlockMap& like) {
    BlockMap held;
    for (const auto& [block, bytes] : controller.Blocks())
      if (like.contains(block)) held[block].assign(bytes.begin() + 1, bytes.end());
    return held;
  }

  std::vector<int> StoredBlocks(size_t from) const {
    std::vector<int> blocks;
    for (size_t i = from; i < line_.Written().size(); ++i)
      if (line_.Written()[i].size() > 2 && line_.Written()[i][1] == 69)
        blocks.push_back(line_.Written()[i][2]);
    return blocks;
  }

  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  ScriptedInteraction ui_;
  zul::test::WritingLink port_;
};

TEST_F(ImageFixture, AReadKeepsEveryByteAndEncodesBackUnchanged) {
  for (bool random : {false, true}) {
    SCOPED_TRACE(random ? "random blocks" : "default blocks");
    const SimulatedController& controller = Start(random, random ? 2 : 1);
    auto c = std::make_unique<Configuration>();
    c->service.CurrentDevice = controller.Address() - 1;
    ASSERT_TRUE(ReadConfiguration(port_, *c, ui_).ok);
    EXPECT_EQ(c->image.Blocks(), HeldBy(controller, c->image.Blocks()));
    EXPECT_TRUE(ChangedBlocks(*c).empty());
  }
}

TEST_F(ImageFixture, AnEditChangesItsOwnBlockOnlyAndItsUndoLeavesNothingChanged) {
  Start();
  auto c = ReadDevice();
  const auto before = std::make_unique<Configuration>(*c);
  c->service.SetText(20, "Насос 20");  // text block 41
  EXPECT_EQ(ChangedBlocks(*c), std::vector<int>{41});
  c->service.Text = before->service.Text;
  EXPECT_TRUE(ChangedBlocks(*c).empty());
}

TEST_F(ImageFixture, AWriteUpdatesTheImageByStoredBlockNotByAttempt) {
  SimulatedController& controller = Start();
  auto c = ReadDevice();
  // How many requests a write of block 40 alone takes (identity, store, polls).
  const int start = controller.Requests();
  ASSERT_TRUE(WriteConfiguration(port_, *c, ui_, [](int b) { return b == 40; }).ok());
  const int forBlock40 = controller.Requests() - start;

  c->service.SetText(0, "Насос 0");
  c->service.SetText(40, "Насос 40");  // blocks 40 and 42
  // The store of block 42 goes unanswered until the link gives up.
  FaultSettings faults;
  const int storeOf42 = controller.Requests() + forBlock40 + 1;
  for (int k = 0; k < 40; ++k) faults.drop.requests.insert(storeOf42 + k);
  controller.SetFaults(faults);
  const WriteResult failed = WriteConfiguration(port_, *c, ui_, [](int b) { return b == 40 || b == 42; });
  ASSERT_EQ(failed.outcome, WriteOutcome::BlockFailed);
  EXPECT_EQ(failed.writtenBlocks, std::vector<int>{40});
  EXPECT_EQ(ChangedBlocks(*c), std::vector<int>{42});

  controller.SetFaults({});
  const size_t seen = line_.Written().size();
  const WriteResult retry = WriteConfiguration(port_, *c, ui_, [&](int b) {
    const auto changed = ChangedBlocks(*c);
    return std::find(changed.begin(), changed.end(), b) != changed.end();
  });
  ASSERT_TRUE(retry.ok()) << retry.Describe();
  EXPECT_EQ(StoredBlocks(seen), std::vector<int>{42});
  EXPECT_TRUE(ChangedBlocks(*c).empty());
  EXPECT_EQ(HeldBy(controller, c->image.Blocks()), c->image.Blocks());
}

// One byte of one block flipped in the controller after memory read it: the
// comparison must name exactly that byte, and a selective write must store
// exactly that block and bring the controller back.
struct FlipCase {
  const char* name;
  int block;
  int offset;  // after the block number
};

class ByteFlips : public ImageFixture, public ::testing::WithParamInterface<FlipCase> {};

TEST_P(ByteFlips, AreSeenAndOnlyTheirBlockIsWrittenBack) {
  const FlipCase& f = GetParam();
  SimulatedController& controller = Start();
  auto memory = ReadDevice();

  auto bytes = controller.Blocks().at(f.block);
  ASSERT_LT(static_cast<size_t>(f.offset) + 1, bytes.size());
  bytes[static_cast<size_t>(f.offset) + 1] ^= 0x5A;
  ASSERT_TRUE(controller.SetBlock(f.block, bytes));

  const auto device = ReadDevice();
  const auto differences = CompareBlocks(EncodeBlocks(*memory), device->image.Blocks());
  ASSERT_EQ(differences.size(), 1u);
  EXPECT_EQ(differences[0].block, f.block);
  EXPECT_EQ(differences[0].offset, f.offset);
  EXPECT_FALSE(DescribeBlockByte(*memory, f.block, f.offset).empty());

  // The controller's bytes are now the image: memory differs from it in that block.
  memory->image = device->image;
  EXPECT_EQ(ChangedBlocks(*memory), std::vector<int>{f.block});
  const size_t seen = line_.Written().size();
  const auto blocks = BlocksOf(differences);
  const WriteResult w = WriteConfiguration(
      port_, *memory, ui_, [&](int b) { return std::find(blocks.begin(), blocks.end(), b) != blocks.end(); });
  ASSERT_TRUE(w.ok()) << w.Describe();
  EXPECT_EQ(StoredBlocks(seen), std::vector<int>{f.block});
  EXPECT_TRUE(CompareBlocks(EncodeBlocks(*memory), ReadDevice()->image.Blocks()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryBlockKind, ByteFlips,
    ::testing::Values(FlipCase{"AnalogModuleReserved", 1, 167}, FlipCase{"NetworkPart", 3, 100},
                      FlipCase{"RelayReserved", 9, 191}, FlipCase{"MasterBlockReserved", 10, 192},
                      FlipCase{"Function15Reserved", 11, 79}, FlipCase{"UsedRecordByte10", 12, 10},
                      FlipCase{"UnusedRecord", 25, 17 * 11 + 3}, FlipCase{"Loop", 32, 30},
                      FlipCase{"ProgramReserved", 33, 167}, FlipCase{"UnitsReserved", 35, 95},
                      FlipCase{"TextLastByte", 51, 223}, FlipCase{"FunctionBlockPage", 68, 20},
                      FlipCase{"LastPageReserved", 79, 189}, FlipCase{"SensorTypes", 98, 31}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ControllerImageCompare, MissingBlocksAndLengthsCount) {
  const BlockMap memory{{12, {1, 2, 3}}, {40, {7}}};
  const BlockMap controller{{12, {1, 2}}, {35, {9}}};
  const auto d = CompareBlocks(memory, controller);
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(d[0].block, 12);
  EXPECT_EQ(d[0].offset, 2);
  EXPECT_EQ(d[0].controller, -1);
  EXPECT_EQ(BlocksOf(d), (std::vector<int>{12, 35, 40}));
}

TEST(ControllerImageNames, BytesAreNamedInTheProgramsNumbering) {
  Configuration c;
  c.service.AiModules = 1;
  const std::pair<std::pair<int, int>, const char*> cases[] = {
      {{12, 5 * 11}, "вход № в базе 6"},
      {{13, 0}, "вход № в базе 19"},
      {{68, 9 * 19}, "ФБ 10"},
      {{69, 1 * 19 + 4}, "ФБ 12"},
      {{32, 2 * 28}, "регулятор 3"},
      {{1, 3}, "аналоговый модуль 1"},
      {{2, 3}, "локальная сеть, запись 1"},
      {{41, 14}, "текст входа № в базе 18"},
  };
  for (const auto& [at, text] : cases) EXPECT_EQ(DescribeBlockByte(c, at.first, at.second), text);
  EXPECT_EQ(RawBlockByte(12, 4), "блок 12, байт 5");
}

}  // namespace
}  // namespace zul
