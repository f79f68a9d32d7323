// The algorithm table: parsing what the user typed (and refusing what does
// not parse without changing anything), the rows shown for the algorithms in
// memory and in another file, the block table, and both reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "core/ScriptedInteraction.h"
#include "core/config/AlgorithmReport.h"
#include "core/config/Configuration.h"
#include "core/config/ZulFile.h"
#include "core/editing/AlgorithmEditing.h"
#include "core/editing/FunctionBlockEditing.h"
#include "core/editing/FunctionBlockScheme.h"
#include "support/RtfText.h"
#include "support/SampleConfiguration.h"

namespace zul {
namespace {

namespace fs = std::filesystem;
constexpr int kEmpty = FunctionBlocks::kEmptyEntry;

// Ten AND blocks.
std::unique_ptr<Configuration> TenBlocks() {
  auto c = MakeSampleConfiguration();
  FunctionBlocks& fb = c->functionBlocks;
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) fb.ClearRecord(i);
  for (int i = 0; i < 10; ++i) fb.SetTypeCode(i, ftAND + 1);
  fb.RecountBlocks();
  fb.ResetAfterRead();
  return c;
}

std::vector<int> Members(const FunctionBlocks& fb, int alg) {
  std::vector<int> m;
  for (int k = 0; k < fb.GetTableSize() && fb.GetAlgMember(alg, k) != kEmpty; ++k)
    m.push_back(fb.GetAlgMember(alg, k));
  return m;
}

std::vector<int> Starts(const FunctionBlocks& fb) {
  std::vector<int> s;
  for (int i = 0; i < fb.GetTableSize(); ++i)
    if (fb.GetAlgStart(i) != kEmpty) s.push_back(fb.GetAlgStart(i));
  return s;
}

// --- member lists ------------------------------------------------------------------------

struct ListCase {
  const char* text;
  std::vector<int> members;
  const char* error;
};

class MemberLists : public ::testing::TestWithParam<ListCase> {};

TEST_P(MemberLists, ParseOrSayWhy) {
  const ListCase& t = GetParam();
  std::vector<int> members;
  EXPECT_EQ(ParseMemberList(t.text, 10, 120, members), t.error);
  if (std::string(t.error).empty()) {
    EXPECT_EQ(members, t.members);
  }
}

INSTANTIATE_TEST_SUITE_P(Typed, MemberLists,
                         ::testing::Values(ListCase{"3,4,5,", {3, 4, 5}, ""},
                                           ListCase{"3,4,5", {3, 4, 5}, ""}, ListCase{" 1 , 2 ", {1, 2}, ""},
                                           ListCase{"", {}, ""}, ListCase{"   ", {}, ""},
                                           ListCase{"10,", {10}, ""}, ListCase{"010", {10}, ""},
                                           // four characters, or nothing between commas, or no number at all
                                           ListCase{"3,1000", {}, "error "}, ListCase{"0010", {}, "error "},
                                           ListCase{"3,,4", {}, "error "}, ListCase{",", {}, "error "},
                                           ListCase{"3;4", {}, "error "}, ListCase{"-3", {}, "error "},
                                           ListCase{"3,x", {}, "error "},
                                           // numbers outside the blocks there are
                                           ListCase{"12", {}, "error N ФБ"},
                                           ListCase{"3,0", {}, "error N ФБ"},
                                           ListCase{"11,1000", {}, "error N ФБ"}));

TEST(MemberListLimits, MoreNumbersThanTheTableOrCharactersThanTheCellAreRefused) {
  std::string full;
  for (int i = 0; i < 60; ++i) full += "1,";
  std::vector<int> members;
  EXPECT_EQ(ParseMemberList(full, 10, 60, members), "");
  EXPECT_EQ(members.size(), 60u);
  EXPECT_EQ(ParseMemberList(full + "1", 10, 60, members), kAlgorithmListError);
  EXPECT_EQ(ParseMemberList(std::string(601, ' '), 10, 120, members), kAlgorithmListError);
}

// --- the whole table ---------------------------------------------------------------------

TEST(AlgorithmTable, MembersGiveTheStartOfTheirFirstBlock) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  const AlgorithmTable t = ParseAlgorithmTable({{" 1", "Пуск", "1,2,"}, {" 2", "Стоп", "3,4,5,"}}, fb);
  ASSERT_TRUE(t.Parsed());
  ApplyAlgorithmTable(fb, t);
  EXPECT_EQ(fb.GetAlgCount(), 2);
  EXPECT_EQ(fb.GetAlgName(1), "Стоп");
  EXPECT_EQ(Members(fb, 1), (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(fb.GetAlgStart(2), 3);  // block 3
  EXPECT_EQ(Starts(fb), (std::vector<int>{1, 3}));
  EXPECT_EQ(AlgorithmRows(fb)[1].members, "3,4,5,");
}

TEST(AlgorithmTable, ATableThatDoesNotParseChangesNothing) {
  for (const char* bad : {"3,1000", "12"}) {
    auto c = TenBlocks();
    FunctionBlocks& fb = c->functionBlocks;
    ApplyAlgorithmTable(fb, ParseAlgorithmTable({{" 1", "Было", "1,2"}}, fb));
    const FunctionBlockSnapshot before = FunctionBlockSnapshot::Take(*c);
    const AlgorithmTable t = ParseAlgorithmTable({{" 1", "Новое", "1,"}, {" 2", "Плохое", bad}}, fb);
    EXPECT_EQ(t.error, std::string(bad) == "12" ? kAlgorithmBlockError : kAlgorithmListError);
    EXPECT_EQ(t.errorRow, 1);
    EXPECT_EQ(t.errorColumn, 2);
    ApplyAlgorithmTable(fb, t);
    const FunctionBlockSnapshot after = FunctionBlockSnapshot::Take(*c);
    EXPECT_EQ(after.names, before.names);
    EXPECT_EQ(after.algMembers, before.algMembers);
    EXPECT_EQ(after.algStart, before.algStart);
    EXPECT_EQ(fb.GetAlgCount(), 1);
  }
}

TEST(AlgorithmTable, BadAlgorithmNumbersAreRefusedNotUsedAsIndexes) {
  auto c = TenBlocks();
  for (const char* number : {"0", "2", "121", "999", "abc", "-1", "1000"}) {
    const AlgorithmTable t = ParseAlgorithmTable({{number, "Имя", "1"}}, c->functionBlocks);
    EXPECT_EQ(t.error, "Строка 1: номер алгоритма должен быть 1") << number;
    EXPECT_EQ(t.errorColumn, 0) << number;
  }
  c->functionBlocks.SetTableSize(60);
  EXPECT_FALSE(ParseAlgorithmTable({{"61", "Имя", ""}}, c->functionBlocks).Parsed());
}

// Rows that would be stored other than typed, or not at all, are refused
// with a message naming the row; nothing is stored.
struct RowCase {
  const char* name;
  std::vector<AlgorithmRow> rows;
  std::string error;
  int row, column;
};

class RefusedRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(RefusedRows, NameTheRowAndStoreNothing) {
  const RowCase& k = GetParam();
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  ApplyAlgorithmTable(fb, ParseAlgorithmTable({{" 1", "Было", "9,10"}}, fb));
  const std::vector<uint8_t> before = ZulFileBytes(*c);
  const AlgorithmTable t = ParseAlgorithmTable(k.rows, fb);
  EXPECT_EQ(t.error, k.error);
  EXPECT_EQ(t.errorRow, k.row);
  EXPECT_EQ(t.errorColumn, k.column);
  ApplyAlgorithmTable(fb, t);
  EXPECT_EQ(ZulFileBytes(*c), before);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, RefusedRows,
    ::testing::Values(
        RowCase{
            "NumberOfAnotherRow", {{"5", "Пятый", "1,2"}}, "Строка 1: номер алгоритма должен быть 1", 0, 0},
        RowCase{"RowWithoutNumber",
                {{" 1", "А", "1,"}, {"", "Б", "2,"}},
                "Строка 2: номер алгоритма должен быть 2",
                1,
                0},
        RowCase{"RowBelowAnEmptyRow",
                {{" 1", "А", "1,"}, {"", "", ""}, {" 3", "В", "3,"}},
                "Строка 3: строка записана после пустой строки",
                2,
                0},
        RowCase{
            "Unordered", {{" 1", "А", "4,2,3"}}, std::string("Строка 1: ") + kAlgorithmNotConsecutive, 0, 2},
        RowCase{
            "GapInside", {{" 1", "А", "2,4"}}, std::string("Строка 1: ") + kAlgorithmNotConsecutive, 0, 2},
        RowCase{"Repeated", {{" 1", "А", "2,2"}}, std::string("Строка 1: ") + kAlgorithmNotConsecutive, 0, 2},
        RowCase{"Overlapping",
                {{" 1", "А", "1,2"}, {" 2", "Б", "2,3"}},
                "Строка 2: ФБ2 уже входит в алгоритм 1",
                1,
                2},
        RowCase{"NameOutsideTheCodePage",
                {{" 1", "Насос ✓", "1"}},
                std::string("Строка 1: ") + kAlgorithmNameNotCp1251,
                0,
                1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AlgorithmTable, CodePageLettersAndGapsBetweenAlgorithmsAreStored) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  const AlgorithmTable t =
      ParseAlgorithmTable({{" 1", "Насос №1 «А»", "1,2,"}, {" 2", "Ёмкость", "5,6,7,"}, {" 3", "", ""}}, fb);
  ASSERT_TRUE(t.Parsed()) << t.error;
  ApplyAlgorithmTable(fb, t);
  auto back = MakeSampleConfiguration();
  LoadZulFileBytes(ZulFileBytes(*c), *back);
  EXPECT_EQ(back->functionBlocks.GetAlgName(0), "Насос №1 «А»");
  EXPECT_EQ(back->functionBlocks.GetAlgName(1), "Ёмкость");
  EXPECT_EQ(Members(back->functionBlocks, 1), (std::vector<int>{5, 6, 7}));
  EXPECT_EQ(Starts(back->functionBlocks), (std::vector<int>{1, 5}));
}

TEST(AlgorithmTable, AnEmptyNameBlanksThatAlgorithmAndItsLabel) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  ApplyAlgorithmTable(fb,
                      ParseAlgorithmTable({{" 1", "А", "1,2,"}, {" 2", "Б", "3,4,"}, {" 3", "В", "5,"}}, fb));
  ApplyAlgorithmTable(fb,
                      ParseAlgorithmTable({{" 1", "А", "1,2,"}, {" 2", "", "3,4,"}, {" 3", "В", "5,"}}, fb));
  EXPECT_EQ(fb.GetAlgCount(), 3);
  EXPECT_EQ(fb.GetAlgName(1), "");
  EXPECT_TRUE(Members(fb, 1).empty());
  const SchemeLayout layout = LayOutScheme(fb);
  ASSERT_EQ(layout.labels.size(), 3u);
  EXPECT_EQ(layout.labels[0].name, "А");
  EXPECT_EQ(layout.labels[1].name, "");
  EXPECT_EQ(layout.labels[2].name, "В");
  // Emptied in the last row, the algorithm is gone.
  ApplyAlgorithmTable(fb, ParseAlgorithmTable({{" 1", "А", "1,2,"}, {" 2", "  ", "3,4,"}}, fb));
  EXPECT_EQ(fb.GetAlgCount(), 1);
  EXPECT_EQ(LayOutScheme(fb).labels.size(), 1u);
}

TEST(AlgorithmTable, ReadingStopsAtTheFirstBlankRow) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  ApplyAlgorithmTable(fb, ParseAlgorithmTable({{" 1", "А", "1,"}, {"  ", "", " "}, {"", "", ""}}, fb));
  EXPECT_EQ(fb.GetAlgCount(), 1);
  EXPECT_EQ(fb.GetAlgName(1), "");
}

// Gaps between algorithms are the user's to make: each label stands above
// its own first block.
TEST(AlgorithmTable, GapsBetweenAlgorithmsKeepEachLabelOverItsFirstBlock) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  ApplyAlgorithmTable(fb, ParseAlgorithmTable({{" 1", "А", "1,2,"}, {" 2", "Б", "5,6,7,"}}, fb));
  const SchemeLayout layout = LayOutScheme(fb);
  ASSERT_EQ(layout.labels.size(), 2u);
  EXPECT_EQ(layout.labels[1].y, layout.blocks[4].y - 12);
  EXPECT_EQ(layout.blocks[4].column, 0);  // block 5 starts a row
}

