// The editors' change questions measured against the controller image: an
// undo after a write is a change again and is sent; what the controller ends
// up holding is checked in its own blocks.
#include <gtest/gtest.h>

#include <memory>

#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ControllerImage.h"
#include "core/config/ReadConfiguration.h"
#include "core/editing/FunctionBlockEditing.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

class EditorImage : public ::testing::Test {
 protected:
  EditorImage() : bus_(clock_), line_(bus_, clock_), port_(line_, clock_, ui_) {
    ControllerSetup setup;
    setup.composition.modules = {1, 1, 6, 3, 14};
    setup.storePolls = 0;
    controller_ = &bus_.Add(setup);
    port_.OpenPort();
    config_ = std::make_unique<Configuration>();
    read_ = ReadConfiguration(port_, *config_, ui_).ok;
    config_->discreteProcessing.AccessLevel = kFullAccess;
  }

  // Block 32 as the controller holds it, without its number.
  std::vector<uint8_t> HeldLoops() const {
    const auto& block = controller_->Blocks().at(Regulators::LoopBlockNumber);
    return {block.begin() + 1, block.end()};
  }

  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  ScriptedInteraction ui_;
  zul::test::WritingLink port_;
  SimulatedController* controller_ = nullptr;
  std::unique_ptr<Configuration> config_;
  bool read_ = false;
};

// A shifted regulator reference, F10, undo, F10: the controller must point
// at the block again that memory points at.
TEST_F(EditorImage, ReferenceShiftWrittenThenUndoneIsSentAgain) {
  ASSERT_TRUE(read_);
  Configuration& c = *config_;
  int loop = -1;
  for (int r = 0; r < Regulators::RecordCount && loop < 0; ++r)
    if (c.regulators.GetKind(r) == Regulators::KindSingleLoop) loop = r;
  ASSERT_GE(loop, 0) << "the simulated controller has a single loop";
  c.regulators.SetFcOn(loop, 12);
  ASSERT_TRUE(WriteFunctionBlockTable(c, port_, ui_));
  ASSERT_TRUE(WriteRegulatorLoops(c, port_, ui_));
  const auto original = HeldLoops();
  EXPECT_FALSE(LoopBlockChanged(c));

  const FunctionBlockSnapshot before = FunctionBlockSnapshot::Take(c);
  ShiftRegulatorsForInsert(c, 5, 1, ui_);  // a block inserted before FB 12
  EXPECT_EQ(c.regulators.GetLoopByte(loop, 4), 13);
  EXPECT_TRUE(LoopBlockChanged(c));
  ASSERT_TRUE(WriteFunctionBlockTable(c, port_, ui_));
  ASSERT_TRUE(WriteRegulatorLoops(c, port_, ui_));
  EXPECT_FALSE(LoopBlockChanged(c));

  before.Restore(c);  // Ctrl+Z
  EXPECT_TRUE(LoopBlockChanged(c)) << "the undo is a change against what the controller holds";
  EXPECT_FALSE(FunctionBlockTableChanged(c));  // only the references moved
  ASSERT_TRUE(WriteRegulatorLoops(c, port_, ui_));
  EXPECT_EQ(HeldLoops(), original);
  EXPECT_FALSE(LoopBlockChanged(c));
}

}  // namespace
}  // namespace zul
