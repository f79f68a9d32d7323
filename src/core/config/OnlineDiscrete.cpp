#include "core/config/OnlineDiscrete.h"

#include "core/link/ModbusLink.h"

namespace zul {

namespace {

constexpr int kHealthStart = 1016;
constexpr int kSlotCount = 16;
constexpr int kValidityBase = 1044;
constexpr int kDataOffset = 3;

using AnswerBuf = std::array<uint8_t, kAnswerBufferSize>;

int Run(ModbusLink& port, int deviceIndex, const BitRequest& request, AnswerBuf& answer) {
  answer.fill(0);
  const auto data = request.Data();
  return port.Request(deviceIndex, request.function, data, answer);
}

template <size_t N>
void TakeBits(const AnswerBuf& answer, std::array<bool, N>& bits) {
  for (size_t i = 0; i < N; ++i) bits[i] = AnswerBit(answer, static_cast<int>(i));
}

}  // namespace

BitRequest HealthRequest() { return {1, kHealthStart, kSlotCount}; }
BitRequest InputRequest(int module) { return {2, kOnlineInputs * (module - 1), kOnlineInputs}; }
BitRequest ValidityRequest(int module) { return {1, kValidityBase + kOnlineInputs * module, kOnlineInputs}; }
BitRequest OutputRequest(int relayModule) { return {1, kOnlineOutputs * (relayModule - 1), kOnlineOutputs}; }

bool AnswerBit(std::span<const uint8_t> answer, int bit) {
  if (bit < 0 || answer.size() <= 2) return false;
  const int byte = bit / 8;
  if (byte >= answer[2]) return false;
  const size_t at = static_cast<size_t>(kDataOffset + byte);
  if (at >= answer.size()) return false;
  return (answer[at] >> (bit % 8)) & 1;
}

InputModulePoll PollInputModule(ModbusLink& port, int deviceIndex, int slot, int module) {
  InputModulePoll poll;
  AnswerBuf answer{};
  if ((poll.result = Run(port, deviceIndex, HealthRequest(), answer)) != kResultOk) return poll;
  poll.faulty = AnswerBit(answer, slot - 1);
  ++poll.completed;
  if ((poll.result = Run(port, deviceIndex, InputRequest(module), answer)) != kResultOk) return poll;
  TakeBits(answer, poll.on);
  ++poll.completed;
  if ((poll.result = Run(port, deviceIndex, ValidityRequest(module), answer)) != kResultOk) return poll;
  TakeBits(answer, poll.invalid);
  ++poll.completed;
  return poll;
}

OutputModulePoll PollOutputModule(ModbusLink& port, int deviceIndex, int slot, int relayModule) {
  OutputModulePoll poll;
  AnswerBuf answer{};
  if ((poll.result = Run(port, deviceIndex, HealthRequest(), answer)) != kResultOk) return poll;
  poll.faulty = AnswerBit(answer, slot - 1);
  ++poll.completed;
  if ((poll.result = Run(port, deviceIndex, OutputRequest(relayModule), answer)) != kResultOk) return poll;
  TakeBits(answer, poll.on);
  ++poll.completed;
  return poll;
}

}  // namespace zul
