#include "core/config/ReadConfiguration.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <span>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "core/link/TComPortClass.h"

namespace zul {
namespace {

constexpr uint8_t kReadFunction = 68;
constexpr int kProgressMaximum = 250;
constexpr int kProgressStep = 10;
constexpr int kExceptionRefused = 5;
constexpr int kExceptionNoSuchBlock = 3;
constexpr int kRegulatorModuleType = 14;
constexpr int kProgrammableInputModuleType = 10;
// A controller with 60 function blocks refuses the first page beyond them.
constexpr int kSixtyBlocksFirstMissingPage = 6;
constexpr int kSixtyBlocks = 60;

bool HasModule(const TServClass& serv, int type) {
  return std::find(serv.ModuleType.begin(), serv.ModuleType.end(), type) != serv.ModuleType.end();
}

const char* BlockKind(int block) {
  if (block >= TProgZulClass::kFirstBlockNumber &&
      block < TProgZulClass::kFirstBlockNumber + TProgZulClass::kBlocks)
    return " дискр блок № ";
  if (block == TProgRegClass::LoopBlockNumber || block == TProgRegClass::ProgramBlockNumber)
    return " рег блок № ";
  return " текст блок № ";
}

// One read, step by step; every Read* returns false when the read must end.
class ConfigurationReader {
 public:
  ConfigurationReader(TComPortClass& port, Configuration& config, Interaction& ui)
      : port_(port), c_(config), ui_(ui) {}

  ReadResult Run() {
    c_.ProgFB.SetTableSize(c_.ProgFB.GetCapacity());
    ui_.Progress(0, kProgressMaximum);
    const bool ok = ReadIdentity() && ReadMasterBlock() && ReadModuleBlocks() && ReadRelayBlock() &&
                    ReadF15Block() && ReadRecordBlocks() && ReadRegulatorBlocks() && ReadUnitsBlock() &&
                    ReadTextBlocks() && ReadFunctionBlockPages() && ReadSensorTypes();
    ui_.Progress(0, 0);
    c_.Serv.FileMode = 0;
    result_.ok = ok;
    return result_;
  }

 private:
  void Step() {
    progress_ = std::min(progress_ + kProgressStep, kProgressMaximum);
    ui_.Progress(progress_, kProgressMaximum);
  }

  int Device() const { return c_.Serv.CurrentDevice; }
  std::span<const uint8_t> Answer() const { return answer_; }
  int ByteCount() const { return answer_[2]; }

  int Request(uint8_t function, int block) {
    answer_.fill(0);
    ++result_.requests;
    const uint8_t data = static_cast<uint8_t>(block);
    return port_.Request(Device(), function, block < 0 ? 0 : 1, &data, answer_.data(), answer_.size());
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
    port_.ShowError(Device(), code);
    return Fail(ReadStep::Block, block, code);
  }

  // Record, regulator and text blocks: a refusal (5) names the block.
  bool ReadNamedBlock(int block) {
    const int code = Request(kReadFunction, block);
    if (code == kResultOk) return true;
    if (code == kExceptionRefused)
      ui_.Show(kCaptionWarning, BlockExchangeErrorText(Device(), block, code), Icon::Warning);
    else
      port_.ShowError(Device(), code);
    return Fail(ReadStep::Block, block, code);
  }

  bool ReadIdentity() {
    Step();
    const int code = Request(TServClass::kIdentityFunction, -1);
    if (code != kResultOk) {
      port_.ShowError(Device(), code);
      return Fail(ReadStep::Identity, 0, code);
    }
    TServClass& s = c_.Serv;
    s.DecodeIdentity(TServClass::kIdentityFunction, Answer());
    s.RecountIO();
    c_.ReservBlocks.SignalCount = s.SignalCount;
    c_.ReservBlocks.AnalogSignalCount = s.AnalogSignalCount;
    s.ClearIdentifiers();
    s.ClearTexts();
    s.DefaultIdentifiers();
    s.DefaultOutputIdentifiers();
    s.ConfiguredDevice = static_cast<uint8_t>(std::clamp(s.CurrentDevice, 0, 30));
    return true;
  }

