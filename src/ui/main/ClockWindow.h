#pragma once
// The controller's clock: polled continuously while the window is open, and
// set on every controller of the line at once.
#include <QDialog>
#include <array>
#include <span>

#include "core/config/ControllerClock.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace zul {

class LinkWorker;
class HintLabel;
class Interaction;
class ModbusLink;
class DiscreteProcessing;
class ServiceBlock;

class ClockWindow : public QDialog {
  Q_OBJECT
 public:
  ClockWindow(ModbusLink& port, ServiceBlock& serv, DiscreteProcessing& processing, LinkWorker& worker,
              Interaction& ui, QWidget* parent = nullptr);

  // What the main window's button does: every field "1", nothing edited yet, shown modally.
  void Open();

  void onShown();
  void togglePolling();     // start / stop polling
  void pollOnce();          // one poll (each timer tick)
  void takeDeviceTime();    // device time into the fields
  void takeComputerTime();  // computer time into the fields
  void setDeviceTime();
  // Checks the seven fields in order; the first error shows its note. True when all are good.
  bool CheckFields(ControllerTime* values = nullptr);
  // Puts a calendar into the fields (Button3 with the computer's clock).
  void PutCalendar(const ControllerTime& t);

  void done(int result) override;

  int ReportFlag() const { return reportFlag_; }
  const ControllerTime& Kept() const { return kept_; }

  QGroupBox* GroupBox1;
  QGroupBox* GroupBox2;
  QPushButton* Button1;
  QLabel* Label10;
  QLabel* StTime;
  QLabel* StDate;
  QLabel* StDayWeek;
  std::array<QLineEdit*, kClockFields> Edits{};  // Edit1 .. Edit7
  QPushButton* Button2;
  QPushButton* Button3;
  QPushButton* ChangeTime;
  QPushButton* OK;
  QPushButton* Cancel;
  HintLabel* ErrorText;
  QTimer* Timer1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowClock(std::span<const uint8_t> answer);
  void StopPolling();

  ModbusLink& port_;
  ServiceBlock& service_;
  DiscreteProcessing& processing_;
  LinkWorker& worker_;
  Interaction& ui_;
  int reportFlag_ = 1;
  ControllerTime kept_{};
};

}  // namespace zul
