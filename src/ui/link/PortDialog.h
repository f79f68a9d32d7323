#pragma once
// The port dialog: which serial port, speed, parity and stop bits. It keeps
// the positions last accepted (and the port last clicked) for the program's
// lifetime; showing it closes the port, and Cancel opens it again. The port
// may be typed: a serial name or a network one (tcp://HOST:PORT,
// mbtcp://HOST:PORT); accepted names are kept as recent ports, offered by
// completion and listed after the named ones.
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;

namespace zul {

class ModbusLink;
class LinkWorker;
class ExchangeSettingsDialog;

class PortDialog : public QDialog {
  Q_OBJECT
 public:
  // Outcomes of exec().
  enum Outcome { Cancelled = QDialog::Rejected, Ok = QDialog::Accepted, Invalid = 2 };

  // namedPorts: ports named on the command line, listed before the system's.
  PortDialog(LinkWorker& worker, ExchangeSettingsDialog& nastr, std::vector<std::string> namedPorts,
             QWidget* parent = nullptr);

  void onShown();
  void onPortChosen(int position);
  void onOk();
  void applyExchangeSettings();
  void done(int result) override;

  // Named ports first, then the recent ones, then the system's, each once.
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
  LinkWorker& worker_;
  ExchangeSettingsDialog& nastr_;
  std::vector<std::string> namedPorts_;
  int acceptedSkor_ = 0;
  int acceptedParit_ = 0;
  int acceptedStBit_ = 1;
  int chosenPort_ = 0;
  QString chosenName_;  // the port last accepted, typed or picked
  // Whether showing the dialog closed an open port (kept on the link worker).
  std::shared_ptr<bool> portWasOpen_ = std::make_shared<bool>(false);
};

}  // namespace zul
