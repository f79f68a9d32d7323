#pragma once
// "Монитор обмена": every frame of the link as a table row (time, direction,
// device, function, block, result, hex), pausable, with counters per device
// and export to a text file. The link feeds it only while it is open.
#include <QAbstractTableModel>
#include <QDockWidget>
#include <deque>

#include "core/link/TrafficLog.h"

class QCheckBox;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;

namespace zul {

class ModbusLink;

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
  TrafficMonitor(ModbusLink& link, QWidget* parent = nullptr);
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

  ModbusLink& link_;
  TrafficLog log_;
  TrafficTableModel frames_;
  QTimer* timer_;
  uint64_t shown_ = 0;
};

}  // namespace zul
