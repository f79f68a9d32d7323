#pragma once
// Several simulated controllers on one line, as on an RS-485 bus: every frame
// reaches all of them, the one it is addressed to answers. Optionally writes
// one JSON object a line per received frame.
#include <memory>
#include <ostream>
#include <span>
#include <vector>

#include "core/link/Clock.h"
#include "sim/SimulatedController.h"

namespace zul {

class SimulatedBus {
 public:
  explicit SimulatedBus(Clock& clock) : clock_(clock), startMs_(clock.NowMs()) {}

  SimulatedController& Add(const ControllerSetup& setup);
  SimulatedController* Find(int address);
  const std::vector<std::unique_ptr<SimulatedController>>& Controllers() const { return controllers_; }

  // One frame off the line; returns what goes back on it.
  Reply Deliver(std::span<const uint8_t> frame);

  // {"t_ms":..,"address":..,"function":..,"data":"hex","crc_ok":..,"device":..,"request":..,
  //  "answer":"hex"|null,"fault":"drop"|...|null}
  void SetLog(std::ostream* log) { log_ = log; }

  Clock& GetClock() { return clock_; }

 private:
  void Log(std::span<const uint8_t> frame, bool crcGood, const Reception* by, const Reply& reply);

  Clock& clock_;
  int64_t startMs_;
  std::vector<std::unique_ptr<SimulatedController>> controllers_;
  std::ostream* log_ = nullptr;
};

std::string Hex(const uint8_t* bytes, size_t count);

}  // namespace zul
