#include "core/config/ReadConfiguration.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <span>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "core/config/ZulFileLayout.h"
#include "core/link/AnswerData.h"
#include "core/link/ModbusLink.h"

namespace zul {
namespace {

constexpr uint8_t kReadFunction = 68;
// What Request returns when the user stopped the read; no link code is negative this far.
constexpr int kStoppedCode = -1000;
constexpr int kExceptionRefused = 5;
constexpr int kExceptionNoSuchBlock = 3;
constexpr int kRegulatorModuleType = 14;
constexpr int kProgrammableInputModuleType = 10;
// A controller with 60 function blocks refuses the first page beyond them.
constexpr int kSixtyBlocksFirstMissingPage = 6;
constexpr int kSixtyBlocks = 60;
constexpr int kFirstFunctionBlockPage = 68;
// A block answer: device, function, byte count, block number, then the block's bytes.
constexpr size_t kBlockDataOffset = 4;

bool HasModule(const ServiceBlock& serv, int type) {
  return std::find(serv.ModuleType.begin(), serv.ModuleType.end(), type) != serv.ModuleType.end();
}

// The byte count of a whole block (block number included): the most a block
// answer may carry.
int LargestByteCount(int block) {
  const ZulBlockLengths whole;
  if (block >= 1 && block <= 8) return whole.analogRecord;
  if (block >= DiscreteProcessing::kFirstBlockNumber &&
      block < DiscreteProcessing::kFirstBlockNumber + DiscreteProcessing::kBlocks)
    return whole.recordBlock;
  if (block >= ServiceBlock::kFirstTextBlockNumber &&
      block < ServiceBlock::kFirstTextBlockNumber + ServiceBlock::kTextBlocks)
    return whole.textBlock;
  if (block >= kFirstFunctionBlockPage && block < kFirstFunctionBlockPage + FunctionBlocks::kCapacity / 10)
    return whole.fbPage;
  switch (block) {
    case RelayModules::kBlockNumber:
      return whole.relayBlock;
    case NetworkMaster::kMasterBlockNumber:
      return whole.masterBlock;
    case Function15Blocks::kBlockNumber:
      return whole.f15Block;
    case Regulators::LoopBlockNumber:
    case Regulators::ProgramBlockNumber:
      return whole.regulatorBlock;
    case AnalogModules::kUnitsBlockNumber:
      return whole.unitsBlock;
    case DiscreteProcessing::kSensorBlockNumber:
      return whole.sensorBlock;
    default:
      return 0;
  }
}

const char* BlockKind(int block) {
  if (block >= DiscreteProcessing::kFirstBlockNumber &&
      block < DiscreteProcessing::kFirstBlockNumber + DiscreteProcessing::kBlocks)
    return " дискр блок № ";
  if (block == Regulators::LoopBlockNumber || block == Regulators::ProgramBlockNumber) return " рег блок № ";
  return " текст блок № ";
}

// One read, step by step; every Read* returns false when the read must end.
class ConfigurationReader {
 public:
  ConfigurationReader(ModbusLink& port, Configuration& config, Interaction& ui)
      : port_(port), c_(config), ui_(ui) {}

  ReadResult Run() {
    c_.image.Clear();
    c_.functionBlocks.SetTableSize(c_.functionBlocks.GetCapacity());
    ui_.Progress(0, PlannedRequests());
    const bool ok = ReadIdentity() && ReadMasterBlock() && ReadModuleBlocks() && ReadRelayBlock() &&
                    ReadF15Block() && ReadRecordBlocks() && ReadRegulatorBlocks() && ReadUnitsBlock() &&
                    ReadTextBlocks() && ReadFunctionBlockPages() && ReadSensorTypes();
    ui_.Progress(0, 0);
    c_.service.FileMode = 0;
    if (ok) c_.blocksMissingFromFile.clear();
    result_.ok = ok;
    return result_;
  }

 private:
  // Every request the read sends; the identity adds the regulator and sensor blocks.
  int PlannedRequests() const {
    int n = 1 + 1 + AnalogModules::kModules + 1 + 1 + DiscreteProcessing::kBlocks + 1 +
            ServiceBlock::kTextBlocks + c_.functionBlocks.GetPageCount();
    if (HasModule(c_.service, kRegulatorModuleType)) n += 2;
    if (HasModule(c_.service, kProgrammableInputModuleType)) n += 1;
    return std::max(n, result_.requests);
  }

  // True when the user stopped the read before `block`; the read then ends quietly.
  bool Stopped(int code, int block) {
    if (code != kStoppedCode) return false;
    Fail(ReadStep::Stopped, block, 0);
    return true;
  }

