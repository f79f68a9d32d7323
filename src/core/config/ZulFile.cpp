#include "core/config/ZulFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <system_error>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "core/config/ControllerImage.h"
#include "core/config/DurableFile.h"

namespace zul {
namespace {

constexpr uintmax_t kKiB = 1024;

// A section's bytes as far as the file holds them, padded with `fill` to the
// section's length: a block past the end of a short file reads as empty.
std::vector<uint8_t> SectionBytes(std::span<const uint8_t> file, const ZulSection& s, uint8_t fill = 0) {
  std::vector<uint8_t> out(s.length, fill);
  if (s.offset < file.size()) {
    const size_t have = std::min(s.length, file.size() - s.offset);
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(s.offset), have, out.begin());
  }
  return out;
}

const ZulSection* FindSection(const std::vector<ZulSection>& layout, int key) {
  for (const auto& s : layout)
    if (s.key == key) return &s;
  return nullptr;
}

void CopyTextRow(const std::array<uint8_t, ServiceBlock::kTextWidth>& text, ReserveBlocks::TextRow& row) {
  row.fill(0);
  std::copy(text.begin(), text.end(), row.begin());
}

// --- loading, block by block, in the order the open command reads them ------------------------

void LoadHead(const std::vector<ZulSection>& layout, std::span<const uint8_t> file, Configuration& c) {
  ServiceBlock& serv = c.service;
  const auto device = SectionBytes(file, *FindSection(layout, kZulDeviceIndex));
  // The stored device index is used: a configuration saved for device 5 opens
  // for device 5 and saves back byte for byte. An index no device can have is ignored.
  if (device[0] <= 30) serv.ConfiguredDevice = device[0];
  serv.LoadIdentity(SectionBytes(file, *FindSection(layout, kZulIdentity)));
  c.reserveBlocks.SignalCount = serv.SignalCount;
  c.reserveBlocks.AnalogSignalCount = serv.AnalogSignalCount;
  serv.ClearIdentifiers();
  serv.ClearTexts();
  // Output texts 40..63 never travel in the file; blank them so nothing of the
  // previous configuration stays behind.
  for (auto& row : serv.OutText) row.fill(' ');
  serv.DefaultIdentifiers();
  serv.DefaultOutputIdentifiers();
}

void LoadSlots(const std::vector<ZulSection>& layout, std::span<const uint8_t> file, Configuration& c) {
  c.analogModules.ResetModuleState();
  c.relayModules.ResetModuleState();
  const int analog = std::clamp(c.service.AiModules, 0, AnalogModules::kModules);
  // Records the file does not fill are emptied, not left from before.
  for (int m = 0; m < AnalogModules::kModules; ++m) c.analogModules.LoadRecord(m, {});
  for (int r = 0; r < NetworkMaster::kRecords; ++r) c.networkMaster.LoadRecord(r, nullptr, 0);
  for (int k = 0; k < 8; ++k) {
    const auto bytes = SectionBytes(file, *FindSection(layout, k + 1));
    if (k < analog) {
      c.analogModules.LoadRecord(k, bytes);
      auto& reserve = c.reserveBlocks.ModuleRecords[static_cast<size_t>(k)];
      reserve.fill(0);
      std::copy_n(bytes.begin(), std::min(bytes.size(), reserve.size()), reserve.begin());
    } else {
      c.networkMaster.LoadRecord(k - analog, bytes.data(), bytes.size());
      auto& reserve = c.reserveBlocks.NetParts[static_cast<size_t>(k - analog)];
      reserve.fill(0);
      std::copy_n(bytes.begin(), std::min(bytes.size(), reserve.size()), reserve.begin());
    }
  }
}

void LoadNetwork(const std::vector<ZulSection>& layout, std::span<const uint8_t> file, Configuration& c) {
  const auto relay = SectionBytes(file, *FindSection(layout, RelayModules::kBlockNumber));
  c.relayModules.LoadBlock(relay);
  c.reserveBlocks.RelayBlock.fill(0);
  std::copy_n(relay.begin(), std::min(relay.size(), c.reserveBlocks.RelayBlock.size()),
              c.reserveBlocks.RelayBlock.begin());

  const auto master = SectionBytes(file, *FindSection(layout, NetworkMaster::kMasterBlockNumber));
  c.networkMaster.MasterBlock.fill(0);
  std::copy_n(master.begin(), std::min(master.size(), c.networkMaster.MasterBlock.size()),
              c.networkMaster.MasterBlock.begin());
  c.reserveBlocks.MasterBlock = c.networkMaster.MasterBlock;

  const auto f15 = SectionBytes(file, *FindSection(layout, Function15Blocks::kBlockNumber));
  c.function15Blocks.LoadBlock(f15);
  c.reserveBlocks.F15Block.fill(0);
  std::copy_n(f15.begin(), std::min(f15.size(), c.reserveBlocks.F15Block.size()),
              c.reserveBlocks.F15Block.begin());

  if (c.service.FirstNetSignal() < c.service.SignalCount) c.networkMaster.RebuildNetSignals(c.service);
  c.reserveBlocks.Ident = c.service.Ident;
  c.reserveBlocks.OutIdent = c.service.OutIdent;
}

void LoadRecordsAndTexts(const std::vector<ZulSection>& layout, std::span<const uint8_t> file,
                         Configuration& c) {
  for (int b = 0; b < DiscreteProcessing::kBlocks; ++b) {
    c.discreteProcessing.LoadBlockFromFile(
        SectionBytes(file, *FindSection(layout, DiscreteProcessing::kFirstBlockNumber + b)));
    c.discreteProcessing.UnpackBlock(b);
  }
  for (int i = 0; i < DiscreteProcessing::kSignals; ++i)
    c.reserveBlocks.ProcessingRecords[static_cast<size_t>(i)] = c.discreteProcessing.Record(i);

  const auto units = SectionBytes(file, *FindSection(layout, AnalogModules::kUnitsBlockNumber));
  c.analogModules.LoadUnits(units);
  c.reserveBlocks.UnitsBlock.fill(0);
  std::copy_n(units.begin(), std::min(units.size(), c.reserveBlocks.UnitsBlock.size()),
              c.reserveBlocks.UnitsBlock.begin());

  ServiceBlock& serv = c.service;
  for (int n = 0; n < ServiceBlock::kTextBlocks; ++n) {
    serv.TextBuf.fill(0);
    serv.LoadTextBlockRaw(SectionBytes(file, *FindSection(layout, ServiceBlock::kFirstTextBlockNumber + n)));
    serv.PutTextBlock(n);
  }
  for (int i = 0; i < ServiceBlock::kSignals; ++i)
    CopyTextRow(serv.Text[static_cast<size_t>(i)], c.reserveBlocks.Texts[static_cast<size_t>(i)]);
  for (int n = 0; n < ServiceBlock::kOutTextBlocks; ++n) {
    serv.OutTextBuf.fill(0);
    serv.LoadOutputTextBlock(
        SectionBytes(file, *FindSection(layout, ServiceBlock::kFirstOutTextBlockNumber + n)));
    serv.PutOutputTextBlock(n);
  }
  for (int o = 0; o < ServiceBlock::kOutputs; ++o)
    CopyTextRow(serv.OutText[static_cast<size_t>(o)], c.reserveBlocks.OutTexts[static_cast<size_t>(o)]);
}

void LoadRegulators(const std::vector<ZulSection>& layout, std::span<const uint8_t> file, Configuration& c) {
  for (int block : {Regulators::LoopBlockNumber, Regulators::ProgramBlockNumber}) {
    const auto bytes = SectionBytes(file, *FindSection(layout, block));
    c.regulators.LoadFromFile(bytes.data(), bytes.size());
    c.regulators.Unpack(block);
  }
  c.reserveBlocks.RegulatorRecords[0] = c.regulators.Loops;
  c.reserveBlocks.RegulatorRecords[1] = c.regulators.Programs;
}

void LoadFunctionBlocks(const std::vector<ZulSection>& layout, std::span<const uint8_t> file,
                        Configuration& c) {
  FunctionBlocks& fb = c.functionBlocks;
  for (int p = 0; p < fb.GetPageCount(); ++p)
    fb.LoadPage(p, SectionBytes(file, *FindSection(layout, 68 + p)));
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) {
    const auto record = fb.Record(i);
    std::copy(record.begin(), record.end(), c.reserveBlocks.FBRecords[static_cast<size_t>(i)].begin());
  }
  // Bookkeeping as after a device read first, so that the names and
  // algorithm tables the file does carry are not wiped afterwards.
  fb.ResetAfterRead();
  for (int p = 0; p < fb.GetPageCount(); ++p)
    fb.LoadTextPage(p, SectionBytes(file, *FindSection(layout, kZulFbTextPage + p), ' '));
  const ZulSection* start = FindSection(layout, kZulAlgStart);
  const ZulSection* count = FindSection(layout, kZulAlgCount);
  const size_t from = std::min(start->offset, file.size());
  const size_t to = std::min(count->offset + count->length, file.size());
  fb.LoadAlgorithmData(file.subspan(from, to - from));  // missing entries read as empty
  fb.RecountBlocks();
  // The reference copy keeps the names as the table does: cp1251, blank padded.
  for (int p = 0; p < fb.GetPageCount(); ++p) {
    fb.StoreTextPage(p);
    const auto page = fb.TextPageBuf();
    for (int r = 0; r < FunctionBlocks::kPageRecords; ++r) {
      auto& row = c.reserveBlocks.AlgName[static_cast<size_t>(p * FunctionBlocks::kPageRecords + r)];
      std::copy_n(page.begin() + r * FunctionBlocks::kNameSize, FunctionBlocks::kNameSize, row.begin());
    }
  }
  for (int b = 0; b <= FunctionBlocks::kCapacity; ++b) {
    c.reserveBlocks.AlgStart[static_cast<size_t>(b)] = fb.GetAlgStart(b);
    for (int k = 0; k <= FunctionBlocks::kCapacity; ++k)
      c.reserveBlocks.AlgMembers[static_cast<size_t>(b)][static_cast<size_t>(k)] = fb.GetAlgMember(b, k);
  }
  c.reserveBlocks.AlgCount = fb.GetAlgCount();
}

