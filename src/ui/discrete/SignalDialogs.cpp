#include "ui/discrete/SignalDialogs.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Interaction.h"
#include "core/model/DiscreteProcessing.h"
#include "core/model/ServiceBlock.h"
#include "ui/widgets/HintLabel.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

QLabel* Label(const char* name, const QString& text, QWidget* parent) {
  return Named(new QLabel(text, parent), name);
}

QLineEdit* NumberField(const char* name, int maxLength, Interaction& ui, QWidget* parent) {
  auto* e = Named(new QLineEdit("00", parent), name);
  e->setMaxLength(maxLength);
  e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(maxLength + 3, '0')));
  KeyFilter::Digits(e, ui, [e] { FocusNext(e); });
  return e;
}

void ZeroWhenEmpty(QLineEdit* field) {
  if (field->text().isEmpty()) field->setText("00");
}

const QColor kOlive(128, 128, 0);
const QColor kSilver(192, 192, 192);

}  // namespace

QString RecordHeader(int signal, const QString& identifier) {
  return QString::number(signal + 1) + QString(6, ' ') + identifier;
}

// --- RecordDialog --------------------------------------------------------------------

RecordDialog::RecordDialog(DiscreteProcessing& processing, const QString& name, const QString& caption,
                           QWidget* parent)
    : QDialog(parent), processing_(processing) {
  setObjectName(name);
  setWindowTitle(caption);
  setModal(true);
  OK = Named(new QPushButton("OK", this), "OK");
  connect(OK, &QPushButton::clicked, this, [this] { done(kDialogClosed); });
  EnterPresses(OK);
}

void RecordDialog::done(int) {
  Closing();
  QDialog::done(kDialogClosed);
}

void RecordDialog::MarkChanged() {
  if (processing_.EditorShown) processing_.Modified = 1;
}

void RecordDialog::mousePressEvent(QMouseEvent* event) {
  QDialog::mousePressEvent(event);
  if (event->button() == Qt::LeftButton) done(kDialogClosed);
}

// --- AlarmTypeDialog ------------------------------------------------------------------------

AlarmTypeDialog::AlarmTypeDialog(ServiceBlock& serv, DiscreteProcessing& processing, Interaction& ui,
                                 QWidget* parent)
    : RecordDialog(processing, "FormSig", "Задание типа сигнализации ", parent), service_(serv) {
  LabNVh = Label("LabNVh", "Вход №", this);
  Label2 = Label("Label2", "", this);
  RadioGroup1 = Named(new QGroupBox("Тип сигнализации", this), "RadioGroup1");
  auto* items = new QVBoxLayout(RadioGroup1);
  const char* texts[] = {"нет сигнализации", "предупредительная", "аварийная", "индикация"};
  for (size_t i = 0; i < Items.size(); ++i) {
    Items[i] = new QRadioButton(texts[i], RadioGroup1);
    Items[i]->setObjectName(QString("RadioGroup1Item%1").arg(i));
    items->addWidget(Items[i]);
    connect(Items[i], &QRadioButton::clicked, this, [this] { MarkChanged(); });
  }
  Items[0]->setChecked(true);
  Label1 = Label("Label1", "№ ячейки светового табло", this);
  Edit1 = NumberField("Edit1", 2, ui, this);
  connect(Edit1, &QLineEdit::textEdited, this, [this] { MarkChanged(); });

  auto* grid = new QGridLayout(this);
  grid->addWidget(LabNVh, 0, 0);
  grid->addWidget(Label2, 0, 1);
  grid->addWidget(RadioGroup1, 1, 0, 1, 2);
  grid->addWidget(Label1, 2, 0);
  grid->addWidget(Edit1, 2, 1);
  grid->addWidget(OK, 3, 0, 1, 2, Qt::AlignCenter);
}

int AlarmTypeDialog::ItemIndex() const {
  for (size_t i = 0; i < Items.size(); ++i)
    if (Items[i]->isChecked()) return static_cast<int>(i);
  return -1;
}

