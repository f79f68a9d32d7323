#pragma once
// Everything the user is told or asked goes through Interaction, so that every
// procedure (with its messages) runs the same in the GUI, the CLI and tests.
#include <string>

namespace zul {

enum class Icon { None, Information, Warning, Error, Question };

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };

enum class Answer { Ok, Cancel, Yes, No, Retry };

struct Message {
  std::string caption;
  std::string text;
  Icon icon = Icon::None;
  Buttons buttons = Buttons::Ok;
  Answer defaultAnswer = Answer::Ok;
};

class Interaction {
 public:
  virtual ~Interaction() = default;
  // Shows a task-modal box and returns the button the user chose.
  virtual Answer Ask(const Message& message) = 0;
  // Progress of a long procedure: block `value` of `maximum` is being
  // exchanged (0 before the first). maximum 0 hides it.
  virtual void Progress(int value, int maximum) = 0;
  virtual void Beep() = 0;
  // The user asked a read to stop; procedures that may stop between blocks
  // look at it before each request.
  virtual bool StopRequested() { return false; }

  // The common case: one box with an OK button.
  void Show(const std::string& caption, const std::string& text, Icon icon) {
    Ask(Message{caption, text, icon, Buttons::Ok, Answer::Ok});
  }
};

// Captions the whole program uses.
inline constexpr const char* kCaptionError = "Ошибка";
inline constexpr const char* kCaptionWarning = "Предупреждение";
inline constexpr const char* kCaptionInformation = "Информация";
// The program's own title: the main window's caption, and a message's when it has none.
inline constexpr const char* kProgramTitle = "Программатор ЗУЛ - 05-16_ФБ";

}  // namespace zul