void LoadSensorTypes(const std::vector<ZulSection>& layout, std::span<const uint8_t> file, Configuration& c) {
  auto bytes = SectionBytes(file, *FindSection(layout, DiscreteProcessing::kSensorBlockNumber));
  bytes.resize(DiscreteProcessing::kSensorBytes, 0);
  c.discreteProcessing.LoadSensorTypesFromFile(bytes);
  c.discreteProcessing.UnpackSensorTypes();
  for (int k = 0; k < ReserveBlocks::kSensorTypeBytes; ++k)
    c.reserveBlocks.SensorTypes[static_cast<size_t>(k)] =
        static_cast<uint8_t>(c.discreteProcessing.GetSensorTypeByte(k));
}

// A file holds every block at its usual length; the lengths a controller
// reported at the last read belong to that read and must not shape the
// next write of what the file holds.
void UseUsualBlockLengths(Configuration& c) {
  const ZulBlockLengths usual;
  c.analogModules.SetRecordLength(usual.analogRecord);
  c.networkMaster.SetRecordLen(usual.analogRecord);
  c.relayModules.SetBlockLength(usual.relayBlock);
  c.networkMaster.SetMasterBlockLen(usual.masterBlock);
  c.networkMaster.F15BlockLen = usual.f15Block;
  c.discreteProcessing.SetRecordBlockLen(usual.recordBlock);
  c.service.UnitsBlockLen = usual.unitsBlock;
  c.service.TextBlockLen = usual.textBlock;
  c.regulators.SetRegBlockLen(usual.regulatorBlock);
  c.functionBlocks.SetPageByteCount(usual.fbPage);
  c.discreteProcessing.SetSensorBlockLen(usual.sensorBlock);
}