  int Device() const { return c_.service.CurrentDevice; }
  std::span<const uint8_t> Answer() const { return answer_; }
  int ByteCount() const { return answer_[2]; }

  int Request(uint8_t function, int block) {
    answer_.fill(0);
    if (result_.requests > 0 && ui_.StopRequested()) return kStoppedCode;
    ++result_.requests;
    ui_.Progress(result_.requests, PlannedRequests());
    const uint8_t data = static_cast<uint8_t>(block);
    const int code = port_.Request(Device(), function, std::span(&data, block < 0 ? 0u : 1u), answer_);
    if (code != kResultOk) return code;
    if (function == ServiceBlock::kIdentityFunction && !ServiceBlock::IsWholeIdentityAnswer(answer_))
      return kResultReceiveError;
    if (function == kReadFunction) {
      if (!AcceptableByteCount(block, ByteCount())) return kResultReceiveError;
      ClearPastData(answer_);  // the checksum after a short block is not block data
      // The image keeps the block as the controller holds it, every byte of it.
      c_.image.Store(block, std::span<const uint8_t>(answer_).subspan(kBlockDataOffset,
                                                                      static_cast<size_t>(ByteCount() - 1)));
    }
    return code;
  }

  // A short block is kept as the controller's own length, which is what the
  // block is written back and saved with. So a block answer must carry some
  // block bytes and no more than the block holds (its count becomes the
  // length and shapes the file); the text blocks keep no length and must come
  // whole; blocks that share one length must all report the same count.
  bool AcceptableByteCount(int block, int count) {
    if (count < 2 || count > LargestByteCount(block)) return false;
    if (block >= ServiceBlock::kFirstTextBlockNumber &&
        block < ServiceBlock::kFirstTextBlockNumber + ServiceBlock::kTextBlocks)
      return count == LargestByteCount(block);
    const auto [kept, first] = sharedCounts_.emplace(LengthGroup(block), count);
    return first || kept->second == count;
  }

  // The block whose length stands for `block`'s: the first of its kind.
  int LengthGroup(int block) const {
    const int analogModules = std::clamp(c_.service.AiModules, 0, AnalogModules::kModules);
    if (block >= 1 && block <= AnalogModules::kModules) return block <= analogModules ? 1 : analogModules + 1;
    if (block >= DiscreteProcessing::kFirstBlockNumber &&
        block < DiscreteProcessing::kFirstBlockNumber + DiscreteProcessing::kBlocks)
      return DiscreteProcessing::kFirstBlockNumber;
    if (block == Regulators::ProgramBlockNumber) return Regulators::LoopBlockNumber;
    if (block >= kFirstFunctionBlockPage && block < kFirstFunctionBlockPage + FunctionBlocks::kCapacity / 10)
      return kFirstFunctionBlockPage;
    return block;
  }

  bool Fail(ReadStep step, int block, int code) {
    result_.failedStep = step;
    result_.block = block;
    result_.resultCode = code;
    return false;
  }

  // A block whose every failure goes through ShowError.
  bool ReadBlock(int block) {
    const int code = Request(kReadFunction, block);
    if (code == kResultOk) return true;
    if (Stopped(code, block)) return false;
    port_.ShowError(Device(), code);
    return Fail(ReadStep::Block, block, code);
  }

  // Record, regulator and text blocks: a refusal (5) names the block.
  bool ReadNamedBlock(int block) {
    const int code = Request(kReadFunction, block);
    if (code == kResultOk) return true;
    if (Stopped(code, block)) return false;
    if (code == kExceptionRefused)
      ui_.Show(kCaptionWarning, BlockExchangeErrorText(Device(), block, code), Icon::Warning);
    else
      port_.ShowError(Device(), code);
    return Fail(ReadStep::Block, block, code);
  }

  bool ReadIdentity() {
    const int code = Request(ServiceBlock::kIdentityFunction, -1);
    if (code != kResultOk) {
      port_.ShowError(Device(), code);
      return Fail(ReadStep::Identity, 0, code);
    }
    ServiceBlock& s = c_.service;
    s.DecodeIdentity(ServiceBlock::kIdentityFunction, Answer());
    s.RecountIO();
    c_.reserveBlocks.SignalCount = s.SignalCount;
    c_.reserveBlocks.AnalogSignalCount = s.AnalogSignalCount;
    s.ClearIdentifiers();
    s.ClearTexts();
    s.DefaultIdentifiers();
    s.DefaultOutputIdentifiers();
    s.ConfiguredDevice = static_cast<uint8_t>(std::clamp(s.CurrentDevice, 0, 30));
    return true;
  }