TEST(AlgorithmTable, NamesWithoutMembersStandOneUnderAnotherInsideTheScheme) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  ApplyAlgorithmTable(fb, ParseAlgorithmTable({{" 1", "А", ""}, {" 2", "Б", "1,2"}, {" 3", "В", ""}}, fb));
  const SchemeLayout layout = LayOutScheme(fb);
  ASSERT_EQ(layout.labels.size(), 3u);
  EXPECT_EQ(layout.labels[1].y, layout.blocks[0].y - 12);
  const int lastRowBottom = layout.blocks.back().y + kPanelHeight;
  EXPECT_GT(layout.labels[0].y, lastRowBottom);
  EXPECT_GE(layout.labels[2].y, layout.labels[0].y + kSchemeLabelLine);
  EXPECT_LE(layout.labels[2].y + kSchemeLabelLine / 2, layout.height);
}

// --- rows shown for data in memory ---------------------------------------------------------

TEST(AlgorithmRowsShown, DamagedEntriesEndTheListInsteadOfShowing) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  fb.SetAlgCount(3);
  fb.SetAlgName(0, "А");
  fb.SetAlgMember(0, 0, 2);
  fb.SetAlgMember(0, 1, 200);  // beyond the blocks there are
  fb.SetAlgMember(0, 2, 3);
  fb.SetAlgMember(1, 0, 0);
  fb.SetAlgMember(2, 0, 9);
  fb.SetAlgMember(2, 1, 10);
  fb.SetAlgCount(5);
  fb.SetAlgMember(3, 0, 5);  // out of order
  fb.SetAlgMember(3, 1, 4);
  fb.SetAlgMember(4, 0, 5);  // block 5 is algorithm 4's
  fb.SetAlgMember(4, 1, 6);
  const auto rows = AlgorithmRows(fb);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].number, " 1");
  EXPECT_EQ(rows[0].name, "А");
  EXPECT_EQ(rows[0].members, "2,");
  EXPECT_EQ(rows[1].members, "");
  EXPECT_EQ(rows[2].members, "9,10,");
  EXPECT_EQ(rows[3].members, "5,");
  EXPECT_EQ(rows[4].members, "");
}

