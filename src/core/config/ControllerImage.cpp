#include "core/config/ControllerImage.h"

#include <algorithm>
#include <memory>

#include "core/config/Configuration.h"
#include "core/config/ZulFile.h"
#include "core/config/ZulFileLayout.h"
#include "core/link/ModbusLink.h"

namespace zul {
namespace {

constexpr int kRegulatorModuleType = 14;
constexpr int kProgrammableInputModuleType = 10;
constexpr int kFirstFunctionBlockPage = 68;

bool HasModule(std::span<const int> types, int type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

// Bytes after the block number of a block kept with its number in front,
// `length` being the block's byte count (number included).
std::vector<uint8_t> AfterNumber(std::span<const uint8_t> block, int length) {
  const size_t n = static_cast<size_t>(std::clamp(length - 1, 0, static_cast<int>(block.size()) - 1));
  const auto bytes = block.subspan(1, n);
  return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> Leading(std::span<const uint8_t> bytes, int length) {
  const auto first = bytes.first(static_cast<size_t>(std::clamp(length, 0, static_cast<int>(bytes.size()))));
  return {first.begin(), first.end()};
}

bool InRange(int block, int first, int count) { return block >= first && block < first + count; }

std::string Numbered(const char* what, int index) { return what + std::to_string(index + 1); }

}  // namespace

std::vector<DeviceBlock> EncodeWriteBlocks(Configuration& c, int deviceAnalog,
                                           std::span<const int> moduleTypes) {
  std::vector<DeviceBlock> blocks;
  NetworkMaster& m = c.networkMaster;
  // Blocks 1..8: the controller's own analog modules decide which blocks
  // carry module records; the configuration's network parts follow them.
  const int configAnalog = c.service.AiModules;
  const int recordLength = c.analogModules.GetRecordLength();
  for (int k = 0; k < AnalogModules::kModules; ++k) {
    const bool sent = k >= deviceAnalog || (configAnalog > 0 && k < std::min(configAnalog, deviceAnalog));
    if (!sent) continue;
    const std::span<const uint8_t> record =
        k < deviceAnalog ? c.analogModules.GetRecord(k)
                         : std::span<const uint8_t>(m.Records[static_cast<size_t>(k - deviceAnalog)]);
    blocks.push_back({k + 1, AfterNumber(record, recordLength)});
  }
  if (c.service.DoModules != 0)
    blocks.push_back({RelayModules::kBlockNumber,
                      AfterNumber(c.relayModules.GetBlock(), c.relayModules.GetBlockLength())});
  blocks.push_back({NetworkMaster::kMasterBlockNumber, AfterNumber(m.MasterBlock, m.MasterBlockLen)});
  blocks.push_back(
      {Function15Blocks::kBlockNumber, AfterNumber(c.function15Blocks.GetBlock(), m.F15BlockLen)});

  DiscreteProcessing& z = c.discreteProcessing;
  for (int b = 0; b < DiscreteProcessing::kBlocks; ++b) {
    z.PackBlock(b);
    blocks.push_back(
        {DiscreteProcessing::kFirstBlockNumber + b, Leading(z.ExchangeBuffer(), z.GetRecordBlockLen() - 1)});
  }
  Regulators& r = c.regulators;
  if (HasModule(moduleTypes, kRegulatorModuleType)) {
    for (int block : {Regulators::LoopBlockNumber, Regulators::ProgramBlockNumber}) {
      r.Pack(block);
      blocks.push_back({block, Leading(r.RegBuf, r.RegBlockLen - 1)});
    }
  }
  blocks.push_back(
      {AnalogModules::kUnitsBlockNumber, Leading(c.analogModules.GetUnits(), c.service.UnitsBlockLen - 1)});
  ServiceBlock& s = c.service;
  for (int n = 0; n < ServiceBlock::kTextBlocks; ++n) {
    s.FillTextBlock(n);
    blocks.push_back({ServiceBlock::kFirstTextBlockNumber + n, Leading(s.TextBuf, s.TextBlockLen - 1)});
  }
  FunctionBlocks& fb = c.functionBlocks;
  for (int p = 0; p < fb.GetPageCount(); ++p) {
    fb.StorePage(p);
    blocks.push_back({kFirstFunctionBlockPage + p, Leading(fb.PageBuf(), fb.GetPageByteCount() - 1)});
  }
  if (HasModule(moduleTypes, kProgrammableInputModuleType))
    blocks.push_back(
        {DiscreteProcessing::kSensorBlockNumber, Leading(z.SensorTypes(), z.GetSensorBlockLen() - 1)});
  return blocks;
}

BlockMap EncodeBlocks(const Configuration& config) {
  // Packing goes through the blocks' buffers: a copy keeps the configuration as it is.
  auto scratch = std::make_unique<Configuration>(config);
  const auto types = scratch->service.ModuleType;
  BlockMap blocks;
  for (DeviceBlock& b : EncodeWriteBlocks(*scratch, scratch->service.AiModules, types))
    blocks[b.number] = std::move(b.bytes);
  return blocks;
}

BlockMap EncodeForImage(const Configuration& config) {
  if (config.service.FileMode == 0) return EncodeBlocks(config);
  const auto bytes = ZulFileBytes(config);
  auto split = ZulSplit(bytes.data(), bytes.size(), ZulLengthsOf(config));
  return BlockMap(split.sections.begin(), split.sections.end());
}

void TakeImage(Configuration& config) { config.image.Assign(EncodeForImage(config)); }

bool StoreBlock(ModbusLink& port, Configuration& config, int block, std::span<const uint8_t> bytes) {
  if (!port.WriteBlock(config.service.CurrentDevice, static_cast<uint8_t>(block), bytes)) return false;
  if (config.service.FileMode == 0) config.image.Store(block, bytes);
  return true;
}

std::vector<int> ChangedBlocks(const Configuration& config) {
  std::vector<int> changed;
  for (const auto& [block, bytes] : EncodeForImage(config)) {
    const auto* held = config.image.Find(block);
    if (!held || *held != bytes) changed.push_back(block);
  }
  return changed;
}

bool AnyChanged(const Configuration& config, const std::function<bool(int)>& owned) {
  const auto changed = ChangedBlocks(config);
  return std::any_of(changed.begin(), changed.end(), owned);
}

std::vector<ByteDifference> CompareBlocks(const BlockMap& memory, const BlockMap& controller) {
  std::vector<ByteDifference> differences;
  for (const auto& [block, mine] : memory) {
    const auto it = controller.find(block);
    if (it == controller.end()) {
      differences.push_back({block, -1, -1, -1});
      continue;
    }
    const auto& theirs = it->second;
    for (size_t i = 0; i < std::max(mine.size(), theirs.size()); ++i) {
      const int a = i < mine.size() ? mine[i] : -1;
      const int b = i < theirs.size() ? theirs[i] : -1;
      if (a != b) differences.push_back({block, static_cast<int>(i), a, b});
    }
  }
  for (const auto& [block, theirs] : controller)
    if (!memory.contains(block)) differences.push_back({block, -1, -1, -1});
  std::stable_sort(differences.begin(), differences.end(),
                   [](const ByteDifference& a, const ByteDifference& b) { return a.block < b.block; });
  return differences;
}

std::vector<int> BlocksOf(const std::vector<ByteDifference>& differences) {
  std::vector<int> blocks;
  for (const ByteDifference& d : differences)
    if (blocks.empty() || blocks.back() != d.block) blocks.push_back(d.block);
  return blocks;
}

std::string DescribeBlockByte(const Configuration& config, int block, int offset) {
  const int at = std::max(offset, 0);
  const int analog = std::clamp(config.service.AiModules, 0, AnalogModules::kModules);
  if (block >= 1 && block <= AnalogModules::kModules)
    return block <= analog ? Numbered("аналоговый модуль ", block - 1)
                           : Numbered("локальная сеть, запись ", block - analog - 1);
  if (InRange(block, DiscreteProcessing::kFirstBlockNumber, DiscreteProcessing::kBlocks)) {
    const int record = at / DiscreteProcessing::kRecordSize;
    if (record >= DiscreteProcessing::kBlockRecords) return "обработка, резерв";
    return Numbered(
        "вход № в базе ",
        (block - DiscreteProcessing::kFirstBlockNumber) * DiscreteProcessing::kBlockRecords + record);
  }
  if (InRange(block, ServiceBlock::kFirstTextBlockNumber, ServiceBlock::kTextBlocks))
    return Numbered("текст входа № в базе ",
                    (block - ServiceBlock::kFirstTextBlockNumber) * ServiceBlock::kTextsPerBlock +
                        at / ServiceBlock::kTextWidth);
  if (InRange(block, ServiceBlock::kFirstOutTextBlockNumber, ServiceBlock::kOutTextBlocks))
    return Numbered("текст выхода ",
                    (block - ServiceBlock::kFirstOutTextBlockNumber) * ServiceBlock::kOutTextsPerBlock +
                        at / ServiceBlock::kTextWidth);
  if (InRange(block, kFirstFunctionBlockPage, FunctionBlocks::kCapacity / FunctionBlocks::kPageRecords))
    return Numbered("ФБ ", (block - kFirstFunctionBlockPage) * FunctionBlocks::kPageRecords +
                               std::min(at / FunctionBlocks::kRecordSize, FunctionBlocks::kPageRecords - 1));
  if (InRange(block, kZulFbTextPage, FunctionBlocks::kCapacity / FunctionBlocks::kPageRecords))
    return Numbered("имя ФБ ",
                    (block - kZulFbTextPage) * FunctionBlocks::kPageRecords + at / FunctionBlocks::kNameSize);
  const int regulator = std::min(at / Regulators::RecordSize, Regulators::RecordCount - 1);
  switch (block) {
    case RelayModules::kBlockNumber:
      return "релейные выходы";
    case NetworkMaster::kMasterBlockNumber:
      return "локальная сеть";
    case Function15Blocks::kBlockNumber:
      return "блоки функции 15";
    case Regulators::LoopBlockNumber:
      return Numbered("регулятор ", regulator);
    case Regulators::ProgramBlockNumber:
      return Numbered("программа регулятора ", regulator);
    case AnalogModules::kUnitsBlockNumber:
      return "единицы измерения";
    case DiscreteProcessing::kSensorBlockNumber:
      return "типы датчиков";
    case kZulDeviceIndex:
      return "номер прибора";
    case kZulIdentity:
      return "состав прибора";
    case kZulAlgStart:
    case kZulAlgMembers:
    case kZulAlgCount:
      return "алгоритмы";
    default:
      return "блок " + std::to_string(block);
  }
}

std::string RawBlockByte(int block, int offset) {
  if (offset < 0) return "блок " + std::to_string(block);
  return "блок " + std::to_string(block) + ", байт " + std::to_string(offset + 1);
}

}  // namespace zul
