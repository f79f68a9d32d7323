#pragma once
// Interaction for the command line: messages go to stderr as "caption: text";
// questions take the answer given with --yes/--no, else ask on a terminal,
// else take the box's default.
#include <cstdio>

#include "core/Interaction.h"

namespace zul::cli {

enum class AnswerPolicy { Ask, Yes, No };

class ConsoleInteraction : public Interaction {
 public:
  explicit ConsoleInteraction(AnswerPolicy policy = AnswerPolicy::Ask, std::FILE* out = stderr);
  Answer Ask(const Message& message) override;
  void Progress(int value, int maximum) override;
  void Beep() override {}
  void SetPolicy(AnswerPolicy policy) { policy_ = policy; }

 private:
  Answer AskOnTerminal(const Message& message);
  AnswerPolicy policy_;
  std::FILE* out_;
  bool interactive_;
  int lastPercent_ = -1;
};

}  // namespace zul::cli
