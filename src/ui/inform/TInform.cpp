#include "ui/inform/TInform.h"

#include <QAction>
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
#include "core/link/TComPortClass.h"
#include "ui/discrete/SignalDialogs.h"
#include "ui/widgets/ExchangeGate.h"

namespace zul {

namespace {

constexpr const char* kReportButtonText = "Создание и печать файла .rtf";
constexpr int kTextColumn = 3;
constexpr int kIdentifierColumn = 1;

QString Q(const std::string& s) { return QString::fromStdString(s); }

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
  d.FormSig = new TFormSig(model.Serv, model.ProgZul, ui, parent);
  d.FormZa = new TFormZa(model.ProgZul, ui, parent);
  d.FormVyh = new TFormVyh(model.ProgZul, parent);
  d.FormVkl = new TFormVkl(model.ProgZul, parent);
  d.FormText = new TFormText(model.Serv, model.ProgZul, parent);
  d.FormTextMR = new TFormTextMR(model.Serv, model.ProgZul, parent);
  d.FormVh = new TFormVh(model.Serv, ui, parent);
  d.FormInfOut = new TFormInfOut(model.ProgMR, model.ProgZul, parent);
  d.FormInfAn = new TFormInfAn(parent);
  d.FormInfNetAn = new TFormInfNetAn(parent);
  TFormInfOut* info = d.FormInfOut;
  d.FormVyh->ShowOutputInfo = [info] {
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

// --- TInform -------------------------------------------------------------------------

TInform::TInform(Configuration& model, TComPortClass& port, ExchangeGate& gate, Interaction& ui,
                 const SignalDialogSet& dialogs, QWidget* parent)
    : InformWindow(model, ui, dialogs, "Inform", kInformCaption, parent), port_(port), gate_(gate) {
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

  connect(BNew1, &QPushButton::clicked, this, &TInform::BNew1Click);
  connect(BNew2, &QPushButton::clicked, this, &TInform::BNew2Click);
  connect(CopyTextGroup, &QAction::triggered, this, &TInform::CopyTextGroupClick);
  connect(InsertTextGroup, &QAction::triggered, this, &TInform::InsertTextGroupClick);
  connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { StringGrid1DblClick(); });
  connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    rememberedColumn_ = StringGrid1->currentColumn();
    PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(at));
  });
  StringGrid1->viewport()->installEventFilter(this);
}

bool TInform::eventFilter(QObject* watched, QEvent* event) {
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

void TInform::Fill(RelayColumn relay) {
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

int TInform::Open(RelayColumn relay) {
  Fill(relay);
  return exec();
}

void TInform::showEvent(QShowEvent* event) {
  InformWindow::showEvent(event);
  StringGrid1->setFocus();
}

void TInform::StringGrid1DblClick() {
  const int c = StringGrid1->currentColumn();
  const int r = StringGrid1->currentRow();
  rememberedColumn_ = c;
  if (r < 1 || r > model_.Serv.SignalCount) return;
  if (c == kIdentifierColumn && r > model_.Serv.DiCount) ShowInputInfo(r);
  if (c == kTextColumn) EditText(r);
}

void TInform::ShowInputInfo(int r) {
  const InputInfo info = DescribeInput(model_, r - 1);
  TFormInfInput* dialog = nullptr;
  if (r <= model_.Serv.DiCount + 24 * model_.Serv.AiModules)
    dialog = dialogs_.FormInfAn;
  else
    dialog = dialogs_.FormInfNetAn;
  if (!dialog) return;
  dialog->Prepare(info);
  dialog->exec();
}

void TInform::EditText(int r) {
  TFormText* dialog = dialogs_.FormText;
  if (!dialog) return;
  TServClass& serv = model_.Serv;
  const int s = r - 1;
  dialog->Label2->setText(RecordHeader(s, Q(serv.GetIdentifier(s))));
  dialog->EditText->setText(Q(serv.GetText(s)));
  if (dialog->exec() != kDialogClosed) return;
  serv.SetText(s, dialog->EditText->text().toStdString());
  SetCell(StringGrid1, r, kTextColumn, serv.GetText(s));
  ExchangeGate::Scope scope(gate_);
  SendEditedSignalText(model_, port_, ui_, s, [this](int value) {
    if (value < 0) {
      ProgressBar1->hide();
      return;
    }
    ProgressBar1->setValue(value);
    ProgressBar1->show();
    ProgressBar1->repaint();
  });
}

void TInform::CopyTextGroupClick() {
  if (rememberedColumn_ != kTextColumn) return;
  TFormVh* vh = dialogs_.FormVh;
  if (!vh) return;
  const int result = vh->Run("Ввод номеров группы текстовых реквизитов", TFormVh::Range);
  if (result == kDialogRefused || result == kDialogCancel) return;
  if (CopySignalTexts(model_, ui_, TFormVh::Number(vh->Edit1), TFormVh::Number(vh->Edit2)))
    InsertTextGroup->setEnabled(true);
}

void TInform::InsertTextGroupClick() {
  model_.ProgZul.Modified = 1;
  TFormVh* vh = dialogs_.FormVh;
  if (!vh) return;
  const int result = vh->Run("Ввод начального № вставки", TFormVh::Start);
  if (result == kDialogRefused || result == kDialogCancel) return;
  if (ReplaceSignalTexts(model_, ui_, TFormVh::Number(vh->Edit3)) > 0) RefreshTexts();
}

void TInform::RefreshTexts() {
  const int count = std::min(model_.Serv.SignalCount, kInformSignalRows);
  for (int s = 0; s < count; ++s) SetCell(StringGrid1, s + 1, kTextColumn, model_.Serv.GetText(s));
}

Report TInform::DiscreteReport() const {
  std::vector<SignalRow> rows;
  const int count = std::min(model_.Serv.SignalCount, kInformSignalRows);
  for (int r = 1; r <= count; ++r) {
    SignalRow row;
    for (int c = 0; c < 5; ++c) row[static_cast<size_t>(c)] = CellText(StringGrid1, r, c);
    rows.push_back(row);
  }
  return SignalReport(Title(), rows);
}

Report TInform::AnalogReport() const {
  std::vector<AnalogRow> rows;
  for (int r = 1; r <= kInformAnalogRows; ++r) {
    AnalogRow row;
    for (int c = 0; c < 4; ++c) row[static_cast<size_t>(c)] = CellText(StringGrid2, r, c);
    rows.push_back(row);
  }
  return zul::AnalogReport(Title(), rows, model_.Serv.AnalogSignalCount);
}

void TInform::BNew1Click() { RunReport(DiscreteReport()); }
void TInform::BNew2Click() { RunReport(AnalogReport()); }

// --- TInformMR -----------------------------------------------------------------------

TInformMR::TInformMR(Configuration& model, Interaction& ui, const SignalDialogSet& dialogs, QWidget* parent)
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

  connect(NameFromFile, &QPushButton::clicked, this, &TInformMR::NameFromFileClick);
  connect(BNew, &QPushButton::clicked, this, &TInformMR::BNewClick);
  connect(CopyTextGroup, &QAction::triggered, this, &TInformMR::CopyTextGroupClick);
  connect(InsertTextGroup, &QAction::triggered, this, &TInformMR::InsertTextGroupClick);
  connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { StringGrid1DblClick(); });
  connect(StringGrid1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(StringGrid1->viewport()->mapToGlobal(at)); });
}

