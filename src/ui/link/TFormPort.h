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

class TComPortClass;
class TFormNastr;

class TFormPort : public QDialog {
  Q_OBJECT
 public:
  // Outcomes of exec().
  enum Outcome { Cancelled = QDialog::Rejected, Ok = QDialog::Accepted, Invalid = 2 };

  // namedPorts: ports named on the command line, listed before the system's.
  TFormPort(TComPortClass& port, TFormNastr& nastr, std::vector<std::string> namedPorts,
            QWidget* parent = nullptr);

  void FormShow();
  void CBoxPortClick(int position);
  void OKClick();
  void Button1Click();
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
  TComPortClass& port_;
  TFormNastr& nastr_;
  std::vector<std::string> namedPorts_;
  int acceptedSkor_ = 0;
  int acceptedParit_ = 0;
  int acceptedStBit_ = 1;
  int chosenPort_ = 0;
  bool portWasOpen_ = false;
};

}  // namespace zul
