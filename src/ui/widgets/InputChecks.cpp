#include "ui/widgets/InputChecks.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <algorithm>

#include "core/Interaction.h"

namespace zul {

namespace {

bool IsDigitKey(int key) { return key >= Qt::Key_0 && key <= Qt::Key_9; }
bool IsEnterKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
bool IsLetterKey(int key) { return key >= Qt::Key_A && key <= Qt::Key_Z; }
bool IsHexLetterKey(int key) { return key >= Qt::Key_A && key <= Qt::Key_F; }

// Keys every numeric field lets through besides its characters.
bool IsEditingKey(int key) {
  switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_CapsLock:
    case Qt::Key_Escape:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_NumLock:
      return true;
    default:
      return false;
  }
}

void Paint(QWidget* control, const QColor& color) {
  QPalette p = control->palette();
  p.setColor(QPalette::Base, color);
  control->setPalette(p);
  control->setAutoFillBackground(true);
  control->repaint();
}

KeyVerdict Refuse(QWidget* control, Interaction& ui) {
  ReportInputError(control, ui);
  return KeyVerdict::Refuse;
}

KeyVerdict FilterNumberKey(const QKeyEvent& key, QWidget* control, Interaction& ui, bool hex) {
  const int k = key.key();
  if (IsEnterKey(k)) {
    const QString text = ControlText(control);
    const bool worth = hex ? !text.isEmpty() && text != " " : !text.isEmpty();
    return worth ? KeyVerdict::Enter : KeyVerdict::Refuse;
  }
  // Keys that type no character (Tab, Shift+Tab, arrows, Home, End, F-keys) move and edit as usual.
  if (k >= Qt::Key_Escape) return KeyVerdict::Accept;
  if (IsDigitKey(k) || IsEditingKey(k)) return KeyVerdict::Accept;
  if (hex && IsHexLetterKey(k)) return KeyVerdict::Accept;
  if (IsLetterKey(k) && (key.modifiers() & Qt::ControlModifier)) return KeyVerdict::Accept;
  return Refuse(control, ui);
}

}  // namespace

QString ControlText(const QWidget* control) {
  if (auto* e = qobject_cast<const QLineEdit*>(control)) return e->text();
  if (auto* c = qobject_cast<const QComboBox*>(control)) return c->currentText();
  if (auto* b = qobject_cast<const QAbstractButton*>(control)) return b->text();
  if (auto* l = qobject_cast<const QLabel*>(control)) return l->text();
  if (auto* s = qobject_cast<const QAbstractSpinBox*>(control)) return s->text();
  return {};
}

void FocusNext(QWidget* from) {
  for (QWidget* w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(from->window())) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

void ShowInputHint(QWidget* control, QLabel* hint, Interaction& ui, const QString& message) {
  ui.Beep();
  hint->setText(ControlText(control) + " " + message);
  hint->adjustSize();
  QWidget* host = hint->parentWidget();
  QPoint at =
      host ? control->mapTo(host, QPoint(5, control->height() - 5)) : QPoint(5, control->height() - 5);
  // A long note near the right edge moves left so that it stays readable.
  if (host) at.setX(std::max(0, std::min(at.x(), host->width() - hint->width())));
  hint->move(at);
  hint->raise();
  hint->show();
}

void ReportInputError(QWidget* control, Interaction& ui, const QString& message) {
  Paint(control, Qt::red);
  ui.Beep();
  ui.Show(kCaptionError, message.toStdString(), Icon::Error);
  Paint(control, Qt::white);
}

KeyVerdict FilterDigitKey(const QKeyEvent& key, QWidget* control, Interaction& ui) {
  return FilterNumberKey(key, control, ui, false);
}

KeyVerdict FilterHexKey(const QKeyEvent& key, QWidget* control, Interaction& ui) {
  return FilterNumberKey(key, control, ui, true);
}

KeyVerdict FilterShiftDigitKey(const QKeyEvent& key, QWidget* control, Interaction& ui) {
  if (!(key.modifiers() & Qt::ShiftModifier)) return KeyVerdict::Accept;
  // With Shift the digit row gives its symbols; which ones depends on the layout.
  static const QString kShiftedDigitRow = QStringLiteral("!@#$%^&*()\"№;:?");
  const bool digitRow =
      IsDigitKey(key.key()) || (key.text().size() == 1 && kShiftedDigitRow.contains(key.text()));
  return digitRow ? Refuse(control, ui) : KeyVerdict::Accept;
}

KeyVerdict FilterPlainDigitKey(const QKeyEvent& key, [[maybe_unused]] QWidget* control) {
  const int k = key.key();
  if (IsEnterKey(k)) return KeyVerdict::Enter;
  if (IsDigitKey(k) || k == Qt::Key_Backspace) return KeyVerdict::Accept;
  // Keys that type nothing (arrows, Delete, Tab, modifiers) keep their usual meaning.
  if (key.text().isEmpty() || !key.text().at(0).isPrint()) return KeyVerdict::Accept;
  return KeyVerdict::Refuse;
}

KeyFilter::KeyFilter(QWidget* control, Filter filter, std::function<void()> onEnter)
    : QObject(control), control_(control), filter_(std::move(filter)), onEnter_(std::move(onEnter)) {
  control->installEventFilter(this);
}

KeyFilter* KeyFilter::Digits(QWidget* control, Interaction& ui, std::function<void()> onEnter) {
  return new KeyFilter(
      control, [&ui](const QKeyEvent& k, QWidget* c) { return FilterDigitKey(k, c, ui); },
      std::move(onEnter));
}

KeyFilter* KeyFilter::Hex(QWidget* control, Interaction& ui, std::function<void()> onEnter) {
  return new KeyFilter(
      control, [&ui](const QKeyEvent& k, QWidget* c) { return FilterHexKey(k, c, ui); }, std::move(onEnter));
}

KeyFilter* KeyFilter::PlainDigits(QWidget* control, std::function<void()> onEnter) {
  return new KeyFilter(
      control, [](const QKeyEvent& k, QWidget* c) { return FilterPlainDigitKey(k, c); }, std::move(onEnter));
}

namespace {

// Enter on a focused button clicks it, default button or not.
class EnterClicks : public QObject {
 public:
  explicit EnterClicks(QPushButton* button) : QObject(button), button_(button) {
    button->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !IsEnterKey(static_cast<QKeyEvent*>(event)->key())) return false;
    button_->click();
    return true;
  }

 private:
  QPushButton* button_;
};

}  // namespace

void EnterPresses(QPushButton* button) { new EnterClicks(button); }

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != control_ || event->type() != QEvent::KeyPress) return false;
  switch (filter_(*static_cast<QKeyEvent*>(event), control_)) {
    case KeyVerdict::Accept:
      return false;
    case KeyVerdict::Refuse:
      return true;
    case KeyVerdict::Enter:
      if (onEnter_) onEnter_();
      return true;
  }
  return false;
}

}  // namespace zul

namespace zul {
namespace {

class WheelGuard : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    (void)watched;
    return event->type() == QEvent::Wheel;
  }
};

}  // namespace

void IgnoreWheelOnClosedBox(QWidget* box) { box->installEventFilter(new WheelGuard(box)); }

}  // namespace zul