TEST(AlgorithmRowsShown, AFullRowEndsWithoutComma) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  for (int i = 0; i < FunctionBlocks::kCapacity; ++i) fb.SetTypeCode(i, ftOR + 1);
  fb.RecountBlocks();
  std::string list;
  for (int b = 1; b <= 120; ++b) list += std::to_string(b) + ",";
  ApplyAlgorithmTable(fb, ParseAlgorithmTable({{" 1", "Всё", list}}, fb));
  const std::string shown = AlgorithmRows(fb)[0].members;
  EXPECT_EQ(shown, list.substr(0, list.size() - 1));
}

// Whatever bytes a file held, the table shown parses back, and what it
// shows is what gets stored.
TEST(AlgorithmRowsShown, ShownFromAnyBytesParsesBack) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    auto c = TenBlocks();
    FunctionBlocks& fb = c->functionBlocks;
    std::vector<uint8_t> bytes(fb.AlgorithmDataSize());
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(round % 2 ? random() % 16 : random());
    fb.LoadAlgorithmData(bytes);
    for (int i = 0; i < 5; ++i) fb.SetAlgName(i, "Алгоритм " + std::to_string(i + 1));
    const auto rows = AlgorithmRows(fb);
    const AlgorithmTable t = ParseAlgorithmTable(rows, fb);
    ASSERT_TRUE(t.Parsed()) << "round " << round << ": " << t.error << " in row " << t.errorRow;
    ApplyAlgorithmTable(fb, t);
    const auto again = AlgorithmRows(fb);
    for (size_t r = 0; r < std::min<size_t>(5, rows.size()); ++r) {
      ASSERT_LT(r, again.size());
      EXPECT_EQ(again[r].members, rows[r].members) << "round " << round << ", row " << r;
    }
  }
}

