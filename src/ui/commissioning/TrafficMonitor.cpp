#include "ui/commissioning/TrafficMonitor.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/link/ModbusLink.h"

namespace zul {
namespace {

constexpr int kRefreshMs = 200;

enum Column { kTime, kDirection, kDevice, kFunction, kBlock, kResult, kBytes, kColumns };

const char* const kColumnTitles[kColumns] = {"Время", "Напр.",     "Устр.", "Функция",
                                             "Блок",  "Результат", "Кадр"};
const char* const kCounterTitles[] = {"Устр.",     "Запросов",   "Повторов",     "Тайм-аутов",
                                      "Ошибок КС", "Исключений", "Ср. цикл, мс", "Макс. цикл, мс"};

// The clock on the wall, as the user compares it with what happened at the controller.
QString TimeOf(int64_t wallMs) { return QDateTime::fromMSecsSinceEpoch(wallMs).toString("HH:mm:ss.zzz"); }

QString ResultOf(const TrafficRecord& r) {
  if (r.request) return r.retry ? "повтор" : QString();
  QString text = QString::number(r.result) + "  " + QString::fromStdString(AnswerText(r));
  if (r.roundTripMs >= 0) text += QString("  %1 мс").arg(r.roundTripMs);
  return text;
}

}  // namespace

int TrafficTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(records_.size());
}

int TrafficTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant TrafficTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TrafficRecord& r = records_[static_cast<size_t>(index.row())];
  if (role == Qt::ForegroundRole && !r.request && !IsNormalAnswer(r)) return QColor(Qt::red);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case kTime:
      return TimeOf(r.wallMs);
    case kDirection:
      return r.request ? "→" : "←";
    case kDevice:
      return r.address;
    case kFunction:
      return r.function;
    case kBlock:
      return r.block >= 0 ? QVariant(r.block) : QVariant();
    case kResult:
      return ResultOf(r);
    case kBytes:
      return QString::fromStdString(HexText(r.bytes));
  }
  return {};
}

QVariant TrafficTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= kColumns)
    return {};
  return QString(kColumnTitles[section]);
}

void TrafficTableModel::Append(std::vector<TrafficRecord> records) {
  if (records.empty()) return;
  const size_t limit = TrafficLog::kDefaultCapacity;
  // More than the limit at once: only the newest matter.
  if (records.size() > limit)
    records.erase(records.begin(), records.end() - static_cast<std::ptrdiff_t>(limit));
  const size_t overflow =
      records_.size() + records.size() > limit ? records_.size() + records.size() - limit : 0;
  if (overflow > 0) {
    beginRemoveRows({}, 0, static_cast<int>(overflow) - 1);
    records_.erase(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(overflow));
    endRemoveRows();
  }
  const int first = static_cast<int>(records_.size());
  beginInsertRows({}, first, first + static_cast<int>(records.size()) - 1);
  for (TrafficRecord& r : records) records_.push_back(std::move(r));
  endInsertRows();
}

void TrafficTableModel::Clear() {
  beginResetModel();
  records_.clear();
  endResetModel();
}

void FrameTap::SetTarget(FrameObserver* target) {
  std::lock_guard lock(mutex_);
  target_ = target;
}

void FrameTap::RequestSent(int64_t timeMs, std::span<const uint8_t> bytes, bool retry) {
  std::lock_guard lock(mutex_);
  if (target_) target_->RequestSent(timeMs, bytes, retry);
}

void FrameTap::AnswerReceived(int64_t timeMs, std::span<const uint8_t> bytes, int result) {
  lastResult_ = result;
  std::lock_guard lock(mutex_);
  if (target_) target_->AnswerReceived(timeMs, bytes, result);
}

