#include "ui/network/NetworkMasterEditor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/config/Configuration.h"
#include "ui/network/NetworkOnlineViews.h"
#include "ui/network/NetworkScalingWindow.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

QLineEdit* Edit(const char* name, int length, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setMaxLength(length);
  e->setMaximumWidth(80);
  return e;
}

QComboBox* List(const char* name, const QStringList& items, QWidget* parent) {
  auto* b = new QComboBox(parent);
  b->setObjectName(name);
  b->addItems(items);
  b->setCurrentIndex(-1);
  return b;
}

QLabel* Static(const char* name, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setFrameShape(QFrame::Panel);
  l->setFrameShadow(QFrame::Sunken);
  l->setMinimumWidth(50);
  return l;
}

}  // namespace

NetworkMasterEditor::NetworkMasterEditor(Configuration& c, ModbusLink& port, LinkWorker& worker,
                                         Interaction& ui, QWidget* parent)
    : QDialog(parent), c_(c), ui_(ui) {
  setObjectName("FormMBM");
  setWindowTitle("Программирование функционального блока MBM");
  setModal(true);
  scalingWindow = new NetworkScalingWindow(c, ui, this);
  discreteOnline = new NetworkDiscreteOnline(c, port, worker, ui, this);
  analogOnline = new NetworkAnalogOnline(c, port, worker, *discreteOnline, this);

  auto* outer = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* header = new QLabel("Функциональный блок ModBus Master", this);
  header->setObjectName("LabHeader");
  LabN_MBM = new QLabel(this);
  LabN_MBM->setObjectName("LabN_MBM");
  Label9 = new QLabel(this);
  Label9->setObjectName("Label9");
  top->addWidget(header);
  top->addWidget(LabN_MBM);
  top->addStretch();
  top->addWidget(Label9);
  outer->addLayout(top);

  QStringList types;
  for (const std::string& t : SlaveTypeNames()) types << Q(t);
  TipUstr = List("TipUstr", types, this);
  EditKolVh = Edit("EditKolVh", 2, this);
  StAddr_Beg1 = Static("StAddr_Beg1", this);
  StAddr_Beg2 = Static("StAddr_Beg2", this);
  EditXMax = Edit("EditXMax", 5, this);
  CBoxKodF = List("CBoxKodF", {"1", "2", "3", "4"}, this);
  EditAdBegDat = Edit("EditAdBegDat", 4, this);
  EditKolDat = Edit("EditKolDat", 2, this);
  EditUstr = Edit("EditUstr", 5, this);
  TipDate = List("TipDate", {"целочисл. 16-разр. код", "веществ. число IEEE754"}, this);
  Byte_Order = List("Byte_Order", {"старш. регистром вперед", "младш. регистром вперед"}, this);

  auto* grid = new QGridLayout;
  const std::pair<const char*, QWidget*> rows[] = {
      {"Тип устройства  Slave", TipUstr},
      {"Адрес Slave в локальной  сети", EditUstr},
      {"Код функции    ModBus", CBoxKodF},
      {"Количество  выходов блока      ", EditKolVh},
      {"Начальный адрес данных в запросе (Hex) ", EditAdBegDat},
      {"Количество  данных в запросе  (Dec) ", EditKolDat},
      {"Максимальное значение кода", EditXMax},
      {"Тип данных", TipDate},
      {"Порядок байтов", Byte_Order},
      {"Начальный адрес данных в массиве дискретных сигналов", StAddr_Beg1},
      {"Начальный адрес данных в массиве аналоговых сигналов", StAddr_Beg2},
  };
  int row = 0;
  for (const auto& [caption, field] : rows) {
    grid->addWidget(new QLabel(caption, this), row, 0);
    grid->addWidget(field, row++, 1);
  }
  outer->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  ButOnLine = new QPushButton("on line", this);
  ButOnLine->setObjectName("ButOnLine");
  buttons->addWidget(OK);
  buttons->addStretch();
  buttons->addWidget(ButOnLine);
  outer->addLayout(buttons);

  for (QLineEdit* e : {EditKolVh, EditXMax, EditKolDat, EditUstr}) {
    KeyFilter::Digits(e, ui_, [e] { FocusNext(e); });
    connect(e, &QLineEdit::editingFinished, this, [this, e] { leaveField(e); });
  }
  KeyFilter::Hex(EditAdBegDat, ui_, [this] { FocusNext(EditAdBegDat); });
  connect(EditAdBegDat, &QLineEdit::editingFinished, this, [this] { leaveField(EditAdBegDat); });
  connect(TipUstr, &QComboBox::activated, this, &NetworkMasterEditor::onTypeChosen);
  connect(CBoxKodF, &QComboBox::activated, this, &NetworkMasterEditor::onFunctionChosen);
  connect(TipDate, &QComboBox::activated, this, &NetworkMasterEditor::onDataTypeChosen);
  connect(OK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButOnLine, &QPushButton::clicked, this, &NetworkMasterEditor::openOnline);
}

void NetworkMasterEditor::ShowForm() {
  const MasterEntryForm& f = form_;
  TipUstr->setCurrentIndex(f.slaveType);
  CBoxKodF->setCurrentIndex(f.function - 1);
  EditKolVh->setText(Q(f.outputs));
  EditXMax->setText(Q(f.maxCode));
  EditXMax->setEnabled(f.maxCodeEnabled);
  EditAdBegDat->setText(Q(f.startAddress));
  EditKolDat->setText(Q(f.dataCount));
  EditUstr->setText(Q(f.slave));
  StAddr_Beg1->setText(QString::number(f.firstDiscrete));
  StAddr_Beg2->setText(QString::number(f.firstAnalog));
  TipDate->setCurrentIndex(f.dataType);
  TipDate->setEnabled(f.dataTypeEnabled);
  Byte_Order->setCurrentIndex(f.byteOrder);
  Byte_Order->setEnabled(f.byteOrderEnabled);
}

