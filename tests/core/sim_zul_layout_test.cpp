#include <gtest/gtest.h>

#include <numeric>

#include "core/config/ZulFileLayout.h"

namespace zul {
namespace {

const ZulSection* Find(const std::vector<ZulSection>& layout, int key) {
  for (const auto& s : layout) {
    if (s.key == key) return &s;
  }
  return nullptr;
}

struct Placement {
  int key;
  size_t offset;
  size_t length;
  bool withBlockNumber;
};

class UsualLayout : public ::testing::TestWithParam<Placement> {};

TEST_P(UsualLayout, PlacesSectionWhereTheFileKeepsIt) {
  const Placement& p = GetParam();
  auto layout = ZulFileLayout();
  const ZulSection* s = Find(layout, p.key);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->offset, p.offset);
  EXPECT_EQ(s->length, p.length);
  EXPECT_EQ(s->withBlockNumber, p.withBlockNumber);
}

INSTANTIATE_TEST_SUITE_P(
    FirstOfEachGroup, UsualLayout,
    ::testing::Values(
        Placement{kZulDeviceIndex, 0, 1, false}, Placement{kZulIdentity, 1, 23, false},
        Placement{1, 24, 169, true}, Placement{8, 24 + 7 * 169, 169, true}, Placement{9, 1376, 193, true},
        Placement{10, 1569, 194, true}, Placement{11, 1763, 81, true}, Placement{12, 1844, 198, false},
        Placement{25, 1844 + 13 * 198, 198, false}, Placement{35, 4616, 96, false},
        Placement{40, 4712, 224, false}, Placement{52, 7400, 140, false}, Placement{32, 7960, 168, false},
        Placement{33, 8128, 168, false}, Placement{68, 8296, 190, false},
        Placement{79, 8296 + 11 * 190, 190, false}, Placement{kZulFbTextPage, 10576, 1000, false},
        Placement{kZulAlgStart, 22576, 120, false}, Placement{kZulAlgMembers, 22696, 14400, false},
        Placement{kZulAlgCount, 37096, 1, false}, Placement{98, 37097, 32, false}));

TEST(ZulFileLayout, SectionsFollowEachOtherWithoutGapsUpTo37129Bytes) {
  auto layout = ZulFileLayout();
  size_t offset = 0;
  for (const auto& s : layout) {
    EXPECT_EQ(s.offset, offset) << "section " << s.key;
    offset += s.length;
  }
  EXPECT_EQ(offset, kZulFileSize);
  EXPECT_EQ(ZulFileSize(), kZulFileSize);
}

TEST(ZulFileLayout, SixtyBlockTableHasSixPagesAndASmallerMemberTable) {
  ZulBlockLengths lengths;
  lengths.fbTableSize = 60;
  auto layout = ZulFileLayout(lengths);
  EXPECT_NE(Find(layout, 73), nullptr);
  EXPECT_EQ(Find(layout, 74), nullptr);
  EXPECT_EQ(Find(layout, kZulFbTextPage + 6), nullptr);
  EXPECT_EQ(Find(layout, kZulAlgMembers)->length, 3600u);
  EXPECT_EQ(ZulFileSize(lengths), kZulFileSize - 6 * 190 - 6 * 1000 - 60 - (14400 - 3600));
}

TEST(ZulFileLayout, ReportedLengthsChangeTheSections) {
  ZulBlockLengths lengths;
  lengths.recordBlock = 150;
  lengths.analogRecord = 100;
  auto layout = ZulFileLayout(lengths);
  EXPECT_EQ(Find(layout, 12)->length, 149u);
  EXPECT_EQ(Find(layout, 1)->length, 100u);
  EXPECT_EQ(Find(layout, 9)->offset, 24u + 8 * 100);
}

class BadLengths : public ::testing::TestWithParam<ZulBlockLengths> {};

TEST_P(BadLengths, GiveNoLayout) {
  EXPECT_TRUE(ZulFileLayout(GetParam()).empty());
  EXPECT_EQ(ZulFileSize(GetParam()), 0u);
  std::vector<uint8_t> file(100, 0);
  EXPECT_TRUE(ZulSplit(file.data(), file.size(), GetParam()).sections.empty());
  EXPECT_FALSE(ZulJoin({}, GetParam()).has_value());
}

ZulBlockLengths With(void (*change)(ZulBlockLengths&)) {
  ZulBlockLengths l;
  change(l);
  return l;
}

INSTANTIATE_TEST_SUITE_P(OutOfRange, BadLengths,
                         ::testing::Values(With([](ZulBlockLengths& l) { l.recordBlock = 0; }),
                                           With([](ZulBlockLengths& l) { l.textBlock = 300; }),
                                           With([](ZulBlockLengths& l) { l.fbTableSize = 0; }),
                                           With([](ZulBlockLengths& l) { l.fbTableSize = 65; }),
                                           With([](ZulBlockLengths& l) { l.fbTableSize = 130; })));

std::vector<uint8_t> NumberedFile() {
  std::vector<uint8_t> file(kZulFileSize);
  for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return file;
}

TEST(ZulSplit, JoinGivesBackTheSameBytes) {
  auto file = NumberedFile();
  ZulSplitResult split = ZulSplit(file.data(), file.size());
  EXPECT_TRUE(split.complete);
  EXPECT_EQ(split.sections.size(), ZulFileLayout().size());
  EXPECT_EQ(split.sections.at(40).front(), file[4712]);
  auto joined = ZulJoin(split.sections);
  ASSERT_TRUE(joined.has_value());
  EXPECT_EQ(*joined, file);
}

TEST(ZulSplit, ShortFileYieldsOnlyTheSectionsItCoversWhole) {
  auto file = NumberedFile();
  file.resize(1844 + 198 + 10);  // ends inside record block 13
  ZulSplitResult split = ZulSplit(file.data(), file.size());
  EXPECT_FALSE(split.complete);
  EXPECT_TRUE(split.sections.count(12));
  EXPECT_FALSE(split.sections.count(13));
  EXPECT_FALSE(split.sections.count(98));
}

TEST(ZulSplit, LongerFileIsCutButNotComplete) {
  auto file = NumberedFile();
  file.push_back(1);
  ZulSplitResult split = ZulSplit(file.data(), file.size());
  EXPECT_FALSE(split.complete);
  EXPECT_EQ(split.sections.size(), ZulFileLayout().size());
}

TEST(ZulJoin, MissingSectionsAreZerosAndAWrongLengthIsRefused) {
  ZulSections sections;
  sections[kZulIdentity] = std::vector<uint8_t>(23, 0xAA);
  auto file = ZulJoin(sections);
  ASSERT_TRUE(file.has_value());
  ASSERT_EQ(file->size(), kZulFileSize);
  EXPECT_EQ((*file)[0], 0);
  EXPECT_EQ((*file)[1], 0xAA);
  EXPECT_EQ((*file)[24], 0);

  sections[12] = std::vector<uint8_t>(199, 1);  // the block number must not be stored
  std::string error;
  EXPECT_FALSE(ZulJoin(sections, {}, &error).has_value());
  EXPECT_NE(error.find("12"), std::string::npos);
}

TEST(ZulSectionBlock, AddsAndDropsTheBlockNumberOnlyWhereTheFileOmitsIt) {
  auto layout = ZulFileLayout();
  const ZulSection& record = *Find(layout, 12);
  const ZulSection& relay = *Find(layout, 9);

  std::vector<uint8_t> stored(198, 5);
  auto block = ZulSectionToBlock(record, stored);
  ASSERT_EQ(block.size(), 199u);
  EXPECT_EQ(block[0], 12);
  EXPECT_EQ(ZulBlockToSection(record, block), stored);

  std::vector<uint8_t> relayBytes(193, 9);
  EXPECT_EQ(ZulSectionToBlock(relay, relayBytes), relayBytes);
  EXPECT_EQ(ZulBlockToSection(relay, relayBytes), relayBytes);
}

}  // namespace
}  // namespace zul
