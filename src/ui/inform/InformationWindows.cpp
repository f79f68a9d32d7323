#include "ui/inform/InformationWindows.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "core/config/InputInfo.h"
#include "core/link/ModbusLink.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/widgets/QtText.h"

namespace zul {

namespace {

constexpr const char* kReportButtonText = "Создание и печать файла .rtf";
constexpr int kTextColumn = 3;
constexpr int kIdentifierColumn = 1;

// Room for a text of 14 characters and a little more.
int TextColumnWidth(const QTableWidget* grid) {
  return grid->fontMetrics().horizontalAdvance(QString(16, 'W'));
}

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  return b;
}

QLabel* Caption(const char* name, const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
  return l;
}

}  // namespace

SignalDialogSet CreateSignalDialogs(Configuration& model, Interaction& ui, QWidget* parent) {
  SignalDialogSet d;
  d.alarmTypeDialog = new AlarmTypeDialog(model.service, model.discreteProcessing, ui, parent);
  d.delayDialog = new DelayDialog(model.discreteProcessing, ui, parent);
  d.relayOutputsDialog = new RelayOutputsDialog(model.discreteProcessing, parent);
  d.archivingDialog = new ArchivingDialog(model.discreteProcessing, parent);
  d.inputTextDialog = new InputTextDialog(model.service, model.discreteProcessing, parent);
  d.outputTextDialog = new OutputTextDialog(model.service, model.discreteProcessing, parent);
  d.signalNumberDialog = new SignalNumberDialog(model.service, ui, parent);
  d.relayOutputInfoDialog = new RelayOutputInfoDialog(model.relayModules, model.discreteProcessing, parent);
  d.analogInputInfoDialog = new AnalogInputInfoDialog(parent);
  d.networkInputInfoDialog = new NetworkInputInfoDialog(parent);
  RelayOutputInfoDialog* info = d.relayOutputInfoDialog;
  d.relayOutputsDialog->ShowOutputInfo = [info] {
    info->Prepare();
    info->exec();
  };
  return d;
}

// --- InformWindow --------------------------------------------------------------------

InformWindow::InformWindow(Configuration& model, Interaction& ui, const SignalDialogSet& dialogs,
                           const char* name, const QString& caption, QWidget* parent)
    : QDialog(parent), model_(model), ui_(ui), dialogs_(dialogs) {
  setObjectName(name);
  setWindowTitle(caption);
  setModal(true);
  DialSaveFile = QtReportFileChooser(this);
  PrintReport = QtReportPrinter(this);
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  CopyTextGroup = PopupMenu1->addAction("Копировать группу текст. реквизитов");
  CopyTextGroup->setObjectName("CopyTextGroup");
  InsertTextGroup = PopupMenu1->addAction("Заменить группу текст. реквизитов");
  InsertTextGroup->setObjectName("InsertTextGroup");
  InsertTextGroup->setEnabled(false);  // until a group was copied
}

std::string InformWindow::Title() const { return ReportTitle ? ReportTitle() : std::string(); }

ReportOutcome InformWindow::RunReport(const Report& report) {
  return SaveAndPrintReport(report, DialSaveFile, ui_, PrintReport);
}

QTableWidget* InformWindow::MakeGrid(const char* name, int columns, int rows, int headerRows) {
  auto* grid = new QTableWidget(rows, columns, this);
  grid->setObjectName(name);
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
  grid->setContextMenuPolicy(Qt::CustomContextMenu);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      auto* item = new QTableWidgetItem;
      if (r < headerRows) {
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(palette().button());
      }
      grid->setItem(r, c, item);
    }
  return grid;
}

void InformWindow::SetCell(QTableWidget* grid, int row, int column, const std::string& text) {
  if (QTableWidgetItem* item = grid->item(row, column)) item->setText(Q(text));
}

std::string InformWindow::CellText(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text().toStdString() : std::string();
}

// --- InputsWindow -------------------------------------------------------------------------

