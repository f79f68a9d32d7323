#include "core/editing/FunctionBlockEditing.h"

#include <algorithm>
#include <memory>

#include "core/Interaction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ControllerImage.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/ZulFileLayout.h"
#include "core/link/AnswerData.h"
#include "core/link/ModbusLink.h"

namespace zul {
namespace {

constexpr int kEmpty = FunctionBlocks::kEmptyEntry;
constexpr int kRelayModules = 5;
constexpr uint8_t kReadFunction = 68;
// A controller with 60 function blocks refuses the first page beyond them.
constexpr int kExceptionNoSuchBlock = 3;
constexpr int kSixtyBlocksFirstMissingPage = 6;
constexpr int kSixtyBlocks = 60;

void Warn(Interaction& ui, const std::string& text) { ui.Show(kCaptionWarning, text, Icon::Warning); }

int CalcRecords(const FunctionBlocks& fb) { return fb.GetIntegratorRecords() + fb.GetArithCount(); }

bool IsOrdinary(int type) { return type >= 1 && type <= 9; }

// The record's byte that holds the reference, and the loop kind it belongs to.
int LinkByte(RegulatorLink link) {
  switch (link) {
    case RegulatorLink::FcOn:
      return 4;
    case RegulatorLink::FcReturn:
      return 5;
    case RegulatorLink::TwoPosition:
      return 3;
  }
  return 3;
}

void SetReference(Regulators& reg, const RegulatorReference& ref, int block) {
  reg.SetLoopByte(ref.regulator, LinkByte(ref.link), block > FunctionBlocks::kCapacity ? 0 : block);
}

// Moves records from..TableSize-1 up by n (the last n fall off the table).
void MoveRecordsUp(FunctionBlocks& fb, int from, int n) {
  for (int i = fb.GetTableSize() - 1 - n; i >= from; --i) fb.SetRecord(i + n, fb.Record(i));
  for (int i = from; i < std::min(from + n, fb.GetTableSize()); ++i) fb.ClearRecord(i);
}

// Moves records from+1.. down one place; the last record is cleared.
void MoveRecordsDown(FunctionBlocks& fb, int from) {
  const int last = fb.GetTableSize() - 1;
  for (int i = from; i < last; ++i) fb.SetRecord(i, fb.Record(i + 1));
  fb.ClearRecord(last);
}

void ClearAlarmAbove62(FunctionBlocks& fb) {
  for (int i = FunctionBlocks::kAlarmBlocks; i < fb.GetTableSize(); ++i) {
    if (!IsOrdinary(fb.GetTypeCode(i))) continue;
    fb.SetAlarmType(i, 0);
    fb.SetCell(i, 0);
    fb.SetArchive(i, 0);
  }
}

// FB-output references of the ordinary blocks: fn(record, input, number) -> new number.
template <typename Fn>
void ForEachBlockReference(FunctionBlocks& fb, int records, Fn fn) {
  for (int j = 0; j < std::min(records, fb.GetTableSize()); ++j) {
    const int type = fb.GetTypeCode(j);
    if (!IsOrdinary(type)) continue;
    const int inputs = FunctionBlocks::CountInputs(type, fb.GetSubtype(j));
    for (int k = 0; k < inputs; ++k) {
      if (fb.GetInputSource(j, k) != srcFBOutput) continue;
      const int g = fb.GetInputNumber(j, k);
      if (g <= 0) continue;
      const int changed = fn(j, k, g);
      if (changed != g) fb.SetInputNumber(j, k, changed);
    }
  }
}

bool MayWrite(const Configuration& c, Interaction& ui) {
  if (c.discreteProcessing.AccessLevel == kFullAccess) return true;
  Warn(ui, kNoWriteAccessText);
  return false;
}

void CopyReserveLoops(Configuration& c) { c.reserveBlocks.RegulatorRecords[0] = c.regulators.Loops; }

}  // namespace

// ---- snapshot ---------------------------------------------------------------------------

FunctionBlockSnapshot FunctionBlockSnapshot::Take(const Configuration& c) {
  const FunctionBlocks& fb = c.functionBlocks;
  FunctionBlockSnapshot s;
  s.tableSize = fb.GetTableSize();
  s.algCount = fb.GetAlgCount();
  s.changed = fb.Changed;
  s.regChanged = fb.RegChanged;
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) {
    const auto record = fb.Record(i);
    std::copy(record.begin(), record.end(), s.records[static_cast<size_t>(i)].begin());
  }
  for (int i = 0; i <= FunctionBlocks::kCapacity; ++i) {
    s.algStart[static_cast<size_t>(i)] = static_cast<uint8_t>(fb.GetAlgStart(i));
    for (int k = 0; k <= FunctionBlocks::kCapacity; ++k)
      s.algMembers[static_cast<size_t>(i)][static_cast<size_t>(k)] =
          static_cast<uint8_t>(fb.GetAlgMember(i, k));
  }
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) {
    const auto name = fb.AlgNameBytes(i);
    std::copy(name.begin(), name.end(), s.names.begin() + i * FunctionBlocks::kNameSize);
  }
  s.loops = c.regulators.Loops;
  return s;
}