// --- algorithms from another file ------------------------------------------------------------

class AlgorithmFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("algorithm_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  // A file of `codeLine`'s composition whose algorithms are А = 1,2 and Б = 4,5.
  std::string Other(const char* codeLine = "1163000000000000") {
    auto other = MakeSampleConfiguration(codeLine);
    FunctionBlocks& fb = other->functionBlocks;
    for (int i = 0; i < 6; ++i) fb.SetTypeCode(i, ftOR + 1);
    fb.RecountBlocks();
    ApplyAlgorithmTable(fb, ParseAlgorithmTable({{" 1", "А", "1,2,"}, {" 2", "Б", "4,5,"}}, fb));
    return Write("other.zul", ZulFileBytes(*other));
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const Message& m : ui_.Shown()) t.push_back(m.text);
    return t;
  }

  fs::path dir_;
  ScriptedInteraction ui_;
};

TEST_F(AlgorithmFiles, TheLastAlgorithmRunsOnToTheLastBlock) {
  auto c = TenBlocks();
  const FunctionBlockSnapshot before = FunctionBlockSnapshot::Take(*c);
  const AlgorithmFileResult r = AlgorithmsFromFile(*c, ui_, Other());
  ASSERT_EQ(r.status, AlgorithmFileLoad::Loaded);
  EXPECT_TRUE(ui_.Shown().empty());
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0].name, "А");
  EXPECT_EQ(r.rows[0].members, "1,2,");
  EXPECT_EQ(r.rows[1].members, "4,5,6,7,8,9,10,");
  // Only the window's table takes them; the configuration waits for OK.
  EXPECT_EQ(FunctionBlockSnapshot::Take(*c).algMembers, before.algMembers);
}

