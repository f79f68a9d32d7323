#pragma once
// An Interaction that answers from a prepared list and keeps every box it was
// shown: used by tests, and by the CLI's --yes/--no answers.
#include <deque>
#include <vector>

#include "core/Interaction.h"

namespace zul {

class ScriptedInteraction : public Interaction {
 public:
  // Answers handed out in order; when they run out, the box's default answer.
  void QueueAnswer(Answer answer) { answers_.push_back(answer); }

  Answer Ask(const Message& message) override {
    shown_.push_back(message);
    if (answers_.empty()) return message.defaultAnswer;
    Answer a = answers_.front();
    answers_.pop_front();
    return a;
  }
  void Progress(int value, int maximum) override { progress_.push_back({value, maximum}); }
  void Beep() override { ++beeps_; }

  const std::vector<Message>& Shown() const { return shown_; }
  const Message& Last() const { return shown_.back(); }
  void Clear() {
    shown_.clear();
    progress_.clear();
    beeps_ = 0;
  }

  struct Step {
    int value;
    int maximum;
  };
  const std::vector<Step>& ProgressSteps() const { return progress_; }
  int Beeps() const { return beeps_; }

 private:
  std::deque<Answer> answers_;
  std::vector<Message> shown_;
  std::vector<Step> progress_;
  int beeps_ = 0;
};

}  // namespace zul
