#include "core/editing/FunctionBlockScheme.h"

#include <algorithm>

#include "core/config/Configuration.h"
#include "core/config/InformTables.h"
#include "core/editing/FunctionBlockEditing.h"
#include "core/editing/FunctionBlockForm.h"

namespace zul {
namespace {

constexpr int kShownDiscrete = 252;
constexpr int kShownAnalog = 48;
constexpr int kShownCodesys = 112;
constexpr int kAlarmClock = 5;

std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

SchemeLayout LayOutScheme(const FunctionBlocks& fb) {
  SchemeLayout layout;
  int row = 0, column = 0;
  const int count = std::min(fb.FBCount, fb.GetTableSize());
  for (int i = 0; i < count; ++i) {
    if (fb.GetAlgStart(i) != FunctionBlocks::kEmptyEntry && column != 0) {
      ++row;
      column = 0;
    }
    layout.blocks.push_back(
        {i, row, column, column * kSchemeColumnWidth, row * kSchemeRowHeight + kSchemeTopMargin});
    if (++column == kSchemeColumns) {
      column = 0;
      ++row;
    }
  }
  layout.rows = column == 0 ? row : row + 1;
  const int bottom = layout.rows * kSchemeRowHeight + kSchemeTopMargin;
  layout.height =
      layout.rows == 0 ? 0 : (layout.rows - 1) * kSchemeRowHeight + kSchemeTopMargin + kPanelHeight + 20;
  // Algorithms without members have no block to stand over: their names
  // go one under another below the last row.
  int unplaced = 0;
  for (int alg = 0; alg < fb.GetAlgCount(); ++alg) {
    const int first = fb.GetAlgMember(alg, 0);
    int y = 0;
    if (first >= 1 && first <= count) {
      y = layout.blocks[static_cast<size_t>(first - 1)].y - 12;
    } else {
      y = bottom + kSchemeLabelLine * unplaced++;
      layout.height = std::max(layout.height, y + kSchemeLabelLine);
    }
    layout.labels.push_back({alg, fb.GetAlgName(alg), 8, y});
  }
  return layout;
}

std::string TimeText(int discreteness, int time) {
  switch (discreteness) {
    case 0:
      return std::to_string(time * 100) + " мс";
    case 1:
      return std::to_string(time) + " с";
    default:
      return std::to_string(time * 10) + " с";
  }
}

BlockCaptions::BlockCaptions(const Configuration& c) : c_(c) {
  for (const AnalogRow& row : AnalogRows(c)) analog_.push_back(TrimRight(row[1]));
}

std::string BlockCaptions::KindName(int kind) {
  static const char* const kNames[] = {
      "\"И\" (4 входа)",           "\"И-НЕ\" (4 входа)",        "\"ИЛИ\" (4 входа)",
      "\"ИЛИ-НЕ\" (4 входа)",      "\"ГСТ\"гистерезис (2 вх.)", "\"Т\" таймер  (2 входа)",
      "\"Тр\"  триггер (4 входа)", "\"СМР\" компаратор (4 вх)", "\"СЧ\" счетчик (4вх)"};
  return kind >= 0 && kind <= ftCounter ? kNames[kind] : std::string();
}

std::string BlockCaptions::InputCaption(int source, int number) const {
  const ServiceBlock& s = c_.service;
  if (number <= 0) return {};
  switch (source) {
    case srcDiscrete:
      return number <= kShownDiscrete ? s.GetIdentifier(number - 1) : std::string();
    case srcDiscreteInvalid:
      return number <= kShownDiscrete ? s.GetIdentifier(number - 1) + "  b" : std::string();
    case srcAnalogInvalid:
      return number <= kShownAnalog && number <= static_cast<int>(analog_.size())
                 ? analog_[static_cast<size_t>(number - 1)] + "  b"
                 : std::string();
    case srcCoDeSys:
      return number <= kShownCodesys ? "вых. CoDeSys " + std::to_string(number) : std::string();
    case srcFBOutput:
      if (number <= FunctionBlocks::kCapacity) return "ФБ" + std::to_string(number);
      return number <= FunctionBlocks::kMaxSourceNumber ? "КВУ" + std::to_string(number) : std::string();
    default:
      return {};
  }
}

std::string BlockCaptions::AnalogCaption(int source, int number) const {
  if (number <= 0) return {};
  if (source == 1)
    return number <= c_.functionBlocks.GetArithCount() ? "МБ" + std::to_string(number) : std::string();
  return number <= static_cast<int>(analog_.size()) ? analog_[static_cast<size_t>(number - 1)]
                                                    : std::string();
}

BlockPanelTexts BlockCaptions::Panel(int index) const {
  const FunctionBlocks& fb = c_.functionBlocks;
  BlockPanelTexts t;
  t.number = index + 1;
  const int type = fb.GetTypeCode(index);
  t.kind = type >= 1 && type <= 9 ? type - 1 : 0;
  const int subtype = fb.GetSubtype(index);
  const int inputs = FunctionBlocks::CountInputs(type, subtype);
  const bool timer = t.kind == ftTimer, comparator = t.kind == ftComparator;
  const bool alarmClock = timer && subtype == kAlarmClock;
  t.inputsDrawn = (t.kind == ftGisterezis || (timer && !alarmClock)) ? 2 : 4;
  t.outputInverse = t.kind == ftANDInv || t.kind == ftORInv;
  for (int k = 0; k < inputs; ++k) {
    const int source = fb.GetInputSource(index, k);
    const int number = fb.GetInputNumber(index, k);
    t.inverse[static_cast<size_t>(k)] = fb.GetInputPolarity(index, k) == 0;
    t.captions[static_cast<size_t>(k)] = InputCaption(source, number);
    t.linked[static_cast<size_t>(k)] = source == srcFBOutput && number == index && number > 0;
  }
  if (timer) {
    t.innerCaption = "T" + std::to_string(std::min(subtype, kAlarmClock));
    const int time = fb.GetTime(index);
    if (fb.GetTimerSetpointKind(index) == 1)
      t.panelCaption = "Адр " + std::to_string(std::clamp(fb.GetTimerSetpointAddress(index), 1, 10));
    else
      t.panelCaption = "Т=" + TimeText(fb.GetTimerDiskr(index), std::min(time, 120));
    if (alarmClock) {
      t.captions[1] = std::to_string(fb.GetClockSecond(index)) + " сек";
      t.captions[2] = std::to_string(fb.GetClockMinute(index)) + " мин";
      t.captions[3] = std::to_string(fb.GetClockHour(index)) + " час";
    } else {
      t.setReset = {"S", "R", "", ""};
    }
  }
  static const char* const kSymbols[] = {"&", "&", "1", "1", "Г", "Т", "RS", ">", "+1"};
  t.symbol = kSymbols[t.kind];
  if (t.kind == ftTrigger) {
    // Reset priority (R-S) and set priority (S-R) have symbols of their own.
    const int trigger = std::min(subtype, 1);
    t.symbol = trigger == 0 ? "RS" : "SR";
    t.triggerCaption = kTriggerKindNames[trigger];
    t.setReset = {"S", "S", "R", "R"};
  }
  if (t.kind == ftCounter) {
    t.setReset = {"ZV", "ZR", "S", "R"};
    t.innerCaption = std::to_string(fb.GetCounterSetpoint(index));
  }
  if (comparator) {
    t.innerCaption = fb.GetCondition(index) ? "H" : "L";
    t.captions[1] = AnalogCaption(fb.GetComparatorAnalogSource(index), fb.GetComparatorAnalogNumber(index));
    const int address = fb.GetSetpointAddress(index);
    t.captions[2] = address == 0 ? "уставка=" + fb.GetFloatText(index, 1)
                                 : "адр. " + std::to_string(std::clamp(address, 1, 10));
    t.captions[3] = "Тзад.=" + TimeText(fb.GetTimerDiskr(index), std::min(fb.GetTime(index), 120));
    t.hysteresisCaption = "гистерезис=" + std::to_string(fb.GetHysteresis(index)) + "%";
  }
  t.hasAlarm = HasAlarm(fb, index);
  t.alarmType = fb.GetAlarmType(index);
  t.cell = fb.GetCell(index);
  t.hasRelays = HasRelays(fb, index);
  t.relayMasks = BlockRelayMasks(fb, index);
  return t;
}

}  // namespace zul
