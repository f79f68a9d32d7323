#include "core/model/NetworkMaster.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/model/Cp1251.h"
#include "core/model/DiscreteProcessing.h"
#include "core/model/FunctionBlocks.h"
#include "core/model/ServiceBlock.h"

namespace zul {

namespace {

constexpr int kAnalogPerRecord = kAnalogChannelCount;
constexpr float kShownLift = 0.000045f;

bool ValidEntry(int k) { return k >= 0 && k < NetworkMaster::kEntries; }
bool ValidRecord(int r) { return r >= 0 && r < NetworkMaster::kRecords; }
bool ValidSignal(int a) { return a >= 0 && a < NetworkMaster::kAnalogSignals; }

// Copies at most `want` bytes from `offset` of an answer of `length` bytes;
// the rest of the target becomes 0.
template <size_t N>
void CopyFromAnswer(std::array<uint8_t, N>& target, const uint8_t* answer, size_t length, size_t offset) {
  target.fill(0);
  if (length > offset) std::copy_n(answer + offset, std::min(length - offset, N), target.begin());
}

}  // namespace

NetworkMaster::BlockSizes NetworkMaster::SizesOf(int function, int outputs) {
  if (function == 1 || function == 2) return {outputs, 0};
  if (function == 3 || function == 4) return {ServiceBlock::kLimitsPerAnalogInput * outputs, outputs};
  return {};
}

// --- master block ----------------------------------------------------------------

void NetworkMaster::StoreMasterAnswer(int function, const uint8_t* answer, size_t length) {
  if (function != kReadFunction) return;
  CopyFromAnswer(MasterBlock, answer, length, kAnswerDataOffset);
}

int NetworkMaster::GetMasterByte(int i) const { return i >= 0 && i < kMasterSize ? MasterBlock[i] : 0; }

void NetworkMaster::SetMasterByte(int i, int v) {
  if (i >= 0 && i < kMasterSize) MasterBlock[i] = static_cast<uint8_t>(v);
}

void NetworkMaster::SetMasterBlockLen(int byteCount) {
  MasterBlockLen = std::clamp(byteCount, 1, kMasterSize);
}

int NetworkMaster::EntryByte(int k, int b) const {
  return ValidEntry(k) && b >= 0 && b < kEntrySize ? MasterBlock[1 + kEntrySize * k + b] : 0;
}

void NetworkMaster::SetEntryByte(int k, int b, int v) {
  if (ValidEntry(k) && b >= 0 && b < kEntrySize)
    MasterBlock[1 + kEntrySize * k + b] = static_cast<uint8_t>(v);
}

void NetworkMaster::SetEntryWord(int k, int b, int v) {
  SetEntryByte(k, b, v & 0xFF);
  SetEntryByte(k, b + 1, (v >> 8) & 0xFF);
}

void NetworkMaster::SetSlaveType(int k, int v) { SetEntryByte(k, 7, (EntryByte(k, 7) & 0xF0) | (v & 0x0F)); }

void NetworkMaster::SetDataType(int k, int v) {
  SetEntryByte(k, 7, (EntryByte(k, 7) & 0x2F) | ((v & 1) << 4));
}

void NetworkMaster::SetByteOrder(int k, int v) {
  SetEntryByte(k, 7, (EntryByte(k, 7) & ~0x20) | ((v & 1) << 5));
}

void NetworkMaster::ClearEntry(int k) {
  for (int b = 0; b < kEntrySize; ++b) SetEntryByte(k, b, 0);
}

void NetworkMaster::SetBaudIndex(int v) {
  MasterBlock[kLineSettingsByte] = static_cast<uint8_t>(((v & 3) << 2) | GetFrameIndex());
}

void NetworkMaster::SetFrameIndex(int v) {
  MasterBlock[kLineSettingsByte] = static_cast<uint8_t>((GetBaudIndex() << 2) | (v & 3));
}

// --- network analog records ---------------------------------------------------------

void NetworkMaster::StoreRecordAnswer(int function, const uint8_t* answer, size_t length, int r) {
  if (function != kReadFunction || !ValidRecord(r)) return;
  CopyFromAnswer(Records[r], answer, length, kAnswerDataOffset);
}

int NetworkMaster::GetRecordByte(int r, int i) const {
  return ValidRecord(r) && i >= 0 && i < kRecordSize ? Records[r][i] : 0;
}

void NetworkMaster::SetRecordByte(int r, int i, int v) {
  if (ValidRecord(r) && i >= 0 && i < kRecordSize) Records[r][i] = static_cast<uint8_t>(v);
}

void NetworkMaster::LoadRecord(int r, const uint8_t* source, size_t length) {
  if (ValidRecord(r)) CopyFromAnswer(Records[r], source, length, 0);
}

void NetworkMaster::SetRecordLen(int byteCount) { RecordLen = std::clamp(byteCount, 1, kRecordSize); }

// --- settings of one network analog signal ---------------------------------------------

uint8_t* NetworkMaster::Channel(int a) {
  return ValidSignal(a) ? AnalogChannelOf(Records[a / kAnalogPerRecord].data(), a % kAnalogPerRecord)
                        : nullptr;
}

const uint8_t* NetworkMaster::Channel(int a) const {
  return ValidSignal(a) ? AnalogChannelOf(Records[a / kAnalogPerRecord].data(), a % kAnalogPerRecord)
                        : nullptr;
}

int NetworkMaster::GetUnitIndex(int a) const {
  const uint8_t* c = Channel(a);
  return c ? GetChannelUnitIndex(c) : 0;
}

void NetworkMaster::SetUnitIndex(int a, int v) {
  if (uint8_t* c = Channel(a)) SetChannelUnitIndex(c, v);
}

float NetworkMaster::GetValue(int a, AnalogValue which) const {
  const uint8_t* c = Channel(a);
  return c ? GetChannelValue(c, which) : 0.0f;
}

std::string NetworkMaster::GetValueText(int a, AnalogValue which) const {
  // Lifting a negative value toward zero would make -0,1 show as -0,0999.
  float v = GetValue(a, which);
  return FormatAnalogValue(v < 0 ? v - kShownLift : v + kShownLift);
}

bool NetworkMaster::SetValueText(int a, AnalogValue which, std::string_view text) {
  uint8_t* c = Channel(a);
  return c && SetChannelValueText(c, which, text);
}

std::string NetworkMaster::GetPosition(int a) const {
  const uint8_t* c = Channel(a);
  return c ? GetChannelPosition(c) : std::string();
}

void NetworkMaster::SetPosition(int a, std::string_view text) {
  if (uint8_t* c = Channel(a)) SetChannelPosition(c, text);
}

void NetworkMaster::CopySettings(int from, int to) {
  const uint8_t* source = Channel(from);
  uint8_t* target = Channel(to);
  if (source && target) std::copy_n(source, kAnalogChannelSize, target);
}

void NetworkMaster::DefaultSettings(int a, std::string_view position) {
  uint8_t* c = Channel(a);
  if (!c) return;
  SetChannelPosition(c, position);
  SetChannelUnitIndex(c, 1);
  SetChannelValue(c, AnalogValue::ScaleMin, 0.0f);
  SetChannelValue(c, AnalogValue::ScaleMax, 100.0f);
  SetChannelValue(c, AnalogValue::SetpointLL, 0.0f);
  SetChannelValue(c, AnalogValue::SetpointL, 0.0f);
  SetChannelValue(c, AnalogValue::SetpointH, 100.0f);
  SetChannelValue(c, AnalogValue::SetpointHH, 100.0f);
}

void NetworkMaster::RemoveAnalogSettings(int a, int n, int positions) {
  positions = std::clamp(positions, 0, kAnalogSignals);
  if (a < 0 || n <= 0 || a >= positions) return;
  for (int s = a; s + n < positions; ++s) CopySettings(s + n, s);
  int freed = std::max(positions - n, a);
  ResetSettings(freed, positions - freed);
}

void NetworkMaster::InsertAnalogSettings(int a, int n, int positions) {
  positions = std::clamp(positions, 0, kAnalogSignals);
  if (a < 0 || n <= 0) return;
  for (int s = positions - 1; s - n >= a; --s) CopySettings(s - n, s);
}

void NetworkMaster::ResetSettings(int a, int n) {
  for (int s = std::max(a, 0); s < a + n && s < kAnalogSignals; ++s) DefaultSettings(s, "");
}

void NetworkMaster::SetNewSettings(int a) {
  if (!ValidSignal(a)) return;
  char name[16];
  std::snprintf(name, sizeof name, "%02d", a + 1);
  DefaultSettings(a, std::string("поз.51") + name);
}

void NetworkMaster::SetNewRecords(int aiModules) {
  const int modules = std::clamp(aiModules, 0, kRecords);
  for (auto& record : Records) record.fill(0);
  for (int r = 0; r < kRecords - modules; ++r) Records[r][0] = static_cast<uint8_t>(modules + 1 + r);
  for (int a = 0; a < (kRecords - modules) * kAnalogPerRecord; ++a) SetNewSettings(a);
}

// --- online values ------------------------------------------------------------------------

void NetworkMaster::StoreOnlineAnswer(const uint8_t* answer, size_t length, int count, int first) {
  for (int i = 0; i < count; ++i) {
    size_t offset = kAnswerDataOffset + static_cast<size_t>(kOnlineValueSize) * static_cast<size_t>(i);
    int s = first + i;
    if (offset + kOnlineValueSize > length) break;
    if (!ValidSignal(s)) continue;
    std::copy_n(answer + offset, kOnlineTextSize, OnlineText[s].begin());
    uint8_t status = answer[offset + kOnlineTextSize];
    OnlineStatus[s] = status;
    OnlineAlarm[s] = status & 7;
    OnlineFault[s] = {(status >> 7) & 1, (status >> 6) & 1, (status >> 5) & 1};
  }
}

std::string NetworkMaster::GetOnlineText(int s) const {
  if (!ValidSignal(s)) return std::string();
  return GetTextField(OnlineText[s].data(), OnlineText[s].size());
}

// --- chaining, signal table, renumbering ----------------------------------------------------

NetworkMaster::ChainResult NetworkMaster::ChainBlocks(int k, ServiceBlock& serv) {
  if (!ValidEntry(k)) return {};
  const auto before = MasterBlock;
  for (int j = k; j < kEntries; ++j) {
    BlockSizes size = GetBlockSizes(j);
    int nextDiscrete = GetFirstDiscrete(j) + size.discrete;
    int nextAnalog = GetFirstAnalog(j) + size.analog;
    // The last entry is checked too: a block ending past the tables would
    // give the controller signals it does not have.
    std::string message;
    if (nextDiscrete > kDiscreteSignals) message += kNoDiscreteAddresses;
    if (nextAnalog > kAnalogSignals) message += kNoAnalogAddresses;
    if (!message.empty()) {
      MasterBlock = before;
      SetFunction(k, 0);
      return {false, message};
    }
    bool last = j + 1 == kEntries || !EntryInUse(j + 1);
    if (j + 1 < kEntries) {
      if (!EntryInUse(j + 1)) ClearEntry(j + 1);
      // A free entry keeps no positions: the editor takes the totals for a new one.
      if (EntryInUse(j + 1)) {
        SetFirstDiscrete(j + 1, nextDiscrete);
        SetFirstAnalog(j + 1, nextAnalog);
      }
    }
    if (last) {
      serv.SetSignalCount(nextDiscrete);
      serv.SetAnalogSignalCount(nextAnalog);
      break;
    }
  }
  return {};
}

void NetworkMaster::RebuildNetSignals(ServiceBlock& serv) const {
  std::array<int, kEntries> functions{};
  std::array<int, kEntries> outputs{};
  for (int k = 0; k < kEntries; ++k) {
    functions[k] = GetFunction(k);
    outputs[k] = GetOutputs(k);
  }
  serv.RebuildNetSignals(functions, outputs);
}

void NetworkMaster::RenumberAfterEdit(int k, BlockSizes before, ServiceBlock& serv, DiscreteProcessing& zul,
                                      FunctionBlocks& fb) {
  if (!ValidEntry(k)) return;
  const BlockSizes after = GetBlockSizes(k);
  const int d0 = GetFirstDiscrete(k);
  const int a0 = GetFirstAnalog(k);
  const int netAnalog = a0 - serv.GetAiCount();  // the block's first network analog signal
  const int positions = kAnalogSignals - serv.GetAiCount();
  const bool analogBlock = GetFunction(k) == 3 || GetFunction(k) == 4;
  DiscreteShift = after.discrete - before.discrete;
  AnalogShift = after.analog - before.analog;

  if (DiscreteShift < 0) {
    const int removed = -DiscreteShift;
    fb.RenumberSignals(SignalRenumbering::DiscreteRemovedCleared, d0, removed);
    for (int i = 0; i < after.discrete; ++i)
      fb.RenumberSignals(SignalRenumbering::DiscreteOneRemoved, d0 + i, 1);
    zul.ClearRecords(d0, before.discrete);
    serv.BlankTexts(d0, before.discrete);
    zul.RemoveRecords(d0 + after.discrete, removed);
    serv.DeleteTexts(d0 + after.discrete, removed);
  } else if (DiscreteShift > 0) {
    fb.RenumberSignals(SignalRenumbering::DiscreteGroupRegrown, d0, before.discrete, DiscreteShift);
    // The following block's records still sit where it started before the
    // edit; the gap opens there so none of them is lost.
    if (ValidEntry(k + 1) && EntryInUse(k + 1)) {
      zul.InsertRecords(d0 + before.discrete, DiscreteShift);
      serv.InsertTexts(d0 + before.discrete, DiscreteShift);
    }
    zul.ClearRecords(d0, before.discrete);
    serv.BlankTexts(d0, before.discrete);
    zul.ClearRecords(d0 + before.discrete, DiscreteShift);
    serv.BlankTexts(d0 + before.discrete, DiscreteShift);
  }

  if (netAnalog < 0) {
    // A block whose analog start lies among the module signals (a damaged
    // block) has no network settings to move.
  } else if (AnalogShift < 0) {
    const int removed = -AnalogShift;
    fb.RenumberSignals(SignalRenumbering::AnalogRemovedCleared, a0, removed);
    for (int i = 0; i < after.analog; ++i) fb.RenumberSignals(SignalRenumbering::AnalogOneRemoved, a0 + i, 1);
    RemoveAnalogSettings(netAnalog, removed, positions);
    if (analogBlock) ResetSettings(netAnalog, after.analog);
  } else if (AnalogShift > 0) {
    fb.RenumberSignals(SignalRenumbering::AnalogGroupRegrown, a0, before.analog, AnalogShift);
    InsertAnalogSettings(netAnalog, AnalogShift, positions);
    if (analogBlock) ResetSettings(netAnalog, after.analog);
  }

  if (DiscreteShift != 0 || AnalogShift != 0) {
    MasterUnchanged = 0;
    NotRenumbered = 0;
  }
}

bool NetworkMaster::DeleteBlock(int k, ServiceBlock& serv, DiscreteProcessing& zul, FunctionBlocks& fb) {
  if (!ValidEntry(k) || !EntryInUse(k)) return false;
  const BlockSizes size = GetBlockSizes(k);
  const int d0 = GetFirstDiscrete(k);
  const int a0 = GetFirstAnalog(k);

  for (int j = k; j + 1 < kEntries; ++j) {
    if (!EntryInUse(j + 1)) {
      ClearEntry(j);
      continue;
    }
    const int firstDiscrete = GetFirstDiscrete(j);
    const int firstAnalog = GetFirstAnalog(j);
    for (int b = 0; b < kEntrySize; ++b) SetEntryByte(j, b, EntryByte(j + 1, b));
    SetFirstDiscrete(j, firstDiscrete);
    SetFirstAnalog(j, firstAnalog);
    const BlockSizes moved = GetBlockSizes(j);
    SetFirstDiscrete(j + 1, firstDiscrete + moved.discrete);
    SetFirstAnalog(j + 1, firstAnalog + moved.analog);
    SetFunction(j + 1, 0);
  }
  ClearEntry(kEntries - 1);

  // An entry placed among the module signals (a damaged file or controller)
  // owns none of their records, texts or references: only the entry goes.
  if (d0 < serv.FirstNetSignal() || a0 < serv.GetAiCount()) {
    serv.SetSignalCount(std::max(serv.GetSignalCount() - size.discrete, serv.FirstNetSignal()));
    serv.SetAnalogSignalCount(std::max(serv.GetAnalogSignalCount() - size.analog, serv.GetAiCount()));
    RebuildNetSignals(serv);
    MasterUnchanged = 0;
    return true;
  }
  serv.SetSignalCount(serv.GetSignalCount() - size.discrete);
  serv.SetAnalogSignalCount(serv.GetAnalogSignalCount() - size.analog);
  RebuildNetSignals(serv);

  const int total = serv.GetSignalCount();
  zul.RemoveRecords(d0, size.discrete);
  zul.ClearRecords(total, size.discrete);
  fb.RenumberSignals(SignalRenumbering::DiscreteRemovedCleared, d0, size.discrete);
  fb.RenumberSignals(SignalRenumbering::AnalogRemovedCleared, a0, size.analog);
  serv.DeleteTexts(d0, size.discrete);
  serv.BlankTexts(total, size.discrete);
  const int netAnalog = a0 - serv.GetAiCount();
  if (netAnalog >= 0) RemoveAnalogSettings(netAnalog, size.analog, kAnalogSignals - serv.GetAiCount());

  MasterUnchanged = 0;
  NotRenumbered = 0;
  return true;
}

}  // namespace zul