  bool ReadMasterBlock() {
    Step();
    if (!ReadBlock(TProgMBMClass::kMasterBlockNumber)) return false;
    TProgMBMClass& m = c_.ProgMBM;
    m.StoreMasterAnswer(kReadFunction, answer_.data(), answer_.size());
    m.SetMasterBlockLen(ByteCount());
    c_.ReservBlocks.MasterBlock = m.MasterBlock;
    m.RebuildNetSignals(c_.Serv);
    c_.ReservBlocks.Ident = c_.Serv.Ident;
    c_.ReservBlocks.OutIdent = c_.Serv.OutIdent;
    // What the module table decides when it is refreshed.
    c_.ProgReg.RegPresent = HasModule(c_.Serv, kRegulatorModuleType) ? 1 : 0;
    return true;
  }

  // Blocks 1..8: the analog modules first, then the network parts.
  bool ReadModuleBlocks() {
    const int analogModules = std::clamp(c_.Serv.AiModules, 0, TProgMBAClass::kModules);
    for (int k = 0; k < TProgMBAClass::kModules; ++k) {
      Step();
      if (!ReadBlock(k + 1)) return false;
      if (k < analogModules) {
        c_.ProgMBA.StoreRecordAnswer(Answer());  // takes the byte count as the record length
        const auto record = c_.ProgMBA.GetRecord(k);
        std::copy(record.begin(), record.end(),
                  c_.ReservBlocks.ModuleRecords[static_cast<size_t>(k)].begin());
      } else {
        const int part = k - analogModules;
        c_.ProgMBM.StoreRecordAnswer(kReadFunction, answer_.data(), answer_.size(), part);
        c_.ProgMBM.SetRecordLen(ByteCount());
        c_.ReservBlocks.NetParts[static_cast<size_t>(part)] = c_.ProgMBM.Records[static_cast<size_t>(part)];
      }
    }
    return true;
  }

  bool ReadRelayBlock() {
    if (!ReadBlock(TProgMRClass::kBlockNumber)) return false;
    c_.ProgMR.StoreAnswer(kReadFunction, Answer());
    const auto block = c_.ProgMR.GetBlock();
    std::copy(block.begin(), block.end(), c_.ReservBlocks.RelayBlock.begin());
    return true;
  }

  bool ReadF15Block() {
    if (!ReadBlock(TProgF15Class::kBlockNumber)) return false;
    c_.ProgF15.StoreAnswer(kReadFunction, Answer());
    c_.ProgMBM.F15BlockLen = std::clamp(ByteCount(), 1, TProgF15Class::kBlockSize);
    const auto block = c_.ProgF15.GetBlock();
    std::copy(block.begin(), block.end(), c_.ReservBlocks.F15Block.begin());
    return true;
  }

  bool ReadRecordBlocks() {
    TProgZulClass& z = c_.ProgZul;
    for (int b = 0; b < TProgZulClass::kBlocks; ++b) {
      Step();
      if (!ReadNamedBlock(TProgZulClass::kFirstBlockNumber + b)) return false;
      z.LoadBlockFromAnswer(Answer());
      z.UnpackBlock(b);
    }
    z.SetRecordBlockLen(ByteCount());
    for (int i = 0; i < TProgZulClass::kSignals; ++i) {
      const auto& record = z.Record(i);
      std::copy(record.begin(), record.end(),
                c_.ReservBlocks.ProcessingRecords[static_cast<size_t>(i)].begin());
    }
    return true;
  }

  bool ReadRegulatorBlocks() {
    TProgRegClass& r = c_.ProgReg;
    if (HasModule(c_.Serv, kRegulatorModuleType)) {
      for (int block : {TProgRegClass::LoopBlockNumber, TProgRegClass::ProgramBlockNumber}) {
        Step();
        if (!ReadNamedBlock(block)) return false;
        r.LoadFromAnswer(answer_.data(), answer_.size());
        r.Unpack(block);
        r.SetRegBlockLen(ByteCount());
      }
    }
    Step();
    c_.ReservBlocks.RegulatorRecords[0] = r.Loops;
    c_.ReservBlocks.RegulatorRecords[1] = r.Programs;
    return true;
  }

