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

int Clamped(int length, int usual) { return std::clamp(length, 1, usual); }

void CopyTextRow(const std::array<uint8_t, TServClass::kTextWidth>& text, TReservBlocksClass::TextRow& row) {
  row.fill(0);
  std::copy(text.begin(), text.end(), row.begin());
}

// --- loading, block by block, in the order the open command reads them ------------------------

void LoadHead(const std::vector<ZulSection>& layout, std::span<const uint8_t> file, Configuration& c) {
  TServClass& serv = c.Serv;
  const auto device = SectionBytes(file, *FindSection(layout, kZulDeviceIndex));
  // The stored device index is used: a configuration saved for device 5 opens
  // for device 5 and saves back byte for byte. An index no device can have is ignored.
  if (device[0] <= 30) serv.ConfiguredDevice = device[0];
  serv.LoadIdentity(SectionBytes(file, *FindSection(layout, kZulIdentity)));
  serv.GetIndicationCells();
  c.ReservBlocks.SignalCount = serv.SignalCount;
  c.ReservBlocks.AnalogSignalCount = serv.AnalogSignalCount;
  serv.ClearIdentifiers();
  serv.ClearTexts();
  // Output texts 40..63 never travel in the file; blank them so nothing of the
  // previous configuration stays behind.
  for (auto& row : serv.OutText) row.fill(' ');
  serv.DefaultIdentifiers();
  serv.DefaultOutputIdentifiers();
}

void LoadSlots(const std::vector<ZulSection>& layout, std::span<const uint8_t> file, Configuration& c) {
  c.ProgMBA.ResetModuleState();
  c.ProgMR.ResetModuleState();
  const int analog = std::clamp(c.Serv.AiModules, 0, TProgMBAClass::kModules);
  // Records the file does not fill are emptied, not left from before.
  for (int m = 0; m < TProgMBAClass::kModules; ++m) c.ProgMBA.LoadRecord(m, {});
  for (int r = 0; r < TProgMBMClass::kRecords; ++r) c.ProgMBM.LoadRecord(r, nullptr, 0);
  for (int k = 0; k < 8; ++k) {
    const auto bytes = SectionBytes(file, *FindSection(layout, k + 1));
    if (k < analog) {
      c.ProgMBA.LoadRecord(k, bytes);
      auto& reserve = c.ReservBlocks.ModuleRecords[static_cast<size_t>(k)];
      reserve.fill(0);
      std::copy_n(bytes.begin(), std::min(bytes.size(), reserve.size()), reserve.begin());
    } else {
      c.ProgMBM.LoadRecord(k - analog, bytes.data(), bytes.size());
      auto& reserve = c.ReservBlocks.NetParts[static_cast<size_t>(k - analog)];
      reserve.fill(0);
      std::copy_n(bytes.begin(), std::min(bytes.size(), reserve.size()), reserve.begin());
    }
  }
}

void LoadNetwork(const std::vector<ZulSection>& layout, std::span<const uint8_t> file, Configuration& c) {
  const auto relay = SectionBytes(file, *FindSection(layout, TProgMRClass::kBlockNumber));
  c.ProgMR.LoadBlock(relay);
  c.ReservBlocks.RelayBlock.fill(0);
  std::copy_n(relay.begin(), std::min(relay.size(), c.ReservBlocks.RelayBlock.size()),
              c.ReservBlocks.RelayBlock.begin());

  const auto master = SectionBytes(file, *FindSection(layout, TProgMBMClass::kMasterBlockNumber));
  c.ProgMBM.MasterBlock.fill(0);
  std::copy_n(master.begin(), std::min(master.size(), c.ProgMBM.MasterBlock.size()),
              c.ProgMBM.MasterBlock.begin());
  c.ReservBlocks.MasterBlock = c.ProgMBM.MasterBlock;

  const auto f15 = SectionBytes(file, *FindSection(layout, TProgF15Class::kBlockNumber));
  c.ProgF15.LoadBlock(f15);
  c.ReservBlocks.F15Block.fill(0);
  std::copy_n(f15.begin(), std::min(f15.size(), c.ReservBlocks.F15Block.size()),
              c.ReservBlocks.F15Block.begin());

  if (c.Serv.FirstNetSignal() < c.Serv.SignalCount) c.ProgMBM.RebuildNetSignals(c.Serv);
  c.ReservBlocks.Ident = c.Serv.Ident;
  c.ReservBlocks.OutIdent = c.Serv.OutIdent;
}

