#pragma once
// The exchange parameter dialog: one visible setting (the delay after
// switching to transmit) and the hidden ones that are applied with it.
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace zul {

class ModbusLink;
class LinkWorker;

class ExchangeSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  ExchangeSettingsDialog(ModbusLink& port, QWidget* parent = nullptr);

  void onOk();
  void done(int result) override;

  QComboBox* CBoxPovt1;
  QComboBox* CBoxPovt2;
  QSpinBox* UpDown1;
  QSpinBox* UpDown2;
  QLineEdit* Edit1;
  QLineEdit* Edit2;
  // Silence that ends an answer once it has begun; 0 follows the baud rate.
  QSpinBox* UpDownByteTimeout;
  QPushButton* OK;

 private:
  void loadFrom(ModbusLink& port);
  void PutAccepted();

  int acceptedPovt1_ = 1;
  int acceptedPovt2_ = 1;
  int acceptedDelay1_ = 0;
  int acceptedDelay2_ = 0;
  int acceptedByteTimeout_ = 0;
};

// Shows the dialog; when it ends with OK hands its values to the link
// (repeats of both stages, delay before request, delay before receive, byte time-out).
void ApplyExchangeSettings(ExchangeSettingsDialog& dialog, LinkWorker& worker);

}  // namespace zul
