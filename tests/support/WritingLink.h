#pragma once
// A link whose owner has full access, for tests of the procedures that write.
#include "core/config/AccessLevel.h"
#include "core/link/ModbusLink.h"

namespace zul::test {

class WritingLink : public ModbusLink {
 public:
  WritingLink(SerialLine& line, Clock& clock, Interaction& ui) : ModbusLink(line, clock, ui) {
    BindAccessLevel(&level_);
  }

 private:
  int level_ = kFullAccess;
};

}  // namespace zul::test
