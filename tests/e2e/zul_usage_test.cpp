// What the programs say about themselves: zul's usage lines against the
// options each command takes, the bash completion, and zulprog's --help and
// --version on a machine without a display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/ChildPrograms.h"

namespace zul {
namespace {

using namespace test;

std::string Zul(const std::string& arguments) {
  return RunCommand("'" + BinDir() + "/zul' " + arguments + " 2>&1 </dev/null").output;
}

std::vector<std::string> CommandNames() {
  std::vector<std::string> names;
  std::istringstream lines(Zul("--help"));
  const std::regex usage("^  zul ([a-z-]+)");
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (std::regex_search(line, m, usage)) names.push_back(m[1]);
  }
  return names;
}

// The options --help lists ("-o" where there is a short name), and those the usage line names.
struct CommandOptions {
  std::string synopsis;
  std::set<std::string> listed, named;
};

CommandOptions OptionsOf(const std::string& command) {
  CommandOptions o;
  std::istringstream lines(Zul(command + " --help"));
  const std::regex option(R"(^  (-[a-z]), --[a-z-]+|^  (--[a-z-]+))");
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("usage: ", 0) == 0) o.synopsis = line;
    std::smatch m;
    if (std::regex_search(line, m, option)) o.listed.insert(m[1].matched ? m[1].str() : m[2].str());
  }
  const std::regex named(R"((^|[ \[(|])(--?[a-z][a-z-]*))");
  for (auto it = std::sregex_iterator(o.synopsis.begin(), o.synopsis.end(), named);
       it != std::sregex_iterator(); ++it)
    o.named.insert((*it)[2]);
  return o;
}

TEST(Usage, EveryLineNamesExactlyTheOptionsItsCommandTakes) {
  // "[line options]" stands for these; zul --help spells them out.
  const std::set<std::string> lineOptions = {"--baud", "--parity", "--stop", "--delay", "-h"};
  const std::vector<std::string> commands = CommandNames();
  ASSERT_GE(commands.size(), 15u);
  for (const std::string& command : commands) {
    SCOPED_TRACE(command);
    const CommandOptions o = OptionsOf(command);
    ASSERT_FALSE(o.synopsis.empty());
    for (const std::string& option : o.listed) {
      if (lineOptions.count(option)) continue;
      EXPECT_TRUE(o.named.count(option)) << option << " missing in " << o.synopsis;
    }
    for (const std::string& option : o.named)
      EXPECT_TRUE(o.listed.count(option)) << option << " is not an option of zul " << command;
  }
}

// Runs the completion function as bash would for the words typed so far
// (the last one is the word being completed) and returns what it offers.
std::string Complete(const std::string& words) {
  const std::string script =
      "PATH='" + BinDir() +
      "':$PATH\n"
      "_init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]};"
      " words=(\"${COMP_WORDS[@]}\"); cword=$COMP_CWORD; }\n"
      "_filedir() { :; }\n"
      "source '" +
      std::string(std::getenv("ZUL_SOURCE_DIR")) +
      "/packaging/zul.bash-completion'\n"
      "COMP_WORDS=(" +
      words +
      ")\n"
      "COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
      "_zul\n"
      "echo \" ${COMPREPLY[*]} \"\n";
  const std::string file = TempPath("zul-completion.sh");
  RunCommand("cat > '" + file + "' <<'SCRIPT'\n" + script + "SCRIPT");
  return RunCommand("bash '" + file + "' 2>&1").output;
}

struct CompletionCase {
  const char* words;
  std::vector<const char*> offered;
  std::vector<const char*> notOffered;
};

class Completion : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(Completion, OffersWhatTheCommandTakes) {
  const std::string offered = Complete(GetParam().words);
  for (const char* word : GetParam().offered)
    EXPECT_NE(offered.find(std::string(" ") + word + " "), std::string::npos) << word << " in" << offered;
  for (const char* word : GetParam().notOffered)
    EXPECT_EQ(offered.find(std::string(" ") + word + " "), std::string::npos) << word << " in" << offered;
}

INSTANTIATE_TEST_SUITE_P(
    Words, Completion,
    ::testing::Values(CompletionCase{"zul ''", {"scan", "backup", "report", "--version"}, {}},
                      CompletionCase{"zul report ''", {"inputs", "regulators", "algorithms", "module"}, {}},
                      CompletionCase{"zul renumber --pa", {"--password"}, {}},
                      CompletionCase{"zul clock --pa", {"--password"}, {}},
                      CompletionCase{"zul scan --d", {"--delay"}, {"--device"}},
                      CompletionCase{"zul backup -", {"--yes", "--all", "-o"}, {}},
                      CompletionCase{"zul poll --function ''", {"17", "68"}, {}}));

// Without any display: the window system must not be started for these.
TEST(Zulprog, AnswersHelpAndVersionWithoutADisplay) {
  const std::string zulprog =
      "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + BinDir() + "/zulprog'";
  const ProgramRun version = RunCommand(zulprog + " --version 2>&1");
  EXPECT_EQ(version.exit, 0) << version.output;
  EXPECT_TRUE(std::regex_search(version.output, std::regex("^zulprog \\d+\\.\\d+"))) << version.output;
  const ProgramRun help = RunCommand(zulprog + " --help 2>&1");
  EXPECT_EQ(help.exit, 0) << help.output;
  EXPECT_NE(help.output.find("Использование: zulprog"), std::string::npos) << help.output;
  EXPECT_NE(help.output.find("--port"), std::string::npos) << help.output;
  // One language: none of Qt's English help texts.
  EXPECT_EQ(help.output.find("Displays"), std::string::npos) << help.output;
  EXPECT_EQ(help.output.find("Options:"), std::string::npos) << help.output;
  const ProgramRun wrong = RunCommand(zulprog + " --frobnicate 2>&1");
  EXPECT_EQ(wrong.exit, 2) << wrong.output;
  EXPECT_NE(wrong.output.find("неизвестный параметр"), std::string::npos) << wrong.output;
}

}  // namespace
}  // namespace zul
