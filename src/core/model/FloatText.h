#pragma once
// Decimal texts of real values as the editors show and take them. The
// controller's users write a comma for the decimal point; we print one and
// accept either.
#include <optional>
#include <string>
#include <string_view>

namespace zul {

// Fixed notation: the value is first rounded to `precision` significant
// digits, then written with exactly `decimals` digits after the comma. A value
// with more integer digits than `precision` is written in exponent notation
// (1,234568E+007), as fixed notation could not show it at that precision.
std::string FixedNotation(double value, int precision, int decimals);

// Leading and trailing blanks are ignored; anything else that is not one
// decimal number (sign, digits, one comma or point, optional exponent) fails.
std::optional<double> ParseDecimal(std::string_view text);

}  // namespace zul
