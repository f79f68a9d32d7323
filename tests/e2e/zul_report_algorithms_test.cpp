// zul report algorithms: the algorithm table of a configuration file as .rtf and PDF.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/ZulFile.h"
#include "core/editing/AlgorithmEditing.h"
#include "support/ChildPrograms.h"
#include "support/RtfText.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

int Zul(const std::string& arguments) {
  return test::RunCommand(test::BinDir() + "/zul " + arguments + " >/dev/null 2>&1").exit;
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ZulReportAlgorithms, OneLinePerAlgorithm) {
  const fs::path dir = fs::temp_directory_path() / ("zul_report_alg_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path zul = dir / "plant.zul";
  ASSERT_EQ(Zul("new --modules 1,1,6,3 --yes -o " + zul.string()), 0);
  Configuration c;
  ScriptedInteraction ui;
  ASSERT_EQ(OpenZulFile(zul, c, ui), ZulOpenResult::Loaded);
  FunctionBlocks& fb = c.functionBlocks;
  for (int i = 0; i < 5; ++i) fb.SetTypeCode(i, ftOR + 1);
  fb.RecountBlocks();
  const AlgorithmTable table =
      ParseAlgorithmTable({{" 1", "Пуск насоса", "1,2,"}, {" 2", "Останов", "3,4,5,"}}, fb, true);
  ASSERT_TRUE(table.Parsed());
  ApplyAlgorithmTable(fb, table);
  ASSERT_TRUE(WriteFileReplacing(zul, ZulFileBytes(c)));

  const fs::path out = dir / "alg";  // ".rtf" is added
  ASSERT_EQ(Zul("report algorithms " + zul.string() + " -o " + out.string() + " --pdf " +
                (dir / "alg.pdf").string()),
            0);
  const test::RtfText text = test::ReadRtf(Read(dir / "alg.rtf"));
  ASSERT_TRUE(text.wellFormed) << text.error;
  ASSERT_EQ(text.paragraphs.size(), 9u);
  EXPECT_EQ(text.paragraphs[0], "Файл plant.zul");
  EXPECT_EQ(text.paragraphs[7].rfind(" 1  \tПуск насоса", 0), 0u) << text.paragraphs[7];
  EXPECT_NE(text.paragraphs[8].find("3,4,5,"), std::string::npos) << text.paragraphs[8];
  EXPECT_EQ(Read(dir / "alg.pdf").rfind("%PDF", 0), 0u);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zul