  bool ReadMasterBlock() {
    if (!ReadBlock(NetworkMaster::kMasterBlockNumber)) return false;
    NetworkMaster& m = c_.networkMaster;
    m.StoreMasterAnswer(kReadFunction, answer_.data(), answer_.size());
    m.SetMasterBlockLen(ByteCount());
    c_.reserveBlocks.MasterBlock = m.MasterBlock;
    m.RebuildNetSignals(c_.service);
    c_.reserveBlocks.Ident = c_.service.Ident;
    c_.reserveBlocks.OutIdent = c_.service.OutIdent;
    // What the module table decides when it is refreshed.
    c_.regulators.RegPresent = HasModule(c_.service, kRegulatorModuleType) ? 1 : 0;
    return true;
  }

  // Blocks 1..8: the analog modules first, then the network parts.
  bool ReadModuleBlocks() {
    const int analogModules = std::clamp(c_.service.AiModules, 0, AnalogModules::kModules);
    for (int k = 0; k < AnalogModules::kModules; ++k) {
      if (!ReadBlock(k + 1)) return false;
      if (k < analogModules) {
        c_.analogModules.StoreRecordAnswer(Answer());  // takes the byte count as the record length
        const auto record = c_.analogModules.GetRecord(k);
        std::copy(record.begin(), record.end(),
                  c_.reserveBlocks.ModuleRecords[static_cast<size_t>(k)].begin());
      } else {
        const int part = k - analogModules;
        c_.networkMaster.StoreRecordAnswer(kReadFunction, answer_.data(), answer_.size(), part);
        c_.networkMaster.SetRecordLen(ByteCount());
        c_.reserveBlocks.NetParts[static_cast<size_t>(part)] =
            c_.networkMaster.Records[static_cast<size_t>(part)];
      }
    }
    return true;
  }

  bool ReadRelayBlock() {
    if (!ReadBlock(RelayModules::kBlockNumber)) return false;
    c_.relayModules.StoreAnswer(kReadFunction, Answer());
    const auto block = c_.relayModules.GetBlock();
    std::copy(block.begin(), block.end(), c_.reserveBlocks.RelayBlock.begin());
    return true;
  }

  bool ReadF15Block() {
    if (!ReadBlock(Function15Blocks::kBlockNumber)) return false;
    c_.function15Blocks.StoreAnswer(kReadFunction, Answer());
    c_.networkMaster.F15BlockLen = std::clamp(ByteCount(), 1, Function15Blocks::kBlockSize);
    const auto block = c_.function15Blocks.GetBlock();
    std::copy(block.begin(), block.end(), c_.reserveBlocks.F15Block.begin());
    return true;
  }

  bool ReadRecordBlocks() {
    DiscreteProcessing& z = c_.discreteProcessing;
    for (int b = 0; b < DiscreteProcessing::kBlocks; ++b) {
      if (!ReadNamedBlock(DiscreteProcessing::kFirstBlockNumber + b)) return false;
      z.LoadBlockFromAnswer(Answer());
      z.UnpackBlock(b);
    }
    z.SetRecordBlockLen(ByteCount());
    for (int i = 0; i < DiscreteProcessing::kSignals; ++i) {
      const auto& record = z.Record(i);
      std::copy(record.begin(), record.end(),
                c_.reserveBlocks.ProcessingRecords[static_cast<size_t>(i)].begin());
    }
    return true;
  }

  bool ReadRegulatorBlocks() {
    Regulators& r = c_.regulators;
    if (HasModule(c_.service, kRegulatorModuleType)) {
      for (int block : {Regulators::LoopBlockNumber, Regulators::ProgramBlockNumber}) {
        if (!ReadNamedBlock(block)) return false;
        r.LoadFromAnswer(answer_.data(), answer_.size());
        r.Unpack(block);
        r.SetRegBlockLen(ByteCount());
      }
    }
    c_.reserveBlocks.RegulatorRecords[0] = r.Loops;
    c_.reserveBlocks.RegulatorRecords[1] = r.Programs;
    return true;
  }

  bool ReadUnitsBlock() {
    if (!ReadBlock(AnalogModules::kUnitsBlockNumber)) return false;
    c_.analogModules.StoreUnitsAnswer(Answer());
    c_.service.UnitsBlockLen = std::clamp(ByteCount(), 1, AnalogModules::kUnitsSize + 1);
    const auto units = c_.analogModules.GetUnits();
    std::copy_n(units.begin(), c_.service.UnitsBlockLen - 1, c_.reserveBlocks.UnitsBlock.begin());
    return true;
  }

