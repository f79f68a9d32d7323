#pragma once
// Printable reports of the information and programming windows, written as
// .rtf files that any word processor opens.
//
// A report is a list of lines in a fixed-pitch font; a tab character in a
// line moves to the next tab stop, so columns line up when every line uses
// the same stops. Tab stops are given in character widths of the report's
// font, so a window lays its columns out in characters and the same numbers
// serve the .rtf file, the print preview and a PDF.
//
//   Report r = MakeTableReport({.title = "Файл a.zul",
//                               .caption = "Аналоговые сигналы",
//                               .headerLines = {"  № \tИдентификатор \t   Адрес"},
//                               .rows = {"1\tAI1_1         \t 0x00"}});
//   r.tabStops = {6, 22};
//   r.orientation = PageOrientation::Landscape;   // optional
//   r.marginPoints = 29;                          // optional, all four margins
//   std::string rtf = ReportToRtf(r);
//
// Text is UTF-8. In the .rtf every character outside ASCII is written as
// \uN followed by its cp1251 byte (\'xx) for readers without Unicode, under
// \ansicpg1251, so Cyrillic shows in every word processor.
#include <string>
#include <string_view>
#include <vector>

namespace zul {

enum class PageOrientation { Portrait, Landscape };

struct Report {
  std::vector<std::string> lines;  // in order; '\t' separates columns
  std::vector<int> tabStops;       // character columns, ascending, > 0
  PageOrientation orientation = PageOrientation::Portrait;
  int marginPoints = 0;     // every page margin; 0 keeps the reader's default
  int fontHalfPoints = 20;  // size of the fixed-pitch font in half points (20 = 10 pt)

  void AddLine(std::string_view utf8) { lines.emplace_back(utf8); }
  void AddEmptyLine() { lines.emplace_back(); }
  // The cells joined by tab characters.
  void AddCells(const std::vector<std::string>& cells);
};

// The layout every table report of the program shares: the title, an empty
// line, ten blanks and the caption over the table, an empty line, the header
// lines, an empty line, then one line per row.
struct TableReportParts {
  std::string title;
  std::string caption;
  std::vector<std::string> headerLines;
  std::vector<std::string> rows;
};
Report MakeTableReport(const TableReportParts& parts);

// The text followed by blanks up to `width` characters (not bytes); a longer
// text is kept whole.
std::string PadRight(std::string_view utf8, size_t width);

// Name of the fixed-pitch font the report asks for, and the width of one of
// its characters as a fraction of the font size (for tab stops).
inline constexpr const char* kReportFontName = "Courier New";
inline constexpr double kReportCharWidthEm = 0.6;

// Position of a tab stop at a character column, in twips (1/20 point).
int TabStopTwips(int column, int fontHalfPoints);

// The whole .rtf document.
std::string ReportToRtf(const Report& report);

// Writes the .rtf file; false when it cannot be created or written. A file
// that failed half way is removed, so no torn report stays behind.
bool SaveReport(const Report& report, const std::string& path);

}  // namespace zul
