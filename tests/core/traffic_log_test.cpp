// The frames the link saw and the per-device counters: exact under injected
// faults, bounded, and readable from where a reader left off.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "core/ScriptedInteraction.h"
#include "core/config/LineScan.h"
#include "core/link/ModbusLink.h"
#include "core/link/TrafficLog.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

class TrafficFixture : public ::testing::Test {
 protected:
  TrafficFixture() : bus_(clock_), line_(bus_, clock_), port_(line_, clock_, ui_) {}

  SimulatedController& Add(int address, FaultSettings faults = {}) {
    ControllerSetup setup;
    setup.address = address;
    setup.faults = faults;
    SimulatedController& c = bus_.Add(setup);
    if (!line_.IsOpen()) {
      EXPECT_EQ(port_.OpenPort(), 0);
    }
    return c;
  }
  int Identity(int address) {
    std::array<uint8_t, kAnswerBufferSize> answer{};
    return port_.Request(address - 1, 17, {}, answer);
  }

  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  ScriptedInteraction ui_;
  zul::test::WritingLink port_;
};

TEST_F(TrafficFixture, CountsEveryTryAndItsOutcome) {
  FaultSettings faults;
  faults.drop.requests = {2, 5};
  faults.badCrc.requests = {3};
  Add(1, faults);
  TrafficLog log;
  port_.SetFrameObserver(&log);
  port_.SetRepeat1(1);
  port_.SetRepeat2(1);
  for (int n = 0; n < 6; ++n) Identity(1);

  const DeviceTraffic t = log.Device(1);
  EXPECT_EQ(t.requests, 6);
  EXPECT_EQ(t.retries, 0);
  EXPECT_EQ(t.answers, 3);
  EXPECT_EQ(t.timeouts, 2);
  EXPECT_EQ(t.checksumErrors, 1);
  EXPECT_EQ(t.exceptions, 0);
  EXPECT_GT(t.worstRoundTripMs, 0);
  EXPECT_LE(t.MeanRoundTripMs(), t.worstRoundTripMs);
  EXPECT_EQ(log.Records().size(), 12u);
}

TEST_F(TrafficFixture, RetriesOfTheLinkAreMarked) {
  FaultSettings faults;
  faults.drop.requests = {1};
  Add(1, faults);
  TrafficLog log;
  port_.SetFrameObserver(&log);
  EXPECT_EQ(Identity(1), kResultOk);
  const auto records = log.Records();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_FALSE(records[0].retry);
  EXPECT_EQ(records[1].result, kResultNoAnswer);
  EXPECT_TRUE(records[2].retry);
  EXPECT_EQ(records[3].result, kResultOk);
  EXPECT_EQ(log.Device(1).retries, 1);
}

TEST_F(TrafficFixture, BlockRequestsNameTheirBlockAndExceptionsAreCounted) {
  ControllerSetup setup;
  setup.blockExceptions[14] = 2;
  bus_.Add(setup);
  ASSERT_EQ(port_.OpenPort(), 0);
  TrafficLog log;
  port_.SetFrameObserver(&log);
  std::array<uint8_t, kAnswerBufferSize> answer{};
  const uint8_t block = 14;
  EXPECT_EQ(port_.Request(0, 68, std::span(&block, 1), answer), 2);
  const auto records = log.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].block, 14);
  EXPECT_EQ(records[1].block, 14);
  EXPECT_EQ(ResultCodeShortText(records[1].result), "исключение 02");
  EXPECT_EQ(log.Device(1).exceptions, 1);
  EXPECT_NE(TrafficLine(records[1]).find("блок 14"), std::string::npos);
}

