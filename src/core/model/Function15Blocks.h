#pragma once
// The two function-15 blocks of the local network: each sends up to 32 of the
// controller's discrete signals to a slave as coils. One 81-byte block,
// controller block 11; its length is kept with the network master blocks.
//
// Entry b (40 bytes at 1 + 40 * b): byte 0 function code (15, or 0 = free),
// 1 number of inputs 0..32, 2 slave address, 3-4 start address and 5-6 data
// count (little-endian), 7 bit 4 acknowledgement and bit 5 reset, 8 + i the
// signal number sent as coil i (0 = none).
//
// An entry index b outside 0..1 or an input i outside 0..31 makes an operation
// do nothing (getters return 0).
#include <array>
#include <cstdint>
#include <span>

namespace zul {

class Function15Blocks {
 public:
  static constexpr int kEntries = 2;
  static constexpr int kEntrySize = 40;
  static constexpr int kInputs = 32;
  static constexpr int kBlockSize = 1 + kEntries * kEntrySize;  // 81
  static constexpr uint8_t kBlockNumber = 11;
  static constexpr uint8_t kFunctionCode = 15;
  static constexpr int kAnswerDataOffset = 3;
  static constexpr uint8_t kReadFunction = 68;

  // --- state the windows read and set directly ---
  int Unchanged = 1;          // 1 after construction and after every accepted write
  int Unchanged2 = 1;         // kept alike
  int UnchangedAtFill = 1;    // Unchanged as it was when the editor was filled
  int ChangedInNetwork = 0;   // changed in the local network window
  int RightClickedEntry = 0;  // entry of the last right click in that window

  // A function-68 answer: the block from answer byte 3 on (81 bytes at most,
  // no more than the answer holds and its byte count names; the rest cleared).
  // Other function codes change nothing.
  bool StoreAnswer(int functionCode, std::span<const uint8_t> answer);
  uint8_t GetByte(int i) const;
  void SetByte(int i, uint8_t byte);
  std::span<const uint8_t> GetBlock() const { return Block; }
  void LoadBlock(std::span<const uint8_t> source);  // clears, copies at most 81 bytes

  int GetFunction(int b) const;
  void SetFunction(int b, int value);
  int GetInputs(int b) const;
  void SetInputs(int b, int value);
  int GetSlave(int b) const;
  void SetSlave(int b, int value);
  int GetStartAddress(int b) const;
  void SetStartAddress(int b, int value);
  int GetDataCount(int b) const;
  void SetDataCount(int b, int value);
  int GetAcknowledge(int b) const;
  void SetAcknowledge(int b, int bit);
  int GetReset(int b) const;
  void SetReset(int b, int bit);
  int GetInputSignal(int b, int i) const;
  void SetInputSignal(int b, int i, int value);

  bool IsEntryFree(int b) const { return GetFunction(b) == 0; }
  // Deleting an entry: every field and all 32 signal numbers become 0.
  void ClearEntry(int b);
  // A new configuration: block number 11 followed by zeros.
  void Clear();

 private:
  uint8_t* Entry(int b);
  const uint8_t* Entry(int b) const;
  int GetWord(int b, int offset) const;
  void SetWord(int b, int offset, int value);
  int GetFlag(int b, int bit) const;
  void SetFlag(int b, int bit, int value);

  std::array<uint8_t, kBlockSize> Block{};
};

}  // namespace zul
