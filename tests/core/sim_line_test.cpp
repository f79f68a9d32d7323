#include <gtest/gtest.h>

#include "core/link/Crc16.h"
#include "sim/SimulatedLine.h"
#include "support/FakeSerialLine.h"

namespace zul {
namespace {

using test::Bytes;
using test::WithCrc;

class LineFixture : public ::testing::Test {
 protected:
  LineFixture() : bus_(clock_), line_(bus_, clock_) {}

  void SetUp() override { ASSERT_TRUE(line_.Open()); }

  SimulatedController& Add(ControllerSetup setup = {}) { return bus_.Add(setup); }
  void Write(const Bytes& withoutCrc) {
    Bytes frame = WithCrc(withoutCrc);
    ASSERT_TRUE(line_.Write(frame));
  }
  Bytes Read(size_t count) {
    Bytes buffer(count);
    int n = line_.Read(buffer);
    buffer.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return buffer;
  }

  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
};

TEST_F(LineFixture, AnswerTakesItsWireTimeAtTheSetBaudRate) {
  Add();
  line_.SetBaudRate(9600);
  Write({1, 68, 12});  // 5 bytes: 5.7 ms on the wire
  EXPECT_EQ(clock_.NowMs(), 6);
  Bytes head = Read(3);
  ASSERT_EQ(head, (Bytes{1, 68, 199}));
  Bytes rest = Read(199 + 5 - 3);
  ASSERT_EQ(rest.size(), 201u);
  // Request 5 bytes, turnaround 2 ms, answer 204 bytes, 11 bits each at 9600 baud.
  EXPECT_EQ(clock_.NowMs(), (5 + 204) * 11000 / 9600 + 2 + 1);
  Bytes answer = head;
  answer.insert(answer.end(), rest.begin(), rest.end());
  EXPECT_TRUE(CrcMatches(answer));
}

TEST_F(LineFixture, FasterLineIsFaster) {
  Add();
  line_.SetBaudRate(115200);
  Write({1, 68, 12});
  Read(3);
  Read(201);
  EXPECT_EQ(clock_.NowMs(), (5 + 204) * 11000 / 115200 + 2 + 1);
}

TEST_F(LineFixture, SilenceCostsTheWholeReadTimeOut) {
  Add();
  Write({7, 17});  // nobody at 7
  int64_t before = clock_.NowMs();
  EXPECT_TRUE(Read(3).empty());
  EXPECT_EQ(clock_.NowMs() - before, ReadTotalTimeoutMs(3));
}

TEST_F(LineFixture, ShortAnswerEndsOneInterByteTimeOutAfterItsLastByte) {
  ControllerSetup setup;
  setup.faults.cut.requests = {1};
  Add(setup);
  Write({1, 17});  // 28-byte answer cut to 14
  Bytes head = Read(3);
  ASSERT_EQ(head.size(), 3u);
  int64_t lastByte = clock_.NowMs() + (14 - 3) * 11000 / 9600;
  Bytes rest = Read(25);
  EXPECT_EQ(rest.size(), 11u);
  EXPECT_NEAR(clock_.NowMs(), lastByte + kInterByteTimeoutMs, 2);
}

TEST_F(LineFixture, LateAnswerOutlivesAPurgeAndArrivesAfterwards) {
  ControllerSetup setup;
  setup.faults.late.requests = {1};
  setup.faults.lateMs = 2000;
  Add(setup);
  Write({1, 17});
  EXPECT_TRUE(Read(3).empty());  // 1300 ms: not yet
  EXPECT_TRUE(line_.Purge());
  clock_.Advance(1000);
  EXPECT_EQ(Read(3), (Bytes{1, 17, 23}));
}

TEST_F(LineFixture, PurgeDropsWhatHasArrived) {
  Add();
  Write({1, 17});
  clock_.Advance(100);
  EXPECT_TRUE(line_.Purge());
  EXPECT_TRUE(Read(3).empty());
}

TEST_F(LineFixture, EachDeviceOnTheLineAnswersItsOwnAddress) {
  ControllerSetup first, second;
  first.address = 2;
  second.address = 5;
  second.composition.modules = {1, 6, 6, 3};
  Add(first);
  Add(second);
  Write({5, 17});
  Bytes answer = Read(28);
  ASSERT_EQ(answer.size(), 28u);
  EXPECT_EQ(answer[0], 5);
  EXPECT_EQ(answer[3 + 3], 6);  // slot 3 of device 5
  Write({2, 17});
  answer = Read(28);
  EXPECT_EQ(answer[0], 2);
  EXPECT_EQ(answer[3 + 3], 6);
  EXPECT_EQ(answer[3 + 4], 3);
  Write({3, 17});
  EXPECT_TRUE(Read(28).empty());
}

TEST_F(LineFixture, UnpluggedLineFailsEveryOperation) {
  Add();
  line_.Unplug(true);
  Bytes frame = WithCrc({1, 17});
  EXPECT_FALSE(line_.Write(frame));
  uint8_t buffer[4];
  EXPECT_LT(line_.Read(buffer), 0);
  EXPECT_FALSE(line_.Purge());
  line_.Close();
  EXPECT_FALSE(line_.Open());
}

TEST_F(LineFixture, LogHasOneJsonLinePerFrame) {
  Add();
  std::ostringstream log;
  bus_.SetLog(&log);
  Write({1, 68, 12});
  Bytes bad = WithCrc({1, 17});
  bad.back() ^= 1;
  line_.Write(bad);
  std::string text = log.str();
  ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
  EXPECT_NE(text.find("\"address\":1,\"function\":68,\"data\":\"0c\",\"crc_ok\":true,\"request\":1,"
                      "\"answer\":\"0144c70c"),
            std::string::npos);
  EXPECT_NE(text.find("\"function\":17,\"data\":\"\",\"crc_ok\":false,\"answer\":null}"), std::string::npos);
}

}  // namespace
}  // namespace zul
