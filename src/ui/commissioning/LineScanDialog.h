#pragma once
// "Поиск приборов на линии": the identity request to each address of a range
// with a progress bar; each controller that answers gets its row at once (a
// damaged answer too, marked "ответ с ошибкой"); a double click on a row
// chooses that device.
#include <QDialog>
#include <atomic>
#include <functional>

#include "core/config/LineScan.h"
#include "ui/commissioning/ControllerAccess.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace zul {

class LineScanDialog : public QDialog {
  Q_OBJECT
 public:
  LineScanDialog(ControllerAccess access, std::function<void(int deviceIndex)> choose,
                 QWidget* parent = nullptr);

  void startScan();
  void stopScan() { stopping_ = true; }
  // The device of a row of the table is chosen, and the dialog closes.
  void chooseRow(int row);
  const ScanResult& Result() const { return result_; }

  QSpinBox* SpinFrom;
  QSpinBox* SpinTo;
  QPushButton* ButStart;
  QPushButton* ButStop;
  QProgressBar* ProgressScan;
  QTableWidget* TableFound;
  QLabel* LabStatus;  // "остановлено", or how many answered

  static constexpr int kAnswerMs = 200;

 private:
  void AddRow(const FoundController& c);
  void ShowFound(const ScanResult& result, int to);
  ControllerAccess access_;
  std::function<void(int)> choose_;
  ScanResult result_;
  std::atomic<bool> stopping_{false};  // set on the UI thread, read by the scan's worker
};

}  // namespace zul
