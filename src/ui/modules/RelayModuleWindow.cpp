#include "ui/modules/RelayModuleWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "core/link/ModbusLink.h"
#include "core/model/CopyBlocks.h"
#include "core/model/ReserveBlocks.h"
#include "core/model/ServiceBlock.h"
#include "ui/link/LinkWorker.h"
#include "ui/online/OnlineDiscreteView.h"
#include "ui/widgets/HintLabel.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

constexpr int kMaxInputNumber = 255;  // one byte

QComboBox* NamesList(QWidget* parent, const QString& name, const std::array<std::string_view, 2>& names) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  for (std::string_view n : names) list->addItem(Q(n));
  return list;
}

}  // namespace

RelayModuleWindow::RelayModuleWindow(ServiceBlock& serv, RelayModules& mr, ReserveBlocks& reserve,
                                     CopyBlocks& copies, ModbusLink& port, LinkWorker& worker,
                                     RelayOutputsOnline& online, Interaction& ui, QWidget* parent)
    : ModuleEditorDialog(serv, ui, "FormMR", parent),
      mr_(mr),
      reserve_(reserve),
      copies_(copies),
      port_(port),
      worker_(worker),
      online_(online) {
  setWindowTitle("Программирование модулей МР");
  SetExchange(worker_);

  LabTMod = new QLabel(this);
  LabTMod->setObjectName("LabTMod");
  LabNMod = new QLabel(this);
  LabNMod->setObjectName("LabNMod");
  auto* head = new QHBoxLayout;
  head->addWidget(new QLabel("Модуль", this));
  head->addWidget(LabTMod);
  head->addSpacing(20);
  head->addWidget(new QLabel("модуль дискретного вывода", this));
  head->addWidget(LabNMod);
  head->addStretch();

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  auto caption = [this, grid](const QString& text, int row, int col, int span = 1) {
    auto* l = new QLabel(text, this);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    grid->addWidget(l, row, col, 1, span);
  };
  caption("Выход", 0, 0);
  caption("Тип выхода", 0, 1);
  caption("Режим", 0, 2);
  caption("Квитирование", 0, 3, 2);
  caption("Сброс", 0, 5, 2);
  caption("номер входа       внешнего квитирования", 0, 7);
  caption("номер входа     внешнего       сброса", 0, 8);
  for (int col : {3, 5}) {
    caption("с центральной панели ЛК-14", 1, col);
    caption("с верхнего     уровня", 1, col + 1);
  }
  for (int o = 0; o < RelayModules::kOutputs; ++o) {
    OutputRow& r = Rows[static_cast<size_t>(o)] = BuildRow(o);
    const int row = o + 2;
    grid->addWidget(r.Label, row, 0);
    grid->addWidget(r.TipVyh, row, 1);
    grid->addWidget(r.Kvit, row, 2);
    grid->addWidget(r.Block, row, 2);
    grid->addWidget(r.KvitMind, row, 3, Qt::AlignCenter);
    grid->addWidget(r.KvitTopLevel, row, 4, Qt::AlignCenter);
    grid->addWidget(r.SbrMind, row, 5, Qt::AlignCenter);
    grid->addWidget(r.SbrTopLevel, row, 6, Qt::AlignCenter);
    grid->addWidget(r.EditVxKvit, row, 7);
    grid->addWidget(r.EditVhSbr, row, 8);
  }

  BuildCopyCommands();
  ButOnLine = new QPushButton("on line", this);
  ButOnLine->setObjectName("ButOnLine");
  ButOnLine->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {OK, Cancel, ButCopy, ButReplace, ButOnLine}) buttons->addWidget(b);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetMinimumSize);  // never smaller than the rows need
  layout->addLayout(head);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  ErrorText = new HintLabel(this);

  connect(ButOnLine, &QPushButton::clicked, this, &RelayModuleWindow::openOnline);
}

