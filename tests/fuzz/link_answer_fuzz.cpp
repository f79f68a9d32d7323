// The link against any answer the line can bring: every function the program
// sends, answered by pieces of arbitrary bytes with arbitrary pauses (a valid
// checksum can be asked for, so well-formed answers of odd lengths are met
// too). Rules: the transaction ends within its time budget, reports a known
// result, never copies more than the caller's buffer holds, and the answer
// decoders of the callers accept whatever was copied.
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

  if (storeBlock) {
    const std::vector<uint8_t> block(40, 0x11);
    port.WriteBlock(0, 12, block);
    // Polling a busy controller has its own limit; past it the store gives up.
    Require(clock.NowMs() < ModbusLink::kBusyGiveUpMs + 4 * 60000);
    return 0;
  }

  // Exactly the caller's buffer, so a copy past it is caught.
  std::vector<uint8_t> answer(kAnswerBufferSize);
  const int result = port.Request(0, sent.function, sent.data, answer);
  Require(KnownResult(result));
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
