// The read-only information dialogs: a relay output, an analog input, a
// network input.
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/config/InputInfo.h"
#include "core/model/DiscreteProcessing.h"
#include "core/model/RelayModules.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/widgets/HintLabel.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

QLabel* Label(const char* name, const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QLabel* Value(const char* name, QWidget* parent, int width = 90) {
  QLabel* cell = MakeCell(name, parent, width);
  cell->setEnabled(false);  // shown, never edited
  return cell;
}

QPushButton* OkButton(QDialog* dialog) {
  auto* ok = new QPushButton("OK", dialog);
  ok->setObjectName("OK");
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  return ok;
}

}  // namespace

// --- RelayOutputInfoDialog ---------------------------------------------------------------------

RelayOutputInfoDialog::RelayOutputInfoDialog(const RelayModules& progMR, const DiscreteProcessing& processing,
                                             QWidget* parent)
    : QDialog(parent), progMR_(progMR), processing_(processing) {
  setObjectName("FormInfOut");
  setWindowTitle("Информация о дискретном  выходе");
  setModal(true);
  Label11 = Label("Label11", "Модуль дискретного вывода  № ", this);
  LabNMod = Value("LabNMod", this, 30);
  LabNVyh = Value("LabNVyh", this, 30);
  TipVyh = Value("TipVyh", this);
  Block = Value("Block", this, 140);
  Kvit = Value("Kvit", this, 140);
  KvitMind = Value("KvitMind", this, 50);
  KvitTopLevel = Value("KvitTopLevel", this, 50);
  EditVxKvit = Value("EditVxKvit", this, 50);
  SbrMind = Value("SbrMind", this, 50);
  SbrTopLevel = Value("SbrTopLevel", this, 50);
  EditVhSbr = Value("EditVhSbr", this, 50);
  OK = OkButton(this);

  auto* grid = new QGridLayout(this);
  int row = 0;
  grid->addWidget(Label11, row, 0);
  grid->addWidget(LabNMod, row, 1);
  grid->addWidget(new QLabel("реле  №", this), row, 2);
  grid->addWidget(LabNVyh, row++, 3);
  grid->addWidget(new QLabel("Тип выхода", this), row, 0);
  grid->addWidget(TipVyh, row++, 1, 1, 3);
  grid->addWidget(new QLabel("Упр. -  с блок./без блок.      Сигн. -  свет/звук", this), row++, 0, 1, 4);
  grid->addWidget(Block, row, 0, 1, 2);
  grid->addWidget(Kvit, row++, 2, 1, 2);
  const struct {
    const char* title;
    const char* panelText;
    QLabel* panel;
    const char* topText;
    QLabel* top;
    const char* inputText;
    QLabel* input;
  } groups[] = {
      {"Квитирование", "с центральной панели ЛК-14", KvitMind, "с верхнего     уровня", KvitTopLevel,
       "адрес входа       внешнего квитирования", EditVxKvit},
      {"Сброс", "с центральной панели ЛК-14", SbrMind, "с верхнего     уровня", SbrTopLevel,
       "адрес входа     внешнего       сброса", EditVhSbr},
  };
  for (const auto& g : groups) {
    grid->addWidget(new QLabel(g.title, this), row++, 0, 1, 4);
    grid->addWidget(new QLabel(g.panelText, this), row, 0);
    grid->addWidget(g.panel, row++, 1);
    grid->addWidget(new QLabel(g.topText, this), row, 0);
    grid->addWidget(g.top, row++, 1);
    grid->addWidget(new QLabel(g.inputText, this), row, 0);
    grid->addWidget(g.input, row++, 1);
  }
  grid->addWidget(OK, row, 0, 1, 4, Qt::AlignCenter);
}

void RelayOutputInfoDialog::Prepare() {
  const int m = processing_.InfoModule;
  const int o = processing_.InfoOutput;
  LabNMod->setNum(m + 1);
  LabNVyh->setNum(o + 1);
  const bool control = progMR_.GetOutputType(o, m) != 0;
  const bool mode = progMR_.GetMode(o, m) != 0;
  TipVyh->setText(control ? "управл." : "сигнал.");
  Block->setVisible(control);
  Kvit->setVisible(!control);
  Block->setText(mode ? "с   блокировкой" : "без блокировки");
  Kvit->setText(mode ? "звук(с гашением)" : "свет(перевод в ровн.)");
  auto yes = [](int bit) { return QString(bit ? "есть" : "нет"); };
  KvitMind->setText(yes(progMR_.GetAckPanel(o, m)));
  KvitTopLevel->setText(yes(progMR_.GetAckTop(o, m)));
  EditVxKvit->setNum(progMR_.GetAckInput(o, m));
  SbrMind->setText(yes(progMR_.GetResetPanel(o, m)));
  SbrTopLevel->setText(yes(progMR_.GetResetTop(o, m)));
  EditVhSbr->setNum(progMR_.GetResetInput(o, m));
}

// --- AnalogInputInfoDialog, NetworkInputInfoDialog ------------------------------------------------------

