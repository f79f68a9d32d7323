#include "ui/link/ExchangeSettingsDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "core/link/ModbusLink.h"
#include "ui/link/LinkWorker.h"

namespace zul {

namespace {

QSpinBox* DelaySpin(const QString& name, const QString& editName, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(1, 100);
  spin->setSingleStep(1);
  spin->setWrapping(false);
  // The number is chosen with the arrows only.
  auto* edit = spin->findChild<QLineEdit*>();
  edit->setObjectName(editName);
  edit->setReadOnly(true);
  return spin;
}

QComboBox* RepeatList(const QString& name, const QStringList& items, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->addItems(items);
  return box;
}

}  // namespace

ExchangeSettingsDialog::ExchangeSettingsDialog(ModbusLink& port, QWidget* parent) : QDialog(parent) {
  setObjectName("FormNastr");
  setWindowTitle("Настройка параметров обмена");
  setModal(true);

  UpDown1 = DelaySpin("UpDown1", "Edit1", this);
  Edit1 = UpDown1->findChild<QLineEdit*>("Edit1");
  UpDown2 = DelaySpin("UpDown2", "Edit2", this);
  Edit2 = UpDown2->findChild<QLineEdit*>("Edit2");
  CBoxPovt1 = RepeatList("CBoxPovt1", {"1", "5"}, this);
  CBoxPovt2 = RepeatList("CBoxPovt2", {"1", "10"}, this);
  UpDownByteTimeout = new QSpinBox(this);
  UpDownByteTimeout->setObjectName("UpDownByteTimeout");
  UpDownByteTimeout->setRange(0, 2000);
  UpDownByteTimeout->setSingleStep(10);
  UpDownByteTimeout->setSpecialValueText("авто");
  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  OK->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Задержка после переключ на передачу", this), 0, 0);
  grid->addWidget(UpDown1, 0, 1);
  grid->addWidget(new QLabel("Тайм-аут между байтами ответа, мс", this), 1, 0);
  grid->addWidget(UpDownByteTimeout, 1, 1);
  // Settings the user never sees; they keep their initial values.
  const struct {
    const char* label;
    QWidget* control;
  } hidden[] = {{"Задержка перед переключ на прием", UpDown2},
                {"Повторы на 1 этапе", CBoxPovt1},
                {"Повторы на 2-м этапе", CBoxPovt2}};
  int row = 2;
  for (const auto& h : hidden) {
    auto* label = new QLabel(h.label, this);
    grid->addWidget(label, row, 0);
    grid->addWidget(h.control, row, 1);
    label->hide();
    h.control->hide();
    ++row;
  }
  grid->addWidget(OK, row, 0, 1, 2, Qt::AlignHCenter);

  connect(OK, &QPushButton::clicked, this, &ExchangeSettingsDialog::onOk);
  loadFrom(port);
}

void ExchangeSettingsDialog::loadFrom(ModbusLink& port) {
  acceptedPovt1_ = 1;
  acceptedPovt2_ = 1;
  acceptedDelay1_ = static_cast<int>(port.GetDelayBeforeRequest());
  acceptedDelay2_ = port.GetDelayBeforeReceive();
  acceptedByteTimeout_ = port.GetByteTimeout();
  PutAccepted();
}

void ExchangeSettingsDialog::PutAccepted() {
  CBoxPovt1->setCurrentIndex(acceptedPovt1_);
  CBoxPovt2->setCurrentIndex(acceptedPovt2_);
  UpDown1->setValue(acceptedDelay1_);
  UpDown2->setValue(acceptedDelay2_);
  UpDownByteTimeout->setValue(acceptedByteTimeout_);
}

void ExchangeSettingsDialog::onOk() {
  acceptedPovt1_ = CBoxPovt1->currentIndex();
  acceptedPovt2_ = CBoxPovt2->currentIndex();
  acceptedDelay1_ = UpDown1->value();
  acceptedDelay2_ = UpDown2->value();
  acceptedByteTimeout_ = UpDownByteTimeout->value();
  accept();
}

void ExchangeSettingsDialog::done(int result) {
  if (result != Accepted) PutAccepted();
  QDialog::done(result);
}

void ApplyExchangeSettings(ExchangeSettingsDialog& dialog, LinkWorker& worker) {
  if (dialog.exec() != QDialog::Accepted) return;
  const unsigned repeat1 = dialog.CBoxPovt1->currentText().toUInt();
  const unsigned repeat2 = dialog.CBoxPovt2->currentText().toUInt();
  const unsigned beforeRequest = dialog.Edit1->text().toUInt();
  const int beforeReceive = dialog.Edit2->text().toInt();
  const int byteTimeout = dialog.UpDownByteTimeout->value();
  // The link's settings change between exchanges, on the link's own thread.
  worker.Post(
      {[&port = worker.link(), repeat1, repeat2, beforeRequest, beforeReceive, byteTimeout](Interaction&) {
        port.SetRepeat1(repeat1);
        port.SetRepeat2(repeat2);
        port.SetDelayBeforeRequest(beforeRequest);
        port.SetDelayBeforeReceive(beforeReceive);
        port.SetByteTimeout(byteTimeout);
      }});
}

}  // namespace zul
