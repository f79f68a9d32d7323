#include "ui/commissioning/LineScanDialog.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/Interaction.h"
#include "core/link/ModbusLink.h"
#include "ui/widgets/BackgroundExchange.h"
#include "ui/link/LinkWorker.h"

namespace zul {

LineScanDialog::LineScanDialog(ControllerAccess access, std::function<void(int)> choose, QWidget* parent)
    : QDialog(parent), access_(std::move(access)), choose_(std::move(choose)) {
  setObjectName("LineScanDialog");
  setWindowTitle("Поиск приборов на линии");
  auto* layout = new QVBoxLayout(this);
  auto* range = new QHBoxLayout;
  SpinFrom = new QSpinBox(this);
  SpinFrom->setObjectName("SpinFrom");
  SpinTo = new QSpinBox(this);
  SpinTo->setObjectName("SpinTo");
  for (QSpinBox* s : {SpinFrom, SpinTo}) s->setRange(1, 31);
  SpinFrom->setValue(1);
  SpinTo->setValue(31);
  range->addWidget(new QLabel("Адреса с", this));
  range->addWidget(SpinFrom);
  range->addWidget(new QLabel("по", this));
  range->addWidget(SpinTo);
  range->addStretch(1);
  ButStart = new QPushButton("Начать поиск", this);
  ButStart->setObjectName("ButStart");
  ButStop = new QPushButton("Стоп", this);
  ButStop->setObjectName("ButStop");
  ButStop->setEnabled(false);
  range->addWidget(ButStart);
  range->addWidget(ButStop);
  layout->addLayout(range);

  ProgressScan = new QProgressBar(this);
  ProgressScan->setObjectName("ProgressScan");
  ProgressScan->setValue(0);
  layout->addWidget(ProgressScan);

  TableFound = new QTableWidget(0, 3, this);
  TableFound->setObjectName("TableFound");
  TableFound->setHorizontalHeaderLabels({"Адрес", "Модули", "Индикация"});
  TableFound->verticalHeader()->setVisible(false);
  TableFound->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TableFound->setSelectionBehavior(QAbstractItemView::SelectRows);
  TableFound->horizontalHeader()->setStretchLastSection(true);
  TableFound->setColumnWidth(1, fontMetrics().horizontalAdvance("1,1,6,3,E,A,8,8,8,8") + 16);
  layout->addWidget(TableFound, 1);
  layout->addWidget(new QLabel("Двойной щелчок выбирает прибор", this));
  resize(fontMetrics().averageCharWidth() * 60, fontMetrics().height() * 22);

  connect(ButStart, &QPushButton::clicked, this, &LineScanDialog::startScan);
  connect(ButStop, &QPushButton::clicked, this, &LineScanDialog::stopScan);
  connect(TableFound, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { chooseRow(row); });
}

void LineScanDialog::startScan() {
  if (access_.worker.Busy()) return;
  const int from = SpinFrom->value();
  const int to = std::max(SpinTo->value(), from);
  TableFound->setRowCount(0);
  ProgressScan->setRange(from - 1, to);
  ProgressScan->setValue(from - 1);
  ButStart->setEnabled(false);
  ButStop->setEnabled(true);
  stopping_ = false;
  // The scan runs on the link worker; the dialog stays live for its own bar and Stop button.
  auto result = std::make_shared<ScanResult>();
  QPointer<QProgressBar> bar = ProgressScan;
  BackgroundExchange(access_.worker, access_.ui, this)
      .RunQuietly(
          [this, from, to, result, bar](Interaction&) {
            if (access_.setAnswerTimeLimit) access_.setAnswerTimeLimit(kAnswerMs);
            *result = ScanLine(access_.link, from, to, [this, bar](int address) {
              RunOnThreadOf(this, [bar, address] {
                if (bar) bar->setValue(address - 1);
              });
              return !stopping_.load();
            });
            if (access_.setAnswerTimeLimit) access_.setAnswerTimeLimit(0);
          },
          [this, to, result] { ShowFound(*result, to); });
}

void LineScanDialog::ShowFound(const ScanResult& result, int to) {
  result_ = result;
  ProgressScan->setValue(to);
  for (const FoundController& c : result_.found) {
    const int row = TableFound->rowCount();
    TableFound->insertRow(row);
    TableFound->setItem(row, 0, new QTableWidgetItem(QString::number(c.address)));
    TableFound->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(c.CompositionText())));
    TableFound->setItem(row, 2, new QTableWidgetItem(QString::number(c.indication)));
  }
  ButStart->setEnabled(true);
  ButStop->setEnabled(false);
  if (result_.failure != 0) access_.link.ShowError(access_.ui, 0, result_.failure);
}

void LineScanDialog::chooseRow(int row) {
  if (row < 0 || row >= static_cast<int>(result_.found.size())) return;
  if (choose_) choose_(result_.found[static_cast<size_t>(row)].address - 1);
  accept();
}

}  // namespace zul
