#pragma once
// The block dialog: kind, inputs and parameters of one function block. It
// shows and collects FunctionBlockValues; the editor stores them.
#include <QDialog>
#include <array>
#include <functional>

#include "core/editing/FunctionBlockForm.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zul {

class HintLabel;
class Interaction;

// A titled group of radio buttons whose checked index is the value.
class RadioChoice : public QWidget {
  Q_OBJECT
 public:
  RadioChoice(const char* name, const QString& title, const QStringList& items, QWidget* parent);
  int Index() const;
  void SetIndex(int index);
  QRadioButton* Item(int index) const;
  QGroupBox* Box() const { return box_; }
 signals:
  void chosen(int index);

 private:
  QGroupBox* box_;
  QButtonGroup* group_;
};

class FunctionBlockDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Mode { Create, Edit, Insert };
  explicit FunctionBlockDialog(Interaction& ui, QWidget* parent = nullptr);

  // Fills every control for block `number` (1-based).
  void Prepare(int number, Mode mode, const FunctionBlockValues& values);
  FunctionBlockValues Values() const;
  bool Cancelled() const { return cancelled_; }

  // The choices, as a click makes them.
  void chooseKind(int kind);
  void chooseTimerKind(int kind);
  void chooseTimerSetpointKind(int kind);
  void chooseComparatorSetpointKind(int kind);
  // OK: the checks; the first failure keeps the dialog open with its note.
  void onOk();
  void reject() override;

  // "Входные сигналы": the editor shows the inputs information window.
  std::function<void()> ShowInputs;

  QLabel* LabFB;
  QLineEdit* EditNFB;
  QLabel* LabCreatProg;
  RadioChoice* RadioGroup1;
  QLabel* LabVkl;
  QPushButton* SBVkl;
  QGroupBox* GBInputs;
  std::array<QComboBox*, 4> Polarity{};  // ComboBox1, 3, 5, 7
  std::array<QComboBox*, 4> Source{};    // ComboBox2, 4, 6, 8
  std::array<QLineEdit*, 4> EditVx{};
  std::array<QLabel*, 4> LabRS{};
  QGroupBox* GBTimer;
  RadioChoice* RadioGroup2;
  RadioChoice* RadioGroup4;
  RadioChoice* RadioGroup5;
  QLineEdit* EditT;
  QLineEdit* EditAdrT;
  QGroupBox* GBClock;
  QLineEdit* EditHour;
  QLineEdit* EditMin;
  QLineEdit* EditSec;
  RadioChoice* RadioGroup3;
  QGroupBox* GBCount;
  QLineEdit* EditLimCount;
  QGroupBox* GBComp;
  QLineEdit* EditAnVh;
  QComboBox* ComboBox9;
  RadioChoice* RadioGroup6;
  QLineEdit* EditLim;
  QLineEdit* EditAdrUst;
  QComboBox* CBoxCond;
  QLineEdit* EditGist;
  QPushButton* InformBut;
  QPushButton* OK;
  QPushButton* Cancel;
  HintLabel* ErrorText;

 private:
  void SetValues(const FunctionBlockValues& v);
  void Enable(const FunctionBlockValues& v);
  void SetArchive(bool on);
  QLineEdit* FieldOf(BlockField field) const;

  Interaction& ui_;
  int number_ = 1;
  bool cancelled_ = true;
  bool filling_ = false;
};

}  // namespace zul