// Everything of the table empty, all 120 records and their names included.
void ClearFunctionBlockTable(FunctionBlocks& fb) {
  fb.SetTableSize(fb.GetCapacity());
  for (int p = 0; p < fb.GetPageCount(); ++p) fb.LoadPage(p, {});
  fb.ResetAfterRead();
}

// The controller blocks a file does not hold whole (the output texts never
// reach a controller and do not count).
std::vector<int> DeviceBlocksPastTheEnd(const std::vector<ZulSection>& layout, size_t size) {
  std::vector<int> missing;
  for (const auto& s : layout) {
    const bool deviceBlock = s.key < kZulDeviceIndex &&
                             (s.key < ServiceBlock::kFirstOutTextBlockNumber ||
                              s.key >= ServiceBlock::kFirstOutTextBlockNumber + ServiceBlock::kOutTextBlocks);
    if (deviceBlock && s.offset + s.length > size) missing.push_back(s.key);
  }
  std::sort(missing.begin(), missing.end());
  return missing;
}

// --- building the image -------------------------------------------------------------------------

template <typename Bytes>
std::vector<uint8_t> Fitted(const Bytes& bytes, size_t length) {
  std::vector<uint8_t> out(length, 0);
  std::copy_n(std::begin(bytes), std::min<size_t>(length, std::size(bytes)), out.begin());
  return out;
}

}  // namespace

