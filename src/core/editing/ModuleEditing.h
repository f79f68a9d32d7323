#pragma once
// What the module editors do with their data when they close: put back the
// reference copy after "Отмена", in file mode keep the edits as the new
// reference and mark the file changed, in device mode offer to send an edited
// block and put back the reference copy when the user declines. One rule for
// every editor; each editor only says what its block is.
#include <cstdint>
#include <string>

#include "core/Interaction.h"

namespace zul {

class ModbusLink;
class AnalogModules;
class RelayModules;
class DiscreteProcessing;
class ReserveBlocks;
class ServiceBlock;

inline constexpr const char* kSendQuestionCaption = "Подтвердите передачу базы данных";
// The analog module window writes the verb with Cyrillic letters only, the
// relay and sensor-type windows with a Latin "e".
inline constexpr const char* kAnalogSendQuestion = "База  была изменена. Передать в прибор?";
inline constexpr const char* kRelaySendQuestion = "База  была изменена. Пeредать в прибор?";

// The block (or part of one) an editor changes.
class EditedBlock {
 public:
  virtual ~EditedBlock() = default;
  virtual bool Edited() const = 0;
  virtual void MarkUnchanged() = 0;
  // Reference copy -> configuration.
  virtual void RestoreReference() = 0;
  // Configuration -> reference copy.
  virtual void KeepAsReference() = 0;
  // Store-and-confirm on the controller; true when it was stored. Failures
  // have been shown to the user.
  virtual bool Send() = 0;
};

enum class CloseVerdict { Close, Stay };

// The closing of an editor whose fields have been checked. `cancelled`: the
// user pressed "Отмена".
CloseVerdict CloseEditor(EditedBlock& block, bool cancelled, ServiceBlock& serv, Interaction& ui,
                         const std::string& question);
// The same in steps, for a window that asks on its own thread and sends on the
// link's: the question of an edited block in device mode, then what its answer
// does (Yes sends the block).
Message SendQuestion(const std::string& question);
CloseVerdict CloseEditorAnswered(EditedBlock& block, Answer answer);

// Sends the block and, once stored, makes it the reference copy and marks it
// unchanged; a failed send leaves it edited.
bool SendEditedBlock(EditedBlock& block);

// --- the blocks of the module editors ---------------------------------------------------

// The 169-byte record of analog module m (0..7).
class AnalogModuleBlock : public EditedBlock {
 public:
  AnalogModuleBlock(AnalogModules& mba, ReserveBlocks& reserve, ModbusLink& port, const int& device,
                    int module);
  bool Edited() const override;
  void MarkUnchanged() override;
  void RestoreReference() override;
  void KeepAsReference() override;
  bool Send() override;

 private:
  AnalogModules& mba_;
  ReserveBlocks& reserve_;
  ModbusLink& port_;
  const int& device_;
  int module_;
};

// The 24 bytes of relay module m (0..7) inside block 9; the whole block goes
// to the controller and to the reference copy.
class RelayModuleBlock : public EditedBlock {
 public:
  RelayModuleBlock(RelayModules& mr, ReserveBlocks& reserve, ModbusLink& port, const int& device, int module);
  bool Edited() const override;
  void MarkUnchanged() override;
  void RestoreReference() override;
  void KeepAsReference() override;
  bool Send() override;

 private:
  RelayModules& mr_;
  ReserveBlocks& reserve_;
  ModbusLink& port_;
  const int& device_;
  int module_;
};

// The sensor-type word of a programmable discrete module's slot (1..16)
// inside block 98. The reference copy keeps the first 16 bytes (slots 1..8).
class SensorTypeBlock : public EditedBlock {
 public:
  SensorTypeBlock(DiscreteProcessing& zul, ReserveBlocks& reserve, ModbusLink& port, const int& device,
                  int slot);
  bool Edited() const override;
  void MarkUnchanged() override;
  void RestoreReference() override;
  void KeepAsReference() override;
  bool Send() override;

 private:
  DiscreteProcessing& zul_;
  ReserveBlocks& reserve_;
  ModbusLink& port_;
  const int& device_;
  int slot_;
};

}  // namespace zul
