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

ScanResult ScanLine(ModbusLink& port, int from, int to, const std::function<bool(int address)>& progress) {
  ScanResult result;
  const unsigned repeat1 = port.GetRepeat1();
  const unsigned repeat2 = port.GetRepeat2();
  port.SetRepeat1(1);
  port.SetRepeat2(1);
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
    if (code != kResultOk || !ServiceBlock::IsWholeIdentityAnswer(answer)) continue;
    // On the heap: the service block is large (and clang 14 cannot compile it as a loop local).
    const auto identity = std::make_unique<ServiceBlock>();
    identity->DecodeIdentity(ServiceBlock::kIdentityFunction, answer);
    FoundController found;
    found.address = address;
    found.modules = identity->ModuleType;
    found.indication = identity->IndicationType;
    result.found.push_back(found);
  }
  port.SetRepeat1(repeat1);
  port.SetRepeat2(repeat2);
  return result;
}

}  // namespace zul