void AlarmTypeDialog::SetItemIndex(int index) {
  if (index >= 0 && index < static_cast<int>(Items.size()))
    Items[static_cast<size_t>(index)]->setChecked(true);
}

void AlarmTypeDialog::showEvent(QShowEvent* event) {
  RecordDialog::showEvent(event);
  // Displays of 192 cells have no numbered cells.
  Edit1->setEnabled(service_.IndicationCells != 192);
  const int i = std::max(0, ItemIndex());
  Items[static_cast<size_t>(i)]->setFocus();
}

void AlarmTypeDialog::Closing() { ZeroWhenEmpty(Edit1); }

// --- DelayDialog -------------------------------------------------------------------------

DelayDialog::DelayDialog(DiscreteProcessing& processing, Interaction& ui, QWidget* parent)
    : RecordDialog(processing, "FormZa", "Программ. задерж. выходов ", parent) {
  LabNVh = Label("LabNVh", "Вход №", this);
  Label2 = Label("Label2", "", this);
  Label1 = Label("Label1", "Задержка", this);
  Label3 = Label("Label3", "Дискретность,сек", this);
  EditDiskr = NumberField("EditDiskr", 2, ui, this);
  EditDiskr->setToolTip("Дискретность,с (1или10)");
  Label4 = Label("Label4", "Время в единицах     дискретности", this);
  EditT = NumberField("EditT", 2, ui, this);
  EditT->setToolTip("Время в ед дискр(0-60)");
  for (QLineEdit* e : {EditDiskr, EditT}) connect(e, &QLineEdit::textEdited, this, [this] { MarkChanged(); });

  auto* grid = new QGridLayout(this);
  grid->addWidget(LabNVh, 0, 0);
  grid->addWidget(Label2, 0, 1);
  grid->addWidget(Label1, 1, 0, 1, 2, Qt::AlignCenter);
  grid->addWidget(Label3, 2, 0);
  grid->addWidget(EditDiskr, 2, 1);
  grid->addWidget(Label4, 3, 0);
  grid->addWidget(EditT, 3, 1);
  grid->addWidget(OK, 4, 0, 1, 2, Qt::AlignCenter);
}

void DelayDialog::Closing() {
  ZeroWhenEmpty(EditDiskr);
  ZeroWhenEmpty(EditT);
}

// --- RelayOutputsDialog ------------------------------------------------------------------------

RelayOutputsDialog::RelayOutputsDialog(DiscreteProcessing& processing, QWidget* parent)
    : RecordDialog(processing, "FormVyh", "Программирование выходов ", parent) {
  LabNVh = Label("LabNVh", "Вход №", this);
  Label2 = Label("Label2", "", this);
  Label9 = Label("Label9", "Выходы", this);
  PopupMenu4 = Named(new QMenu(this), "PopupMenu4");
  QAction* info = PopupMenu4->addAction("Информация о дискретном выходе");
  info->setObjectName("AInfOut");
  connect(info, &QAction::triggered, this, [this] {
    if (ShowOutputInfo) ShowOutputInfo();
  });

  auto* grid = new QGridLayout(this);
  grid->addWidget(LabNVh, 0, 0);
  grid->addWidget(Label2, 0, 1, 1, kOutputs);
  grid->addWidget(Label9, 1, 0, 1, kOutputs + 1, Qt::AlignCenter);
  for (int m = 0; m < kModules; ++m) {
    Labels[static_cast<size_t>(m)] = Named(new QLabel(QString("MP №%1").arg(m + 1), this), "");
    Labels[static_cast<size_t>(m)]->setObjectName(QString("Label%1").arg(m + 1));
    grid->addWidget(Labels[static_cast<size_t>(m)], m + 2, 0);
    for (int k = 1; k <= kOutputs; ++k) {
      auto* panel = new QLabel(QString::number(k), this);
      panel->setObjectName(QString("Panel%1_%2").arg(m + 1).arg(k));
      panel->setAlignment(Qt::AlignCenter);
      panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
      panel->setFixedSize(26, 22);
      panel->setAutoFillBackground(true);
      panel->installEventFilter(this);
      Panels[static_cast<size_t>(m)][static_cast<size_t>(k - 1)] = panel;
      grid->addWidget(panel, m + 2, k);
    }
  }
  grid->addWidget(OK, kModules + 2, 0, 1, kOutputs + 1, Qt::AlignCenter);
}

