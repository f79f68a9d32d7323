#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/config/InformTables.h"
#include "core/report/RtfReport.h"
#include "support/RtfText.h"

namespace zul {
namespace {

using test::ReadRtf;

bool HasWord(const test::RtfText& t, const std::string& word) {
  for (const auto& w : t.controlWords)
    if (w == word) return true;
  return false;
}

struct TextCase {
  const char* name;
  std::string line;
};

class ReportText : public ::testing::TestWithParam<TextCase> {};

// Whatever a line holds comes back from the .rtf as it went in, and the file
// itself is plain ASCII with balanced braces.
TEST_P(ReportText, SurvivesTheRoundTrip) {
  Report r;
  r.AddLine(GetParam().line);
  const std::string rtf = ReportToRtf(r);
  for (char c : rtf) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "not ASCII";
  const auto text = ReadRtf(rtf);
  ASSERT_TRUE(text.wellFormed) << text.error;
  ASSERT_EQ(text.paragraphs.size(), 1u);
  EXPECT_EQ(text.paragraphs[0], GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Lines, ReportText,
                         ::testing::Values(TextCase{"Latin", "DI_1_12 0x0B"},
                                           TextCase{"Cyrillic", "Дискретные сигналы ЁёЖж №"},
                                           TextCase{"Tabs", "1\tAI1_3\t 0x02"},
                                           TextCase{"Braces", "{a}\\b\\par"},
                                           TextCase{"OutsideCp1251", "µ € ≤ 😀"}, TextCase{"Empty", ""},
                                           TextCase{"Blanks", "          Аналоговые сигналы"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Report, CyrillicCarriesCp1251FallbackForOldReaders) {
  Report r;
  r.AddLine("Ж");
  const std::string rtf = ReportToRtf(r);
  EXPECT_NE(rtf.find("\\ansicpg1251"), std::string::npos);
  EXPECT_NE(rtf.find("\\u1046\\'c6"), std::string::npos);  // Ж = U+0416 = cp1251 0xC6
}

TEST(Report, BrokenUtf8BecomesQuestionMarksWithoutLosingTheRest) {
  Report r;
  r.AddLine(std::string("a\xFF\xC3") + "b");
  const auto text = ReadRtf(ReportToRtf(r));
  ASSERT_TRUE(text.wellFormed);
  EXPECT_EQ(text.paragraphs[0], "a??b");
}

TEST(Report, PageSetupAndTabStops) {
  Report r;
  r.AddLine("x");
  r.tabStops = {6, 22};
  r.orientation = PageOrientation::Landscape;
  r.marginPoints = 29;
  const auto text = ReadRtf(ReportToRtf(r));
  ASSERT_TRUE(text.wellFormed);
  for (const char* w :
       {"landscape", "margl580", "margr580", "margt580", "margb580", "tx720", "tx2640", "fs20"})
    EXPECT_TRUE(HasWord(text, w)) << w;

  Report portrait;
  const auto plain = ReadRtf(ReportToRtf(portrait));
  EXPECT_FALSE(HasWord(plain, "landscape"));
  EXPECT_FALSE(HasWord(plain, "margl0"));
}

TEST(Report, TableLayoutPutsTitleCaptionHeadersAndRowsInOrder) {
  const Report r = MakeTableReport({"Файл a.zul", "Дискретные выходы", {"h1", "h2"}, {"r1", "r2"}});
  const std::vector<std::string> expected = {
      "Файл a.zul", "", "          Дискретные выходы", "", "h1", "h2", "", "r1", "r2"};
  EXPECT_EQ(r.lines, expected);
}

TEST(Report, PadRightCountsCharactersNotBytes) {
  EXPECT_EQ(PadRight("Ж", 3), "Ж  ");
  EXPECT_EQ(PadRight("ABCD", 2), "ABCD");
}

TEST(Report, SaveWritesTheFileAndRefusesAnUncreatableOne) {
  const auto dir = std::filesystem::temp_directory_path() / "zul_report_test";
  std::filesystem::create_directories(dir);
  Report r;
  r.AddLine("Текст");
  const auto path = (dir / "a.rtf").string();
  ASSERT_TRUE(SaveReport(r, path));
  std::stringstream content;
  {
    std::ifstream in(path, std::ios::binary);  // closed before the folder goes
    content << in.rdbuf();
  }
  EXPECT_EQ(ReadRtf(content.str()).paragraphs, std::vector<std::string>{"Текст"});
  EXPECT_FALSE(SaveReport(r, (dir / "missing" / "b.rtf").string()));
  std::filesystem::remove_all(dir);
}

// --- the three reports of the information windows -------------------------------------

// Where each non-empty tab-separated piece of a line starts when typed in a
// fixed-pitch font with these stops (a tab goes to the first stop past the
// current position).
std::vector<int> PieceStarts(const std::string& line, const std::vector<int>& stops) {
  std::vector<int> starts;
  int pos = 0;
  bool pieceStarted = false;
  for (size_t i = 0; i < line.size();) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c == '\t') {
      int next = pos + 1;
      for (int s : stops)
        if (s > pos) {
          next = s;
          break;
        }
      pos = next;
      pieceStarted = false;
      ++i;
      continue;
    }
    if (!pieceStarted) starts.push_back(pos);
    pieceStarted = true;
    ++pos;
    i += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  }
  return starts;
}

TEST(InformReports, SignalReportRowsAndHeaderShareTheirColumns) {
  std::vector<SignalRow> rows = {{"1", "DI_1_1", " 0x00", "Насос", "       V"},
                                 {"252", "DLAI12_6_HH", " 0xFB", "Задвижка 14ааа", "       -"}};
  const Report r = SignalReport("Файл x.zul", rows);
  ASSERT_EQ(r.lines.size(), 8u);
  EXPECT_EQ(r.lines[0], "Файл x.zul");
  EXPECT_EQ(r.lines[2], "          Дискретные сигналы");
  EXPECT_EQ(r.lines[4], "  № \tИдентификатор \t   Адрес\tТекст.реквизит\tвых на МР");
  EXPECT_EQ(r.lines[6], "1\tDI_1_1        \t 0x00\tНасос         \t       V");
  const auto header = PieceStarts(r.lines[4], r.tabStops);
  EXPECT_EQ(PieceStarts(r.lines[6], r.tabStops), header);
  EXPECT_EQ(PieceStarts(r.lines[7], r.tabStops), header);
  EXPECT_EQ(r.orientation, PageOrientation::Portrait);

  const auto text = ReadRtf(ReportToRtf(r));
  ASSERT_TRUE(text.wellFormed) << text.error;
  EXPECT_EQ(text.paragraphs, r.lines);
}

TEST(InformReports, AnalogReportStopsAtTheAnalogSignalCount) {
  std::vector<AnalogRow> rows(60);
  rows[0] = {"1", "AI1_1", " 0x00", "TE101"};
  rows[1] = {"2", "AI1_2", " 0x01", ""};
  rows[2] = {"3", "AI1_3", " 0x02", "PT-3"};
  const Report r = AnalogReport("t", rows, 2);
  ASSERT_EQ(r.lines.size(), 8u);
  EXPECT_EQ(r.lines[6], "1\tAI1_1         \t 0x00\tTE101");
  EXPECT_EQ(PieceStarts(r.lines[6], r.tabStops), PieceStarts(r.lines[4], r.tabStops));
  EXPECT_EQ(AnalogReport("t", rows, 1000).lines.size(), 6u + 60u);
}

TEST(InformReports, OutputReportIsLandscapeAndItsUnevenTabsStillAlign) {
  std::vector<OutputRow> rows = {
      {" 1", "Насос", " 0x00", "DO_1_1", "управл.", "с   блокировкой", "есть", "нет", "0", "есть", "есть",
       "0"},
      {" 64", "Очень длинное", " 0x3F", "DO_8_8", "сигнал.", "свет(п-вод в ровн)", "нет", "есть", "252",
       "нет", "нет", "17"},
      {" 9", "", " 0x08", "DO_2_1", "сигнал.", "звук(с гашением)", "нет", "нет", "1", "нет", "нет", "100"}};
  const Report r = OutputReport("ЗУЛ-05HMI  1126  № 1", rows);
  EXPECT_EQ(r.orientation, PageOrientation::Landscape);
  EXPECT_EQ(r.marginPoints, 29);
  ASSERT_EQ(r.lines.size(), 10u);
  EXPECT_EQ(r.lines[2], "          Дискретные выходы");
  // Past the first piece (number and name), every line's columns start at the same places.
  auto columns = [&](const std::string& line) {
    auto s = PieceStarts(line, r.tabStops);
    s.erase(s.begin());
    return s;
  };
  const auto header0 = columns(r.lines[4]);
  EXPECT_EQ(header0.size(), 10u);
  EXPECT_EQ(columns(r.lines[5]), header0);
  for (size_t k = 7; k < r.lines.size(); ++k) EXPECT_EQ(columns(r.lines[k]), header0) << r.lines[k];
  const auto text = ReadRtf(ReportToRtf(r));
  ASSERT_TRUE(text.wellFormed) << text.error;
  EXPECT_EQ(text.paragraphs, r.lines);
}

TEST(InformReports, TitleNamesTheFileOrTheController) {
  EXPECT_EQ(ReportTitle(true, "C:/a/b.zul", "1126", "3"), "Файл C:/a/b.zul");
  EXPECT_EQ(ReportTitle(false, "b.zul", "1126", "3"), "ЗУЛ-05HMI  1126  № 3");
}

}  // namespace
}  // namespace zul