void FunctionBlockSnapshot::Restore(Configuration& c) const {
  FunctionBlocks& fb = c.functionBlocks;
  fb.SetTableSize(tableSize);
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i)
    fb.SetRecord(i, std::span<const uint8_t, FunctionBlocks::kRecordSize>(records[static_cast<size_t>(i)]));
  fb.SetAlgCount(algCount);
  for (int i = 0; i <= FunctionBlocks::kCapacity; ++i) {
    fb.SetAlgStart(i, algStart[static_cast<size_t>(i)]);
    for (int k = 0; k <= FunctionBlocks::kCapacity; ++k)
      fb.SetAlgMember(i, k, algMembers[static_cast<size_t>(i)][static_cast<size_t>(k)]);
  }
  for (int p = 0; p < fb.GetPageCount(); ++p)
    fb.LoadTextPage(
        p, std::span<const uint8_t>(names).subspan(static_cast<size_t>(p) * FunctionBlocks::kTextPageSize,
                                                   FunctionBlocks::kTextPageSize));
  fb.Changed = changed;
  fb.RegChanged = regChanged;
  fb.RecountBlocks();
  c.regulators.Loops = loops;
}

// ---- regulator references -----------------------------------------------------------------

std::vector<RegulatorReference> RegulatorReferences(const Regulators& reg) {
  std::vector<RegulatorReference> refs;
  for (int r = 0; r < Regulators::RecordCount; ++r) {
    const int kind = reg.GetKind(r);
    auto add = [&](RegulatorLink link) {
      const int block = reg.GetLoopByte(r, LinkByte(link));
      if (block != 0) refs.push_back({r, link, block});
    };
    if (kind == Regulators::KindSingleLoop) {
      add(RegulatorLink::FcOn);
      add(RegulatorLink::FcReturn);
    } else if (kind == Regulators::KindTwoPosition) {
      add(RegulatorLink::TwoPosition);
    }
  }
  return refs;
}

std::string RegulatorWarningText(const RegulatorReference& ref) {
  const std::string head = "Внимание!\nФБ" + std::to_string(ref.block);
  const std::string number = std::to_string(ref.regulator + 1);
  switch (ref.link) {
    case RegulatorLink::FcOn:
      return head + " используется для\nвключения режима FC в регуляторе " + number;
    case RegulatorLink::FcReturn:
      return head + " используется для возврата\nиз режима FC в режим НОРМА в регуляторе " + number;
    case RegulatorLink::TwoPosition:
      return head + " используется для \nнастройки двухпозиционного регулятора " + number;
  }
  return head;
}

void ShiftRegulatorsForInsert(Configuration& c, int first, int count, Interaction& ui) {
  bool changed = false;
  for (const RegulatorReference& ref : RegulatorReferences(c.regulators)) {
    if (ref.block == first) Warn(ui, RegulatorWarningText(ref));
    if (ref.block >= first) {
      SetReference(c.regulators, ref, ref.block + count);
      changed = true;
    }
  }
  if (changed) c.functionBlocks.RegChanged = 1;
}

bool ReleaseRegulatorsForDelete(Configuration& c, int block, Interaction& ui) {
  const auto refs = RegulatorReferences(c.regulators);
  for (const RegulatorReference& ref : refs) {
    if (ref.block == block) {
      Warn(ui, RegulatorWarningText(ref));
      return false;
    }
  }
  for (const RegulatorReference& ref : refs) {
    if (ref.block > block) {
      SetReference(c.regulators, ref, ref.block - 1);
      c.functionBlocks.RegChanged = 1;
    }
  }
  return true;
}