void RelayOutputsDialog::Prepare(int modules, const std::array<int, kModules>& masks) {
  masks_ = masks;
  for (int m = 0; m < kModules; ++m) {
    const bool shown = m < modules;
    Labels[static_cast<size_t>(m)]->setVisible(shown);
    for (int k = 1; k <= kOutputs; ++k) {
      Panels[static_cast<size_t>(m)][static_cast<size_t>(k - 1)]->setVisible(shown);
      Paint(m, k);
    }
  }
}

bool RelayOutputsDialog::PanelOn(int m, int k) const {
  if (m < 0 || m >= kModules || k < 1 || k > kOutputs) return false;
  return (masks_[static_cast<size_t>(m)] >> (k - 1)) & 1;
}

void RelayOutputsDialog::Paint(int m, int k) {
  QLabel* panel = Panels[static_cast<size_t>(m)][static_cast<size_t>(k - 1)];
  QPalette p = panel->palette();
  p.setColor(QPalette::Window, PanelOn(m, k) ? kOlive : kSilver);
  panel->setPalette(p);
}

void RelayOutputsDialog::TogglePanel(int m, int k) {
  if (m < 0 || m >= kModules || k < 1 || k > kOutputs) return;
  const int bit = 1 << (k - 1);
  int& mask = masks_[static_cast<size_t>(m)];
  mask = PanelOn(m, k) ? mask - bit : mask + bit;
  Paint(m, k);
  MarkChanged();
}

void RelayOutputsDialog::PanelInfo(int m, int k) {
  if (m < 0 || m >= kModules || k < 1 || k > kOutputs) return;
  processing_.InfoModule = m;
  processing_.InfoOutput = k - 1;
}

bool RelayOutputsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress) return RecordDialog::eventFilter(watched, event);
  for (int m = 0; m < kModules; ++m) {
    for (int k = 1; k <= kOutputs; ++k) {
      if (watched != Panels[static_cast<size_t>(m)][static_cast<size_t>(k - 1)]) continue;
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) {
        TogglePanel(m, k);
      } else if (mouse->button() == Qt::RightButton) {
        PanelInfo(m, k);
        PopupMenu4->popup(mouse->globalPosition().toPoint());
      }
      return true;  // a panel click never reaches the background
    }
  }
  return RecordDialog::eventFilter(watched, event);
}

// --- ArchivingDialog ------------------------------------------------------------------------

ArchivingDialog::ArchivingDialog(DiscreteProcessing& processing, QWidget* parent)
    : RecordDialog(processing, "FormVkl", "Архивирование дискретных сигналов ", parent) {
  LabNVh = Label("LabNVh", "Дискретный сигнал №", this);
  Label2 = Label("Label2", "", this);
  Label3 = Label("Label3", "Архивирование", this);
  SBVkl = Named(new QPushButton("отключено", this), "SBVkl");
  SBVkl->setCheckable(true);
  connect(SBVkl, &QPushButton::toggled, this, [this](bool on) {
    SBVkl->setText(on ? "включено" : "отключено");
    MarkChanged();
  });
  auto* grid = new QGridLayout(this);
  grid->addWidget(LabNVh, 0, 0);
  grid->addWidget(Label2, 0, 1);
  grid->addWidget(Label3, 1, 0);
  grid->addWidget(SBVkl, 1, 1);
  grid->addWidget(OK, 2, 0, 1, 2, Qt::AlignCenter);
}