  bool ReadTextBlocks() {
    ServiceBlock& s = c_.service;
    for (int n = 0; n < ServiceBlock::kTextBlocks; ++n) {
      if (!ReadNamedBlock(ServiceBlock::kFirstTextBlockNumber + n)) return false;
      s.LoadTextBlock(Answer());
      s.PutTextBlock(n);
    }
    for (int i = 0; i < ServiceBlock::kSignals; ++i)
      std::copy(s.Text[static_cast<size_t>(i)].begin(), s.Text[static_cast<size_t>(i)].end(),
                c_.reserveBlocks.Texts[static_cast<size_t>(i)].begin());
    // The controller keeps no output texts: they start blank after every read.
    const std::string blank(ServiceBlock::kTextWidth, ' ');
    for (int o = 0; o < ServiceBlock::kOutputs; ++o) {
      s.SetOutputText(o, blank);
      std::copy(s.OutText[static_cast<size_t>(o)].begin(), s.OutText[static_cast<size_t>(o)].end(),
                c_.reserveBlocks.OutTexts[static_cast<size_t>(o)].begin());
    }
    return true;
  }

  bool ReadFunctionBlockPages() {
    FunctionBlocks& fb = c_.functionBlocks;
    for (int p = 0; p < fb.GetPageCount(); ++p) {
      const int block = kFirstFunctionBlockPage + p;
      const int code = Request(kReadFunction, block);
      if (Stopped(code, block)) return false;
      if (code == kExceptionNoSuchBlock && p == kSixtyBlocksFirstMissingPage) {
        ui_.Show(kCaptionWarning, kSixtyFunctionBlocksText, Icon::Warning);
        fb.SetTableSize(kSixtyBlocks);
        result_.sixtyFunctionBlocks = true;
        break;
      }
      if (code != kResultOk) {
        port_.ShowError(Device(), code);
        return Fail(ReadStep::Block, block, code);
      }
      fb.LoadPageFromAnswer(p, Answer());
      fb.SetPageByteCount(ByteCount());
    }
    for (int i = 0; i < FunctionBlocks::kCapacity; ++i) {
      const auto record = fb.Record(i);
      std::copy(record.begin(), record.end(), c_.reserveBlocks.FBRecords[static_cast<size_t>(i)].begin());
    }
    fb.ResetAfterRead();
    fb.RecountBlocks();
    ReserveBlocks& r = c_.reserveBlocks;
    r.AlgCount = 0;
    r.AlgStart.fill(FunctionBlocks::kEmptyEntry);
    for (auto& row : r.AlgMembers) row.fill(FunctionBlocks::kEmptyEntry);
    for (auto& name : r.AlgName) name.fill(' ');
    return true;
  }

  bool ReadSensorTypes() {
    DiscreteProcessing& z = c_.discreteProcessing;
    if (HasModule(c_.service, kProgrammableInputModuleType)) {
      const int block = DiscreteProcessing::kSensorBlockNumber;
      const int code = Request(kReadFunction, block);
      if (Stopped(code, block)) return false;
      if (code != kResultOk) {
        // Every failure is reported: a read that ends unannounced would look complete.
        port_.ShowError(Device(), code);
        return Fail(ReadStep::Block, block, code);
      }
      z.LoadSensorTypesFromAnswer(Answer());
      z.UnpackSensorTypes();
      z.SetSensorBlockLen(ByteCount());
    }
    const auto types = z.SensorTypes();
    std::copy_n(types.begin(), c_.reserveBlocks.SensorTypes.size(), c_.reserveBlocks.SensorTypes.begin());
    return true;
  }

  ModbusLink& port_;
  Configuration& c_;
  Interaction& ui_;
  std::array<uint8_t, kAnswerBufferSize> answer_{};
  std::map<int, int> sharedCounts_;  // length group -> the count its first block reported
  ReadResult result_;
};

}  // namespace

std::string BlockExchangeErrorText(int deviceIndex, int block, int code) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(code) & 0xFFu);
  return "устройство " + std::to_string(deviceIndex + 1) + " " + " " + BlockKind(block) +
         std::to_string(block) + "  ошибка обмена " + hex;
}

std::string ReadResult::Describe() const {
  switch (failedStep) {
    case ReadStep::None:
      return sixtyFunctionBlocks ? "конфигурация прочитана (60 функциональных блоков)"
                                 : "конфигурация прочитана";
    case ReadStep::Identity:
      return "чтение прервано на запросе идентификации (код " + std::to_string(resultCode) +
             "); ничего не прочитано";
    case ReadStep::Block:
      return "чтение прервано на блоке " + std::to_string(block) + " (код " + std::to_string(resultCode) +
             "); блоки до него прочитаны";
    case ReadStep::Stopped:
      return "чтение остановлено пользователем перед блоком " + std::to_string(block) +
             "; блоки до него прочитаны";
  }
  return {};
}

ReadResult ReadConfiguration(ModbusLink& port, Configuration& config, Interaction& ui) {
  return ConfigurationReader(port, config, ui).Run();
}

}  // namespace zul
