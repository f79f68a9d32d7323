#include "core/config/InputInfo.h"

#include <array>
#include <cstdio>

#include "core/config/Configuration.h"
#include "core/config/ModuleTable.h"

namespace zul {
namespace {

constexpr std::array<const char*, 4> kSetpointNames = {"LL", "L", "H", "HH"};

std::string Header(const ServiceBlock& s, int signal) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d (адрес 0x%02X)", signal + 1, static_cast<unsigned>(signal & 0xFF));
  return std::string(buf) + std::string(6, ' ') + s.GetIdentifier(signal);
}

std::string SlaveTypeName(int type) {
  static constexpr std::array<const char*, 6> kNames = {"ЗУЛ-01", "ЛК-12", "ЛК-40",
                                                        "ЛК-41",  "ЛК-13", "ЗУЛ-05-"};
  if (type >= 0 && type < static_cast<int>(kNames.size())) return kNames[static_cast<size_t>(type)];
  if (type == 15) return "не определен";
  return {};
}

std::string UnitName(const AnalogModules& mba, int index) {
  const std::vector<std::string> names = mba.FillUnitsList();
  if (index >= 0 && index < static_cast<int>(names.size())) return names[static_cast<size_t>(index)];
  return {};
}

std::string AnalogSetpoint(const AnalogModules& mba, int m, int ch, int k) {
  switch (k) {
    case 0:
      return mba.GetSetpointLL(m, ch);
    case 1:
      return mba.GetSetpointL(m, ch);
    case 2:
      return mba.GetSetpointH(m, ch);
    default:
      return mba.GetSetpointHH(m, ch);
  }
}

std::string NetSetpoint(const NetworkMaster& mbm, int a, int k) {
  switch (k) {
    case 0:
      return mbm.GetSetpointLL(a);
    case 1:
      return mbm.GetSetpointL(a);
    case 2:
      return mbm.GetSetpointH(a);
    default:
      return mbm.GetSetpointHH(a);
  }
}

}  // namespace

InputInfo DescribeInput(const Configuration& c, int signal) {
  const ServiceBlock& s = c.service;
  InputInfo info;
  const int firstAnalog = ServiceBlock::kInputsPerDiModule * s.DiModules;
  const int firstNet = firstAnalog + 24 * s.AiModules;
  if (signal < firstAnalog || signal < 0 || signal >= ServiceBlock::kSignals) return info;
  info.header = Header(s, signal);
  info.text = s.GetText(signal);

  if (signal < firstNet) {
    const int f = (signal - firstAnalog) / 24;
    const int rest = signal - firstAnalog - 24 * f;
    const int ch = rest / 4;
    const int k = rest % 4;
    const int slot = s.DiModules + f;
    info.kind = InputInfo::Kind::Analog;
    info.module = f + 1;
    if (slot >= 0 && slot < ServiceBlock::kSlots)
      info.moduleType = AnalogTypeText(s.ModuleType[static_cast<size_t>(slot)]);
    info.input = ch + 1;
    info.unitIndex = c.analogModules.GetUnitIndex(f, ch);
    info.unit = UnitName(c.analogModules, info.unitIndex);
    info.position = c.analogModules.GetPosition(f, ch);
    info.scaleMin = c.analogModules.GetScaleMin(f, ch);
    info.scaleMax = c.analogModules.GetScaleMax(f, ch);
    info.setpointName = std::string("уставка ") + kSetpointNames[static_cast<size_t>(k)];
    info.setpointValue = AnalogSetpoint(c.analogModules, f, ch, k);
    return info;
  }

  // Network blocks follow one another from the first network signal.
  int first = firstNet;
  int analogBefore = 0;
  for (int j = 0; j < NetworkMaster::kEntries; ++j) {
    const auto sizes = c.networkMaster.GetBlockSizes(j);
    if (signal >= first + sizes.discrete) {
      first += sizes.discrete;
      analogBefore += sizes.analog;
      continue;
    }
    const int p = signal - first;
    info.kind = InputInfo::Kind::Network;
    info.module = j + 1;
    info.slave = c.networkMaster.GetSlave(j);
    info.slaveType = SlaveTypeName(c.networkMaster.GetSlaveType(j));
    if (sizes.analog == 0) {
      info.input = p + 1;
      info.scaling = false;
      return info;
    }
    const int a = analogBefore + p / 4;
    const int k = p % 4;
    info.input = p / 4 + 1;
    info.unitIndex = c.networkMaster.GetUnitIndex(a);
    info.unit = UnitName(c.analogModules, info.unitIndex);
    info.position = c.networkMaster.GetPosition(a);
    info.scaleMin = c.networkMaster.GetScaleMin(a);
    info.scaleMax = c.networkMaster.GetScaleMax(a);
    info.setpointName = std::string("уставка ") + kSetpointNames[static_cast<size_t>(k)];
    info.setpointValue = NetSetpoint(c.networkMaster, a, k);
    return info;
  }
  return InputInfo{};
}

}  // namespace zul
