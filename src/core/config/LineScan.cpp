#include "core/config/LineScan.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "core/link/ModbusLink.h"

namespace zul {

std::string FoundController::CompositionText() const {
  int last = -1;
  for (int s = 0; s < ServiceBlock::kSlots; ++s)
    if (modules[static_cast<size_t>(s)] != 0) last = s;
  std::string text;
  char code[8];
  for (int s = 0; s <= last; ++s) {
    std::snprintf(code, sizeof code, s ? ",%X" : "%X",
                  static_cast<unsigned>(modules[static_cast<size_t>(s)]));
    text += code;
  }
  return text;
}

bool IsPortFailure(int result) {
  return result == kResultPortClosed || (result >= kResultCannotOpen && result <= kResultPortFailure);
}

ScanResult ScanLine(ModbusLink& port, int from, int to, const std::function<bool(int address)>& progress,
                    const std::function<void(const FoundController&)>& answered) {
  ScanResult result;
  const unsigned repeat1 = port.GetRepeat1();
  const unsigned repeat2 = port.GetRepeat2();
  const int pause = port.GetPauseAfterFailedTry();
  const unsigned delay = port.GetDelayBeforeRequest();
  port.SetRepeat1(1);
  port.SetRepeat2(1);
  port.SetPauseAfterFailedTry(0);
  std::array<uint8_t, kAnswerBufferSize> answer{};
  for (int address = std::max(from, 1); address <= std::min(to, 31); ++address) {
    if (progress && !progress(address)) {
      result.stopped = true;
      break;
    }
    answer.fill(0);
    const int code = port.Request(address - 1, ServiceBlock::kIdentityFunction, {}, answer);
    if (IsPortFailure(code)) {
      result.failure = code;
      break;
    }
    // The delay before a request lets the last answerer's line turn round;
    // after silence there is nobody to wait for.
    port.SetDelayBeforeRequest(code == kResultNoAnswer ? 0 : delay);
    if (code == kResultNoAnswer) continue;
    FoundController found;
    found.address = address;
    if (code == kResultOk && ServiceBlock::IsWholeIdentityAnswer(answer)) {
      // On the heap: the service block is large (and clang 14 cannot compile it as a loop local).
      const auto identity = std::make_unique<ServiceBlock>();
      identity->DecodeIdentity(ServiceBlock::kIdentityFunction, answer);
      found.modules = identity->ModuleType;
      found.indication = identity->IndicationType;
      result.found.push_back(found);
    } else {
      found.result = code == kResultOk ? kResultReceiveError : code;
      result.damaged.push_back(found);
      // Something is on the line: let the rest of a garbled answer pass before the next address.
      port.Pause(pause);
    }
    if (answered) answered(found);
  }
  port.SetRepeat1(repeat1);
  port.SetRepeat2(repeat2);
  port.SetPauseAfterFailedTry(pause);
  port.SetDelayBeforeRequest(delay);
  return result;
}

std::string IndicationText(int type) {
  const std::string name = ServiceBlock::IndicationName(type);
  return name.empty() ? std::to_string(type) : name;
}

}  // namespace zul
