#pragma once
// The input checks every editing dialog shares: the small red hint under a
// field, the red-field error box, and the key filters of integer, hexadecimal
// and decimal fields.
#include <QObject>
#include <QString>
#include <functional>

class QKeyEvent;
class QLabel;
class QPushButton;
class QWidget;

namespace zul {

class Interaction;

inline const QString kInputErrorText = QStringLiteral(" Ошибка ввода ");

// Beeps and shows `hint` just under `control` with the control's text, a
// blank and the message.
void ShowInputHint(QWidget* control, QLabel* hint, Interaction& ui, const QString& message = kInputErrorText);

// Paints the control red, beeps, shows the message in an error box, then
// paints the control white again.
void ReportInputError(QWidget* control, Interaction& ui, const QString& message = kInputErrorText);

// What a key filter decided about one key press.
enum class KeyVerdict {
  Accept,  // let the control have it
  Refuse,  // swallowed (and reported where the filter says so)
  Enter,   // Enter on a field worth passing on: the caller moves on
};

// Digits (main keyboard and pad), Backspace, Delete, Shift, Ctrl, Caps Lock,
// Esc, Left, Right, Num Lock and letters with Ctrl held; Enter when the field
// is not empty; everything else is refused with the error report.
KeyVerdict FilterDigitKey(const QKeyEvent& key, QWidget* control, Interaction& ui);
// The same, also A to F; Enter when the text is neither empty nor one blank.
KeyVerdict FilterHexKey(const QKeyEvent& key, QWidget* control, Interaction& ui);
// Refuses a digit key pressed with Shift (error report); accepts the rest.
KeyVerdict FilterShiftDigitKey(const QKeyEvent& key, QWidget* control, Interaction& ui);
// Digits and Backspace only; other characters dropped silently (editing
// keys such as arrows and Delete still work). Enter is always passed on.
KeyVerdict FilterPlainDigitKey(const QKeyEvent& key, QWidget* control);

// Applies a filter to the key presses of a widget: refused keys never reach
// it, Enter calls `onEnter`.
class KeyFilter : public QObject {
 public:
  using Filter = std::function<KeyVerdict(const QKeyEvent&, QWidget*)>;
  KeyFilter(QWidget* control, Filter filter, std::function<void()> onEnter = {});

  static KeyFilter* Digits(QWidget* control, Interaction& ui, std::function<void()> onEnter = {});
  static KeyFilter* Hex(QWidget* control, Interaction& ui, std::function<void()> onEnter = {});
  static KeyFilter* PlainDigits(QWidget* control, std::function<void()> onEnter = {});

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* control_;
  Filter filter_;
  std::function<void()> onEnter_;
};

// Enter on the button, while it has the focus, clicks it (buttons that are
// not the dialog's default would ignore it).
void EnterPresses(QPushButton* button);

// Moves the keyboard focus to the control after `from` in the tab order
// (what Enter does in many fields).
void FocusNext(QWidget* from);

// The text a control shows (line edit, combo box, button, label, spin box).
QString ControlText(const QWidget* control);

}  // namespace zul

namespace zul {

// A box that sends something to the controller as soon as its value changes
// must not change under a wheel that only passes over it: the closed box
// ignores the wheel (its list, once opened, scrolls as usual).
void IgnoreWheelOnClosedBox(QWidget* box);

}  // namespace zul
