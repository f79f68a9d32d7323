#pragma once
// Which signal a handler row processes: described by where it comes from (an
// own module or a network master block) and turned into a signal index by the
// core rules; also the text attribute, contact type and archiving.
#include <QDialog>
#include <array>

#include "core/editing/DiscreteProcessingEditing.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace zul {

struct Configuration;

class InputIdentifierDialog : public QDialog {
  Q_OBJECT
 public:
  explicit InputIdentifierDialog(Configuration& config, QWidget* parent = nullptr);

  // Create mode: row number `row` (1-based); edit mode: the row's signal.
  void PrepareCreate(int row);
  void PrepareEdit(int row, int signal);

  SignalSource Source() const;
  bool NetworkChosen() const;
  // The chosen signal; -1 on the disabled network page or beyond the base.
  int ChosenSignal() const;
  bool NormallyOpen() const;
  bool Archived() const;
  QString Text() const;
  int RowNumber() const;  // LabN

  void done(int result) override;
  // Escape or the window's close button: the editor then changes nothing.
  void reject() override;
  bool Cancelled() const { return cancelled_; }

  QLabel* LabNVh;
  QLabel* LabN;
  QLineEdit* EditText;
  QGroupBox* TipK;
  std::array<QRadioButton*, 2> TipKItems{};
  QCheckBox* Arh;
  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QWidget* TabSheet2;
  QComboBox* CBoxTipVh;
  QSpinBox* EditNMod;    // with its up-down (UpDown1)
  QSpinBox* EditNVhMod;  // UpDown2
  QComboBox* CBoxTipSign;
  QSpinBox* EditNB_MBM;  // UpDown3
  QComboBox* CBoxTipVhNet;
  QSpinBox* EditNVhNet;  // UpDown4
  QComboBox* CBoxTipSignNet;
  QLabel* LabTipSlave;
  QLabel* LabAdrSlave;
  QPushButton* OK;
  QPushButton* OK2;

  // Reactions of the dialog (public so the tests drive them as the user does).
  void onOwnPageShown();
  void onOwnKindChanged();
  void onNetworkPageShown();
  void onNetworkBlockChanged();
  void onNetworkKindChanged();

 private:
  void ShowSource(const SignalSource& src);
  void ShowSlave(int block);
  Configuration& c_;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool filling_ = false;
  bool cancelled_ = false;
};

}  // namespace zul
