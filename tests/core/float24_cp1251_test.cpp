#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/model/Cp1251.h"
#include "core/model/Float24.h"

namespace zul {
namespace {

struct Float24Case {
  float value;
  std::array<uint8_t, 3> bytes;
};

class Float24Table : public ::testing::TestWithParam<Float24Case> {};

TEST_P(Float24Table, EncodesAndDecodesExactly) {
  const auto& c = GetParam();
  std::array<uint8_t, 3> out{};
  FloatToFloat24(c.value, out.data());
  EXPECT_EQ(out, c.bytes);
  EXPECT_EQ(Float24ToFloat(c.bytes.data()), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Float24Table,
    ::testing::Values(Float24Case{0.0f, {0x00, 0x00, 0x00}}, Float24Case{1.0f, {0x00, 0x40, 0x01}},
                      Float24Case{-1.0f, {0x00, 0xC0, 0x01}}, Float24Case{100.0f, {0x00, 0x64, 0x07}},
                      Float24Case{0.5f, {0x00, 0x40, 0x00}}, Float24Case{-5000.0f, {0xE0, 0xB1, 0x0D}}));

TEST(Float24, TruncatesBitsBelowFourteenFractionBits) {
  // 1 + 2^-14 keeps its last bit, 1 + 2^-15 loses it (no rounding up).
  std::array<uint8_t, 3> out{};
  FloatToFloat24(1.0f + 1.0f / 16384, out.data());
  EXPECT_EQ(Float24ToFloat(out.data()), 1.0f + 1.0f / 16384);
  FloatToFloat24(1.0f + 1.0f / 32768 + 1.0f / 65536, out.data());
  EXPECT_EQ(Float24ToFloat(out.data()), 1.0f);
  FloatToFloat24(-0.1f, out.data());
  EXPECT_GE(Float24ToFloat(out.data()), -0.1f);  // truncated towards zero
}

TEST(Float24, OutOfRangeValuesSaturateOrVanish) {
  std::array<uint8_t, 3> out{};
  FloatToFloat24(std::ldexp(1.0f, -140), out.data());
  EXPECT_EQ(out, (std::array<uint8_t, 3>{0, 0, 0}));
  FloatToFloat24(std::numeric_limits<float>::quiet_NaN(), out.data());
  EXPECT_EQ(out, (std::array<uint8_t, 3>{0, 0, 0}));
}

TEST(Cp1251, RoundTripsCyrillicAndReplacesForeignCharacters) {
  EXPECT_EQ(Utf8ToCp1251("Аа Яя Ёё №"), std::string("\xC0\xE0 \xDF\xFF \xA8\xB8 \xB9"));
  EXPECT_EQ(Utf8ToCp1251("日本"), "??");
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(reinterpret_cast<const uint8_t*>(all.data()), all.size())), all);
}

TEST(Cp1251, TextFieldsCountCharactersAndPadWithBlanks) {
  std::array<uint8_t, 8> field{};
  SetTextField(field.data(), field.size(), "ТехПоз1234");  // 10 characters, 8 kept
  EXPECT_EQ(GetTextField(field.data(), field.size()), "ТехПоз12");
  SetTextField(field.data(), field.size(), "Т1");
  EXPECT_EQ(std::memcmp(field.data(),
                        "\xD2"
                        "1      ",
                        8),
            0);
  EXPECT_EQ(GetTextField(field.data(), field.size()), "Т1");
  EXPECT_EQ(Utf8Length("ТехПоз"), 6u);
}

}  // namespace
}  // namespace zul