void RestoreRegulatorReferences(Regulators& reg, const ReserveBlocks& reserve) {
  Regulators kept;
  kept.Loops = reserve.RegulatorRecords[0];
  // Only the block numbers go back: every other loop setting stays as edited.
  for (int r = 0; r < Regulators::RecordCount; ++r) {
    const int kind = kept.GetKind(r);
    if (kind == Regulators::KindSingleLoop && reg.GetKind(r) == kind) {
      reg.SetFcOn(r, kept.GetFcOn(r));
      reg.SetFcReturn(r, kept.GetFcReturn(r));
    } else if (kind == Regulators::KindTwoPosition && reg.GetLoopByte(r, 1) == 0) {
      reg.SetFB(r, kept.GetFB(r));
    }
  }
}

// ---- creating, inserting, deleting -----------------------------------------------------------

bool HasRoomForBlock(const FunctionBlocks& fb, Interaction& ui) {
  if (fb.FBCount + 1 > fb.FBLimit()) {
    Warn(ui, kAllBlocksCreatedText);
    return false;
  }
  return true;
}

int PrepareBlockCreation(Configuration& c, Interaction& ui) {
  FunctionBlocks& fb = c.functionBlocks;
  fb.RecountBlocks();
  if (!HasRoomForBlock(fb, ui)) return -1;
  if (CalcRecords(fb) > 0) MoveRecordsUp(fb, fb.FBCount, 1);
  fb.ClearRecord(fb.FBCount);
  return fb.FBCount;
}

bool OpenGapForBlock(Configuration& c, int index) {
  FunctionBlocks& fb = c.functionBlocks;
  fb.RecountBlocks();
  if (index < 0 || index >= fb.FBCount || fb.FBCount + 1 > fb.FBLimit()) return false;
  fb.InsertGap(index, index, index, fb.FBCount);
  fb.ClearRecord(index);
  const int number = index + 1;
  int pos = 0;
  const int alg = AlgorithmOfBlock(fb, number, &pos);
  ShiftAlgorithmMembers(fb, number, 1);
  if (alg >= 0) {
    // Before the first block of a later algorithm the new block closes the
    // previous algorithm; anywhere else it joins the block's own.
    if (pos == 0 && alg > 0) {
      int end = 0;
      while (end < fb.GetTableSize() && fb.GetAlgMember(alg - 1, end) != kEmpty) ++end;
      AddAlgorithmMembers(fb, alg - 1, end, number, 1);
    } else {
      AddAlgorithmMembers(fb, alg, pos, number, 1);
    }
  }
  RebuildAlgorithmStarts(fb);
  return true;
}

bool InsertBlock(Configuration& c, int index, FunctionBlockValues& values) {
  FunctionBlocks& fb = c.functionBlocks;
  if (!OpenGapForBlock(c, index)) return false;
  // OpenGapForBlock counted before the gap: the dialog's numbers are checked
  // against the blocks the user saw.
  StoreBlockValues(c, index, values, true);
  const int number = index + 1, limit = fb.FBLimit();
  const int inputs = FunctionBlocks::CountInputs(fb.GetTypeCode(index), fb.GetSubtype(index));
  for (int k = 0; k < inputs; ++k) {
    if (fb.GetInputSource(index, k) != srcFBOutput) continue;
    const int g = fb.GetInputNumber(index, k);
    if (g < number || g > limit) continue;
    const int shifted = g + 1 > limit ? 0 : g + 1;
    fb.SetInputNumber(index, k, shifted);
    values.inputs[static_cast<size_t>(k)].number = std::to_string(shifted);
  }
  FinishStructuralChange(c);
  return true;
}

void FinishStructuralChange(Configuration& c) {
  ClearAlarmAbove62(c.functionBlocks);
  c.functionBlocks.RecountBlocks();
  c.functionBlocks.Changed = 1;
}