void LoadRecordsAndTexts(const std::vector<ZulSection>& layout, std::span<const uint8_t> file,
                         Configuration& c) {
  for (int b = 0; b < TProgZulClass::kBlocks; ++b) {
    c.ProgZul.LoadBlockFromFile(
        SectionBytes(file, *FindSection(layout, TProgZulClass::kFirstBlockNumber + b)));
    c.ProgZul.UnpackBlock(b);
  }
  for (int i = 0; i < TProgZulClass::kSignals; ++i)
    c.ReservBlocks.ProcessingRecords[static_cast<size_t>(i)] = c.ProgZul.Record(i);

  const auto units = SectionBytes(file, *FindSection(layout, TProgMBAClass::kUnitsBlockNumber));
  c.ProgMBA.LoadUnits(units);
  c.ReservBlocks.UnitsBlock.fill(0);
  std::copy_n(units.begin(), std::min(units.size(), c.ReservBlocks.UnitsBlock.size()),
              c.ReservBlocks.UnitsBlock.begin());

  TServClass& serv = c.Serv;
  for (int n = 0; n < TServClass::kTextBlocks; ++n) {
    serv.TextBuf.fill(0);
    serv.LoadTextBlockRaw(SectionBytes(file, *FindSection(layout, TServClass::kFirstTextBlockNumber + n)));
    serv.PutTextBlock(n);
  }
  for (int i = 0; i < TServClass::kSignals; ++i)
    CopyTextRow(serv.Text[static_cast<size_t>(i)], c.ReservBlocks.Texts[static_cast<size_t>(i)]);
  for (int n = 0; n < TServClass::kOutTextBlocks; ++n) {
    serv.OutTextBuf.fill(0);
    serv.LoadOutputTextBlock(
        SectionBytes(file, *FindSection(layout, TServClass::kFirstOutTextBlockNumber + n)));
    serv.PutOutputTextBlock(n);
  }
  for (int o = 0; o < TServClass::kOutputs; ++o)
    CopyTextRow(serv.OutText[static_cast<size_t>(o)], c.ReservBlocks.OutTexts[static_cast<size_t>(o)]);
}

void LoadRegulators(const std::vector<ZulSection>& layout, std::span<const uint8_t> file, Configuration& c) {
  for (int block : {TProgRegClass::LoopBlockNumber, TProgRegClass::ProgramBlockNumber}) {
    const auto bytes = SectionBytes(file, *FindSection(layout, block));
    c.ProgReg.LoadFromFile(bytes.data(), bytes.size());
    c.ProgReg.Unpack(block);
  }
  c.ReservBlocks.RegulatorRecords[0] = c.ProgReg.Loops;
  c.ReservBlocks.RegulatorRecords[1] = c.ProgReg.Programs;
}

void LoadFunctionBlocks(const std::vector<ZulSection>& layout, std::span<const uint8_t> file,
                        Configuration& c) {
  TProgFBClass& fb = c.ProgFB;
  for (int p = 0; p < fb.GetPageCount(); ++p)
    fb.LoadPage(p, SectionBytes(file, *FindSection(layout, 68 + p)));
  for (int i = 0; i < TProgFBClass::kCapacity; ++i) {
    const auto record = fb.Record(i);
    std::copy(record.begin(), record.end(), c.ReservBlocks.FBRecords[static_cast<size_t>(i)].begin());
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
    for (int r = 0; r < TProgFBClass::kPageRecords; ++r) {
      auto& row = c.ReservBlocks.AlgName[static_cast<size_t>(p * TProgFBClass::kPageRecords + r)];
      std::copy_n(page.begin() + r * TProgFBClass::kNameSize, TProgFBClass::kNameSize, row.begin());
    }
  }
  for (int b = 0; b <= TProgFBClass::kCapacity; ++b) {
    c.ReservBlocks.AlgStart[static_cast<size_t>(b)] = fb.GetAlgStart(b);
    for (int k = 0; k <= TProgFBClass::kCapacity; ++k)
      c.ReservBlocks.AlgMembers[static_cast<size_t>(b)][static_cast<size_t>(k)] = fb.GetAlgMember(b, k);
  }
  c.ReservBlocks.AlgCount = fb.GetAlgCount();
}

