// Opening a .zul file of any size and content, then everything done with an
// open file: dump, diff, the reports, and saving it again.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ConfigurationUse.h"
#include "core/ScriptedInteraction.h"

namespace {

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "zul-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    return std::filesystem::path(pattern);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zul;
  const auto file = Folder() / "in.zul";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  Configuration c;
  ScriptedInteraction ui;
  const ZulOpenResult opened = OpenZulFile(file, c, ui);
  if (opened != ZulOpenResult::Loaded && opened != ZulOpenResult::LoadedShort) return 0;
  fuzz::UseConfiguration(c);
  const auto saved = Folder() / "out.zul";
  fuzz::Require(WriteFileReplacing(saved, ZulFileBytes(c)));
  Configuration reopened;
  fuzz::Require(OpenZulFile(saved, reopened, ui) == ZulOpenResult::Loaded);
  return 0;
}