  bool ReadUnitsBlock() {
    if (!ReadBlock(TProgMBAClass::kUnitsBlockNumber)) return false;
    c_.ProgMBA.StoreUnitsAnswer(Answer());
    c_.Serv.UnitsBlockLen = std::clamp(ByteCount(), 1, TProgMBAClass::kUnitsSize + 1);
    const auto units = c_.ProgMBA.GetUnits();
    std::copy_n(units.begin(), c_.Serv.UnitsBlockLen - 1, c_.ReservBlocks.UnitsBlock.begin());
    return true;
  }

  bool ReadTextBlocks() {
    TServClass& s = c_.Serv;
    for (int n = 0; n < TServClass::kTextBlocks; ++n) {
      Step();
      if (!ReadNamedBlock(TServClass::kFirstTextBlockNumber + n)) return false;
      s.LoadTextBlock(Answer());
      s.PutTextBlock(n);
    }
    Step();
    for (int i = 0; i < TServClass::kSignals; ++i)
      std::copy(s.Text[static_cast<size_t>(i)].begin(), s.Text[static_cast<size_t>(i)].end(),
                c_.ReservBlocks.Texts[static_cast<size_t>(i)].begin());
    // The controller keeps no output texts: they start blank after every read.
    const std::string blank(TServClass::kTextWidth, ' ');
    for (int o = 0; o < TServClass::kOutputs; ++o) {
      s.SetOutputText(o, blank);
      std::copy(s.OutText[static_cast<size_t>(o)].begin(), s.OutText[static_cast<size_t>(o)].end(),
                c_.ReservBlocks.OutTexts[static_cast<size_t>(o)].begin());
    }
    return true;
  }

  bool ReadFunctionBlockPages() {
    TProgFBClass& fb = c_.ProgFB;
    for (int p = 0; p < fb.GetPageCount(); ++p) {
      Step();
      const int block = 68 + p;
      const int code = Request(kReadFunction, block);
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
    for (int i = 0; i < TProgFBClass::kCapacity; ++i) {
      const auto record = fb.Record(i);
      std::copy(record.begin(), record.end(), c_.ReservBlocks.FBRecords[static_cast<size_t>(i)].begin());
    }
    fb.ResetAfterRead();
    fb.RecountBlocks();
    TReservBlocksClass& r = c_.ReservBlocks;
    r.AlgCount = 0;
    r.AlgStart.fill(TProgFBClass::kEmptyEntry);
    for (auto& row : r.AlgMembers) row.fill(TProgFBClass::kEmptyEntry);
    for (auto& name : r.AlgName) name.fill(' ');
    return true;
  }

  bool ReadSensorTypes() {
    TProgZulClass& z = c_.ProgZul;
    if (HasModule(c_.Serv, kProgrammableInputModuleType)) {
      const int block = TProgZulClass::kSensorBlockNumber;
      const int code = Request(kReadFunction, block);
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
    std::copy_n(types.begin(), c_.ReservBlocks.SensorTypes.size(), c_.ReservBlocks.SensorTypes.begin());
    return true;
  }

  TComPortClass& port_;
  Configuration& c_;
  Interaction& ui_;
  std::array<uint8_t, kAnswerBufferSize> answer_{};
  int progress_ = 0;
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
      return sixtyFunctionBlocks ? "configuration read (60 function blocks)" : "configuration read";
    case ReadStep::Identity:
      return "read failed at the identity request (result " + std::to_string(resultCode) +
             "); nothing was read";
    case ReadStep::Block:
      return "read failed at block " + std::to_string(block) + " (result " + std::to_string(resultCode) +
             "); the blocks before it were read";
  }
  return {};
}

ReadResult ReadConfiguration(TComPortClass& port, Configuration& config, Interaction& ui) {
  return ConfigurationReader(port, config, ui).Run();
}

}  // namespace zul
