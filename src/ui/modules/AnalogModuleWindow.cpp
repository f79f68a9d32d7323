#include "ui/modules/AnalogModuleWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "core/config/AnalogCalibration.h"
#include "core/config/AnalogModuleReport.h"
#include "core/link/ModbusLink.h"
#include "core/model/AnalogModules.h"
#include "core/model/CopyBlocks.h"
#include "core/model/FloatText.h"
#include "core/model/ReserveBlocks.h"
#include "core/model/ServiceBlock.h"
#include "ui/link/LinkWorker.h"
#include "ui/modules/CalibrationWindow.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/InputChecks.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

constexpr int kValueWidth = 7;
constexpr int kSetpointKind = 2;
constexpr int kDeadZoneKind = 5;
constexpr AnalogValue kSetpoints[] = {AnalogValue::SetpointLL, AnalogValue::SetpointL, AnalogValue::SetpointH,
                                      AnalogValue::SetpointHH};
constexpr const char* kSetpointNames[] = {"LL", "L", "H", "HH"};

template <size_t N>
void FillList(QComboBox* list, const std::array<std::string_view, N>& names, int selected) {
  list->clear();
  for (std::string_view name : names) list->addItem(Q(name));
  list->setCurrentIndex(selected >= 0 && selected < list->count() ? selected : -1);
}

void FillNumbers(QComboBox* list, const RangeList& range) {
  list->clear();
  for (int v : range.Items) list->addItem(QString::number(v));
  list->setCurrentIndex(range.Selected);
}

bool IsEnter(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }

}  // namespace

AnalogModuleWindow::AnalogModuleWindow(ServiceBlock& serv, AnalogModules& mba, ReserveBlocks& reserve,
                                       CopyBlocks& copies, ModbusLink& port, LinkWorker& worker,
                                       CalibrationWindow& kalibr, Interaction& ui, QWidget* parent)
    : ModuleEditorDialog(serv, ui, "FormPROG", parent),
      mba_(mba),
      reserve_(reserve),
      copies_(copies),
      port_(port),
      worker_(worker),
      kalibr_(kalibr) {
  setWindowTitle("Программирование МВА");
  SetExchange(worker_);
  // The window's creation starts the unit names from their defaults.
  mba_.SetDefaultUnits();

  LabTMod = new QLabel(this);
  LabTMod->setObjectName("LabTMod");
  LabNMod = new QLabel(this);
  LabNMod->setObjectName("LabNMod");
  LabN = new QLabel(this);
  LabN->setObjectName("LabN");
  auto* head = new QHBoxLayout;
  head->addWidget(new QLabel("Модуль", this));
  head->addWidget(LabTMod);
  head->addSpacing(20);
  head->addWidget(new QLabel("модуль аналогового ввода", this));
  head->addWidget(LabNMod);
  head->addSpacing(20);
  head->addWidget(LabN);
  head->addStretch();

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(3);
  Label10 = new QLabel("входной сигнал", this);
  Label10->setObjectName("Label10");
  Label12 = new QLabel("    зона нечувст.,%.", this);
  Label12->setObjectName("Label12");
  QLabel* captions[] = {new QLabel("   №     входа", this),
                        new QLabel("технолог. позиция", this),
                        Label10,
                        new QLabel("шкала", this),
                        new QLabel("размерн.", this),
                        new QLabel("  min шкалы", this),
                        new QLabel("  max шкалы", this),
                        new QLabel("уставка      LL", this),
                        new QLabel("уставка       L", this),
                        new QLabel("уставка       H", this),
                        new QLabel("уставка      HH", this),
                        Label12};
  constexpr int kFirstSetpointColumn = 7;
  constexpr int kSetpointColumns = 4;
  for (int col = 0; col < 12; ++col) {
    QLabel* caption = captions[col];
    caption->setWordWrap(true);
    // Room for the two lines the narrow columns wrap their captions into.
    caption->setMinimumHeight(2 * caption->fontMetrics().lineSpacing() + 4);
    caption->setAlignment(Qt::AlignCenter);
    const bool setpoint = col >= kFirstSetpointColumn && col < kFirstSetpointColumn + kSetpointColumns;
    if (setpoint) {
      // As narrow as "уставка", so that the level goes under it, centred over its column.
      caption->setFixedWidth(caption->fontMetrics().horizontalAdvance("уставка") + 8);
      grid->addWidget(caption, 0, col, Qt::AlignHCenter);
    } else {
      grid->addWidget(caption, 0, col);
    }
  }
  for (int c = 0; c < kAnalogChannelCount; ++c) {
    ChannelRow& r = Rows[static_cast<size_t>(c)] = BuildRow(c);
    QWidget* cells[] = {r.Label, r.Poz, r.TInp, r.Sk, r.Razm};
    for (int col = 0; col < 5; ++col) grid->addWidget(cells[col], c + 1, col);
    grid->addWidget(r.NSK, c + 1, 5);
    grid->addWidget(r.MinSk, c + 1, 5);
    grid->addWidget(r.VSK, c + 1, 6);
    grid->addWidget(r.MaxSk, c + 1, 6);
    for (int s = 0; s < 4; ++s) grid->addWidget(r.Ust[static_cast<size_t>(s)], c + 1, 7 + s);
    grid->addWidget(r.ZonaIns, c + 1, 11);
  }

  BuildCopyCommands();
  ButOnLine = new QPushButton("on line", this);
  ButOnLine->setObjectName("ButOnLine");
  ButPrint = new QPushButton("Создание и печать файла .rtf", this);
  ButPrint->setObjectName("ButPrint");
  for (QPushButton* b : {ButOnLine, ButPrint}) b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {OK, Cancel, ButCopy, ButReplace, ButOnLine, ButPrint}) buttons->addWidget(b);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetMinimumSize);  // never smaller than the rows need
  layout->addLayout(head);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  DialSaveFile = QtReportFileChooser(this);
  PrintReport = QtReportPrinter(this);
  connect(ButOnLine, &QPushButton::clicked, this, &AnalogModuleWindow::openOnline);
  connect(ButPrint, &QPushButton::clicked, this, &AnalogModuleWindow::printReport);
}

