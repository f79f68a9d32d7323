#pragma once
// Looking for controllers on a line: the identity request (function 17) to
// each address in turn, one try each. The caller shortens the line's answer
// time first; a missing controller costs that time and the pause after it.
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

  // "1,1,6,3" (hex type codes of the filled slots, as zul new takes them)
  std::string CompositionText() const;
};

struct ScanResult {
  std::vector<FoundController> found;
  int failure = 0;       // a port failure that ended the scan (result code), else 0
  bool stopped = false;  // the progress callback asked to stop
};

// `progress(address)` is called before each address; returning false stops.
ScanResult ScanLine(ModbusLink& port, int from, int to,
                    const std::function<bool(int address)>& progress = {});

// Whether a result code means the port itself failed (not the controller).
bool IsPortFailure(int result);

}  // namespace zul
