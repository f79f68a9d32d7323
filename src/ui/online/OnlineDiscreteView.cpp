#include "ui/online/OnlineDiscreteView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/config/OnlineDiscrete.h"
#include "core/link/ModbusLink.h"
#include "core/model/DiscreteProcessing.h"
#include "core/model/ServiceBlock.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/HintLabel.h"

namespace zul {

namespace {

const QColor kPurple(0x80, 0x00, 0x80);

}  // namespace

OnlineDiscreteView::OnlineDiscreteView(ModbusLink& port, ServiceBlock& serv, LinkWorker& worker,
                                       const QString& name, const QString& moduleCaption,
                                       const QString& rowName, int rows, bool validity, int intervalMs,
                                       QWidget* parent)
    : QDialog(parent), port_(port), service_(serv), worker_(worker), intervalMs_(intervalMs) {
  setObjectName(name);
  setModal(true);

  Label1 = new QLabel("запущен опрос", this);
  Label1->setObjectName("Label1");
  Label1->hide();
  Button1 = new QPushButton("Пуск и остановка таймера", this);
  Button1->setObjectName("Button1");
  Button1->setAutoDefault(false);
  Mod1 = new QLabel(moduleCaption, this);
  Mod1->setObjectName("Mod1");
  StaticText1 = new QLabel("Адрес модуля", this);
  StaticText1->setObjectName("StaticText1");
  LabNMod = MakeCell("LabNMod", this, 30);
  TipMod = MakeCell("TipMod", this, 60);
  LabAMod = MakeCell("LabAMod", this, 30);
  Isprav = MakeCell("Isprav", this, 100);
  for (QLabel* cell : {LabNMod, LabAMod, Isprav}) cell->setAlignment(Qt::AlignCenter);
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");

  auto* head = new QGridLayout;
  head->addWidget(new QLabel("Модуль №", this), 0, 0);
  head->addWidget(LabNMod, 0, 1);
  head->addWidget(TipMod, 0, 2);
  head->addWidget(StaticText1, 1, 0);
  head->addWidget(LabAMod, 1, 1);
  head->addWidget(Isprav, 1, 2);

  auto* table = new QGridLayout;
  table->setHorizontalSpacing(4);
  for (int k = 1; k <= rows; ++k) {
    table->addWidget(new QLabel(QString("%1 %2").arg(rowName).arg(k), this), k, 0);
    TRecv.push_back(MakeCell(QString("TRecv%1").arg(k), this, 130));
    OnOff.push_back(MakeCell(QString("OnOff%1").arg(k), this, 40));
    table->addWidget(TRecv.back(), k, 1);
    table->addWidget(OnOff.back(), k, 2);
    OnOff.back()->setAlignment(Qt::AlignCenter);
    if (validity) {
      Dost.push_back(MakeCell(QString("Dost%1").arg(k), this, 100));
      Dost.back()->setAlignment(Qt::AlignCenter);
      table->addWidget(Dost.back(), k, 3);
    }
  }

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button1);
  buttons->addWidget(Label1);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Mod1);
  layout->addLayout(head);
  layout->addLayout(table);
  layout->addLayout(buttons);

  connect(Button1, &QPushButton::clicked, this, &OnlineDiscreteView::togglePolling);
  connect(Timer1, &QTimer::timeout, this, [this] { poll(); });
}

bool OnlineDiscreteView::Polling() const { return Timer1->isActive(); }

void OnlineDiscreteView::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  togglePolling();
}

void OnlineDiscreteView::togglePolling() {
  Timer1->setInterval(intervalMs_);
  if (Timer1->isActive()) {
    Timer1->stop();
  } else {
    Timer1->start();
  }
  reportFlag_ ^= 1;
  Label1->setVisible(Timer1->isActive());
}

void OnlineDiscreteView::done(int result) {
  if (Timer1->isActive()) togglePolling();
  QDialog::done(result);
}

void OnlineDiscreteView::Failed(int result) {
  if (Timer1->isActive()) togglePolling();
  if (reportFlag_ == 1) port_.ShowError(worker_.Messages(), service_.CurrentDevice, result);
}

void OnlineDiscreteView::ShowHealth(bool faulty) {
  if (faulty) {
    Isprav->setText("неисправен");
    PaintCell(Isprav, Qt::red);
  } else {
    Isprav->setText("исправен");
    PaintCell(Isprav, QColor(), Qt::darkCyan);
  }
}

