#include "core/editing/CalculationBlockEditing.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "core/editing/FunctionBlockEditing.h"
#include "core/editing/FunctionBlockForm.h"
#include "core/model/FloatText.h"

namespace zul {
namespace {

constexpr int kSumResultVariant = 1;    // byte 9
constexpr int kOtherResultVariant = 2;  // byte 6
constexpr int kIntegratorHourByte = 14;
constexpr int kIntegratorGroupByte = 13;
constexpr int kMaxHour = 23;
constexpr int kComparatorCode = ftComparator + 1;
// Regulator inputs 49..54 read calculated values 1..6.
constexpr int kFirstCalcPv = 49;
constexpr int kLastCalcPv = 54;

void Warn(Interaction& ui, const std::string& text) { ui.Show(kCaptionWarning, text, Icon::Warning); }

// Digits only; anything else (or nothing) is no number.
std::optional<int> Number(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < 0) return std::nullopt;
  return value;
}

std::string RangeText(int low, int high) {
  return "Величина вне диапазона " + std::to_string(low) + " - " + std::to_string(high);
}

std::optional<CalcProblem> WholeInRange(CalcField field, const std::string& text, int low, int high,
                                        int integrator = 0) {
  const auto n = Number(text);
  if (!n) return CalcProblem{field, integrator, kInputErrorNote};
  if (*n < low || *n > high) return CalcProblem{field, integrator, RangeText(low, high)};
  return std::nullopt;
}

std::optional<CalcProblem> ConstantInRange(CalcField field, const std::string& text) {
  const auto v = ParseDecimal(text);
  if (!v) return CalcProblem{field, 0, kInputErrorNote};
  if (*v < -kMaxConstant || *v > kMaxConstant)
    return CalcProblem{field, 0, RangeText(-kMaxConstant, kMaxConstant)};
  return std::nullopt;
}

bool UsesX2(int operation) { return operation >= opSum && operation <= opQuotient; }
bool UsesC2(int operation) { return operation == opSum || operation == opDifference; }
bool IsOperation(int operation) { return operation >= opSum && operation <= opSqrt; }

int ResultVariant(int operation) { return UsesC2(operation) ? kSumResultVariant : kOtherResultVariant; }

int SourceLimit(const Configuration& c, int source) {
  return source == srcCalculatedValue ? c.functionBlocks.GetArithCount() : c.service.AnalogSignalCount;
}

// A reference to result `deleted`: to it becomes 0, above it moves down one.
int FollowDeletion(int number, int deleted) {
  if (number == deleted) return 0;
  return number > deleted ? number - 1 : number;
}

// Regulator loops whose PV reads a calculated value follow the deletion of
// result `deleted`; the loops that read it are returned.
std::vector<int> FollowDeletionInLoops(Regulators& reg, int deleted) {
  std::vector<int> lost;
  for (int r = 0; r < Regulators::RecordCount; ++r) {
    const int pv = reg.GetPV(r);
    if (pv < kFirstCalcPv || pv > kLastCalcPv) continue;
    const int n = FollowDeletion(pv - kFirstCalcPv + 1, deleted);
    if (n == 0) lost.push_back(r);
    reg.SetPV(r, n == 0 ? 0 : n + kFirstCalcPv - 1);
  }
  return lost;
}

void MoveRecordsUp2(FunctionBlocks& fb, int from) {
  for (int i = fb.GetTableSize() - 3; i >= from; --i) fb.SetRecord(i + 2, fb.Record(i));
  fb.ClearRecord(from);
  fb.ClearRecord(from + 1);
}

void MoveRecordsDown2(FunctionBlocks& fb, int from) {
  const int size = fb.GetTableSize();
  for (int i = from; i + 2 < size; ++i) fb.SetRecord(i, fb.Record(i + 2));
  // Never below `from`: a pair cut short by the table's end sits right after the last block.
  for (int i = std::max(from, size - 2); i < size; ++i) fb.ClearRecord(i);
}

}  // namespace

int IntegratorShare(const FunctionBlocks& fb) {
  return fb.GetIntegratorRecords() > 0 ? FunctionBlocks::kMaxIntegratorRecords : 0;
}

int ArithRecord(const FunctionBlocks& fb, int k) { return fb.FBCount + IntegratorShare(fb) + k - 1; }