TEST_F(AlgorithmFiles, A60BlockFileFitsA60BlockTable) {
  auto other = MakeSampleConfiguration();
  other->functionBlocks.SetTableSize(60);
  for (int i = 0; i < 4; ++i) other->functionBlocks.SetTypeCode(i, ftOR + 1);
  other->functionBlocks.RecountBlocks();
  ApplyAlgorithmTable(other->functionBlocks,
                      ParseAlgorithmTable({{" 1", "Шестьдесят", "2,3,"}}, other->functionBlocks));
  const std::string path = Write("small.zul", ZulFileBytes(*other));
  auto c = TenBlocks();
  c->functionBlocks.SetTableSize(60);
  const AlgorithmFileResult r = AlgorithmsFromFile(*c, ui_, path);
  ASSERT_EQ(r.status, AlgorithmFileLoad::Loaded);
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_EQ(r.rows[0].name, "Шестьдесят");
  EXPECT_EQ(r.rows[0].members, "2,3,4,5,6,7,8,9,10,");
}

TEST_F(AlgorithmFiles, AnotherCompositionWarnsAndGoesOn) {
  auto c = TenBlocks();
  const AlgorithmFileResult r = AlgorithmsFromFile(*c, ui_, Other("1111000000000000"));
  EXPECT_EQ(r.status, AlgorithmFileLoad::Loaded);
  EXPECT_EQ(Texts(),
            std::vector<std::string>{"Рабочая конфигурация \nне соответствует конфигурации в файле"});
  EXPECT_EQ(r.rows.size(), 2u);
}

