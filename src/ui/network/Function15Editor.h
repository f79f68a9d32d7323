#pragma once
// The editor of one function-15 entry: the slave, the request and the 32
// discrete signals sent as coils. Closing checks the entry and, in device
// mode, offers to store the block in the controller.
#include <QDialog>
#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace zul {

struct Configuration;
class LinkWorker;
class Interaction;
class ModbusLink;

class Function15Editor : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kResultNormal = 2;
  static constexpr int kResultError = 6;
  Function15Editor(Configuration& c, ModbusLink& port, LinkWorker& worker, Interaction& ui,
                   QWidget* parent = nullptr);

  void Prepare(int b);
  // Shows the editor for entry b; afterwards an error result is reported.
  int Open(int b);
  void leaveFunction();
  void leaveInputs();
  void markChanged();
  // The close request: false keeps the editor open. Sets ModalResult.
  bool canClose();
  void done(int result) override;
  int ModalResult = kResultNormal;

  // What "Входные сигналы" opens (the inputs information window).
  std::function<void()> OpenInputs;

  QLabel* LabN_MBM;
  QLineEdit* EditKodF;
  QLabel* HintKodF;
  QComboBox* CBoxUstr;
  QLineEdit* EditKolVh;
  QLabel* HintKolVh;
  QLineEdit* EditAdBegDat;
  QLineEdit* EditKolDat;
  QToolButton* Kvit;
  QToolButton* Sbros;
  std::array<QLineEdit*, 32> Edits{};  // Edit1..Edit32
  QPushButton* ButInputs;
  QPushButton* OK;

 private:
  int closingResult_ = 0;  // what a closing write ends the dialog with
  void ShowSignalFields(int enabled);

  Configuration& c_;
  ModbusLink& port_;
  LinkWorker& worker_;
  Interaction& ui_;
  int entry_ = 0;
  bool filling_ = false;
};

}  // namespace zul
