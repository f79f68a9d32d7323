#pragma once
// The new-configuration dialog: the module of each slot, the code line, the
// creation mode and the slots whose data are kept from the open file. Closing
// it, however it is closed, checks the composition and, when it fits, makes it
// the service block's.
#include <QDialog>
#include <array>

#include "core/config/NewConfiguration.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace zul {

class HintLabel;
class Interaction;
class ServiceBlock;

class NewConfigurationDialog : public QDialog {
  Q_OBJECT
 public:
  enum Outcome { Accepted = QDialog::Accepted, Error = 2 };
  enum Mode { OnOpenFile = 0, Anew = 1 };

  NewConfigurationDialog(ServiceBlock& serv, Interaction& ui, QWidget* parent = nullptr);

  // What the command does before showing the dialog: in file mode the open
  // configuration's composition, otherwise an empty one.
  void Prepare(bool fileMode, const SlotTypes& openTypes);

  void onModuleTypeChosen(int slot, int entry);  // slot 1..16
  void onModeChosen(int mode);
  void onKeepToggled(int slot, bool checked);
  // True when the dialog may close (with the outcome already chosen in outcome_).
  bool canClose();
  void done(int result) override;

  int Regim() const;
  QString CodeLine() const;
  // The composition as typed, its keep flags and the mode, taken when the dialog was accepted.
  const NewConfigurationRequest& Request() const { return request_; }

  std::array<QComboBox*, kCompositionSlots> M{};
  std::array<QCheckBox*, kCompositionSlots> SaveBD{};
  QLineEdit* EditModif;
  QGroupBox* RegimCreat;
  QCheckBox* SaveMBM;
  QCheckBox* SaveFB;
  HintLabel* ErrorText;
  QPushButton* OK;

 private:
  void SetMode(int mode);
  void ShowTypes(const SlotTypes& types);
  void RebuildCodeLine();
  void SetBox(int slot, bool enabled, bool checked);

  ServiceBlock& service_;
  Interaction& ui_;
  QButtonGroup* regim_;
  SlotTypes openTypes_{};
  int outcome_ = Accepted;
  NewConfigurationRequest request_;
};

}  // namespace zul