InputsWindow::InputsWindow(Configuration& model, ModbusLink& port, LinkWorker& worker, Interaction& ui,
                           const SignalDialogSet& dialogs, QWidget* parent)
    : InformWindow(model, ui, dialogs, "Inform", kInformCaption, parent), port_(port), worker_(worker) {
  Label1 = Caption("Label1", kSignalTableCaption, this);
  StringGrid1 = MakeGrid("StringGrid1", 5, kInformSignalRows + 1, 1);
  Label2 = Caption("Label2", kAnalogTableCaption, this);
  StringGrid2 = MakeGrid("StringGrid2", 4, kInformAnalogRows + 1, 1);
  for (int c = 0; c < 5; ++c) SetCell(StringGrid1, 0, c, kSignalHeader[static_cast<size_t>(c)]);
  for (int c = 0; c < 4; ++c) SetCell(StringGrid2, 0, c, kAnalogHeader[static_cast<size_t>(c)]);
  StringGrid1->resizeColumnsToContents();
  StringGrid1->setColumnWidth(kTextColumn, TextColumnWidth(StringGrid1));
  StringGrid2->resizeColumnsToContents();
  StringGrid2->setColumnWidth(kTextColumn, TextColumnWidth(StringGrid2));
  BNew1 = Button("BNew1", kReportButtonText, this);
  BNew2 = Button("BNew2", kReportButtonText, this);
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setRange(0, 100);
  ProgressBar1->hide();

  auto* layout = new QHBoxLayout(this);
  const std::pair<QLabel*, QTableWidget*> tables[] = {{Label1, StringGrid1}, {Label2, StringGrid2}};
  QPushButton* buttons[] = {BNew1, BNew2};
  for (size_t k = 0; k < 2; ++k) {
    auto* column = new QVBoxLayout;
    column->addWidget(tables[k].first, 0, Qt::AlignHCenter);
    column->addWidget(tables[k].second, 1);
    column->addWidget(buttons[k]);
    layout->addLayout(column, k == 0 ? 3 : 2);
  }
  auto* side = new QVBoxLayout;
  side->addStretch();
  side->addWidget(ProgressBar1);
  layout->addLayout(side);
  resize(1000, 640);

  connect(BNew1, &QPushButton::clicked, this, &InputsWindow::reportDiscreteInputs);
  connect(BNew2, &QPushButton::clicked, this, &InputsWindow::reportAnalogInputs);
  connect(CopyTextGroup, &QAction::triggered, this, &InputsWindow::copyTextGroup);
  connect(InsertTextGroup, &QAction::triggered, this, &InputsWindow::insertTextGroup);
  connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { onRowDoubleClicked(); });
  connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    rememberedColumn_ = StringGrid1->currentColumn();
    PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(at));
  });
  StringGrid1->viewport()->installEventFilter(this);
}

bool InputsWindow::eventFilter(QObject* watched, QEvent* event) {
  // A right click makes its cell the current one before the menu opens.
  if (watched == StringGrid1->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton) {
      const QModelIndex at = StringGrid1->indexAt(mouse->position().toPoint());
      if (at.isValid()) StringGrid1->setCurrentCell(at.row(), at.column());
    }
  }
  return InformWindow::eventFilter(watched, event);
}

void InputsWindow::Fill(RelayColumn relay) {
  for (int r = 1; r <= kInformSignalRows; ++r)
    for (int c = 0; c < 5; ++c) SetCell(StringGrid1, r, c, {});
  for (int r = 1; r <= kInformAnalogRows; ++r)
    for (int c = 0; c < 4; ++c) SetCell(StringGrid2, r, c, {});
  const std::vector<SignalRow> signalRows = SignalRows(model_, relay);
  for (size_t i = 0; i < signalRows.size(); ++i)
    for (int c = 0; c < 5; ++c)
      SetCell(StringGrid1, static_cast<int>(i) + 1, c, signalRows[i][static_cast<size_t>(c)]);
  const std::vector<AnalogRow> analogRows = AnalogRows(model_);
  for (size_t i = 0; i < analogRows.size(); ++i)
    for (int c = 0; c < 4; ++c)
      SetCell(StringGrid2, static_cast<int>(i) + 1, c, analogRows[i][static_cast<size_t>(c)]);
  for (QTableWidget* grid : {StringGrid1, StringGrid2}) {
    grid->resizeColumnsToContents();
    grid->setColumnWidth(kTextColumn, std::max(grid->columnWidth(kTextColumn), TextColumnWidth(grid)));
  }
}

int InputsWindow::Open(RelayColumn relay) {
  Fill(relay);
  return exec();
}

void InputsWindow::showEvent(QShowEvent* event) {
  InformWindow::showEvent(event);
  StringGrid1->setFocus();
}

void InputsWindow::onRowDoubleClicked() {
  const int c = StringGrid1->currentColumn();
  const int r = StringGrid1->currentRow();
  rememberedColumn_ = c;
  if (r < 1 || r > model_.service.SignalCount) return;
  if (c == kIdentifierColumn && r > model_.service.DiCount) ShowInputInfo(r);
  if (c == kTextColumn) EditText(r);
}

void InputsWindow::ShowInputInfo(int r) {
  const InputInfo info = DescribeInput(model_, r - 1);
  InputInfoDialog* dialog = nullptr;
  if (r <= model_.service.DiCount + 24 * model_.service.AiModules)
    dialog = dialogs_.analogInputInfoDialog;
  else
    dialog = dialogs_.networkInputInfoDialog;
  if (!dialog) return;
  dialog->Prepare(info);
  dialog->exec();
}

