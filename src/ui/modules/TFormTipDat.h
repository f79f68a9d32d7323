#pragma once
// "Программирование модуля  ЛК-2": dry contact or NAMUR for each of the 12
// inputs of a programmable discrete input module; one slot's word of the
// sensor-type table (block 98) in ProgZul.
#include <QGroupBox>
#include <array>

#include "ui/modules/ModuleEditorDialog.h"

class QButtonGroup;
class QLabel;

namespace zul {

class ExchangeGate;
class TComPortClass;
class TFormVhD;
class TProgZulClass;
class TReservBlocksClass;

// A group of radio buttons with an item index, as the sensor groups are.
class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& name, const QString& caption, const QStringList& items, QWidget* parent);
  int ItemIndex() const;
  void SetItemIndex(int index);
 signals:
  void Clicked();

 private:
  QButtonGroup* buttons_;
};

class TFormTipDat : public ModuleEditorDialog {
  Q_OBJECT
 public:
  static constexpr int kSensors = 12;

  TFormTipDat(TServClass& serv, TProgZulClass& zul, TReservBlocksClass& reserve, TComPortClass& port,
              ExchangeGate& gate, TFormVhD& online, Interaction& ui, QWidget* parent = nullptr);

  // The module in `slot` (1..16); its "Тип модуля" and "Входы" cells.
  void Prepare(int slot, const QString& typeText, const QString& inputsText);
  int Open(int slot, const QString& typeText, const QString& inputsText);

  bool FormCloseQuery() override;
  void RadioGroup1Click(int sensor);  // sensor 0..11
  void ButOnLineClick();
  void SaveClick();  // the block transfer

  QLabel* LabMod;
  QLabel* LabNMod;
  QLabel* LabMod1;
  QLabel* LabTMod;
  QLabel* LabN;
  QGroupBox* GroupBox1;
  std::array<RadioGroup*, kSensors> RadioGroups{};
  QPushButton* ButOnLine;
  QPushButton* Save;

 protected:
  void CopyClick() override {}
  void ReplaceClick() override {}

 private:
  TProgZulClass& zul_;
  TReservBlocksClass& reserve_;
  TComPortClass& port_;
  ExchangeGate& gate_;
  TFormVhD& online_;
  int slot_ = 1;
};

}  // namespace zul