void TInformMR::Fill() {
  for (int r = 2; r < kInformOutputRows + 2; ++r)
    for (int c = 0; c < 12; ++c) SetCell(StringGrid1, r, c, {});
  const std::vector<OutputRow> rows = OutputRows(model_);
  for (size_t o = 0; o < rows.size(); ++o)
    for (int c = 0; c < 12; ++c)
      SetCell(StringGrid1, static_cast<int>(o) + 2, c, rows[o][static_cast<size_t>(c)]);
  StringGrid1->resizeColumnsToContents();
  StringGrid1->setColumnWidth(1, std::max(StringGrid1->columnWidth(1), TextColumnWidth(StringGrid1)));
}

int TInformMR::Open() {
  Fill();
  return exec();
}

void TInformMR::showEvent(QShowEvent* event) {
  InformWindow::showEvent(event);
  StringGrid1->setFocus();
}

void TInformMR::StringGrid1DblClick() {
  const int r = StringGrid1->currentRow();
  if (StringGrid1->currentColumn() != 1) return;
  if (r < 2 || r > std::min(model_.Serv.DoCount, kInformOutputRows) + 1) return;
  TFormTextMR* dialog = dialogs_.FormTextMR;
  if (!dialog) return;
  TServClass& serv = model_.Serv;
  const int o = r - 2;
  dialog->Label2->setText(RecordHeader(o, Q(serv.GetOutputIdentifier(o))));
  dialog->EditText->setText(Q(serv.GetOutputText(o)));
  if (dialog->exec() != kDialogClosed) return;
  serv.SetOutputText(o, dialog->EditText->text().toStdString());
  SetCell(StringGrid1, r, 1, serv.GetOutputText(o));
  // Output texts travel only in the configuration file.
  if (serv.OutTextChanged == 1 && serv.FileMode == 1) serv.FileChanged = 1;
}

void TInformMR::CopyTextGroupClick() {
  TFormVh* vh = dialogs_.FormVh;
  if (!vh) return;
  const int result = vh->Run("Ввод номеров группы текстовых реквизитов", TFormVh::Range);
  if (result == kDialogRefused || result == kDialogCancel) return;
  if (CopyOutputTexts(model_, ui_, TFormVh::Number(vh->Edit1), TFormVh::Number(vh->Edit2)))
    InsertTextGroup->setEnabled(true);
}

void TInformMR::InsertTextGroupClick() {
  model_.ProgZul.Modified = 1;
  TFormVh* vh = dialogs_.FormVh;
  if (!vh) return;
  const int result = vh->Run("Ввод начального № вставки", TFormVh::Start);
  if (result == kDialogRefused || result == kDialogCancel) return;
  if (ReplaceOutputTexts(model_, ui_, TFormVh::Number(vh->Edit3)) > 0) RefreshTexts();
}

void TInformMR::RefreshTexts() {
  const int count = std::min(model_.Serv.DoCount, kInformOutputRows);
  for (int o = 0; o < count; ++o) SetCell(StringGrid1, o + 2, 1, model_.Serv.GetOutputText(o));
}

void TInformMR::NameFromFileClick() {
  const QString path = DialOpenFile(FileDialogRequest{false, "Наименование из файла", QString()});
  if (path.isEmpty()) return;
  if (LoadOutputNamesFromFile(model_, ui_, path.toStdString()) == NamesLoad::Loaded) RefreshTexts();
}

Report TInformMR::OutputsReport() const {
  std::vector<OutputRow> rows;
  const int count = std::min(model_.Serv.DoCount, kInformOutputRows);
  for (int r = 2; r < count + 2; ++r) {
    OutputRow row;
    for (int c = 0; c < 12; ++c) row[static_cast<size_t>(c)] = CellText(StringGrid1, r, c);
    rows.push_back(row);
  }
  return OutputReport(Title(), rows);
}

void TInformMR::BNewClick() { RunReport(OutputsReport()); }

}  // namespace zul
