#include "ui/fb/FunctionBlockDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/model/FunctionBlocks.h"
#include "ui/widgets/HintLabel.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"
#include "ui/widgets/WindowHabits.h"

namespace zul {
namespace {

QLineEdit* Field(const QString& name, int maxLength, Interaction& ui, QWidget* parent,
                 const QString& hint = {}) {
  auto* e = Named(new QLineEdit("00", parent), name);
  e->setMaxLength(maxLength);
  e->setMaximumWidth(60);
  if (!hint.isEmpty()) e->setToolTip(hint);
  new KeyFilter(
      e,
      [&ui](const QKeyEvent& key, QWidget* w) {
        const KeyVerdict verdict = FilterDigitKey(key, w, ui);
        // Enter in an empty field is an input error here, not a key that does nothing.
        const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
        if (enter && verdict == KeyVerdict::Refuse) ReportInputError(w, ui);
        return verdict;
      },
      [e] { FocusNext(e); });
  return e;
}

QComboBox* Combo(const QString& name, const QStringList& items, QWidget* parent) {
  auto* c = Named(new QComboBox(parent), name);
  c->addItems(items);
  return c;
}

const QStringList kKinds = {
    "\"И\" (4 входа)",           "\"И-НЕ\" (4 входа)",        "\"ИЛИ\" (4 входа)",
    "\"ИЛИ-НЕ\" (4 входа)",      "\"ГСТ\"гистерезис (2 вх.)", "\"Т\" таймер  (2 входа)",
    "\"Тр\"  триггер (4 входа)", "\"СМР\" компаратор (4 вх)", "\"СЧ\" счетчик (4вх)"};
const QStringList kSources = {"вход. диск. сигнал", "выход ФБ или № КВУ", "флаг недост. анал. сигн.",
                              "выход  алг. CoDeSys", "флаг недост. диск. сигн."};
constexpr int kAlarmClock = 5;

}  // namespace

RadioChoice::RadioChoice(const char* name, const QString& title, const QStringList& items, QWidget* parent)
    : QWidget(parent) {
  setObjectName(name);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);  // never squeeze the items together
  box_ = Named(new QGroupBox(title, this), QString(name) + "Box");
  group_ = new QButtonGroup(this);
  auto* v = new QVBoxLayout(box_);
  v->setSpacing(1);
  for (int i = 0; i < items.size(); ++i) {
    auto* b = Named(new QRadioButton(items[i], box_), QString("%1Item%2").arg(name).arg(i));
    group_->addButton(b, i);
    v->addWidget(b);
  }
  group_->button(0)->setChecked(true);
  auto* l = new QVBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  l->addWidget(box_);
  connect(group_, &QButtonGroup::idClicked, this, &RadioChoice::chosen);
}

int RadioChoice::Index() const { return std::max(group_->checkedId(), 0); }

void RadioChoice::SetIndex(int index) {
  if (QAbstractButton* b = group_->button(index)) b->setChecked(true);
}

QRadioButton* RadioChoice::Item(int index) const { return static_cast<QRadioButton*>(group_->button(index)); }

