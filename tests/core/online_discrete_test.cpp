#include <gtest/gtest.h>

#include "core/ScriptedInteraction.h"
#include "core/config/OnlineDiscrete.h"
#include "core/link/ModbusLink.h"
#include "support/FakeSerialLine.h"

namespace zul {
namespace {

using test::Bytes;

class OnlineDiscreteTest : public ::testing::Test {
 protected:
  OnlineDiscreteTest() { line.ForceOpen(true); }

  // The request frame sent as the k-th write, without its CRC.
  Bytes Sent(size_t k) const {
    Bytes f = line.Written().at(k);
    f.resize(f.size() - 2);
    return f;
  }

  VirtualClock clock;
  test::FakeSerialLine line{&clock};
  ScriptedInteraction ui;
  ModbusLink port{line, clock, ui};
};

TEST(OnlineRequests, AddressesOfEachRequest) {
  EXPECT_EQ(HealthRequest().Data(), (std::array<uint8_t, 4>{0x03, 0xF8, 0x00, 0x10}));
  EXPECT_EQ(InputRequest(2).function, 2);
  EXPECT_EQ(InputRequest(2).Data(), (std::array<uint8_t, 4>{0x00, 0x0C, 0x00, 0x0C}));
  EXPECT_EQ(ValidityRequest(2).Data(), (std::array<uint8_t, 4>{0x04, 0x2C, 0x00, 0x0C}));  // 1068
  EXPECT_EQ(OutputRequest(3).Data(), (std::array<uint8_t, 4>{0x00, 0x10, 0x00, 0x08}));
}

TEST(OnlineBits, LeastSignificantFirstAndNothingBeyondTheAnswer) {
  const Bytes a = {0x01, 0x01, 0x02, 0x81, 0x02};
  EXPECT_TRUE(AnswerBit(a, 0));
  EXPECT_FALSE(AnswerBit(a, 1));
  EXPECT_TRUE(AnswerBit(a, 7));
  EXPECT_TRUE(AnswerBit(a, 9));
  EXPECT_FALSE(AnswerBit(a, 16));  // byte count 2
  EXPECT_FALSE(AnswerBit(a, -1));
  const Bytes lying = {0x01, 0x01, 0x09, 0xFF};  // count says more than there is
  EXPECT_TRUE(AnswerBit(lying, 7));
  EXPECT_FALSE(AnswerBit(lying, 8));
}

TEST_F(OnlineDiscreteTest, InputModuleOfSlot2_PollsHealthInputsFrom12AndValidityFrom1068) {
  line.QueueFrame({0x01, 0x01, 0x02, 0x02, 0x00});  // slot 2 faulty
  line.QueueFrame({0x01, 0x02, 0x02, 0x05, 0x08});  // inputs 1, 3 and 12 on
  line.QueueFrame({0x01, 0x01, 0x02, 0x00, 0x04});  // input 11 invalid
  const InputModulePoll p = PollInputModule(port, 0, 2, 2);
  EXPECT_EQ(p.result, kResultOk);
  EXPECT_EQ(p.completed, 3);
  ASSERT_EQ(line.Written().size(), 3u);
  EXPECT_EQ(Sent(0), (Bytes{0x01, 0x01, 0x03, 0xF8, 0x00, 0x10}));
  EXPECT_EQ(Sent(1), (Bytes{0x01, 0x02, 0x00, 0x0C, 0x00, 0x0C}));
  EXPECT_EQ(Sent(2), (Bytes{0x01, 0x01, 0x04, 0x2C, 0x00, 0x0C}));
  EXPECT_TRUE(p.faulty);
  EXPECT_TRUE(p.on[0]);
  EXPECT_FALSE(p.on[1]);
  EXPECT_TRUE(p.on[2]);
  EXPECT_TRUE(p.on[11]);
  EXPECT_TRUE(p.invalid[10]);
  EXPECT_FALSE(p.invalid[0]);
}

TEST_F(OnlineDiscreteTest, HealthBitOfSlotOneOnlyMarksSlotOne) {
  line.QueueFrame({0x01, 0x01, 0x02, 0x01, 0x00});
  EXPECT_TRUE(PollInputModule(port, 0, 1, 1).faulty);
  line.QueueFrame({0x01, 0x01, 0x02, 0x01, 0x00});
  EXPECT_FALSE(PollInputModule(port, 0, 2, 2).faulty);
}

TEST_F(OnlineDiscreteTest, SilentController_FirstFailureSkipsTheRestAndShowsNothing) {
  const InputModulePoll p = PollInputModule(port, 0, 1, 1);
  EXPECT_EQ(p.result, kResultNoAnswer);
  EXPECT_EQ(p.completed, 0);
  EXPECT_EQ(line.Written().size(), port.GetRepeat1());
  EXPECT_TRUE(ui.Shown().empty());  // the window decides whether to report
}

TEST_F(OnlineDiscreteTest, FailureAfterHealth_KeepsHealthAndStops) {
  line.QueueFrame({0x01, 0x01, 0x02, 0x00, 0x00});
  line.QueueFrame({0x01, 0x82, 0x02});  // exception 2 on the input request
  const InputModulePoll p = PollInputModule(port, 0, 1, 1);
  EXPECT_EQ(p.result, 2);
  EXPECT_EQ(p.completed, 1);
  EXPECT_FALSE(p.faulty);
  EXPECT_EQ(line.Written().size(), 2u);
}

TEST_F(OnlineDiscreteTest, RelayModule_PollsHealthThenItsEightOutputs) {
  line.QueueFrame({0x03, 0x01, 0x02, 0x08, 0x00});  // slot 4 faulty
  line.QueueFrame({0x03, 0x01, 0x01, 0x81});
  const OutputModulePoll p = PollOutputModule(port, 2, 4, 2);
  EXPECT_EQ(p.result, kResultOk);
  EXPECT_EQ(Sent(1), (Bytes{0x03, 0x01, 0x00, 0x08, 0x00, 0x08}));
  EXPECT_TRUE(p.faulty);
  EXPECT_TRUE(p.on[0]);
  EXPECT_TRUE(p.on[7]);
  EXPECT_FALSE(p.on[3]);
}

}  // namespace
}  // namespace zul