TEST_F(AlgorithmFiles, MembersBeyondTheBlocksHereEndTheirList) {
  auto c = TenBlocks();
  for (int i = 3; i < 10; ++i) c->functionBlocks.ClearRecord(i);
  c->functionBlocks.RecountBlocks();  // 3 blocks
  const AlgorithmFileResult r = AlgorithmsFromFile(*c, ui_, Other());
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[0].members, "1,2,");
  EXPECT_EQ(r.rows[1].members, "");
}

struct FileCase {
  const char* what;
  size_t size;  // 0: the file does not exist
  int tableSize;
  const char* message;
  AlgorithmFileLoad status;
};

class AlgorithmFileRefusals : public AlgorithmFiles, public ::testing::WithParamInterface<FileCase> {};

TEST_P(AlgorithmFileRefusals, SayWhyAndTakeNothing) {
  const FileCase& t = GetParam();
  auto c = TenBlocks();
  c->functionBlocks.SetTableSize(t.tableSize);
  std::string path = (dir_ / "missing.zul").string();
  if (t.size > 0) {
    std::vector<uint8_t> bytes = ZulFileBytes(*MakeSampleConfiguration());
    bytes.resize(t.size, 0);
    path = Write("f.zul", bytes);
  }
  const AlgorithmFileResult r = AlgorithmsFromFile(*c, ui_, path);
  EXPECT_EQ(r.status, t.status);
  EXPECT_TRUE(r.rows.empty());
  EXPECT_EQ(Texts(), std::vector<std::string>{t.message});
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, AlgorithmFileRefusals,
    ::testing::Values(
        FileCase{"missing", 0, 120, "Файл не удается открыть", AlgorithmFileLoad::CannotOpen},
        FileCase{"tiny", 100, 120, "Файл не опознан", AlgorithmFileLoad::Refused},
        FileCase{"just under 12 KiB", 12287, 120, "Файл не опознан", AlgorithmFileLoad::Refused},
        FileCase{"40 blocks", 12288, 120, "Файл создан на 40 ФБ", AlgorithmFileLoad::Refused},
        FileCase{"40 blocks end", 13311, 120, "Файл создан на 40 ФБ", AlgorithmFileLoad::Refused},
        FileCase{"20 KiB", 20480, 120, "Количество ФБ \nне соответствует количеству ФБ в файле",
                 AlgorithmFileLoad::Refused},
        FileCase{"120 blocks for a 60-block table", 37129, 60,
                 "Количество ФБ \nне соответствует количеству ФБ в файле", AlgorithmFileLoad::Refused},
        // Cut short: the algorithm count (or more) is missing.
        FileCase{"36 KiB", 36864, 120, kZulFileShort, AlgorithmFileLoad::Refused},
        FileCase{"without the count byte", 37128, 120, kZulFileShort, AlgorithmFileLoad::Refused}),
    [](const auto& info) {
      std::string n = info.param.what;
      for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

// --- the block table and the reports ----------------------------------------------------------

TEST(BlockTable, SourcesShowInTheirRangesOnly) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  struct Input {
    int source, number;
    std::string shown;
  };
  const std::string id1 = c->service.GetIdentifier(0);
  const std::vector<Input> inputs{
      {srcDiscrete, 1, id1},
      {srcDiscrete, 0, ""},
      {srcDiscreteInvalid, 1, id1 + "  b"},
      {srcDiscreteInvalid, 193, ""},
      {srcFBOutput, 7, "ФБ7"},
      {srcFBOutput, 121, "КВУ121"},
      {srcFBOutput, 250, "КВУ250"},
      {srcCoDeSys, 112, "вых. CoDeSys 112"},
      {srcCoDeSys, 113, ""},
      {srcAnalogInvalid, 49, ""},
  };
  // Four inputs a block; the rows follow the blocks in order.
  for (size_t n = 0; n < inputs.size(); ++n) {
    const int block = static_cast<int>(n / 4), k = static_cast<int>(n % 4);
    fb.SetInputSource(block, k, inputs[n].source);
    fb.SetInputNumber(block, k, inputs[n].number);
  }
  const auto rows = BlockTableRows(*c);
  ASSERT_EQ(rows.size(), 10u);
  for (size_t n = 0; n < inputs.size(); ++n)
    EXPECT_EQ(rows[n / 4][3 + n % 4], inputs[n].shown) << "input " << n;
  EXPECT_EQ(rows[0][0], " 1");
  EXPECT_EQ(rows[0][1], "ФБ1");
  EXPECT_EQ(rows[0][2], "\"И\" (4 входа)");
}

TEST(BlockTable, InputsFollowTheKind) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  fb.SetTypeCode(0, ftComparator + 1);
  fb.SetInputSource(0, 0, srcFBOutput);
  fb.SetInputNumber(0, 0, 5);
  fb.SetTypeCode(1, ftTimer + 1);
  fb.SetSubtype(1, 5);  // the alarm clock: one input
  fb.SetInputSource(1, 0, srcFBOutput);
  fb.SetInputNumber(1, 0, 3);
  fb.SetByte(1, 3, 2);  // its second byte pair holds the clock, not an input
  fb.SetByte(1, 4, 10);
  const auto rows = BlockTableRows(*c);
  EXPECT_EQ(rows[0][2], "\"СМР\" компаратор (4 вх)");
  EXPECT_EQ(rows[0][3], "ФБ5");
  EXPECT_EQ(rows[0][4], "");
  EXPECT_EQ(rows[1][3], "ФБ3");
  EXPECT_EQ(rows[1][4], "");
}

