#include "core/model/Float24.h"

#include <cmath>

namespace zul {

float Float24ToFloat(const uint8_t* bytes) {
  int16_t mantissa = static_cast<int16_t>(bytes[0] | (bytes[1] << 8));
  int8_t exponent = static_cast<int8_t>(bytes[2]);
  return std::ldexp(static_cast<float>(mantissa), exponent - 15);
}

void FloatToFloat24(float value, uint8_t* bytes) {
  bytes[0] = bytes[1] = bytes[2] = 0;
  if (value == 0.0f || std::isnan(value)) return;

  int exponent = 0;
  float fraction = std::isinf(value) ? 0.0f : std::frexp(std::fabs(value), &exponent);  // 0.5 <= fraction < 1
  int magnitude = static_cast<int>(fraction * 32768.0f);                                // truncates
  if (std::isinf(value) || exponent > 127) {
    magnitude = 0x7FFF;
    exponent = 127;
  } else if (exponent < -128) {
    return;
  }
  int mantissa = value < 0 ? -magnitude : magnitude;
  bytes[0] = static_cast<uint8_t>(mantissa & 0xFF);
  bytes[1] = static_cast<uint8_t>((mantissa >> 8) & 0xFF);
  bytes[2] = static_cast<uint8_t>(static_cast<int8_t>(exponent));
}

}  // namespace zul
