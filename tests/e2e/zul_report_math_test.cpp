// zul report math: the calculation blocks of a configuration file as .rtf.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/ZulFile.h"
#include "core/editing/CalculationBlockEditing.h"
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

TEST(ZulReportMath, ListsTheBlocksAndLeavesRecordsOutOfRangeOut) {
  const fs::path dir = fs::temp_directory_path() / ("zul_report_math_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path zul = dir / "plant.zul";
  ASSERT_EQ(Zul("new --modules 1,1,6,3 --yes -o " + zul.string()), 0);
  Configuration c;
  ScriptedInteraction ui;
  ASSERT_EQ(OpenZulFile(zul, c, ui), ZulOpenResult::Loaded);
  FunctionBlocks& fb = c.functionBlocks;
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
  ASSERT_EQ(Zul("report math " + zul.string() + " -o " + out.string()), 0);
  const test::RtfText text = test::ReadRtf(Read(out));
  ASSERT_TRUE(text.wellFormed) << text.error;
  std::string rows;
  for (const std::string& p : text.paragraphs)
    if (p.rfind(" ", 0) == 0 && p.find("МБ") != std::string::npos) rows += p + "\n";
  EXPECT_EQ(rows, " 1\tМБ1\t+  Y=C1*X1+C2*X2\tан. 2 AI1_2\t1,5000\tрасч. 1\t3,0000\t1\n");
  EXPECT_NE(Read(out).find("\\par"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zul