AnalogModuleWindow::ChannelRow AnalogModuleWindow::BuildRow(int c) {
  const QString n = QString::number(c + 1);
  ChannelRow r{};
  r.Label = new QLabel(n, this);
  r.Label->setObjectName("Label" + n);
  r.Label->setAlignment(Qt::AlignCenter);
  auto edit = [this](const QString& name, int width) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    // Value texts as the model formats them may be longer ("100,0000"), so
    // only typing is limited (by the key filter), not what is shown.
    if (width == kPositionNameWidth) e->setMaxLength(width);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QString(width + 2, '0')));
    connect(e, &QLineEdit::textEdited, this, &AnalogModuleWindow::MarkEdited);
    return e;
  };
  auto list = [this](const QString& name) {
    auto* l = new QComboBox(this);
    l->setObjectName(name);
    l->setSizeAdjustPolicy(QComboBox::AdjustToContents);  // the lists change with the module type
    // Fitting the contents can leave the list's height hint a pixel below its
    // minimum; let the row give it the minimum.
    l->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    connect(l, QOverload<int>::of(&QComboBox::activated), this, &AnalogModuleWindow::MarkEdited);
    return l;
  };
  r.Poz = edit("Poz" + n, kPositionNameWidth);
  r.Poz->setToolTip("ввод текстового реквизита выхода");
  r.Sk = list("Sk" + n);
  r.TInp = list("TInp" + n);
  r.Razm = list("Razm" + n);
  r.NSK = edit("NSK" + n, kValueWidth);
  r.VSK = edit("VSK" + n, kValueWidth);
  r.MinSk = list("MinSk" + n);
  r.MaxSk = list("MaxSk" + n);
  for (int s = 0; s < 4; ++s)
    r.Ust[static_cast<size_t>(s)] = edit(QString("Ust%1%2").arg(n, kSetpointNames[s]), kValueWidth);
  r.ZonaIns = edit("ZonaIns" + n, kValueWidth);

  // Value fields: white again on any key, no shifted digits, Enter moves on.
  std::vector<QLineEdit*> values{r.NSK, r.VSK, r.Ust[0], r.Ust[1], r.Ust[2], r.Ust[3], r.ZonaIns};
  for (QLineEdit* v : values) {
    new KeyFilter(
        v,
        [this](const QKeyEvent& key, QWidget* field) {
          PaintField(field, Qt::white);
          auto* edit = static_cast<QLineEdit*>(field);
          const bool typesCharacter = !key.text().isEmpty() && key.text().at(0).isPrint();
          if (typesCharacter && edit->text().size() - edit->selectedText().size() >= kValueWidth) {
            return KeyVerdict::Refuse;
          }
          if (IsEnter(key)) {
            return ControlText(field).isEmpty() ? KeyVerdict::Refuse : KeyVerdict::Enter;
          }
          return FilterShiftDigitKey(key, field, ui_);
        },
        [v] { FocusNext(v); });
  }
  new KeyFilter(
      r.Poz,
      [](const QKeyEvent& key, QWidget*) { return IsEnter(key) ? KeyVerdict::Enter : KeyVerdict::Accept; },
      [p = r.Poz] { FocusNext(p); });

  onLeaving(r.Poz, [this, c] { leavePosition(c); });
  onLeaving(r.NSK, [this, c, f = r.NSK] { leaveValue(c, f, AnalogValue::ScaleMin, 0); });
  onLeaving(r.VSK, [this, c, f = r.VSK] { leaveValue(c, f, AnalogValue::ScaleMax, 1); });
  for (int s = 0; s < 4; ++s) {
    QLineEdit* f = r.Ust[static_cast<size_t>(s)];
    onLeaving(f, [this, c, f, s] { leaveValue(c, f, kSetpoints[s], kSetpointKind); });
  }
  onLeaving(r.ZonaIns, [this, c] { leaveDeadZone(c); });
  for (QComboBox* l : {r.Sk, r.MinSk, r.MaxSk}) onLeaving(l, [this, l] { leaveList(l); });

  connect(r.Sk, QOverload<int>::of(&QComboBox::activated), this, [this, c](int i) { onScaleChosen(c, i); });
  connect(r.MinSk, QOverload<int>::of(&QComboBox::activated), this,
          [this, c](int i) { onScaleMinChosen(c, i); });
  connect(r.MaxSk, QOverload<int>::of(&QComboBox::activated), this,
          [this, c](int i) { onScaleMaxChosen(c, i); });
  connect(r.Razm, QOverload<int>::of(&QComboBox::activated), this,
          [this, c](int i) { mba_.SetUnitIndex(Index(), c, i); });
  connect(r.TInp, QOverload<int>::of(&QComboBox::activated), this,
          [this, c](int i) { mba_.SetInputSignal(Index(), c, i); });
  return r;
}

