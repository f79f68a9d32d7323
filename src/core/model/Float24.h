#pragma once
// The controller's three-byte real: 16-bit two's-complement mantissa m (low
// byte first) and an 8-bit two's-complement exponent e; value = m / 32768 * 2^e.
// Non-zero values are normalised (0x4000 <= |m| <= 0x7FFF); zero is 00 00 00.
#include <cstdint>

namespace zul {

// Exact: every Float24 is a float.
float Float24ToFloat(const uint8_t* bytes);

// Keeps the sign and the 14 fraction bits below the leading one, truncating
// the rest. NaN becomes zero; magnitudes beyond the exponent range saturate,
// those below it become zero.
void FloatToFloat24(float value, uint8_t* bytes);

}  // namespace zul