TEST_F(TrafficFixture, KeepsOnlyTheLastFramesAndReadsOnFromASequence) {
  Add(1);
  TrafficLog log(5);
  port_.SetFrameObserver(&log);
  for (int n = 0; n < 4; ++n) Identity(1);
  const auto kept = log.Records();
  ASSERT_EQ(kept.size(), 5u);
  EXPECT_EQ(kept.front().sequence, 4u);
  EXPECT_EQ(kept.back().sequence, 8u);
  EXPECT_EQ(log.Since(6).size(), 2u);
  EXPECT_EQ(log.Since(1).size(), 5u);  // older than anything kept: all of it
  EXPECT_TRUE(log.Since(8).empty());
  EXPECT_EQ(log.Device(1).requests, 4);  // counters are not bounded by the frames kept
}

TEST_F(TrafficFixture, ADetachedLogSeesNothing) {
  Add(1);
  TrafficLog log;
  port_.SetFrameObserver(&log);
  Identity(1);
  port_.SetFrameObserver(nullptr);
  Identity(1);
  EXPECT_EQ(log.Records().size(), 2u);
}

// Exception 6 is how a controller confirms a store command (function 14);
// to any other function it is a refusal.
TEST(TrafficLogAnswers, StoreConfirmationIsANormalAnswer) {
  const struct {
    uint8_t function;
    int result;
    bool normal;
    const char* text;
  } cases[] = {{14, kResultBusy, true, "запись принята"},
               {3, kResultBusy, false, "исключение 06"},
               {14, 2, false, "исключение 02"},
               {14, kResultOk, true, "ок"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TrafficLog log;
    const std::array<uint8_t, 4> request{1, c.function, 0, 0};
    const std::array<uint8_t, 3> answer{1, static_cast<uint8_t>(c.function | 0x80), 6};
    log.RequestSent(10, request, false);
    log.AnswerReceived(20, answer, c.result);
    const TrafficRecord r = log.Records().back();
    EXPECT_EQ(IsNormalAnswer(r), c.normal);
    EXPECT_EQ(AnswerText(r), c.text);
    EXPECT_EQ(log.Device(1).answers, c.normal ? 1 : 0);
    EXPECT_EQ(log.Device(1).exceptions, c.normal ? 0 : 1);
    EXPECT_NE(TrafficLine(r).find(c.text), std::string::npos);
  }
}

TEST(TrafficLogAnswers, LinesCarryTheDateAndTimeOnTheWall) {
  TrafficLog log;
  const std::array<uint8_t, 2> request{1, 17};
  log.RequestSent(5, request, false);
  const TrafficRecord r = log.Records().back();
  const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  EXPECT_LE(std::abs(now - r.wallMs), 60000);
  const std::string wall = WallTimeText(r.wallMs);
  EXPECT_EQ(TrafficLine(r).rfind(wall, 0), 0u);
  EXPECT_EQ(wall.size(), std::string("2026-12-11 06:15:02.123").size());
  EXPECT_EQ(wall[4], '-');
  EXPECT_EQ(wall[10], ' ');
}

TEST(WireTime, FollowsTheCharacterFrame) {
  struct Case {
    int bytes, baud;
    bool parity;
    int stop;
    double ms;
  } cases[] = {{10, 9600, false, 2, 11.458},
               {10, 9600, true, 1, 11.458},
               {8, 115200, false, 1, 0.694},
               {0, 9600, false, 1, 0.0},
               {5, 0, false, 1, 0.0}};
  for (const Case& c : cases) EXPECT_NEAR(WireTimeMs(c.bytes, c.baud, c.parity, c.stop), c.ms, 0.001);
}

// The scan shares this fixture: one identity request per address.
TEST_F(TrafficFixture, AScanFindsExactlyTheControllersOnTheLine) {
  Add(2);
  Add(5);
  Add(7);
  TrafficLog log;
  port_.SetFrameObserver(&log);
  std::vector<int> asked;
  const ScanResult r = ScanLine(port_, 1, 8, [&](int a) {
    asked.push_back(a);
    return true;
  });
  ASSERT_EQ(r.found.size(), 3u);
  EXPECT_EQ(r.found[0].address, 2);
  EXPECT_EQ(r.found[1].address, 5);
  EXPECT_EQ(r.found[2].address, 7);
  EXPECT_EQ(r.found[0].CompositionText(), "1,1,6,3");
  EXPECT_EQ(asked.size(), 8u);
  for (int a = 1; a <= 8; ++a) EXPECT_EQ(log.Device(a).requests, 1) << a;  // one try each
  EXPECT_EQ(port_.GetRepeat1(), 5u);                                       // the link's tries are restored
}

TEST_F(TrafficFixture, AScanWaitsOnlyTheAnswerTimeAtASilentAddress) {
  Add(9);
  // One silent try alone: no delay before it, no pause after it.
  port_.SetRepeat1(1);
  port_.SetPauseAfterFailedTry(0);
  port_.SetDelayBeforeRequest(0);
  const int64_t before = clock_.NowMs();
  ASSERT_EQ(Identity(1), kResultNoAnswer);
  const int64_t silence = clock_.NowMs() - before;
  port_.SetRepeat1(5);
  port_.SetPauseAfterFailedTry(300);
  port_.SetDelayBeforeRequest(25);

  // The delay goes before the first request only: the line may have been busy before the scan.
  const int64_t start = clock_.NowMs();
  const ScanResult r = ScanLine(port_, 1, 4);
  EXPECT_TRUE(r.found.empty());
  EXPECT_EQ(clock_.NowMs() - start, 25 + 4 * silence);
  // The link's own settings are back.
  EXPECT_EQ(port_.GetPauseAfterFailedTry(), 300);
  EXPECT_EQ(port_.GetDelayBeforeRequest(), 25u);
}

// A controller whose answer arrives damaged is there: the scan lists it apart
// from the silent addresses, with the reason, and tells the caller at once.
TEST_F(TrafficFixture, AScanKeepsDamagedAnswersApartFromSilence) {
  struct Case {
    const char* name;
    FaultRule FaultSettings::*rule;
    int result;
  };
  const Case cases[] = {
      {"bad checksum", &FaultSettings::badCrc, kResultChecksum},
      {"cut answer", &FaultSettings::cut, kResultTimeout},
      {"noisy function byte", &FaultSettings::noisyFunction, kResultChecksum},
      {"answer from another address", &FaultSettings::otherAddress, kResultReceiveError},
      {"exception", &FaultSettings::exception, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VirtualClock clock;
    SimulatedBus bus(clock);
    SimulatedLine line(bus, clock);
    ScriptedInteraction ui;
    ModbusLink port(line, clock, ui);
    ControllerSetup good;
    good.address = 2;
    bus.Add(good);
    ControllerSetup faulty;
    faulty.address = 3;
    (faulty.faults.*c.rule).requests = {1};
    bus.Add(faulty);
    ASSERT_EQ(port.OpenPort(), 0);
    std::vector<int> heard;
    const ScanResult r =
        ScanLine(port, 1, 4, {}, [&](const FoundController& f) { heard.push_back(f.address); });
    ASSERT_EQ(r.found.size(), 1u);
    EXPECT_EQ(r.found[0].address, 2);
    ASSERT_EQ(r.damaged.size(), 1u);
    EXPECT_EQ(r.damaged[0].address, 3);
    EXPECT_EQ(r.damaged[0].result, c.result);
    EXPECT_EQ(heard, (std::vector<int>{2, 3}));
  }
}

TEST_F(TrafficFixture, AScanStopsWhenThePortFails) {
  Add(1);
  line_.Unplug(true);
  const ScanResult r = ScanLine(port_, 1, 31);
  EXPECT_TRUE(IsPortFailure(r.failure)) << r.failure;
  EXPECT_TRUE(r.found.empty());
}

TEST_F(TrafficFixture, AScanCanBeStopped) {
  Add(1);
  Add(3);
  const ScanResult r = ScanLine(port_, 1, 31, [](int a) { return a < 2; });
  EXPECT_TRUE(r.stopped);
  ASSERT_EQ(r.found.size(), 1u);
}

}  // namespace
}  // namespace zul
