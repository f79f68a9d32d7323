// The link over a real pseudo-terminal through QtSerialLine.
#include "serial/QtSerialLine.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "core/ScriptedInteraction.h"
#include "core/link/ModbusLink.h"
#include "support/FakeSerialLine.h"
#include "support/PtyPair.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using test::Bytes;
using test::WithCrc;

class QtSerialLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    port.SetPortName(pty.SlavePath());
    port.SetBaudText("115200");
    ASSERT_EQ(port.OpenPort(), 0);
  }

  // Answers one request from another thread, as a controller would.
  std::thread Answer(size_t requestLength, Bytes reply, Bytes* request) {
    return std::thread([=, this] {
      *request = pty.Receive(requestLength, 3000);
      pty.Send(reply);
    });
  }

  test::PtyPair pty;
  QtSerialLine line;
  SteadyClock clock;
  ScriptedInteraction ui;
  test::WritingLink port{line, clock, ui};
  std::array<uint8_t, kAnswerBufferSize> answer{};
};

TEST_F(QtSerialLineTest, RequestAndAnswerCrossThePty) {
  Bytes request;
  const Bytes reply = WithCrc({0x01, 0x44, 0x03, 0x0C, 0xAA, 0xBB});
  std::thread controller = Answer(5, reply, &request);
  const uint8_t block = 0x0C;
  EXPECT_EQ(port.Request(0, 68, std::span(&block, 1), answer), kResultOk);
  controller.join();
  EXPECT_EQ(request, WithCrc({0x01, 0x44, 0x0C}));
  EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 8), reply);
}

TEST_F(QtSerialLineTest, AnswerCutShort_EndsTheTryAfterTheInterByteTimeout) {
  port.SetRepeat1(1);
  port.SetRepeat2(1);
  Bytes request;
  std::thread controller = Answer(4, {0x01, 0x11, 0x10, 0x01}, &request);
  EXPECT_EQ(port.Request(0, 17, {}, answer), kResultTimeout);
  controller.join();
  EXPECT_EQ(port.GetReceivedCount(), 4);
}

TEST_F(QtSerialLineTest, Broadcast_IsWrittenAndNothingIsRead) {
  const Bytes clock7 = {0x05, 0x07, 0x0D, 0x09, 0x03, 0x18, 0x04};
  EXPECT_EQ(port.Request(3, 70, clock7, answer), kResultOk);
  Bytes frame = pty.Receive(11, 2000);
  ASSERT_EQ(frame.size(), 11u);
  EXPECT_EQ(frame[0], 0);
}

TEST(QtSerialLine, OpeningAMissingDeviceFails) {
  QtSerialLine line;
  line.SetPortName("/dev/zul-no-such-port");
  EXPECT_FALSE(line.Open());
  EXPECT_FALSE(line.IsOpen());
}

}  // namespace
}  // namespace zul