ZulFileKind RecogniseZulFileSize(uintmax_t size) {
  const uintmax_t kib = size / kKiB;
  if (kib > 36) return ZulFileKind::For120Fb;
  if (kib == 17) return ZulFileKind::For60Fb;
  if (kib == 12) return ZulFileKind::For40Fb;
  if (kib < 8) return ZulFileKind::Unrecognised;
  return ZulFileKind::Readable;
}

int FunctionBlockTableSizeOfFile(uintmax_t size, ZulBlockLengths lengths) {
  // Recognised by its whole kibibytes, as every layout is: a 60-block file cut
  // short is still a 60-block file, never a 120-block one whose later pages
  // would be taken from its names.
  lengths.fbTableSize = kZulSmallTableSize;
  return size / kKiB == ZulFileSize(lengths) / kKiB ? kZulSmallTableSize : FunctionBlocks::kCapacity;
}

ZulBlockLengths ZulLengthsOf(const Configuration& c) {
  ZulBlockLengths l;
  l.fbTableSize = c.functionBlocks.GetTableSize();
  return l;
}

std::vector<uint8_t> ZulFileBytes(const Configuration& c) {
  const ZulBlockLengths lengths = ZulLengthsOf(c);
  const auto layout = ZulFileLayout(lengths);
  auto length = [&](int key) { return FindSection(layout, key)->length; };
  ZulSections s;
  const ServiceBlock& serv = c.service;

  s[kZulDeviceIndex] = {serv.ConfiguredDevice};
  auto identity = serv.Identity;
  identity[ServiceBlock::kIdDoCount] = static_cast<uint8_t>(serv.DoCount);
  identity[ServiceBlock::kIdSignalCount] = static_cast<uint8_t>(serv.SignalCount);
  identity[ServiceBlock::kIdAnalogSignalCount] = static_cast<uint8_t>(serv.AnalogSignalCount);
  s[kZulIdentity] = Fitted(identity, kZulIdentitySize);

  const int analog = std::clamp(serv.AiModules, 0, AnalogModules::kModules);
  for (int k = 0; k < 8; ++k) {
    if (k < analog) {
      s[k + 1] = Fitted(c.analogModules.GetRecord(k), length(k + 1));
    } else {
      auto part = Fitted(c.networkMaster.Records[static_cast<size_t>(k - analog)], length(k + 1));
      part[0] = static_cast<uint8_t>(k + 1);
      s[k + 1] = std::move(part);
    }
  }
  s[RelayModules::kBlockNumber] = Fitted(c.relayModules.GetBlock(), length(RelayModules::kBlockNumber));
  s[NetworkMaster::kMasterBlockNumber] =
      Fitted(c.networkMaster.MasterBlock, length(NetworkMaster::kMasterBlockNumber));
  s[Function15Blocks::kBlockNumber] =
      Fitted(c.function15Blocks.GetBlock(), length(Function15Blocks::kBlockNumber));

  for (int b = 0; b < DiscreteProcessing::kBlocks; ++b) {
    std::vector<uint8_t> block;
    for (int r = 0; r < DiscreteProcessing::kBlockRecords; ++r) {
      const auto& record = c.discreteProcessing.Record(b * DiscreteProcessing::kBlockRecords + r);
      block.insert(block.end(), record.begin(), record.end());
    }
    s[DiscreteProcessing::kFirstBlockNumber + b] =
        Fitted(block, length(DiscreteProcessing::kFirstBlockNumber + b));
  }
  s[AnalogModules::kUnitsBlockNumber] =
      Fitted(c.analogModules.GetUnits(), length(AnalogModules::kUnitsBlockNumber));
  for (int n = 0; n < ServiceBlock::kTextBlocks; ++n) {
    std::vector<uint8_t> block;
    for (int k = 0; k < ServiceBlock::kTextsPerBlock; ++k) {
      const auto& row = serv.Text[static_cast<size_t>(n * ServiceBlock::kTextsPerBlock + k)];
      block.insert(block.end(), row.begin(), row.end());
    }
    s[ServiceBlock::kFirstTextBlockNumber + n] =
        Fitted(block, length(ServiceBlock::kFirstTextBlockNumber + n));
  }
  for (int n = 0; n < ServiceBlock::kOutTextBlocks; ++n) {
    std::vector<uint8_t> block;
    for (int k = 0; k < ServiceBlock::kOutTextsPerBlock; ++k) {
      const auto& row = serv.OutText[static_cast<size_t>(n * ServiceBlock::kOutTextsPerBlock + k)];
      block.insert(block.end(), row.begin(), row.end());
    }
    s[ServiceBlock::kFirstOutTextBlockNumber + n] =
        Fitted(block, length(ServiceBlock::kFirstOutTextBlockNumber + n));
  }
  auto regulatorBlock = [&](const std::array<Regulators::Record, Regulators::RecordCount>& records, int key) {
    std::vector<uint8_t> block;
    for (const auto& r : records) block.insert(block.end(), r.begin(), r.end());
    s[key] = Fitted(block, length(key));
  };
  regulatorBlock(c.regulators.Loops, Regulators::LoopBlockNumber);
  regulatorBlock(c.regulators.Programs, Regulators::ProgramBlockNumber);

  // Packing goes through the table's page buffers; work on a copy so the
  // configuration stays untouched.
  auto fb = std::make_unique<FunctionBlocks>(c.functionBlocks);
  for (int p = 0; p < fb->GetPageCount(); ++p) {
    fb->StorePage(p);
    s[68 + p] = Fitted(fb->PageBuf(), length(68 + p));
    fb->StoreTextPage(p);
    s[kZulFbTextPage + p] = Fitted(fb->TextPageBuf(), length(kZulFbTextPage + p));
  }
  std::vector<uint8_t> algorithms(fb->AlgorithmDataSize(), 0);
  fb->StoreAlgorithmData(algorithms);
  const size_t starts = length(kZulAlgStart);
  const size_t members = length(kZulAlgMembers);
  s[kZulAlgStart] =
      Fitted(std::span<const uint8_t>(algorithms).first(std::min(starts, algorithms.size())), starts);
  std::vector<uint8_t> rest(
      algorithms.begin() + static_cast<std::ptrdiff_t>(std::min(starts, algorithms.size())),
      algorithms.end());
  s[kZulAlgMembers] = Fitted(rest, members);
  s[kZulAlgCount] = {static_cast<uint8_t>(fb->GetAlgCount())};
  s[DiscreteProcessing::kSensorBlockNumber] =
      Fitted(c.discreteProcessing.SensorTypes(), length(DiscreteProcessing::kSensorBlockNumber));

  return ZulJoin(s, lengths).value_or(std::vector<uint8_t>{});
}