void LoadSensorTypes(const std::vector<ZulSection>& layout, std::span<const uint8_t> file, Configuration& c) {
  auto bytes = SectionBytes(file, *FindSection(layout, TProgZulClass::kSensorBlockNumber));
  bytes.resize(TProgZulClass::kSensorBytes, 0);
  c.ProgZul.LoadSensorTypesFromFile(bytes);
  c.ProgZul.UnpackSensorTypes();
  for (int k = 0; k < TReservBlocksClass::kSensorTypeBytes; ++k)
    c.ReservBlocks.SensorTypes[static_cast<size_t>(k)] = static_cast<uint8_t>(c.ProgZul.GetSensorTypeByte(k));
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

ZulBlockLengths ZulLengthsOf(const Configuration& c) {
  const ZulBlockLengths usual;
  ZulBlockLengths l;
  l.analogRecord = Clamped(c.ProgMBA.GetRecordLength(), usual.analogRecord);
  l.relayBlock = Clamped(c.ProgMR.GetBlockLength(), usual.relayBlock);
  l.masterBlock = Clamped(c.ProgMBM.MasterBlockLen, usual.masterBlock);
  l.f15Block = Clamped(c.ProgMBM.F15BlockLen, usual.f15Block);
  l.recordBlock = Clamped(c.ProgZul.GetRecordBlockLen(), usual.recordBlock);
  l.unitsBlock = Clamped(c.Serv.UnitsBlockLen, usual.unitsBlock);
  l.textBlock = Clamped(c.Serv.TextBlockLen, usual.textBlock);
  l.regulatorBlock = Clamped(c.ProgReg.RegBlockLen, usual.regulatorBlock);
  l.fbPage = Clamped(c.ProgFB.GetPageByteCount(), usual.fbPage);
  l.sensorBlock = Clamped(c.ProgZul.GetSensorBlockLen(), usual.sensorBlock);
  l.fbTableSize = c.ProgFB.GetTableSize();
  return l;
}

std::vector<uint8_t> ZulFileBytes(const Configuration& c) {
  const ZulBlockLengths lengths = ZulLengthsOf(c);
  const auto layout = ZulFileLayout(lengths);
  auto length = [&](int key) { return FindSection(layout, key)->length; };
  ZulSections s;
  const TServClass& serv = c.Serv;

  s[kZulDeviceIndex] = {serv.ConfiguredDevice};
  auto identity = serv.Identity;
  identity[TServClass::kIdDoCount] = static_cast<uint8_t>(serv.DoCount);
  identity[TServClass::kIdSignalCount] = static_cast<uint8_t>(serv.SignalCount);
  identity[TServClass::kIdAnalogSignalCount] = static_cast<uint8_t>(serv.AnalogSignalCount);
  s[kZulIdentity] = Fitted(identity, kZulIdentitySize);

  const int analog = std::clamp(serv.AiModules, 0, TProgMBAClass::kModules);
  for (int k = 0; k < 8; ++k) {
    if (k < analog) {
      s[k + 1] = Fitted(c.ProgMBA.GetRecord(k), length(k + 1));
    } else {
      auto part = Fitted(c.ProgMBM.Records[static_cast<size_t>(k - analog)], length(k + 1));
      part[0] = static_cast<uint8_t>(k + 1);
      s[k + 1] = std::move(part);
    }
  }
  s[TProgMRClass::kBlockNumber] = Fitted(c.ProgMR.GetBlock(), length(TProgMRClass::kBlockNumber));
  s[TProgMBMClass::kMasterBlockNumber] =
      Fitted(c.ProgMBM.MasterBlock, length(TProgMBMClass::kMasterBlockNumber));
  s[TProgF15Class::kBlockNumber] = Fitted(c.ProgF15.GetBlock(), length(TProgF15Class::kBlockNumber));

  for (int b = 0; b < TProgZulClass::kBlocks; ++b) {
    std::vector<uint8_t> block;
    for (int r = 0; r < TProgZulClass::kBlockRecords; ++r) {
      const auto& record = c.ProgZul.Record(b * TProgZulClass::kBlockRecords + r);
      block.insert(block.end(), record.begin(), record.end());
    }
    s[TProgZulClass::kFirstBlockNumber + b] = Fitted(block, length(TProgZulClass::kFirstBlockNumber + b));
  }
  s[TProgMBAClass::kUnitsBlockNumber] =
      Fitted(c.ProgMBA.GetUnits(), length(TProgMBAClass::kUnitsBlockNumber));
  for (int n = 0; n < TServClass::kTextBlocks; ++n) {
    std::vector<uint8_t> block;
    for (int k = 0; k < TServClass::kTextsPerBlock; ++k) {
      const auto& row = serv.Text[static_cast<size_t>(n * TServClass::kTextsPerBlock + k)];
      block.insert(block.end(), row.begin(), row.end());
    }
    s[TServClass::kFirstTextBlockNumber + n] = Fitted(block, length(TServClass::kFirstTextBlockNumber + n));
  }
  for (int n = 0; n < TServClass::kOutTextBlocks; ++n) {
    std::vector<uint8_t> block;
    for (int k = 0; k < TServClass::kOutTextsPerBlock; ++k) {
      const auto& row = serv.OutText[static_cast<size_t>(n * TServClass::kOutTextsPerBlock + k)];
      block.insert(block.end(), row.begin(), row.end());
    }
    s[TServClass::kFirstOutTextBlockNumber + n] =
        Fitted(block, length(TServClass::kFirstOutTextBlockNumber + n));
  }
  auto regulatorBlock = [&](const std::array<TProgRegClass::Record, TProgRegClass::RecordCount>& records,
                            int key) {
    std::vector<uint8_t> block;
    for (const auto& r : records) block.insert(block.end(), r.begin(), r.end());
    s[key] = Fitted(block, length(key));
  };
  regulatorBlock(c.ProgReg.Loops, TProgRegClass::LoopBlockNumber);
  regulatorBlock(c.ProgReg.Programs, TProgRegClass::ProgramBlockNumber);

  // Packing goes through the table's page buffers; work on a copy so the
  // configuration stays untouched.
  auto fb = std::make_unique<TProgFBClass>(c.ProgFB);
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
  s[TProgZulClass::kSensorBlockNumber] =
      Fitted(c.ProgZul.SensorTypes(), length(TProgZulClass::kSensorBlockNumber));

  return ZulJoin(s, lengths).value_or(std::vector<uint8_t>{});
}

bool LoadZulFileBytes(std::span<const uint8_t> file, Configuration& c) {
  // A file is always read with the full table: its page count is the capacity's.
  c.ProgFB.SetTableSize(c.ProgFB.GetCapacity());
  ZulBlockLengths lengths;  // the fixed lengths of the file's blocks ...
  // ... except those that follow what the controller last reported.
  lengths.relayBlock = Clamped(c.ProgMR.GetBlockLength(), lengths.relayBlock);
  lengths.recordBlock = Clamped(c.ProgZul.GetRecordBlockLen(), lengths.recordBlock);
  lengths.unitsBlock = Clamped(c.Serv.UnitsBlockLen, lengths.unitsBlock);
  lengths.textBlock = Clamped(c.Serv.TextBlockLen, lengths.textBlock);
  const auto layout = ZulFileLayout(lengths);

  LoadHead(layout, file, c);
  LoadSlots(layout, file, c);
  LoadNetwork(layout, file, c);
  LoadRecordsAndTexts(layout, file, c);
  LoadRegulators(layout, file, c);
  LoadFunctionBlocks(layout, file, c);
  LoadSensorTypes(layout, file, c);
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
    c.Serv.ReopenFile = 0;
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
      c.ProgFB.SetTableSize(c.ProgFB.GetCapacity());
      return ZulOpenResult::Refused;
    case ZulFileKind::For60Fb:
      ui.Show(kCaptionWarning, kZulFile60Fb, Icon::Warning);
      c.ProgFB.SetTableSize(60);
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
  c.Serv.FileMode = 1;
  c.Serv.FileChanged = 0;
  c.Serv.ReopenFile = 0;
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
  const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
  fs::path temp;
  for (int attempt = 0; attempt < 8; ++attempt) {
    temp = dir / ("." + path.filename().string() + "." + std::to_string(random()) + ".tmp");
    if (!fs::exists(temp, ec)) break;
  }
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
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
    bool same = old.size() >= 1 + 1 + TServClass::kSlots;
    for (int s = 0; same && s < TServClass::kSlots; ++s)
      same = old[static_cast<size_t>(2 + s)] == c.Serv.ModuleType[static_cast<size_t>(s)];
    if (!same) {
      if (ui.Ask({kZulMismatchCaption, kZulMismatch, Icon::Question, Buttons::YesNo, Answer::Yes}) ==
          Answer::Yes)
        return ZulSaveResult::ChooseAnotherName;
      return ZulSaveResult::Cancelled;
    }
  }
  // The identity carries the counts as they are now.
  c.Serv.Identity[TServClass::kIdDoCount] = static_cast<uint8_t>(c.Serv.DoCount);
  c.Serv.Identity[TServClass::kIdSignalCount] = static_cast<uint8_t>(c.Serv.SignalCount);
  c.Serv.Identity[TServClass::kIdAnalogSignalCount] = static_cast<uint8_t>(c.Serv.AnalogSignalCount);
  const auto bytes = ZulFileBytes(c);
  if (bytes.empty() || !WriteFileReplacing(*path, bytes)) {
    ui.Show(kZulCannotCreateCaption, kZulCannotCreate, Icon::Warning);
    return ZulSaveResult::CannotCreate;
  }
  c.Serv.FileChanged = 0;
  c.ProgZul.Modified = 0;
  if (savedAs) *savedAs = *path;
  return ZulSaveResult::Saved;
}

}  // namespace zul
