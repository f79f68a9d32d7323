#include "core/link/Mbap.h"

#include <gtest/gtest.h>

#include <array>

#include "core/ScriptedInteraction.h"
#include "core/link/Crc16.h"
#include "core/link/MbapLine.h"
#include "core/link/NetworkPort.h"
#include "support/FakeSerialLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using test::Bytes;
using test::WithCrc;

TEST(Mbap, AnRtuFrameGoesOutWithTheUnitIdForItsAddressAndNoChecksum) {
  EXPECT_EQ(RtuToMbap(WithCrc({0x05, 0x11}), 0x1234), (Bytes{0x12, 0x34, 0, 0, 0, 2, 0x05, 0x11}));
  // A custom function with data; the length field counts unit id and PDU.
  EXPECT_EQ(RtuToMbap(WithCrc({0x03, 68, 12}), 0xFFFF), (Bytes{0xFF, 0xFF, 0, 0, 0, 3, 0x03, 68, 12}));
  // The broadcast clock setting goes to unit 0.
  EXPECT_EQ(RtuToMbap(WithCrc({0x00, 70, 1, 2}), 7), (Bytes{0, 7, 0, 0, 0, 4, 0x00, 70, 1, 2}));
  EXPECT_TRUE(RtuToMbap(Bytes{0x01, 0x11, 0xC0}, 1).empty());
}

TEST(Mbap, AFrameComesBackAsTheRtuFrameItStandsFor) {
  MbapFrame frame{0x0102, 0x07, {0x91, 0x02}};  // an exception answer
  EXPECT_EQ(MbapToRtu(frame), WithCrc({0x07, 0x91, 0x02}));
  const MbapParse parse = ParseMbap(EncodeMbap(frame), 258);
  ASSERT_EQ(parse.status, MbapStatus::Ok);
  EXPECT_EQ(parse.consumed, 9u);
  EXPECT_EQ(parse.frame.transaction, 0x0102);
  EXPECT_EQ(parse.frame.unit, 0x07);
  EXPECT_EQ(parse.frame.pdu, (Bytes{0x91, 0x02}));
}

TEST(Mbap, ParsingWaitsForWholeFramesAndRefusesBadHeaders) {
  struct Case {
    const char* what;
    Bytes bytes;
    MbapStatus status;
    size_t consumed;
  };
  const Case cases[] = {
      {"half a header", {0, 1, 0, 0, 0}, MbapStatus::Incomplete, 0},
      {"header without its PDU", {0, 1, 0, 0, 0, 3, 1, 17}, MbapStatus::Incomplete, 0},
      {"a whole frame and the next one's start", {0, 1, 0, 0, 0, 2, 1, 17, 0, 2}, MbapStatus::Ok, 8},
      {"protocol id not Modbus", {0, 1, 0, 1, 0, 2, 1, 17}, MbapStatus::BadProtocol, 0},
      {"length 0", {0, 1, 0, 0, 0, 0, 1}, MbapStatus::BadLength, 0},
      {"length 1: a unit id without a function", {0, 1, 0, 0, 0, 1, 1}, MbapStatus::BadLength, 0},
      {"longer than any answer", {0, 1, 0, 0, 0x01, 0x03, 1}, MbapStatus::BadLength, 0},
      {"a length field out of all reason", {0, 1, 0, 0, 0xFF, 0xFF, 1}, MbapStatus::BadLength, 0},
  };
  for (const Case& c : cases) {
    const MbapParse parse = ParseMbap(c.bytes, 258);
    EXPECT_EQ(parse.status, c.status) << c.what;
    EXPECT_EQ(parse.consumed, c.consumed) << c.what;
  }
  // The longest answer itself passes.
  Bytes longest = {0, 1, 0, 0, 0x01, 0x02, 1, 68, 255};
  longest.resize(kMbapHeaderSize - 1 + 258);
  EXPECT_EQ(ParseMbap(longest, 258).status, MbapStatus::Ok);
}

TEST(NetworkPortName, TakesBothTransportsWithHostAndPortOnly) {
  const auto tcp = ParseNetworkPortName("tcp://10.0.0.5:4001");
  ASSERT_TRUE(tcp);
  EXPECT_EQ(tcp->transport, NetworkTransport::RtuOverTcp);
  EXPECT_EQ(tcp->host, "10.0.0.5");
  EXPECT_EQ(tcp->port, 4001);
  const auto gateway = ParseNetworkPortName("mbtcp://[::1]:502");
  ASSERT_TRUE(gateway);
  EXPECT_EQ(gateway->transport, NetworkTransport::ModbusTcp);
  EXPECT_EQ(gateway->host, "::1");
  for (const char* bad : {"tcp://host", "tcp://:502", "tcp://host:", "tcp://host:0", "tcp://host:65536",
                          "tcp://host:50x", "udp://host:502", "mbtcp://a b:502", "COM3"}) {
    EXPECT_FALSE(IsNetworkPortName(bad)) << bad;
  }
  // A host named like a COM port is still a network name, never a serial one.
  EXPECT_FALSE(IsSerialPortName("tcp://plant.example.com:4001"));
  EXPECT_TRUE(IsSerialPortName("COM3"));
}

