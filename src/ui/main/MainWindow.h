#pragma once
// The main window: owns the link and the configuration's block objects,
// shows the module composition, and starts every command and window.
#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/config/Configuration.h"
#include "core/config/ModuleTable.h"
#include "core/link/ModbusLink.h"
#include "ui/inform/InformationWindows.h"
#include "ui/link/LinkWorker.h"
#include "ui/main/ZulFileDialogs.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QToolBar;

namespace zul {

class NewConfigurationDialog;
class PasswordDialog;
class ExchangeSettingsDialog;
class PortDialog;
class ClockWindow;
class DiscreteInputsOnline;
class RelayOutputsOnline;
class InputsWindow;
class OutputsWindow;
class AnalogModuleWindow;
class CalibrationWindow;
class RelayModuleWindow;
class SensorTypesWindow;
class DiscreteProcessingEditor;
class LocalNetworkWindow;
enum class LocalNetworkMode;
class FunctionBlockEditor;
class ControlLoopDialog;
class RegulatorOnlineView;
class RegulatorEditor;
class CommissioningMenus;

// What the command line and the environment decide.
struct ProgramOptions {
  std::vector<std::string> namedPorts;            // zulprog --port PATH, in order
  std::filesystem::path passwordFile;             // FParol.dat
  QString fileDirectory;                          // where the file dialogs start
  QString backupRoot{};                           // backups before writes go here; empty: none
  std::function<void(int ms)> answerTimeLimit{};  // the line's short answer time for scans
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(SerialLine& line, Clock& clock, Interaction& ui, ProgramOptions options,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // --- what the program owns for its whole life -------------------------------
  ModbusLink link;
  // Every exchange with the controller runs here, one at a time.
  LinkWorker Worker;
  Configuration config;
  // The block objects under their design names, as the windows use them.
  ServiceBlock& service = config.service;
  AnalogModules& analogModules = config.analogModules;
  RelayModules& relayModules = config.relayModules;
  NetworkMaster& networkMaster = config.networkMaster;
  DiscreteProcessing& discreteProcessing = config.discreteProcessing;
  FunctionBlocks& functionBlocks = config.functionBlocks;
  Regulators& regulators = config.regulators;
  Function15Blocks& function15Blocks = config.function15Blocks;
  ReserveBlocks& reserveBlocks = config.reserveBlocks;
  CopyBlocks& copyBlocks = config.copyBlocks;

  // --- handlers -------------------------------------------------------------------
  // First showing: the password decides the access level; false when the
  // user gave up and the program is to end.
  bool CheckPasswordAtStart();
  void onDeviceChosen(int index);
  void renumberDevice(int index);
  void RefreshModuleTable();
  void openModuleWindow(int row);  // row 1..16
  void onUnitChosen(int index);
  void applyUnitName();
  void restoreDefaultUnits();
  void FillUnitList();
  void openClockWindow();
  void openDiscreteProcessingEditor();
  void openFunctionBlockEditor();
  void openRegulatorEditor(int row);  // the regulator module's row 1..16
  void openInputsWindow();
  void openOutputsWindow();
  void openLocalNetworkWindow(LocalNetworkMode mode);
  void openPortDialog();
  void openExchangeSettings();
  void changePassword();
  void createConfigurationFile();
  void openConfigurationFile();
  void saveConfigurationFile();
  void readFromController();
  void writeToController();
  // F10, then `then` on the UI thread whatever the write's outcome.
  void WriteToControllerThen(std::function<void()> then);
  // The closing question of file mode; closes the port there.
  void canClose();
  // Opens the first port named on the command line with the default settings.
  void OpenNamedPort();
  // What a new configuration leaves before it is opened: no composition shown,
  // the editors unavailable, file mode.
  void ClearConfigurationView();
  // After a read or an opened file: identity, module table, unit list, editors available.
  void ShowConfiguration();
  // LabelFile: "Режим работы с файлом" with the file's name, shown in file mode only.
  void ShowFileMode(bool on);

  // The file dialogs (a test puts its own chooser here) and the name last chosen.
  FileChooser ChooseFile;
  QString FileName;

  // --- controls (objectName = the member's name) ------------------------------------
  QComboBox* CBoxUstr;
  QComboBox* CBoxUstrZ;
  QLineEdit* EditModif;
  QLabel* StZUL;
  QLabel* StZUL1;
  QLabel* StZUL2;
  QLabel* TipModInd;
  QLabel* LabelFile;
  QGroupBox* GBoxKanal;
  QLabel* StKVhD;
  QLabel* StKVhA;
  QLabel* StKVyhS;
  QLabel* StAllD;
  QLabel* StAllAn;
  QPushButton* InformBut;
  QPushButton* InformButMR;
  QGroupBox* GBoxRazm;
  QComboBox* CBoxRazmChange;
  QComboBox* CBoxRazmDef;
  QPushButton* ButRazm;
  QPushButton* ButDefault;
  QGroupBox* GBoxLoc;
  QPushButton* LocalNet1;
  QPushButton* LocNet15;
  QPushButton* LocNetObm;
  QPushButton* ButProgDiskr;
  QPushButton* ButProgFB;  // the function block editor, until the discrete processing editor opens it
  QPushButton* ButTimeDate;
  QProgressBar* ProgressBar1;
  QGroupBox* GroupBox1;
  QScrollArea* ScrollBox;  // holds the panel and the table; scrolls on small screens
  struct ModuleRow {
    QLabel* AdrM;
    QLabel* M;
    QLabel* KM;
    QLabel* IdVh;
    QLabel* IdVyh;
    QPushButton* Prg;
  };
  std::array<ModuleRow, kModuleRows> Rows{};

  QAction* ACreatFile;
  QAction* AOpenFile;
  QAction* ASaveFile;
  QAction* AInPort;
  QAction* AOutPort;
  QAction* APort;
  QAction* ANastr;
  QAction* AParol;
  QMenu* MenuFile;
  QMenu* MenuPort;
  QMenu* MenuParol;
  QToolBar* ToolBar1;
  // The desktop program's usual parts: "Выход", "Справка" with "О программе",
  // the status bar, and the hint of the first screen.
  QAction* AExit;
  QAction* AAbout;
  QMenu* MenuHelp;
  QLabel* StatusHint;      // how to start, while there is no configuration
  QLabel* StatusPort;      // the port and its settings
  QLabel* StatusDevice;    // "прибор № N"
  QLabel* StatusAccess;    // "полный доступ" / "просмотр"
  QLabel* StatusSource;    // the file's name, or "прибор"
  QLabel* StatusExchange;  // the last exchange's result
  void UpdateStatusBar();
  void showAbout();
  QString AboutText() const;

  // --- the windows, created once with the main window ---------------------------------
  ExchangeSettingsDialog* exchangeSettingsDialog;
  PortDialog* portDialog;
  PasswordDialog* passwordDialog;
  ClockWindow* clockWindow;
  DiscreteInputsOnline* discreteInputsOnline;
  RelayOutputsOnline* relayOutputsOnline;
  CalibrationWindow* calibrationWindow;
  AnalogModuleWindow* analogModuleWindow;
  RelayModuleWindow* relayModuleWindow;
  SensorTypesWindow* sensorTypesWindow;
  NewConfigurationDialog* newConfigurationDialog;
  SignalDialogSet signalDialogs;
  InputsWindow* inputsWindow;
  OutputsWindow* outputsWindow;
  DiscreteProcessingEditor* discreteProcessingEditor;
  LocalNetworkWindow* localNetworkWindow;
  FunctionBlockEditor* functionBlockEditor;
  ControlLoopDialog* controlLoopDialog;
  RegulatorOnlineView* regulatorOnlineView;
  RegulatorEditor* regulatorEditor;
  CommissioningMenus* commissioningMenus;

  Interaction& UI() { return ui_; }
  const ProgramOptions& Options() const { return options_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildChrome();
  QWidget* BuildDevicePanel();
  QWidget* BuildModuleGrid();
  QWidget* BuildEditorButtons();
  void CreateWindows();
  FunctionBlockEditor* CreateFunctionBlockEditor();
  // Editor buttons that only make sense with a configuration in memory.
  std::vector<QWidget*> EditorControls() const;
  void StoreUnits();

  Interaction& ui_;
  bool closing_ = false;  // the closing questions were asked; waiting for the line
  ProgramOptions options_;
  bool shownOnce_ = false;
};

}  // namespace zul