bool IsArithRecord(const FunctionBlocks& fb, int i) {
  return i >= 0 && i < fb.GetTableSize() && fb.GetTypeCode(i) == FunctionBlocks::kTypeCalc &&
         IsOperation(fb.GetOperation(i));
}

bool IsArithSlot(const FunctionBlocks& fb, int i) {
  return i >= 0 && i < fb.GetTableSize() && fb.GetTypeCode(i) == FunctionBlocks::kTypeCalc &&
         fb.GetSubtype(i) != 0;
}

int ArithResult(const FunctionBlocks& fb, int i) {
  return fb.GetResultAddress(i, ResultVariant(fb.GetOperation(i)));
}

std::string OperationSign(int operation) {
  switch (operation) {
    case opSum:
      return "+";
    case opDifference:
      return "-";
    case opProduct:
      return "X";
    case opQuotient:
      return ":";
    case opSqrt:
      return "SQRT";
    default:
      return {};
  }
}

std::array<std::string, FunctionBlocks::kMaxArithBlocks> MathBlockSigns(const FunctionBlocks& fb) {
  std::array<std::string, FunctionBlocks::kMaxArithBlocks> signs{};
  for (int k = 1; k <= FunctionBlocks::kMaxArithBlocks; ++k) {
    const int r = ArithRecord(fb, k);
    if (IsArithRecord(fb, r)) signs[static_cast<size_t>(k - 1)] = OperationSign(fb.GetOperation(r));
  }
  return signs;
}

bool MayOpenCalculationDialog(const FunctionBlocks& fb, CalcMode mode, Interaction& ui) {
  const bool creating = mode == CalcMode::CreateIntegrators || mode == CalcMode::CreateArith;
  const int used = fb.FBCount + IntegratorShare(fb) + fb.GetArithCount();
  // The integrators need both of their records free.
  const int needed = mode == CalcMode::CreateIntegrators && IntegratorShare(fb) == 0 ? 2 : 1;
  if (creating && used + needed > fb.GetTableSize()) {
    Warn(ui, kAllBlocksCreatedText);
    return false;
  }
  switch (mode) {
    case CalcMode::CreateIntegrators:
      if (fb.GetIntegratorRecords() == 0) return true;
      Warn(ui, kIntegratorsExistText);
      return false;
    case CalcMode::CreateArith:
      if (fb.GetArithCount() < FunctionBlocks::kMaxArithBlocks) return true;
      Warn(ui, kArithBlocksExistText);
      return false;
    case CalcMode::EditIntegrators:
      if (fb.GetIntegratorRecords() > 0) return true;
      Warn(ui, kNoIntegratorsText);
      return false;
    case CalcMode::EditArith:
      if (fb.GetArithCount() > 0) return true;
      Warn(ui, kNoArithBlocksText);
      return false;
  }
  return false;
}

CalcDialogState PrepareCalculationDialog(const FunctionBlocks& fb, CalcMode mode) {
  CalcDialogState s;
  s.mode = mode;
  const int share = IntegratorShare(fb);
  s.integratorRecord = fb.FBCount + 1;
  s.secondGroup = fb.FBCount + 2 <= fb.GetTableSize();
  switch (mode) {
    case CalcMode::CreateIntegrators:
      s.modeText = "создание интеграторов расхода";
      s.arith.operation = opIntegrator;
      break;
    case CalcMode::EditIntegrators:
      s.modeText = "программирование интеграторов расхода";
      s.arith.operation = opIntegrator;
      s.integrators = LoadIntegratorValues(fb);
      break;
    case CalcMode::CreateArith:
      s.modeText = "создание арифметических блоков";
      s.arithmetic = true;
      s.arith.operation = -1;
      s.blockNumber = fb.GetArithCount() + 1;
      s.recordNumber = fb.FBCount + share + fb.GetArithCount() + 1;
      s.arith.y = std::to_string(s.blockNumber);
      break;
    case CalcMode::EditArith: {
      s.modeText = "программирование арифметических блоков";
      s.arithmetic = true;
      const bool chosen = fb.SelectedArith >= 1 && fb.SelectedArith <= fb.GetArithCount();
      s.blockNumber = chosen ? fb.SelectedArith : 1;
      s.recordNumber = ArithRecord(fb, s.blockNumber) + 1;
      s.arith = LoadArithValues(fb, s.recordNumber - 1);
      // A block chosen in the math blocks window stays that block.
      s.recordChoosable = fb.SelectedArith == -1;
      break;
    }
  }
  s.recordLow = mode == CalcMode::EditArith ? fb.FBCount + 1 : s.recordNumber;
  s.recordHigh = std::min(fb.GetTableSize(), fb.FBCount + share + FunctionBlocks::kMaxArithBlocks);
  s.recordHigh = std::max(s.recordHigh, s.recordLow);
  return s;
}

