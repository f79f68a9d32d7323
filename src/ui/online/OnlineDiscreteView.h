#pragma once
// The two live views of one discrete module: DiscreteInputsOnline (discrete input module:
// health, 12 inputs and their validity) and RelayOutputsOnline (relay module:
// health and 8 outputs). Each polls from its timer while it is shown; the
// first failed request stops polling and is reported once.
#include <QDialog>
#include <vector>

#include "core/config/OnlineDiscrete.h"

class QLabel;
class QPushButton;
class QTimer;

namespace zul {

class LinkWorker;
class ModbusLink;
class DiscreteProcessing;
class ServiceBlock;

class OnlineDiscreteView : public QDialog {
  Q_OBJECT
 public:
  void togglePolling();  // start / stop the timer
  virtual void poll() = 0;
  void done(int result) override;

  int ReportFlag() const { return reportFlag_; }
  bool Polling() const;

  QLabel* Label1;
  QPushButton* Button1;
  QLabel* LabNMod;
  QLabel* TipMod;
  QLabel* LabAMod;
  QLabel* Isprav;
  QLabel* Mod1;
  QLabel* StaticText1;
  QTimer* Timer1;
  std::vector<QLabel*> TRecv;  // TRecv1 ..
  std::vector<QLabel*> OnOff;  // OnOff1 ..
  std::vector<QLabel*> Dost;   // Dost1 .. (empty in the output view)

 protected:
  OnlineDiscreteView(ModbusLink& port, ServiceBlock& serv, LinkWorker& worker, const QString& name,
                     const QString& moduleCaption, const QString& rowName, int rows, bool validity,
                     int intervalMs, QWidget* parent);
  void showEvent(QShowEvent* event) override;

  // The first request of a tick that failed: polling stops, the failure is
  // reported once.
  void Failed(int result);
  void ShowHealth(bool faulty);
  void ShowOnOff(size_t k, bool on);

  ModbusLink& port_;
  ServiceBlock& service_;
  LinkWorker& worker_;

 private:
  int intervalMs_;
  int reportFlag_ = 1;
};

class DiscreteInputsOnline : public OnlineDiscreteView {
  Q_OBJECT
 public:
  DiscreteInputsOnline(ModbusLink& port, ServiceBlock& serv, DiscreteProcessing& processing,
                       LinkWorker& worker, QWidget* parent = nullptr);

  // Fills the view for the discrete input module in `slot` (1..16), number
  // `module` among the discrete input modules; `typeText` as in the module table.
  void Prepare(int slot, int module, const QString& typeText);
  // Prepare, then shown modally; returns the dialog's result.
  int Open(int slot, int module, const QString& typeText);
  void poll() override;

 private:
  void ShowPoll(const InputModulePoll& poll);
  DiscreteProcessing& processing_;
  int slot_ = 1;
  int module_ = 1;
};

class RelayOutputsOnline : public OnlineDiscreteView {
  Q_OBJECT
 public:
  RelayOutputsOnline(ModbusLink& port, ServiceBlock& serv, LinkWorker& worker, QWidget* parent = nullptr);

  // The relay module in `slot`, number `relayModule` among the relay modules.
  void Prepare(int slot, int relayModule, const QString& typeText);
  int Open(int slot, int relayModule, const QString& typeText);
  void poll() override;

 private:
  void ShowPoll(const OutputModulePoll& poll);
  int slot_ = 1;
  int module_ = 1;
};

}  // namespace zul
