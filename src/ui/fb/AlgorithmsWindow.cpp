#include "ui/fb/AlgorithmsWindow.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "core/config/AlgorithmReport.h"
#include "core/config/Configuration.h"
#include "ui/widgets/QtText.h"

namespace zul {
namespace {

constexpr int kMemberColumn = 2;
constexpr Qt::ItemFlags kTypedCell = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
const char* const kReportButtonText = "Создание и печать файла .rtf";

void SetCell(QTableWidget* grid, int row, int column, const std::string& text) {
  if (QTableWidgetItem* item = grid->item(row, column)) item->setText(Q(text));
}

std::string CellText(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text().toStdString() : std::string();
}

}  // namespace

AlgorithmsWindow::AlgorithmsWindow(Configuration& config, Interaction& ui, QWidget* parent)
    : QDialog(parent), config_(config), ui_(ui) {
  setObjectName("FormInfAlg");
  setWindowTitle(kAlgorithmsWindowCaption);
  setModal(true);
  resize(1000, 720);
  DialSaveFile = QtReportFileChooser(this);
  DialOpenFile = QtFileChooser(this, QString());
  PrintReport = QtReportPrinter(this);

  Label1 = new QLabel(kAlgorithmReportCaption, this);
  Label1->setObjectName("Label1");
  StringGrid1 = MakeGrid("StringGrid1", kBlockTableColumns, kHeaderRows);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  BNew1 = new QPushButton(kReportButtonText, this);
  BNew1->setObjectName("BNew1");
  StringGrid2 = MakeGrid("StringGrid2", kAlgorithmTableColumns, kHeaderRows + FunctionBlocks::kCapacity);
  StringGrid2->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
  for (int r = kHeaderRows; r < StringGrid2->rowCount(); ++r)
    for (int c = 0; c < kAlgorithmTableColumns; ++c) StringGrid2->item(r, c)->setFlags(kTypedCell);
  EditingNFB = new QCheckBox("редактирование номеров блоков", this);
  EditingNFB->setObjectName("EditingNFB");
  EditingNFB->setChecked(true);
  NameFromFile = new QPushButton("Конфигурация  алгоритмов из файла", this);
  NameFromFile->setObjectName("NameFromFile");
  BNew2 = new QPushButton(kReportButtonText, this);
  BNew2->setObjectName("BNew2");
  OK = new QPushButton("OK", this);
  OK->setObjectName("OK");

  for (int r = 0; r < kHeaderRows; ++r) {
    const auto& blocks = BlockTableHeader()[static_cast<size_t>(r)];
    for (int c = 0; c < kBlockTableColumns; ++c) SetCell(StringGrid1, r, c, blocks[static_cast<size_t>(c)]);
    const AlgorithmRow& algorithms = AlgorithmTableHeader()[static_cast<size_t>(r)];
    SetCell(StringGrid2, r, 0, algorithms.number);
    SetCell(StringGrid2, r, 1, algorithms.name);
    SetCell(StringGrid2, r, 2, algorithms.members);
  }
  const int ch = StringGrid1->fontMetrics().horizontalAdvance('0');
  const int blockWidths[kBlockTableColumns] = {5, 8, 27, 17, 17, 17, 17};
  for (int c = 0; c < kBlockTableColumns; ++c) StringGrid1->setColumnWidth(c, (blockWidths[c] + 2) * ch);
  StringGrid2->setColumnWidth(0, 6 * ch);
  StringGrid2->setColumnWidth(1, 42 * ch);
  StringGrid2->horizontalHeader()->setStretchLastSection(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(StringGrid1, 3);
  layout->addWidget(BNew1, 0, Qt::AlignLeft);
  layout->addWidget(StringGrid2, 2);
  auto* row = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{BNew2, EditingNFB, NameFromFile}) row->addWidget(w);
  row->addStretch();
  row->addWidget(OK);
  layout->addLayout(row);

  connect(BNew1, &QPushButton::clicked, this, &AlgorithmsWindow::reportBlocks);
  connect(BNew2, &QPushButton::clicked, this, &AlgorithmsWindow::reportAlgorithms);
  connect(NameFromFile, &QPushButton::clicked, this, &AlgorithmsWindow::takeFromFile);
  connect(OK, &QPushButton::clicked, this, &AlgorithmsWindow::finish);
  connect(EditingNFB, &QCheckBox::toggled, this, &AlgorithmsWindow::EnableMemberColumn);
  connect(StringGrid2, &QTableWidget::currentCellChanged, this, [this](int r) {
    if (r >= kHeaderRows && config_.service.FileMode != 0) config_.service.FileChanged = 1;
  });
}

QTableWidget* AlgorithmsWindow::MakeGrid(const char* name, int columns, int rows) {
  auto* grid = new QTableWidget(rows, columns, this);
  grid->setObjectName(name);
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      auto* item = new QTableWidgetItem;
      item->setFlags(r < kHeaderRows ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      if (r < kHeaderRows) item->setBackground(palette().button());
      grid->setItem(r, c, item);
    }
  return grid;
}

void AlgorithmsWindow::EnableMemberColumn(bool on) {
  for (int r = kHeaderRows; r < StringGrid2->rowCount(); ++r)
    StringGrid2->item(r, kMemberColumn)->setFlags(on ? kTypedCell : Qt::ItemFlags(Qt::ItemIsEnabled));
  if (!on && StringGrid2->currentColumn() == kMemberColumn) StringGrid2->setCurrentCell(-1, -1);
}

int AlgorithmsWindow::Open() {
  Fill();
  return exec();
}

void AlgorithmsWindow::Fill() {
  const std::vector<BlockTableRow> blocks = BlockTableRows(config_);
  StringGrid1->setRowCount(kHeaderRows);
  StringGrid1->setRowCount(kHeaderRows + static_cast<int>(blocks.size()));
  for (size_t r = 0; r < blocks.size(); ++r)
    for (int c = 0; c < kBlockTableColumns; ++c) {
      auto* item = new QTableWidgetItem(Q(blocks[r][static_cast<size_t>(c)]));
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      StringGrid1->setItem(kHeaderRows + static_cast<int>(r), c, item);
    }
  ShowRows(AlgorithmRows(config_.functionBlocks));
  StringGrid2->setCurrentCell(-1, -1);
}

void AlgorithmsWindow::ShowRows(const std::vector<AlgorithmRow>& rows) {
  for (int r = kHeaderRows; r < StringGrid2->rowCount(); ++r) {
    const size_t i = static_cast<size_t>(r - kHeaderRows);
    const AlgorithmRow row = i < rows.size() ? rows[i] : AlgorithmRow{};
    SetCell(StringGrid2, r, 0, row.number);
    SetCell(StringGrid2, r, 1, row.name);
    SetCell(StringGrid2, r, 2, row.members);
  }
}

std::vector<AlgorithmRow> AlgorithmsWindow::TypedRows() const {
  std::vector<AlgorithmRow> rows;
  for (int r = kHeaderRows; r < StringGrid2->rowCount(); ++r)
    rows.push_back({CellText(StringGrid2, r, 0), CellText(StringGrid2, r, 1), CellText(StringGrid2, r, 2)});
  return rows;
}

std::vector<BlockTableRow> AlgorithmsWindow::ShownBlocks() const {
  std::vector<BlockTableRow> rows;
  for (int r = kHeaderRows; r < StringGrid1->rowCount(); ++r) {
    BlockTableRow row;
    for (int c = 0; c < kBlockTableColumns; ++c) row[static_cast<size_t>(c)] = CellText(StringGrid1, r, c);
    rows.push_back(row);
  }
  return rows;
}

void AlgorithmsWindow::finish() {
  // A cell still being typed into counts as typed (the close box takes no focus).
  if (QWidget* editor = StringGrid2->focusWidget(); editor && editor != StringGrid2)
    QMetaObject::invokeMethod(StringGrid2, "commitData", Qt::DirectConnection, Q_ARG(QWidget*, editor));
  const AlgorithmTable table = ParseAlgorithmTable(TypedRows(), config_.functionBlocks);
  if (table.Parsed()) {
    ApplyAlgorithmTable(config_.functionBlocks, table);
    QDialog::done(QDialog::Accepted);
    return;
  }
  ui_.Show(std::string(), table.error, Icon::None);
  StringGrid2->setCurrentCell(kHeaderRows + table.errorRow, table.errorColumn);
  const Answer answer =
      ui_.Ask({kAlgorithmErrorCaption, kAlgorithmErrorQuestion, Icon::Question, Buttons::YesNo, Answer::No});
  if (answer == Answer::Yes) QDialog::done(kFinishedWithError);
}

void AlgorithmsWindow::reject() { finish(); }

void AlgorithmsWindow::takeFromFile() {
  const QString path = DialOpenFile({false, QString(), QString()});
  if (path.isEmpty()) return;
  const AlgorithmFileResult result = AlgorithmsFromFile(config_, ui_, path.toStdString());
  if (result.status == AlgorithmFileLoad::Loaded) ShowRows(result.rows);
}

std::string AlgorithmsWindow::Title() const { return ReportTitle ? ReportTitle() : std::string(); }

void AlgorithmsWindow::reportBlocks() {
  SaveAndPrintReport(BlockTableReport(Title(), ShownBlocks()), DialSaveFile, ui_, PrintReport);
}

void AlgorithmsWindow::reportAlgorithms() {
  SaveAndPrintReport(AlgorithmTableReport(Title(), TypedRows()), DialSaveFile, ui_, PrintReport);
}

}  // namespace zul