FunctionBlockDialog::FunctionBlockDialog(Interaction& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setObjectName("FormCreatFB");
  setWindowTitle(kBlockDialogCaption);
  setModal(true);

  LabFB = Named(new QLabel("Функциональный блок №", this), "LabFB");
  EditNFB = Named(new QLineEdit(this), "EditNFB");
  EditNFB->setReadOnly(true);
  EditNFB->setMaximumWidth(50);
  LabCreatProg = Named(new QLabel("создание", this), "LabCreatProg");
  RadioGroup1 = new RadioChoice("RadioGroup1", "Тип функц. блока", kKinds, this);
  LabVkl = Named(new QLabel("Архивирование", this), "LabVkl");
  SBVkl = Named(new QPushButton("отключено", this), "SBVkl");
  SBVkl->setCheckable(true);

  GBInputs = Named(new QGroupBox("Входы функционального блока", this), "GBInputs");
  auto* inputs = new QGridLayout(GBInputs);
  inputs->addWidget(new QLabel("тип входа", GBInputs), 0, 1);
  inputs->addWidget(new QLabel(" источник вход. сигн.", GBInputs), 0, 2);
  auto* numberHead = new QLabel("№ вх. дискр. сигнала, № вх. анал. сигнала,    № ФБ или № КВУ", GBInputs);
  numberHead->setWordWrap(true);
  numberHead->setMaximumWidth(220);
  inputs->addWidget(numberHead, 0, 3);
  for (int k = 0; k < 4; ++k) {
    const size_t u = static_cast<size_t>(k);
    LabRS[u] = Named(new QLabel(GBInputs), QString("LabRS%1").arg(k + 1));
    LabRS[u]->setMinimumWidth(22);
    Polarity[u] = Combo(QString("ComboBox%1").arg(2 * k + 1), {"инверсный", "прямой"}, GBInputs);
    Source[u] = Combo(QString("ComboBox%1").arg(2 * k + 2), kSources, GBInputs);
    EditVx[u] = Field(QString("EditVx%1").arg(k + 1), 3, ui, GBInputs);
    EditVx[u]->setText("0");
    inputs->addWidget(LabRS[u], k + 1, 0);
    inputs->addWidget(Polarity[u], k + 1, 1);
    inputs->addWidget(Source[u], k + 1, 2);
    inputs->addWidget(EditVx[u], k + 1, 3);
  }

  GBTimer = Named(new QGroupBox("Реквизиты таймера и компаратора", this), "GBTimer");
  RadioGroup2 =
      new RadioChoice("RadioGroup2", "Тип таймера",
                      {"T0 - задержка вкл.", "T1 - задержка вкл. с запоминанием", "T2 - задержка откл.",
                       "T3 - короткий импульс", "T4 - удлиненный импульс", "T5 - \"будильник\""},
                      GBTimer);
  RadioGroup4 = new RadioChoice("RadioGroup4", "Дискретность времени длит. импульса",
                                {"сотни миллисекунд", "секунды", "десятки секунд"}, GBTimer);
  RadioGroup5 = new RadioChoice("RadioGroup5", "Тип уставки времени таймера",
                                {"фиксированная", "корректируемая"}, GBTimer);
  EditT = Field("EditT", 4, ui, GBTimer, "Время в ед дискр(0-120)");
  EditAdrT = Field("EditAdrT", 2, ui, GBTimer, "Адрес(1-10)");
  GBClock = Named(new QGroupBox("Реальное время включения \"будильника\"", GBTimer), "GBClock");
  EditHour = Field("EditHour", 2, ui, GBClock, "0-23");
  EditMin = Field("EditMin", 2, ui, GBClock, "0-59");
  EditSec = Field("EditSec", 2, ui, GBClock, "0-59");
  auto* clock = new QHBoxLayout(GBClock);
  for (auto [label, field] : {std::pair{"час", EditHour}, {"мин", EditMin}, {"сек", EditSec}}) {
    clock->addWidget(field);
    clock->addWidget(new QLabel(label, GBClock));
  }
  auto* times = new QGridLayout;
  times->addWidget(new QLabel("Время", GBTimer), 0, 0);
  times->addWidget(EditT, 0, 1);
  times->addWidget(new QLabel("Адрес", GBTimer), 1, 0);
  times->addWidget(EditAdrT, 1, 1);
  auto* left = new QVBoxLayout;
  left->addWidget(RadioGroup2);
  left->addWidget(GBClock);
  auto* right = new QVBoxLayout;
  right->addWidget(RadioGroup4);
  right->addWidget(RadioGroup5);
  right->addLayout(times);
  right->addStretch();
  auto* timer = new QHBoxLayout(GBTimer);
  timer->addLayout(left);
  timer->addLayout(right);

  RadioGroup3 =
      new RadioChoice("RadioGroup3", "Тип триггера", {kTriggerKindNames[0], kTriggerKindNames[1]}, this);
  GBCount = Named(new QGroupBox("Настройки счетчика", this), "GBCount");
  EditLimCount = Field("EditLimCount", 2, ui, GBCount);
  auto* count = new QHBoxLayout(GBCount);
  count->addWidget(new QLabel("уставка", GBCount));
  count->addWidget(EditLimCount);

  GBComp = Named(new QGroupBox("Настройки компаратора", this), "GBComp");
  EditAnVh = Field("EditAnVh", 3, ui, GBComp);
  ComboBox9 = Combo("ComboBox9", {"аналог. вход", "вых. мат. блока"}, GBComp);
  RadioGroup6 =
      new RadioChoice("RadioGroup6", "Тип уставки сравнения", {"фиксированная", "корректируемая"}, GBComp);
  EditLim = Named(new QLineEdit("00", GBComp), "EditLim");
  EditLim->setMaxLength(7);
  EditLim->setMaximumWidth(80);
  new KeyFilter(EditLim, [&ui](const QKeyEvent& key, QWidget* w) { return FilterShiftDigitKey(key, w, ui); });
  EditAdrUst = Field("EditAdrUst", 2, ui, GBComp, "Адрес(1-10)");
  CBoxCond = Combo("CBoxCond", {"L", "H"}, GBComp);
  EditGist = Field("EditGist", 2, ui, GBComp, "Гистерезис(0-31)");
  auto* comp = new QGridLayout(GBComp);
  comp->addWidget(new QLabel("№ вх. аналог. сигнала или математ. блока", GBComp), 0, 0);
  comp->addWidget(EditAnVh, 0, 1);
  comp->addWidget(new QLabel(" источник вход. аналог.сигн.", GBComp), 1, 0);
  comp->addWidget(ComboBox9, 1, 1);
  comp->addWidget(RadioGroup6, 2, 0, 1, 2);
  comp->addWidget(new QLabel("Фикс. уставка", GBComp), 3, 0);
  comp->addWidget(EditLim, 3, 1);
  comp->addWidget(new QLabel("Адрес  корректируемой уставки  ", GBComp), 4, 0);
  comp->addWidget(EditAdrUst, 4, 1);
  comp->addWidget(new QLabel("условие сравнения", GBComp), 5, 0);
  comp->addWidget(CBoxCond, 5, 1);
  comp->addWidget(new QLabel("гистерезис, %", GBComp), 6, 0);
  comp->addWidget(EditGist, 6, 1);

  InformBut = Named(new QPushButton("Входные сигналы", this), "InformBut");
  OK = Named(new QPushButton("OK", this), "OK");
  Cancel = Named(new QPushButton("Отмена", this), "Cancel");
  ErrorText = new HintLabel(this);
  ErrorText->setObjectName("ErrorText");

  auto* head = new QHBoxLayout;
  head->addWidget(LabFB);
  head->addWidget(EditNFB);
  head->addWidget(LabCreatProg);
  head->addStretch();
  head->addWidget(LabVkl);
  head->addWidget(SBVkl);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(InformBut);
  buttons->addStretch();
  buttons->addWidget(OK);
  buttons->addWidget(Cancel);
  // The settings scroll on a small screen; the buttons stay in sight.
  auto* body = new QWidget;
  auto* grid = new QGridLayout(body);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addLayout(head, 0, 0, 1, 2);
  grid->addWidget(RadioGroup1, 1, 0, 2, 1);
  grid->addWidget(GBInputs, 1, 1);
  grid->addWidget(GBTimer, 2, 1);
  grid->addWidget(RadioGroup3, 3, 0);
  grid->addWidget(GBComp, 3, 1, 2, 1);
  grid->addWidget(GBCount, 4, 0);
  auto* whole = new QVBoxLayout(this);
  whole->addWidget(new FittingScrollArea(body, this));
  whole->addLayout(buttons);

  connect(RadioGroup1, &RadioChoice::chosen, this, &FunctionBlockDialog::chooseKind);
  connect(RadioGroup2, &RadioChoice::chosen, this, &FunctionBlockDialog::chooseTimerKind);
  connect(RadioGroup5, &RadioChoice::chosen, this, &FunctionBlockDialog::chooseTimerSetpointKind);
  connect(RadioGroup6, &RadioChoice::chosen, this, &FunctionBlockDialog::chooseComparatorSetpointKind);
  connect(SBVkl, &QPushButton::toggled, this, &FunctionBlockDialog::SetArchive);
  connect(OK, &QPushButton::clicked, this, &FunctionBlockDialog::onOk);
  connect(Cancel, &QPushButton::clicked, this, &FunctionBlockDialog::reject);
  connect(InformBut, &QPushButton::clicked, this, [this] {
    if (ShowInputs) ShowInputs();
  });
  Prepare(1, Mode::Create, ValuesForKind(ftAND));
}

