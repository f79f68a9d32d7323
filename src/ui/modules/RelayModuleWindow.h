#pragma once
// "Программирование модулей МР": the eight outputs of one relay module in
// relayModules: output type, mode, where acknowledgement and reset come from.
// Closing checks the external input numbers and then follows the editors'
// closing rule for block 9.
#include <array>

#include "core/model/RelayModules.h"
#include "ui/modules/ModuleEditorDialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace zul {

class LinkWorker;
class ModbusLink;
class CopyBlocks;
class RelayOutputsOnline;
class ReserveBlocks;

class RelayModuleWindow : public ModuleEditorDialog {
  Q_OBJECT
 public:
  RelayModuleWindow(ServiceBlock& serv, RelayModules& mr, ReserveBlocks& reserve, CopyBlocks& copies,
                    ModbusLink& port, LinkWorker& worker, RelayOutputsOnline& online, Interaction& ui,
                    QWidget* parent = nullptr);

  // The relay module in `slot` (1..16), number `module` (1..8) among the
  // relay modules, of `moduleType`, described as in the module table.
  void Prepare(int slot, int module, int moduleType, const QString& typeText);
  int Open(int slot, int module, int moduleType, const QString& typeText);

  bool canClose() override;
  void openOnline();

  // Handlers of output o (0..7).
  void onOutputTypeChosen(int o, int index);
  void onAcknowledgeChosen(int o, int index);
  void onBlockingChosen(int o, int index);

  struct OutputRow {
    QLabel* Label;
    QComboBox* TipVyh;
    QComboBox* Kvit;   // signalling output: light / horn
    QComboBox* Block;  // control output: with or without interlock
    QCheckBox* KvitMind;
    QCheckBox* KvitTopLevel;
    QCheckBox* SbrMind;
    QCheckBox* SbrTopLevel;
    QLineEdit* EditVxKvit;
    QLineEdit* EditVhSbr;
  };
  std::array<OutputRow, RelayModules::kOutputs> Rows{};
  QLabel* LabTMod;
  QLabel* LabNMod;
  QLabel* ErrorText;
  QPushButton* ButOnLine;

 protected:
  void copyModuleBase() override;
  void replaceModuleBase() override;

 private:
  OutputRow BuildRow(int o);
  void Fill();
  void ShowOutput(int o);
  void MarkEdited();
  void leaveInput(int o, bool reset);
  // The closing check of one external input field; false when refused.
  bool CheckInputField(int o, bool reset);
  int Index() const { return module_ - 1; }

  RelayModules& mr_;
  ReserveBlocks& reserve_;
  CopyBlocks& copies_;
  ModbusLink& port_;
  LinkWorker& worker_;
  RelayOutputsOnline& online_;
  int slot_ = 1;
  int module_ = 1;
  int type_ = 3;
  QString typeText_;
};

}  // namespace zul