TEST(AlgorithmReports, OpenAsRtfWithTheTablesPadded) {
  auto c = TenBlocks();
  FunctionBlocks& fb = c->functionBlocks;
  ApplyAlgorithmTable(fb, ParseAlgorithmTable({{" 1", "Пуск насоса", "1,2,"}, {" 2", "Стоп", "3,"}}, fb));
  const auto algorithms = test::ReadRtf(ReportToRtf(AlgorithmTableReport("Файл a.zul", AlgorithmRows(fb))));
  ASSERT_TRUE(algorithms.wellFormed) << algorithms.error;
  const auto& p = algorithms.paragraphs;
  ASSERT_EQ(p.size(), 9u);
  EXPECT_EQ(p[0], "Файл a.zul");
  EXPECT_EQ(p[2], "          Функциональные блоки");
  EXPECT_EQ(p[4].rfind(" №  \t", 0), 0u);
  EXPECT_EQ(p[6], "");
  EXPECT_EQ(p[7], " 1  \t" + PadRight("Пуск насоса", 41) + "\t" + PadRight("1,2,", 61));

  const auto blocks = test::ReadRtf(ReportToRtf(BlockTableReport("Файл a.zul", BlockTableRows(*c))));
  ASSERT_TRUE(blocks.wellFormed) << blocks.error;
  ASSERT_EQ(blocks.paragraphs.size(), 7u + 10u);
  EXPECT_EQ(blocks.paragraphs[4].rfind("  № \tИмя      \t", 0), 0u);
  EXPECT_EQ(blocks.paragraphs[7].rfind(" 1  \tФБ1      \t", 0), 0u);
}

}  // namespace
}  // namespace zul
