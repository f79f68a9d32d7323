// zul report fb, math and algorithms: the function block table, the
// calculation blocks and the algorithms of a configuration file as .rtf and PDF.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/ZulFile.h"
#include "core/editing/AlgorithmEditing.h"
#include "core/editing/CalculationBlockEditing.h"
#include "core/model/FunctionBlocks.h"
#include "support/ChildPrograms.h"
#include "support/RtfText.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

// A new configuration file, opened for the test to fill its table and save.
class FunctionBlockReports : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir);
    ASSERT_EQ(test::RunZul("new --modules 1,1,6,3 --yes -o " + zul.string()), 0);
    ASSERT_EQ(OpenZulFile(zul, c, ui), ZulOpenResult::Loaded);
  }
  void TearDown() override { fs::remove_all(dir); }

  const fs::path dir = fs::temp_directory_path() / ("zul_report_fb_" + std::to_string(::getpid()));
  const fs::path zul = dir / "plant.zul";
  Configuration c;
  ScriptedInteraction ui;
  FunctionBlocks& fb = c.functionBlocks;
};

TEST_F(FunctionBlockReports, TableWithCaptionsAsThePanelsShowThem) {
  fb.SetTypeCode(0, ftAND + 1);
  fb.SetInputSource(0, 0, srcFBOutput);
  fb.SetInputNumber(0, 0, 121);
  fb.SetTypeCode(1, ftTimer + 1);
  fb.SetTime(1, 5);
  fb.SetInputSource(1, 0, srcFBOutput);
  fb.SetInputNumber(1, 0, 1);
  fb.SetRelayByte(1, 1, 0x03);
  fb.SetTypeCode(2, ftTrigger + 1);
  fb.SetSubtype(2, 1);
  fb.RecountBlocks();
  ASSERT_TRUE(WriteFileReplacing(zul, ZulFileBytes(c)));

  const fs::path out = dir / "fb.rtf";
  ASSERT_EQ(test::RunZul("report fb " + zul.string() + " -o " + out.string() + " --pdf " +
                         (dir / "fb.pdf").string()),
            0);
  const test::RtfText text = test::ReadRtf(test::ReadText(out));
  ASSERT_TRUE(text.wellFormed) << text.error;
  ASSERT_GE(text.paragraphs.size(), 2u);
  EXPECT_EQ(text.paragraphs[0], "Файл plant.zul");
  ASSERT_GE(text.paragraphs.size(), 4u);
  const std::string& timer = text.paragraphs[text.paragraphs.size() - 2];
  EXPECT_EQ(timer.rfind(" 2\tФБ2\t\"Т\" таймер  (2 входа)\tS:НЕ ФБ1", 0), 0u) << timer;
  EXPECT_NE(timer.find("Т=500 мс"), std::string::npos) << timer;
  EXPECT_NE(timer.find("МР1:1,2"), std::string::npos) << timer;
  EXPECT_NE(text.paragraphs[text.paragraphs.size() - 3].find("НЕ КВУ121"), std::string::npos);
  // The trigger's kind is its one parameter.
  EXPECT_NE(text.paragraphs.back().find("\tприоритет установки (S-R)\t"), std::string::npos)
      << text.paragraphs.back();
  EXPECT_EQ(test::ReadText(dir / "fb.pdf").rfind("%PDF", 0), 0u);
}

TEST_F(FunctionBlockReports, MathListsTheBlocksAndLeavesRecordsOutOfRangeOut) {
  fb.SetTypeCode(0, ftAND + 1);
  fb.SetTypeCode(1, FunctionBlocks::kTypeCalc);  // МБ1: Y = 1,5·X1 + 3·X2
  fb.SetOperation(1, opSum);
  fb.SetX1Number(1, 2);
  fb.SetFloatText(1, "1,5", 1);
  fb.SetX2Source(1, srcCalculatedValue);
  fb.SetX2Number(1, 1);
  fb.SetFloatText(1, "3", 2);
  fb.SetResultAddress(1, 1, 1);
  fb.SetTypeCode(2, FunctionBlocks::kTypeCalc);  // an operation no block has
  fb.SetOperation(2, 11);
  ASSERT_TRUE(WriteFileReplacing(zul, ZulFileBytes(c)));

  const fs::path out = dir / "math.rtf";
  ASSERT_EQ(test::RunZul("report math " + zul.string() + " -o " + out.string()), 0);
  const test::RtfText text = test::ReadRtf(test::ReadText(out));
  ASSERT_TRUE(text.wellFormed) << text.error;
  std::string rows;
  for (const std::string& p : text.paragraphs)
    if (p.rfind(" ", 0) == 0 && p.find("МБ") != std::string::npos) rows += p + "\n";
  EXPECT_EQ(rows, " 1\tМБ1\t+  Y=C1*X1+C2*X2\tан. 2 AI1_2\t1,5000\tрасч. 1\t3,0000\t1\n");
  EXPECT_NE(test::ReadText(out).find("\\par"), std::string::npos);
}

TEST_F(FunctionBlockReports, AlgorithmsOneLinePerAlgorithm) {
  for (int i = 0; i < 5; ++i) fb.SetTypeCode(i, ftOR + 1);
  fb.RecountBlocks();
  const AlgorithmTable table =
      ParseAlgorithmTable({{" 1", "Пуск насоса", "1,2,"}, {" 2", "Останов", "3,4,5,"}}, fb);
  ASSERT_TRUE(table.Parsed());
  ApplyAlgorithmTable(fb, table);
  ASSERT_TRUE(WriteFileReplacing(zul, ZulFileBytes(c)));

  const fs::path out = dir / "alg";  // ".rtf" is added
  ASSERT_EQ(test::RunZul("report algorithms " + zul.string() + " -o " + out.string() + " --pdf " +
                         (dir / "alg.pdf").string()),
            0);
  const test::RtfText text = test::ReadRtf(test::ReadText(dir / "alg.rtf"));
  ASSERT_TRUE(text.wellFormed) << text.error;
  ASSERT_EQ(text.paragraphs.size(), 9u);
  EXPECT_EQ(text.paragraphs[0], "Файл plant.zul");
  EXPECT_EQ(text.paragraphs[7].rfind(" 1  \tПуск насоса", 0), 0u) << text.paragraphs[7];
  EXPECT_NE(text.paragraphs[8].find("3,4,5,"), std::string::npos) << text.paragraphs[8];
  EXPECT_EQ(test::ReadText(dir / "alg.pdf").rfind("%PDF", 0), 0u);
}

}  // namespace
}  // namespace zul
