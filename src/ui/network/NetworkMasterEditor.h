#pragma once
// The editor of one network master entry: the slave type decides which
// functions, counts and data types are possible; OK checks the entry and
// stores it with the positions of the following entries and everything that
// refers to moved signals, or stays open at the field in error. Escape puts
// the master block back as it was.
#include <QDialog>

#include "core/editing/LocalNetworkEditing.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zul {

struct Configuration;
class LinkWorker;
class Interaction;
class ModbusLink;
class NetworkScalingWindow;
class NetworkAnalogOnline;
class NetworkDiscreteOnline;

class NetworkMasterEditor : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kResultNormal = 2;
  static constexpr int kResultError = 6;
  NetworkMasterEditor(Configuration& c, ModbusLink& port, LinkWorker& worker, Interaction& ui,
                      QWidget* parent = nullptr);

  // Fills the editor for entry k; false when it may not open (message shown).
  bool Prepare(int k);
  // The whole command: prepare, show, report an error, and open the scaling
  // window after an accepted analog entry.
  int Open(int k);

  void onTypeChosen(int index);
  void onFunctionChosen(int index);
  void onDataTypeChosen(int index);
  void leaveField(QLineEdit* field);
  void openOnline();
  // Checks and stores the entry; false (messages shown, focus at the
  // field) keeps the editor open with what was typed.
  bool Finish();
  void done(int result) override;
  int ModalResult = kResultNormal;
  const MasterEntryForm& Form() const { return form_; }

  QLabel* LabN_MBM;
  QLabel* Label9;
  QComboBox* TipUstr;
  QLineEdit* EditKolVh;
  QLabel* StAddr_Beg1;
  QLabel* StAddr_Beg2;
  QLineEdit* EditXMax;
  QComboBox* CBoxKodF;
  QLineEdit* EditAdBegDat;
  QLineEdit* EditKolDat;
  QLineEdit* EditUstr;
  QComboBox* TipDate;
  QComboBox* Byte_Order;
  QPushButton* OK;
  QPushButton* ButOnLine;

  NetworkScalingWindow* scalingWindow;
  NetworkDiscreteOnline* discreteOnline;
  NetworkAnalogOnline* analogOnline;

 private:
  void ShowForm();
  void ReadForm();
  void PutStoredValueBack(MasterField field);
  QWidget* FieldOf(MasterField field) const;

  Configuration& c_;
  Interaction& ui_;
  MasterEditSession session_;
  MasterEntryForm form_;
};

}  // namespace zul