bool DeleteBlock(Configuration& c, int index, Interaction& ui) {
  FunctionBlocks& fb = c.functionBlocks;
  fb.RecountBlocks();
  if (index < 0 || index >= fb.FBCount) return false;
  const int x = index + 1;
  if (!ReleaseRegulatorsForDelete(c, x, ui)) return false;
  const int limit = fb.FBLimit();
  ForEachBlockReference(fb, fb.GetTableSize(), [&](int, int, int g) {
    if (g > limit) return g;  // КВУ numbers are the controller's
    if (g == x) return 0;
    return g > x ? g - 1 : g;
  });
  MoveRecordsDown(fb, index);
  RemoveBlockFromAlgorithms(fb, x);
  fb.RecountBlocks();
  fb.Changed = 1;
  return true;
}

int DeleteSelectedBlocks(Configuration& c, std::vector<int> selected, Interaction& ui) {
  if (selected.empty()) {
    Warn(ui, kNoSelectedBlocksText);
    return 0;
  }
  const Answer answer = ui.Ask(
      Message{kDeleteQuestionCaption, kDeleteQuestionText, Icon::Question, Buttons::YesNo, Answer::No});
  if (answer != Answer::Yes) return 0;
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  int deleted = 0;
  for (int index : selected) {
    if (DeleteBlock(c, index - deleted, ui)) ++deleted;
  }
  return deleted;
}

// ---- copied groups ---------------------------------------------------------------------------

int CopyBlocksToClipboard(Configuration& c, const std::vector<int>& selected) {
  CopyBlocks& copy = c.copyBlocks;
  copy.CopiedFB.fill(0);
  copy.CopiedFBCount = 0;
  for (int index : selected) {
    if (index < 0 || index >= c.functionBlocks.FBCount || index >= ReserveBlocks::kFBCapacity) continue;
    const auto record = c.functionBlocks.Record(index);
    std::copy(record.begin(), record.end(), copy.FBRecords[static_cast<size_t>(index)].begin());
    if (copy.CopiedFB[static_cast<size_t>(index)] == 0) ++copy.CopiedFBCount;
    copy.CopiedFB[static_cast<size_t>(index)] = 1;
  }
  return copy.CopiedFBCount;
}

bool HasCopiedBlocks(const Configuration& c) {
  return std::any_of(c.copyBlocks.CopiedFB.begin(), c.copyBlocks.CopiedFB.end(),
                     [](int f) { return f != 0; });
}

namespace {

// The copy of record `from` adapted to its new place: signals that do not
// exist here, references into and around the group, alarms and relays the
// configuration cannot carry.
void AdaptCopy(Configuration& c, int target, int b, int c_, int targetStart, int oldCount, int a, int n,
               bool inserting) {
  FunctionBlocks& fb = c.functionBlocks;
  const ServiceBlock& s = c.service;
  const int limit = fb.FBLimit();
  const int type = fb.GetTypeCode(target);
  const int inputs = FunctionBlocks::CountInputs(type, fb.GetSubtype(target));
  for (int k = 0; k < inputs; ++k) {
    const int source = fb.GetInputSource(target, k);
    int g = fb.GetInputNumber(target, k);
    if ((source == srcDiscrete || source == srcDiscreteInvalid) && g > s.SignalCount) g = 0;
    if (source == srcFBOutput && g >= 1 && g <= limit) {
      if (g >= b + 1 && g <= c_ + 1) {
        g += targetStart - b;
      } else if (g > oldCount) {
        g = 0;
      } else if (inserting && g >= a + 1) {
        g += n;
      }
      if (g > limit) g = 0;
    }
    fb.SetInputNumber(target, k, g);
  }
  if (type == ftComparator + 1 && fb.GetComparatorAnalogNumber(target) > s.AnalogSignalCount)
    fb.SetComparatorAnalogNumber(target, 0);
  const int cells = s.IndicationCells;
  if (cells == kPanelCellCount192 || fb.GetCell(target) > cells) fb.SetCell(target, 0);
  if (fb.GetCell(target) == 0 && cells != kPanelCellCount192) fb.SetAlarmType(target, 0);
  for (int m = std::max(s.DoModules, 0) + 1; m <= kRelayModules; ++m) fb.SetRelayByte(target, m, 0);
}

}  // namespace

