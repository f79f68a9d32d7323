#pragma once
// The main window: owns the link and the configuration's block objects,
// shows the module composition, and starts every command and window.
#include <QMainWindow>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/config/Configuration.h"
#include "core/link/TComPortClass.h"
#include "core/config/ModuleTable.h"
#include "ui/inform/TInform.h"
#include "ui/main/ZulFileDialogs.h"
#include "ui/widgets/ExchangeGate.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace zul {

class TConfig;
class TFPSW;
class TFormNastr;
class TFormPort;
class TFormTimeDate;
class TFormVhD;
class TFormVyhOnL;
class TInform;
class TInformMR;
class TFormPROG;
class TFormKalibr;
class TFormMR;
class TFormTipDat;

// What the command line and the environment decide.
struct ProgramOptions {
  std::vector<std::string> namedPorts;  // zulprog --port PATH, in order
  std::filesystem::path passwordFile;   // FParol.dat
  QString fileDirectory;                // where the file dialogs start
};

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  TForm1(SerialLine& line, Clock& clock, Interaction& ui, ProgramOptions options, QWidget* parent = nullptr);
  ~TForm1() override;

  // --- what the program owns for its whole life -------------------------------
  ExchangeGate Gate;
  TComPortClass Port;
  Configuration Model;
  // The block objects under their design names, as the windows use them.
  TServClass& Serv = Model.Serv;
  TProgMBAClass& ProgMBA = Model.ProgMBA;
  TProgMRClass& ProgMR = Model.ProgMR;
  TProgMBMClass& ProgMBM = Model.ProgMBM;
  TProgZulClass& ProgZul = Model.ProgZul;
  TProgFBClass& ProgFB = Model.ProgFB;
  TProgRegClass& ProgReg = Model.ProgReg;
  TProgF15Class& ProgF15 = Model.ProgF15;
  TReservBlocksClass& ReservBlocks = Model.ReservBlocks;
  TCopyBlocksClass& CopyBlocks = Model.CopyBlocks;

  // --- handlers -------------------------------------------------------------------
  // First showing: the password decides the access level; false when the
  // user gave up and the program is to end.
  bool CheckPasswordAtStart();
  void CBoxUstrClick(int index);
  void CBoxUstrZClick(int index);
  void RefreshModuleTable();
  void Prg1Click(int row);  // row 1..16
  void CBoxRazmChangeClick(int index);
  void ButRazmClick();
  void ButDefaultClick();
  void FillUnitList();
  void ButTimeDateClick();
  void ButProgDiskrClick();
  void InformButClick();
  void InformButMRClick();
  void APortExecute();
  void NastrObmClick();
  void N1ParolClick();
  void CreatFileClick();
  void OpenFileClick();
  void SaveFileClick();
  void InPortButClick();
  void OutPortClick();
  // The closing question of file mode; closes the port there.
  void FormCloseQuery();
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
  QPushButton* ButTimeDate;
  QProgressBar* ProgressBar1;
  QGroupBox* GroupBox1;
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

  // --- the windows, created once with the main window ---------------------------------
  TFormNastr* FormNastr;
  TFormPort* FormPort;
  TFPSW* FPSW;
  TFormTimeDate* FormTimeDate;
  TFormVhD* FormVhD;
  TFormVyhOnL* FormVyhOnL;
  TFormKalibr* FormKalibr;
  TFormPROG* FormPROG;
  TFormMR* FormMR;
  TFormTipDat* FormTipDat;
  TConfig* Config;
  SignalDialogSet Dialogs;
  TInform* Inform;
  TInformMR* InformMR;

  Interaction& UI() { return ui_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  QWidget* BuildDevicePanel();
  QWidget* BuildModuleGrid();
  void CreateWindows();
  // Editor buttons that only make sense with a configuration in memory.
  std::vector<QWidget*> EditorControls() const;
  void StoreUnits();

  Interaction& ui_;
  ProgramOptions options_;
  bool shownOnce_ = false;
};

}  // namespace zul
