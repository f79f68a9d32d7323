#include "core/report/RtfReport.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/model/Cp1251.h"

namespace zul {
namespace {

// A4 in twips.
constexpr int kPaperShortTwips = 11906;
constexpr int kPaperLongTwips = 16838;
constexpr int kTwipsPerPoint = 20;

// One code point at text[i], advancing i; a broken sequence gives U+FFFD.
char32_t NextCodePoint(std::string_view text, size_t& i) {
  const auto lead = static_cast<uint8_t>(text[i++]);
  if (lead < 0x80) return lead;
  const int extra = (lead >= 0xF0 && lead < 0xF8) ? 3 : (lead >= 0xE0) ? 2 : (lead >= 0xC2) ? 1 : -1;
  if (extra < 0) return 0xFFFD;
  char32_t c = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (static_cast<uint8_t>(text[i]) & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (static_cast<uint8_t>(text[i++]) & 0x3F);
  }
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
  return c;
}

// \uN takes a signed 16-bit number.
void AppendUnicodeUnit(std::string& out, unsigned unit, std::string_view fallback) {
  const int n = unit > 0x7FFF ? static_cast<int>(unit) - 0x10000 : static_cast<int>(unit);
  out += "\\u" + std::to_string(n);
  out += fallback;
}

void AppendCharacter(std::string& out, char32_t c, std::string_view utf8) {
  if (c == '\t') {
    out += "\\tab ";
  } else if (c == '\\' || c == '{' || c == '}') {
    out += '\\';
    out += static_cast<char>(c);
  } else if (c < 0x20 || c == 0x7F) {
    out += ' ';  // control characters have no place in a report line
  } else if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c == 0xFFFD) {
    out += '?';
  } else {
    // Readers without Unicode skip \uN and take the cp1251 byte after it.
    std::string fallback = "?";
    const std::string ansi = Utf8ToCp1251(utf8);
    if (ansi.size() == 1 && ansi[0] != '?') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned>(static_cast<uint8_t>(ansi[0])));
      fallback = hex;
    }
    if (c > 0xFFFF) {
      const char32_t v = c - 0x10000;
      AppendUnicodeUnit(out, 0xD800 + static_cast<unsigned>(v >> 10), "?");
      AppendUnicodeUnit(out, 0xDC00 + static_cast<unsigned>(v & 0x3FF), "?");
    } else {
      AppendUnicodeUnit(out, static_cast<unsigned>(c), fallback);
    }
  }
}

void AppendText(std::string& out, std::string_view utf8) {
  for (size_t i = 0; i < utf8.size();) {
    const size_t start = i;
    const char32_t c = NextCodePoint(utf8, i);
    AppendCharacter(out, c, utf8.substr(start, i - start));
  }
}

}  // namespace

void Report::AddCells(const std::vector<std::string>& cells) {
  std::string line;
  for (size_t k = 0; k < cells.size(); ++k) {
    if (k > 0) line += '\t';
    line += cells[k];
  }
  lines.push_back(std::move(line));
}

Report MakeTableReport(const TableReportParts& parts) {
  Report r;
  r.AddLine(parts.title);
  r.AddEmptyLine();
  r.AddLine(std::string(10, ' ') + parts.caption);
  r.AddEmptyLine();
  for (const std::string& h : parts.headerLines) r.AddLine(h);
  r.AddEmptyLine();
  for (const std::string& row : parts.rows) r.AddLine(row);
  return r;
}

std::string PadRight(std::string_view utf8, size_t width) {
  std::string out(utf8);
  const size_t length = Utf8Length(utf8);
  if (length < width) out.append(width - length, ' ');
  return out;
}

int TabStopTwips(int column, int fontHalfPoints) {
  const double points = column * kReportCharWidthEm * fontHalfPoints / 2.0;
  return static_cast<int>(std::lround(points * kTwipsPerPoint));
}

std::string ReportToRtf(const Report& report) {
  const int halfPoints = report.fontHalfPoints > 0 ? report.fontHalfPoints : 20;
  std::string out;
  out.reserve(256 + report.lines.size() * 96);
  out += "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049\\uc1\n";
  out += "{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset204 ";
  out += kReportFontName;
  out += ";}}\n";
  const bool landscape = report.orientation == PageOrientation::Landscape;
  const int width = landscape ? kPaperLongTwips : kPaperShortTwips;
  const int height = landscape ? kPaperShortTwips : kPaperLongTwips;
  out += "\\paperw" + std::to_string(width) + "\\paperh" + std::to_string(height);
  if (landscape) out += "\\landscape";
  if (report.marginPoints > 0) {
    const std::string m = std::to_string(report.marginPoints * kTwipsPerPoint);
    out += "\\margl" + m + "\\margr" + m + "\\margt" + m + "\\margb" + m;
  }
  out += "\n\\sectd";
  if (landscape) out += "\\lndscpsxn\\pgwsxn" + std::to_string(width) + "\\pghsxn" + std::to_string(height);
  out += "\n\\pard\\plain";
  int last = 0;
  for (int stop : report.tabStops) {
    if (stop <= last) continue;  // stops must grow
    out += "\\tx" + std::to_string(TabStopTwips(stop, halfPoints));
    last = stop;
  }
  out += "\\f0\\fs" + std::to_string(halfPoints) + "\n";
  for (const std::string& line : report.lines) {
    AppendText(out, line);
    out += "\\par\n";
  }
  out += "}\n";
  return out;
}

bool SaveReport(const Report& report, const std::string& path) {
  const std::string rtf = ReportToRtf(report);
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(rtf.data(), static_cast<std::streamsize>(rtf.size()));
    file.close();
    if (file) return true;
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return false;
}

}  // namespace zul