RelayModuleWindow::OutputRow RelayModuleWindow::BuildRow(int o) {
  const QString n = QString::number(o + 1);
  OutputRow r{};
  r.Label = new QLabel("Выход " + n, this);
  r.TipVyh = NamesList(this, "TipVyh" + n, RelayModules::kOutputTypeNames);
  r.Kvit = NamesList(this, "Kvit" + n, RelayModules::kSignalModeNames);
  r.Block = NamesList(this, "Block" + n, RelayModules::kControlModeNames);
  auto check = [this](const QString& name) {
    auto* box = new QCheckBox(this);
    box->setObjectName(name);
    return box;
  };
  r.KvitMind = check("KvitMind" + n);
  r.KvitTopLevel = check("KvitTopLevel" + n);
  r.SbrMind = check("SbrMind" + n);
  r.SbrTopLevel = check("SbrTopLevel" + n);
  auto edit = [this](const QString& name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(6);
    e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QString(9, '0')));
    connect(e, &QLineEdit::textEdited, this, &RelayModuleWindow::MarkEdited);
    return e;
  };
  r.EditVxKvit = edit("EditVxKvit" + n);
  r.EditVhSbr = edit("EditVhSbr" + n);

  connect(r.TipVyh, QOverload<int>::of(&QComboBox::activated), this,
          [this, o](int i) { onOutputTypeChosen(o, i); });
  connect(r.Kvit, QOverload<int>::of(&QComboBox::activated), this,
          [this, o](int i) { onAcknowledgeChosen(o, i); });
  connect(r.Block, QOverload<int>::of(&QComboBox::activated), this,
          [this, o](int i) { onBlockingChosen(o, i); });
  const struct {
    QCheckBox* box;
    void (RelayModules::*set)(int, int, int);
  } bits[] = {{r.KvitMind, &RelayModules::SetAckPanel},
              {r.KvitTopLevel, &RelayModules::SetAckTop},
              {r.SbrMind, &RelayModules::SetResetPanel},
              {r.SbrTopLevel, &RelayModules::SetResetTop}};
  for (const auto& b : bits) {
    connect(b.box, &QCheckBox::clicked, this, [this, o, set = b.set](bool on) {
      MarkEdited();
      (mr_.*set)(o, Index(), on ? 1 : 0);
    });
  }
  onLeaving(r.EditVxKvit, [this, o] { leaveInput(o, false); });
  onLeaving(r.EditVhSbr, [this, o] { leaveInput(o, true); });
  return r;
}

// --- opening ---------------------------------------------------------------------------

void RelayModuleWindow::Prepare(int slot, int module, int moduleType, const QString& typeText) {
  slot_ = slot;
  module_ = std::clamp(module, 1, RelayModules::kModules);
  type_ = moduleType;
  typeText_ = typeText;
  mr_.CurrentSlot = slot;
  mr_.Unchanged[static_cast<size_t>(Index())] = 1;
  cancelled_ = false;  // an earlier "Отмена" must not throw away this opening's edits
  LabNMod->setText(QString::number(module_));
  LabTMod->setText(typeText);
  ErrorText->hide();
  Fill();
  EnableReplace(mr_.CanReplaceModule(type_));
}

int RelayModuleWindow::Open(int slot, int module, int moduleType, const QString& typeText) {
  Prepare(slot, module, moduleType, typeText);
  const int result = exec();
  if (result == kResultError) {
    mr_.ErrorFlags[static_cast<size_t>(Index())] = 1;
  }
  return result;
}

void RelayModuleWindow::Fill() {
  for (int o = 0; o < RelayModules::kOutputs; ++o) {
    const OutputRow& r = Rows[static_cast<size_t>(o)];
    ShowOutput(o);
    PaintField(r.EditVxKvit, Qt::white);
    PaintField(r.EditVhSbr, Qt::white);
  }
}

void RelayModuleWindow::ShowOutput(int o) {
  const int m = Index();
  const OutputRow& r = Rows[static_cast<size_t>(o)];
  const bool control = mr_.GetOutputType(o, m) == 1;
  const int mode = mr_.GetMode(o, m);
  r.TipVyh->setCurrentIndex(control ? 1 : 0);
  r.KvitMind->setChecked(mr_.GetAckPanel(o, m));
  r.KvitTopLevel->setChecked(mr_.GetAckTop(o, m));
  r.SbrMind->setChecked(mr_.GetResetPanel(o, m));
  r.SbrTopLevel->setChecked(mr_.GetResetTop(o, m));
  r.EditVhSbr->setText(QString::number(mr_.GetResetInput(o, m)));
  r.Kvit->setVisible(!control);
  r.Block->setVisible(control);
  // Fields the mode does not use stay disabled but show what the record
  // keeps and sends, as the outputs information window does.
  const bool horn = !control && mode == 1;
  if (control) {
    r.Block->setCurrentIndex(mode);
  } else {
    r.Kvit->setCurrentIndex(mode);
  }
  r.EditVxKvit->setText(QString::number(mr_.GetAckInput(o, m)));
  for (QWidget* w : std::initializer_list<QWidget*>{r.KvitMind, r.KvitTopLevel, r.EditVxKvit})
    w->setEnabled(!control);
  for (QWidget* w : std::initializer_list<QWidget*>{r.SbrMind, r.SbrTopLevel, r.EditVhSbr})
    w->setEnabled(!horn);
}

// --- editing --------------------------------------------------------------------------------

void RelayModuleWindow::MarkEdited() { mr_.Unchanged[static_cast<size_t>(Index())] = 0; }