void FunctionBlockDialog::Prepare(int number, Mode mode, const FunctionBlockValues& values) {
  number_ = number;
  cancelled_ = true;
  ErrorText->hide();
  EditNFB->setText(QString::number(number));
  LabCreatProg->setText(mode == Mode::Edit ? "программирование" : "создание");
  SetValues(values);
  const bool archive = number <= FunctionBlocks::kAlarmBlocks;
  SBVkl->setEnabled(archive);
  if (!archive) SetArchive(false);
}

void FunctionBlockDialog::SetArchive(bool on) {
  SBVkl->setChecked(on);
  SBVkl->setText(on ? "включено" : "отключено");
}

void FunctionBlockDialog::SetValues(const FunctionBlockValues& v) {
  filling_ = true;
  RadioGroup1->SetIndex(v.kind);
  SetArchive(v.archive);
  for (size_t k = 0; k < 4; ++k) {
    Polarity[k]->setCurrentIndex(v.inputs[k].polarity);
    Source[k]->setCurrentIndex(v.inputs[k].source);
    EditVx[k]->setText(Q(v.inputs[k].number));
  }
  RadioGroup2->SetIndex(v.timerKind);
  RadioGroup4->SetIndex(v.discreteness);
  RadioGroup5->SetIndex(v.timerSetpointKind);
  EditT->setText(Q(v.time));
  EditAdrT->setText(Q(v.timerAddress));
  EditHour->setText(Q(v.hour));
  EditMin->setText(Q(v.minute));
  EditSec->setText(Q(v.second));
  RadioGroup3->SetIndex(v.triggerKind);
  EditAnVh->setText(Q(v.analogNumber));
  ComboBox9->setCurrentIndex(v.analogSource);
  RadioGroup6->SetIndex(v.setpointKind);
  EditLim->setText(Q(v.setpoint));
  EditAdrUst->setText(Q(v.setpointAddress));
  CBoxCond->setCurrentIndex(v.condition);
  EditGist->setText(Q(v.hysteresis));
  EditLimCount->setText(Q(v.counterSetpoint));
  filling_ = false;
  Enable(v);
}