bool LoadZulFileBytes(std::span<const uint8_t> file, Configuration& c) {
  ZulBlockLengths lengths;
  lengths.fbTableSize = FunctionBlockTableSizeOfFile(file.size(), lengths);
  // Blocks beyond a 60-block table are emptied, not kept from before.
  ClearFunctionBlockTable(c.functionBlocks);
  c.functionBlocks.SetTableSize(lengths.fbTableSize);
  const auto layout = ZulFileLayout(lengths);

  UseUsualBlockLengths(c);
  LoadHead(layout, file, c);
  LoadSlots(layout, file, c);
  LoadNetwork(layout, file, c);
  LoadRecordsAndTexts(layout, file, c);
  LoadRegulators(layout, file, c);
  LoadFunctionBlocks(layout, file, c);
  LoadSensorTypes(layout, file, c);
  c.blocksMissingFromFile = DeviceBlocksPastTheEnd(layout, file.size());
  return file.size() >= layout.back().offset + layout.back().length;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

ZulOpenResult OpenZulFile(const std::filesystem::path& path, Configuration& c, Interaction& ui) {
  auto cannotOpen = [&] {
    ui.Show(kZulCannotOpenCaption, kZulCannotOpen, Icon::Warning);
    c.service.ReopenFile = 0;
    return ZulOpenResult::CannotOpen;
  };
  std::error_code ec;
  const uintmax_t size =
      std::filesystem::is_regular_file(path, ec) ? std::filesystem::file_size(path, ec) : 0;
  if (ec || !std::filesystem::is_regular_file(path, ec)) return cannotOpen();
  // The size decides before anything is read, so a huge file is never taken into memory.
  switch (RecogniseZulFileSize(size)) {
    case ZulFileKind::For120Fb:
      ui.Show(kCaptionWarning, kZulFile120Fb, Icon::Warning);
      c.functionBlocks.SetTableSize(c.functionBlocks.GetCapacity());
      return ZulOpenResult::Refused;
    case ZulFileKind::For60Fb:
      ui.Show(kCaptionWarning, kZulFile60Fb, Icon::Warning);
      c.functionBlocks.SetTableSize(60);
      return ZulOpenResult::Refused;
    case ZulFileKind::For40Fb:
      ui.Show(kCaptionWarning, kZulFile40Fb, Icon::Warning);
      return ZulOpenResult::Refused;
    case ZulFileKind::Unrecognised:
      ui.Show(kCaptionWarning, kZulFileUnknown, Icon::Warning);
      return ZulOpenResult::Refused;
    case ZulFileKind::Readable:
      break;
  }
  const auto file = ReadWholeFile(path);
  if (!file) return cannotOpen();
  const bool whole = LoadZulFileBytes(*file, c);
  c.service.FileMode = 1;
  c.service.FileChanged = 0;
  c.service.ReopenFile = 0;
  // What a save would write now is the measure of every later change.
  TakeImage(c);
  if (!whole) {
    ui.Show(kCaptionWarning, kZulFileShort, Icon::Warning);
    return ZulOpenResult::LoadedShort;
  }
  return ZulOpenResult::Loaded;
}

std::optional<std::filesystem::path> ZulFileName(const std::filesystem::path& chosen) {
  const std::string ext = chosen.extension().string();
  if (ext.empty()) {
    std::filesystem::path named = chosen;
    named += ".zul";
    return named;
  }
  std::string lower = ext;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char ch) { return std::tolower(ch); });
  if (lower == ".zul") return chosen;
  return std::nullopt;
}

