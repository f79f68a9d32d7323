#include "core/model/RelayModules.h"

#include <algorithm>

namespace zul {

namespace {

enum OutputBit {
  kTypeBit = 0,
  kModeBit = 1,
  kResetTopBit = 2,
  kAckTopBit = 3,
  kResetPanelBit = 4,
  kAckPanelBit = 5
};
constexpr int kAckInputByte = 1;
constexpr int kResetInputByte = 2;

bool ValidModule(int m) { return m >= 0 && m < RelayModules::kModules; }

int ModuleOffset(int m) { return 1 + m * RelayModules::kModuleSize; }

}  // namespace

RelayModules::RelayModules() { Unchanged.fill(1); }

void RelayModules::ResetModuleState() {
  CurrentSlot = 0;
  Unchanged.fill(1);
  ErrorFlags.fill(0);
}

void RelayModules::SetBlockLength(int length) { BlockLength = std::clamp(length, 1, kBlockSize); }

bool RelayModules::StoreAnswer(int functionCode, std::span<const uint8_t> answer) {
  if (functionCode != kReadFunction || answer.size() <= kAnswerDataOffset) return false;
  const int byteCount = answer[kAnswerDataOffset - 1];
  if (byteCount < 1) return false;
  SetBlockLength(byteCount);
  const size_t count = std::min<size_t>(BlockLength, answer.size() - kAnswerDataOffset);
  LoadBlock(answer.subspan(kAnswerDataOffset, count));
  return true;
}

uint8_t RelayModules::GetByte(int i) const { return i >= 0 && i < kBlockSize ? Block[i] : 0; }

void RelayModules::SetByte(int i, uint8_t byte) {
  if (i >= 0 && i < kBlockSize) Block[i] = byte;
}

void RelayModules::LoadBlock(std::span<const uint8_t> source) {
  Block.fill(0);
  std::copy_n(source.begin(), std::min<size_t>(source.size(), kBlockSize), Block.begin());
}

uint8_t* RelayModules::Output(int o, int m) {
  if (!ValidModule(m) || o < 0 || o >= kOutputs) return nullptr;
  return Block.data() + ModuleOffset(m) + o * kOutputSize;
}

const uint8_t* RelayModules::Output(int o, int m) const {
  if (!ValidModule(m) || o < 0 || o >= kOutputs) return nullptr;
  return Block.data() + ModuleOffset(m) + o * kOutputSize;
}

int RelayModules::GetBit(int o, int m, int bit) const {
  const uint8_t* output = Output(o, m);
  return output ? (output[0] >> bit) & 1 : 0;
}

void RelayModules::SetBit(int o, int m, int bit, int value) {
  uint8_t* output = Output(o, m);
  if (!output) return;
  output[0] = static_cast<uint8_t>((output[0] & ~(1 << bit)) | ((value & 1) << bit));
}

int RelayModules::GetOutputType(int o, int m) const { return GetBit(o, m, kTypeBit); }
void RelayModules::SetOutputType(int o, int m, int bit) { SetBit(o, m, kTypeBit, bit); }
int RelayModules::GetMode(int o, int m) const { return GetBit(o, m, kModeBit); }
void RelayModules::SetMode(int o, int m, int bit) { SetBit(o, m, kModeBit, bit); }
int RelayModules::GetResetTop(int o, int m) const { return GetBit(o, m, kResetTopBit); }
void RelayModules::SetResetTop(int o, int m, int bit) { SetBit(o, m, kResetTopBit, bit); }
int RelayModules::GetAckTop(int o, int m) const { return GetBit(o, m, kAckTopBit); }
void RelayModules::SetAckTop(int o, int m, int bit) { SetBit(o, m, kAckTopBit, bit); }
int RelayModules::GetResetPanel(int o, int m) const { return GetBit(o, m, kResetPanelBit); }
void RelayModules::SetResetPanel(int o, int m, int bit) { SetBit(o, m, kResetPanelBit, bit); }
int RelayModules::GetAckPanel(int o, int m) const { return GetBit(o, m, kAckPanelBit); }
void RelayModules::SetAckPanel(int o, int m, int bit) { SetBit(o, m, kAckPanelBit, bit); }

int RelayModules::GetAckInput(int o, int m) const {
  const uint8_t* output = Output(o, m);
  return output ? output[kAckInputByte] : 0;
}

void RelayModules::SetAckInput(int o, int m, int value) {
  if (uint8_t* output = Output(o, m)) output[kAckInputByte] = static_cast<uint8_t>(value);
}

int RelayModules::GetResetInput(int o, int m) const {
  const uint8_t* output = Output(o, m);
  return output ? output[kResetInputByte] : 0;
}

void RelayModules::SetResetInput(int o, int m, int value) {
  if (uint8_t* output = Output(o, m)) output[kResetInputByte] = static_cast<uint8_t>(value);
}

void RelayModules::SetOutputDefaults(int o, int m) {
  uint8_t* output = Output(o, m);
  if (!output) return;
  output[0] = kDefaultOutputByte;
  output[kAckInputByte] = 0;
  output[kResetInputByte] = 0;
}

void RelayModules::SetModuleDefaults(int m) {
  for (int o = 0; o < kOutputs; ++o) SetOutputDefaults(o, m);
}

void RelayModules::SetDefaults() {
  Block[0] = kBlockNumber;
  for (int m = 0; m < kModules; ++m) SetModuleDefaults(m);
}

void RelayModules::CopyModule(int m, int moduleType, std::span<uint8_t> copyBlock) {
  if (!ValidModule(m) || copyBlock.size() < static_cast<size_t>(kBlockSize)) return;
  std::copy_n(Block.begin() + ModuleOffset(m), kModuleSize, copyBlock.begin() + ModuleOffset(m));
  CopiedModule = m;
  CopiedType = moduleType;
}

bool RelayModules::CanReplaceModule(int moduleType) const {
  if (CopiedModule < 0) return false;
  return CopiedType == moduleType || moduleType <= 5;
}

bool RelayModules::ReplaceModule(int m, std::span<const uint8_t> copyBlock) {
  if (!ValidModule(m) || !ValidModule(CopiedModule) || copyBlock.size() < static_cast<size_t>(kBlockSize)) {
    return false;
  }
  std::copy_n(copyBlock.begin() + ModuleOffset(CopiedModule), kModuleSize, Block.begin() + ModuleOffset(m));
  Unchanged[m] = 0;
  return true;
}

}  // namespace zul
