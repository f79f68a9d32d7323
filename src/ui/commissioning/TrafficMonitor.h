#pragma once
// "Монитор обмена": every frame of the link as a table row (time, direction,
// device, function, block, result, hex), pausable, with counters per device
// and export to a text file. The link feeds it only while it is open.
#include <QAbstractTableModel>
#include <QDockWidget>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

#include "core/link/TrafficLog.h"

class QCheckBox;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;

namespace zul {

// Stands between the link and the monitor's log for the link's whole life, so
// the link's observer is set once: frames come from whatever thread runs the
// exchange while the UI thread switches the log on and off. Once SetTarget
// returns, the old target gets no more frames.
class FrameTap : public FrameObserver {
 public:
  void SetTarget(FrameObserver* target);
  void RequestSent(int64_t timeMs, std::span<const uint8_t> bytes, bool retry) override;
  void AnswerReceived(int64_t timeMs, std::span<const uint8_t> bytes, int result) override;
  // The link's result code of the last answer (or its absence); -1 before any.
  int LastResult() const { return lastResult_; }

 private:
  std::mutex mutex_;
  FrameObserver* target_ = nullptr;
  std::atomic<int> lastResult_{-1};
};

// The frames shown, the newest last; at most TrafficLog's capacity of them.
class TrafficTableModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void Append(std::vector<TrafficRecord> records);
  void Clear();
  const std::deque<TrafficRecord>& Records() const { return records_; }

 private:
  std::deque<TrafficRecord> records_;
};

class TrafficMonitor : public QDockWidget {
  Q_OBJECT
 public:
  // `tap` is the link's observer; the monitor's log hangs on it while the monitor is shown.
  TrafficMonitor(std::shared_ptr<FrameTap> tap, QWidget* parent = nullptr);
  ~TrafficMonitor() override;

  // Takes what the link sent since the last refresh (the timer calls it too).
  void refresh();
  void clear();
  // Writes the kept frames and the counters to a text file; false when it cannot.
  bool exportTo(const QString& path);
  void exportToChosenFile();

  const TrafficLog& Log() const { return log_; }
  TrafficTableModel* Frames() { return &frames_; }

  QCheckBox* CheckPause;
  QPushButton* ButClear;
  QPushButton* ButExport;
  QTableView* FrameTable;
  QTableWidget* DeviceTable;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ShowCounters();

  std::shared_ptr<FrameTap> tap_;
  TrafficLog log_;
  TrafficTableModel frames_;
  QTimer* timer_;
  uint64_t shown_ = 0;
};

}  // namespace zul
