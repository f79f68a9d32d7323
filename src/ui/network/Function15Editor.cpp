#include "ui/network/Function15Editor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/config/Configuration.h"
#include "core/editing/LocalNetworkEditing.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

QLineEdit* Edit(const char* name, int length, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setMaxLength(length);
  e->setMaximumWidth(70);
  return e;
}

QLabel* Hint(const char* name, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setStyleSheet("color:red;");
  return l;
}

}  // namespace

Function15Editor::Function15Editor(Configuration& c, ModbusLink& port, LinkWorker& worker, Interaction& ui,
                                   QWidget* parent)
    : QDialog(parent), c_(c), port_(port), worker_(worker), ui_(ui) {
  setObjectName("FormF15");
  setWindowTitle("Программирование функционального блока MBM");
  setModal(true);
  auto* outer = new QVBoxLayout(this);
  auto* header = new QLabel("Функциональный блок ModBus Master  Ф15", this);
  header->setObjectName("LabHeader");
  auto* top = new QHBoxLayout;
  top->addWidget(header);
  LabN_MBM = new QLabel(this);
  LabN_MBM->setObjectName("LabN_MBM");
  top->addWidget(LabN_MBM);
  top->addStretch();
  outer->addLayout(top);

  auto* grid = new QGridLayout;
  int row = 0;
  auto add = [this, grid, &row](const char* caption, QWidget* field, QLabel* hint = nullptr) {
    grid->addWidget(new QLabel(caption, this), row, 0);
    grid->addWidget(field, row, 1);
    if (hint) grid->addWidget(hint, row, 2);
    ++row;
  };
  EditKodF = Edit("EditKodF", 2, this);
  HintKodF = Hint("HintKodF", this);
  add("Код функции    ModBus", EditKodF, HintKodF);
  CBoxUstr = new QComboBox(this);
  CBoxUstr->setObjectName("CBoxUstr");
  for (int s = 1; s <= 32; ++s) CBoxUstr->addItem(QString::number(s));
  add("Адрес Slave в локальной  сети", CBoxUstr);
  EditKolVh = Edit("EditKolVh", 2, this);
  EditKolVh->setToolTip("для ЛК-20 - 16 или 32, для других <=32");
  HintKolVh = Hint("HintKolVh", this);
  add("Количество  входов блока", EditKolVh, HintKolVh);
  EditAdBegDat = Edit("EditAdBegDat", 4, this);
  EditAdBegDat->setToolTip("для ЛК-20 - 30, для ЗУЛ-05 - от 340 до 37F");
  add("Начальный адрес данных в запросе (Hex) ", EditAdBegDat);
  EditKolDat = Edit("EditKolDat", 2, this);
  add("Количество  данных в запросе  (Dec) ", EditKolDat);
  Kvit = new QToolButton(this);
  Kvit->setObjectName("Kvit");
  Kvit->setText("Квитирование");
  Kvit->setCheckable(true);
  Sbros = new QToolButton(this);
  Sbros->setObjectName("Sbros");
  Sbros->setText("Сброс");
  Sbros->setCheckable(true);
  grid->addWidget(Kvit, row, 0);
  grid->addWidget(Sbros, row++, 1);
  outer->addLayout(grid);

  auto* signalsBox = new QGroupBox("Номера  дискретных сигналов", this);
  signalsBox->setObjectName("GBoxSignals");
  auto* sg = new QGridLayout(signalsBox);
  sg->addWidget(new QLabel("   1-252   --   номера вх. дискр. сигналов", signalsBox), 0, 0, 1, 16);
  for (int i = 0; i < 32; ++i) {
    auto* e = new QLineEdit(signalsBox);
    e->setObjectName(QString("Edit%1").arg(i + 1));
    e->setMaxLength(3);
    e->setMaximumWidth(40);
    Edits[static_cast<size_t>(i)] = e;
    sg->addWidget(new QLabel(QString::number(i + 1), signalsBox), 1 + 2 * (i / 8), i % 8);
    sg->addWidget(e, 2 + 2 * (i / 8), i % 8);
    KeyFilter::Digits(e, ui_, [e] { FocusNext(e); });
    connect(e, &QLineEdit::textEdited, this, &Function15Editor::markChanged);
  }
  outer->addWidget(signalsBox);

  auto* buttons = new QHBoxLayout;
  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  ButInputs = new QPushButton("Входные сигналы", this);
  ButInputs->setObjectName("ButInputs");
  buttons->addWidget(OK);
  buttons->addStretch();
  buttons->addWidget(ButInputs);
  outer->addLayout(buttons);

  for (QLineEdit* e : {EditKodF, EditKolVh, EditKolDat}) {
    KeyFilter::Digits(e, ui_, [e] { FocusNext(e); });
    connect(e, &QLineEdit::textEdited, this, &Function15Editor::markChanged);
  }
  KeyFilter::Hex(EditAdBegDat, ui_, [this] { FocusNext(EditAdBegDat); });
  connect(EditAdBegDat, &QLineEdit::textEdited, this, &Function15Editor::markChanged);
  connect(EditKodF, &QLineEdit::editingFinished, this, &Function15Editor::leaveFunction);
  connect(EditKolVh, &QLineEdit::editingFinished, this, &Function15Editor::leaveInputs);
  connect(CBoxUstr, &QComboBox::activated, this, &Function15Editor::markChanged);
  for (QToolButton* t : {Kvit, Sbros})
    connect(t, &QToolButton::toggled, this, &Function15Editor::markChanged);
  connect(OK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButInputs, &QPushButton::clicked, this, [this] {
    if (OpenInputs) OpenInputs();
  });
}

void Function15Editor::markChanged() {
  if (!filling_) c_.function15Blocks.Unchanged = 0;
}

