#pragma once
// A user who presses "Прервать" once a read has asked `allowed` times
// whether to go on.
#include "core/ScriptedInteraction.h"

namespace zul::test {

class StopAfter : public ScriptedInteraction {
 public:
  explicit StopAfter(int allowed) : allowed_(allowed) {}
  bool StopRequested() override { return asked_++ >= allowed_; }

 private:
  int allowed_;
  int asked_ = 0;
};

}  // namespace zul::test
