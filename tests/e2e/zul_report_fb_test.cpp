// zul report fb: the function block table of a configuration file as .rtf and PDF.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/ScriptedInteraction.h"
#include "core/config/Configuration.h"
#include "core/config/ZulFile.h"
#include "core/model/FunctionBlocks.h"
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

TEST(ZulReportFunctionBlocks, TableWithCaptionsAsThePanelsShowThem) {
  const fs::path dir = fs::temp_directory_path() / ("zul_report_fb_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path zul = dir / "plant.zul";
  ASSERT_EQ(Zul("new --modules 1,1,6,3 --yes -o " + zul.string()), 0);
  Configuration c;
  ScriptedInteraction ui;
  ASSERT_EQ(OpenZulFile(zul, c, ui), ZulOpenResult::Loaded);
  FunctionBlocks& fb = c.functionBlocks;
  fb.SetTypeCode(0, ftAND + 1);
  fb.SetInputSource(0, 0, srcFBOutput);
  fb.SetInputNumber(0, 0, 121);
  fb.SetTypeCode(1, ftTimer + 1);
  fb.SetTime(1, 5);
  fb.SetInputSource(1, 0, srcFBOutput);
  fb.SetInputNumber(1, 0, 1);
  fb.SetRelayByte(1, 1, 0x03);
  fb.RecountBlocks();
  ASSERT_TRUE(WriteFileReplacing(zul, ZulFileBytes(c)));

  const fs::path out = dir / "fb.rtf";
  ASSERT_EQ(Zul("report fb " + zul.string() + " -o " + out.string() + " --pdf " + (dir / "fb.pdf").string()),
            0);
  const test::RtfText text = test::ReadRtf(Read(out));
  ASSERT_TRUE(text.wellFormed) << text.error;
  ASSERT_GE(text.paragraphs.size(), 2u);
  EXPECT_EQ(text.paragraphs[0], "Файл plant.zul");
  const std::string& timer = text.paragraphs.back();
  EXPECT_EQ(timer.rfind(" 2\tФБ2\t\"Т\" таймер  (2 входа)\tS:НЕ ФБ1", 0), 0u) << timer;
  EXPECT_NE(timer.find("Т=500 мс"), std::string::npos) << timer;
  EXPECT_NE(timer.find("МР1:1,2"), std::string::npos) << timer;
  EXPECT_NE(text.paragraphs[text.paragraphs.size() - 2].find("НЕ КВУ121"), std::string::npos);
  EXPECT_EQ(Read(dir / "fb.pdf").rfind("%PDF", 0), 0u);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zul
