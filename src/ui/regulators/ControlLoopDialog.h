#pragma once
// The dialog that programs one control loop: kind, controlled input, output,
// PID settings, the cascade's inner loop, the program setpoint generator,
// two-position settings and the forced mode. OK runs the checks of
// CheckLoopForm and stays open on the first failure; the editor stores the
// values afterwards.
#include <QDialog>
#include <QHash>

#include "core/editing/RegulatorEditing.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace zul {

struct Configuration;
class HintLabel;

class ControlLoopDialog : public QDialog {
  Q_OBJECT
 public:
  ControlLoopDialog(Configuration& config, Interaction& ui, QWidget* parent = nullptr);

  // Creation: the kind list open, nothing chosen, groups disabled.
  void PrepareCreation(int ownNumber, int panelNumber);
  // Programming an existing loop: the kind fixed, the values of its records.
  void PrepareProgramming(int loop, int panelNumber);
  // Shown modally; true when closed with OK after every check passed.
  bool Run();

  // The values as the fields hold them.
  LoopForm Form() const;
  bool Accepted() const { return accepted_; }

  void chooseKind(int kind);
  void onOk();
  void onCancel();
  // The field exits.
  void leavePvInput();
  void leaveOutput();
  void leaveOwnNumber();
  void leaveGenerator();

  QLineEdit* Field(const std::string& name) const { return fields_.value(QString::fromStdString(name)); }

  QLabel* LabReg;
  QLabel* LabNReg;
  QLabel* LabCreatProg;
  QComboBox* CBoxTReg;
  QComboBox* CBoxTOut;
  QComboBox* CBoxTOut1;
  QGroupBox* GBComp;
  QGroupBox* GBNastr;
  QGroupBox* GBRegInt;
  QGroupBox* GBPZ;
  QGroupBox* GBNastr2;
  QGroupBox* GBFC;
  QLabel* LabAdOUT;
  QLabel* LabInf;
  QLabel* LabInf2;
  QPushButton* OK;
  QPushButton* Cancel;
  QPushButton* InformBut;
  HintLabel* ErrorText;

 signals:
  void inputsWindowWanted();

 private:
  QLineEdit* AddField(QWidget* group, const char* name, int width, bool integer);
  void Show(const LoopForm& form);
  // The fields, the groups of the kind and the PV input's information.
  void ShowLoop(const LoopForm& form);
  void EnableGroups(int kind);
  void ShowPvInfo(QLabel* info, int n, int kind);
  void PlaceNote(const std::string& field, const std::string& text);
  void MarkChanged();

  Configuration& config_;
  Interaction& ui_;
  QHash<QString, QLineEdit*> fields_;
  QScrollArea* scroll_ = nullptr;
  bool accepted_ = false;
  bool filling_ = false;
};

}  // namespace zul