GroupInsertResult InsertCopiedGroup(Configuration& c, int before, Interaction& ui) {
  FunctionBlocks& fb = c.functionBlocks;
  const CopyBlocks& copy = c.copyBlocks;
  fb.RecountBlocks();
  const bool inserting = before >= 0;
  if (inserting && before >= fb.FBCount) return {};
  int b = 0;
  while (b < ReserveBlocks::kFBCapacity && copy.CopiedFB[static_cast<size_t>(b)] == 0) ++b;
  if (b == ReserveBlocks::kFBCapacity) return {};
  int last = b;
  while (last + 1 < ReserveBlocks::kFBCapacity && copy.CopiedFB[static_cast<size_t>(last + 1)] != 0) ++last;
  const int n = last - b + 1;
  if (fb.FBLimit() - fb.FBCount < n) {
    ui.Show("", kTooManyToInsertText, Icon::None);
    return {};
  }
  // A flag after the first run means a gap: refuse before touching anything.
  for (int i = last + 1; i < ReserveBlocks::kFBCapacity; ++i) {
    if (copy.CopiedFB[static_cast<size_t>(i)] != 0) {
      Warn(ui, kCopiedWithGapText);
      return {};
    }
  }
  const int oldCount = fb.FBCount;
  const int a = inserting ? before : oldCount;
  int alg = -1, pos = 0;
  if (fb.GetAlgCount() > 0) {
    if (!inserting) {
      alg = fb.GetAlgCount() - 1;
      while (pos < fb.GetTableSize() && fb.GetAlgMember(alg, pos) != kEmpty) ++pos;
    } else {
      alg = AlgorithmOfBlock(fb, a + 1, &pos);
      if (alg > 0 && pos == 0) {
        --alg;
        pos = 0;
        while (pos < fb.GetTableSize() && fb.GetAlgMember(alg, pos) != kEmpty) ++pos;
      }
    }
  }
  if (inserting) {
    ShiftRegulatorsForInsert(c, a + 1, n, ui);
    fb.InsertGap(a, b, last, oldCount);
  } else if (CalcRecords(fb) > 0) {
    MoveRecordsUp(fb, oldCount, n);
  }
  for (int k = 0; k < n; ++k) {
    const int target = a + k;
    const auto& record = copy.FBRecords[static_cast<size_t>(b + k)];
    fb.SetRecord(target, std::span<const uint8_t, FunctionBlocks::kRecordSize>(record));
    AdaptCopy(c, target, b, last, a, oldCount, a, n, inserting);
  }
  if (fb.GetAlgCount() > 0) {
    if (inserting) ShiftAlgorithmMembers(fb, a + 1, n);
    if (alg >= 0) AddAlgorithmMembers(fb, alg, pos, a + 1, n);
    RebuildAlgorithmStarts(fb);
  }
  FinishStructuralChange(c);
  return {true, a, n};
}

// ---- algorithms ---------------------------------------------------------------------------------

int AlgorithmOfBlock(const FunctionBlocks& fb, int block, int* pos) {
  for (int alg = 0; alg < fb.GetAlgCount(); ++alg) {
    for (int k = 0; k < fb.GetTableSize(); ++k) {
      const int member = fb.GetAlgMember(alg, k);
      if (member == kEmpty) break;
      if (member == block) {
        if (pos) *pos = k;
        return alg;
      }
    }
  }
  return -1;
}

void RemoveBlockFromAlgorithms(FunctionBlocks& fb, int block) {
  const int size = fb.GetTableSize();
  for (int alg = 0; alg < fb.GetAlgCount(); ++alg) {
    int out = 0;
    for (int k = 0; k < size; ++k) {
      const int member = fb.GetAlgMember(alg, k);
      if (member == kEmpty) break;
      if (member == block) continue;
      fb.SetAlgMember(alg, out++, member > block ? member - 1 : member);
    }
    for (int k = out; k < size; ++k) fb.SetAlgMember(alg, k, kEmpty);
  }
  // An emptied algorithm goes, its name with it; later ones move up.
  for (int alg = 0; alg < fb.GetAlgCount();) {
    if (fb.GetAlgMember(alg, 0) != kEmpty) {
      ++alg;
      continue;
    }
    const int count = fb.GetAlgCount();
    for (int r = alg; r + 1 < count; ++r) {
      fb.SetAlgName(r, fb.GetAlgName(r + 1));
      for (int k = 0; k < size; ++k) fb.SetAlgMember(r, k, fb.GetAlgMember(r + 1, k));
    }
    fb.SetAlgName(count - 1, "");
    for (int k = 0; k < size; ++k) fb.SetAlgMember(count - 1, k, kEmpty);
    fb.SetAlgCount(count - 1);
  }
  RebuildAlgorithmStarts(fb);
}