// The link over Modbus TCP: the fake line stands for the TCP stream.
class MbapLinkTest : public ::testing::Test {
 protected:
  MbapLinkTest() {
    stream.ForceOpen(true);
    port.SetRepeat1(2);
    port.SetRepeat2(2);
  }
  int Request(uint8_t function, Bytes data = {}, int device = 0) {
    answer.fill(0);
    return port.Request(device, function, data, answer);
  }
  // The gateway's answer to transaction `id` from unit 1.
  static Bytes Answer(uint16_t id, Bytes pdu, uint8_t unit = 1) {
    return EncodeMbap({id, unit, std::move(pdu)});
  }

  VirtualClock clock;
  test::FakeSerialLine stream{&clock};
  MbapLine line{stream};
  ScriptedInteraction ui;
  test::WritingLink port{line, clock, ui};
  std::array<uint8_t, kAnswerBufferSize> answer{};
};

TEST_F(MbapLinkTest, AnAnswerReachesTheLinkAsAnRtuFrameWithItsChecksum) {
  stream.QueueReply(Answer(1, {68, 3, 12, 0xAA, 0xBB}));
  ASSERT_EQ(Request(68, {12}), kResultOk);
  ASSERT_EQ(stream.Written().size(), 1u);
  EXPECT_EQ(stream.Written()[0], (Bytes{0, 1, 0, 0, 0, 3, 1, 68, 12}));
  const Bytes rtu = WithCrc({1, 68, 3, 12, 0xAA, 0xBB});
  EXPECT_TRUE(std::equal(rtu.begin(), rtu.end(), answer.begin()));
}

TEST_F(MbapLinkTest, ExceptionsPassThroughAsTheControllerSentThem) {
  stream.QueueReply(Answer(1, {69 | 0x80, 6}));
  EXPECT_EQ(Request(69, {12, 1, 2}), kResultBusy);
  EXPECT_EQ(stream.Written().size(), 1u);
}

TEST_F(MbapLinkTest, ALateAnswerToAnEarlierTryIsPassedOver) {
  stream.QueueSilence();
  // The first try's answer arrives in front of the second's.
  Bytes both = Answer(1, {17, 1, 0x55});
  const Bytes second = Answer(2, {17, 1, 0x66});
  both.insert(both.end(), second.begin(), second.end());
  stream.QueueReply(both);
  ASSERT_EQ(Request(17), kResultOk);
  EXPECT_EQ(answer[3], 0x66);
  ASSERT_EQ(stream.Written().size(), 2u);
  EXPECT_EQ(stream.Written()[1][1], 2) << "each try has its own transaction id";
}

TEST_F(MbapLinkTest, ABadHeaderOrACutFrameIsAFailedTry) {
  struct Case {
    const char* what;
    Bytes reply;
    int result;
  };
  const Case cases[] = {
      {"oversized length", {0, 1, 0, 0, 0x02, 0x00, 1, 17}, kResultReceiveError},
      {"short length", {0, 1, 0, 0, 0, 1, 1}, kResultReceiveError},
      {"protocol id", {0, 1, 0, 7, 0, 3, 1, 17, 0}, kResultReceiveError},
      {"header cut", {0, 1, 0, 0}, kResultTimeout},
      {"PDU cut", {0, 1, 0, 0, 0, 5, 1, 17, 3}, kResultTimeout},
  };
  for (const Case& c : cases) {
    stream.QueueReply(c.reply);
    stream.QueueReply(c.reply);
    EXPECT_EQ(Request(17), c.result) << c.what;
    EXPECT_EQ(stream.PendingReplies(), 0u) << c.what;
  }
}

TEST_F(MbapLinkTest, AnAnswerFromAnotherUnitIsNotTheAnswer) {
  stream.QueueReply(Answer(1, {17, 1, 0x55}, 2));
  stream.QueueReply(Answer(2, {17, 1, 0x55}, 2));
  EXPECT_EQ(Request(17), kResultReceiveError);
}

TEST_F(MbapLinkTest, TheBroadcastGoesToUnitZeroAndWaitsForNothing) {
  const Bytes data = {0x24, 0x03, 0x09, 0x13, 0x07, 0x05};
  EXPECT_EQ(Request(kBroadcastFunction, data), kResultOk);
  ASSERT_EQ(stream.Written().size(), 1u);
  EXPECT_EQ(stream.Written()[0][6], 0) << "unit id";
  EXPECT_EQ(stream.Written()[0][7], kBroadcastFunction);
  EXPECT_EQ(clock.NowMs(), 25) << "only the pause before the request";
}

}  // namespace
}  // namespace zul
