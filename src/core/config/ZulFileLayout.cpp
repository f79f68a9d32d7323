#include "core/config/ZulFileLayout.h"

namespace zul {
namespace {

bool LengthFits(int length) { return length >= 1 && length <= 256; }

bool LengthsFit(const ZulBlockLengths& l) {
  for (int length : {l.analogRecord, l.relayBlock, l.masterBlock, l.f15Block, l.recordBlock, l.unitsBlock,
                     l.textBlock, l.outputTextBlock, l.regulatorBlock, l.fbPage, l.sensorBlock}) {
    if (!LengthFits(length)) return false;
  }
  return l.fbTableSize >= 10 && l.fbTableSize <= 120 && l.fbTableSize % 10 == 0;
}

class LayoutBuilder {
 public:
  void Add(int key, size_t length, bool withBlockNumber = false) {
    sections_.push_back({key, offset_, length, withBlockNumber});
    offset_ += length;
  }
  std::vector<ZulSection> Take() { return std::move(sections_); }

 private:
  std::vector<ZulSection> sections_;
  size_t offset_ = 0;
};

}  // namespace

std::vector<ZulSection> ZulFileLayout(const ZulBlockLengths& l) {
  if (!LengthsFit(l)) return {};
  // Blocks 1..11 are kept whole; the others lose their block number.
  auto stored = [](int byteCount) { return static_cast<size_t>(byteCount - 1); };
  const int pages = l.fbTableSize / 10;
  const size_t table = static_cast<size_t>(l.fbTableSize);

  LayoutBuilder b;
  b.Add(kZulDeviceIndex, 1);
  b.Add(kZulIdentity, kZulIdentitySize);
  for (int block = 1; block <= 8; ++block) b.Add(block, l.analogRecord, true);
  b.Add(9, l.relayBlock, true);
  b.Add(10, l.masterBlock, true);
  b.Add(11, l.f15Block, true);
  for (int block = 12; block <= 25; ++block) b.Add(block, stored(l.recordBlock));
  b.Add(35, stored(l.unitsBlock));
  for (int block = 40; block <= 51; ++block) b.Add(block, stored(l.textBlock));
  for (int block = 52; block <= 55; ++block) b.Add(block, stored(l.outputTextBlock));
  b.Add(32, stored(l.regulatorBlock));
  b.Add(33, stored(l.regulatorBlock));
  for (int p = 0; p < pages; ++p) b.Add(68 + p, stored(l.fbPage));
  for (int p = 0; p < pages; ++p) b.Add(kZulFbTextPage + p, kZulFbTextPageSize);
  b.Add(kZulAlgStart, table);
  b.Add(kZulAlgMembers, table * table);
  b.Add(kZulAlgCount, 1);
  b.Add(98, stored(l.sensorBlock));
  return b.Take();
}

size_t ZulFileSize(const ZulBlockLengths& lengths) {
  auto layout = ZulFileLayout(lengths);
  return layout.empty() ? 0 : layout.back().offset + layout.back().length;
}

ZulSplitResult ZulSplit(const uint8_t* data, size_t size, const ZulBlockLengths& lengths) {
  ZulSplitResult result;
  auto layout = ZulFileLayout(lengths);
  if (layout.empty() || data == nullptr) return result;
  for (const auto& s : layout) {
    if (s.offset + s.length > size) break;
    result.sections[s.key].assign(data + s.offset, data + s.offset + s.length);
  }
  result.complete = size == layout.back().offset + layout.back().length;
  return result;
}

std::optional<std::vector<uint8_t>> ZulJoin(const ZulSections& sections, const ZulBlockLengths& lengths,
                                            std::string* error) {
  auto fail = [error](std::string text) -> std::optional<std::vector<uint8_t>> {
    if (error) *error = std::move(text);
    return std::nullopt;
  };
  auto layout = ZulFileLayout(lengths);
  if (layout.empty()) return fail("block lengths out of range");
  std::vector<uint8_t> file(layout.back().offset + layout.back().length, 0);
  for (const auto& s : layout) {
    auto it = sections.find(s.key);
    if (it == sections.end()) continue;
    if (it->second.size() != s.length) {
      return fail("section " + std::to_string(s.key) + " has " + std::to_string(it->second.size()) +
                  " bytes instead of " + std::to_string(s.length));
    }
    std::copy(it->second.begin(), it->second.end(), file.begin() + static_cast<std::ptrdiff_t>(s.offset));
  }
  return file;
}

std::vector<uint8_t> ZulSectionToBlock(const ZulSection& section, const std::vector<uint8_t>& stored) {
  if (section.withBlockNumber) return stored;
  std::vector<uint8_t> block;
  block.reserve(stored.size() + 1);
  block.push_back(static_cast<uint8_t>(section.key));
  block.insert(block.end(), stored.begin(), stored.end());
  return block;
}

std::vector<uint8_t> ZulBlockToSection(const ZulSection& section, const std::vector<uint8_t>& block) {
  std::vector<uint8_t> stored;
  if (section.withBlockNumber) {
    stored = block;
  } else if (!block.empty()) {
    stored.assign(block.begin() + 1, block.end());
  }
  stored.resize(section.length, 0);
  return stored;
}

}  // namespace zul
