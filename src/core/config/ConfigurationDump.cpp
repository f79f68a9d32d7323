#include "core/config/ConfigurationDump.h"

#include <algorithm>
#include <map>
#include <memory>

#include "core/config/Configuration.h"
#include "core/config/NewComposition.h"

namespace zul {

// --- DumpNode ----------------------------------------------------------------------------------

DumpNode DumpNode::Number(long long value) {
  DumpNode n;
  n.kind_ = Kind::Number;
  n.number_ = value;
  return n;
}

DumpNode DumpNode::Text(std::string value) {
  DumpNode n;
  n.kind_ = Kind::Text;
  n.text_ = std::move(value);
  return n;
}

DumpNode DumpNode::Object() { return DumpNode(); }

DumpNode DumpNode::Array() {
  DumpNode n;
  n.kind_ = Kind::Array;
  return n;
}

DumpNode& DumpNode::Add(std::string key, DumpNode value) {
  keys_.push_back(std::move(key));
  items_.push_back(std::move(value));
  return *this;
}

DumpNode& DumpNode::Push(DumpNode value) {
  items_.push_back(std::move(value));
  return *this;
}

const DumpNode* DumpNode::Find(std::string_view key) const {
  if (kind_ != Kind::Object) return nullptr;
  for (size_t i = 0; i < keys_.size(); ++i)
    if (keys_[i] == key) return &items_[i];
  return nullptr;
}

namespace {

using N = DumpNode;

N Num(long long v) { return N::Number(v); }
N Txt(std::string v) { return N::Text(std::move(v)); }
// Identifiers are kept in blank-padded cells; scripts get them as the texts, without the padding.
N Identifier(const std::string& v) {
  const size_t first = v.find_first_not_of(' ');
  if (first == std::string::npos) return Txt({});
  return Txt(v.substr(first, v.find_last_not_of(' ') - first + 1));
}

template <typename Bytes>
std::string Hex(const Bytes& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (auto b : bytes) {
    const auto v = static_cast<unsigned>(b) & 0xFF;
    out += digits[v >> 4];
    out += digits[v & 0x0F];
  }
  return out;
}

// Slot of the m-th module of a group, -1 when there is none.
int SlotOfModule(const ServiceBlock& serv, ServiceBlock::ModuleGroup group, int m) {
  int seen = 0;
  for (int s = 0; s < ServiceBlock::kSlots; ++s) {
    if (ServiceBlock::GroupOf(serv.ModuleType[static_cast<size_t>(s)]) != group) continue;
    if (seen++ == m) return s;
  }
  return -1;
}

N Counts(const ServiceBlock& serv) {
  N o = N::Object();
  o.Add("DiModules", Num(serv.DiModules))
      .Add("AiModules", Num(serv.AiModules))
      .Add("DoModules", Num(serv.DoModules))
      .Add("KeyModules", Num(serv.KeyModules))
      .Add("DiCount", Num(serv.DiCount))
      .Add("AiCount", Num(serv.AiCount))
      .Add("DoCount", Num(serv.DoCount))
      .Add("SignalCount", Num(serv.SignalCount))
      .Add("AnalogSignalCount", Num(serv.AnalogSignalCount))
      .Add("IndicationType", Num(serv.IndicationType))
      .Add("NetDiscreteTotal", Num(serv.NetDiscreteTotal))
      .Add("NetAnalogTotal", Num(serv.NetAnalogTotal));
  return o;
}

N Signals(const Configuration& c) {
  N list = N::Array();
  const DiscreteProcessing& z = c.discreteProcessing;
  for (int i = 0; i < std::clamp(c.service.SignalCount, 0, ServiceBlock::kSignals); ++i) {
    N masks = N::Array();
    for (int m = 1; m <= 8; ++m) masks.Push(Num(z.GetByte(i, m)));
    N s = N::Object();
    s.Add("index", Num(i))
        .Add("identifier", Identifier(c.service.GetIdentifier(i)))
        .Add("text", Txt(c.service.GetText(i)))
        .Add("alarmType", Num(z.GetAlarmType(i) >> 6))
        .Add("lightCell", Num(z.GetCell(i)))
        .Add("contactType", Num(z.GetContact(i) >> 5))
        .Add("relayMasks", std::move(masks))
        .Add("delayTime", Num(z.GetDelayTime(i)))
        .Add("delayUnit", Num(z.GetDelayUnit(i) >> 6))
        .Add("archive", Num(z.GetArchive(i) >> 7));
    list.Push(std::move(s));
  }
  return list;
}

N Outputs(const Configuration& c) {
  N list = N::Array();
  const RelayModules& r = c.relayModules;
  for (int i = 0; i < std::clamp(c.service.DoCount, 0, ServiceBlock::kOutputs); ++i) {
    const int o = i % RelayModules::kOutputs;
    const int m = i / RelayModules::kOutputs;
    N out = N::Object();
    out.Add("index", Num(i))
        .Add("identifier", Identifier(c.service.GetOutputIdentifier(i)))
        .Add("text", Txt(c.service.GetOutputText(i)))
        .Add("outputType", Num(r.GetOutputType(o, m)))
        .Add("mode", Num(r.GetMode(o, m)))
        .Add("ackPanel", Num(r.GetAckPanel(o, m)))
        .Add("ackTop", Num(r.GetAckTop(o, m)))
        .Add("resetPanel", Num(r.GetResetPanel(o, m)))
        .Add("resetTop", Num(r.GetResetTop(o, m)))
        .Add("ackInput", Num(r.GetAckInput(o, m)))
        .Add("resetInput", Num(r.GetResetInput(o, m)));
    list.Push(std::move(out));
  }
  return list;
}

N Units(const Configuration& c) {
  N list = N::Array();
  for (int k = 0; k < AnalogModules::kUnits; ++k) list.Push(Txt(c.analogModules.GetUnitName(k)));
  return list;
}

N AnalogModulesNode(const Configuration& c) {
  N list = N::Array();
  const AnalogModules& a = c.analogModules;
  for (int m = 0; m < std::clamp(c.service.AiModules, 0, AnalogModules::kModules); ++m) {
    const int slot = SlotOfModule(c.service, ServiceBlock::ModuleGroup::Analog, m);
    const int type = slot >= 0 ? c.service.ModuleType[static_cast<size_t>(slot)] : 0;
    N channels = N::Array();
    for (int ch = 0; ch < AnalogModules::kChannels; ++ch) {
      N o = N::Object();
      o.Add("position", Txt(a.GetPosition(m, ch)))
          .Add("unit", Txt(a.GetUnitName(a.GetUnitIndex(m, ch))))
          .Add("unitIndex", Num(a.GetUnitIndex(m, ch)));
      if (type == AnalogModules::kTypeLK9) {
        o.Add("sensorType", Num(a.GetScaleKind(m, ch))).Add("rangeIndex", Num(a.GetRangeIndex(m, ch)));
      } else {
        o.Add("scaleKind", Num(a.GetScaleKind(m, ch)))
            .Add("deadZone", Num(a.GetDeadZone(m, ch)))
            .Add("inputSignal", Num(a.GetInputSignal(m, ch)));
      }
      o.Add("scaleMin", Txt(a.GetScaleMin(m, ch)))
          .Add("scaleMax", Txt(a.GetScaleMax(m, ch)))
          .Add("LL", Txt(a.GetSetpointLL(m, ch)))
          .Add("L", Txt(a.GetSetpointL(m, ch)))
          .Add("H", Txt(a.GetSetpointH(m, ch)))
          .Add("HH", Txt(a.GetSetpointHH(m, ch)));
      channels.Push(std::move(o));
    }
    N module = N::Object();
    module.Add("module", Num(m))
        .Add("slot", Num(slot + 1))
        .Add("type", Num(type))
        .Add("channels", std::move(channels));
    list.Push(std::move(module));
  }
  return list;
}

N Network(const NetworkMaster& net) {
  N list = N::Array();
  for (int k = 0; k < NetworkMaster::kEntries; ++k) {
    if (!net.EntryInUse(k)) continue;
    N e = N::Object();
    e.Add("entry", Num(k))
        .Add("function", Num(net.GetFunction(k)))
        .Add("outputs", Num(net.GetOutputs(k)))
        .Add("slave", Num(net.GetSlave(k)))
        .Add("startAddress", Num(net.GetStartAddress(k)))
        .Add("dataCount", Num(net.GetDataCount(k)))
        .Add("slaveType", Num(net.GetSlaveType(k)))
        .Add("dataType", Num(net.GetDataType(k)))
        .Add("byteOrder", Num(net.GetByteOrder(k)))
        .Add("firstDiscrete", Num(net.GetFirstDiscrete(k)))
        .Add("firstAnalog", Num(net.GetFirstAnalog(k)))
        .Add("maxCode", Num(net.GetMaxCode(k)));
    list.Push(std::move(e));
  }
  return list;
}

N NetworkAnalog(const Configuration& c) {
  N list = N::Array();
  const NetworkMaster& net = c.networkMaster;
  for (int a = 0; a < std::clamp(c.service.NetAnalogTotal, 0, NetworkMaster::kAnalogSignals); ++a) {
    N o = N::Object();
    o.Add("signal", Num(a))
        .Add("position", Txt(net.GetPosition(a)))
        .Add("unit", Txt(c.analogModules.GetUnitName(net.GetUnitIndex(a))))
        .Add("scaleMin", Txt(net.GetScaleMin(a)))
        .Add("scaleMax", Txt(net.GetScaleMax(a)))
        .Add("LL", Txt(net.GetSetpointLL(a)))
        .Add("L", Txt(net.GetSetpointL(a)))
        .Add("H", Txt(net.GetSetpointH(a)))
        .Add("HH", Txt(net.GetSetpointHH(a)));
    list.Push(std::move(o));
  }
  return list;
}

N Function15(const Function15Blocks& f) {
  N list = N::Array();
  for (int b = 0; b < Function15Blocks::kEntries; ++b) {
    if (f.IsEntryFree(b)) continue;
    N signals = N::Array();
    for (int i = 0; i < std::clamp(f.GetInputs(b), 0, Function15Blocks::kInputs); ++i)
      signals.Push(Num(f.GetInputSignal(b, i)));
    N e = N::Object();
    e.Add("entry", Num(b))
        .Add("function", Num(f.GetFunction(b)))
        .Add("inputs", Num(f.GetInputs(b)))
        .Add("slave", Num(f.GetSlave(b)))
        .Add("startAddress", Num(f.GetStartAddress(b)))
        .Add("dataCount", Num(f.GetDataCount(b)))
        .Add("acknowledge", Num(f.GetAcknowledge(b)))
        .Add("reset", Num(f.GetReset(b)))
        .Add("signals", std::move(signals));
    list.Push(std::move(e));
  }
  return list;
}

N FunctionBlocksNode(const FunctionBlocks& fb) {
  N list = N::Array();
  for (int i = 0; i < fb.GetTableSize(); ++i) {
    const auto record = fb.Record(i);
    if (std::all_of(record.begin(), record.end(), [](uint8_t b) { return b == 0; })) continue;
    const int type = fb.GetTypeCode(i);
    N inputs = N::Array();
    for (int k = 0; k < FunctionBlocks::CountInputs(type, fb.GetSubtype(i)); ++k) {
      N in = N::Object();
      in.Add("source", Num(fb.GetInputSource(i, k)))
          .Add("polarity", Num(fb.GetInputPolarity(i, k)))
          .Add("number", Num(fb.GetInputNumber(i, k)));
      inputs.Push(std::move(in));
    }
    N b = N::Object();
    b.Add("number", Num(i + 1))
        .Add("typeCode", Num(type))
        .Add("subtype", Num(fb.GetSubtype(i)))
        .Add("inputs", std::move(inputs));
    if (type >= 1 && type <= 9) {
      N relays = N::Array();
      for (int m = 1; m <= 5; ++m) relays.Push(Num(fb.GetRelayByte(i, m)));
      b.Add("alarmType", Num(fb.GetAlarmType(i)))
          .Add("cell", Num(fb.GetCell(i)))
          .Add("archive", Num(fb.GetArchive(i)))
          .Add("relays", std::move(relays));
    }
    b.Add("record", Txt(Hex(record)));
    list.Push(std::move(b));
  }
  return list;
}

N Loops(const Regulators& reg) {
  N list = N::Array();
  for (int i = 0; i < Regulators::RecordCount; ++i) {
    N l = N::Object();
    l.Add("number", Num(i + 1))
        .Add("kind", Num(reg.GetKind(i)))
        .Add("pv", Num(reg.GetPV(i)))
        .Add("spSource", Num(reg.GetSPSource(i)))
        .Add("output", Num(reg.GetOutput(i)))
        .Add("KP", Txt(reg.GetKP(i)))
        .Add("Ti", Txt(reg.GetTi(i)))
        .Add("Td", Txt(reg.GetTd(i)))
        .Add("OL", Txt(reg.GetOL(i)))
        .Add("OH", Txt(reg.GetOH(i)))
        .Add("dSP", Txt(reg.GetdSP(i)))
        .Add("record", Txt(Hex(reg.Loops[static_cast<size_t>(i)])));
    list.Push(std::move(l));
  }
  return list;
}

N Programs(const Regulators& reg) {
  N list = N::Array();
  for (int p = 0; p < Regulators::RecordCount; ++p) {
    N points = N::Array();
    for (int t = 0; t < Regulators::ProgramPoints; ++t) {
      N point = N::Object();
      point.Add("time", Num(reg.GetTime(p, t))).Add("value", Num(reg.GetValue(p, t)));
      points.Push(std::move(point));
    }
    N o = N::Object();
    o.Add("number", Num(p + 1))
        .Add("regulator", Num(reg.GetProgReg(p)))
        .Add("points", std::move(points))
        .Add("record", Txt(Hex(reg.Programs[static_cast<size_t>(p)])));
    list.Push(std::move(o));
  }
  return list;
}

N SensorTypes(const DiscreteProcessing& z) {
  N list = N::Array();
  for (int s = 0; s < DiscreteProcessing::kSlots; ++s)
    list.Push(Num(z.GetSensorTypeByte(2 * s) | (z.GetSensorTypeByte(2 * s + 1) << 8)));
  return list;
}

N Algorithms(const FunctionBlocks& fb) {
  N list = N::Array();
  for (int a = 0; a < fb.GetAlgCount(); ++a) {
    N members = N::Array();
    for (int k = 0; k < fb.GetTableSize(); ++k) {
      const int member = fb.GetAlgMember(a, k);
      if (member == FunctionBlocks::kEmptyEntry) break;
      members.Push(Num(member));
    }
    N o = N::Object();
    o.Add("number", Num(a + 1)).Add("name", Txt(fb.GetAlgName(a))).Add("members", std::move(members));
    list.Push(std::move(o));
  }
  return list;
}

void Flatten(const DumpNode& node, const std::string& path, std::vector<DumpField>& out) {
  switch (node.GetKind()) {
    case DumpNode::Kind::Number:
      out.push_back({path, std::to_string(node.GetNumber())});
      return;
    case DumpNode::Kind::Text:
      out.push_back({path, "\"" + node.GetText() + "\""});
      return;
    case DumpNode::Kind::Object:
      for (size_t i = 0; i < node.Keys().size(); ++i)
        Flatten(node.Items()[i], path.empty() ? node.Keys()[i] : path + "." + node.Keys()[i], out);
      return;
    case DumpNode::Kind::Array:
      for (size_t i = 0; i < node.Items().size(); ++i)
        Flatten(node.Items()[i], path + "[" + std::to_string(i) + "]", out);
      return;
  }
}

}  // namespace

DumpNode DumpConfiguration(const Configuration& c) {
  N modules = N::Array();
  for (int t : c.service.ModuleType) modules.Push(Num(t));
  N lineSettings = N::Object();
  lineSettings.Add("baudIndex", Num(c.networkMaster.GetBaudIndex()))
      .Add("frameIndex", Num(c.networkMaster.GetFrameIndex()));
  N root = N::Object();
  root.Add("device", Num(c.service.ConfiguredDevice))
      .Add("modules", std::move(modules))
      .Add("counts", Counts(c.service))
      .Add("signals", Signals(c))
      .Add("outputs", Outputs(c))
      .Add("units", Units(c))
      .Add("analogModules", AnalogModulesNode(c))
      .Add("network", Network(c.networkMaster))
      .Add("networkLine", std::move(lineSettings))
      .Add("networkAnalog", NetworkAnalog(c))
      .Add("function15", Function15(c.function15Blocks))
      .Add("functionBlocks", FunctionBlocksNode(c.functionBlocks))
      .Add("loops", Loops(c.regulators))
      .Add("programs", Programs(c.regulators))
      .Add("sensorTypes", SensorTypes(c.discreteProcessing))
      .Add("algorithms", Algorithms(c.functionBlocks));
  return root;
}

std::vector<DumpField> FlattenDump(const DumpNode& node) {
  std::vector<DumpField> out;
  Flatten(node, "", out);
  return out;
}

std::string DumpText(const Configuration& config) {
  std::string text;
  for (const auto& f : FlattenDump(DumpConfiguration(config))) text += f.field + " = " + f.value + "\n";
  return text;
}

bool IsFileOnlyField(std::string_view field) {
  if (field == "device" || field.starts_with("algorithms[")) return true;
  return field.starts_with("outputs[") && field.ends_with("].text");
}

std::vector<FieldDifference> DiffConfigurations(const Configuration& first, const Configuration& second,
                                                const DiffOptions& options) {
  auto fields = [&](const Configuration& c) {
    auto all = FlattenDump(DumpConfiguration(c));
    if (options.deviceBlocksOnly)
      std::erase_if(all, [](const DumpField& f) { return IsFileOnlyField(f.field); });
    return all;
  };
  const auto a = fields(first);
  const auto b = fields(second);
  std::map<std::string, const std::string*> inB;
  for (const auto& f : b) inB[f.field] = &f.value;
  std::map<std::string, bool> inA;
  std::vector<FieldDifference> out;
  for (const auto& f : a) {
    inA[f.field] = true;
    const auto it = inB.find(f.field);
    if (it == inB.end()) {
      out.push_back({f.field, f.value, "-"});
    } else if (*it->second != f.value) {
      out.push_back({f.field, f.value, *it->second});
    }
  }
  for (const auto& f : b)
    if (!inA.count(f.field)) out.push_back({f.field, "-", f.value});
  return out;
}

std::vector<DumpField> ConfigurationSummary(const Configuration& c) {
  const ServiceBlock& s = c.service;
  SlotTypes types{};
  std::copy(s.ModuleType.begin(), s.ModuleType.end(), types.begin());
  int netBlocks = 0;
  for (int k = 0; k < NetworkMaster::kEntries; ++k) netBlocks += c.networkMaster.EntryInUse(k);
  int f15 = 0;
  for (int b = 0; b < Function15Blocks::kEntries; ++b) f15 += !c.function15Blocks.IsEntryFree(b);
  int loops = 0;
  for (int i = 0; i < Regulators::RecordCount; ++i) loops += c.regulators.GetPV(i) != 0;
  auto fb = std::make_unique<FunctionBlocks>(c.functionBlocks);
  fb->RecountBlocks();
  auto n = [](long long v) { return std::to_string(v); };
  return {
      {"modules", CodeLineOf(types)},
      {"device", n(s.ConfiguredDevice + 1)},
      {"discreteModules", n(s.DiModules)},
      {"analogModules", n(s.AiModules)},
      {"relayModules", n(s.DoModules)},
      {"discreteInputs", n(s.DiCount)},
      {"analogInputs", n(s.AiCount)},
      {"discreteOutputs", n(s.DoCount)},
      {"signals", n(s.SignalCount)},
      {"analogSignals", n(s.AnalogSignalCount)},
      {"indication", n(s.IndicationType) + " " + ServiceBlock::IndicationName(s.IndicationType)},
      {"functionBlocks", n(fb->FBCount)},
      {"integratorRecords", n(fb->GetIntegratorRecords())},
      {"arithmeticBlocks", n(fb->GetArithCount())},
      {"algorithms", n(c.functionBlocks.GetAlgCount())},
      {"networkBlocks", n(netBlocks)},
      {"function15Blocks", n(f15)},
      {"loops", n(loops)},
  };
}

}  // namespace zul