void ShiftAlgorithmMembers(FunctionBlocks& fb, int first, int n) {
  const int limit = fb.FBLimit();
  for (int alg = 0; alg < fb.GetAlgCount(); ++alg) {
    for (int k = 0; k < fb.GetTableSize(); ++k) {
      const int member = fb.GetAlgMember(alg, k);
      if (member == kEmpty) break;
      if (member >= first) fb.SetAlgMember(alg, k, member + n > limit ? kEmpty : member + n);
    }
  }
}

void AddAlgorithmMembers(FunctionBlocks& fb, int alg, int pos, int first, int n) {
  const int size = fb.GetTableSize();
  if (alg < 0 || alg >= fb.GetAlgCount() || pos < 0 || n <= 0) return;
  std::vector<int> row;
  for (int k = 0; k < size; ++k) {
    const int member = fb.GetAlgMember(alg, k);
    if (member == kEmpty) break;
    row.push_back(member);
  }
  pos = std::min(pos, static_cast<int>(row.size()));
  for (int k = 0; k < n; ++k) row.insert(row.begin() + pos + k, first + k);
  row.resize(std::min(row.size(), static_cast<size_t>(size)));
  for (int k = 0; k < size; ++k)
    fb.SetAlgMember(alg, k, k < static_cast<int>(row.size()) ? row[static_cast<size_t>(k)] : kEmpty);
}

void RebuildAlgorithmStarts(FunctionBlocks& fb) {
  for (int i = 0; i <= fb.GetTableSize(); ++i) fb.SetAlgStart(i, kEmpty);
  for (int alg = 0; alg < fb.GetAlgCount(); ++alg) {
    const int first = fb.GetAlgMember(alg, 0);
    if (first != kEmpty && first >= 1 && first <= fb.GetTableSize()) fb.SetAlgStart(first - 1, first);
  }
}

// ---- alarm and relay outputs ---------------------------------------------------------------

bool BlockExists(const FunctionBlocks& fb, int index) {
  return index >= 0 && index < fb.GetTableSize() && IsOrdinary(fb.GetTypeCode(index));
}

bool HasAlarm(const FunctionBlocks& fb, int index) {
  return BlockExists(fb, index) && (fb.GetAlarmType(index) != 0 || fb.GetCell(index) != 0);
}

bool HasRelays(const FunctionBlocks& fb, int index) {
  if (!BlockExists(fb, index)) return false;
  for (int m = 1; m <= kRelayModules; ++m)
    if (fb.GetRelayByte(index, m) != 0) return true;
  return false;
}

bool CanAddAlarm(const Configuration& c, int index, Interaction& ui) {
  if (index >= FunctionBlocks::kAlarmBlocks || c.service.IndicationCells <= 0) {
    Warn(ui, kUnavailableText);
    return false;
  }
  if (index < 0) {
    Warn(ui, kNoBlockSelectedText);
    return false;
  }
  if (!BlockExists(c.functionBlocks, index)) {
    Warn(ui, kBlockNotCreatedText);
    return false;
  }
  return true;
}

bool CanAddRelays(const Configuration& c, int index, Interaction& ui) {
  if (c.service.DoModules <= 0) {
    Warn(ui, kUnavailableText);
    return false;
  }
  if (index < 0) {
    Warn(ui, kNoBlockSelectedText);
    return false;
  }
  if (!BlockExists(c.functionBlocks, index)) {
    Warn(ui, kBlockNotCreatedText);
    return false;
  }
  return true;
}

void StoreBlockAlarm(Configuration& c, int index, int alarmType, int cell, Interaction& ui) {
  FunctionBlocks& fb = c.functionBlocks;
  if (!BlockExists(fb, index) || index >= FunctionBlocks::kAlarmBlocks) return;
  const int cells = c.service.IndicationCells;
  alarmType = std::clamp(alarmType, 0, 3);
  if (cell == 0 && cells != kPanelCellCount192) {
    Warn(ui, kNoCellChosenText);
    alarmType = 0;
  } else if (cell < 0 || cell > cells || cell > 31) {
    Warn(ui, kWrongCellText);
    alarmType = 0;
    cell = 0;
  }
  if (alarmType == 0) cell = 0;
  fb.SetAlarmType(index, alarmType);
  fb.SetCell(index, cell);
  fb.Changed = 1;
}