ArithValues LoadArithValues(const FunctionBlocks& fb, int r) {
  ArithValues v;
  if (!IsArithRecord(fb, r)) return v;
  const int op = fb.GetOperation(r);
  v.operation = op;
  v.x1Source = fb.GetX1Source(r);
  v.x1 = std::to_string(fb.GetX1Number(r));
  v.c1 = fb.GetFloatText(r, 1);
  if (UsesX2(op)) {
    v.x2Source = fb.GetX2Source(r);
    v.x2 = std::to_string(fb.GetX2Number(r));
  } else {
    v.x2.clear();
  }
  if (UsesC2(op))
    v.c2 = fb.GetFloatText(r, 2);
  else
    v.c2.clear();
  int y = ArithResult(fb, r);
  // The result field cannot be typed into: an address that no block can
  // have is offered as the block's own number, the one it gets when created.
  if (y < 1 || y > FunctionBlocks::kMaxArithBlocks)
    y = std::clamp(r - fb.FBCount - IntegratorShare(fb) + 1, 1, FunctionBlocks::kMaxArithBlocks);
  v.y = std::to_string(y);
  return v;
}

IntegratorValues LoadIntegratorValues(const FunctionBlocks& fb) {
  IntegratorValues v;
  if (fb.GetIntegratorRecords() == 0) return v;
  const int first = fb.FBCount;
  for (int j = 0; j < kIntegratorCount; ++j) {
    const int record = first + j / kIntegratorsPerRecord;
    if (record >= fb.GetTableSize()) break;
    v.numbers[static_cast<size_t>(j)] = std::to_string(fb.GetByte(record, 1 + j % kIntegratorsPerRecord));
  }
  v.hour = std::to_string(fb.GetByte(first, kIntegratorHourByte));
  return v;
}

std::array<bool, kIntegratorCount> IntegratorFieldsEnabled(const IntegratorValues& v, bool secondGroup) {
  std::array<bool, kIntegratorCount> on{};
  auto holds = [&](int j) { return Number(v.numbers[static_cast<size_t>(j)]).value_or(0) > 0; };
  for (int j = 0; j < kIntegratorCount; ++j) {
    if (j >= kIntegratorsPerRecord && !secondGroup) break;
    on[static_cast<size_t>(j)] = j == 0 || holds(j) || holds(j - 1);
  }
  return on;
}

ArithControls ControlsForOperation(int operation) { return {UsesX2(operation), UsesC2(operation)}; }

RecordChoice ChooseArithRecord(const FunctionBlocks& fb, int recordNumber, ArithValues& values,
                               int& blockNumber) {
  const int low = fb.FBCount + IntegratorShare(fb) + 1;
  if (recordNumber < low || recordNumber > fb.GetTableSize()) return RecordChoice::OutOfRange;
  if (!IsArithSlot(fb, recordNumber - 1)) return RecordChoice::NotArithmetic;
  values = LoadArithValues(fb, recordNumber - 1);
  blockNumber = recordNumber - fb.FBCount - IntegratorShare(fb);
  return RecordChoice::Loaded;
}

std::optional<CalcProblem> CheckArithValues(const Configuration& c, const ArithValues& v) {
  // Without an operation the record would read as an integrator.
  if (!IsOperation(v.operation)) return CalcProblem{CalcField::Operation, 0, kInputErrorNote};
  if (auto p = ConstantInRange(CalcField::C1, v.c1)) return p;
  if (auto p = WholeInRange(CalcField::X1, v.x1, 0, SourceLimit(c, v.x1Source))) return p;
  if (UsesX2(v.operation)) {
    if (auto p = WholeInRange(CalcField::X2, v.x2, 0, SourceLimit(c, v.x2Source))) return p;
  }
  if (UsesC2(v.operation)) {
    if (auto p = ConstantInRange(CalcField::C2, v.c2)) return p;
  }
  return WholeInRange(CalcField::Y, v.y, 1, FunctionBlocks::kMaxArithBlocks);
}

