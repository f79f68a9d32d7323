#include "core/model/FloatText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zul {

namespace {

std::string WithComma(std::string text) {
  std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

std::string ExponentText(double value, int precision) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*E", std::max(precision - 1, 0), value);
  // Three exponent digits: E+07 becomes E+007.
  std::string text = buf;
  size_t e = text.find('E');
  std::string exponent = text.substr(e + 2);
  while (exponent.size() < 3) exponent.insert(exponent.begin(), '0');
  return WithComma(text.substr(0, e + 2) + exponent);
}

}  // namespace

std::string FixedNotation(double value, int precision, int decimals) {
  precision = std::clamp(precision, 1, 18);
  decimals = std::clamp(decimals, 0, 18);
  if (!std::isfinite(value)) value = 0.0;
  if (value == 0.0) value = 0.0;  // no "-0"

  int integerDigits = value == 0.0 ? 1 : static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
  if (integerDigits > precision) return ExponentText(value, precision);

  // Significant digits left for the fraction once the integer part is written.
  // Rounded half away from zero, as the controller's tools always showed it
  // (printf would round a Float24 tie such as 12344.5 to even).
  int kept = std::clamp(precision - integerDigits, 0, decimals);
  long double scaled = std::floor(std::fabs(static_cast<long double>(value)) * std::pow(10.0L, kept) + 0.5L);
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.0Lf", scaled);
  std::string text = buf;
  if (kept > 0) {
    if (text.size() <= static_cast<size_t>(kept))
      text.insert(0, static_cast<size_t>(kept) + 1 - text.size(), '0');
    text.insert(text.size() - static_cast<size_t>(kept), 1, '.');
  }
  if (decimals > kept) {
    if (kept == 0) text += '.';
    text.append(static_cast<size_t>(decimals - kept), '0');
  }
  if (value < 0 && scaled != 0) text.insert(0, 1, '-');
  return WithComma(text);
}

std::optional<double> ParseDecimal(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  size_t last = text.find_last_not_of(' ');
  std::string number(text.substr(first, last - first + 1));
  if (std::count(number.begin(), number.end(), ',') + std::count(number.begin(), number.end(), '.') > 1)
    return std::nullopt;
  std::replace(number.begin(), number.end(), ',', '.');
  // from_chars takes no leading '+'; the user may type one.
  const char* begin = number.data();
  const char* end = begin + number.size();
  if (*begin == '+') {
    ++begin;
    if (begin != end && *begin == '-') return std::nullopt;
  }
  double value = 0.0;
  auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace zul
