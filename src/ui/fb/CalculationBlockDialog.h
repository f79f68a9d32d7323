#pragma once
// The calculation dialog: creates and programs the flow integrator pair and
// the arithmetic blocks. It shows a CalcDialogState and collects what the
// user typed; the editor stores it through the core.
#include <QDialog>
#include <array>

#include "core/editing/CalculationBlockEditing.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace zul {

struct Configuration;
class HintLabel;
class Interaction;
class RadioChoice;

class CalculationBlockDialog : public QDialog {
  Q_OBJECT
 public:
  CalculationBlockDialog(const Configuration& config, Interaction& ui, QWidget* parent = nullptr);

  void Prepare(const CalcDialogState& state);
  CalcMode Mode() const { return mode_; }
  int RecordNumber() const;
  ArithValues Arith() const;
  IntegratorValues Integrators() const;
  bool Cancelled() const { return cancelled_; }

  // A click on an operation item (springs back when the mode forbids it).
  void chooseOperation(int operation);
  // A record number typed or stepped to.
  void chooseRecord(int recordNumber);
  void onOk();
  void reject() override;

  QLabel* LabCreatProg;
  RadioChoice* RadioGroup1;
  QGroupBox* GroupBox3;
  QLabel* LabNFB3;
  QSpinBox* EditNFB3;  // its arrows are the up-down
  QComboBox* ComboBox1;
  QComboBox* ComboBox2;
  QLineEdit* EditX1;
  QLineEdit* EditX2;
  QLineEdit* EditC1;
  QLineEdit* EditC2;
  QLineEdit* EditY;
  QGroupBox* GroupBox2;
  QLineEdit* EditNFB1;
  QLineEdit* EditNFB2;
  std::array<QLineEdit*, kIntegratorCount> EditIntegr{};
  QGroupBox* GroupBox1;
  QLineEdit* HourBeginDay;
  QPushButton* OK;
  QPushButton* Cancel;
  HintLabel* ErrorText;

 private:
  void SetArith(const ArithValues& v, int blockNumber);
  void EnableArith();
  void EnableIntegratorFields();
  void SetOperationItem(int operation);
  bool IntegratorMode() const;
  QWidget* FieldOf(const CalcProblem& p) const;
  // The note of a record number outside the arithmetic blocks.
  void ShowRecordNote();

  const Configuration& config_;
  Interaction& ui_;
  CalcMode mode_ = CalcMode::CreateArith;
  int operation_ = -1;
  bool secondGroup_ = true;
  bool filling_ = false;
  bool cancelled_ = true;
};

}  // namespace zul
