#pragma once
// Looking for controllers on a line: the identity request (function 17) to
// each address in turn, one try each. The caller shortens the line's answer
// time first; a silent address costs that time only (nothing is on the line,
// so neither the pause after a failed try nor the delay before the next
// request follows it). An answer that arrives damaged is kept apart: on a
// wrong speed or parity that is all a present controller gives.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/model/ServiceBlock.h"

namespace zul {

class ModbusLink;

struct FoundController {
  int address = 0;  // 1..31
  std::array<int, ServiceBlock::kSlots> modules{};
  int indication = 0;
  int result = 0;  // 0: a whole identity; else the result code of the damaged answer

  bool Damaged() const { return result != 0; }
  // "1,1,6,3" (hex type codes of the filled slots, as zul new takes them)
  std::string CompositionText() const;
};

struct ScanResult {
  std::vector<FoundController> found;    // whole identities
  std::vector<FoundController> damaged;  // something answered, but not a whole identity
  int failure = 0;                       // a port failure that ended the scan (result code), else 0
  bool stopped = false;                  // the progress callback asked to stop
};

// `progress(address)` is called before each address; returning false stops.
// `answered` hears of every address that answered (whole or damaged) at once.
ScanResult ScanLine(ModbusLink& port, int from, int to, const std::function<bool(int address)>& progress = {},
                    const std::function<void(const FoundController&)>& answered = {});

// "ответ с ошибкой" and why: what the scan says of a damaged answer.
inline constexpr const char* kDamagedAnswerText = "ответ с ошибкой";
inline constexpr const char* kDamagedAnswerHint =
    "проверьте скорость и четность: прибор отвечает, но ответ искажен";

// The indication type as the scan lists it: its name, or the number when it has none.
std::string IndicationText(int type);

// Whether a result code means the port itself failed (not the controller).
bool IsPortFailure(int result);

}  // namespace zul
