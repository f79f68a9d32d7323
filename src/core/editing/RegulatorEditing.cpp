#include "core/editing/RegulatorEditing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ControllerImage.h"
#include "core/link/AnswerData.h"
#include "core/link/ModbusLink.h"
#include "core/model/FloatText.h"

namespace zul {

namespace {

constexpr int kLoops = Regulators::RecordCount;
constexpr int kDacOutputs = 8;
constexpr int kFirstCalcInput = 49;
constexpr int kLastCalcInput = 54;
constexpr int kFbTypeTrigger = 5;  // the function block kind a two-position loop follows
constexpr int kFirstKvu = 121;
constexpr int kLastKvu = 185;

const std::array<std::string, 6> kParamFields{"EditKp", "EditTi", "EditTd", "EditOL", "EditOH", "EditdSP"};
const std::array<std::string, 6> kInnerParamFields{"EditKp1", "EditTi1", "EditTd1",
                                                   "EditOL1", "EditOH1", "EditdSP1"};
const std::array<std::string, 4> kFcFields{"EdAdFB_OnFC", "EdAdFB_RetNorm", "EdAdKVU_OnRetNorm", "EdOUT_FC"};

struct Range {
  double min, max;
};
// KP, Ti, Td, OL, OH, dSP of a PID loop.
constexpr std::array<Range, 6> kPidRanges{
    {{0.1, 1000}, {0.1, 10000}, {0, 1000}, {0, 100}, {0, 100}, {0, 100}}};
// The repeater and the two-position loop keep fixed values.
constexpr std::array<Range, 6> kFixedRanges{{{0, 0}, {0, 0}, {0, 0}, {0, 0}, {100, 100}, {0, 0}}};

bool ValidLoop(int i) { return i >= 0 && i < kLoops; }

std::string Num(int v) { return std::to_string(v); }

std::string Params2(double v) { return FixedNotation(v, 7, 2); }
std::string Limits2(double v) { return FixedNotation(v, 5, 2); }

std::string RangeText(double min, double max) {
  char text[96];
  std::snprintf(text, sizeof text, "Величина вне диапазона %g - %g", min, max);
  return text;
}

LoopCheck Note(const std::string& field, const std::string& text) {
  return {LoopCheck::Verdict::Note, field, text};
}

LoopCheck InputError(const LoopForm& f, const std::string& field) {
  return Note(field, f.Get(field) + " " + kLoopInputErrorText);
}

// The range check every numeric field goes through: empty or not a number,
// or outside min..max (NaN never passes).
std::optional<LoopCheck> CheckRange(const LoopForm& f, const std::string& field, double min, double max) {
  const auto v = ParseDecimal(f.Get(field));
  if (!v) return InputError(f, field);
  if (!(*v >= min) || *v > max) return Note(field, RangeText(min, max));
  return std::nullopt;
}

// A program point: on the PV scale, and no more than its code can hold (the
// controller reads 0..65535; a clamped code would be another setpoint).
std::optional<LoopCheck> CheckSetpoint(const LoopForm& f, const std::string& field, double min, double max) {
  const auto storable = Regulators::MaxStorableSetpoint(min, max);
  if (!storable) return CheckRange(f, field, min, max);
  const double lo = std::max(min, 0.0), hi = std::min(max, *storable);
  if (lo > hi) {
    if (!ParseDecimal(f.Get(field))) return InputError(f, field);
    return Note(field, kSetpointNotStorableText);
  }
  return CheckRange(f, field, lo, hi);
}

std::optional<LoopCheck> CheckNumber(const LoopForm& f, const std::string& field) {
  if (!f.Int(field)) return InputError(f, field);
  return std::nullopt;
}

// The first function block that is not programmed, or the table size when all
// are: the blocks a loop may name are 1..F.
int ProgrammedFunctionBlocks(const FunctionBlocks& fb) {
  const int size = std::clamp(fb.GetTableSize(), 0, fb.GetCapacity());
  for (int i = 0; i < size; ++i) {
    if (fb.GetTypeCode(i) == 0) return i;
  }
  return size;
}

int OwnAnalogInputs(const ServiceBlock& s) {
  return std::clamp(6 * s.AiModules, 0, 6 * ServiceBlock::kMaxAiModules);
}

// The PV input: a number within the analog inputs of the base, and not one of
// the network's.
std::optional<LoopCheck> CheckPvInput(const Configuration& c, const LoopForm& f, const std::string& field,
                                      int kind) {
  if (auto bad = CheckNumber(f, field)) return bad;
  const int n = *f.Int(field);
  if (kind == Regulators::KindRepeater && n >= kFirstCalcInput)
    return CheckRange(f, field, kFirstCalcInput, kLastCalcInput);
  const int inputs = std::max({1, c.service.AnalogSignalCount, OwnAnalogInputs(c.service)});
  if (auto bad = CheckRange(f, field, 1, inputs)) return bad;
  if (n > OwnAnalogInputs(c.service)) return LoopCheck{LoopCheck::Verdict::Message, field, kNetworkPvText};
  return std::nullopt;
}

std::optional<LoopCheck> CheckParams(const LoopForm& f, const std::array<std::string, 6>& fields,
                                     const std::array<Range, 6>& ranges) {
  for (size_t k = 0; k < fields.size(); ++k) {
    if (auto bad = CheckRange(f, fields[k], ranges[k].min, ranges[k].max)) return bad;
  }
  return std::nullopt;
}

bool IsZeroField(const LoopForm& f, const std::string& field) {
  const auto v = ParseDecimal(f.Get(field));
  return v && *v == 0.0;
}

std::optional<LoopCheck> CheckForcedMode(const Configuration& c, LoopForm& f, int programmed, bool refused) {
  const bool fcWanted = !std::all_of(kFcFields.begin(), kFcFields.end(),
                                     [&](const std::string& field) { return IsZeroField(f, field); });
  if (programmed == 0) {
    // Without function blocks there is no forced mode; a loop without one
    // must still be storable.
    if (!fcWanted) return std::nullopt;
    f.Set("EdAdFB_OnFC", "00");
    return Note("EdAdFB_OnFC", kNoProgrammedFbText);
  }
  if (auto bad = CheckNumber(f, "EdAdFB_OnFC")) return bad;
  if (*f.Int("EdAdFB_OnFC") == 0) {
    if (refused) return std::nullopt;
    return LoopCheck{LoopCheck::Verdict::AskFcRefusal, "EdAdFB_OnFC", kFcRefusalQuestion};
  }
  if (auto bad = CheckRange(f, "EdAdFB_OnFC", 1, programmed)) return bad;
  if (auto bad = CheckNumber(f, "EdAdFB_RetNorm")) return bad;
  if (*f.Int("EdAdFB_RetNorm") != 0) {
    if (auto bad = CheckRange(f, "EdAdFB_RetNorm", 1, programmed)) return bad;
  }
  if (auto bad = CheckNumber(f, "EdAdKVU_OnRetNorm")) return bad;
  if (*f.Int("EdAdKVU_OnRetNorm") != 0) {
    if (auto bad = CheckRange(f, "EdAdKVU_OnRetNorm", kFirstKvu, kLastKvu)) return bad;
  }
  if (!IsZeroField(f, "EdOUT_FC")) {
    if (auto bad = CheckRange(f, "EdOUT_FC", 0, 100)) return bad;
  }
  (void)c;
  return std::nullopt;
}

// Another loop in use (not `own`, not `inner`) driving DAC output `dac`.
bool DacUsed(const Regulators& r, int dac, int own, int inner) {
  for (int k = 0; k < kLoops; ++k) {
    if (k == own || k == inner || r.GetPV(k) == 0) continue;
    if (r.GetOutput(k) + 1 == dac) return true;
  }
  return false;
}

std::string PvText(const Configuration& c, int n, int kind) {
  const PvInput in = DescribePvInput(c, n, kind);
  return in.valid ? in.identifier : kUnknownText;
}

std::string DestinationText(int output) {
  if (output >= 0 && output < kDacOutputs) return "вых ЦАП №" + Num(output + 1);
  if (output >= 8 && output <= 13) return "на рег " + Num(output - 7);
  return kUnknownText;
}

std::array<std::string, 6> ParamTexts(const Regulators& r, int i) {
  return {r.GetKP(i), r.GetTi(i), r.GetTd(i), r.GetOL(i), r.GetOH(i), r.GetdSP(i)};
}

void StoreParams(Regulators& r, int i, const LoopForm& f, const std::array<std::string, 6>& fields) {
  r.SetKP(i, f.Get(fields[0]));
  r.SetTi(i, f.Get(fields[1]));
  r.SetTd(i, f.Get(fields[2]));
  r.SetOL(i, f.Get(fields[3]));
  r.SetOH(i, f.Get(fields[4]));
  r.SetdSP(i, f.Get(fields[5]));
}

void FillParams(LoopForm& f, const Regulators& r, int i, const std::array<std::string, 6>& fields) {
  const auto texts = ParamTexts(r, i);
  for (size_t k = 0; k < fields.size(); ++k) f.Set(fields[k], texts[k]);
}

// The inner loop of the cascade whose outer loop is `outer`; -1 when it names none.
int InnerLoopOf(const Regulators& r, int outer) {
  const int o = r.GetOutput(outer);
  if (r.GetKind(outer) != Regulators::KindCascade || o < 8 || o > 13) return -1;
  const int inner = o - 8;
  return inner != outer ? inner : -1;
}

int ProgramOf(const Regulators& r, int loop) {
  const int b = r.GetSPSource(loop);
  return b >= 16 && b <= 21 ? b - 16 : -1;
}

// Whether a loop in use other than `own` follows generator `program`.
bool GeneratorTaken(const Regulators& r, int program, int own) {
  for (int k = 0; k < kLoops; ++k) {
    if (k != own && r.GetPV(k) != 0 && ProgramOf(r, k) == program) return true;
  }
  return false;
}

}  // namespace

// --- names ------------------------------------------------------------------------

std::string LoopKindName(int kind) {
  static const char* const names[] = {"повторитель сигнала", "одноконтурный  регулятор", "каскадная схема",
                                      "регулятор с прогр. задатч.", "двухпозиционный регулятор"};
  return kind >= 0 && kind < 5 ? names[kind] : kUnknownText;
}

std::string LoopKindOnlineName(int kind) {
  static const char* const names[] = {"повторитель сигнала", "одноконтурный регулятор", "каскадная схема",
                                      "рег. с програм.задатчиком", "двухпозиционный регулятор"};
  return kind >= 0 && kind < 5 ? names[kind] : kUnknownText;
}

// --- inputs --------------------------------------------------------------------------

PvInput DescribePvInput(const Configuration& c, int n, int kind) {
  PvInput in;
  if (kind == Regulators::KindRepeater && n >= kFirstCalcInput && n <= kLastCalcInput) {
    in.valid = in.calcBlock = true;
    in.identifier = "CDS Calc " + Num(n - 48);
    return in;
  }
  if (n < 1 || n > OwnAnalogInputs(c.service)) return in;
  const int module = (n - 1) / 6, channel = (n - 1) % 6;
  in.valid = true;
  in.identifier = c.service.JoinIdentCells(c.service.DiCount + 24 * module + 4 * channel, 0, 5);
  in.position = c.analogModules.GetPosition(module, channel);
  in.unit = c.analogModules.GetUnitName(c.analogModules.GetUnitIndex(module, channel));
  in.scaleMin = c.analogModules.GetValue(module, channel, AnalogValue::ScaleMin);
  in.scaleMax = c.analogModules.GetValue(module, channel, AnalogValue::ScaleMax);
  return in;
}

// --- panels --------------------------------------------------------------------------

int LoopsInUse(const Regulators& r) {
  int used = 0;
  for (int k = 0; k < kLoops; ++k) used += r.GetPV(k) != 0;
  return used;
}

int FirstFreeLoop(const Regulators& r) {
  for (int k = 0; k < kLoops; ++k) {
    if (r.GetPV(k) == 0) return k;
  }
  return -1;
}

std::vector<LoopPanel> BuildLoopPanels(const Configuration& c) {
  const Regulators& r = c.regulators;
  std::vector<LoopPanel> panels;
  std::array<bool, kLoops> drawn{};
  for (int k = 0; k < kLoops; ++k) {
    if (r.GetPV(k) == 0 || drawn[static_cast<size_t>(k)]) continue;
    drawn[static_cast<size_t>(k)] = true;
    LoopPanel p;
    p.record = k;
    p.kind = r.GetKind(k);
    p.type = r.GetRegType(k);
    p.action = r.GetOutAction(k) ? toInverse : toDirect;
    p.pv = PvText(c, r.GetPV(k), p.kind);
    p.sp = Num(r.GetSPSource(k));
    p.destination = DestinationText(r.GetOutput(k));
    if (p.kind == Regulators::KindTwoPosition) {
      p.fb = Num(r.GetFB(k));
      p.out0 = Limits2(r.GetOUT0(k));
      p.out1 = Limits2(r.GetOUT1(k));
    } else {
      p.params = ParamTexts(r, k);
    }
    const int inner = InnerLoopOf(r, k);
    if (inner >= 0 && !drawn[static_cast<size_t>(inner)]) {
      drawn[static_cast<size_t>(inner)] = true;
      p.inner = inner;
      p.innerAction = r.GetOutAction(inner) ? toInverse : toDirect;
      p.innerPv = PvText(c, r.GetPV(inner), Regulators::KindSingleLoop);
      p.innerSp = Num(r.GetSPSource(inner));
      p.innerParams = ParamTexts(r, inner);
      p.innerDestination = DestinationText(r.GetOutput(inner));
    }
    const int program = ProgramOf(r, k);
    if (program >= 0) {
      const PvInput in = DescribePvInput(c, r.GetPV(k), p.kind);
      for (int t = 0; t < Regulators::ProgramPoints; ++t) {
        p.times[static_cast<size_t>(t)] = Num(r.GetTime(program, t));
        p.values[static_cast<size_t>(t)] =
            in.valid ? Limits2(r.GetSetpoint(program, t, in.scaleMin, in.scaleMax)) : kUnknownText;
      }
    }
    panels.push_back(p);
  }
  return panels;
}

// --- the dialog's values -------------------------------------------------------------

std::string LoopForm::Get(const std::string& field) const {
  auto it = text.find(field);
  return it == text.end() ? std::string() : it->second;
}

std::optional<int> LoopForm::Int(const std::string& field) const {
  const std::string t = Get(field);
  const auto v = ParseDecimal(t);
  if (!v || *v != std::trunc(*v) || std::fabs(*v) > 1e6) return std::nullopt;
  return static_cast<int>(*v);
}

std::string PointTimeField(int t) { return "Edit" + Num(t + 1); }
std::string PointValueField(int t) { return "Edit" + Num(t + 7); }

const std::vector<std::string>& LoopFormFields() {
  static const std::vector<std::string> fields = [] {
    std::vector<std::string> f{"EditAdOUT", "EditNReg", "EditAnVh", "EditVhPZ"};
    f.insert(f.end(), kParamFields.begin(), kParamFields.end());
    f.insert(f.end(), kInnerParamFields.begin(), kInnerParamFields.end());
    f.insert(f.end(), {"EditAdOUT1", "EditVhSP", "EditNReg1", "EditAnVh1", "EditAReg", "EditNPZ"});
    for (int t = 0; t < Regulators::ProgramPoints; ++t) f.push_back(PointTimeField(t));
    for (int t = 0; t < Regulators::ProgramPoints; ++t) f.push_back(PointValueField(t));
    f.insert(f.end(), {"EditOut0", "EditOut1", "EditAdFB"});
    f.insert(f.end(), kFcFields.begin(), kFcFields.end());
    return f;
  }();
  return fields;
}

LoopForm BlankLoopForm(int ownNumber, int panelNumber) {
  LoopForm f;
  for (const std::string& field : LoopFormFields()) f.Set(field, "");
  for (int t = 0; t < Regulators::ProgramPoints; ++t) {
    f.Set(PointTimeField(t), "0");
    f.Set(PointValueField(t), "0");
  }
  f.Set("EditNReg", Num(ownNumber));
  f.panelNumber = panelNumber;
  return f;
}

void ApplyKindPresets(LoopForm& f, int kind, const Regulators& r) {
  const std::string own = f.Get("EditNReg");
  for (const std::string& field : LoopFormFields()) f.Set(field, "00");
  for (int t = 0; t < Regulators::ProgramPoints; ++t) {
    f.Set(PointTimeField(t), "0");
    f.Set(PointValueField(t), "0");
  }
  f.Set("EditVhPZ", "0");
  f.Set("EditNReg", own);
  f.outAction = f.innerOutAction = 0;
  f.kind = kind;
  auto pidDefaults = [&](const std::array<std::string, 6>& fields) {
    f.Set(fields[0], Params2(r.DefaultKP));
    f.Set(fields[1], Params2(r.DefaultTi));
    f.Set(fields[2], Params2(r.DefaultTd));
    f.Set(fields[3], Params2(r.DefaultOL));
    f.Set(fields[4], Params2(r.DefaultOH));
    f.Set(fields[5], Params2(r.DefaultdSP));
  };
  switch (kind) {
    case Regulators::KindRepeater:
    case Regulators::KindTwoPosition:
      f.Set("EditOL", Params2(r.DefaultOL));
      f.Set("EditOH", Params2(r.DefaultOH));
      break;
    case Regulators::KindSingleLoop:
    case Regulators::KindCascade:
    case Regulators::KindProgram:
      pidDefaults(kParamFields);
      f.Set("EdAdFB_OnFC", "000");
      f.Set("EdAdFB_RetNorm", "000");
      break;
    default:
      break;
  }
  if (kind == Regulators::KindCascade) {
    pidDefaults(kInnerParamFields);
    f.Set("EditVhSP", own);
  }
  if (kind == Regulators::KindProgram) {
    // The first generator no other loop follows: storing overwrites its points.
    const int ownLoop = f.Int("EditNReg").value_or(0) - 1;
    int program = 0;
    while (program < kLoops - 1 && GeneratorTaken(r, program, ownLoop)) ++program;
    f.Set("EditVhPZ", Num(program + 1));
    f.Set("EditNPZ", Num(program + 1));
    f.Set("EditAReg", own);
  }
}

LoopForm LoopFormFromRecord(const Configuration& c, int loop, int panelNumber) {
  const Regulators& r = c.regulators;
  LoopForm f = BlankLoopForm(loop + 1, panelNumber);
  for (const std::string& field : LoopFormFields()) {
    if (f.Get(field).empty()) f.Set(field, "00");
  }
  f.kind = r.GetKind(loop);
  f.Set("EditAnVh", Num(r.GetPV(loop)));
  f.Set("EditAdOUT", Num(r.GetOutput(loop) + 1));
  f.outAction = r.GetOutAction(loop);
  FillParams(f, r, loop, kParamFields);
  switch (f.kind) {
    case Regulators::KindSingleLoop:
      f.Set("EdAdFB_OnFC", Num(r.GetFcOn(loop)));
      f.Set("EdAdFB_RetNorm", Num(r.GetFcReturn(loop)));
      f.Set("EdAdKVU_OnRetNorm", Num(r.GetKvu(loop)));
      f.Set("EdOUT_FC", r.GetFcOut(loop));
      break;
    case Regulators::KindCascade: {
      const int inner = InnerLoopOf(r, loop);
      f.Set("EditAdOUT", Num(inner + 1));
      f.Set("EditVhSP", Num(loop + 1));
      if (inner >= 0) {
        f.Set("EditNReg1", Num(inner + 1));
        f.Set("EditAnVh1", Num(r.GetPV(inner)));
        f.Set("EditAdOUT1", Num(r.GetOutput(inner) + 1));
        f.innerOutAction = r.GetOutAction(inner);
        FillParams(f, r, inner, kInnerParamFields);
      }
      break;
    }
    case Regulators::KindProgram: {
      const int program = ProgramOf(r, loop);
      f.Set("EditVhPZ", Num(program + 1));
      f.Set("EditNPZ", Num(program + 1));
      f.Set("EditAReg", Num(r.GetProgReg(program)));
      const PvInput in = DescribePvInput(c, r.GetPV(loop), f.kind);
      for (int t = 0; t < Regulators::ProgramPoints; ++t) {
        f.Set(PointTimeField(t), Num(r.GetTime(program, t)));
        f.Set(PointValueField(t), Limits2(r.GetSetpoint(program, t, in.scaleMin, in.scaleMax)));
      }
      break;
    }
    case Regulators::KindTwoPosition:
      f.Set("EditAdFB", Num(r.GetFB(loop)));
      f.Set("EditOut0", Limits2(r.GetOUT0(loop)));
      f.Set("EditOut1", Limits2(r.GetOUT1(loop)));
      // KP shares its bytes with OUT1 here; read back it would never pass
      // the check that keeps it 0, and the loop could not be programmed again.
      f.Set("EditKp", Params2(0.0));
      f.outAction = 0;
      break;
    default:
      break;
  }
  return f;
}

// --- checks --------------------------------------------------------------------------

LoopCheck CheckLoopForm(const Configuration& c, LoopForm& f, bool fcRefused) {
  const int kind = f.kind;
  if (kind < Regulators::KindRepeater || kind > Regulators::KindTwoPosition)
    return Note("CBoxTReg", kNoLoopKindText);
  const auto ownNumber = f.Int("EditNReg");
  if (!ownNumber || *ownNumber < 1 || *ownNumber > kLoops) return InputError(f, "EditNReg");
  const int own = *ownNumber - 1;

  // 1. The function blocks a loop may name.
  const bool usesFb = kind == Regulators::KindSingleLoop || kind == Regulators::KindTwoPosition;
  const int programmed =
      usesFb && c.functionBlocks.GetTableSize() > 0 ? ProgrammedFunctionBlocks(c.functionBlocks) : 0;

  // 2. The controlled input.
  if (auto bad = CheckPvInput(c, f, "EditAnVh", kind)) return *bad;

  // 3. The fields every kind needs.
  if (f.Get("EditVhSP").empty()) return InputError(f, "EditVhSP");
  if (auto bad = CheckNumber(f, "EditAdOUT")) return *bad;
  if (kind == Regulators::KindTwoPosition) {
    if (auto bad = CheckNumber(f, "EditAdFB")) return *bad;
  }

  // 4. The output: the next loop for a cascade, a DAC output otherwise.
  if (kind == Regulators::KindCascade) {
    if (auto bad = CheckRange(f, "EditAdOUT", own + 2, std::min(own + 2, kLoops))) return *bad;
    // The inner record is written too: it must not be another loop in use.
    const Regulators& r = c.regulators;
    if (r.GetPV(own + 1) != 0 && r.GetSPSource(own + 1) != own + 8) return InputError(f, "EditAdOUT");
  } else if (auto bad = CheckRange(f, "EditAdOUT", 1, kDacOutputs)) {
    return *bad;
  }

  // 5. Two-position settings.
  if (kind == Regulators::KindTwoPosition) {
    if (auto bad = CheckRange(f, "EditOut0", 0, 100)) return *bad;
    if (auto bad = CheckRange(f, "EditOut1", 0, 100)) return *bad;
    if (auto bad = CheckRange(f, "EditAdFB", 1, std::max(programmed, 1))) return *bad;
    if (programmed == 0) return Note("EditAdFB", kNoProgrammedFbText);
    if (c.functionBlocks.GetTypeCode(*f.Int("EditAdFB") - 1) != kFbTypeTrigger)
      return InputError(f, "EditAdFB");
  }

  // 6. Parameters.
  const bool fixed = kind == Regulators::KindRepeater || kind == Regulators::KindTwoPosition;
  if (auto bad = CheckParams(f, kParamFields, fixed ? kFixedRanges : kPidRanges)) return *bad;

  // 7. The cascade's inner loop.
  if (kind == Regulators::KindCascade) {
    if (auto bad = CheckNumber(f, "EditAdOUT1")) return *bad;
    if (auto bad = CheckRange(f, "EditAdOUT1", 1, kDacOutputs)) return *bad;
    if (auto bad = CheckPvInput(c, f, "EditAnVh1", Regulators::KindSingleLoop)) return *bad;
    if (auto bad = CheckParams(f, kInnerParamFields, kPidRanges)) return *bad;
  }

  // 8. The program setpoint generator.
  if (kind == Regulators::KindProgram) {
    if (auto bad = CheckNumber(f, "EditAReg")) return *bad;
    if (auto bad = CheckNumber(f, "EditVhPZ")) return *bad;
    if (auto bad = CheckRange(f, "EditVhPZ", 1, kLoops)) return *bad;
    if (GeneratorTaken(c.regulators, *f.Int("EditVhPZ") - 1, own))
      return Note("EditVhPZ", kGeneratorUsedText);
    const PvInput in = DescribePvInput(c, *f.Int("EditAnVh"), kind);
    for (int t = 0; t < Regulators::ProgramPoints; ++t) {
      if (auto bad = CheckRange(f, PointTimeField(t), 0, 65535)) return *bad;
      if (auto bad = CheckSetpoint(f, PointValueField(t), in.scaleMin, in.scaleMax)) return *bad;
    }
  }

  // 9, 10. Forced mode, for the single-loop regulator only.
  if (kind == Regulators::KindSingleLoop) {
    if (auto bad = CheckForcedMode(c, f, programmed, fcRefused)) return *bad;
  } else {
    for (const std::string& field : kFcFields) {
      if (!IsZeroField(f, field)) return Note("EdOUT_FC", kFcOnlySingleLoopText);
    }
  }

  // 11. DAC outputs in use elsewhere.
  if (kind == Regulators::KindCascade) {
    const int inner = *f.Int("EditAdOUT") - 1;
    if (DacUsed(c.regulators, *f.Int("EditAdOUT1"), own, inner)) return Note("EditAdOUT1", kDacUsedText);
  } else if (DacUsed(c.regulators, *f.Int("EditAdOUT"), own, -1)) {
    return Note("EditAdOUT", kDacUsedText);
  }
  return {};
}

bool AnswerFcRefusal(Configuration& c, LoopForm& f, Answer answer) {
  switch (answer) {
    case Answer::Yes:
      for (const char* field : {"EdAdFB_OnFC", "EdAdFB_RetNorm", "EdAdKVU_OnRetNorm"}) f.Set(field, "00");
      return true;
    case Answer::No: {
      // Only this dialog's edits go: the other loops' unsent edits stay.
      Regulators& r = c.regulators;
      const int own = f.Int("EditNReg").value_or(0) - 1;
      const int panel = f.panelNumber;
      f = ValidLoop(own) && r.GetPV(own) != 0 ? LoopFormFromRecord(c, own, panel)
                                              : BlankLoopForm(own + 1, panel);
      r.RegModified = r.SavedRegModified;
      return false;
    }
    default:
      return false;
  }
}

// --- storing -------------------------------------------------------------------------

void StoreLoopForm(Configuration& c, const LoopForm& f) {
  Regulators& r = c.regulators;
  const int own = f.Int("EditNReg").value_or(0) - 1;
  if (!ValidLoop(own)) return;
  const int kind = f.kind;
  r.SetPV(own, f.Int("EditAnVh").value_or(0));
  const int out = f.Int("EditAdOUT").value_or(1);
  r.SetOutput(own, kind == Regulators::KindCascade ? out + 7 : out - 1);
  switch (kind) {
    case Regulators::KindRepeater:
    case Regulators::KindTwoPosition:
      r.SetSPSource(own, 0);
      break;
    case Regulators::KindProgram:
      r.SetSPSource(own, f.Int("EditVhPZ").value_or(1) + 15);
      break;
    default:
      r.SetSPSource(own, 1);
      break;
  }
  if (kind == Regulators::KindTwoPosition) {
    r.SetFB(own, f.Int("EditAdFB").value_or(0));
  } else if (kind != Regulators::KindRepeater) {
    r.SetFB(own, f.outAction & 1);
  } else {
    r.SetFB(own, 0);
  }
  StoreParams(r, own, f, kParamFields);
  if (kind == Regulators::KindSingleLoop) {
    r.SetFcOn(own, f.Int("EdAdFB_OnFC").value_or(0));
    r.SetFcReturn(own, f.Int("EdAdFB_RetNorm").value_or(0));
    r.SetKvu(own, f.Int("EdAdKVU_OnRetNorm").value_or(0));
    r.SetFcOut(own, f.Get("EdOUT_FC"));
  }
  if (kind == Regulators::KindCascade) {
    const int inner = out - 1;
    if (ValidLoop(inner)) {
      r.SetPV(inner, f.Int("EditAnVh1").value_or(0));
      r.SetFB(inner, f.innerOutAction & 1);
      r.SetOutput(inner, f.Int("EditAdOUT1").value_or(1) - 1);
      StoreParams(r, inner, f, kInnerParamFields);
      r.SetSPSource(inner, own + 1 + 7);
    }
  }
  if (kind == Regulators::KindProgram) {
    const int program = f.Int("EditVhPZ").value_or(1) - 1;
    const PvInput in = DescribePvInput(c, f.Int("EditAnVh").value_or(0), kind);
    r.SetProgReg(program, f.Int("EditAReg").value_or(0));
    for (int t = 0; t < Regulators::ProgramPoints; ++t) {
      r.SetTime(program, t, f.Int(PointTimeField(t)).value_or(0));
      // A point left as shown keeps its code: the text is rounded to two decimals.
      const std::string typed = f.Get(PointValueField(t));
      if (typed == Limits2(r.GetSetpoint(program, t, in.scaleMin, in.scaleMax))) continue;
      r.SetSetpoint(program, t, ParseDecimal(typed).value_or(0.0), in.scaleMin, in.scaleMax);
    }
  }
  if (kind == Regulators::KindTwoPosition) {
    // After the parameters: the levels share bytes 4..7 with them.
    r.SetOUT0(own, static_cast<float>(ParseDecimal(f.Get("EditOut0")).value_or(0.0)));
    r.SetOUT1(own, static_cast<float>(ParseDecimal(f.Get("EditOut1")).value_or(0.0)));
  }
}

// --- deleting ------------------------------------------------------------------------

void DeleteLoop(Regulators& r, int loop) {
  if (!ValidLoop(loop)) return;
  const int inner = InnerLoopOf(r, loop);
  const int count = inner == loop + 1 ? 2 : 1;
  const int program = ProgramOf(r, loop);
  r.RegModified = 1;
  r.RemoveLoops(loop, count);
  if (program >= 0) r.RemovePrograms(program, 1);
  // The loops that moved down still name each other by their old places.
  for (int k = loop; k < kLoops; ++k) {
    if (r.GetPV(k) == 0) continue;
    const int b = r.GetSPSource(k), o = r.GetOutput(k);
    if (o >= 8 && o <= 13 && o - 8 > loop) r.SetOutput(k, o - count);
    if (b >= 8 && b <= 13 && b - 8 > loop) r.SetSPSource(k, b - count);
    if (program >= 0 && b >= 16 && b <= 21 && b - 16 > program) r.SetSPSource(k, b - 1);
  }
  for (int p = 0; p < kLoops; ++p) {
    const int regulator = r.GetProgReg(p);
    if (regulator - 1 > loop) r.SetProgReg(p, regulator - count);
  }
}

bool DeleteSelectedLoops(Regulators& r) {
  bool any = false;
  // From the last: deleting a loop moves only the ones after it.
  for (int k = kLoops - 1; k >= 0; --k) {
    if (!r.Selected[static_cast<size_t>(k)]) continue;
    any = true;
    if (r.GetPV(k) != 0) DeleteLoop(r, k);
  }
  r.Selected.fill(0);
  return any;
}

// --- copying -------------------------------------------------------------------------

namespace {

// The copied records in paste order: each flagged loop, a cascade followed by
// its inner loop.
std::vector<int> CopiedRecords(const Regulators& source, const std::array<int, kLoops>& copied) {
  std::vector<int> records;
  auto add = [&](int k) {
    if (std::find(records.begin(), records.end(), k) == records.end()) records.push_back(k);
  };
  for (int k = 0; k < kLoops; ++k) {
    if (!copied[static_cast<size_t>(k)] || source.GetPV(k) == 0) continue;
    add(k);
    const int inner = InnerLoopOf(source, k);
    if (inner >= 0 && source.GetPV(inner) != 0) add(inner);
  }
  return records;
}

}  // namespace

int CopiedLoopCount(const std::array<Regulators::Record, kLoops>& loops,
                    const std::array<int, kLoops>& copied) {
  Regulators source;
  source.Loops = loops;
  return static_cast<int>(CopiedRecords(source, copied).size());
}

PasteResult AddCopiedLoops(Regulators& r, const std::array<Regulators::Record, kLoops>& loops,
                           const std::array<Regulators::Record, kLoops>& programs,
                           const std::array<int, kLoops>& copied) {
  Regulators source;
  source.Loops = loops;
  source.Programs = programs;
  const std::vector<int> records = CopiedRecords(source, copied);
  if (records.empty()) return PasteResult::NothingCopied;
  const int base = LoopsInUse(r);
  if (base + static_cast<int>(records.size()) > kLoops) return PasteResult::NoRoom;

  Regulators pasted = r;
  std::array<int, kLoops> place{};
  place.fill(-1);
  for (size_t n = 0; n < records.size(); ++n)
    place[static_cast<size_t>(records[n])] = base + static_cast<int>(n);
  std::array<bool, kLoops> generatorUsed{};
  for (int k = 0; k < base; ++k) {
    if (ProgramOf(r, k) >= 0) generatorUsed[static_cast<size_t>(ProgramOf(r, k))] = true;
  }
  for (int from : records) {
    const int to = place[static_cast<size_t>(from)];
    pasted.Loops[static_cast<size_t>(to)] = loops[static_cast<size_t>(from)];
    const int b = source.GetSPSource(from), o = source.GetOutput(from);
    if (o >= 8 && o <= 13) {
      const int inner = place[static_cast<size_t>(o - 8)];
      if (inner < 0) return PasteResult::NothingCopied;
      pasted.SetOutput(to, inner + 8);
    } else if (DacUsed(pasted, o + 1, to, -1)) {
      return PasteResult::DacUsed;
    }
    if (b >= 8 && b <= 13) {
      const int outer = place[static_cast<size_t>(b - 8)];
      pasted.SetSPSource(to, outer >= 0 ? outer + 8 : 1);
    }
    if (b >= 16 && b <= 21) {
      const auto free = std::find(generatorUsed.begin(), generatorUsed.end(), false);
      if (free == generatorUsed.end()) return PasteResult::NoRoom;
      *free = true;
      const int generator = static_cast<int>(free - generatorUsed.begin());
      pasted.Programs[static_cast<size_t>(generator)] = programs[static_cast<size_t>(b - 16)];
      pasted.SetProgReg(generator, to + 1);
      pasted.SetSPSource(to, generator + 16);
    }
  }
  r.Loops = pasted.Loops;
  r.Programs = pasted.Programs;
  r.RegModified = 1;
  return PasteResult::Pasted;
}

// --- the controller ------------------------------------------------------------------

void RestoreRegulatorReference(Configuration& c) {
  c.regulators.Loops = c.reserveBlocks.RegulatorRecords[0];
  c.regulators.Programs = c.reserveBlocks.RegulatorRecords[1];
}

bool ReadRegulatorBlocks(ModbusLink& port, Configuration& c, Interaction& ui) {
  Regulators& r = c.regulators;
  const int device = c.service.CurrentDevice;
  int step = 0;
  for (int block : {Regulators::LoopBlockNumber, Regulators::ProgramBlockNumber}) {
    ui.Progress(step += 30, 120);
    std::array<uint8_t, kAnswerBufferSize> answer{};
    const uint8_t data = static_cast<uint8_t>(block);
    int result = port.Request(device, 68, std::span(&data, 1), answer);
    ClearPastData(answer);
    if (result == kResultOk && !CarriesBlockBytes(answer)) result = kResultReceiveError;
    if (result != kResultOk) {
      ui.Progress(0, 0);
      port.ShowError(device, result);
      return false;
    }
    r.LoadFromAnswer(answer.data(), answer.size());
    r.Unpack(block);
    r.SetRegBlockLen(answer[2]);
    if (c.service.FileMode == 0) c.image.Store(block, BlockPayload(std::span(answer).subspan(4), answer[2]));
  }
  c.reserveBlocks.RegulatorRecords[0] = r.Loops;
  c.reserveBlocks.RegulatorRecords[1] = r.Programs;
  ui.Progress(0, 0);
  return true;
}

bool RegulatorBlocksChanged(const Configuration& c) {
  const std::array<int, 2> blocks{Regulators::LoopBlockNumber, Regulators::ProgramBlockNumber};
  if (c.service.FileMode != 0) {
    const auto changed = ChangedBlocks(c);
    return std::find_first_of(changed.begin(), changed.end(), blocks.begin(), blocks.end()) != changed.end();
  }
  // Packed as the write packs them, whatever the composition says.
  auto r = std::make_unique<Regulators>(c.regulators);
  for (int block : blocks) {
    r->Pack(block);
    const auto bytes = BlockPayload(r->RegBuf, r->RegBlockLen);
    const auto* held = c.image.Find(block);
    if (!held || !std::equal(held->begin(), held->end(), bytes.begin(), bytes.end())) return true;
  }
  return false;
}

bool WriteRegulatorBlocks(ModbusLink& port, Configuration& c, Interaction& ui) {
  Regulators& r = c.regulators;
  if (c.discreteProcessing.AccessLevel != kFullAccess) {
    ui.Show(kCaptionWarning, kNoWriteAccessText, Icon::Warning);
    return false;
  }
  if (!RegulatorBlocksChanged(c) && ui.Ask({kLoopSendCaption, kLoopUnchangedQuestion, Icon::Question,
                                            Buttons::YesNo, Answer::No}) != Answer::Yes) {
    return false;
  }
  ui.Progress(30, 120);
  port.Pause(50);
  bool ok = true;
  int set = 0;
  for (int block : {Regulators::LoopBlockNumber, Regulators::ProgramBlockNumber}) {
    if (set == 1) port.Pause(300);
    r.Pack(block);
    if (!StoreBlock(port, c, block, BlockPayload(r.RegBuf, r.RegBlockLen))) {
      ok = false;
      char text[64];
      std::snprintf(text, sizeof text, kRegulatorBlockNotWrittenText, block);
      ui.Show(kCaptionError, text, Icon::Error);
      break;
    }
    c.reserveBlocks.RegulatorRecords[static_cast<size_t>(set)] = set == 0 ? r.Loops : r.Programs;
    ui.Progress(30 * (set + 2), 120);
    ++set;
  }
  // A failure keeps the edits, still marked changed, for the next try; the
  // reserve copy holds what the controller is known to hold.
  if (ok) r.RegModified = 0;
  ui.Progress(0, 0);
  return ok;
}

EditorClose CloseRegulatorEditor(ModbusLink& port, Configuration& c, Interaction& ui) {
  Regulators& r = c.regulators;
  if (!RegulatorBlocksChanged(c)) return EditorClose::Close;
  if (c.service.FileMode == 1) {
    c.service.FileChanged = 1;
    // The edits are what the file will hold from now on.
    c.reserveBlocks.RegulatorRecords[0] = r.Loops;
    c.reserveBlocks.RegulatorRecords[1] = r.Programs;
    return EditorClose::Close;
  }
  switch (ui.Ask({kLoopSendCaption, kLoopSendQuestion, Icon::Question, Buttons::YesNoCancel, Answer::No})) {
    case Answer::Yes:
      // A failed write keeps the window and its edits: closing would lose them at the next read.
      return WriteRegulatorBlocks(port, c, ui) ? EditorClose::Close : EditorClose::Stay;
    case Answer::No:
      r.RegModified = 0;
      RestoreRegulatorReference(c);
      return EditorClose::Close;
    default:
      return EditorClose::Stay;
  }
}

}  // namespace zul
