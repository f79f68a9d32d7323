#pragma once
// "Программирование модуля  ЛК-2": dry contact or NAMUR for each of the 12
// inputs of a programmable discrete input module; one slot's word of the
// sensor-type table (block 98) in discreteProcessing.
#include <QGroupBox>
#include <array>

#include "ui/modules/ModuleEditorDialog.h"

class QButtonGroup;
class QLabel;

namespace zul {

class LinkWorker;
class ModbusLink;
class DiscreteInputsOnline;
class DiscreteProcessing;
class ReserveBlocks;

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

class SensorTypesWindow : public ModuleEditorDialog {
  Q_OBJECT
 public:
  static constexpr int kSensors = 12;

  SensorTypesWindow(ServiceBlock& serv, DiscreteProcessing& zul, ReserveBlocks& reserve, ModbusLink& port,
                    LinkWorker& worker, DiscreteInputsOnline& online, Interaction& ui,
                    QWidget* parent = nullptr);

  // The module in `slot` (1..16); its "Тип модуля" and "Входы" cells.
  void Prepare(int slot, const QString& typeText, const QString& inputsText);
  int Open(int slot, const QString& typeText, const QString& inputsText);

  bool canClose() override;
  void onSensorTypeChosen(int sensor);  // sensor 0..11
  void openOnline();
  void sendSensorTypes();  // the block transfer

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
  void copyModuleBase() override {}
  void replaceModuleBase() override {}

 private:
  DiscreteProcessing& zul_;
  ReserveBlocks& reserve_;
  ModbusLink& port_;
  LinkWorker& worker_;
  DiscreteInputsOnline& online_;
  int slot_ = 1;
};

}  // namespace zul
