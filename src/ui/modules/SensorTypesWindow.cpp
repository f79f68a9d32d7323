#include "ui/modules/SensorTypesWindow.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "core/config/ModuleTable.h"
#include "core/model/DiscreteProcessing.h"
#include "core/model/ReserveBlocks.h"
#include "core/model/ServiceBlock.h"
#include "ui/link/LinkWorker.h"
#include "ui/online/OnlineDiscreteView.h"
#include "ui/widgets/BackgroundExchange.h"

namespace zul {

RadioGroup::RadioGroup(const QString& name, const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)) {
  setObjectName(name);
  auto* layout = new QHBoxLayout(this);  // the group's items in two columns, side by side
  for (int i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(items[i], this);
    buttons_->addButton(b, i);
    layout->addWidget(b);
  }
  SetItemIndex(0);
  connect(buttons_, &QButtonGroup::idClicked, this, [this] { emit Clicked(); });
}

int RadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void RadioGroup::SetItemIndex(int index) {
  if (QAbstractButton* b = buttons_->button(index)) b->setChecked(true);
}

SensorTypesWindow::SensorTypesWindow(ServiceBlock& serv, DiscreteProcessing& zul, ReserveBlocks& reserve,
                                     ModbusLink& port, LinkWorker& worker, DiscreteInputsOnline& online,
                                     Interaction& ui, QWidget* parent)
    : ModuleEditorDialog(serv, ui, "FormTipDat", parent),
      zul_(zul),
      reserve_(reserve),
      port_(port),
      worker_(worker),
      online_(online) {
  setWindowTitle("Программирование модуля  ЛК-2");
  SetExchange(worker_);
  auto label = [this](const char* name, const QString& text = {}) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    return l;
  };
  LabMod = label("LabMod", "Модуль");
  LabNMod = label("LabNMod");
  LabMod1 = label("LabMod1", "модуль  ввода дискретных сигналов");
  LabTMod = label("LabTMod");
  LabN = label("LabN");
  auto* head = new QHBoxLayout;
  for (QLabel* l : {LabMod, LabNMod, LabMod1, LabTMod, LabN}) head->addWidget(l);
  head->addStretch();

  GroupBox1 = new QGroupBox("Тип датчика", this);
  GroupBox1->setObjectName("GroupBox1");
  auto* grid = new QGridLayout(GroupBox1);
  const QStringList items{"Сухой контакт", "NAMUR"};
  for (int i = 0; i < kSensors; ++i) {
    const QString caption = i == 0 ? QString("Датчик №1") : QString("Датчик № %1").arg(i + 1);
    auto* group = new RadioGroup(QString("RadioGroup%1").arg(i + 1), caption, items, GroupBox1);
    RadioGroups[static_cast<size_t>(i)] = group;
    grid->addWidget(group, i % (kSensors / 2), i / (kSensors / 2));
    connect(group, &RadioGroup::Clicked, this, [this, i] { onSensorTypeChosen(i); });
  }

  ButOnLine = new QPushButton("on line", this);
  ButOnLine->setObjectName("ButOnLine");
  Save = new QPushButton("Save", this);
  Save->setObjectName("Save");
  Save->hide();
  for (QPushButton* b : {ButOnLine, Save}) b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {OK, Cancel, ButOnLine}) buttons->addWidget(b);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetMinimumSize);  // never smaller than the rows need
  layout->addLayout(head);
  layout->addWidget(GroupBox1);
  layout->addLayout(buttons);

  connect(ButOnLine, &QPushButton::clicked, this, &SensorTypesWindow::openOnline);
  connect(Save, &QPushButton::clicked, this, &SensorTypesWindow::sendSensorTypes);
}

void SensorTypesWindow::Prepare(int slot, const QString& typeText, const QString& inputsText) {
  slot_ = std::clamp(slot, 1, DiscreteProcessing::kSlots);
  cancelled_ = false;  // an earlier "Отмена" must not throw away this opening's edits
  zul_.SetEditSlot(slot_);
  LabNMod->setText(QString::number(slot_));
  LabTMod->setText(typeText);
  LabN->setText("входы " + inputsText);
  for (int i = 0; i < kSensors; ++i) {
    const int n = ServiceBlock::kInputsPerDiModule * (slot_ - 1) + i + 1;
    RadioGroup* group = RadioGroups[static_cast<size_t>(i)];
    group->setToolTip(QString("номер дискретного сигнала в базе %1 (адрес 0x%2)")
                          .arg(n)
                          .arg(QString("%1").arg(n - 1, 2, 16, QChar('0')).toUpper()));
    group->SetItemIndex(zul_.GetSensorType(i, slot_ - 1));
  }
  zul_.ModuleSynced[static_cast<size_t>(slot_)] = 1;
}

int SensorTypesWindow::Open(int slot, const QString& typeText, const QString& inputsText) {
  Prepare(slot, typeText, inputsText);
  return exec();
}

void SensorTypesWindow::onSensorTypeChosen(int sensor) {
  if (!isVisible() || sensor < 0 || sensor >= kSensors) return;
  const int slot = zul_.GetEditSlot();
  if (slot < 1 || slot > DiscreteProcessing::kSlots) return;
  // A type changed and changed back still counts as a change.
  zul_.ModuleSynced[static_cast<size_t>(slot)] = 0;
  zul_.SetSensorType(sensor, slot - 1, RadioGroups[static_cast<size_t>(sensor)]->ItemIndex());
}

bool SensorTypesWindow::canClose() {
  ModalResult = kResultNormal;
  auto block = std::make_shared<SensorTypeBlock>(zul_, reserve_, port_, service_.CurrentDevice, slot_);
  return CloseWith(block, kRelaySendQuestion);
}

void SensorTypesWindow::sendSensorTypes() {
  auto block = std::make_shared<SensorTypeBlock>(zul_, reserve_, port_, service_.CurrentDevice, slot_);
  BackgroundExchange(worker_, ui_, this).Run(windowTitle(), ExchangeKind::Write, [block](Interaction&) {
    SendEditedBlock(*block);
  });
}

void SensorTypesWindow::openOnline() {
  if (RefuseOnlineInFileMode()) return;
  const int result = online_.Open(slot_, ModuleNumberInGroup(service_, slot_), LabTMod->text());
  if (result == kResultError) ui_.Show(kCaptionError, "программирование закончено с ошибкой", Icon::Error);
}

}  // namespace zul
