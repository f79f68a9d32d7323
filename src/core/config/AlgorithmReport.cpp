#include "core/config/AlgorithmReport.h"

#include <array>

namespace zul {
namespace {

constexpr std::array<size_t, kBlockTableColumns> kBlockWidths{3, 8, 27, 15, 15, 15, 15};
constexpr std::array<size_t, kAlgorithmTableColumns> kAlgorithmWidths{3, 40, 60};

// Cells padded to width + 1 and joined by tabs; the stops sit one column
// past each padded cell, so a cell that fits always lands on its own stop.
template <size_t N>
std::string Line(const std::array<std::string, N>& cells, const std::array<size_t, N>& widths) {
  std::string line;
  for (size_t k = 0; k < N; ++k) {
    if (k > 0) line += '\t';
    line += PadRight(cells[k], widths[k] + 1);
  }
  return line;
}

template <size_t N>
std::vector<int> Stops(const std::array<size_t, N>& widths) {
  std::vector<int> stops;
  int column = 0;
  for (size_t k = 0; k + 1 < N; ++k) {
    column += static_cast<int>(widths[k]) + 2;
    stops.push_back(column);
  }
  return stops;
}

std::array<std::string, kAlgorithmTableColumns> Cells(const AlgorithmRow& row) {
  return {row.number, row.name, row.members};
}

}  // namespace

Report BlockTableReport(const std::string& title, const std::vector<BlockTableRow>& rows) {
  TableReportParts parts;
  parts.title = title;
  parts.caption = kAlgorithmReportCaption;
  for (const BlockTableRow& h : BlockTableHeader()) parts.headerLines.push_back(Line(h, kBlockWidths));
  for (const BlockTableRow& row : rows) parts.rows.push_back(Line(row, kBlockWidths));
  Report report = MakeTableReport(parts);
  report.tabStops = Stops(kBlockWidths);
  report.orientation = PageOrientation::Landscape;
  report.fontHalfPoints = 16;
  return report;
}

Report AlgorithmTableReport(const std::string& title, const std::vector<AlgorithmRow>& rows) {
  TableReportParts parts;
  parts.title = title;
  parts.caption = kAlgorithmReportCaption;
  for (const AlgorithmRow& h : AlgorithmTableHeader())
    parts.headerLines.push_back(Line(Cells(h), kAlgorithmWidths));
  for (const AlgorithmRow& row : rows)
    if (row.number.find_first_not_of(' ') != std::string::npos)
      parts.rows.push_back(Line(Cells(row), kAlgorithmWidths));
  Report report = MakeTableReport(parts);
  report.tabStops = Stops(kAlgorithmWidths);
  report.orientation = PageOrientation::Landscape;
  report.fontHalfPoints = 16;
  return report;
}

}  // namespace zul
