// The link against any answer the line can bring: every function the program
// sends, answered by pieces of arbitrary bytes with arbitrary pauses (a valid
// checksum can be asked for, so well-formed answers of odd lengths are met
// too). Rules: the transaction ends within its time budget, reports a known
// result, never copies more than the caller's buffer holds, and the answer
// decoders of the callers accept whatever was copied. An answer taken as good
// has the length, address, function and block number of its request; an
// exception taken has its checksum; a store is reported done only after a
// good confirmation echo, and never after the store itself was refused.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "ArrivalLine.h"
#include "FuzzInput.h"
#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/ControllerClock.h"
#include "core/link/Crc16.h"
#include "core/link/ModbusLink.h"

namespace zul::fuzz {
namespace {

struct Sent {
  uint8_t function;
  std::vector<uint8_t> data;
};

const std::array<Sent, 13> kRequests = {{
    {1, {0x00, 0x00, 0x00, 0x10}},
    {2, {0x00, 0x20, 0x00, 0x20}},
    {3, {0x00, 0x64, 0x00, 0x04}},
    {4, {0x03, 0xE8, 0x00, 0x07}},
    {5, {0x10, 0x23, 0xFF, 0x00}},
    {6, {0x00, 0x10, 0x12, 0x34}},
    {14, {}},
    {15, {0x00, 0x01, 0x00, 0x08, 0x01, 0xFF}},
    {16, {0x00, 0x01, 0x00, 0x01, 0x02, 0x00, 0x05}},
    {17, {}},
    {68, {0x0C}},
    {70, {0x05, 0x07, 0x0D, 0x09, 0x03, 0x18, 0x04}},
    {71, {0x00, 0x08}},
}};

std::vector<Piece> NextAnswer(FuzzInput& in) {
  const uint8_t head = in.Byte();
  const int pieces = head & 3;
  const bool withCrc = (head & 0x80) != 0;
  std::vector<Piece> answer;
  std::vector<uint8_t> all;
  for (int i = 0; i < pieces; ++i) {
    Piece p;
    p.pauseMs = in.Byte() * 4;
    p.bytes = in.Bytes(in.Byte());
    all.insert(all.end(), p.bytes.begin(), p.bytes.end());
    answer.push_back(std::move(p));
  }
  if (withCrc && !answer.empty()) {
    const uint16_t crc = Crc16(all);
    answer.back().bytes.push_back(static_cast<uint8_t>(crc & 0xFF));
    answer.back().bytes.push_back(static_cast<uint8_t>(crc >> 8));
  }
  return answer;
}

bool KnownResult(int code) { return code >= 0 && code <= kResultNoAccess; }
bool IsException(int code) { return code >= 1 && code < kResultReceiveError; }

// Every try: the frame sent and what the link made of its answer.
struct Try {
  std::vector<uint8_t> request;
  std::vector<uint8_t> answer;
  int result = 0;
};

class Tries : public FrameObserver {
 public:
  std::vector<Try> all;
  void RequestSent(int64_t, std::span<const uint8_t> bytes, bool) override {
    all.push_back({{bytes.begin(), bytes.end()}, {}, 0});
  }
  void AnswerReceived(int64_t, std::span<const uint8_t> bytes, int result) override {
    if (all.empty()) return;
    all.back().answer.assign(bytes.begin(), bytes.end());
    all.back().result = result;
  }
};

// The answer the link took for `request` as good.
void RequireFits(const Try& t) {
  const std::vector<uint8_t>& a = t.answer;
  const std::vector<uint8_t>& q = t.request;
  const uint8_t function = q[1];
  Require(a.size() >= 4 && CrcMatches(a));
  Require(a[0] == q[0]);
  // Exception 0 is no exception: the controller's normal answer, but never an echo.
  const bool noException = a[1] == (function | 0x80) && a[2] == 0;
  const bool echo = function == 5 || function == 6 || function == 14;
  Require(a[1] == function || (noException && !echo));
  if (echo) {
    Require(a == q);
  } else if (function == 15 || function == 16) {
    Require(a.size() == 8);
  } else {
    Require(a.size() == static_cast<size_t>(a[2]) + 5);
  }
  if (function == 68 && !noException) Require(a[2] >= 1 && a[3] == q[2]);
}

}  // namespace
}  // namespace zul::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zul;
  using namespace zul::fuzz;
  FuzzInput in(data, size);
  const Sent& sent = kRequests[in.Byte() % kRequests.size()];
  const bool storeBlock = (in.Byte() & 1) != 0;

  VirtualClock clock;
  ArrivalLine line(clock);
  line.answer = [&in](const std::vector<uint8_t>&) { return NextAnswer(in); };
  ScriptedInteraction ui;
  ModbusLink port(line, clock, ui);
  const int full = kFullAccess;
  port.BindAccessLevel(&full);
  port.SetRepeat1(2);
  port.SetRepeat2(3);
  port.OpenPort();
  port.SetBaudText(in.Byte() & 1 ? "1200" : "9600");

  Tries tries;
  port.SetFrameObserver(&tries);

  if (storeBlock) {
    const std::vector<uint8_t> block(40, 0x11);
    if (port.WriteBlock(0, 12, block)) {
      // Done only on the confirmation: the last try a good echo of function 14,
      // and the store it confirms not refused.
      Require(!tries.all.empty() && tries.all.back().result == kResultOk);
      RequireFits(tries.all.back());
      Require(tries.all.back().request[1] == 14);
      size_t store = tries.all.size();
      while (store > 0 && tries.all[store - 1].request[1] != 69) --store;
      Require(store > 0 && !IsException(tries.all[store - 1].result));
    }
    // Polling a busy controller has its own limit; past it the store gives up.
    Require(clock.NowMs() < ModbusLink::kBusyGiveUpMs + 4 * 60000);
    return 0;
  }

  // Exactly the caller's buffer, so a copy past it is caught.
  std::vector<uint8_t> answer(kAnswerBufferSize);
  const int result = port.Request(0, sent.function, sent.data, answer);
  Require(KnownResult(result));
  if (sent.function != kBroadcastFunction && !tries.all.empty()) {
    const Try& last = tries.all.back();
    if (result == kResultOk) {
      RequireFits(last);
      Require(std::equal(last.answer.begin(), last.answer.end(), answer.begin()));
    } else if (IsException(result)) {
      // An exception counts only with its checksum.
      Require(last.answer.size() == 5 && CrcMatches(last.answer));
      Require(last.answer[0] == last.request[0] && last.answer[1] == (sent.function | 0x80));
      Require(last.answer[2] == result);
    }
  }
  Require(port.GetReceivedCount() >= 0 && port.GetReceivedCount() <= kFrameBufferSize);
  // A good head renews the first stage, so at most 2 x 3 tries, each at most
  // its delay, the head's and the body's whole answer time, and the pause.
  Require(clock.NowMs() <= 2 * 3 * (25 + ReadTotalTimeoutMs(3) + ReadTotalTimeoutMs(257) + 300) + 100);
  if (result == kResultOk && sent.function == kClockReadFunction) {
    ControllerTime t{};
    if (DecodeClockAnswer(std::span<const uint8_t>(answer.data(), answer.size()), &t)) {
      for (int k = 0; k < kClockFields; ++k) Require(t[static_cast<size_t>(k)] >= 0);
    }
  }
  port.ErrorText(0, result);
  return 0;
}
