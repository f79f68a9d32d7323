#pragma once
// "Программирование МВА": the six channels of one analog module (ЛК-7 ..
// ЛК-10) in analogModules. Every edit is stored at once, so the record is always
// what the window shows; closing checks the fields and then follows the
// editors' closing rule. Also copies a module's base onto another module of
// the same type, opens the live values and calibration, and writes a report.
#include <QString>
#include <array>
#include <functional>

#include "core/model/AnalogChannel.h"
#include "ui/modules/ModuleEditorDialog.h"
#include "ui/widgets/ReportPrinting.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace zul {

class LinkWorker;
class ModbusLink;
class CopyBlocks;
class CalibrationWindow;
class AnalogModules;
class ReserveBlocks;

class AnalogModuleWindow : public ModuleEditorDialog {
  Q_OBJECT
 public:
  AnalogModuleWindow(ServiceBlock& serv, AnalogModules& mba, ReserveBlocks& reserve, CopyBlocks& copies,
                     ModbusLink& port, LinkWorker& worker, CalibrationWindow& kalibr, Interaction& ui,
                     QWidget* parent = nullptr);

  // The module in `slot` (1..16), number `module` (1..8) among the analog
  // modules, of `moduleType`; `inputsText` is the slot's "Входы" cell.
  void Prepare(int slot, int module, int moduleType, const QString& inputsText);
  int Open(int slot, int module, int moduleType, const QString& inputsText);

  bool canClose() override;
  void openOnline();
  void printReport();
  // The report's title line (file or controller); set by the main window.
  std::function<std::string()> ReportTitle;
  // The save dialog and the printing of the report; a test puts its own here.
  FileChooser DialSaveFile;
  ReportPrinter PrintReport;

  // Handlers of a channel's lists (c = 0..5, index of the chosen entry).
  void onScaleChosen(int c, int index);
  void onScaleMinChosen(int c, int index);
  void onScaleMaxChosen(int c, int index);

  struct ChannelRow {
    QLabel* Label;
    QLineEdit* Poz;
    QComboBox* Sk;
    QComboBox* TInp;
    QComboBox* Razm;
    QLineEdit* NSK;
    QLineEdit* VSK;
    QComboBox* MinSk;
    QComboBox* MaxSk;
    std::array<QLineEdit*, 4> Ust;  // LL, L, H, HH
    QLineEdit* ZonaIns;
  };
  std::array<ChannelRow, kAnalogChannelCount> Rows{};
  QLabel* LabTMod;
  QLabel* LabNMod;
  QLabel* LabN;
  QLabel* Label10;  // "входной сигнал"
  QLabel* Label12;  // "зона нечувст."
  QPushButton* ButOnLine;
  QPushButton* ButPrint;

 protected:
  void copyModuleBase() override;
  void replaceModuleBase() override;

 private:
  void OpenCalibration();  // after the live values are in
  ChannelRow BuildRow(int c);
  void Fill();
  void FillRangeLists(int c);
  void ShowScaleKind(int c);  // type 8: lists or free scale fields
  bool UsesRangeLists(int c) const;
  void MarkEdited();
  void leaveValue(int c, QLineEdit* field, AnalogValue which, int kind);
  void leaveDeadZone(int c);
  void leavePosition(int c);
  void leaveList(QComboBox* list);
  bool CheckScaleFields();
  int Index() const { return module_ - 1; }

  AnalogModules& mba_;
  ReserveBlocks& reserve_;
  CopyBlocks& copies_;
  ModbusLink& port_;
  LinkWorker& worker_;
  CalibrationWindow& kalibr_;
  int slot_ = 1;
  int module_ = 1;
  int type_ = 6;
  QString inputsText_;
};

}  // namespace zul