void FunctionBlockDialog::Enable(const FunctionBlockValues& v) {
  const BlockControls c = ControlsFor(v);
  for (int k = 0; k < 4; ++k) {
    const bool on = k < c.inputs;
    const size_t u = static_cast<size_t>(k);
    for (QWidget* w : {static_cast<QWidget*>(Polarity[u]), static_cast<QWidget*>(Source[u]),
                       static_cast<QWidget*>(EditVx[u]), static_cast<QWidget*>(LabRS[u])})
      w->setEnabled(on);
    LabRS[u]->setText(Q(c.inputLabels[u]));
  }
  GBTimer->setEnabled(c.timer);
  RadioGroup2->setEnabled(c.timerKind);
  RadioGroup5->setEnabled(c.timerKind);
  const bool timerCorrected = c.timerKind && v.timerSetpointKind == 1;
  EditT->setEnabled(c.timer && !timerCorrected);
  EditAdrT->setEnabled(timerCorrected);
  GBClock->setEnabled(c.alarmClock);
  RadioGroup3->setEnabled(c.trigger);
  GBComp->setEnabled(c.comparator);
  EditLim->setEnabled(c.comparator && v.setpointKind == 0);
  EditAdrUst->setEnabled(c.comparator && v.setpointKind == 1);
  GBCount->setEnabled(c.counter);
}

