#pragma once
// Live values of one analog module's inputs and the calibration of the start
// and end of each input's scale. Polls once a second while shown (never while
// another exchange runs); calibration goes by single-coil writes.
#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "core/model/AnalogModules.h"

class QLabel;
class QPushButton;
class QTimer;

namespace zul {

class LinkWorker;
class Interaction;
class ModbusLink;
class ServiceBlock;

class CalibrationWindow : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kRows = AnalogModules::kCalibrationChannels;  // 6 inputs and the ЛК-9 reference

  CalibrationWindow(ModbusLink& port, ServiceBlock& serv, AnalogModules& mba, LinkWorker& worker,
                    Interaction& ui, QWidget* parent = nullptr);

  // The module n (1..8) of `moduleType`, its identification text, the
  // positions and units of its six inputs (the reference row gets its own).
  void Prepare(int module, int moduleType, const QString& ident, const std::array<QString, 6>& positions,
               const std::array<QString, 6>& units);
  int Open();

  void togglePolling();  // start / stop polling
  void poll();
  bool Polling() const;
  // SpBut k (1..7) pressed (down) or released.
  void onCalibrationButton(int k, bool down);
  void calibrateMin(int k);
  void calibrateMax(int k);
  // Rows from the online values and codes in analogModules.
  void DrawRows();

  void done(int result) override;

  struct Row {
    QLabel* Vh;    // "Вход k" / "Тхс"
    QLabel* KV;    // position
    QLabel* XMin;  // code MIN
    QLabel* XACP;  // current ADC code
    QLabel* XMax;  // code MAX
    QLabel* V;     // value
    QLabel* RV;    // unit
    QLabel* AV;    // fault letter
    QLabel* NV;    // alarm state
    QPushButton* SpBut;
    QPushButton* KalMin;
    QPushButton* KalMax;
  };
  std::array<Row, kRows> Rows{};
  QLabel* TipMod;
  QLabel* Kalibr;
  QLabel* Label1;
  QPushButton* Button1;
  QTimer* Timer1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Row BuildRow(int k);
  void Failed(int result);
  void CalibrateScale(int k, bool end);
  // A poll cycle or a command off the UI thread; false when the line is busy.
  // A command on the link worker after whatever is on the line; `then` on the UI thread.
  void Quietly(std::function<void()> exchange, std::function<void()> then = {});
  // Sends the mode command of input k; false (error shown) when it failed.
  bool SendMode(int k, bool on);
  void ShowCalibrationState();
  int RowCount() const;

  ModbusLink& port_;
  ServiceBlock& service_;
  AnalogModules& mba_;
  LinkWorker& worker_;
  Interaction& ui_;
  int module_ = 1;
};

}  // namespace zul
