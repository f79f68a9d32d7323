#include "core/model/Function15Blocks.h"

#include <algorithm>

namespace zul {

namespace {

constexpr int kFunctionByte = 0;
constexpr int kInputsByte = 1;
constexpr int kSlaveByte = 2;
constexpr int kStartAddressByte = 3;
constexpr int kDataCountByte = 5;
constexpr int kFlagsByte = 7;
constexpr int kFirstInputByte = 8;
constexpr int kAcknowledgeBit = 4;
constexpr int kResetBit = 5;

}  // namespace

bool Function15Blocks::StoreAnswer(int functionCode, std::span<const uint8_t> answer) {
  if (functionCode != kReadFunction || answer.size() <= kAnswerDataOffset) return false;
  const size_t count = std::min<size_t>(answer[kAnswerDataOffset - 1], answer.size() - kAnswerDataOffset);
  if (count == 0) return false;
  LoadBlock(answer.subspan(kAnswerDataOffset, count));
  return true;
}

uint8_t Function15Blocks::GetByte(int i) const { return i >= 0 && i < kBlockSize ? Block[i] : 0; }

void Function15Blocks::SetByte(int i, uint8_t byte) {
  if (i >= 0 && i < kBlockSize) Block[i] = byte;
}

void Function15Blocks::LoadBlock(std::span<const uint8_t> source) {
  Block.fill(0);
  std::copy_n(source.begin(), std::min<size_t>(source.size(), kBlockSize), Block.begin());
}

uint8_t* Function15Blocks::Entry(int b) {
  return b >= 0 && b < kEntries ? Block.data() + 1 + b * kEntrySize : nullptr;
}

const uint8_t* Function15Blocks::Entry(int b) const {
  return b >= 0 && b < kEntries ? Block.data() + 1 + b * kEntrySize : nullptr;
}

int Function15Blocks::GetFunction(int b) const { return Entry(b) ? Entry(b)[kFunctionByte] : 0; }
void Function15Blocks::SetFunction(int b, int value) {
  if (uint8_t* entry = Entry(b)) entry[kFunctionByte] = static_cast<uint8_t>(value);
}
int Function15Blocks::GetInputs(int b) const { return Entry(b) ? Entry(b)[kInputsByte] : 0; }
void Function15Blocks::SetInputs(int b, int value) {
  if (uint8_t* entry = Entry(b)) entry[kInputsByte] = static_cast<uint8_t>(value);
}
int Function15Blocks::GetSlave(int b) const { return Entry(b) ? Entry(b)[kSlaveByte] : 0; }
void Function15Blocks::SetSlave(int b, int value) {
  if (uint8_t* entry = Entry(b)) entry[kSlaveByte] = static_cast<uint8_t>(value);
}

int Function15Blocks::GetWord(int b, int offset) const {
  const uint8_t* entry = Entry(b);
  return entry ? entry[offset] | (entry[offset + 1] << 8) : 0;
}

void Function15Blocks::SetWord(int b, int offset, int value) {
  if (uint8_t* entry = Entry(b)) {
    entry[offset] = static_cast<uint8_t>(value & 0xFF);
    entry[offset + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
  }
}

int Function15Blocks::GetStartAddress(int b) const { return GetWord(b, kStartAddressByte); }
void Function15Blocks::SetStartAddress(int b, int value) { SetWord(b, kStartAddressByte, value); }
int Function15Blocks::GetDataCount(int b) const { return GetWord(b, kDataCountByte); }
void Function15Blocks::SetDataCount(int b, int value) { SetWord(b, kDataCountByte, value); }

int Function15Blocks::GetFlag(int b, int bit) const {
  const uint8_t* entry = Entry(b);
  return entry ? (entry[kFlagsByte] >> bit) & 1 : 0;
}

void Function15Blocks::SetFlag(int b, int bit, int value) {
  if (uint8_t* entry = Entry(b)) {
    entry[kFlagsByte] = static_cast<uint8_t>((entry[kFlagsByte] & ~(1 << bit)) | ((value & 1) << bit));
  }
}

int Function15Blocks::GetAcknowledge(int b) const { return GetFlag(b, kAcknowledgeBit); }
void Function15Blocks::SetAcknowledge(int b, int bit) { SetFlag(b, kAcknowledgeBit, bit); }
int Function15Blocks::GetReset(int b) const { return GetFlag(b, kResetBit); }
void Function15Blocks::SetReset(int b, int bit) { SetFlag(b, kResetBit, bit); }

int Function15Blocks::GetInputSignal(int b, int i) const {
  const uint8_t* entry = Entry(b);
  return entry && i >= 0 && i < kInputs ? entry[kFirstInputByte + i] : 0;
}

void Function15Blocks::SetInputSignal(int b, int i, int value) {
  uint8_t* entry = Entry(b);
  if (entry && i >= 0 && i < kInputs) entry[kFirstInputByte + i] = static_cast<uint8_t>(value);
}

void Function15Blocks::ClearEntry(int b) {
  if (uint8_t* entry = Entry(b)) std::fill_n(entry, kEntrySize, 0);
}

void Function15Blocks::Clear() {
  Block.fill(0);
  Block[0] = kBlockNumber;
}

}  // namespace zul
