// The text codecs with arbitrary bytes: cp1251 to UTF-8 and back, the fixed
// text fields, and the .rtf writer with arbitrary lines and tab stops.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "core/model/Cp1251.h"
#include "core/report/RtfReport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zul;
  using namespace zul::fuzz;
  FuzzInput in(data, size);
  const uint8_t width = in.Byte();
  const uint8_t stops = in.Byte();
  const std::vector<uint8_t> bytes = in.Rest();

  // Every cp1251 byte is one character.
  const std::string utf8 = Cp1251ToUtf8(bytes.data(), bytes.size());
  Require(Utf8Length(utf8) == bytes.size());
  // Arbitrary bytes read as UTF-8: never more cp1251 bytes than input bytes.
  const std::string text(bytes.begin(), bytes.end());
  Require(Utf8ToCp1251(text).size() <= text.size());

  std::vector<uint8_t> field(width, 0xEE);
  SetTextField(field.data(), field.size(), text);
  const std::string back = GetTextField(field.data(), field.size());
  Require(Utf8Length(back) <= width);
  PadRight(text, width);

  Report report;
  std::string line;
  for (char ch : text) {
    if (ch == '\n') {
      report.AddLine(line);
      line.clear();
    } else {
      line += ch;
    }
  }
  report.AddLine(line);
  for (int k = 1; k <= stops % 16; ++k) report.tabStops.push_back(k * (1 + stops / 16));
  report.fontHalfPoints = 8 + width % 40;
  for (char ch : ReportToRtf(report)) Require(static_cast<unsigned char>(ch) < 0x80);
  return 0;
}
