#pragma once
// Programming of the relay output modules (ЛК-3 .. ЛК-6): for each of up to 8
// modules and each of its 8 outputs, the output type, its mode and where it is
// acknowledged and reset from. One 193-byte block, controller block 9.
//
// Output record (3 bytes at 1 + 24 * m + 3 * o): byte 0 bit 0 output type,
// bit 1 mode, bit 2 reset from the upper level, bit 3 acknowledgement from the
// upper level, bit 4 reset from the central panel, bit 5 acknowledgement from
// the central panel; byte 1 external acknowledgement input; byte 2 external
// reset input (0 = none).
//
// Accessors take the output o (0..7) first, then the module m (0..7). An index
// out of range makes an operation do nothing (getters return 0).
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace zul {

class RelayModules {
 public:
  static constexpr int kModules = 8;
  static constexpr int kOutputs = 8;
  static constexpr int kOutputSize = 3;
  static constexpr int kModuleSize = kOutputs * kOutputSize;     // 24
  static constexpr int kBlockSize = 1 + kModules * kModuleSize;  // 193
  static constexpr uint8_t kBlockNumber = 9;
  static constexpr int kAnswerDataOffset = 3;
  static constexpr uint8_t kReadFunction = 68;
  // Control output with interlock, reset from the upper level and the panel.
  static constexpr uint8_t kDefaultOutputByte = 0x17;

  static constexpr std::array<std::string_view, 2> kOutputTypeNames = {"сигнал.", "управл."};
  // Mode of a signalling output and of a control output.
  static constexpr std::array<std::string_view, 2> kSignalModeNames = {"свет(перевод в ровн.)",
                                                                       "звук(с гашением)"};
  static constexpr std::array<std::string_view, 2> kControlModeNames = {"без блокировки", "с   блокировкой"};

  RelayModules();

  // --- state the windows read and set directly ---
  int CurrentSlot = 0;  // module-table slot 1..16 being edited
  // 1: not edited since the window was opened or the block written.
  std::array<int, kModules> Unchanged{};
  // 1: the last editing of the module ended with an error.
  std::array<int, kModules> ErrorFlags{};
  int CopiedModule = -1;  // -1: none
  int CopiedType = 0;

  // Back to the state after opening a file: slot 0, unchanged, no errors.
  void ResetModuleState();

  // Length used to write and save the block: 193, or the byte count of the
  // last answer (never more than 193, never below 1).
  int GetBlockLength() const { return BlockLength; }
  void SetBlockLength(int length);

  // A function-68 answer: clears the block and copies the bytes from answer
  // byte 3 on (no more than the answer holds and the byte count names); the
  // byte count becomes the block length. Other function codes change nothing.
  bool StoreAnswer(int functionCode, std::span<const uint8_t> answer);
  uint8_t GetByte(int i) const;
  void SetByte(int i, uint8_t byte);
  std::span<const uint8_t> GetBlock() const { return Block; }
  void LoadBlock(std::span<const uint8_t> source);  // clears, copies at most 193 bytes

  int GetOutputType(int o, int m) const;  // 0 signalling, 1 control
  void SetOutputType(int o, int m, int bit);
  int GetMode(int o, int m) const;  // signalling: 0 light, 1 horn; control: 0 free, 1 interlock
  void SetMode(int o, int m, int bit);
  int GetResetTop(int o, int m) const;
  void SetResetTop(int o, int m, int bit);
  int GetAckTop(int o, int m) const;
  void SetAckTop(int o, int m, int bit);
  int GetResetPanel(int o, int m) const;
  void SetResetPanel(int o, int m, int bit);
  int GetAckPanel(int o, int m) const;
  void SetAckPanel(int o, int m, int bit);
  int GetAckInput(int o, int m) const;
  void SetAckInput(int o, int m, int value);  // one byte
  int GetResetInput(int o, int m) const;
  void SetResetInput(int o, int m, int value);

  void SetOutputDefaults(int o, int m);
  void SetModuleDefaults(int m);
  // A new configuration: block number 9 and the defaults of every output.
  void SetDefaults();

  // --- copy and replace of a module ("Копировать базу модуля") ---
  // Copies module m's 24 bytes to the same place of a 193-byte copy block and
  // remembers module and type.
  void CopyModule(int m, int moduleType, std::span<uint8_t> copyBlock);
  // Refused only when the types differ and this module is a ЛК-3 (type 12)
  // or any other type above 5.
  bool CanReplaceModule(int moduleType) const;
  // Module m := the copied module's 24 bytes of the copy block; the module is
  // marked edited. False when nothing was copied or m is bad.
  bool ReplaceModule(int m, std::span<const uint8_t> copyBlock);

 private:
  uint8_t* Output(int o, int m);
  const uint8_t* Output(int o, int m) const;
  int GetBit(int o, int m, int bit) const;
  void SetBit(int o, int m, int bit, int value);

  std::array<uint8_t, kBlockSize> Block{};
  int BlockLength = kBlockSize;
};

}  // namespace zul