InputInfoDialog::InputInfoDialog(bool network, QWidget* parent) : QDialog(parent), network_(network) {
  setModal(true);
  LabNVh = Label("LabNVh", "Вход №", this);
  Label2 = Label("Label2", "", this);
  LabTextRecv = Value("LabTextRecv", this, 120);
  Label11 = Label(
      "Label11", network ? "Функциональный блок ModBus Master   №  " : "Модуль аналогового ввода   № ", this);
  LabNMod = Value("LabNMod", this, 30);
  LabVh = Label("LabVh", "   №     входа", this);
  Label1 = Value("Label1", this, 30);
  values_ = new QWidget(this);
  Label7 = Label("Label7", "технолог. позиция", values_);
  Poz1 = Value("Poz1", values_);
  LabelRazm = Label("LabelRazm", "размерн.", values_);
  Razm1 = Value("Razm1", values_);
  Label8 = Label("Label8", "  min шкалы", values_);
  NSK1 = Value("NSK1", values_);
  Label9 = Label("Label9", "  max шкалы", values_);
  VSK1 = Value("VSK1", values_);
  LabUstLL = Label("LabUstLL", "уставка LL", values_);
  Ust1LL = Value("Ust1LL", values_);
  auto* v = new QGridLayout(values_);
  v->setContentsMargins(0, 0, 0, 0);
  const std::pair<QLabel*, QLabel*> rows[] = {
      {Label7, Poz1}, {LabelRazm, Razm1}, {Label8, NSK1}, {Label9, VSK1}, {LabUstLL, Ust1LL}};
  int r = 0;
  for (const auto& [name, value] : rows) {
    v->addWidget(name, r, 0);
    v->addWidget(value, r++, 1);
  }
  OK = OkButton(this);
}

void InputInfoDialog::Prepare(const InputInfo& info) {
  Label2->setText(Q(info.header));
  LabTextRecv->setText(Q(info.text));
  LabNMod->setNum(info.module);
  Label1->setNum(info.input);
  Poz1->setText(Q(info.position));
  Razm1->setText(Q(info.unit));
  NSK1->setText(Q(info.scaleMin));
  VSK1->setText(Q(info.scaleMax));
  LabUstLL->setText(Q(info.setpointName.empty() ? std::string("уставка LL") : info.setpointName));
  Ust1LL->setText(Q(info.setpointValue));
}

AnalogInputInfoDialog::AnalogInputInfoDialog(QWidget* parent) : InputInfoDialog(false, parent) {
  setObjectName("FormInfAn");
  setWindowTitle("Информация об аналоговом входе");
  LabTMod = Value("LabTMod", this, 50);
  auto* grid = new QGridLayout(this);
  grid->addWidget(LabNVh, 0, 0);
  grid->addWidget(Label2, 0, 1, 1, 3);
  grid->addWidget(LabTextRecv, 1, 0, 1, 4);
  grid->addWidget(Label11, 2, 0);
  grid->addWidget(LabNMod, 2, 1);
  grid->addWidget(LabTMod, 2, 2);
  grid->addWidget(LabVh, 3, 0);
  grid->addWidget(Label1, 3, 1);
  grid->addWidget(values_, 4, 0, 1, 4);
  grid->addWidget(OK, 5, 0, 1, 4, Qt::AlignCenter);
}

NetworkInputInfoDialog::NetworkInputInfoDialog(QWidget* parent) : InputInfoDialog(true, parent) {
  setObjectName("FormInfNetAn");
  setWindowTitle("Информация о сетевом  входе");
  Label5 = Label("Label5", "Адрес Slave в локальной сети", this);
  LabAdrSlave = Value("LabAdrSlave", this, 30);
  Label4 = Label("Label4", "        Тип  устройства Slave", this);
  LabTUst = Value("LabTUst", this, 90);
  GroupBox1 = new QGroupBox("Данные масштабирования аналогового входа", this);
  GroupBox1->setObjectName("GroupBox1");
  auto* g = new QVBoxLayout(GroupBox1);
  values_->setParent(GroupBox1);
  g->addWidget(values_);
  auto* grid = new QGridLayout(this);
  grid->addWidget(LabNVh, 0, 0);
  grid->addWidget(Label2, 0, 1, 1, 3);
  grid->addWidget(LabTextRecv, 1, 0, 1, 4);
  grid->addWidget(Label11, 2, 0);
  grid->addWidget(LabNMod, 2, 1);
  grid->addWidget(Label5, 3, 0);
  grid->addWidget(LabAdrSlave, 3, 1);
  grid->addWidget(Label4, 4, 0);
  grid->addWidget(LabTUst, 4, 1, 1, 3);
  grid->addWidget(LabVh, 5, 0);
  grid->addWidget(Label1, 5, 1);
  grid->addWidget(GroupBox1, 6, 0, 1, 4);
  grid->addWidget(OK, 7, 0, 1, 4, Qt::AlignCenter);
}

void AnalogInputInfoDialog::Prepare(const InputInfo& info) {
  InputInfoDialog::Prepare(info);
  if (!info.moduleType.empty()) LabTMod->setText(Q(info.moduleType));  // other codes leave it
}

void NetworkInputInfoDialog::Prepare(const InputInfo& info) {
  InputInfoDialog::Prepare(info);
  LabAdrSlave->setNum(info.slave);
  if (!info.slaveType.empty()) LabTUst->setText(Q(info.slaveType));
  GroupBox1->setVisible(info.scaling);
}

}  // namespace zul
