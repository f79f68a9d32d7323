#pragma once
// A serial line in the same process as the simulated controllers, on a
// virtual clock. Contract:
// - every Write() is one frame; it takes the wire time of its bytes (11 bits a
//   character at the set baud rate), then reaches every controller on the bus;
// - an answer's bytes arrive one character time apart after a short
//   turnaround (plus the delay of a late-answer fault);
// - Read() returns the bytes that have arrived, waiting for more under the
//   read time-outs of SerialLine.h (100 ms between bytes, 100 ms per byte +
//   1000 ms in all); waiting advances the clock exactly as long as a real port
//   would wait, so a silent controller costs its time-outs in virtual time;
// - Purge() discards what has arrived; bytes still on their way (a late
//   answer) arrive afterwards, as on a real line;
// - Unplug() makes every operation fail like a removed adapter.
#include <deque>
#include <string>
#include <vector>

#include "core/link/Clock.h"
#include "core/link/SerialLine.h"
#include "sim/SimulatedBus.h"

namespace zul {

class SimulatedLine : public SerialLine {
 public:
  SimulatedLine(SimulatedBus& bus, VirtualClock& clock) : bus_(bus), clock_(clock) {}

  int turnaroundMs = 2;  // from the end of a request to the first byte of the answer
  bool failOpen = false;
  std::vector<std::string> ports{"COM1"};

  void Unplug(bool unplugged) { unplugged_ = unplugged; }
  const std::vector<std::vector<uint8_t>>& Written() const { return written_; }
  int Baud() const { return baud_; }

  void SetPortName(const std::string& name) override { portName_ = name; }
  void SetBaudRate(int baud) override { baud_ = baud > 0 ? baud : 9600; }
  void SetParity(Parity) override {}
  void SetStopBits(int) override {}
  bool Open() override;
  bool Close() override;
  bool IsOpen() const override { return open_; }
  bool Purge() override;
  bool Write(std::span<const uint8_t> bytes) override;
  using SerialLine::Read;
  int Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) override;
  std::vector<std::string> AvailablePorts() const override { return ports; }

 private:
  struct Incoming {
    int64_t atUs;
    uint8_t byte;
  };
  int64_t NowUs() const { return clock_.NowMs() * 1000; }
  int64_t CharUs() const { return 11'000'000LL / baud_; }
  void AdvanceToUs(int64_t us);

  SimulatedBus& bus_;
  VirtualClock& clock_;
  std::string portName_;
  int baud_ = 9600;
  bool open_ = false;
  bool unplugged_ = false;
  std::deque<Incoming> incoming_;
  std::vector<std::vector<uint8_t>> written_;
};

}  // namespace zul
