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
#include "core/link/TrafficLog.h"
#include "ui/link/LinkWorker.h"
#include "ui/widgets/BackgroundExchange.h"

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
  LabStatus = new QLabel(this);
  LabStatus->setObjectName("LabStatus");
  LabStatus->setWordWrap(true);
  layout->addWidget(LabStatus);
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
  LabStatus->clear();
  stopping_ = false;
  // The scan runs on the link worker; the dialog stays live for its own bar and Stop button.
  auto result = std::make_shared<ScanResult>();
  QPointer<QProgressBar> bar = ProgressScan;
  BackgroundExchange(access_.worker, access_.ui, this)
      .RunQuietly(
          [this, from, to, result, bar](Interaction&) {
            if (access_.setAnswerTimeLimit) access_.setAnswerTimeLimit(kAnswerMs);
            *result = ScanLine(
                access_.link, from, to,
                [this, bar](int address) {
                  RunOnThreadOf(this, [bar, address] {
                    if (bar) bar->setValue(address - 1);
                  });
                  return !stopping_.load();
                },
                [this](const FoundController& c) { RunOnThreadOf(this, [this, c] { AddRow(c); }); });
            if (access_.setAnswerTimeLimit) access_.setAnswerTimeLimit(0);
          },
          [this, to, result] { ShowFound(*result, to); });
}

void LineScanDialog::AddRow(const FoundController& c) {
  const int row = TableFound->rowCount();
  TableFound->insertRow(row);
  auto* address = new QTableWidgetItem(QString::number(c.address));
  address->setData(Qt::UserRole, c.address);
  TableFound->setItem(row, 0, address);
  if (c.Damaged()) {
    auto* damaged = new QTableWidgetItem(kDamagedAnswerText);
    damaged->setToolTip(kDamagedAnswerHint);
    TableFound->setItem(row, 1, damaged);
    TableFound->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(ResultCodeShortText(c.result))));
    return;
  }
  TableFound->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(c.CompositionText())));
  TableFound->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(IndicationText(c.indication))));
}

void LineScanDialog::ShowFound(const ScanResult& result, int to) {
  result_ = result;
  // Stopped, the bar stays at the address the scan reached.
  if (!result_.stopped && result_.failure == 0) ProgressScan->setValue(to);
  QString status =
      result_.stopped ? "остановлено" : QString("найдено приборов: %1").arg(result_.found.size());
  if (!result_.damaged.empty())
    status +=
        QString("; %1: %2 (%3)").arg(kDamagedAnswerText).arg(result_.damaged.size()).arg(kDamagedAnswerHint);
  LabStatus->setText(status);
  ButStart->setEnabled(true);
  ButStop->setEnabled(false);
  if (result_.failure != 0) access_.link.ShowError(access_.ui, 0, result_.failure);
}

void LineScanDialog::chooseRow(int row) {
  const QTableWidgetItem* item = TableFound->item(row, 0);
  if (!item) return;
  if (choose_) choose_(item->data(Qt::UserRole).toInt() - 1);
  accept();
}

}  // namespace zul