void RelayModuleWindow::onOutputTypeChosen(int o, int index) {
  if (index < 0 || index > 1) return;
  const int m = Index();
  MarkEdited();
  mr_.SetOutputType(o, m, index);
  mr_.SetMode(o, m, 0);  // light, or control without interlock
  if (index == 1) {
    // A control output is not acknowledged.
    mr_.SetAckPanel(o, m, 0);
    mr_.SetAckTop(o, m, 0);
    mr_.SetAckInput(o, m, 0);
  }
  ShowOutput(o);
}

void RelayModuleWindow::onAcknowledgeChosen(int o, int index) {
  if (index < 0 || index > 1) return;
  const int m = Index();
  MarkEdited();
  mr_.SetMode(o, m, index);
  if (index == 1) {
    // A horn is silenced by the acknowledgement; nothing resets it.
    mr_.SetResetPanel(o, m, 0);
    mr_.SetResetTop(o, m, 0);
    mr_.SetResetInput(o, m, 0);
  }
  ShowOutput(o);
}

void RelayModuleWindow::onBlockingChosen(int o, int index) {
  if (index < 0 || index > 1) return;
  MarkEdited();
  mr_.SetMode(o, Index(), index);
}

void RelayModuleWindow::leaveInput(int o, bool reset) {
  const OutputRow& r = Rows[static_cast<size_t>(o)];
  QLineEdit* field = reset ? r.EditVhSbr : r.EditVxKvit;
  const int stored = reset ? mr_.GetResetInput(o, Index()) : mr_.GetAckInput(o, Index());
  bool ok = false;
  const int value = field->text().trimmed().toInt(&ok);
  // The number goes into one byte: a negative one would come back as 200-odd.
  if (!ok || value < 0 || value > kMaxInputNumber) {
    ReportInputError(field, ui_);
    field->setText(QString::number(stored));
    return;
  }
  if (reset) {
    mr_.SetResetInput(o, Index(), value);
  } else {
    mr_.SetAckInput(o, Index(), value);
  }
}

// --- closing --------------------------------------------------------------------------------

bool RelayModuleWindow::CheckInputField(int o, bool reset) {
  const OutputRow& r = Rows[static_cast<size_t>(o)];
  QLineEdit* field = reset ? r.EditVhSbr : r.EditVxKvit;
  if (!field->isEnabled()) return true;
  if (field->text().isEmpty()) return false;
  bool ok = false;
  const int value = field->text().trimmed().toInt(&ok);
  if (ok && value >= 0 && value <= ServiceBlock::kInputsPerDiModule * service_.DiModules) {
    if (reset) {
      mr_.SetResetInput(o, Index(), value);
    } else {
      mr_.SetAckInput(o, Index(), value);
    }
    return true;
  }
  ShowInputHint(field, ErrorText, ui_,
                reset ? " Неверный адрес входа внеш. сброса" : " Неверный адрес входа внеш. квитирования");
  // Back to what the controller (or the file) has.
  const uint8_t* reference = reserve_.RelayBlock.data() + 1 + RelayModules::kModuleSize * Index() +
                             RelayModules::kOutputSize * o + (reset ? 2 : 1);
  if (reset) {
    mr_.SetResetInput(o, Index(), *reference);
  } else {
    mr_.SetAckInput(o, Index(), *reference);
  }
  field->setText(QString::number(*reference));
  return false;
}

bool RelayModuleWindow::canClose() {
  StoreFocusedField(Rows[0].TipVyh);
  ModalResult = kResultNormal;
  auto block = std::make_shared<RelayModuleBlock>(mr_, reserve_, port_, service_.CurrentDevice, Index());
  if (cancelled_) return CloseWith(block, kRelaySendQuestion);
  bool good = true;
  for (int o = 0; o < RelayModules::kOutputs; ++o) {
    good = CheckInputField(o, false) && good;
    good = CheckInputField(o, true) && good;
  }
  if (!good) {
    ModalResult = kResultError;
    return false;  // the window stays open until the numbers are right
  }
  return CloseWith(block, kRelaySendQuestion);
}

// --- copy, replace, live view ------------------------------------------------------------------

void RelayModuleWindow::copyModuleBase() {
  StoreFocusedField(Rows[0].TipVyh);
  mr_.CopyModule(Index(), type_, copies_.RelayBlock);
  EnableReplace(mr_.CanReplaceModule(type_));
}

void RelayModuleWindow::replaceModuleBase() {
  if (!mr_.CanReplaceModule(type_) || !mr_.ReplaceModule(Index(), copies_.RelayBlock)) return;
  Fill();
}

void RelayModuleWindow::openOnline() {
  if (!RefuseOnlineInFileMode()) online_.Open(slot_, module_, typeText_);
}

}  // namespace zul