void OnlineDiscreteView::ShowOnOff(size_t k, bool on) {
  OnOff[k]->setText(on ? "on" : "off");
  PaintCell(OnOff[k], on ? QColor(Qt::cyan) : QColor());
}

// --- discrete input module ---------------------------------------------------

DiscreteInputsOnline::DiscreteInputsOnline(ModbusLink& port, ServiceBlock& serv,
                                           DiscreteProcessing& processing, LinkWorker& worker,
                                           QWidget* parent)
    : OnlineDiscreteView(port, serv, worker, "FormVhD", "Модуль ввода дискретной информации", "Вход",
                         kOnlineInputs, true, 3000, parent),
      processing_(processing) {
  setWindowTitle("Модуль ввода дискретной информации");
}

void DiscreteInputsOnline::Prepare(int slot, int module, const QString& typeText) {
  slot_ = slot;
  module_ = module;
  processing_.SetEditSlot(slot);
  LabNMod->setText(QString::number(slot));
  TipMod->setText(typeText);
  LabAMod->setText(QString::number(slot - 1));
  for (int k = 0; k < kOnlineInputs; ++k) {
    const int signal = ServiceBlock::kInputsPerDiModule * (module - 1) + k;
    TRecv[static_cast<size_t>(k)]->setText(QString::fromStdString(service_.GetText(signal)));
  }
}

int DiscreteInputsOnline::Open(int slot, int module, const QString& typeText) {
  Prepare(slot, module, typeText);
  return exec();
}

void DiscreteInputsOnline::poll() {
  // A tick that finds the line busy skips its turn.
  BackgroundExchange(worker_, this)
      .PollFor([this, device = service_.CurrentDevice, slot = slot_,
                module = module_](Interaction&) { return PollInputModule(port_, device, slot, module); },
               [this](const InputModulePoll& poll) { ShowPoll(poll); });
}

void DiscreteInputsOnline::ShowPoll(const InputModulePoll& poll) {
  if (poll.completed >= 1) ShowHealth(poll.faulty);
  if (poll.completed >= 2) {
    for (size_t k = 0; k < OnOff.size(); ++k) ShowOnOff(k, poll.on[k]);
  }
  if (poll.completed >= 3) {
    for (size_t k = 0; k < Dost.size(); ++k) {
      Dost[k]->setText(poll.invalid[k] ? "недостовер." : "достовер.");
      PaintCell(Dost[k], poll.invalid[k] ? kPurple : QColor(),
                poll.invalid[k] ? QColor(Qt::white) : QColor(Qt::black));
    }
  }
  if (poll.result != kResultOk) Failed(poll.result);
}

// --- relay module --------------------------------------------------------------

RelayOutputsOnline::RelayOutputsOnline(ModbusLink& port, ServiceBlock& serv, LinkWorker& worker,
                                       QWidget* parent)
    : OnlineDiscreteView(port, serv, worker, "FormVyhOnL", "Модуль дискретного вывода", "Выход",
                         kOnlineOutputs, false, 1000, parent) {
  setWindowTitle("Модуль дискретного вывода");
}

void RelayOutputsOnline::Prepare(int slot, int relayModule, const QString& typeText) {
  slot_ = slot;
  module_ = relayModule;
  LabNMod->setText(QString::number(relayModule));
  TipMod->setText(typeText);
  LabAMod->setText(QString::number(slot - 1));
  for (int k = 0; k < kOnlineOutputs; ++k) {
    const int output = ServiceBlock::kOutputsPerDoModule * (relayModule - 1) + k;
    TRecv[static_cast<size_t>(k)]->setText(QString::fromStdString(service_.GetOutputIdentifier(output)));
  }
}

int RelayOutputsOnline::Open(int slot, int relayModule, const QString& typeText) {
  Prepare(slot, relayModule, typeText);
  return exec();
}

void RelayOutputsOnline::poll() {
  // A tick that finds the line busy skips its turn.
  BackgroundExchange(worker_, this)
      .PollFor([this, device = service_.CurrentDevice, slot = slot_,
                module = module_](Interaction&) { return PollOutputModule(port_, device, slot, module); },
               [this](const OutputModulePoll& poll) { ShowPoll(poll); });
}

void RelayOutputsOnline::ShowPoll(const OutputModulePoll& poll) {
  if (poll.completed >= 1) ShowHealth(poll.faulty);
  if (poll.completed >= 2) {
    for (size_t k = 0; k < OnOff.size(); ++k) ShowOnOff(k, poll.on[k]);
  }
  if (poll.result != kResultOk) Failed(poll.result);
}

}  // namespace zul
