#include "ui/widgets/QtInteraction.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace zul {

namespace {

struct ButtonSpec {
  Answer answer;
  QMessageBox::StandardButton button;
  const char* text;
};

constexpr ButtonSpec kButtons[] = {
    {Answer::Ok, QMessageBox::Ok, "OK"},           {Answer::Cancel, QMessageBox::Cancel, "Отмена"},
    {Answer::Yes, QMessageBox::Yes, "Да"},         {Answer::No, QMessageBox::No, "Нет"},
    {Answer::Retry, QMessageBox::Retry, "Повтор"},
};

QMessageBox::StandardButtons ButtonsOf(Buttons b) {
  switch (b) {
    case Buttons::Ok:
      return QMessageBox::Ok;
    case Buttons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::RetryCancel:
      return QMessageBox::Retry | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(Icon icon) {
  switch (icon) {
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Warning:
      return QMessageBox::Warning;
    case Icon::Error:
      return QMessageBox::Critical;
    case Icon::Question:
      return QMessageBox::Question;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QMessageBox* QtInteraction::BuildBox(const Message& message, QWidget* parent) {
  auto* box = new QMessageBox(parent);
  box->setObjectName("MessageBox");
  box->setWindowTitle(QString::fromStdString(message.caption.empty() ? kProgramTitle : message.caption));
  box->setText(QString::fromStdString(message.text));
  box->setIcon(IconOf(message.icon));
  box->setStandardButtons(ButtonsOf(message.buttons));
  box->setWindowModality(Qt::ApplicationModal);
  for (const ButtonSpec& spec : kButtons) {
    if (QAbstractButton* b = box->button(spec.button)) b->setText(QString::fromUtf8(spec.text));
    if (spec.answer == message.defaultAnswer && box->button(spec.button)) box->setDefaultButton(spec.button);
  }
  return box;
}

Answer QtInteraction::Ask(const Message& message) {
  QWidget* parent = QApplication::activeModalWidget();
  if (!parent) parent = QApplication::activeWindow();
  QMessageBox* box = BuildBox(message, parent);
  const int chosen = box->exec();
  delete box;
  for (const ButtonSpec& spec : kButtons) {
    if (chosen == spec.button) return spec.answer;
  }
  // Closed with Escape or the title bar: the box's "cancel" meaning.
  switch (message.buttons) {
    case Buttons::Ok:
      return Answer::Ok;
    case Buttons::YesNo:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

void QtInteraction::Progress(int value, int maximum) {
  if (!bar_) return;
  if (maximum <= 0) {
    bar_->hide();
    return;
  }
  bar_->setMaximum(maximum);
  bar_->setValue(value);
  bar_->show();
  bar_->repaint();
}

void QtInteraction::Beep() { QApplication::beep(); }

}  // namespace zul