std::optional<CalcProblem> CheckIntegratorValues(const Configuration& c, const IntegratorValues& v) {
  for (int j = 0; j < kIntegratorCount; ++j) {
    if (auto p = WholeInRange(CalcField::Integrator, v.numbers[static_cast<size_t>(j)], 0,
                              c.service.AnalogSignalCount, j))
      return p;
  }
  return WholeInRange(CalcField::Hour, v.hour, 0, kMaxHour);
}

std::string ArithRecordRangeText(const FunctionBlocks& fb) {
  const int low = fb.FBCount + IntegratorShare(fb) + 1;
  return RangeText(low, std::max(low, ArithRecord(fb, fb.GetArithCount()) + 1));
}

std::optional<CalcProblem> CheckArithRecord(const FunctionBlocks& fb, CalcMode mode, int recordNumber) {
  const int r = recordNumber - 1;
  const bool fits = mode == CalcMode::CreateArith
                        ? r == ArithRecord(fb, fb.GetArithCount() + 1) && r < fb.GetTableSize()
                        : r >= ArithRecord(fb, 1) && IsArithSlot(fb, r);
  if (fits) return std::nullopt;
  return CalcProblem{CalcField::Record, 0, ArithRecordRangeText(fb)};
}

bool StoreArithBlock(Configuration& c, CalcMode mode, int recordNumber, const ArithValues& v) {
  FunctionBlocks& fb = c.functionBlocks;
  const int r = recordNumber - 1;
  if (!IsOperation(v.operation) || r < 0 || r >= fb.GetTableSize()) return false;
  if (mode == CalcMode::CreateArith) {
    if (fb.GetArithCount() >= FunctionBlocks::kMaxArithBlocks || r != ArithRecord(fb, fb.GetArithCount() + 1))
      return false;
    fb.SetArithCount(fb.GetArithCount() + 1);
  } else if (mode != CalcMode::EditArith || !IsArithSlot(fb, r) || r < ArithRecord(fb, 1)) {
    return false;
  }
  // Cleared first, so bytes a former operation used do not stay behind.
  fb.ClearRecord(r);
  fb.SetTypeCode(r, FunctionBlocks::kTypeCalc);
  fb.SetOperation(r, v.operation);
  fb.SetX1Source(r, std::max(v.x1Source, 0));
  fb.SetX1Number(r, Number(v.x1).value_or(0));
  if (!fb.SetFloatText(r, v.c1, 1)) fb.SetFloatText(r, "0", 1);
  const int y = Number(v.y).value_or(0);
  fb.SetResultAddress(r, kOtherResultVariant, y);
  if (UsesX2(v.operation)) {
    fb.SetX2Source(r, std::max(v.x2Source, 0));
    fb.SetX2Number(r, Number(v.x2).value_or(0));
  }
  if (UsesC2(v.operation)) {
    if (!fb.SetFloatText(r, v.c2, 2)) fb.SetFloatText(r, "0", 2);
    fb.SetResultAddress(r, kSumResultVariant, y);
  }
  fb.Changed = 1;
  return true;
}

bool StoreIntegrators(Configuration& c, CalcMode mode, const IntegratorValues& v) {
  FunctionBlocks& fb = c.functionBlocks;
  fb.RecountBlocks();
  std::array<int, kIntegratorCount> numbers{};
  for (size_t j = 0; j < numbers.size(); ++j)
    numbers[j] = std::clamp(Number(v.numbers[j]).value_or(0), 0, 255);
  auto inUse = [&](int group) {
    return std::any_of(numbers.begin() + group * kIntegratorsPerRecord,
                       numbers.begin() + (group + 1) * kIntegratorsPerRecord, [](int n) { return n != 0; });
  };
  const int first = fb.FBCount;
  const bool secondHasRecord = first + 2 <= fb.GetTableSize();
  const bool group1 = inUse(0), group2 = secondHasRecord && inUse(1);
  if (mode == CalcMode::CreateIntegrators) {
    // Nothing to create; and the pair needs two free records at the end.
    if (fb.GetIntegratorRecords() != 0 || (!group1 && !group2)) return false;
    if (first + IntegratorShare(fb) + fb.GetArithCount() + 2 > fb.GetTableSize()) return false;
    MoveRecordsUp2(fb, first);
  } else if (mode != CalcMode::EditIntegrators || fb.GetIntegratorRecords() == 0 ||
             first >= fb.GetTableSize()) {
    return false;
  }
  const int hour = std::clamp(Number(v.hour).value_or(0), 0, kMaxHour);
  int records = 0;
  for (int group = 0; group < 2; ++group) {
    const int r = first + group;
    if (r >= fb.GetTableSize()) break;
    fb.ClearRecord(r);
    fb.SetByte(r, kIntegratorHourByte, hour);
    if (!(group == 0 ? group1 : group2)) continue;
    fb.SetTypeCode(r, FunctionBlocks::kTypeCalc);
    for (int j = 0; j < kIntegratorsPerRecord; ++j)
      fb.SetByte(r, 1 + j, numbers[static_cast<size_t>(group * kIntegratorsPerRecord + j)]);
    if (group == 1) fb.SetByte(r, kIntegratorGroupByte, kIntegratorsPerRecord);
    ++records;
  }
  if (group2 && !group1) {
    fb.SetTypeCode(first, FunctionBlocks::kTypeCalc);
    ++records;
  }
  fb.SetIntegratorRecords(records);
  if (records == 0) MoveRecordsDown2(fb, first);
  fb.Changed = 1;
  return true;
}

