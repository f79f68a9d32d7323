#include "cli/ConsoleInteraction.h"

#include <unistd.h>

#include <cctype>
#include <iostream>
#include <string>

namespace zul::cli {
namespace {

bool IsQuestion(Buttons b) { return b != Buttons::Ok; }

// What an unattended "yes" means for each kind of box. Never Retry: an
// unattended retry could loop for ever.
Answer Affirmative(Buttons b) {
  switch (b) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
      return Answer::Yes;
    case Buttons::RetryCancel:
      return Answer::Cancel;
    default:
      return Answer::Ok;
  }
}

Answer Negative(Buttons b) {
  switch (b) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

}  // namespace

ConsoleInteraction::ConsoleInteraction(AnswerPolicy policy, std::FILE* out)
    : policy_(policy), out_(out), interactive_(isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {}

Answer ConsoleInteraction::Ask(const Message& message) {
  if (lastPercent_ >= 0) {
    std::fputc('\n', out_);
    lastPercent_ = -1;
  }
  std::fprintf(out_, "%s: %s\n", message.caption.c_str(), message.text.c_str());
  std::fflush(out_);
  if (!IsQuestion(message.buttons)) return Answer::Ok;
  switch (policy_) {
    case AnswerPolicy::Yes:
      return Affirmative(message.buttons);
    case AnswerPolicy::No:
      return Negative(message.buttons);
    case AnswerPolicy::Ask:
      break;
  }
  return interactive_ ? AskOnTerminal(message) : message.defaultAnswer;
}

Answer ConsoleInteraction::AskOnTerminal(const Message& message) {
  const bool yesNo = message.buttons == Buttons::YesNo || message.buttons == Buttons::YesNoCancel;
  const bool retry = message.buttons == Buttons::RetryCancel;
  const bool cancel = message.buttons != Buttons::YesNo;
  const char* prompt = yesNo ? (cancel ? "да [y] / нет [n] / отмена [c]? " : "да [y] / нет [n]? ")
                             : (retry ? "повторить [r] / отмена [c]? " : "ок [o] / отмена [c]? ");
  for (;;) {
    std::fputs(prompt, out_);
    std::fflush(out_);
    std::string line;
    if (!std::getline(std::cin, line)) return message.defaultAnswer;
    char c = line.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
    if (yesNo && c == 'y') return Answer::Yes;
    if (yesNo && c == 'n') return Answer::No;
    if (!yesNo && !retry && c == 'o') return Answer::Ok;
    if (retry && c == 'r') return Answer::Retry;
    if (cancel && c == 'c') return Answer::Cancel;
  }
}

void ConsoleInteraction::Progress(int value, int maximum) {
  if (!interactive_ || maximum <= 0) return;
  int percent = value * 100 / maximum;
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  std::fprintf(out_, "\r%3d%%", percent);
  if (value >= maximum) {
    std::fputc('\n', out_);
    lastPercent_ = -1;
  }
  std::fflush(out_);
}

}  // namespace zul::cli
