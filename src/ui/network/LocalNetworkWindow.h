#pragma once
// The entry point to the controller's local network, in one of three modes:
// the sixteen master entries, the line settings, or the two function-15
// entries. Opens the editors, deletes entries and, on closing, writes what
// changed (or, in file mode, marks the file changed).
#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "core/editing/LocalNetworkEditing.h"

class QAction;
class QComboBox;
class QGroupBox;
class QMenu;
class QProgressBar;
class QPushButton;

namespace zul {

struct Configuration;
class LinkWorker;
class ModbusLink;
class NetworkMasterEditor;
class Function15Editor;

enum class LocalNetworkMode { Blocks, LineSettings, Function15 };

class LocalNetworkWindow : public QDialog {
  Q_OBJECT
 public:
  LocalNetworkWindow(Configuration& c, ModbusLink& port, LinkWorker& worker, Interaction& ui,
                     QWidget* parent = nullptr);
  ~LocalNetworkWindow() override;

  void Prepare(LocalNetworkMode mode);
  int Open(LocalNetworkMode mode);

  void openEntry(int k);
  void selectEntry(int k);  // a right click
  void deleteSelectedEntry();
  void openFunction15(int b);
  void selectFunction15(int b);
  void deleteSelectedFunction15();
  void onBaudChosen(int index);
  void onFrameChosen(int index);
  void RefreshCaptions();
  void done(int result) override;
  LocalNetworkSession* Session() { return session_.get(); }

  QGroupBox* GroupBox1;
  std::array<QPushButton*, 16> Buttons{};  // Button1..Button16
  QMenu* PopupMenu1;
  QAction* NDelete;
  QGroupBox* GroupBox2;
  QComboBox* Skor;
  QComboBox* Parit;
  QGroupBox* GroupBox3;
  QPushButton* LocNet15_1;
  QPushButton* LocNet15_2;
  QMenu* PopupMenu2;
  QAction* NDelete15;
  QPushButton* OK;
  QProgressBar* ProgressBar1;

  NetworkMasterEditor* masterEditor;
  Function15Editor* function15Editor;

 private:
  void FinishClosing(int result);
  class ProgressInteraction;

  Configuration& c_;
  ModbusLink& port_;
  LinkWorker& worker_;
  Interaction& ui_;
  std::unique_ptr<ProgressInteraction> progressUi_;
  std::unique_ptr<LocalNetworkSession> session_;
  int selectedEntry_ = -1;
  int selectedFunction15_ = 0;
};

}  // namespace zul