// --- opening ---------------------------------------------------------------------------

void AnalogModuleWindow::Prepare(int slot, int module, int moduleType, const QString& inputsText) {
  slot_ = slot;
  module_ = std::clamp(module, 1, AnalogModules::kModules);
  type_ = moduleType;
  mba_.CurrentSlot = slot;
  mba_.Unchanged[static_cast<size_t>(Index())] = 1;
  cancelled_ = false;  // an earlier "Отмена" must not throw away this opening's edits
  LabNMod->setText(QString::number(module_));
  LabTMod->setText(QString::fromStdString(AnalogModuleIdent(moduleType)));
  inputsText_ = inputsText;
  LabN->setText("входы " + inputsText);
  Fill();
  EnableReplace(mba_.CanReplaceModule(type_));
}

int AnalogModuleWindow::Open(int slot, int module, int moduleType, const QString& inputsText) {
  Prepare(slot, module, moduleType, inputsText);
  return exec();
}

void AnalogModuleWindow::Fill() {
  const int m = Index();
  const bool lk9 = type_ == AnalogModules::kTypeLK9;
  const bool inputSignal = type_ == AnalogModules::kTypeLK7 || type_ == AnalogModules::kTypeLK10;
  Label10->setVisible(inputSignal);
  Label12->setVisible(!lk9);
  const auto units = mba_.FillUnitsList();
  for (int c = 0; c < kAnalogChannelCount; ++c) {
    const ChannelRow& r = Rows[static_cast<size_t>(c)];
    const int signal = (module_ - 1) * kAnalogChannelCount + c;
    r.Label->setToolTip(QString("номер аналогового сигнала в базе %1 (адрес 0x%2)")
                            .arg(signal + 1)
                            .arg(QString("%1").arg(signal, 2, 16, QChar('0')).toUpper()));
    r.Razm->clear();
    for (const std::string& u : units) r.Razm->addItem(QString::fromStdString(u));
    r.Razm->setCurrentIndex(mba_.GetUnitIndex(m, c));
    r.Poz->setText(QString::fromStdString(mba_.GetPosition(m, c)));
    r.NSK->setText(QString::fromStdString(mba_.GetScaleMin(m, c)));
    r.VSK->setText(QString::fromStdString(mba_.GetScaleMax(m, c)));
    for (int s = 0; s < 4; ++s) {
      r.Ust[static_cast<size_t>(s)]->setText(
          QString::fromStdString(FormatAnalogValue(mba_.GetValue(m, c, kSetpoints[s]))));
    }
    r.TInp->setVisible(inputSignal);
    r.ZonaIns->setVisible(!lk9);
    if (lk9) {
      FillList(r.Sk, AnalogModules::kSensorTypeNames, mba_.GetScaleKind(m, c));
      ShowScaleKind(c);
    } else {
      FillList(r.Sk, AnalogModules::kScaleKindNames, mba_.GetScaleKind(m, c));
      r.MinSk->hide();
      r.MaxSk->hide();
      r.NSK->show();
      r.VSK->show();
      r.ZonaIns->setText(QString::number(mba_.GetDeadZone(m, c)));
      if (type_ == AnalogModules::kTypeLK7) {
        FillList(r.TInp, AnalogModules::kPressureSignalNames, mba_.GetInputSignal(m, c));
      } else if (type_ == AnalogModules::kTypeLK10) {
        FillList(r.TInp, AnalogModules::kCurrentSignalNames, mba_.GetInputSignal(m, c));
      }
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{r.Poz, r.Sk, r.TInp, r.Razm, r.NSK, r.VSK, r.MinSk, r.MaxSk,
                                         r.Ust[0], r.Ust[1], r.Ust[2], r.Ust[3], r.ZonaIns}) {
      PaintField(w, Qt::white);
    }
  }
}

