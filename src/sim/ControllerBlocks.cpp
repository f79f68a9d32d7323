#include "sim/ControllerBlocks.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "core/config/ZulFile.h"
#include "core/model/Cp1251.h"
#include "core/model/Float24.h"

namespace zul {
namespace {

constexpr int kChannelSize = 28;
constexpr int kRecordSize = 11;
constexpr int kRecordsPerBlock = 18;
constexpr int kFbRecordSize = 19;
constexpr int kFbRecordsPerPage = 10;

BlockBytes EmptyBlock(int block) {
  BlockBytes b(static_cast<size_t>(ControllerBlockLength(block)), 0);
  b[0] = static_cast<uint8_t>(block);
  return b;
}

void PutFloat(uint8_t* at, float value) { FloatToFloat24(value, at); }

struct ChannelDefaults {
  uint8_t byte0;
  uint8_t byte1;
  float scaleMin, scaleMax, ll, l, h, hh;
  std::string position;
};

void PutChannel(BlockBytes& record, int channel, const ChannelDefaults& d) {
  uint8_t* c = record.data() + 1 + kChannelSize * channel;
  c[0] = d.byte0;
  c[1] = d.byte1;
  PutFloat(c + 2, d.scaleMin);
  PutFloat(c + 5, d.scaleMax);
  PutFloat(c + 8, d.ll);
  PutFloat(c + 11, d.l);
  PutFloat(c + 14, d.h);
  PutFloat(c + 17, d.hh);
  SetTextField(c + 20, 8, d.position);
}

// Module channels get setpoints inside the scale so that a moving value
// passes through every alarm state.
BlockBytes AnalogModuleBlock(int number, int type) {
  BlockBytes record = EmptyBlock(number);
  std::string typeDigit = std::to_string(type).substr(0, 1);
  for (int c = 0; c < 6; ++c) {
    ChannelDefaults d{
        0x10, 0, 0.0f, 100.0f, 5.0f, 15.0f, 85.0f, 95.0f, "поз." + typeDigit + "10" + std::to_string(c + 1)};
    if (type == kThermoModuleType) {
      d.byte0 = 0x0A;  // unit 0 (град.С), sensor 100П
      d.byte1 = 30;    // range 0..100
    }
    PutChannel(record, c, d);
  }
  return record;
}

BlockBytes NetworkPartBlock(int number, int part) {
  BlockBytes record = EmptyBlock(number);
  for (int c = 0; c < 6; ++c) {
    char position[16];
    std::snprintf(position, sizeof position, "%02d", part * 6 + c + 1);
    PutChannel(record, c,
               {0x10, 0, 0.0f, 100.0f, 0.0f, 0.0f, 100.0f, 100.0f, std::string("поз.51") + position});
  }
  return record;
}

BlockBytes RelayBlock(int relayModules) {
  BlockBytes block = EmptyBlock(9);
  for (int m = 0; m < relayModules && m < 8; ++m) {
    for (int o = 0; o < 8; ++o) block[1 + 24 * m + 3 * o] = 0x17;  // control output with interlock
  }
  return block;
}

// Processing records as a new configuration gets them.
std::vector<std::array<uint8_t, kRecordSize>> DefaultRecords(const Composition& comp) {
  std::vector<std::array<uint8_t, kRecordSize>> records(252);
  for (auto& r : records) r = {0x20};
  const int d = comp.DiModules();
  const int a = comp.AiModules();
  for (int g = 0; g < d; ++g) {
    for (int h = 0; h < 12; ++h) records[12 * g + h][0] = static_cast<uint8_t>(0x80 | 0x20 | (g + 1));
  }
  for (int j = 0; j < a; ++j) {
    for (int h = 0; h < 24; ++h) {
      int limit = h % 4;  // LL, L, H, HH
      uint8_t alarm = (limit == 1 || limit == 2) ? 0x40 : 0x80;
      records[12 * d + 24 * j + h][0] = static_cast<uint8_t>(alarm | 0x20 | ((d + j + 1) & 0x1F));
    }
  }
  for (int s = 0; s < 12 * d + 24 * a && s < 252; ++s) records[s][9] |= 0x80;
  if (comp.DoModules() > 0) {
    for (int s = 0; s < 24; ++s) {
      records[s][9] = static_cast<uint8_t>((records[s][9] & 0xC0) | 5);
      records[s][1] = 1;
    }
  }
  return records;
}

void PutText(uint8_t* at, const std::string& text) { SetTextField(at, 14, text); }

std::string DefaultSignalText(int s) {
  char number[12];  // room for any int, so the compiler sees no truncation
  std::snprintf(number, sizeof number, "%03d", s + 1);
  return std::string("Дискр.сигн.") + number;
}

struct FbRecord {
  std::array<uint8_t, kFbRecordSize> bytes{};
};

std::vector<FbRecord> DefaultFunctionBlocks(const Composition& comp) {
  std::vector<FbRecord> fbs;
  const uint8_t direct = 0x08;
  if (comp.DiCount() >= 3) {
    FbRecord andBlock;  // DI 1 AND DI 2 -> relay output 1 of module 1
    andBlock.bytes = {1, direct, 1, direct, 2};
    if (comp.DoModules() > 0) andBlock.bytes[10] = 0x01;
    fbs.push_back(andBlock);

    FbRecord timer;  // on-delay of 5 s on DI 3
    timer.bytes = {6, direct, 3, 0, 0, 1, 5, 0};
    fbs.push_back(timer);

    FbRecord orBlock;  // FB1 OR FB2 -> relay output 2 of module 1, warning alarm in cell 1
    orBlock.bytes = {3, direct | 1, 1, direct | 1, 2};
    orBlock.bytes[9] = 0x40 | 1;
    if (comp.DoModules() > 0) orBlock.bytes[10] = 0x02;
    fbs.push_back(orBlock);
  }
  if (comp.AiCount() > 0) {
    FbRecord comparator;  // analog 1 above 80 for 3 s, 2 % hysteresis
    comparator.bytes[0] = 8;
    comparator.bytes[1] = 1;
    PutFloat(comparator.bytes.data() + 2, 80.0f);
    comparator.bytes[5] = 0x80 | (2 << 2) | 1;
    comparator.bytes[6] = 3;
    fbs.push_back(comparator);
  }
  return fbs;
}

void PutRegulators(BlockStore& store, const Composition& comp) {
  BlockBytes& loops = store[32];
  const int loopsWanted = std::min(2, comp.AiCount());
  for (int r = 0; r < loopsWanted; ++r) {
    uint8_t* l = loops.data() + 1 + 28 * r;
    l[0] = static_cast<uint8_t>(r + 1);  // PV: analog input r + 1
    l[1] = 1;                            // own setpoint
    l[2] = static_cast<uint8_t>(r);      // DAC output r + 1
    PutFloat(l + 6, r == 0 ? 1.0f : 2.0f);
    PutFloat(l + 9, r == 0 ? 30.0f : 20.0f);
    PutFloat(l + 12, 0.0f);
    PutFloat(l + 15, 0.0f);
    PutFloat(l + 18, 100.0f);
    PutFloat(l + 21, 25.0f);
  }
  BlockBytes& programs = store[33];
  for (int p = 0; p < 6; ++p) {
    uint8_t* rec = programs.data() + 1 + 28 * p;
    for (int t = 0; t < 6; ++t) {
      int value = static_cast<int>((15 * t + 15) * 0.01 * 16383);
      rec[1 + 4 * t] = 60;
      rec[3 + 4 * t] = static_cast<uint8_t>(value & 0xFF);
      rec[4 + 4 * t] = static_cast<uint8_t>(value >> 8);
    }
  }
}

}  // namespace

int ControllerBlockLength(int block) {
  if (block >= 1 && block <= 8) return 169;
  if (block >= 12 && block <= 25) return 199;
  if (block >= 40 && block <= 51) return 225;
  if (block >= 52 && block <= 55) return 141;
  if (block >= 60 && block <= 67) return 43;
  if (block >= 68 && block <= 79) return 191;
  switch (block) {
    case 9:
      return 193;
    case 10:
      return 194;
    case 11:
      return 81;
    case 32:
    case 33:
      return 169;
    case 35:
      return 97;
    case 98:
      return 33;
    default:
      return 0;
  }
}

bool IsStoredBlock(int block) { return ControllerBlockLength(block) > 0 && !(block >= 60 && block <= 67); }

std::vector<int> StoredBlockNumbers() {
  std::vector<int> numbers;
  for (int b = 1; b < 256; ++b) {
    if (IsStoredBlock(b)) numbers.push_back(b);
  }
  return numbers;
}

BlockStore DefaultBlocks(const Composition& comp) {
  BlockStore store;
  for (int b : StoredBlockNumbers()) store[b] = EmptyBlock(b);

  const int ai = comp.AiModules();
  for (int k = 0; k < 8; ++k) {
    store[k + 1] =
        k < ai ? AnalogModuleBlock(k + 1, comp.AnalogModuleType(k)) : NetworkPartBlock(k + 1, k - ai);
  }
  store[9] = RelayBlock(comp.DoModules());

  auto records = DefaultRecords(comp);
  for (int b = 0; b < 14; ++b) {
    BlockBytes& block = store[12 + b];
    for (int i = 0; i < kRecordsPerBlock; ++i) {
      std::copy(records[kRecordsPerBlock * b + i].begin(), records[kRecordsPerBlock * b + i].end(),
                block.begin() + 1 + kRecordSize * i);
    }
  }

  if (comp.Has(kRegulatorModuleType)) PutRegulators(store, comp);

  static const char* const kUnits[16] = {"град.С", "%",   "МПа",    "КПа",   "кг/cм2", "атм",
                                         "об/мин", "1/с", "мм/с2",  "м3/ч",  "нм3/ч",  "кг/ч",
                                         "т/ч",    "м",   "резерв", "резерв"};
  for (int u = 0; u < 16; ++u) SetTextField(store[35].data() + 1 + 6 * u, 6, kUnits[u]);

  const int signals = CountSignals(comp, store[10]).discrete;
  for (int s = 0; s < 192; ++s) {
    uint8_t* at = store[40 + s / 16].data() + 1 + 14 * (s % 16);
    PutText(at, s < signals ? DefaultSignalText(s) : "");
  }
  for (int o = 0; o < 40; ++o) {
    uint8_t* at = store[52 + o / 10].data() + 1 + 14 * (o % 10);
    PutText(at, o < comp.DoCount() ? "Выход DO_" + std::to_string(o / 8 + 1) + "_" + std::to_string(o % 8 + 1)
                                   : "");
  }

  auto fbs = DefaultFunctionBlocks(comp);
  for (size_t i = 0; i < fbs.size(); ++i) {
    BlockBytes& page = store[68 + static_cast<int>(i) / kFbRecordsPerPage];
    std::copy(fbs[i].bytes.begin(), fbs[i].bytes.end(),
              page.begin() + 1 + kFbRecordSize * (i % kFbRecordsPerPage));
  }
  return store;
}

BlockStore RandomBlocks(uint64_t seed) {
  BlockStore store;
  std::mt19937_64 random(seed);
  for (int b : StoredBlockNumbers()) {
    BlockBytes block = EmptyBlock(b);
    for (size_t i = 1; i < block.size(); ++i) block[i] = static_cast<uint8_t>(random());
    store[b] = std::move(block);
  }
  return store;
}

SignalCounts CountSignals(const Composition& comp, const BlockBytes& master) {
  int discrete = comp.DiCount() + 4 * comp.AiCount();
  int analog = comp.AiCount();
  for (int k = 0; k < 16; ++k) {
    size_t at = 1 + 12 * static_cast<size_t>(k);
    if (at + 1 >= master.size()) break;
    int function = master[at];
    int outputs = master[at + 1];
    if (function == 1 || function == 2) discrete += outputs;
    if (function == 3 || function == 4) {
      discrete += 4 * outputs;
      analog += outputs;
    }
  }
  return {std::min(discrete, 252), std::min(analog, 48)};
}

std::vector<uint8_t> MakeIdentity(const Composition& comp, const BlockBytes& master) {
  std::vector<uint8_t> id(kZulIdentitySize, 0);
  id[0] = static_cast<uint8_t>(comp.DiModules() + comp.AiModules() + comp.DoModules());
  std::copy(comp.modules.begin(), comp.modules.end(), id.begin() + 1);
  SignalCounts counts = CountSignals(comp, master);
  id[19] = static_cast<uint8_t>(comp.DoCount());
  id[20] = static_cast<uint8_t>(counts.discrete);
  id[21] = static_cast<uint8_t>(counts.analog);
  id[22] = static_cast<uint8_t>(comp.indicationType);
  return id;
}

namespace {

ZulBlockLengths LengthsFor(int fbTableSize) {
  ZulBlockLengths lengths;
  lengths.fbTableSize = fbTableSize;
  return lengths;
}

}  // namespace

std::optional<ZulImage> ReadZulImage(const std::vector<uint8_t>& file, std::string* error) {
  const size_t small = ZulFileSize(LengthsFor(kZulSmallTableSize));
  if (file.size() != kZulFileSize && file.size() != small) {
    *error = "a configuration file has " + std::to_string(kZulFileSize) + " bytes (" + std::to_string(small) +
             " for 60 function blocks), this one " + std::to_string(file.size());
    return std::nullopt;
  }
  ZulImage image;
  image.fbTableSize = FunctionBlockTableSizeOfFile(file.size());
  const ZulBlockLengths lengths = LengthsFor(image.fbTableSize);
  ZulSplitResult split = ZulSplit(file.data(), file.size(), lengths);
  for (const ZulSection& s : ZulFileLayout(lengths)) {
    const auto& stored = split.sections.at(s.key);
    if (IsStoredBlock(s.key)) {
      image.blocks[s.key] = ZulSectionToBlock(s, stored);
      image.blocks[s.key][0] = static_cast<uint8_t>(s.key);
    } else if (s.key == kZulIdentity) {
      for (int slot = 0; slot < kModuleSlots; ++slot) {
        uint8_t type = stored[1 + slot];
        image.composition.modules[slot] = type <= kMaxModuleType ? type : 0;
      }
      image.composition.indicationType = stored[22] <= 4 ? stored[22] : 0;
    } else {
      if (s.key == kZulDeviceIndex) image.deviceIndex = stored[0];
      image.fileOnly[s.key] = stored;
    }
  }
  return image;
}

std::vector<uint8_t> WriteZulImage(const ZulImage& image, const std::vector<uint8_t>& identity) {
  ZulSections sections = image.fileOnly;
  sections[kZulDeviceIndex] = {static_cast<uint8_t>(image.deviceIndex)};
  sections[kZulIdentity] = identity;
  sections[kZulIdentity].resize(kZulIdentitySize, 0);
  const ZulBlockLengths lengths = LengthsFor(image.fbTableSize);
  for (const ZulSection& s : ZulFileLayout(lengths)) {
    auto block = image.blocks.find(s.key);
    if (block != image.blocks.end()) {
      sections[s.key] = ZulBlockToSection(s, block->second);
    } else if (!sections.count(s.key)) {
      if (s.key >= kZulFbTextPage && s.key < kZulFbTextPage + 12) sections[s.key].assign(s.length, ' ');
      if (s.key == kZulAlgStart || s.key == kZulAlgMembers) sections[s.key].assign(s.length, 255);
    }
  }
  return ZulJoin(sections, lengths).value_or(std::vector<uint8_t>{});
}

}  // namespace zul
