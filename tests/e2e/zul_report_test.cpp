// zul report on a configuration file: the .rtf (and PDF) of each table.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/ChildPrograms.h"
#include "support/RtfText.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

class ZulReport : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir);
    ASSERT_EQ(test::RunZul("new --modules 1,1,6,3 --yes -o " + (dir / "plant.zul").string()), 0);
  }
  void TearDown() override { fs::remove_all(dir); }
  const fs::path dir = fs::temp_directory_path() / ("zul_report_" + std::to_string(::getpid()));
};

TEST_F(ZulReport, EachTableBecomesAnRtfWithTheTitleHeaderAndRows) {
  const struct {
    const char* table;
    const char* header;
    const char* firstRow;
    size_t rows;
  } cases[] = {
      {"inputs", "  № \tИдентификатор \t   Адрес\tТекст.реквизит\tвых на МР", "1\tDI_1_1        \t 0x00\t",
       48},
      {"analog", "  № \tИдентификатор \t   Адрес\tТехнолог. поз.", "3\tAI1_3         \t 0x02\t", 6},
      {"outputs", "  №  Наименование\tАдрес", " 1  ", 8},
  };
  for (const auto& c : cases) {
    const fs::path out = dir / (std::string(c.table));  // ".rtf" appended
    ASSERT_EQ(test::RunZul(std::string("report ") + c.table + " " + (dir / "plant.zul").string() + " -o " +
                           out.string()),
              0)
        << c.table;
    const test::RtfText text = test::ReadRtf(test::ReadText(out.string() + ".rtf"));
    ASSERT_TRUE(text.wellFormed) << text.error;
    const size_t headers = std::string(c.table) == "outputs" ? 2 : 1;
    ASSERT_EQ(text.paragraphs.size(), 5 + headers + c.rows) << c.table;
    EXPECT_EQ(text.paragraphs[0], "Файл plant.zul");
    EXPECT_EQ(text.paragraphs[4].rfind(c.header, 0), 0u) << text.paragraphs[4];
    const std::string& first =
        std::string(c.table) == "analog" ? text.paragraphs[5 + headers + 2] : text.paragraphs[5 + headers];
    EXPECT_EQ(first.rfind(c.firstRow, 0), 0u) << first;
  }
}

TEST_F(ZulReport, DiscreteSchemeRowsThenRelayOutputs) {
  const fs::path out = dir / "scheme.rtf";
  const fs::path pdf = dir / "scheme.pdf";
  ASSERT_EQ(test::RunZul("report discrete " + (dir / "plant.zul").string() + " -o " + out.string() +
                         " --pdf " + pdf.string()),
            0);
  const test::RtfText text = test::ReadRtf(test::ReadText(out));
  ASSERT_TRUE(text.wellFormed) << text.error;
  // Every own signal of a new configuration is handled: 48 rows, then the relay lines.
  ASSERT_EQ(text.paragraphs.size(), 5u + 2u + 48u + 2u + 48u);
  EXPECT_EQ(text.paragraphs[2].find("Программирование обработки дискретных входов"), 10u)
      << text.paragraphs[2];
  EXPECT_EQ(text.paragraphs[7].rfind("1\t1\tDI_1_1", 0), 0u) << text.paragraphs[7];
  EXPECT_NE(text.paragraphs[7].find("аварийная\t1\t5 x 1 с"), std::string::npos) << text.paragraphs[7];
  EXPECT_EQ(text.paragraphs[56], "Информация о модулях реле:");
  EXPECT_EQ(text.paragraphs[57], "1\t1\tмодуль реле 1: выходы 1");
  EXPECT_EQ(text.paragraphs[7 + 47 + 2 + 48], "48\t48\tнет выхода на модуль реле");
  EXPECT_GT(fs::file_size(pdf), 1000u);
}

TEST_F(ZulReport, AnalogModuleProgrammingReport) {
  const fs::path out = dir / "module1.rtf";
  ASSERT_EQ(test::RunZul("report module 1 " + (dir / "plant.zul").string() + " -o " + out.string()), 0);
  const test::RtfText text = test::ReadRtf(test::ReadText(out));
  ASSERT_TRUE(text.wellFormed) << text.error;
  ASSERT_EQ(text.paragraphs.size(), 4u + 2u + 1u + 6u);
  EXPECT_EQ(text.paragraphs[0], "Файл plant.zul");
  EXPECT_NE(text.paragraphs[2].find("модуль аналогового ввода\t1\t\t\t\tвходы AI1_1 - AI1_6"),
            std::string::npos)
      << text.paragraphs[2];
  EXPECT_EQ(text.paragraphs[4].rfind("№\tтехнолог\tвходной\tшкала", 0), 0u) << text.paragraphs[4];
  EXPECT_EQ(text.paragraphs[7].rfind("1\tпоз.6101\t20-100 кПа\tлинейная", 0), 0u) << text.paragraphs[7];
  EXPECT_EQ(test::RunZul("report module 2 " + (dir / "plant.zul").string() + " -o " + out.string()), 2);
  EXPECT_EQ(test::RunZul("report module x " + (dir / "plant.zul").string() + " -o " + out.string()), 2);
}

