#include "ui/fb/CalculationBlockDialog.h"

#include <QAbstractButton>
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
#include <QSpinBox>
#include <QVBoxLayout>
#include <functional>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "ui/fb/FunctionBlockDialog.h"
#include "ui/widgets/HintLabel.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"

namespace zul {
namespace {

QLineEdit* NumberField(const QString& name, int maxLength, QWidget* parent) {
  auto* e = Named(new QLineEdit("0", parent), name);
  e->setMaxLength(maxLength);
  e->setMaximumWidth(60);
  KeyFilter::PlainDigits(e, [e] { FocusNext(e); });
  return e;
}

// Constants are typed as whole numbers: a minus, digits and Backspace.
QLineEdit* ConstantField(const QString& name, Interaction& ui, QWidget* parent) {
  auto* e = Named(new QLineEdit("0", parent), name);
  e->setMaxLength(10);
  e->setMaximumWidth(100);
  new KeyFilter(
      e,
      [&ui](const QKeyEvent& key, QWidget* w) {
        if (FilterShiftDigitKey(key, w, ui) == KeyVerdict::Refuse) return KeyVerdict::Refuse;
        if (key.key() == Qt::Key_Minus) return KeyVerdict::Accept;
        return FilterPlainDigitKey(key, w);
      },
      [e] { FocusNext(e); });
  return e;
}

// The record number's up-down: a number typed below its minimum would go
// back without a word, so the dialog hears of it first; and Enter chooses
// the record rather than pressing OK.
class RecordSpinBox : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;
  std::function<void()> TypedBelowMinimum;

 protected:
  void fixup(QString& input) const override {
    bool number = false;
    const int n = input.trimmed().toInt(&number);
    if (number && n < minimum() && TypedBelowMinimum) TypedBelowMinimum();
    QSpinBox::fixup(input);
  }
  void keyPressEvent(QKeyEvent* event) override {
    QSpinBox::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) event->accept();
  }
};

QComboBox* SourceBox(const QString& name, QWidget* parent) {
  auto* c = Named(new QComboBox(parent), name);
  c->addItems({"аналоговый сигнал", "расчетная величина"});
  c->setCurrentIndex(-1);
  return c;
}

QStringList OperationItems() {
  QStringList items;
  for (const char* item : kCalcOperationItems) items << QString::fromUtf8(item);
  return items;
}

}  // namespace

