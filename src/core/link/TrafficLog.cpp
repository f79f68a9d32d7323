#include "core/link/TrafficLog.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/link/ModbusLink.h"

namespace zul {
namespace {

// Functions whose first data byte names a configuration block.
bool CarriesBlockNumber(int function) { return function == 68 || function == 69; }

constexpr int kStoreFunction = 14;

std::string TimeText(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(ms / 1000),
                static_cast<long long>(ms % 1000));
  return text;
}

}  // namespace

bool IsNormalAnswer(const TrafficRecord& r) {
  return !r.request && (r.result == kResultOk || (r.function == kStoreFunction && r.result == kResultBusy));
}

std::string AnswerText(const TrafficRecord& r) {
  if (r.result == kResultBusy && IsNormalAnswer(r)) return "запись принята";
  return ResultCodeShortText(r.result);
}

std::string WallTimeText(int64_t wallMs) {
  const std::time_t seconds = static_cast<std::time_t>(wallMs / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[40];
  const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(wallMs % 1000));
  return text;
}

std::string ResultCodeShortText(int result) {
  switch (result) {
    case kResultOk:
      return "ок";
    case kResultReceiveError:
      return "ошибка приема";
    case kResultTimeout:
      return "тайм-аут";
    case kResultNoAnswer:
      return "нет ответа";
    case kResultChecksum:
      return "ошибка КС";
    case kResultPortFailure:
    case kResultPortClosed:
    case kResultCannotOpen:
      return "сбой порта";
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "исключение %02X", static_cast<unsigned>(result));
      return text;
    }
  }
}

std::string HexText(const std::vector<uint8_t>& bytes) {
  std::string text;
  text.reserve(bytes.size() * 3);
  char hex[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", bytes[i]);
    text += hex;
  }
  return text;
}

double WireTimeMs(int byteCount, int baud, bool parity, int stopBits) {
  if (baud <= 0) return 0;
  const int bitsPerByte = 1 + 8 + (parity ? 1 : 0) + stopBits;
  return 1000.0 * byteCount * bitsPerByte / baud;
}

void TrafficLog::RequestSent(int64_t timeMs, std::span<const uint8_t> bytes, bool retry) {
  TrafficRecord r;
  r.timeMs = timeMs;
  r.request = true;
  r.retry = retry;
  r.bytes.assign(bytes.begin(), bytes.end());
  r.address = !bytes.empty() ? bytes[0] : 0;
  r.function = bytes.size() > 1 ? bytes[1] : 0;
  r.block = bytes.size() > 2 && CarriesBlockNumber(r.function) ? bytes[2] : -1;
  std::lock_guard lock(mutex_);
  lastRequestMs_ = timeMs;
  lastAddress_ = r.address;
  lastFunction_ = r.function;
  lastBlock_ = r.block;
  if (r.address >= 0 && r.address <= kDevices) {
    DeviceTraffic& d = devices_[static_cast<size_t>(r.address)];
    asked_[static_cast<size_t>(r.address)] = true;
    ++d.requests;
    if (retry) ++d.retries;
  }
  Keep(std::move(r));
}

void TrafficLog::AnswerReceived(int64_t timeMs, std::span<const uint8_t> bytes, int result) {
  TrafficRecord r;
  r.timeMs = timeMs;
  r.request = false;
  r.result = result;
  r.bytes.assign(bytes.begin(), bytes.end());
  std::lock_guard lock(mutex_);
  r.address = lastAddress_;
  r.function = lastFunction_;
  r.block = lastBlock_;
  if (!bytes.empty()) r.roundTripMs = static_cast<int>(timeMs - lastRequestMs_);
  if (r.address >= 0 && r.address <= kDevices) {
    DeviceTraffic& d = devices_[static_cast<size_t>(r.address)];
    if (IsNormalAnswer(r)) {
      ++d.answers;
      d.roundTripTotalMs += r.roundTripMs;
      if (r.roundTripMs > d.worstRoundTripMs) d.worstRoundTripMs = r.roundTripMs;
    } else if (result == kResultTimeout || result == kResultNoAnswer) {
      ++d.timeouts;
    } else if (result == kResultChecksum) {
      ++d.checksumErrors;
    } else if (result > 0 && result < kResultReceiveError) {
      ++d.exceptions;
    } else {
      ++d.otherErrors;
    }
  }
  Keep(std::move(r));
}

void TrafficLog::Keep(TrafficRecord record) {
  record.sequence = nextSequence_++;
  record.wallMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  records_.push_back(std::move(record));
  while (records_.size() > capacity_) records_.pop_front();
}

std::vector<TrafficRecord> TrafficLog::Since(uint64_t sequence) const {
  std::lock_guard lock(mutex_);
  std::vector<TrafficRecord> out;
  // Sequence numbers rise by one, so the first wanted record is found by arithmetic.
  if (records_.empty() || sequence >= records_.back().sequence) return out;
  const uint64_t first = records_.front().sequence;
  const size_t skip = sequence >= first ? static_cast<size_t>(sequence - first + 1) : 0;
  out.assign(records_.begin() + static_cast<std::ptrdiff_t>(skip), records_.end());
  return out;
}

std::vector<std::pair<int, DeviceTraffic>> TrafficLog::Devices() const {
  std::lock_guard lock(mutex_);
  std::vector<std::pair<int, DeviceTraffic>> out;
  for (int a = 0; a <= kDevices; ++a)
    if (asked_[static_cast<size_t>(a)]) out.emplace_back(a, devices_[static_cast<size_t>(a)]);
  return out;
}

DeviceTraffic TrafficLog::Device(int address) const {
  std::lock_guard lock(mutex_);
  if (address < 0 || address > kDevices) return {};
  return devices_[static_cast<size_t>(address)];
}

void TrafficLog::Clear() {
  std::lock_guard lock(mutex_);
  records_.clear();
  devices_.fill(DeviceTraffic{});
  asked_.fill(false);
}

std::string TrafficLine(const TrafficRecord& r) {
  std::string line = WallTimeText(r.wallMs) + "  " + TimeText(r.timeMs);
  line += r.request ? (r.retry ? "  >> повтор" : "  >>") : "  <<";
  line += "  уст " + std::to_string(r.address) + "  ф " + std::to_string(r.function);
  if (r.block >= 0) line += "  блок " + std::to_string(r.block);
  if (!r.request) {
    line += "  " + AnswerText(r);
    if (r.roundTripMs >= 0) line += "  " + std::to_string(r.roundTripMs) + " мс";
  }
  line += "  | " + HexText(r.bytes);
  return line;
}

std::string TrafficLog::ExportText() const {
  std::string text;
  for (const TrafficRecord& r : Records()) text += TrafficLine(r) + "\n";
  return text;
}

}  // namespace zul