void NetworkMasterEditor::ReadForm() {
  form_.outputs = EditKolVh->text().toStdString();
  form_.maxCode = EditXMax->text().toStdString();
  form_.startAddress = EditAdBegDat->text().toStdString();
  form_.dataCount = EditKolDat->text().toStdString();
  form_.slave = EditUstr->text().toStdString();
}

bool NetworkMasterEditor::Prepare(int k) {
  session_ = BeginMasterEdit(c_, k);
  if (session_.refused) {
    ui_.Show(kCaptionWarning, session_.openMessage, Icon::Warning);
    return false;
  }
  if (!session_.openMessage.empty()) ui_.Show(kCaptionWarning, session_.openMessage, Icon::Warning);
  form_ = session_.form;
  LabN_MBM->setText(QString::number(session_.entry + 1));
  Label9->setText(session_.mode == 1 ? "Коррекция" : "Создание");
  ShowForm();
  ButOnLine->setEnabled(session_.mode == 1);
  ModalResult = kResultNormal;
  return true;
}

int NetworkMasterEditor::Open(int k) {
  if (!Prepare(k)) return kResultNormal;
  // Cancelled: the entry stays as it was and nothing follows.
  if (exec() != QDialog::Accepted) return ModalResult;
  const int f = c_.networkMaster.GetFunction(session_.entry);
  if (f == 3 || f == 4) scalingWindow->Open(session_.entry);
  return ModalResult;
}

void NetworkMasterEditor::onTypeChosen(int index) {
  ReadForm();
  ChooseSlaveType(form_, index, c_.service.SignalCount);
  ShowForm();
}

void NetworkMasterEditor::onFunctionChosen(int index) {
  ReadForm();
  const std::string message = ChooseFunction(form_, index + 1);
  ShowForm();
  if (!message.empty()) ui_.Show(kCaptionWarning, message, Icon::Warning);
}

void NetworkMasterEditor::onDataTypeChosen(int index) {
  ReadForm();
  ChooseDataType(form_, index);
  ShowForm();
}

void NetworkMasterEditor::leaveField(QLineEdit* field) {
  if (!isVisible() || !field->text().trimmed().isEmpty()) return;
  ui_.Show(kNetInputErrorCaption, kValueNotGivenText, Icon::Warning);
}

void NetworkMasterEditor::PutStoredValueBack(MasterField field) {
  const NetworkMaster& m = c_.networkMaster;
  const int k = session_.entry;
  switch (field) {
    case MasterField::Slave:
      EditUstr->setText(QString::number(m.GetSlave(k)));
      break;
    case MasterField::Outputs:
      EditKolVh->setText(QString::number(m.GetOutputs(k)));
      break;
    case MasterField::MaxCode:
      EditXMax->setText(QString::number(m.GetMaxCode(k)));
      break;
    case MasterField::StartAddress:
      EditAdBegDat->setText(QString("%1").arg(m.GetStartAddress(k), 4, 16, QChar('0')).toUpper());
      break;
    case MasterField::DataCount:
      EditKolDat->setText(QString::number(m.GetDataCount(k)));
      break;
    case MasterField::Type:
    case MasterField::Function:
    case MasterField::None:
      break;
  }
}

QWidget* NetworkMasterEditor::FieldOf(MasterField field) const {
  switch (field) {
    case MasterField::Type:
      return TipUstr;
    case MasterField::Function:
      return CBoxKodF;
    case MasterField::Slave:
      return EditUstr;
    case MasterField::Outputs:
      return EditKolVh;
    case MasterField::MaxCode:
      return EditXMax;
    case MasterField::StartAddress:
      return EditAdBegDat;
    case MasterField::DataCount:
      return EditKolDat;
    case MasterField::None:
      break;
  }
  return EditKolVh;
}

bool NetworkMasterEditor::Finish() {
  ReadForm();
  const EntryCheck check = CheckMasterEntry(form_);
  if (!check.ok()) {
    for (const std::string& m : check.messages) ui_.Show(kNetInputErrorCaption, m, Icon::Warning);
    PutStoredValueBack(check.emptyField);
    ReadForm();
    FieldOf(check.focus)->setFocus();
    return false;
  }
  // A refusal puts the master block back; what was typed stays in the fields.
  const MasterEditResult result = ApplyMasterEdit(c_, session_, form_);
  if (!result.accepted) {
    std::string text;
    for (const std::string& m : result.messages) text += m;
    ui_.Show(kNetInputErrorCaption, text, Icon::Warning);
    EditKolVh->setFocus();
    return false;
  }
  ModalResult = kResultNormal;
  return true;
}

void NetworkMasterEditor::done(int result) {
  if (result == QDialog::Accepted) {
    if (!Finish()) return;
  } else {
    CancelMasterEdit(c_, session_);
  }
  QDialog::done(result);
}

void NetworkMasterEditor::openOnline() {
  const int k = session_.entry;
  const int f = c_.networkMaster.GetFunction(k);
  if (f == 3 || f == 4)
    analogOnline->Open(k);
  else if (f == 1 || f == 2)
    discreteOnline->Open(k);
}

}  // namespace zul
