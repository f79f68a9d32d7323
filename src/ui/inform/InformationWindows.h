#pragma once
// The inputs information window (InputsWindow) and the outputs information window
// (OutputsWindow): the signal and output tables of the configuration in memory,
// text editing, group copy and replace of texts, and the .rtf reports.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/config/InformTables.h"
#include "ui/main/ZulFileDialogs.h"
#include "ui/widgets/ReportPrinting.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace zul {

class LinkWorker;
class Interaction;
class ModbusLink;
class AnalogInputInfoDialog;
class NetworkInputInfoDialog;
class InputTextDialog;
class OutputTextDialog;
class SignalNumberDialog;
struct Configuration;

// The dialogs the information windows and the discrete processing editor
// share; created once with the main window.
struct SignalDialogSet {
  class AlarmTypeDialog* alarmTypeDialog = nullptr;
  class DelayDialog* delayDialog = nullptr;
  class RelayOutputsDialog* relayOutputsDialog = nullptr;
  class ArchivingDialog* archivingDialog = nullptr;
  InputTextDialog* inputTextDialog = nullptr;
  OutputTextDialog* outputTextDialog = nullptr;
  SignalNumberDialog* signalNumberDialog = nullptr;
  class RelayOutputInfoDialog* relayOutputInfoDialog = nullptr;
  AnalogInputInfoDialog* analogInputInfoDialog = nullptr;
  NetworkInputInfoDialog* networkInputInfoDialog = nullptr;
};
SignalDialogSet CreateSignalDialogs(Configuration& model, Interaction& ui, QWidget* parent);

// What both windows share: the model, the link, the report command.
class InformWindow : public QDialog {
  Q_OBJECT
 public:
  // The report's title line (file or controller); set by the main window.
  std::function<std::string()> ReportTitle;
  // The save dialog DialSaveFile and the printing; a test puts its own here.
  FileChooser DialSaveFile;
  ReportPrinter PrintReport;

  QMenu* PopupMenu1;
  QAction* CopyTextGroup;
  QAction* InsertTextGroup;

 protected:
  InformWindow(Configuration& model, Interaction& ui, const SignalDialogSet& dialogs, const char* name,
               const QString& caption, QWidget* parent);
  ReportOutcome RunReport(const Report& report);
  std::string Title() const;
  // A read-only grid with `headerRows` rows of column heads on top.
  QTableWidget* MakeGrid(const char* name, int columns, int rows, int headerRows);
  static void SetCell(QTableWidget* grid, int row, int column, const std::string& text);
  static std::string CellText(const QTableWidget* grid, int row, int column);

  Configuration& model_;
  Interaction& ui_;
  SignalDialogSet dialogs_;
};

class InputsWindow : public InformWindow {
  Q_OBJECT
 public:
  InputsWindow(Configuration& model, ModbusLink& port, LinkWorker& worker, Interaction& ui,
               const SignalDialogSet& dialogs, QWidget* parent = nullptr);

  // Fills both tables; `relay` Blank leaves column 4 blank (the editors).
  void Fill(RelayColumn relay = RelayColumn::Shown);
  // Fills and shows modally.
  int Open(RelayColumn relay = RelayColumn::Shown);

  void onRowDoubleClicked();
  void copyTextGroup();
  void insertTextGroup();
  void reportDiscreteInputs();
  void reportAnalogInputs();
  int RememberedColumn() const { return rememberedColumn_; }
  // The report lines as the tables show them now.
  Report DiscreteReport() const;
  Report AnalogReport() const;

  QLabel* Label1;
  QTableWidget* StringGrid1;
  QLabel* Label2;
  QTableWidget* StringGrid2;
  QPushButton* BNew1;
  QPushButton* BNew2;
  QProgressBar* ProgressBar1;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void EditText(int row);
  void ShowInputInfo(int row);
  void RefreshTexts();

  ModbusLink& port_;
  LinkWorker& worker_;
  int rememberedColumn_ = 0;
};

class OutputsWindow : public InformWindow {
  Q_OBJECT
 public:
  OutputsWindow(Configuration& model, Interaction& ui, const SignalDialogSet& dialogs,
                QWidget* parent = nullptr);

  void Fill();
  int Open();

  void onRowDoubleClicked();
  void copyTextGroup();
  void insertTextGroup();
  void takeNamesFromFile();
  void reportOutputs();
  Report OutputsReport() const;

  // The open dialog DialOpenFile (.zul); a test puts its own here.
  FileChooser DialOpenFile;

  QLabel* Label1;
  QTableWidget* StringGrid1;
  QPushButton* NameFromFile;
  QPushButton* BNew;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void RefreshTexts();
};

}  // namespace zul