bool AnalogModuleWindow::UsesRangeLists(int c) const {
  return type_ == AnalogModules::kTypeLK9 && !AnalogModules::IsFreeRangeSensor(mba_.GetScaleKind(Index(), c));
}

void AnalogModuleWindow::ShowScaleKind(int c) {
  const ChannelRow& r = Rows[static_cast<size_t>(c)];
  const bool lists = UsesRangeLists(c);
  r.MinSk->setVisible(lists);
  r.MaxSk->setVisible(lists);
  r.NSK->setVisible(!lists);
  r.VSK->setVisible(!lists);
  if (lists) FillRangeLists(c);
}

void AnalogModuleWindow::FillRangeLists(int c) {
  const ChannelRow& r = Rows[static_cast<size_t>(c)];
  const int sensor = mba_.GetScaleKind(Index(), c);
  const int rangeIndex = mba_.GetRangeIndex(Index(), c);
  const AnalogModules::RangeLists lists = AnalogModules::FillRangeLists(sensor, rangeIndex);
  FillNumbers(r.MinSk, lists.minima);
  FillNumbers(r.MaxSk, lists.maxima);
}

// --- storing edits ------------------------------------------------------------------------

void AnalogModuleWindow::MarkEdited() { mba_.Unchanged[static_cast<size_t>(Index())] = 0; }

void AnalogModuleWindow::leavePosition(int c) {
  mba_.SetPosition(Index(), c, Rows[static_cast<size_t>(c)].Poz->text().toStdString());
}

