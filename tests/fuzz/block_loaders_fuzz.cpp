// Every block loader fed with arbitrary answer payloads: a whole read from a
// controller whose every answer is well framed (address, function, byte count,
// checksum) but carries whatever the fuzzer chose, or an exception; then
// everything the windows and `zul dump` do with what was read.
#include <cstdint>
#include <vector>

#include "ArrivalLine.h"
#include "ConfigurationUse.h"
#include "core/ScriptedInteraction.h"
#include "core/config/ReadConfiguration.h"
#include "core/link/Crc16.h"
#include "core/link/ModbusLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zul;
  using namespace zul::fuzz;
  FuzzInput in(data, size);
  VirtualClock clock;
  ArrivalLine line(clock);
  line.answer = [&in](const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> answer = {frame[0], frame[1]};
    const uint8_t count = in.Byte();
    if (count == 0xFF) {
      answer[1] |= 0x80;  // an exception with the code that follows
      answer.push_back(in.Byte());
    } else {
      answer.push_back(count);
      const auto payload = in.Bytes(count);
      answer.insert(answer.end(), payload.begin(), payload.end());
      answer.resize(3 + static_cast<size_t>(count));  // the input ran out: zeros
    }
    answer.resize(answer.size() + 2);
    AppendCrc(answer);
    return std::vector<Piece>{{0, answer}};
  };
  ScriptedInteraction ui;
  ModbusLink port(line, clock, ui);
  port.SetRepeat1(1);
  port.SetRepeat2(1);
  port.SetDelayBeforeRequest(0);
  port.OpenPort();

  Configuration c;
  ReadConfiguration(port, c, ui);
  UseConfiguration(c);
  return 0;
}
