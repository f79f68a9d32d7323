#include "core/editing/RegulatorOnline.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/link/ModbusLink.h"
#include "core/model/FloatText.h"
#include "core/model/Regulators.h"

namespace zul {

namespace {

constexpr uint8_t kReadCoils = 1;
constexpr uint8_t kReadHolding = 3;
constexpr uint8_t kWriteCoil = 5;
constexpr uint8_t kWriteRegisters = 16;
constexpr int kLoops = Regulators::RecordCount;

std::array<uint8_t, 4> StartCount(int start, int count) {
  return {static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start & 0xFF),
          static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count & 0xFF)};
}

std::string Fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  std::string s = text;
  for (char& ch : s) {
    if (ch == '.') ch = ',';
  }
  return s;
}

}  // namespace

float DecodeLoopFloat(const uint8_t* b) {
  const uint32_t bits = (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

std::array<uint8_t, 4> EncodeLoopFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return {static_cast<uint8_t>(bits >> 24), static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 8),
          static_cast<uint8_t>(bits)};
}

std::array<uint8_t, 4> LoopValuesRequest() { return StartCount(kLoopValueRegister, 6 * kLoops); }
std::array<uint8_t, 4> LoopStatusRequest() { return StartCount(kLoopStatusCoil, 8 * kLoops); }

std::array<uint8_t, 4> CoilCommand(int coil, bool on) {
  return {static_cast<uint8_t>(coil >> 8), static_cast<uint8_t>(coil & 0xFF),
          static_cast<uint8_t>(on ? 0xFF : 0), 0};
}

std::array<uint8_t, 9> ValueWrite(int loop, LoopValue which, float value) {
  const int reg = kLoopValueRegister + 6 * loop + static_cast<int>(which);
  const auto v = EncodeLoopFloat(value);
  return {static_cast<uint8_t>(reg >> 8), static_cast<uint8_t>(reg & 0xFF), 0, 2, 4, v[0], v[1], v[2], v[3]};
}

std::string FormatLoopValue(double v) {
  if (!std::isfinite(v)) return kNoValueText;
  const double a = std::fabs(v);
  return Fixed(v, a <= 100 ? 2 : a <= 1000 ? 1 : 0);
}

std::string LoopValueRangeText(double min, double max) {
  char text[96];
  std::snprintf(text, sizeof text, "Величина вне диапазона %g - %g", min, max);
  return text;
}

std::optional<float> ParseLoopValue(const std::string& text, double min, double max) {
  const auto v = ParseDecimal(text);
  if (!v || !std::isfinite(*v) || !std::isfinite(min) || !std::isfinite(max)) return std::nullopt;
  if (!(*v >= min) || *v > max) return std::nullopt;
  // The controller takes a single; a double beyond it would arrive as infinity.
  if (std::fabs(*v) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(*v);
}

LoopPoll ReadLoops(ModbusLink& port, int device) {
  LoopPoll poll;
  std::array<uint8_t, kAnswerBufferSize> answer{};
  const auto values = LoopValuesRequest();
  poll.result = port.Request(device, kReadHolding, values, answer);
  if (poll.result != kResultOk) return poll;
  // Trust no more bytes than both the count byte and the buffer hold.
  poll.values.assign(answer.begin() + 3, answer.begin() + 3 + std::min<size_t>(answer[2], answer.size() - 3));
  poll.valuesIn = true;
  answer.fill(0);
  const auto status = LoopStatusRequest();
  poll.result = port.Request(device, kReadCoils, status, answer);
  if (poll.result != kResultOk) return poll;
  poll.status.assign(answer.begin() + 3, answer.begin() + 3 + std::min<size_t>(answer[2], answer.size() - 3));
  poll.statusIn = true;
  return poll;
}

void StoreLoopPoll(Regulators& regs, const LoopPoll& poll) {
  if (poll.valuesIn) regs.StoreOnlineValues(poll.values.data(), poll.values.size());
  if (poll.statusIn) regs.StoreOnlineStatus(poll.status.data(), poll.status.size());
}

int PollLoops(ModbusLink& port, int device, Regulators& regs) {
  const LoopPoll poll = ReadLoops(port, device);
  StoreLoopPoll(regs, poll);
  return poll.result;
}

int WriteCoil(ModbusLink& port, int device, int coil, bool on) {
  std::array<uint8_t, kAnswerBufferSize> answer{};
  const auto data = CoilCommand(coil, on);
  return port.Request(device, kWriteCoil, data, answer);
}

int WriteLoopValue(ModbusLink& port, int device, int loop, LoopValue which, float value) {
  std::array<uint8_t, kAnswerBufferSize> answer{};
  const auto data = ValueWrite(loop, which, value);
  return port.Request(device, kWriteRegisters, data, answer);
}

std::vector<CoilWrite> HandAutCoils(int loop, bool pressed) {
  const int base = kLoopStatusCoil + 8 * loop;
  if (pressed) return {{base, true}};
  return {{base, false}, {base + 1, false}};
}

ApOnOffOutcome ApOnOffCoils(int loop, bool pressed, bool automatic) {
  const int coil = kLoopStatusCoil + 8 * loop + 1;
  if (pressed && automatic) return {{{coil, true}}, false};
  return {{{coil, false}}, pressed};
}

// --- trend -------------------------------------------------------------------------

void LoopTrend::Add(const TrendSample& s) {
  // A clock set back starts the record afresh rather than mixing times.
  if (!samples_.empty() && s.ms < samples_.back().ms) samples_.clear();
  samples_.push_back(s);
  while (!samples_.empty() && samples_.front().ms < s.ms - windowMs_) samples_.pop_front();
}

std::pair<double, double> TrendScale(const LoopTrend& trend, double min, double max) {
  if (std::isfinite(min) && std::isfinite(max) && max > min) return {min, max};
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const TrendSample& s : trend.Samples()) {
    for (float v : {s.pv, s.sp}) {
      if (!std::isfinite(v)) continue;
      lo = std::min(lo, static_cast<double>(v));
      hi = std::max(hi, static_cast<double>(v));
    }
  }
  if (lo > hi) return {0.0, 1.0};
  const double margin = hi > lo ? (hi - lo) / 10 : std::max(1.0, std::fabs(lo) / 10);
  return {lo - margin, hi + margin};
}

std::string TrendCsvHeader() {
  return "loop,time,PV,SP,OUT,automatic,switched_on,output_indicator,input_indicator\n";
}

std::string TrendCsvRows(const LoopTrend& trend, int loopNumber, std::string (*timeText)(int64_t ms)) {
  auto cell = [](float v) {
    if (!std::isfinite(v)) return std::string();
    // to_chars: a point whatever the locale, as CSV readers expect.
    char text[48];
    const auto end = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 6).ptr;
    return std::string(text, end);
  };
  std::string csv;
  for (const TrendSample& s : trend.Samples()) {
    csv += std::to_string(loopNumber) + "," + timeText(s.ms) + "," + cell(s.pv) + "," + cell(s.sp) + "," +
           cell(s.out);
    for (int bit : {0, 1, 6, 7}) csv += "," + std::to_string((s.status >> bit) & 1);
    csv += "\n";
  }
  return csv;
}

}  // namespace zul
