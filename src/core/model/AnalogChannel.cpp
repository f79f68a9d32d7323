#include "core/model/AnalogChannel.h"

#include <algorithm>
#include <limits>

#include "core/model/Cp1251.h"
#include "core/model/Float24.h"
#include "core/model/FloatText.h"

namespace zul {

namespace {

constexpr int kPositionOffset = 20;

void SetBits(uint8_t& byte, int shift, int width, int value) {
  const int mask = ((1 << width) - 1) << shift;
  byte = static_cast<uint8_t>((byte & ~mask) | ((value << shift) & mask));
}

int GetBits(uint8_t byte, int shift, int width) { return (byte >> shift) & ((1 << width) - 1); }

}  // namespace

uint8_t* AnalogChannelOf(uint8_t* record, int c) {
  if (c < 0 || c >= kAnalogChannelCount) return nullptr;
  return record + 1 + kAnalogChannelSize * c;
}

const uint8_t* AnalogChannelOf(const uint8_t* record, int c) {
  if (c < 0 || c >= kAnalogChannelCount) return nullptr;
  return record + 1 + kAnalogChannelSize * c;
}

int GetChannelUnitIndex(const uint8_t* channel) { return GetBits(channel[0], 4, 4); }
void SetChannelUnitIndex(uint8_t* channel, int value) { SetBits(channel[0], 4, 4, value); }
int GetChannelScaleKind(const uint8_t* channel) { return GetBits(channel[0], 0, 4); }
void SetChannelScaleKind(uint8_t* channel, int value) { SetBits(channel[0], 0, 4, value); }
int GetChannelDeadZone(const uint8_t* channel) { return GetBits(channel[1], 4, 2); }
void SetChannelDeadZone(uint8_t* channel, int value) { SetBits(channel[1], 4, 2, value); }
int GetChannelInputSignal(const uint8_t* channel) { return GetBits(channel[1], 0, 3); }
void SetChannelInputSignal(uint8_t* channel, int value) { SetBits(channel[1], 0, 3, value); }
int GetChannelRangeIndex(const uint8_t* channel) { return GetBits(channel[1], 0, 6); }
void SetChannelRangeIndex(uint8_t* channel, int value) { SetBits(channel[1], 0, 6, value); }

float GetChannelValue(const uint8_t* channel, AnalogValue which) {
  return Float24ToFloat(channel + static_cast<int>(which));
}

void SetChannelValue(uint8_t* channel, AnalogValue which, float value) {
  FloatToFloat24(value, channel + static_cast<int>(which));
}

std::string GetChannelValueText(const uint8_t* channel, AnalogValue which) {
  return FormatAnalogValue(GetChannelValue(channel, which));
}

bool SetChannelValueText(uint8_t* channel, AnalogValue which, std::string_view text) {
  const auto value = ParseDecimal(text);
  if (!value) return false;
  // Float24 saturates far below the float limits; keep the cast defined.
  const double limit = std::numeric_limits<float>::max();
  SetChannelValue(channel, which, static_cast<float>(std::clamp(*value, -limit, limit)));
  return true;
}

std::string GetChannelPosition(const uint8_t* channel) {
  return GetTextField(channel + kPositionOffset, kPositionNameWidth);
}

void SetChannelPosition(uint8_t* channel, std::string_view utf8) {
  SetTextField(channel + kPositionOffset, kPositionNameWidth, utf8);
}

std::string FormatAnalogValue(float value) {
  const int decimals = value < 1000 ? 4 : value < 10000 ? 3 : 2;
  return FixedNotation(value, 7, decimals);
}

}  // namespace zul