void ClearBlockAlarm(Configuration& c, int index) {
  if (!BlockExists(c.functionBlocks, index)) return;
  c.functionBlocks.SetAlarmType(index, 0);
  c.functionBlocks.SetCell(index, 0);
  c.functionBlocks.Changed = 1;
}

std::array<int, 5> BlockRelayMasks(const FunctionBlocks& fb, int index) {
  std::array<int, 5> masks{};
  for (int m = 1; m <= kRelayModules; ++m) masks[static_cast<size_t>(m - 1)] = fb.GetRelayByte(index, m);
  return masks;
}

void StoreBlockRelays(Configuration& c, int index, const std::array<int, 5>& masks) {
  if (!BlockExists(c.functionBlocks, index)) return;
  for (int m = 1; m <= kRelayModules; ++m)
    c.functionBlocks.SetRelayByte(index, m,
                                  m <= c.service.DoModules ? masks[static_cast<size_t>(m - 1)] & 0xFF : 0);
  c.functionBlocks.Changed = 1;
}

void ClearBlockRelays(Configuration& c, int index) { StoreBlockRelays(c, index, {}); }

// ---- the controller --------------------------------------------------------------------------

bool ReadFunctionBlockTable(Configuration& c, ModbusLink& link, Interaction& ui) {
  FunctionBlocks& fb = c.functionBlocks;
  fb.SetTableSize(fb.GetCapacity());
  const int pages = fb.GetPageCount();
  std::array<uint8_t, kAnswerBufferSize> answer{};
  bool ok = true;
  for (int p = 0; p < pages; ++p) {
    if (p > 0 && ui.StopRequested()) {
      ok = false;
      break;
    }
    ui.Progress(p + 1, pages);
    const uint8_t block = static_cast<uint8_t>(kFirstFunctionBlockPage + p);
    int code = link.Request(c.service.CurrentDevice, kReadFunction, std::span(&block, 1), answer);
    ClearPastData(answer);
    if (code == kResultOk && !CarriesBlockBytes(answer)) code = kResultReceiveError;
    if (code == kExceptionNoSuchBlock && p == kSixtyBlocksFirstMissingPage) {
      // The whole read recognises this controller the same way.
      ui.Show(kCaptionWarning, kSixtyFunctionBlocksText, Icon::Warning);
      fb.SetTableSize(kSixtyBlocks);
      for (int i = kSixtyBlocks; i < fb.GetCapacity(); ++i) fb.ClearRecord(i);
      break;
    }
    if (code != kResultOk) {
      link.ShowError(c.service.CurrentDevice, code);
      ok = false;
      break;
    }
    const int available = std::max(link.GetReceivedCount(), 0);
    fb.LoadPageFromAnswer(
        p, std::span<const uint8_t>(answer.data(), std::min<size_t>(available, answer.size())));
    fb.SetPageByteCount(answer[2]);
    if (c.service.FileMode == 0) c.image.Store(block, BlockPayload(std::span(answer).subspan(4), answer[2]));
  }
  ui.Progress(0, 0);
  if (ok) {
    fb.ResetAfterRead();
    ReserveBlocks& r = c.reserveBlocks;
    r.AlgCount = 0;
    r.AlgStart.fill(kEmpty);
    for (auto& row : r.AlgMembers) row.fill(kEmpty);
    for (auto& name : r.AlgName) name.fill(' ');
  }
  fb.RecountBlocks();
  return ok;
}

bool WriteFunctionBlockTable(Configuration& c, ModbusLink& link, Interaction& ui) {
  if (!MayWrite(c, ui)) return false;
  FunctionBlocks& fb = c.functionBlocks;
  const int pages = fb.GetPageCount();
  for (int p = 0; p < pages; ++p) {
    ui.Progress(p + 1, pages);
    link.Pause(50);
    fb.StorePage(p);
    if (!StoreBlock(link, c, kFirstFunctionBlockPage + p,
                    BlockPayload(fb.PageBuf(), fb.GetPageByteCount()))) {
      ui.Progress(0, 0);
      return false;
    }
  }
  ui.Progress(0, 0);
  // Only a whole table clears the change mark: after a failure the closing
  // question still offers to send it.
  fb.Changed = 0;
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) {
    const auto record = fb.Record(i);
    std::copy(record.begin(), record.end(), c.reserveBlocks.FBRecords[static_cast<size_t>(i)].begin());
  }
  return true;
}

