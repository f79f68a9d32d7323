#include <gtest/gtest.h>

#include "core/ScriptedInteraction.h"
#include "core/config/DeviceNumber.h"
#include "core/link/ModbusLink.h"
#include "core/model/ServiceBlock.h"
#include "support/FakeSerialLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using test::Bytes;

class DeviceNumberTest : public ::testing::Test {
 protected:
  DeviceNumberTest() { line.ForceOpen(true); }

  VirtualClock clock;
  test::FakeSerialLine line{&clock};
  ScriptedInteraction ui;
  test::WritingLink port{line, clock, ui};
  ServiceBlock serv;
};

TEST_F(DeviceNumberTest, RenumberToFive_Block99CarriesFourThenPollsAddressFive) {
  line.QueueFrame({0x01, 69, 0x00});
  line.QueueFrame({0x05, 0x8E, 0x06});  // busy: polled again
  line.QueueFrame({0x05, 14});          // the echo: stored
  EXPECT_EQ(RenumberDevice(port, serv, 5), kResultOk);
  ASSERT_EQ(line.Written().size(), 3u);
  EXPECT_EQ(line.Written()[0], test::WithCrc({0x01, 69, 99, 4}));
  EXPECT_EQ(line.Written()[1], test::WithCrc({0x05, 14}));
  EXPECT_EQ(line.Written()[2], test::WithCrc({0x05, 14}));
  EXPECT_EQ(serv.CurrentDevice, 4);
  EXPECT_EQ(serv.ConfiguredDevice, 4);
  EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(DeviceNumberTest, SilentAtTheNewAddress_ShownOnceWithoutSendingAgain) {
  EXPECT_EQ(RenumberDevice(port, serv, 3), kResultNoAnswer);
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_NE(ui.Last().text.find("не отвечает на запрос"), std::string::npos);
  // One store request (the link tries it Repeat1 times), then only polls.
  size_t firstPoll = 0;
  while (firstPoll < line.Written().size() && line.Written()[firstPoll][1] == 69) ++firstPoll;
  EXPECT_EQ(firstPoll, port.GetRepeat1());
  for (size_t k = firstPoll; k < line.Written().size(); ++k)
    EXPECT_EQ(line.Written()[k], test::WithCrc({0x03, 14}));
  EXPECT_EQ(serv.CurrentDevice, 2);
}

TEST_F(DeviceNumberTest, OtherFailure_SendsAgainWhileTriesRemain) {
  port.SetRepeat1(3);
  for (int k = 0; k < 3; ++k) {
    // The first store answers from the old address, the later ones from the new.
    line.QueueFrame({static_cast<uint8_t>(k == 0 ? 0x01 : 0x02), 69, 0x00});
    line.QueueFrame({0x02, 0x8E, 0x02});  // exception 2
  }
  EXPECT_EQ(StoreConfirmed(port, serv, 35, Bytes{1, 2, 3}, 1), 2);
  size_t stores = 0;
  for (const Bytes& f : line.Written()) stores += f[1] == 69;
  EXPECT_EQ(stores, 3u);
  EXPECT_EQ(line.Written()[0], test::WithCrc({0x01, 69, 35, 1, 2, 3}));
  EXPECT_EQ(line.Written()[2], test::WithCrc({0x02, 69, 35, 1, 2, 3}));  // then to the device after
  EXPECT_EQ(ui.Shown().size(), 1u);
}

TEST_F(DeviceNumberTest, ForeverBusy_GivesUpWithOneMessage) {
  line.QueueFrame({0x01, 69, 0x00});
  for (int k = 0; k < 400; ++k) line.QueueFrame({0x01, 0x8E, 0x06});
  EXPECT_EQ(StoreConfirmed(port, serv, 35, Bytes{1}, 0), kResultBusy);
  EXPECT_EQ(ui.Shown().size(), 1u);
  EXPECT_GE(clock.NowMs(), ModbusLink::kBusyGiveUpMs);
}

TEST_F(DeviceNumberTest, NumberOutsideTheLine_NothingSent) {
  EXPECT_NE(RenumberDevice(port, serv, 0), kResultOk);
  EXPECT_NE(RenumberDevice(port, serv, 32), kResultOk);
  EXPECT_TRUE(line.Written().empty());
}

}  // namespace
}  // namespace zul
