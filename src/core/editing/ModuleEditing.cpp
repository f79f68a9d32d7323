#include "core/editing/ModuleEditing.h"

#include <algorithm>

#include "core/link/ModbusLink.h"
#include "core/model/AnalogModules.h"
#include "core/model/DiscreteProcessing.h"
#include "core/model/RelayModules.h"
#include "core/model/ReserveBlocks.h"
#include "core/model/ServiceBlock.h"

namespace zul {

bool SendEditedBlock(EditedBlock& block) {
  if (!block.Send()) return false;
  block.KeepAsReference();
  block.MarkUnchanged();
  return true;
}

CloseVerdict CloseEditor(EditedBlock& block, bool cancelled, ServiceBlock& serv, Interaction& ui,
                         const std::string& question) {
  if (cancelled) {
    block.RestoreReference();
    block.MarkUnchanged();
    return CloseVerdict::Close;
  }
  if (serv.FileMode == 1) {
    block.KeepAsReference();
    if (block.Edited()) serv.FileChanged = 1;
    return CloseVerdict::Close;
  }
  if (!block.Edited()) return CloseVerdict::Close;
  return CloseEditorAnswered(block, ui.Ask(SendQuestion(question)));
}

Message SendQuestion(const std::string& question) {
  return {kSendQuestionCaption, question, Icon::Question, Buttons::YesNoCancel, Answer::No};
}

CloseVerdict CloseEditorAnswered(EditedBlock& block, Answer answer) {
  switch (answer) {
    case Answer::Yes:
      SendEditedBlock(block);  // a failure has been shown; the edits stay
      return CloseVerdict::Close;
    case Answer::No:
      // The controller keeps what it had, so must the configuration.
      block.MarkUnchanged();
      block.RestoreReference();
      return CloseVerdict::Close;
    default:
      return CloseVerdict::Stay;
  }
}

// --- analog module record ---------------------------------------------------------------

AnalogModuleBlock::AnalogModuleBlock(AnalogModules& mba, ReserveBlocks& reserve, ModbusLink& port,
                                     const int& device, int module)
    : mba_(mba),
      reserve_(reserve),
      port_(port),
      device_(device),
      module_(std::clamp(module, 0, AnalogModules::kModules - 1)) {}

bool AnalogModuleBlock::Edited() const { return mba_.Unchanged[static_cast<size_t>(module_)] == 0; }

void AnalogModuleBlock::MarkUnchanged() { mba_.Unchanged[static_cast<size_t>(module_)] = 1; }

void AnalogModuleBlock::RestoreReference() {
  mba_.LoadRecord(module_, reserve_.ModuleRecords[static_cast<size_t>(module_)]);
}

void AnalogModuleBlock::KeepAsReference() {
  const auto record = mba_.GetRecord(module_);
  auto& reference = reserve_.ModuleRecords[static_cast<size_t>(module_)];
  std::copy_n(record.begin(), std::min(record.size(), reference.size()), reference.begin());
}

bool AnalogModuleBlock::Send() {
  const auto record = mba_.GetRecord(module_);
  return port_.WriteBlock(device_, static_cast<uint8_t>(module_ + 1),
                          BlockPayload(record.subspan(1), mba_.GetRecordLength()));
}

// --- relay module ------------------------------------------------------------------------

RelayModuleBlock::RelayModuleBlock(RelayModules& mr, ReserveBlocks& reserve, ModbusLink& port,
                                   const int& device, int module)
    : mr_(mr),
      reserve_(reserve),
      port_(port),
      device_(device),
      module_(std::clamp(module, 0, RelayModules::kModules - 1)) {}

bool RelayModuleBlock::Edited() const { return mr_.Unchanged[static_cast<size_t>(module_)] == 0; }

void RelayModuleBlock::MarkUnchanged() { mr_.Unchanged[static_cast<size_t>(module_)] = 1; }

void RelayModuleBlock::RestoreReference() { mr_.LoadBlock(reserve_.RelayBlock); }

void RelayModuleBlock::KeepAsReference() {
  const auto block = mr_.GetBlock();
  std::copy_n(block.begin(), std::min(block.size(), reserve_.RelayBlock.size()), reserve_.RelayBlock.begin());
}

bool RelayModuleBlock::Send() {
  const auto block = mr_.GetBlock();
  return port_.WriteBlock(device_, RelayModules::kBlockNumber,
                          BlockPayload(block.subspan(1), mr_.GetBlockLength()));
}

// --- sensor types of a programmable discrete module ---------------------------------------

SensorTypeBlock::SensorTypeBlock(DiscreteProcessing& zul, ReserveBlocks& reserve, ModbusLink& port,
                                 const int& device, int slot)
    : zul_(zul),
      reserve_(reserve),
      port_(port),
      device_(device),
      slot_(std::clamp(slot, 1, DiscreteProcessing::kSlots)) {}

bool SensorTypeBlock::Edited() const { return zul_.ModuleSynced[static_cast<size_t>(slot_)] == 0; }

void SensorTypeBlock::MarkUnchanged() { zul_.ModuleSynced[static_cast<size_t>(slot_)] = 1; }

void SensorTypeBlock::RestoreReference() {
  for (int k = 0; k < ReserveBlocks::kSensorTypeBytes; ++k) {
    zul_.SetSensorTypeByte(k, reserve_.SensorTypes[static_cast<size_t>(k)]);
  }
  zul_.UnpackSensorTypes();
}

void SensorTypeBlock::KeepAsReference() {
  for (int k = 0; k < ReserveBlocks::kSensorTypeBytes; ++k) {
    reserve_.SensorTypes[static_cast<size_t>(k)] = static_cast<uint8_t>(zul_.GetSensorTypeByte(k));
  }
}

bool SensorTypeBlock::Send() {
  zul_.Modified = 1;
  return port_.WriteBlock(device_, DiscreteProcessing::kSensorBlockNumber,
                          BlockPayload(zul_.SensorTypes(), zul_.GetSensorBlockLen()));
}

}  // namespace zul