void InputsWindow::EditText(int r) {
  InputTextDialog* dialog = dialogs_.inputTextDialog;
  if (!dialog) return;
  ServiceBlock& serv = model_.service;
  const int s = r - 1;
  dialog->Label2->setText(RecordHeader(s, Q(serv.GetIdentifier(s))));
  dialog->EditText->setText(Q(serv.GetText(s)));
  if (dialog->exec() != kDialogClosed) return;
  serv.SetText(s, dialog->EditText->text().toStdString());
  SetCell(StringGrid1, r, kTextColumn, serv.GetText(s));
  // The worker's progress reaches the window's bar on the UI thread.
  QPointer<QProgressBar> bar = ProgressBar1;
  BackgroundExchange(worker_, ui_, this)
      .Run(
          windowTitle(), ExchangeKind::Write,
          [this, s, bar](Interaction& ui) {
            SendEditedSignalText(model_, port_, ui, s, [this, bar](int value) {
              RunOnThreadOf(this, [bar, value] {
                if (!bar) return;
                bar->setVisible(value >= 0);
                bar->setValue(std::max(value, 0));
              });
            });
          },
          [this, bar] {
            QCoreApplication::sendPostedEvents(this);  // no late bar value after the end
            if (bar) bar->hide();
          });
}

void InputsWindow::copyTextGroup() {
  if (rememberedColumn_ != kTextColumn) return;
  SignalNumberDialog* vh = dialogs_.signalNumberDialog;
  if (!vh) return;
  const int result = vh->Run("Ввод номеров группы текстовых реквизитов", SignalNumberDialog::Range);
  if (result == kDialogRefused || result == kDialogCancel) return;
  if (CopySignalTexts(model_, ui_, SignalNumberDialog::Number(vh->Edit1),
                      SignalNumberDialog::Number(vh->Edit2)))
    InsertTextGroup->setEnabled(true);
}

void InputsWindow::insertTextGroup() {
  model_.discreteProcessing.Modified = 1;
  SignalNumberDialog* vh = dialogs_.signalNumberDialog;
  if (!vh) return;
  const int result = vh->Run("Ввод начального № вставки", SignalNumberDialog::Start);
  if (result == kDialogRefused || result == kDialogCancel) return;
  if (ReplaceSignalTexts(model_, ui_, SignalNumberDialog::Number(vh->Edit3)) > 0) RefreshTexts();
}

void InputsWindow::RefreshTexts() {
  const int count = std::min(model_.service.SignalCount, kInformSignalRows);
  for (int s = 0; s < count; ++s) SetCell(StringGrid1, s + 1, kTextColumn, model_.service.GetText(s));
}

Report InputsWindow::DiscreteReport() const {
  std::vector<SignalRow> rows;
  const int count = std::min(model_.service.SignalCount, kInformSignalRows);
  for (int r = 1; r <= count; ++r) {
    SignalRow row;
    for (int c = 0; c < 5; ++c) row[static_cast<size_t>(c)] = CellText(StringGrid1, r, c);
    rows.push_back(row);
  }
  return SignalReport(Title(), rows);
}

Report InputsWindow::AnalogReport() const {
  std::vector<AnalogRow> rows;
  for (int r = 1; r <= kInformAnalogRows; ++r) {
    AnalogRow row;
    for (int c = 0; c < 4; ++c) row[static_cast<size_t>(c)] = CellText(StringGrid2, r, c);
    rows.push_back(row);
  }
  return zul::AnalogReport(Title(), rows, model_.service.AnalogSignalCount);
}

void InputsWindow::reportDiscreteInputs() { RunReport(DiscreteReport()); }
void InputsWindow::reportAnalogInputs() { RunReport(AnalogReport()); }

// --- OutputsWindow -----------------------------------------------------------------------

OutputsWindow::OutputsWindow(Configuration& model, Interaction& ui, const SignalDialogSet& dialogs,
                             QWidget* parent)
    : InformWindow(model, ui, dialogs, "InformMR", kInformMRCaption, parent) {
  Label1 = Caption("Label1", kOutputTableCaption, this);
  StringGrid1 = MakeGrid("StringGrid1", 12, kInformOutputRows + 2, 2);
  for (int c = 0; c < 12; ++c) {
    SetCell(StringGrid1, 0, c, kOutputHeader0[static_cast<size_t>(c)]);
    SetCell(StringGrid1, 1, c, kOutputHeader1[static_cast<size_t>(c)]);
  }
  StringGrid1->resizeColumnsToContents();
  StringGrid1->setColumnWidth(1, TextColumnWidth(StringGrid1));
  NameFromFile = Button("NameFromFile", "Наименование из файла", this);
  BNew = Button("BNew", kReportButtonText, this);
  DialOpenFile = QtFileChooser(this, QString());

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1, 0, Qt::AlignHCenter);
  layout->addWidget(StringGrid1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(NameFromFile);
  buttons->addStretch();
  buttons->addWidget(BNew);
  layout->addLayout(buttons);
  resize(1180, 560);

  connect(NameFromFile, &QPushButton::clicked, this, &OutputsWindow::takeNamesFromFile);
  connect(BNew, &QPushButton::clicked, this, &OutputsWindow::reportOutputs);
  connect(CopyTextGroup, &QAction::triggered, this, &OutputsWindow::copyTextGroup);
  connect(InsertTextGroup, &QAction::triggered, this, &OutputsWindow::insertTextGroup);
  connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { onRowDoubleClicked(); });
  connect(StringGrid1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(at)); });
}

