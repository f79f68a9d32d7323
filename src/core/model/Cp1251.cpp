#include "core/model/Cp1251.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zul {
namespace {

// Unicode of cp1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
// 0x98 is unassigned and kept as U+0098 so that its byte survives a round trip.
constexpr std::array<char32_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char32_t Decode(uint8_t b) {
  if (b < 0x80) return b;
  if (b >= 0xC0) return 0x0410 + (b - 0xC0);
  return kHigh[b - 0x80];
}

char Encode(char32_t c) {
  if (c < 0x80) return static_cast<char>(c);
  if (c >= 0x0410 && c <= 0x044F) return static_cast<char>(0xC0 + (c - 0x0410));
  for (size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == c) return static_cast<char>(0x80 + i);
  return '?';
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Reads one code point at text[i], advancing i; broken sequences yield U+FFFD.
char32_t NextCodePoint(std::string_view text, size_t& i) {
  auto lead = static_cast<uint8_t>(text[i++]);
  if (lead < 0x80) return lead;
  int extra = (lead >= 0xF0 && lead < 0xF8) ? 3 : (lead >= 0xE0) ? 2 : (lead >= 0xC0) ? 1 : -1;
  if (extra < 0) return 0xFFFD;
  char32_t c = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (static_cast<uint8_t>(text[i]) & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (static_cast<uint8_t>(text[i++]) & 0x3F);
  }
  return c;
}

}  // namespace

std::string Cp1251ToUtf8(const uint8_t* bytes, size_t count) {
  std::string out;
  out.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) AppendUtf8(out, Decode(bytes[i]));
  return out;
}

std::string Utf8ToCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) out += Encode(NextCodePoint(utf8, i));
  return out;
}

size_t Utf8Length(std::string_view utf8) {
  size_t n = 0;
  for (size_t i = 0; i < utf8.size();) {
    NextCodePoint(utf8, i);
    ++n;
  }
  return n;
}

std::string GetTextField(const uint8_t* field, size_t width) {
  size_t end = 0;
  while (end < width && field[end] != 0) ++end;
  while (end > 0 && field[end - 1] == ' ') --end;
  return Cp1251ToUtf8(field, end);
}

void SetTextField(uint8_t* field, size_t width, std::string_view utf8) {
  if (width == 0) return;  // nothing to fill, and memset must not see a null field
  std::memset(field, ' ', width);
  std::string bytes = Utf8ToCp1251(utf8);
  std::copy_n(bytes.data(), bytes.size() < width ? bytes.size() : width,
              field);  // blank padded, no terminator
}

}  // namespace zul