void Function15Editor::ShowSignalFields(int enabled) {
  for (int i = 0; i < 32; ++i) Edits[static_cast<size_t>(i)]->setEnabled(i < enabled);
}

void Function15Editor::Prepare(int b) {
  filling_ = true;
  entry_ = std::clamp(b, 0, Function15Blocks::kEntries - 1);
  LabN_MBM->setText(QString::number(entry_ + 1));
  const Function15Form form = FormOfFunction15Entry(c_, entry_);
  EditKodF->setText(Q(form.function));
  CBoxUstr->setCurrentIndex(form.slaveIndex);
  EditKolVh->setText(Q(form.inputs));
  EditAdBegDat->setText(Q(form.startAddress));
  EditKolDat->setText(Q(form.dataCount));
  Kvit->setChecked(form.acknowledge);
  Sbros->setChecked(form.reset);
  for (int i = 0; i < 32; ++i)
    Edits[static_cast<size_t>(i)]->setText(Q(form.signalNumbers[static_cast<size_t>(i)]));
  ShowSignalFields(c_.function15Blocks.IsEntryFree(entry_) ? 0 : EnabledSignalFields(form.inputs));
  HintKodF->clear();
  HintKolVh->clear();
  c_.function15Blocks.UnchangedAtFill = c_.function15Blocks.Unchanged;
  c_.function15Blocks.Unchanged = 1;
  ModalResult = kResultNormal;
  filling_ = false;
}

int Function15Editor::Open(int b) {
  Prepare(b);
  exec();
  if (ModalResult == kResultError) ui_.Show(kCaptionError, kF15ProgrammingErrorText, Icon::Error);
  return ModalResult;
}

void Function15Editor::leaveFunction() {
  HintKodF->clear();
  const QString text = EditKodF->text().trimmed();
  const int f = text.toInt();
  if (f == 0 && !text.isEmpty() && c_.function15Blocks.IsEntryFree(entry_)) return;
  if (f == Function15Blocks::kFunctionCode) {
    if (c_.function15Blocks.IsEntryFree(entry_)) {
      // A new entry starts from nothing.
      filling_ = true;
      CBoxUstr->setCurrentIndex(-1);
      EditKolVh->setText("00");
      EditKolDat->setText("00");
      EditAdBegDat->setText("0000");
      for (QLineEdit* e : Edits) e->setText("0");
      ShowSignalFields(0);
      filling_ = false;
    }
    return;
  }
  ShowInputHint(EditKodF, HintKodF, ui_);
  ModalResult = kResultError;
}

void Function15Editor::leaveInputs() {
  HintKolVh->clear();
  // Passing through the field keeps the signal numbers typed.
  if (!EditKolVh->isModified()) return;
  EditKolVh->setModified(false);
  // An emptied count takes the stored one back; the signal numbers stay.
  if (EditKolVh->text().trimmed().isEmpty()) {
    ShowInputHint(EditKolVh, HintKolVh, ui_);
    EditKolVh->setText(QString::number(c_.function15Blocks.GetInputs(entry_)));
    ShowSignalFields(EnabledSignalFields(EditKolVh->text().toStdString()));
    return;
  }
  for (QLineEdit* e : Edits) e->setText("0");
  ShowSignalFields(EnabledSignalFields(EditKolVh->text().toStdString()));
}

bool Function15Editor::canClose() {
  Function15Form form;
  form.function = EditKodF->text().toStdString();
  form.slaveIndex = CBoxUstr->currentIndex();
  form.inputs = EditKolVh->text().toStdString();
  form.startAddress = EditAdBegDat->text().toStdString();
  form.dataCount = EditKolDat->text().toStdString();
  for (int i = 0; i < 32; ++i)
    form.signalNumbers[static_cast<size_t>(i)] = Edits[static_cast<size_t>(i)]->text().toStdString();
  form.acknowledge = Kvit->isChecked();
  form.reset = Sbros->isChecked();
  const Function15Check check = CheckFunction15Entry(c_, entry_, form, true);
  if (check.functionHint) ShowInputHint(EditKodF, HintKodF, ui_);
  for (const std::string& m : check.messages) ui_.Show(kNetInputErrorCaption, m, Icon::Warning);
  if (check.inputsBack) EditKolVh->setText(QString::number(c_.function15Blocks.GetInputs(entry_)));
  ModalResult = check.ok ? kResultNormal : kResultError;
  if (!check.ok) {
    if (ui_.Ask({kF15FinishCaption, kF15FinishQuestion, Icon::Question, Buttons::YesNo, Answer::No}) !=
        Answer::Yes)
      return false;
    RestoreFunction15Block(c_);
    return true;
  }
  const bool edited = c_.function15Blocks.Unchanged == 0;
  if (c_.service.FileMode == 1) {
    if (edited) c_.service.FileChanged = 1;
    return true;
  }
  if (!edited) return true;
  switch (ui_.Ask({kF15SaveCaption, kF15SaveQuestion, Icon::Question, Buttons::YesNoCancel, Answer::No})) {
    case Answer::Yes:
      // The editor stays open while the block is written and closes after; a
      // failure has been shown and the block stays changed.
      BackgroundExchange(worker_, ui_, this)
          .Run(
              "Запись функционального блока", ExchangeKind::Write,
              [this](Interaction& ui) { WriteFunction15Block(c_, port_, ui); },
              [this, result = closingResult_] { QDialog::done(result); });
      return false;
    case Answer::No:
      RestoreFunction15Block(c_);
      return true;
    default:
      return false;
  }
}

void Function15Editor::done(int result) {
  closingResult_ = result;
  if (!canClose()) return;
  QDialog::done(result);
}

}  // namespace zul