void ArchivingDialog::SetOn(bool on) {
  const QSignalBlocker quiet(SBVkl);  // the caller's setting is no change
  SBVkl->setChecked(on);
  SBVkl->setText(on ? "включено" : "отключено");
}

bool ArchivingDialog::On() const { return SBVkl->isChecked(); }

// --- InputTextDialog, OutputTextDialog ----------------------------------------------------------

InputTextDialog::InputTextDialog(ServiceBlock& serv, DiscreteProcessing& processing, QWidget* parent)
    : InputTextDialog(serv, processing, false, parent) {}

InputTextDialog::InputTextDialog(ServiceBlock& serv, DiscreteProcessing& processing, bool outputs,
                                 QWidget* parent)
    : RecordDialog(processing, outputs ? "FormTextMR" : "FormText",
                   outputs ? "Задание текстового реквизита выхода" : "Задание текстового реквизита входа",
                   parent),
      service_(serv),
      outputs_(outputs) {
  LabNVh = Label(outputs ? "LabNVyh" : "LabNVh", outputs ? "Выход №" : "Вход №", this);
  Label2 = Label("Label2", "", this);
  Label1 = Label("Label1", "Текстовый реквизит", this);
  EditText = Named(new QLineEdit(this), "EditText");
  EditText->setMaxLength(ServiceBlock::kTextWidth);
  EditText->setMinimumWidth(EditText->fontMetrics().horizontalAdvance(QString(18, QChar(0x0428))));
  connect(EditText, &QLineEdit::textEdited, this, [this] { ChangedFlag() = 1; });
  connect(EditText, &QLineEdit::returnPressed, this, [this] { FocusNext(EditText); });
  auto* grid = new QGridLayout(this);
  grid->addWidget(LabNVh, 0, 0);
  grid->addWidget(Label2, 0, 1);
  grid->addWidget(Label1, 1, 0);
  grid->addWidget(EditText, 1, 1);
  grid->addWidget(OK, 2, 0, 1, 2, Qt::AlignCenter);
  OK->setAutoDefault(false);
}

int& InputTextDialog::ChangedFlag() { return outputs_ ? service_.OutTextChanged : service_.TextChanged; }

void InputTextDialog::showEvent(QShowEvent* event) {
  RecordDialog::showEvent(event);
  ChangedFlag() = 0;
  EditText->setFocus();
}

void InputTextDialog::reject() {
  ChangedFlag() = 0;
  QDialog::done(kDialogCancel);
}

void InputTextDialog::Closing() {
  if (EditText->text().isEmpty()) EditText->setText(QString(10, ' '));
}

OutputTextDialog::OutputTextDialog(ServiceBlock& serv, DiscreteProcessing& processing, QWidget* parent)
    : InputTextDialog(serv, processing, true, parent) {
  LabNVyh = LabNVh;
}

// --- SignalNumberDialog -------------------------------------------------------------------------