std::string MathBlockQuestionText(int k) {
  return "Удалить математический блок МБ" + std::to_string(k) + "?";
}

std::string LoopLostMathBlockText(int k, int loop) {
  return "Внимание!\nМБ" + std::to_string(k) + " использовался как вход PV регулятора " +
         std::to_string(loop + 1) + ".\nВход PV регулятора " + std::to_string(loop + 1) + " обнулен";
}

bool DeleteArithBlock(Configuration& c, int k, Interaction& ui) {
  FunctionBlocks& fb = c.functionBlocks;
  fb.RecountBlocks();
  const int count = fb.GetArithCount();
  if (k < 1 || k > count || !IsArithRecord(fb, ArithRecord(fb, k))) return false;
  const Answer answer = ui.Ask(
      Message{kDeleteMathBlockCaption, MathBlockQuestionText(k), Icon::Question, Buttons::YesNo, Answer::No});
  if (answer != Answer::Yes) return false;
  const int deleted = ArithResult(fb, ArithRecord(fb, k));
  // An address no block can have is referred to by nobody either.
  if (deleted >= 1 && deleted <= FunctionBlocks::kMaxArithBlocks) {
    const auto loops = c.regulators.Loops;
    for (int loop : FollowDeletionInLoops(c.regulators, deleted)) Warn(ui, LoopLostMathBlockText(k, loop));
    if (c.regulators.Loops != loops) fb.RegChanged = 1;
    for (int j = 1; j <= count; ++j) {
      const int r = ArithRecord(fb, j);
      if (!IsArithRecord(fb, r)) continue;
      if (fb.GetX1Source(r) == srcCalculatedValue && fb.GetX1Number(r) > 0)
        fb.SetX1Number(r, FollowDeletion(fb.GetX1Number(r), deleted));
      if (UsesX2(fb.GetOperation(r)) && fb.GetX2Source(r) == srcCalculatedValue && fb.GetX2Number(r) > 0)
        fb.SetX2Number(r, FollowDeletion(fb.GetX2Number(r), deleted));
    }
    for (int i = 0; i < fb.FBCount; ++i) {
      if (fb.GetTypeCode(i) != kComparatorCode || fb.GetComparatorAnalogSource(i) != 1) continue;
      const int n = fb.GetComparatorAnalogNumber(i);
      if (n > 0) fb.SetComparatorAnalogNumber(i, FollowDeletion(n, deleted));
    }
    for (int j = k + 1; j <= count; ++j) {
      const int r = ArithRecord(fb, j);
      if (!IsArithRecord(fb, r)) continue;
      const int y = ArithResult(fb, r);
      if (y > deleted) fb.SetResultAddress(r, ResultVariant(fb.GetOperation(r)), y - 1);
    }
  }
  const int last = std::min(ArithRecord(fb, count), fb.GetTableSize() - 1);
  for (int r = ArithRecord(fb, k); r < last; ++r) fb.SetRecord(r, fb.Record(r + 1));
  fb.ClearRecord(last);
  fb.SetArithCount(count - 1);
  if (fb.SelectedArith > count - 1) fb.SelectedArith = -1;
  fb.Changed = 1;
  return true;
}

}  // namespace zul