TEST_F(ZulReport, NetworkReportListsTheEntriesLineSettingsAndFunction15Blocks) {
  const fs::path out = dir / "net.rtf";
  ASSERT_EQ(test::RunZul("report network " + (dir / "plant.zul").string() + " -o " + out.string() +
                         " --pdf " + (dir / "net.pdf").string()),
            0);
  const test::RtfText text = test::ReadRtf(test::ReadText(out));
  ASSERT_TRUE(text.wellFormed) << text.error;
  const auto& p = text.paragraphs;
  auto has = [&p](const std::string& line) { return std::find(p.begin(), p.end(), line) != p.end(); };
  EXPECT_EQ(p[0], "Файл plant.zul");
  EXPECT_TRUE(has("1\t—"));
  EXPECT_TRUE(has("16\t—"));
  EXPECT_TRUE(has("Скорость(бит/с):\t\t9600"));
  EXPECT_TRUE(has("Функциональные блоки MBM ф15"));
  EXPECT_TRUE(has("Аналоговые входы локальной сети ModBus"));
  EXPECT_EQ(test::ReadText(dir / "net.pdf").rfind("%PDF", 0), 0u);
}

TEST_F(ZulReport, PdfIsWrittenBesideTheRtf) {
  ASSERT_EQ(test::RunZul("report outputs " + (dir / "plant.zul").string() + " -o " +
                         (dir / "o.rtf").string() + " --pdf " + (dir / "o.pdf").string()),
            0);
  EXPECT_EQ(test::ReadText(dir / "o.pdf").rfind("%PDF", 0), 0u);
  EXPECT_TRUE(fs::exists(dir / "o.rtf"));
}

TEST_F(ZulReport, BadArgumentsAndFilesAreRefused) {
  const std::string zul = (dir / "plant.zul").string();
  EXPECT_EQ(test::RunZul("report inputs " + zul + " -o " + (dir / "x.txt").string()), 2);
  EXPECT_FALSE(fs::exists(dir / "x.txt"));
  EXPECT_EQ(test::RunZul("report tables " + zul + " -o " + (dir / "x.rtf").string()), 2);
  EXPECT_EQ(test::RunZul("report inputs " + zul), 2);
  EXPECT_EQ(
      test::RunZul("report inputs " + (dir / "missing.zul").string() + " -o " + (dir / "x.rtf").string()), 1);
  EXPECT_FALSE(fs::exists(dir / "x.rtf"));
}

// The shipped example has a loop of every programmable kind.
TEST_F(ZulReport, RegulatorsOfTheExampleWithKindsInputsOutputsAndPoints) {
  const std::string example = std::string(std::getenv("ZUL_SOURCE_DIR")) + "/examples/plant.zul";
  const fs::path out = dir / "loops.rtf";
  ASSERT_EQ(test::RunZul("report regulators " + example + " -o " + out.string() + " --pdf " +
                         (dir / "loops.pdf").string()),
            0);
  const test::RtfText text = test::ReadRtf(test::ReadText(out));
  ASSERT_TRUE(text.wellFormed) << text.error;
  std::string all;
  for (const std::string& p : text.paragraphs) all += p + "\n";
  for (const char* expected :
       {"Файл plant.zul", "Программирование регуляторов", "Регулятор № 1   одноконтурный  регулятор",
        "Регулятор № 2   каскадная схема", "Регулятор внутр. контура № 3", "на рег 3", "вых ЦАП №2",
        "Регулятор № 4   регулятор с прогр. задатч.", "ПЗ № 1", "задание 35,00",
        "Регулятор № 5   двухпозиционный регулятор", "OUT1 80,00", "KP 2,50", "Ti 120,00", "OH 100,00"}) {
    EXPECT_NE(all.find(expected), std::string::npos) << expected << "\n" << all;
  }
  EXPECT_EQ(test::ReadText(dir / "loops.pdf").rfind("%PDF", 0), 0u);
}

TEST_F(ZulReport, RegulatorsOfAFileWithoutLoops) {
  const fs::path out = dir / "none.rtf";
  ASSERT_EQ(test::RunZul("report regulators " + (dir / "plant.zul").string() + " -o " + out.string()), 0);
  const test::RtfText text = test::ReadRtf(test::ReadText(out));
  ASSERT_TRUE(text.wellFormed) << text.error;
  EXPECT_EQ(text.paragraphs.back(), "Контуры регулирования не запрограммированы");
}

}  // namespace
}  // namespace zul
