#include "ui/main/NewConfigurationDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "core/model/ServiceBlock.h"
#include "ui/widgets/HintLabel.h"
#include "ui/widgets/InputChecks.h"

namespace zul {

namespace {

// List entry = module type code.
const char* const kModuleEntries[16] = {"нет",  "ЛК-1",   "ЛК-2",  "ЛК-4",  "ЛК-5",           "ЛК-6",
                                        "ЛК-7", "ЛК-8",   "ЛК-9",  "ЛК-10", "ЛК-2 программ.", "резерв",
                                        "ЛК-3", "резерв", "ЛК-11", "резерв"};

KeyVerdict CodeLineKey(const QKeyEvent& key) {
  if (key.key() == Qt::Key_Backspace) return KeyVerdict::Accept;
  const QString text = key.text();
  if (text.isEmpty() || !text.at(0).isPrint()) return KeyVerdict::Accept;  // arrows, Tab, modifiers
  return QString(kCompositionHexDigits).contains(text) ? KeyVerdict::Accept : KeyVerdict::Refuse;
}

}  // namespace

NewConfigurationDialog::NewConfigurationDialog(ServiceBlock& serv, Interaction& ui, QWidget* parent)
    : QDialog(parent), service_(serv), ui_(ui) {
  setObjectName("Config");
  setWindowTitle("Задание конфигурации");
  setModal(true);

  auto* slotGrid = new QGridLayout;
  constexpr int kRows = kCompositionSlots / 2;
  for (int s = 1; s <= kCompositionSlots; ++s) {
    auto* list = new QComboBox(this);
    list->setObjectName(QString("M%1").arg(s));
    for (const char* entry : kModuleEntries) list->addItem(entry);
    auto* keep = new QCheckBox("Сохранить БД", this);
    keep->setObjectName(QString("SaveBD%1").arg(s));
    M[static_cast<size_t>(s - 1)] = list;
    SaveBD[static_cast<size_t>(s - 1)] = keep;
    const int row = (s - 1) % kRows;
    const int col = (s - 1) / kRows * 4;
    slotGrid->addWidget(new QLabel(QString("Модуль %1").arg(s), this), row, col);
    slotGrid->addWidget(list, row, col + 1);
    slotGrid->addWidget(keep, row, col + 2);
    if (col == 0) slotGrid->setColumnMinimumWidth(3, 16);
    connect(list, QOverload<int>::of(&QComboBox::activated), this,
            [this, s](int entry) { onModuleTypeChosen(s, entry); });
    connect(keep, &QCheckBox::toggled, this, [this, s](bool on) { onKeepToggled(s, on); });
  }

  EditModif = new QLineEdit("1111111111111111", this);
  EditModif->setObjectName("EditModif");
  EditModif->setMaxLength(kCompositionSlots);
  new KeyFilter(EditModif, [](const QKeyEvent& k, QWidget*) { return CodeLineKey(k); });

  RegimCreat = new QGroupBox("Режим создания файла конфигурации", this);
  RegimCreat->setObjectName("RegimCreat");
  regim_ = new QButtonGroup(this);
  auto* regimLayout = new QVBoxLayout(RegimCreat);
  const char* modes[] = {"Создать конфигурацию на базе открытого файла", "Создать конфигурацию заново"};
  for (int k = 0; k < 2; ++k) {
    auto* rb = new QRadioButton(modes[k], RegimCreat);
    rb->setObjectName(QString("RegimCreat%1").arg(k));
    regim_->addButton(rb, k);
    regimLayout->addWidget(rb);
  }
  regim_->button(Anew)->setChecked(true);
  connect(regim_, &QButtonGroup::idClicked, this, &NewConfigurationDialog::onModeChosen);

  SaveMBM = new QCheckBox("Сохранить локальную сеть", this);
  SaveMBM->setObjectName("SaveMBM");
  SaveFB = new QCheckBox("Сохранить функциональные блоки", this);
  SaveFB->setObjectName("SaveFB");
  SaveMBM->hide();
  SaveFB->hide();

  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");
  OK->setAutoDefault(false);
  EnterPresses(OK);
  connect(OK, &QPushButton::clicked, this, &QDialog::accept);

  auto* code = new QHBoxLayout;
  code->addWidget(new QLabel("Исполнение", this));
  code->addWidget(EditModif, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(RegimCreat, 1);
  bottom->addWidget(OK, 0, Qt::AlignBottom);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(slotGrid);
  layout->addLayout(code);
  layout->addSpacing(12);  // room for the note under the code line
  layout->addLayout(bottom);
  layout->addWidget(SaveMBM);
  layout->addWidget(SaveFB);

  ErrorText = new HintLabel(this);
}

int NewConfigurationDialog::Regim() const { return regim_->checkedId(); }
QString NewConfigurationDialog::CodeLine() const { return EditModif->text(); }

void NewConfigurationDialog::SetBox(int slot, bool enabled, bool checked) {
  QCheckBox* box = SaveBD[static_cast<size_t>(slot - 1)];
  box->setChecked(checked);
  box->setEnabled(enabled);
}

void NewConfigurationDialog::ShowTypes(const SlotTypes& types) {
  for (size_t s = 0; s < M.size(); ++s) M[s]->setCurrentIndex(types[s] & 0x0F);
  EditModif->setText(QString::fromStdString(CodeLineOf(types)));
}

void NewConfigurationDialog::Prepare(bool fileMode, const SlotTypes& openTypes) {
  openTypes_ = openTypes;
  outcome_ = Accepted;
  ErrorText->hide();
  for (int s = 1; s <= kCompositionSlots; ++s) SetBox(s, false, false);
  service_.KeepSlot.fill(0);
  regim_->button(Anew)->setChecked(true);
  if (fileMode) {
    RegimCreat->setEnabled(true);
    // Preselected or chosen by hand, the mode keeps the same slots.
    onModeChosen(OnOpenFile);
  } else {
    ShowTypes({});
    RegimCreat->setEnabled(false);
  }
  for (QCheckBox* box : {SaveMBM, SaveFB}) {
    box->setChecked(false);
    box->setEnabled(false);
  }
}

void NewConfigurationDialog::RebuildCodeLine() {
  SlotTypes types{};
  for (size_t s = 0; s < M.size(); ++s) types[s] = CodeOfListEntry(M[s]->currentIndex());
  EditModif->setText(QString::fromStdString(CodeLineOf(types)));
}

void NewConfigurationDialog::onModuleTypeChosen(int slot, int entry) {
  if (slot < 1 || slot > kCompositionSlots) return;
  M[static_cast<size_t>(slot - 1)]->setCurrentIndex(entry);
  RebuildCodeLine();
  if (Regim() != OnOpenFile) return;
  const KeepBox box = KeepBoxAfterChoice(openTypes_[static_cast<size_t>(slot - 1)], CodeOfListEntry(entry));
  QCheckBox* check = SaveBD[static_cast<size_t>(slot - 1)];
  SetBox(slot, box.enabled, box.clearIt ? false : check->isChecked());
}

void NewConfigurationDialog::onModeChosen(int mode) {
  regim_->button(mode)->setChecked(true);
  if (mode == OnOpenFile) {
    ShowTypes(openTypes_);
    for (int s = 1; s <= kCompositionSlots; ++s) {
      const bool keep = KeepBoxOnBasisMode(openTypes_[static_cast<size_t>(s - 1)]);
      SetBox(s, keep, keep);
    }
  } else {
    ShowTypes({});
    for (int s = 1; s <= kCompositionSlots; ++s) SetBox(s, false, false);
  }
}

void NewConfigurationDialog::onKeepToggled(int slot, bool checked) {
  if (slot >= 1 && slot <= kCompositionSlots)
    service_.KeepSlot[static_cast<size_t>(slot - 1)] = checked ? 1 : 0;
}

bool NewConfigurationDialog::canClose() {
  const std::string line = CodeLine().toStdString();
  if (IsCompositionValid(line)) {
    SlotFlags keep{};
    for (size_t s = 0; s < keep.size(); ++s) keep[s] = service_.KeepSlot[s];
    // The file is built from what was typed: a kept slot names the open configuration's module there.
    request_ = {TypesOfCodeLine(line), keep, Regim() == OnOpenFile};
    const OrderedComposition ordered = OrderComposition(request_.typed, keep);
    ApplyComposition(service_, ordered);
    EditModif->setText(QString::fromStdString(CodeLineOf(ordered.types)));
    outcome_ = Accepted;
    return true;
  }
  ShowInputHint(EditModif, ErrorText, ui_);
  const Answer finish =
      ui_.Ask({kCompositionErrorCaption, kCompositionErrorText, Icon::Question, Buttons::YesNo, Answer::Yes});
  if (finish != Answer::Yes) return false;
  outcome_ = Error;
  return true;
}

void NewConfigurationDialog::done(int result) {
  (void)result;  // however it is closed, the composition decides
  if (!canClose()) return;
  QDialog::done(outcome_);
}

}  // namespace zul
