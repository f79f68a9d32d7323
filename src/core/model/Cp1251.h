#pragma once
// Text fields of the controller are cp1251, padded with blanks to a fixed
// width. The model keeps the controller's bytes; the program speaks UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

std::string Cp1251ToUtf8(const uint8_t* bytes, size_t count);

// A character cp1251 cannot hold (or a broken UTF-8 sequence) becomes '?'.
std::string Utf8ToCp1251(std::string_view utf8);

// Characters, not bytes, of a UTF-8 text.
size_t Utf8Length(std::string_view utf8);

// The field's text up to its first zero byte, trailing blanks removed.
std::string GetTextField(const uint8_t* field, size_t width);

// Fills the field with blanks and copies at most `width` characters of the text.
void SetTextField(uint8_t* field, size_t width, std::string_view utf8);

}  // namespace zul