bool WriteRegulatorLoops(Configuration& c, ModbusLink& link, Interaction& ui) {
  if (!MayWrite(c, ui)) return false;
  // Without a regulator module the controller has no loop block to store.
  if (c.regulators.RegPresent == 0) return true;
  c.functionBlocks.RegChanged = 0;
  link.Pause(50);
  Regulators& reg = c.regulators;
  reg.Pack(Regulators::LoopBlockNumber);
  if (!StoreBlock(link, c, Regulators::LoopBlockNumber, BlockPayload(reg.RegBuf, reg.RegBlockLen))) {
    c.functionBlocks.RegChanged = 1;
    return false;
  }
  CopyReserveLoops(c);
  return true;
}

namespace {

bool Held(const Configuration& c, int block, std::span<const uint8_t> bytes) {
  const auto* held = c.image.Find(block);
  return held && std::equal(held->begin(), held->end(), bytes.begin(), bytes.end());
}

bool AnyChangedIn(const Configuration& c, int first, int count) {
  return AnyChanged(c, [first, count](int block) { return block >= first && block < first + count; });
}

}  // namespace

bool FunctionBlockTableChanged(const Configuration& c) {
  const int pages = c.functionBlocks.GetPageCount();
  // A file also keeps the names and the algorithms.
  if (c.service.FileMode != 0)
    return AnyChangedIn(c, kFirstFunctionBlockPage, pages) || AnyChangedIn(c, kZulFbTextPage, pages) ||
           AnyChangedIn(c, kZulAlgStart, kZulAlgCount - kZulAlgStart + 1);
  auto fb = std::make_unique<FunctionBlocks>(c.functionBlocks);
  for (int p = 0; p < pages; ++p) {
    fb->StorePage(p);
    if (!Held(c, kFirstFunctionBlockPage + p, BlockPayload(fb->PageBuf(), fb->GetPageByteCount())))
      return true;
  }
  return false;
}

bool LoopBlockChanged(const Configuration& c) {
  if (c.service.FileMode != 0) return AnyChangedIn(c, Regulators::LoopBlockNumber, 1);
  if (c.regulators.RegPresent == 0) return false;
  auto reg = std::make_unique<Regulators>(c.regulators);
  reg->Pack(Regulators::LoopBlockNumber);
  return !Held(c, Regulators::LoopBlockNumber, BlockPayload(reg->RegBuf, reg->RegBlockLen));
}

void RestoreFunctionBlocksFromReference(Configuration& c) {
  FunctionBlocks& fb = c.functionBlocks;
  const ReserveBlocks& r = c.reserveBlocks;
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i)
    fb.SetRecord(i,
                 std::span<const uint8_t, FunctionBlocks::kRecordSize>(r.FBRecords[static_cast<size_t>(i)]));
  fb.SetAlgCount(r.AlgCount);
  for (int i = 0; i <= FunctionBlocks::kCapacity; ++i) {
    fb.SetAlgStart(i, r.AlgStart[static_cast<size_t>(i)]);
    for (int k = 0; k <= FunctionBlocks::kCapacity; ++k)
      fb.SetAlgMember(i, k, r.AlgMembers[static_cast<size_t>(i)][static_cast<size_t>(k)]);
  }
  // The names are kept as the controller's text pages hold them (cp1251).
  std::array<uint8_t, FunctionBlocks::kTextPageSize> page{};
  for (int p = 0; p < fb.GetPageCount(); ++p) {
    for (int k = 0; k < FunctionBlocks::kPageRecords; ++k) {
      const auto& name = r.AlgName[static_cast<size_t>(p * FunctionBlocks::kPageRecords + k)];
      std::copy(name.begin(), name.end(), page.begin() + k * FunctionBlocks::kNameSize);
    }
    fb.LoadTextPage(p, page);
  }
  if (fb.RegChanged || LoopBlockChanged(c)) RestoreRegulatorReferences(c.regulators, r);
  fb.Changed = 0;
  fb.RegChanged = 0;
  fb.RecountBlocks();
}

}  // namespace zul
