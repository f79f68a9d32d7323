#include "core/model/FloatText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace zul {
namespace {

struct FormatCase {
  double value;
  int precision, decimals;
  const char* text;
};

class FixedNotationTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FixedNotationTable, RoundsToPrecisionThenPadsDecimals) {
  const auto& c = GetParam();
  EXPECT_EQ(FixedNotation(c.value, c.precision, c.decimals), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FixedNotationTable,
    ::testing::Values(FormatCase{1.0, 7, 2, "1,00"}, FormatCase{0.0, 7, 4, "0,0000"},
                      FormatCase{-0.001, 7, 2, "0,00"},  // no minus on a shown zero
                      FormatCase{1234.567, 5, 2, "1234,60"}, FormatCase{1234.567, 7, 2, "1234,57"},
                      FormatCase{99999.0, 5, 2, "99999,00"}, FormatCase{123456.0, 5, 2, "1,2346E+005"},
                      FormatCase{-2.5, 7, 4, "-2,5000"}, FormatCase{12344.5, 5, 2, "12345,00"},
                      FormatCase{-12344.5, 5, 2, "-12345,00"}, FormatCase{0.05, 7, 1, "0,1"},
                      FormatCase{3.0, 7, 0, "3"}));

TEST(ParseDecimal, TakesCommaOrPointAndRefusesTheRest) {
  EXPECT_EQ(ParseDecimal("2,5"), 2.5);
  EXPECT_EQ(ParseDecimal(" -2.5 "), -2.5);
  EXPECT_EQ(ParseDecimal("+3"), 3.0);
  EXPECT_EQ(ParseDecimal("1e2"), 100.0);
  for (const char* bad : {"", " ", "1,2.3", "+-1", "1 2", "x", "inf", "1e999"})
    EXPECT_EQ(ParseDecimal(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace zul