TrafficMonitor::TrafficMonitor(std::shared_ptr<FrameTap> tap, QWidget* parent)
    : QDockWidget("Монитор обмена", parent), tap_(std::move(tap)), frames_(this), timer_(new QTimer(this)) {
  setObjectName("TrafficMonitor");
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  auto* buttons = new QHBoxLayout;
  CheckPause = new QCheckBox("Пауза", body);
  CheckPause->setObjectName("CheckPause");
  ButClear = new QPushButton("Очистить", body);
  ButClear->setObjectName("ButClear");
  ButExport = new QPushButton("Экспорт...", body);
  ButExport->setObjectName("ButExport");
  buttons->addWidget(CheckPause);
  buttons->addStretch(1);
  buttons->addWidget(ButClear);
  buttons->addWidget(ButExport);
  layout->addLayout(buttons);

  auto* split = new QSplitter(Qt::Vertical, body);
  FrameTable = new QTableView(split);
  FrameTable->setObjectName("FrameTable");
  FrameTable->setModel(&frames_);
  FrameTable->verticalHeader()->setVisible(false);
  FrameTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  FrameTable->horizontalHeader()->setStretchLastSection(true);
  FrameTable->setMinimumHeight(FrameTable->verticalHeader()->defaultSectionSize() * 10);
  FrameTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  for (int c : {kTime, kDirection, kDevice, kFunction, kBlock})
    FrameTable->setColumnWidth(c,
                               fontMetrics().horizontalAdvance(c == kTime ? "000000.000" : "Функция") + 12);
  FrameTable->setColumnWidth(kResult, fontMetrics().horizontalAdvance("131  ошибка КС  1000 мс") + 12);

  DeviceTable = new QTableWidget(0, static_cast<int>(std::size(kCounterTitles)), split);
  DeviceTable->setObjectName("DeviceTable");
  QStringList titles;
  for (const char* t : kCounterTitles) titles << t;
  DeviceTable->setHorizontalHeaderLabels(titles);
  DeviceTable->verticalHeader()->setVisible(false);
  DeviceTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DeviceTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  split->addWidget(FrameTable);
  split->addWidget(DeviceTable);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  layout->addWidget(split, 1);
  setWidget(body);

  connect(timer_, &QTimer::timeout, this, &TrafficMonitor::refresh);
  connect(ButClear, &QPushButton::clicked, this, &TrafficMonitor::clear);
  connect(ButExport, &QPushButton::clicked, this, &TrafficMonitor::exportToChosenFile);
  connect(CheckPause, &QCheckBox::toggled, this, [this](bool paused) {
    if (!paused) refresh();
  });
}

TrafficMonitor::~TrafficMonitor() { tap_->SetTarget(nullptr); }

void TrafficMonitor::showEvent(QShowEvent* event) {
  tap_->SetTarget(&log_);
  timer_->start(kRefreshMs);
  QDockWidget::showEvent(event);
}

void TrafficMonitor::hideEvent(QHideEvent* event) {
  // Closed, the monitor costs the link nothing.
  tap_->SetTarget(nullptr);
  timer_->stop();
  QDockWidget::hideEvent(event);
}

void TrafficMonitor::refresh() {
  if (CheckPause->isChecked()) return;
  std::vector<TrafficRecord> fresh = log_.Since(shown_);
  if (!fresh.empty()) {
    shown_ = fresh.back().sequence;
    frames_.Append(std::move(fresh));
    FrameTable->scrollToBottom();
  }
  ShowCounters();
}

void TrafficMonitor::ShowCounters() {
  const auto devices = log_.Devices();
  DeviceTable->setRowCount(static_cast<int>(devices.size()));
  int row = 0;
  for (const auto& [address, t] : devices) {
    const int values[] = {address,          t.requests,   t.retries,           t.timeouts,
                          t.checksumErrors, t.exceptions, t.MeanRoundTripMs(), t.worstRoundTripMs};
    for (int c = 0; c < static_cast<int>(std::size(values)); ++c) {
      auto* item = DeviceTable->item(row, c);
      if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        DeviceTable->setItem(row, c, item);
      }
      item->setText(QString::number(values[c]));
    }
    ++row;
  }
}

void TrafficMonitor::clear() {
  log_.Clear();
  frames_.Clear();
  shown_ = 0;
  ShowCounters();
}

bool TrafficMonitor::exportTo(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return false;
  QString text;
  for (const TrafficRecord& r : frames_.Records()) text += QString::fromStdString(TrafficLine(r)) + "\n";
  text += "\n";
  for (const auto& [address, t] : log_.Devices()) {
    text += QString(
                "устройство %1: запросов %2, повторов %3, тайм-аутов %4, ошибок КС %5, исключений %6, "
                "цикл ср. %7 мс, макс. %8 мс\n")
                .arg(address)
                .arg(t.requests)
                .arg(t.retries)
                .arg(t.timeouts)
                .arg(t.checksumErrors)
                .arg(t.exceptions)
                .arg(t.MeanRoundTripMs())
                .arg(t.worstRoundTripMs);
  }
  return file.write(text.toUtf8()) >= 0 && file.flush();
}

void TrafficMonitor::exportToChosenFile() {
  const QString path =
      QFileDialog::getSaveFileName(this, "Экспорт обмена", "obmen.txt", "Текстовые файлы (*.txt)");
  if (path.isEmpty()) return;
  if (!exportTo(path)) QMessageBox::warning(this, "Создание файла", "Файл  не удается создать\n" + path);
}

}  // namespace zul
