#pragma once
// The port dialog: which serial port, speed, parity and stop bits. It keeps
// the positions last accepted (and the port last clicked) for the program's
// lifetime; showing it closes the port.
#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;

namespace zul {

class ModbusLink;
class ExchangeSettingsDialog;

class PortDialog : public QDialog {
  Q_OBJECT
 public:
  // Outcomes of exec().
  enum Outcome { Cancelled = QDialog::Rejected, Ok = QDialog::Accepted, Invalid = 2 };

  // namedPorts: ports named on the command line, listed before the system's.
  PortDialog(ModbusLink& port, ExchangeSettingsDialog& nastr, std::vector<std::string> namedPorts,
             QWidget* parent = nullptr);

  void onShown();
  void onPortChosen(int position);
  void onOk();
  void applyExchangeSettings();
  void done(int result) override;

  // Named ports first, then the system's, each once.
  QStringList PortNames() const;

  bool FirstShowing = true;

  QComboBox* CBoxPort;
  QComboBox* Skor;
  QComboBox* Parit;
  QComboBox* StBit;
  QPushButton* OK;
  QPushButton* Button1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  ModbusLink& port_;
  ExchangeSettingsDialog& nastr_;
  std::vector<std::string> namedPorts_;
  int acceptedSkor_ = 0;
  int acceptedParit_ = 0;
  int acceptedStBit_ = 1;
  int chosenPort_ = 0;
  bool portWasOpen_ = false;
};

}  // namespace zul