void AnalogModuleWindow::leaveValue(int c, QLineEdit* field, AnalogValue which, int kind) {
  const int m = Index();
  const QString stored = QString::fromStdString(FormatAnalogValue(mba_.GetValue(m, c, which)));
  double value = 0;
  const NumberTextError check = ServiceBlock::CheckNumberText(field->text().toStdString(), kind, &value);
  if (check != NumberTextError::None) {
    if (check == NumberTextError::Invalid) ReportInputError(field, ui_);
    field->setText(stored);
    return;
  }
  const bool scale = which == AnalogValue::ScaleMin || which == AnalogValue::ScaleMax;
  if (scale && type_ == AnalogModules::kTypeLK9 &&
      (value > AnalogModules::kFreeRangeMax || value < AnalogModules::kFreeRangeMin)) {
    ReportInputError(field, ui_);
    field->setText(stored);
    return;
  }
  mba_.SetValue(m, c, which, static_cast<float>(value));
}

void AnalogModuleWindow::leaveDeadZone(int c) {
  QLineEdit* field = Rows[static_cast<size_t>(c)].ZonaIns;
  double value = 0;
  const NumberTextError check =
      ServiceBlock::CheckNumberText(field->text().toStdString(), kDeadZoneKind, &value);
  if (check != NumberTextError::None) {
    if (check == NumberTextError::Invalid) ReportInputError(field, ui_);
    field->setText(QString::number(mba_.GetDeadZone(Index(), c)));
    return;
  }
  mba_.SetDeadZone(Index(), c, static_cast<int>(value));
}

void AnalogModuleWindow::leaveList(QComboBox* list) {
  if (list->isVisible() && list->currentText().isEmpty()) FlashField(list, ui_);
}

void AnalogModuleWindow::onScaleChosen(int c, int index) {
  const int m = Index();
  if (index < 0 || index >= Rows[static_cast<size_t>(c)].Sk->count()) return;
  Rows[static_cast<size_t>(c)].Sk->setCurrentIndex(index);
  if (index == mba_.GetScaleKind(m, c)) return;
  MarkEdited();
  if (type_ != AnalogModules::kTypeLK9) {
    mba_.SetScaleKind(m, c, index);
    return;
  }
  if (!mba_.ChooseSensorType(m, c, index)) return;
  const ChannelRow& r = Rows[static_cast<size_t>(c)];
  if (AnalogModules::IsFreeRangeSensor(index)) {
    r.NSK->setText(QString::number(AnalogModules::kFreeRangeMin));
    r.VSK->setText(QString::number(AnalogModules::kFreeRangeMax));
  }
  ShowScaleKind(c);
}

void AnalogModuleWindow::onScaleMinChosen(int c, int index) {
  const ChannelRow& r = Rows[static_cast<size_t>(c)];
  if (index < 0 || index >= r.MinSk->count()) return;
  r.MinSk->setCurrentIndex(index);
  MarkEdited();
  FillNumbers(r.MaxSk, mba_.ChooseRangeMinimum(Index(), c, r.MinSk->itemText(index).toInt()));
}

void AnalogModuleWindow::onScaleMaxChosen(int c, int index) {
  const ChannelRow& r = Rows[static_cast<size_t>(c)];
  if (index < 0 || index >= r.MaxSk->count()) return;
  r.MaxSk->setCurrentIndex(index);
  MarkEdited();
  mba_.ChooseRangeMaximum(Index(), c, r.MinSk->currentText().toInt(), r.MaxSk->itemText(index).toInt());
}

// --- closing ------------------------------------------------------------------------------

bool AnalogModuleWindow::CheckScaleFields() {
  bool error = false;
  for (int c = 0; c < kAnalogChannelCount; ++c) {
    const ChannelRow& r = Rows[static_cast<size_t>(c)];
    if (UsesRangeLists(c)) continue;
    for (QLineEdit* f : {r.NSK, r.VSK}) {
      if (f->text().isEmpty()) {
        ReportInputError(f, ui_);
        error = true;
      }
    }
  }
  for (int c = 0; c < kAnalogChannelCount; ++c) {
    const ChannelRow& r = Rows[static_cast<size_t>(c)];
    if (UsesRangeLists(c)) {
      for (QComboBox* l : {r.MinSk, r.MaxSk}) {
        if (l->currentText().isEmpty()) {
          FlashField(l, ui_);
          error = true;
        }
      }
      continue;
    }
    for (QLineEdit* f : {r.NSK, r.VSK}) {
      if (!f->text().isEmpty() && !ParseDecimal(f->text().toStdString())) {
        ReportInputError(f, ui_, QString("'%1' is not a valid floating point value").arg(f->text()));
        return false;  // the window stays open
      }
    }
  }
  if (error) ModalResult = kResultError;
  return true;
}

