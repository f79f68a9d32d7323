#pragma once
// What went over the line: the last frames with what they were for, and per
// device counters. Fed by the link as its FrameObserver; read by the traffic
// monitor (from another thread, hence the lock) and by zul poll.
#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "core/link/FrameTrace.h"

namespace zul {

struct TrafficRecord {
  uint64_t sequence = 0;  // 1, 2, ... in arrival order
  int64_t timeMs = 0;
  bool request = true;  // false: an answer
  bool retry = false;   // requests: a repeated try
  int address = 0;      // the device address the frame is for (requests) or answered for
  int function = 0;
  int block = -1;        // configuration block of functions 68/69, else -1
  int result = 0;        // answers: the link's result code of the try
  int roundTripMs = -1;  // answers that arrived: since their request was sent
  int64_t wallMs = 0;    // when it was logged, ms since 1970 (the clock on the wall)
  std::vector<uint8_t> bytes;
};

// An answer that is what the request asks for: a good one, or the exception 6
// with which a controller confirms a store command (function 14).
bool IsNormalAnswer(const TrafficRecord& r);
// "ок", or "запись принята" for a store confirmation, or the result's short text.
std::string AnswerText(const TrafficRecord& r);
// "2026-12-11 06:15:02.123", local time.
std::string WallTimeText(int64_t wallMs);

struct DeviceTraffic {
  int requests = 0;  // tries sent, retries included
  int retries = 0;
  int answers = 0;  // good answers
  int timeouts = 0;
  int checksumErrors = 0;
  int exceptions = 0;
  int otherErrors = 0;
  int64_t roundTripTotalMs = 0;
  int worstRoundTripMs = 0;

  int MeanRoundTripMs() const { return answers > 0 ? static_cast<int>(roundTripTotalMs / answers) : 0; }
};

// "ок", "нет ответа", "ошибка КС", "исключение 02", ...: a result code in a word or two.
std::string ResultCodeShortText(int result);
// The bytes in hex, "01 44 0C ...".
std::string HexText(const std::vector<uint8_t>& bytes);
// Milliseconds the bytes take on the wire at this baud rate (start bit, 8 data
// bits, parity bit when there is one, stop bits).
double WireTimeMs(int byteCount, int baud, bool parity, int stopBits);

class TrafficLog : public FrameObserver {
 public:
  static constexpr size_t kDefaultCapacity = 10000;
  static constexpr int kDevices = 247;

  explicit TrafficLog(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

  void RequestSent(int64_t timeMs, std::span<const uint8_t> bytes, bool retry) override;
  void AnswerReceived(int64_t timeMs, std::span<const uint8_t> bytes, int result) override;

  // Records with a sequence number above `sequence`, oldest first.
  std::vector<TrafficRecord> Since(uint64_t sequence) const;
  std::vector<TrafficRecord> Records() const { return Since(0); }
  // Counters of the devices that were asked anything, by address.
  std::vector<std::pair<int, DeviceTraffic>> Devices() const;
  DeviceTraffic Device(int address) const;
  void Clear();

  // The kept frames as text lines, one a frame (the monitor's export).
  std::string ExportText() const;

 private:
  void Keep(TrafficRecord record);

  mutable std::mutex mutex_;
  size_t capacity_;
  std::deque<TrafficRecord> records_;
  uint64_t nextSequence_ = 1;
  std::array<DeviceTraffic, kDevices + 1> devices_{};
  std::array<bool, kDevices + 1> asked_{};
  int64_t lastRequestMs_ = 0;
  int lastAddress_ = 0;
  int lastFunction_ = 0;
  int lastBlock_ = -1;
};

// One record as a line of the export and of zul poll's trace.
std::string TrafficLine(const TrafficRecord& record);

}  // namespace zul