void OutputsWindow::Fill() {
  for (int r = 2; r < kInformOutputRows + 2; ++r)
    for (int c = 0; c < 12; ++c) SetCell(StringGrid1, r, c, {});
  const std::vector<OutputRow> rows = OutputRows(model_);
  for (size_t o = 0; o < rows.size(); ++o)
    for (int c = 0; c < 12; ++c)
      SetCell(StringGrid1, static_cast<int>(o) + 2, c, rows[o][static_cast<size_t>(c)]);
  StringGrid1->resizeColumnsToContents();
  StringGrid1->setColumnWidth(1, std::max(StringGrid1->columnWidth(1), TextColumnWidth(StringGrid1)));
}

int OutputsWindow::Open() {
  Fill();
  return exec();
}

void OutputsWindow::showEvent(QShowEvent* event) {
  InformWindow::showEvent(event);
  StringGrid1->setFocus();
}

void OutputsWindow::onRowDoubleClicked() {
  const int r = StringGrid1->currentRow();
  if (StringGrid1->currentColumn() != 1) return;
  if (r < 2 || r > std::min(model_.service.DoCount, kInformOutputRows) + 1) return;
  OutputTextDialog* dialog = dialogs_.outputTextDialog;
  if (!dialog) return;
  ServiceBlock& serv = model_.service;
  const int o = r - 2;
  dialog->Label2->setText(RecordHeader(o, Q(serv.GetOutputIdentifier(o))));
  dialog->EditText->setText(Q(serv.GetOutputText(o)));
  if (dialog->exec() != kDialogClosed) return;
  serv.SetOutputText(o, dialog->EditText->text().toStdString());
  SetCell(StringGrid1, r, 1, serv.GetOutputText(o));
  // Output texts travel only in the configuration file.
  if (serv.OutTextChanged == 1 && serv.FileMode == 1) serv.FileChanged = 1;
}

void OutputsWindow::copyTextGroup() {
  SignalNumberDialog* vh = dialogs_.signalNumberDialog;
  if (!vh) return;
  const int result = vh->Run("Ввод номеров группы текстовых реквизитов", SignalNumberDialog::Range);
  if (result == kDialogRefused || result == kDialogCancel) return;
  if (CopyOutputTexts(model_, ui_, SignalNumberDialog::Number(vh->Edit1),
                      SignalNumberDialog::Number(vh->Edit2)))
    InsertTextGroup->setEnabled(true);
}

void OutputsWindow::insertTextGroup() {
  model_.discreteProcessing.Modified = 1;
  SignalNumberDialog* vh = dialogs_.signalNumberDialog;
  if (!vh) return;
  const int result = vh->Run("Ввод начального № вставки", SignalNumberDialog::Start);
  if (result == kDialogRefused || result == kDialogCancel) return;
  if (ReplaceOutputTexts(model_, ui_, SignalNumberDialog::Number(vh->Edit3)) > 0) RefreshTexts();
}

void OutputsWindow::RefreshTexts() {
  const int count = std::min(model_.service.DoCount, kInformOutputRows);
  for (int o = 0; o < count; ++o) SetCell(StringGrid1, o + 2, 1, model_.service.GetOutputText(o));
}

void OutputsWindow::takeNamesFromFile() {
  const QString path = DialOpenFile(FileDialogRequest{false, "Наименование из файла", QString()});
  if (path.isEmpty()) return;
  if (LoadOutputNamesFromFile(model_, ui_, path.toStdString()) == NamesLoad::Loaded) RefreshTexts();
}

Report OutputsWindow::OutputsReport() const {
  std::vector<OutputRow> rows;
  const int count = std::min(model_.service.DoCount, kInformOutputRows);
  for (int r = 2; r < count + 2; ++r) {
    OutputRow row;
    for (int c = 0; c < 12; ++c) row[static_cast<size_t>(c)] = CellText(StringGrid1, r, c);
    rows.push_back(row);
  }
  return OutputReport(Title(), rows);
}

void OutputsWindow::reportOutputs() { RunReport(OutputsReport()); }

}  // namespace zul