bool AnalogModuleWindow::canClose() {
  StoreFocusedField(Rows[0].Poz);
  ModalResult = kResultNormal;
  auto block = std::make_shared<AnalogModuleBlock>(mba_, reserve_, port_, service_.CurrentDevice, Index());
  if (cancelled_) return CloseWith(block, kAnalogSendQuestion);
  for (int c = 0; c < kAnalogChannelCount; ++c) {
    leavePosition(c);
    if (type_ == AnalogModules::kTypeLK7 || type_ == AnalogModules::kTypeLK10) {
      const int signal = Rows[static_cast<size_t>(c)].TInp->currentIndex();
      if (signal >= 0) mba_.SetInputSignal(Index(), c, signal);
    }
  }
  if (!CheckScaleFields()) return false;
  if (ModalResult == kResultError) {
    return ui_.Ask({"Подтвердите окончание программирования", "Ошибка программирования \nЗакончить?",
                    Icon::Question, Buttons::YesNo, Answer::No}) == Answer::Yes;
  }
  return CloseWith(block, kAnalogSendQuestion);
}

// --- copy and replace ---------------------------------------------------------------------

void AnalogModuleWindow::copyModuleBase() {
  StoreFocusedField(Rows[0].Poz);
  mba_.CopyModule(Index(), type_, copies_.ModuleRecords[static_cast<size_t>(Index())]);
  EnableReplace(mba_.CanReplaceModule(type_));
}

void AnalogModuleWindow::replaceModuleBase() {
  if (!mba_.CanReplaceModule(type_)) return;
  const auto& copied = copies_.ModuleRecords[static_cast<size_t>(std::clamp(mba_.CopiedModule, 0, 7))];
  if (!mba_.ReplaceModule(Index(), copied)) return;
  Fill();
}

// --- live values and calibration ----------------------------------------------------------

void AnalogModuleWindow::openOnline() {
  if (RefuseOnlineInFileMode()) return;
  StoreFocusedField(Rows[0].Poz);
  BackgroundExchange(worker_, ui_, this)
      .RunFor(
          windowTitle(), ExchangeKind::Read,
          [this, device = service_.CurrentDevice, module = module_, type = type_](Interaction&) {
            return ReadOnlineValues(port_, device, mba_, module, type);
          },
          [this](int result) {
            if (result != kResultOk) {
              port_.ShowError(ui_, service_.CurrentDevice, result);
              return;
            }
            OpenCalibration();
          });
}

void AnalogModuleWindow::OpenCalibration() {
  std::array<QString, kAnalogChannelCount> positions, units;
  for (size_t c = 0; c < positions.size(); ++c) {
    positions[c] = Rows[c].Poz->text();
    units[c] = Rows[c].Razm->currentText();
  }
  kalibr_.Prepare(module_, type_, LabTMod->text(), positions, units);
  BackgroundExchange(worker_, ui_, this)
      .RunFor(
          windowTitle(), ExchangeKind::Read,
          [this, device = service_.CurrentDevice, module = module_](Interaction&) {
            return ReadCalibrationCodes(port_, device, mba_, module);
          },
          [this](int result) {
            if (result != kResultOk)
              ui_.Show(kCaptionWarning, "Модуль не обслуживает запрос кодов АЦП", Icon::Warning);
            kalibr_.DrawRows();
            if (kalibr_.Open() == kResultError)
              ui_.Show(kCaptionError, "калибровка закончена с ошибкой", Icon::Error);
          });
}

// --- report -------------------------------------------------------------------------------

void AnalogModuleWindow::printReport() {
  StoreFocusedField(Rows[0].Poz);
  const std::string title = ReportTitle ? ReportTitle() : std::string();
  SaveAndPrintReport(AnalogModuleReport(mba_, module_, type_, title, inputsText_.toStdString()), DialSaveFile,
                     ui_, PrintReport);
}

}  // namespace zul
