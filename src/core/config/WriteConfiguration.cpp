#include "core/config/WriteConfiguration.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "core/Interaction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ControllerImage.h"
#include "core/link/ModbusLink.h"

namespace zul {
namespace {

constexpr int kPauseBeforeBlockMs = 50;
constexpr int kRegulatorModuleType = 14;
constexpr int kProgrammableInputModuleType = 10;

bool HasModule(const std::array<int, ServiceBlock::kSlots>& types, int type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

bool IsNetBlockUsed(const NetworkMaster& m, int k) {
  const int f = m.GetFunction(k);
  return f >= 1 && f <= 4;
}

class ConfigurationWriter {
 public:
  ConfigurationWriter(ModbusLink& port, Configuration& config, Interaction& ui, const BlockFilter& only)
      : port_(port), c_(config), ui_(ui), only_(only) {}

  WriteResult Run() {
    if (!port_.CheckWriteAccess()) return Outcome(WriteOutcome::NoAccess);
    wanted_ = c_.service.ModuleType;
    const std::vector<int> empty = EmptyBlocksToSend();
    if (!empty.empty()) {
      ui_.Show(kCaptionWarning, IncompleteFileText(empty), Icon::Warning);
      result_.emptyBlocks = empty;
      return Outcome(WriteOutcome::IncompleteFile);
    }
    before_ = std::make_unique<Configuration>(c_);
    image_ = c_.image;
    TakeSnapshot();

    const WriteOutcome outcome = CheckAndWrite();
    ui_.Progress(0, 0);
    Restore();
    return Outcome(outcome);
  }

 private:
  WriteResult Outcome(WriteOutcome outcome) {
    result_.outcome = outcome;
    return result_;
  }

  // Blocks a short file left empty among those this write would send.
  std::vector<int> EmptyBlocksToSend() const {
    std::vector<int> empty;
    for (int block : c_.blocksMissingFromFile) {
      if (block == RelayModules::kBlockNumber && c_.service.DoModules == 0) continue;
      if ((block == Regulators::LoopBlockNumber || block == Regulators::ProgramBlockNumber) &&
          !HasModule(wanted_, kRegulatorModuleType))
        continue;
      if (block == DiscreteProcessing::kSensorBlockNumber &&
          !HasModule(wanted_, kProgrammableInputModuleType))
        continue;
      empty.push_back(block);
    }
    return empty;
  }

  WriteOutcome CheckAndWrite() {
    ServiceBlock& s = c_.service;
    std::array<uint8_t, kAnswerBufferSize> answer{};
    int code = port_.Request(s.CurrentDevice, ServiceBlock::kIdentityFunction, {}, answer);
    // An identity without all its bytes would compare as another composition.
    if (code == kResultOk && !ServiceBlock::IsWholeIdentityAnswer(answer)) code = kResultReceiveError;
    if (code != kResultOk) {
      port_.ShowError(s.CurrentDevice, code);
      return WriteOutcome::IdentityFailed;
    }
    s.DecodeIdentity(ServiceBlock::kIdentityFunction, answer);
    s.RecountIO();
    deviceAnalog_ = s.AiModules;
    deviceDiscrete_ = s.DiModules;

    if (std::all_of(wanted_.begin(), wanted_.end(), [](int t) { return t == 0; })) {
      ui_.Show(kCaptionWarning, kConfigurationNotSetText, Icon::Warning);
      return WriteOutcome::NotSet;
    }
    const Configuration& b = *before_;
    result_.sameComposition = std::equal(wanted_.begin(), wanted_.end(), s.ModuleType.begin());
    if (only_ && !result_.sameComposition) {
      ui_.Show(kCaptionWarning, kSelectiveWriteNeedsSameCompositionText, Icon::Warning);
      return WriteOutcome::Incompatible;
    }
    if (result_.sameComposition) {
      ui_.Show(kCaptionWarning, kCompositionMatchesText, Icon::Warning);
    } else {
      ui_.Show(kCaptionWarning, kCompositionDiffersText, Icon::Warning);
      const bool discreteEqual = b.service.DiModules == deviceDiscrete_;
      const bool noAnalog = b.service.AiModules == 0 && deviceAnalog_ == 0;
      if (!discreteEqual && !noAnalog) {
        ui_.Show(kCaptionWarning, kCompositionRefusedText, Icon::Warning);
        return WriteOutcome::Incompatible;
      }
    }

    c_.discreteProcessing.Modified = 0;
    PutBackCounts();
    AdaptSignalBase();
    // The blocks go to the controller whose composition was just checked.
    blocks_ = EncodeWriteBlocks(c_, deviceAnalog_, wanted_);
    planned_ = PlannedBlocks();
    ui_.Progress(0, planned_);
    for (const DeviceBlock& block : blocks_)
      if (!Write(block.number, block.bytes)) return WriteOutcome::BlockFailed;
    return WriteOutcome::Written;
  }

  // The reference copy takes what the transfer may change.
  void TakeSnapshot() {
    ReserveBlocks& r = c_.reserveBlocks;
    for (int i = 0; i < DiscreteProcessing::kSignals; ++i) {
      const auto& record = c_.discreteProcessing.Record(i);
      std::copy(record.begin(), record.end(), r.ProcessingRecords[static_cast<size_t>(i)].begin());
      const auto& text = c_.service.Text[static_cast<size_t>(i)];
      std::copy(text.begin(), text.end(), r.Texts[static_cast<size_t>(i)].begin());
    }
    for (int i = 0; i < FunctionBlocks::kCapacity; ++i) {
      const auto record = c_.functionBlocks.Record(i);
      std::copy(record.begin(), record.end(), r.FBRecords[static_cast<size_t>(i)].begin());
    }
    r.Ident = c_.service.Ident;
    r.OutIdent = c_.service.OutIdent;
    for (int m = 0; m < AnalogModules::kModules; ++m) {
      const auto record = c_.analogModules.GetRecord(m);
      std::copy(record.begin(), record.end(), r.ModuleRecords[static_cast<size_t>(m)].begin());
    }
    r.NetParts = c_.networkMaster.Records;
    r.MasterBlock = c_.networkMaster.MasterBlock;
    r.SignalCount = c_.service.SignalCount;
    r.AnalogSignalCount = c_.service.AnalogSignalCount;
  }

  // The configuration's counts back over the controller's (the controller's
  // module types decide the block mapping, the configuration's counts the rest).
  void PutBackCounts() {
    const ServiceBlock& b = before_->service;
    ServiceBlock& s = c_.service;
    s.DiModules = b.DiModules;
    s.AiModules = b.AiModules;
    s.DoModules = b.DoModules;
    s.GroupStart1 = b.GroupStart1;
    s.GroupStart2 = b.GroupStart2;
    s.SignalCount = b.SignalCount;
    s.AnalogSignalCount = b.AnalogSignalCount;
    s.DiCount = b.DiCount;
    s.AiCount = b.AiCount;
    s.DoCount = b.DoCount;
    s.IndicationType = b.IndicationType;
  }

  // Everything but the reference copy as it was.
  void Restore() {
    const int device = c_.service.CurrentDevice;
    const int modified = c_.discreteProcessing.Modified;
    ReserveBlocks snapshot = c_.reserveBlocks;
    c_ = *before_;
    c_.reserveBlocks = snapshot;
    c_.image = image_;
    c_.service.CurrentDevice = device;
    c_.discreteProcessing.Modified = modified;
  }

  // Every block the transfer sends, so that the progress ends with the last one.
  int PlannedBlocks() const {
    return static_cast<int>(std::count_if(
        blocks_.begin(), blocks_.end(), [this](const DeviceBlock& b) { return !only_ || only_(b.number); }));
  }

  bool Write(int block, std::span<const uint8_t> bytes) {
    if (only_ && !only_(block)) return true;
    ++sent_;
    ui_.Progress(sent_, std::max(planned_, sent_));
    port_.Pause(kPauseBeforeBlockMs);
    const bool ok = port_.WriteBlock(c_.service.CurrentDevice, static_cast<uint8_t>(block), bytes);
    if (ok) {
      // The image follows what was stored, block by block.
      if (before_->service.FileMode == 0) image_.Store(block, bytes);
      ++result_.blocksWritten;
      result_.writtenBlocks.push_back(block);
    } else {
      result_.block = block;
    }
    return ok;
  }

  // Moves the network signals to where the controller's composition puts
  // them, and the processing records, texts and function-block references of
  // the signals with them.
  void AdaptSignalBase() {
    const int configAnalog = before_->service.AiModules;
    const int configDiscrete = before_->service.DiModules;
    const bool analogDiffers = configAnalog != deviceAnalog_;
    const bool discreteDiffers = configDiscrete != deviceDiscrete_;
    if (!analogDiffers && !discreteDiffers) return;

    const int a = ServiceBlock::kInputsPerAiModule * (deviceAnalog_ - configAnalog);
    const int sa = ServiceBlock::kInputsPerAiModule * ServiceBlock::kLimitsPerAnalogInput *
                   (deviceAnalog_ - configAnalog);
    const int sd = ServiceBlock::kInputsPerDiModule * (deviceDiscrete_ - configDiscrete);
    const int shift = sa + sd;
    result_.discreteShift = shift;
    result_.analogShift = a;

    ServiceBlock& s = c_.service;
    NetworkMaster& m = c_.networkMaster;
    // Without network blocks the configuration's own signals end where the
    // network would begin: signals of modules the controller lacks go, those
    // of modules it has in addition are opened there.
    int first = s.FirstNetSignal();
    int firstAnalog = s.AiCount;
    bool found = false;
    for (int k = 0; k < NetworkMaster::kEntries; ++k) {
      if (!IsNetBlockUsed(m, k)) continue;
      if (!found) {
        first = m.GetFirstDiscrete(k);
        firstAnalog = m.GetFirstAnalog(k);
        found = true;
      }
      // Positions stay within the tables even for an entry that lay outside them.
      int firstDiscrete = m.GetFirstDiscrete(k);
      int firstAnalogOfEntry = m.GetFirstAnalog(k);
      if (analogDiffers) {
        firstDiscrete += sa;
        firstAnalogOfEntry += a;
      }
      if (discreteDiffers) firstDiscrete += sd;
      m.SetFirstDiscrete(k, std::clamp(firstDiscrete, 0, NetworkMaster::kDiscreteSignals));
      m.SetFirstAnalog(k, std::clamp(firstAnalogOfEntry, 0, NetworkMaster::kAnalogSignals));
    }

    DiscreteProcessing& z = c_.discreteProcessing;
    FunctionBlocks& fb = c_.functionBlocks;
    if (shift < 0) {
      const int n = -shift;
      const int at = std::max(first - n, 0);
      z.RemoveRecords(at, n);
      z.ClearRecords(s.SignalCount, n);
      s.DeleteTexts(at, n);
      fb.RenumberSignals(SignalRenumbering::DiscreteRemovedShift, first, n);
    } else if (shift > 0) {
      z.InsertRecords(first, shift);
      z.ClearRecords(first, shift);
      s.InsertTexts(first, shift);
      for (int row = first; row < first + shift; ++row) s.DefaultText(row);
      fb.RenumberSignals(SignalRenumbering::DiscreteInserted, first, shift);
    }
    if (a < 0)
      fb.RenumberSignals(SignalRenumbering::AnalogRemovedShift, firstAnalog, -a);
    else if (a > 0)
      fb.RenumberSignals(SignalRenumbering::AnalogInserted, firstAnalog, a);
  }

  ModbusLink& port_;
  Configuration& c_;
  Interaction& ui_;
  const BlockFilter& only_;
  std::array<int, ServiceBlock::kSlots> wanted_{};
  std::unique_ptr<Configuration> before_;
  ControllerImage image_;
  std::vector<DeviceBlock> blocks_;
  int deviceAnalog_ = 0;
  int deviceDiscrete_ = 0;
  int planned_ = 0;
  int sent_ = 0;
  WriteResult result_;
};

}  // namespace

std::string BlockListText(const std::vector<int>& blocks) {
  std::string text;
  for (size_t i = 0; i < blocks.size();) {
    size_t j = i;
    while (j + 1 < blocks.size() && blocks[j + 1] == blocks[j] + 1) ++j;
    if (!text.empty()) text += ", ";
    text += std::to_string(blocks[i]);
    if (j > i) text += (j == i + 1 ? ", " : "-") + std::to_string(blocks[j]);
    i = j + 1;
  }
  return text;
}

std::string IncompleteFileText(const std::vector<int>& blocks) {
  return std::string(kIncompleteFileText) + BlockListText(blocks) + kIncompleteFileTail;
}

std::string WriteResult::Describe() const {
  switch (outcome) {
    case WriteOutcome::Written:
      return "конфигурация записана (блоков: " + std::to_string(blocksWritten) + ")";
    case WriteOutcome::NoAccess:
      return "не записано: нет доступа на запись";
    case WriteOutcome::IdentityFailed:
      return "не записано: не удалось прочитать идентификацию прибора";
    case WriteOutcome::NotSet:
      return "не записано: в конфигурации нет модулей";
    case WriteOutcome::Incompatible:
      return "не записано: составы модулей не совпадают";
    case WriteOutcome::IncompleteFile:
      return "не записано: файл короткий, блоки " + BlockListText(emptyBlocks) + " пусты";
    case WriteOutcome::BlockFailed:
      return "запись прервана на блоке " + std::to_string(block) + " после " + std::to_string(blocksWritten) +
             " записанных блоков";
  }
  return {};
}

WriteResult WriteConfiguration(ModbusLink& port, Configuration& config, Interaction& ui,
                               const BlockFilter& only) {
  return ConfigurationWriter(port, config, ui, only).Run();
}

}  // namespace zul