bool WriteFileReplacing(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::random_device random;
  RemoveLeftoverTemporaries(path);
  fs::path temp;
  for (int attempt = 0; attempt < 8; ++attempt) {
    temp = TemporaryFileFor(path, random());
    if (!fs::exists(temp, ec)) break;
  }
  // On the disk before it replaces the old file: a power cut then leaves the
  // old file or the new one, never an empty one.
  if (!WriteSynced(temp, bytes)) {
    fs::remove(temp, ec);
    return false;
  }
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  SyncFolder(path.has_parent_path() ? path.parent_path() : fs::path("."));
  return true;
}

ZulSaveResult SaveZulFile(const std::filesystem::path& chosen, Configuration& c, Interaction& ui,
                          std::filesystem::path* savedAs) {
  const auto path = ZulFileName(chosen);
  if (!path) {
    ui.Show(kZulWrongNameCaption, kZulWrongName, Icon::Warning);
    return ZulSaveResult::WrongName;
  }
  std::error_code ec;
  if (std::filesystem::exists(*path, ec)) {
    if (ui.Ask({kZulReplaceCaption, kZulReplace, Icon::Question, Buttons::YesNo, Answer::No}) != Answer::Yes)
      return ZulSaveResult::ChooseAnotherName;
    const auto old = ReadWholeFile(*path).value_or(std::vector<uint8_t>{});
    bool same = old.size() >= 1 + 1 + ServiceBlock::kSlots;
    for (int s = 0; same && s < ServiceBlock::kSlots; ++s)
      same = old[static_cast<size_t>(2 + s)] == c.service.ModuleType[static_cast<size_t>(s)];
    if (!same) {
      if (ui.Ask({kZulMismatchCaption, kZulMismatch, Icon::Question, Buttons::YesNo, Answer::Yes}) ==
          Answer::Yes)
        return ZulSaveResult::ChooseAnotherName;
      return ZulSaveResult::Cancelled;
    }
  }
  // The identity carries the counts as they are now.
  c.service.Identity[ServiceBlock::kIdDoCount] = static_cast<uint8_t>(c.service.DoCount);
  c.service.Identity[ServiceBlock::kIdSignalCount] = static_cast<uint8_t>(c.service.SignalCount);
  c.service.Identity[ServiceBlock::kIdAnalogSignalCount] = static_cast<uint8_t>(c.service.AnalogSignalCount);
  const auto bytes = ZulFileBytes(c);
  if (bytes.empty() || !WriteFileReplacing(*path, bytes)) {
    ui.Show(kZulCannotCreateCaption, kZulCannotCreate, Icon::Warning);
    return ZulSaveResult::CannotCreate;
  }
  c.service.FileChanged = 0;
  c.discreteProcessing.Modified = 0;
  // In device mode the image stays the controller's; a file is no controller.
  if (c.service.FileMode == 1) TakeImage(c);
  if (savedAs) *savedAs = *path;
  return ZulSaveResult::Saved;
}

}  // namespace zul