CalculationBlockDialog::CalculationBlockDialog(const Configuration& config, Interaction& ui, QWidget* parent)
    : QDialog(parent), config_(config), ui_(ui) {
  setObjectName("FormFBCalc");
  setWindowTitle(kCalculationDialogCaption);
  setModal(true);

  LabCreatProg = Named(new QLabel(this), "LabCreatProg");
  QFont bold = LabCreatProg->font();
  bold.setBold(true);
  LabCreatProg->setFont(bold);
  RadioGroup1 = new RadioChoice("RadioGroup1", "Тип арифметического блока", OperationItems(), this);

  GroupBox3 = Named(new QGroupBox("Настройки арифметических блоков", this), "GroupBox3");
  LabNFB3 = Named(new QLabel("Арифметический блок №", GroupBox3), "LabNFB3");
  auto* record = Named(new RecordSpinBox(GroupBox3), "EditNFB3");
  record->TypedBelowMinimum = [this] { ShowRecordNote(); };
  EditNFB3 = record;
  EditNFB3->setKeyboardTracking(false);
  EditNFB3->setMaximumWidth(70);
  ComboBox1 = SourceBox("ComboBox1", GroupBox3);
  ComboBox2 = SourceBox("ComboBox2", GroupBox3);
  EditX1 = NumberField("EditX1", 3, GroupBox3);
  EditX2 = NumberField("EditX2", 3, GroupBox3);
  EditC1 = ConstantField("EditC1", ui, GroupBox3);
  EditC2 = ConstantField("EditC2", ui, GroupBox3);
  EditY = Named(new QLineEdit("0", GroupBox3), "EditY");
  EditY->setMaximumWidth(60);
  EditY->setEnabled(false);
  auto* arith = new QGridLayout(GroupBox3);
  arith->addWidget(LabNFB3, 0, 0, 1, 2);
  arith->addWidget(new QLabel("№ записи в таблице ФБ", GroupBox3), 0, 2);
  arith->addWidget(EditNFB3, 0, 3);
  auto* sourceHead = new QLabel("источник", GroupBox3);
  auto* numberHead = new QLabel("№ аналог. сигнала или № расчет. величины", GroupBox3);
  numberHead->setWordWrap(true);
  auto* constantHead = new QLabel("значения констант", GroupBox3);
  arith->addWidget(sourceHead, 1, 1);
  arith->addWidget(numberHead, 1, 2);
  arith->addWidget(constantHead, 1, 3);
  arith->addWidget(new QLabel("X1", GroupBox3), 2, 0);
  arith->addWidget(ComboBox1, 2, 1);
  arith->addWidget(EditX1, 2, 2);
  arith->addWidget(new QLabel("C1", GroupBox3), 2, 4);
  arith->addWidget(EditC1, 2, 3);
  arith->addWidget(new QLabel("X2", GroupBox3), 3, 0);
  arith->addWidget(ComboBox2, 3, 1);
  arith->addWidget(EditX2, 3, 2);
  arith->addWidget(EditC2, 3, 3);
  arith->addWidget(new QLabel("C2", GroupBox3), 3, 4);
  auto* resultHead = new QLabel("адрес результата в массиве         расчетных величин", GroupBox3);
  resultHead->setWordWrap(true);
  arith->addWidget(new QLabel("Y", GroupBox3), 4, 0);
  arith->addWidget(resultHead, 4, 1, 1, 2);
  arith->addWidget(EditY, 4, 3);

  GroupBox2 = Named(new QGroupBox("Настройки интеграторов расхода", this), "GroupBox2");
  auto* integrators = new QGridLayout(GroupBox2);
  EditNFB1 = Named(new QLineEdit(GroupBox2), "EditNFB1");
  EditNFB2 = Named(new QLineEdit(GroupBox2), "EditNFB2");
  for (int group = 0; group < 2; ++group) {
    const int column = group * 3;
    QLineEdit* record = group == 0 ? EditNFB1 : EditNFB2;
    record->setReadOnly(true);
    record->setMaximumWidth(50);
    integrators->addWidget(new QLabel("Интегратор расхода №", GroupBox2), 0, column, 1, 2);
    integrators->addWidget(record, 0, column + 2);
    integrators->addWidget(new QLabel("№ в базе ", GroupBox2), 1, column + 1);
    for (int j = 0; j < kIntegratorsPerRecord; ++j) {
      const int n = group * kIntegratorsPerRecord + j;
      QLineEdit*& field = EditIntegr[static_cast<size_t>(n)];
      field = NumberField(QString("EditIntegr%1").arg(n + 1), 2, GroupBox2);
      integrators->addWidget(new QLabel(QString("№%1").arg(j + 1), GroupBox2), j + 2, column);
      integrators->addWidget(field, j + 2, column + 1);
      connect(field, &QLineEdit::textChanged, this, [this] {
        if (!filling_) EnableIntegratorFields();
      });
    }
  }
  integrators->setColumnMinimumWidth(2, 40);

  GroupBox1 = Named(new QGroupBox("Час начала суток", this), "GroupBox1");
  HourBeginDay = NumberField("HourBeginDay", 2, GroupBox1);
  HourBeginDay->setToolTip("0-23");
  auto* hour = new QHBoxLayout(GroupBox1);
  hour->addWidget(HourBeginDay);
  hour->addStretch();

  OK = Named(new QPushButton("OK", this), "OK");
  Cancel = Named(new QPushButton("Отмена", this), "Cancel");
  ErrorText = new HintLabel(this);
  ErrorText->setObjectName("ErrorText");

  auto* right = new QVBoxLayout;
  right->addWidget(GroupBox3);
  right->addWidget(GroupBox2);
  right->addWidget(GroupBox1);
  auto* left = new QVBoxLayout;
  left->addWidget(LabCreatProg);
  left->addWidget(RadioGroup1);
  left->addStretch();
  auto* body = new QHBoxLayout;
  body->addLayout(left);
  body->addLayout(right, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OK);
  buttons->addWidget(Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // follows the groups shown
  layout->addLayout(body);
  layout->addLayout(buttons);

  connect(RadioGroup1, &RadioChoice::chosen, this, &CalculationBlockDialog::chooseOperation);
  connect(EditNFB3, &QSpinBox::valueChanged, this, [this](int n) {
    if (!filling_) chooseRecord(n);
  });
  connect(OK, &QPushButton::clicked, this, &CalculationBlockDialog::onOk);
  connect(Cancel, &QPushButton::clicked, this, &CalculationBlockDialog::reject);
  Prepare(CalcDialogState{});
}

bool CalculationBlockDialog::IntegratorMode() const {
  return mode_ == CalcMode::CreateIntegrators || mode_ == CalcMode::EditIntegrators;
}

void CalculationBlockDialog::Prepare(const CalcDialogState& s) {
  filling_ = true;
  mode_ = s.mode;
  cancelled_ = true;
  ErrorText->hide();
  LabCreatProg->setText(Q(s.modeText));
  EditNFB3->setRange(s.recordLow, s.recordHigh);
  EditNFB3->setValue(s.recordNumber);
  EditNFB3->setEnabled(s.recordChoosable);
  const bool integrators = IntegratorMode();
  // The integrator groups belong to the integrator modes only.
  GroupBox2->setVisible(integrators);
  GroupBox1->setVisible(integrators);
  GroupBox3->setEnabled(s.arithmetic);
  secondGroup_ = s.secondGroup;
  EditNFB1->setText(QString::number(s.integratorRecord));
  EditNFB2->setText(s.secondGroup ? QString::number(s.integratorRecord + 1) : QString());
  for (size_t j = 0; j < EditIntegr.size(); ++j) EditIntegr[j]->setText(Q(s.integrators.numbers[j]));
  HourBeginDay->setText(Q(s.integrators.hour));
  SetArith(s.arith, s.blockNumber);
  filling_ = false;
  EnableIntegratorFields();
}

void CalculationBlockDialog::SetOperationItem(int operation) {
  QButtonGroup* group = RadioGroup1->Item(0)->group();
  if (operation >= 0 && operation < static_cast<int>(kCalcOperationItems.size())) {
    RadioGroup1->SetIndex(operation);
    return;
  }
  // None chosen: an exclusive group cannot be emptied otherwise.
  group->setExclusive(false);
  for (QAbstractButton* b : group->buttons()) b->setChecked(false);
  group->setExclusive(true);
}

void CalculationBlockDialog::SetArith(const ArithValues& v, int blockNumber) {
  const bool was = filling_;
  filling_ = true;
  operation_ = v.operation;
  SetOperationItem(v.operation);
  LabNFB3->setText(blockNumber > 0 ? QString("Арифметический блок №%1").arg(blockNumber)
                                   : QString("Арифметический блок №"));
  ComboBox1->setCurrentIndex(v.x1Source);
  ComboBox2->setCurrentIndex(v.x2Source);
  EditX1->setText(Q(v.x1));
  EditX2->setText(Q(v.x2));
  EditC1->setText(Q(v.c1));
  EditC2->setText(Q(v.c2));
  EditY->setText(Q(v.y));
  filling_ = was;
  EnableArith();
}

void CalculationBlockDialog::EnableArith() {
  const bool arithmetic = !IntegratorMode();
  const ArithControls uses = ControlsForOperation(operation_);
  const bool chosen = arithmetic && operation_ > 0;
  for (QWidget* w : std::initializer_list<QWidget*>{ComboBox1, EditX1, EditC1}) w->setEnabled(arithmetic);
  for (QWidget* w : std::initializer_list<QWidget*>{ComboBox2, EditX2})
    w->setEnabled(arithmetic && (!chosen || uses.x2));
  EditC2->setEnabled(arithmetic && (!chosen || uses.c2));
}

void CalculationBlockDialog::EnableIntegratorFields() {
  const auto on = IntegratorFieldsEnabled(Integrators(), secondGroup_);
  for (size_t j = 0; j < EditIntegr.size(); ++j) EditIntegr[j]->setEnabled(IntegratorMode() && on[j]);
  HourBeginDay->setEnabled(IntegratorMode());
}

void CalculationBlockDialog::chooseOperation(int operation) {
  const bool allowed = IntegratorMode() ? operation == opIntegrator : operation != opIntegrator;
  if (!allowed) {
    SetOperationItem(IntegratorMode() ? opIntegrator : operation_);
    return;
  }
  RadioGroup1->SetIndex(operation);
  if (IntegratorMode()) return;
  operation_ = operation;
  const ArithControls uses = ControlsForOperation(operation);
  // What the operation does not use is emptied; what it uses again starts at 0.
  if (!uses.x2) {
    EditX2->clear();
    ComboBox2->setCurrentIndex(-1);
  } else if (EditX2->text().isEmpty()) {
    EditX2->setText("0");
  }
  if (!uses.c2)
    EditC2->clear();
  else if (EditC2->text().isEmpty())
    EditC2->setText("0");
  EnableArith();
}

void CalculationBlockDialog::chooseRecord(int recordNumber) {
  const FunctionBlocks& fb = config_.functionBlocks;
  ArithValues v;
  int block = 0;
  switch (ChooseArithRecord(fb, recordNumber, v, block)) {
    case RecordChoice::Loaded:
      ErrorText->hide();
      SetArith(v, block);
      return;
    case RecordChoice::OutOfRange:
      ShowRecordNote();
      return;
    case RecordChoice::NotArithmetic:
      ui_.Show(kCaptionWarning, kUseCreateMenuText, Icon::Warning);
      reject();
      return;
  }
}

void CalculationBlockDialog::ShowRecordNote() {
  ShowInputHint(EditNFB3, ErrorText, ui_, Q(ArithRecordRangeText(config_.functionBlocks)));
}

int CalculationBlockDialog::RecordNumber() const { return EditNFB3->value(); }

ArithValues CalculationBlockDialog::Arith() const {
  ArithValues v;
  v.operation = operation_;
  v.x1Source = ComboBox1->currentIndex();
  v.x2Source = ComboBox2->currentIndex();
  v.x1 = S(EditX1->text());
  v.x2 = S(EditX2->text());
  v.c1 = S(EditC1->text());
  v.c2 = S(EditC2->text());
  v.y = S(EditY->text());
  return v;
}

IntegratorValues CalculationBlockDialog::Integrators() const {
  IntegratorValues v;
  for (size_t j = 0; j < EditIntegr.size(); ++j) v.numbers[j] = S(EditIntegr[j]->text());
  v.hour = S(HourBeginDay->text());
  return v;
}

QWidget* CalculationBlockDialog::FieldOf(const CalcProblem& p) const {
  switch (p.field) {
    case CalcField::Record:
      return EditNFB3;
    case CalcField::Operation:
      return RadioGroup1;
    case CalcField::X1:
      return EditX1;
    case CalcField::C1:
      return EditC1;
    case CalcField::X2:
      return EditX2;
    case CalcField::C2:
      return EditC2;
    case CalcField::Y:
      return EditY;
    case CalcField::Integrator:
      return EditIntegr[static_cast<size_t>(std::clamp(p.integrator, 0, kIntegratorCount - 1))];
    case CalcField::Hour:
      return HourBeginDay;
  }
  return EditC1;
}

void CalculationBlockDialog::onOk() {
  auto problem = IntegratorMode() ? CheckIntegratorValues(config_, Integrators())
                                  : CheckArithRecord(config_.functionBlocks, mode_, RecordNumber());
  if (!problem && !IntegratorMode()) problem = CheckArithValues(config_, Arith());
  if (problem) {
    ShowInputHint(FieldOf(*problem), ErrorText, ui_, Q(problem->message));
    return;
  }
  cancelled_ = false;
  accept();
}

void CalculationBlockDialog::reject() {
  cancelled_ = true;
  QDialog::reject();
}

}  // namespace zul