FunctionBlockValues FunctionBlockDialog::Values() const {
  FunctionBlockValues v;
  v.kind = RadioGroup1->Index();
  v.archive = SBVkl->isChecked();
  for (size_t k = 0; k < 4; ++k) {
    v.inputs[k].polarity = Polarity[k]->currentIndex();
    v.inputs[k].source = Source[k]->currentIndex();
    v.inputs[k].number = S(EditVx[k]->text());
  }
  v.timerKind = RadioGroup2->Index();
  v.discreteness = RadioGroup4->Index();
  v.timerSetpointKind = RadioGroup5->Index();
  v.time = S(EditT->text());
  v.timerAddress = S(EditAdrT->text());
  v.hour = S(EditHour->text());
  v.minute = S(EditMin->text());
  v.second = S(EditSec->text());
  v.triggerKind = RadioGroup3->Index();
  v.analogNumber = S(EditAnVh->text());
  v.analogSource = ComboBox9->currentIndex();
  v.setpointKind = RadioGroup6->Index();
  v.setpoint = S(EditLim->text());
  v.setpointAddress = S(EditAdrUst->text());
  v.condition = CBoxCond->currentIndex();
  v.hysteresis = S(EditGist->text());
  v.counterSetpoint = S(EditLimCount->text());
  return v;
}

void FunctionBlockDialog::chooseKind(int kind) {
  FunctionBlockValues v = ValuesForKind(kind);
  v.archive = SBVkl->isChecked();
  SetValues(v);
}

void FunctionBlockDialog::chooseTimerKind(int kind) {
  RadioGroup2->SetIndex(kind);
  FunctionBlockValues v = Values();
  if (kind == kAlarmClock) {
    v.inputs[1].number = "0";
  } else {
    v.inputs[0].number = v.inputs[1].number = "0";
    v.hour = v.minute = v.second = "00";
  }
  SetValues(v);
}

void FunctionBlockDialog::chooseTimerSetpointKind(int kind) {
  RadioGroup5->SetIndex(kind);
  FunctionBlockValues v = Values();
  if (kind == 0)
    v.timerAddress = "00";
  else
    v.time = "00";
  SetValues(v);
}

void FunctionBlockDialog::chooseComparatorSetpointKind(int kind) {
  RadioGroup6->SetIndex(kind);
  FunctionBlockValues v = Values();
  if (kind == 0)
    v.setpointAddress = "00";
  else
    v.setpoint = "00";
  SetValues(v);
}

QLineEdit* FunctionBlockDialog::FieldOf(BlockField field) const {
  switch (field) {
    case BlockField::Hour:
      return EditHour;
    case BlockField::Minute:
      return EditMin;
    case BlockField::Second:
      return EditSec;
    case BlockField::Time:
      return EditT;
    case BlockField::TimerAddress:
      return EditAdrT;
    case BlockField::SetpointAddress:
      return EditAdrUst;
    case BlockField::AnalogNumber:
      return EditAnVh;
    case BlockField::CounterSetpoint:
      return EditLimCount;
  }
  return EditT;
}

void FunctionBlockDialog::onOk() {
  FunctionBlockValues v = Values();
  const std::vector<FieldProblem> marks = CheckBlockValues(v);
  EditLimCount->setText(Q(v.counterSetpoint));
  for (const FieldProblem& p : marks) {
    ShowInputHint(FieldOf(p.field), ErrorText, ui_, Q(p.message));
    if (p.keepsOpen) return;
  }
  cancelled_ = false;
  accept();
}

void FunctionBlockDialog::reject() {
  cancelled_ = true;
  QDialog::reject();
}

}  // namespace zul