SignalNumberDialog::SignalNumberDialog(ServiceBlock& serv, Interaction& ui, QWidget* parent)
    : QDialog(parent), service_(serv), ui_(ui) {
  setObjectName("FormVh");
  setWindowTitle("Ввод номера программируемого входа");
  setModal(true);
  auto field = [&](const char* name, int maxLength, QWidget* host) {
    auto* e = Named(new QLineEdit(host), name);
    e->setMaxLength(maxLength);
    KeyFilter::Digits(e, ui_, [e] { FocusNext(e); });
    return e;
  };
  GroupBox1 = Named(new QGroupBox(this), "GroupBox1");
  LabNVh = Label("LabNVh", "№ входа в базе", GroupBox1);
  EditNVh = field("EditNVh", 10, GroupBox1);
  LabName = Label("LabName", "", GroupBox1);
  auto* g1 = new QGridLayout(GroupBox1);
  g1->addWidget(LabNVh, 0, 0);
  g1->addWidget(EditNVh, 0, 1);
  g1->addWidget(LabName, 1, 0, 1, 2);

  GroupBox2 = Named(new QGroupBox(this), "GroupBox2");
  Label1 = Label("Label1", "Начальный № группы", GroupBox2);
  Edit1 = field("Edit1", 3, GroupBox2);
  Label2 = Label("Label2", "Конечный № группы", GroupBox2);
  Edit2 = field("Edit2", 3, GroupBox2);
  auto* g2 = new QGridLayout(GroupBox2);
  g2->addWidget(Label1, 0, 0);
  g2->addWidget(Edit1, 0, 1);
  g2->addWidget(Label2, 1, 0);
  g2->addWidget(Edit2, 1, 1);

  GroupBox3 = Named(new QGroupBox(this), "GroupBox3");
  Label3 = Label("Label3", "Заменить группу,       начиная с   №", GroupBox3);
  Edit3 = field("Edit3", 3, GroupBox3);
  auto* g3 = new QGridLayout(GroupBox3);
  g3->addWidget(Label3, 0, 0);
  g3->addWidget(Edit3, 0, 1);

  OK = Named(new QPushButton("OK", this), "OK");
  Cancel = Named(new QPushButton("Отмена", this), "Cancel");
  OK->setAutoDefault(false);
  Cancel->setAutoDefault(false);
  EnterPresses(OK);
  EnterPresses(Cancel);
  connect(OK, &QPushButton::clicked, this, &SignalNumberDialog::onOk);
  connect(Cancel, &QPushButton::clicked, this, [this] { done(kDialogCancel); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(OK);
  buttons->addWidget(Cancel);
  auto* v = new QVBoxLayout(this);
  for (QGroupBox* g : {GroupBox1, GroupBox2, GroupBox3}) v->addWidget(g);
  v->addLayout(buttons);
  ErrorText = new HintLabel(this);
}

void SignalNumberDialog::Prepare(const QString& caption, Group group) {
  setWindowTitle(caption);
  group_ = group;
  GroupBox1->setVisible(group == Single);
  GroupBox2->setVisible(group == Range);
  GroupBox3->setVisible(group == Start);
  ErrorText->hide();
  setResult(0);
  adjustSize();
}

int SignalNumberDialog::Run(const QString& caption, Group group) {
  Prepare(caption, group);
  return exec();
}

int SignalNumberDialog::Number(const QLineEdit* field) {
  bool ok = false;
  const qlonglong n = field->text().trimmed().toLongLong(&ok);
  if (!ok) return 0;
  return static_cast<int>(std::clamp<qlonglong>(n, -1, 1 << 30));
}

QLineEdit* SignalNumberDialog::FirstField() const {
  switch (group_) {
    case Range:
      return Edit1;
    case Start:
      return Edit3;
    default:
      return EditNVh;
  }
}

void SignalNumberDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FirstField()->setFocus();
}

bool SignalNumberDialog::CheckField(QLineEdit* field) {
  if (!field->text().trimmed().isEmpty() && Number(field) > 0) return true;
  ShowInputHint(field, ErrorText, ui_);
  setResult(kDialogRefused);
  return false;
}

void SignalNumberDialog::onOk() {
  switch (group_) {
    case Single:
      if (!CheckField(EditNVh)) return;
      if (Number(EditNVh) > service_.SignalCount) {
        ui_.Show(kCaptionWarning, "Вход с таким № не существует", Icon::Warning);
        setResult(kDialogRefused);
        return;
      }
      break;
    case Range:
      if (!CheckField(Edit1) || !CheckField(Edit2)) return;
      break;
    case Start:
      if (!CheckField(Edit3)) return;
      break;
  }
  done(QDialog::Accepted);
}

void SignalNumberDialog::reject() { done(kDialogCancel); }

}  // namespace zul
