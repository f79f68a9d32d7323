// The analog module report: its columns per module type and its values.
#include <gtest/gtest.h>

#include "core/config/AnalogModuleReport.h"
#include "core/model/AnalogModules.h"

namespace zul {
namespace {

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    cells.push_back(line.substr(start, tab - start));
  }
  cells.push_back(line.substr(start));
  return cells;
}

struct ReportCase {
  const char* name;
  int type;
  std::vector<std::string> header;    // first cells of the header's first line
  std::vector<std::string> firstRow;  // first cells of channel 1
};

class AnalogModuleReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(AnalogModuleReportTest, ColumnsAndValuesOfTheType) {
  const ReportCase& c = GetParam();
  AnalogModules mba;
  mba.SetDefaultUnits();
  mba.SetModuleDefaults(2, c.type);
  const Report r = AnalogModuleReport(mba, 3, c.type, "Файл a.zul", "AI3_1 - AI3_6");
  ASSERT_EQ(r.lines.size(), 4u + 2u + 1u + 6u);
  EXPECT_EQ(r.lines[0], "Файл a.zul");
  EXPECT_EQ(r.lines[2], std::string(10, ' ') + "Модуль\t" + AnalogModuleIdent(c.type) +
                            "\t\tмодуль аналогового ввода\t3\t\t\t\tвходы AI3_1 - AI3_6");
  const auto header = Cells(r.lines[4]);
  EXPECT_EQ(std::vector<std::string>(header.begin(), header.begin() + static_cast<long>(c.header.size())),
            c.header);
  const auto row = Cells(r.lines[7]);
  EXPECT_EQ(std::vector<std::string>(row.begin(), row.begin() + static_cast<long>(c.firstRow.size())),
            c.firstRow);
  EXPECT_EQ(row.size(), header.size());
  EXPECT_EQ(r.tabStops.size(), header.size() - 1);
  EXPECT_EQ(r.orientation, PageOrientation::Landscape);
}

INSTANTIATE_TEST_SUITE_P(
    Types, AnalogModuleReportTest,
    ::testing::Values(
        ReportCase{"Lk7",
                   6,
                   {"№", "технолог", "входной", "шкала"},
                   {"1", "поз.6101", "20-100 кПа", "линейная", "%", "0,0000", "100,0000", "0,0000"}},
        ReportCase{
            "Lk8", 7, {"№", "технолог", "шкала", "разм."}, {"1", "поз.7101", "линейная", "%", "0,0000"}},
        ReportCase{
            "Lk9", 8, {"№", "технолог", "шкала", "разм."}, {"1", "поз.8101", "100П", "град.С", "0", "100"}},
        ReportCase{"Lk10", 9, {"№", "технолог", "входной"}, {"1", "поз.9101", "4 - 20 мА"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AnalogModuleReportFreeScale, Lk9FreeSensorShowsTheTypedScale) {
  AnalogModules mba;
  mba.SetModuleDefaults(0, 8);
  mba.ChooseSensorType(0, 4, 14);  // "100M"
  mba.SetScaleMax(0, 4, "150,5");
  const auto row = Cells(AnalogModuleReport(mba, 1, 8, "", "").lines[7 + 4]);
  EXPECT_EQ(row[2], "100M");
  EXPECT_EQ(row[4], "-200,0000");
  EXPECT_EQ(row[5], "150,5000");
}

// A table range prints what the window's lists show, not the scale kept in
// the record (a file may carry one that differs from its range row).
TEST(AnalogModuleReportTableScale, PrintsTheRangeRowTheListsShow) {
  AnalogModules mba;
  mba.SetModuleDefaults(0, 8);
  const int sensor = mba.GetScaleKind(0, 2);
  const auto ranges = AnalogModules::GetSensorRanges(sensor);
  ASSERT_GE(ranges.size(), 2u);
  mba.SetRangeIndex(0, 2, 1);
  mba.SetScaleMin(0, 2, "-37");
  mba.SetScaleMax(0, 2, "999");
  const AnalogModules::RangeLists lists = AnalogModules::FillRangeLists(sensor, 1);
  ASSERT_GE(lists.minima.Selected, 0);
  ASSERT_GE(lists.maxima.Selected, 0);
  const auto row = Cells(AnalogModuleReport(mba, 1, 8, "", "").lines[7 + 2]);
  EXPECT_EQ(row[4], std::to_string(lists.minima.Items[static_cast<size_t>(lists.minima.Selected)]));
  EXPECT_EQ(row[5], std::to_string(lists.maxima.Items[static_cast<size_t>(lists.maxima.Selected)]));
}

}  // namespace
}  // namespace zul
