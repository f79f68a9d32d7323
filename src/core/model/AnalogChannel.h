#pragma once
// One analog channel of a 169-byte analog record: the record analog modules
// exchange with the controller, and the records of network analog signals,
// which use the same layout. Free functions so both owners share them.
//
// Record: byte 0 block number, then six 28-byte channels at 1 + 28 * c.
// Channel: byte 0 unit index (bits 7-4) and scale kind or sensor type
// (bits 3-0); byte 1 dead zone (bits 5-4) and input signal (bits 2-0), or the
// sensor's range index (bits 5-0); six Float24 values; an 8-character name.
#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

inline constexpr int kAnalogRecordSize = 169;
inline constexpr int kAnalogChannelSize = 28;
inline constexpr int kAnalogChannelCount = 6;
inline constexpr int kPositionNameWidth = 8;

// The Float24 values of a channel, by their offset in the channel.
enum class AnalogValue : uint8_t {
  ScaleMin = 2,
  ScaleMax = 5,
  SetpointLL = 8,
  SetpointL = 11,
  SetpointH = 14,
  SetpointHH = 17,
};
inline constexpr AnalogValue kAnalogValues[] = {AnalogValue::ScaleMin,   AnalogValue::ScaleMax,
                                                AnalogValue::SetpointLL, AnalogValue::SetpointL,
                                                AnalogValue::SetpointH,  AnalogValue::SetpointHH};

// Channel c (0..5) inside a record; nullptr for any other c.
uint8_t* AnalogChannelOf(uint8_t* record, int c);
const uint8_t* AnalogChannelOf(const uint8_t* record, int c);

int GetChannelUnitIndex(const uint8_t* channel);
void SetChannelUnitIndex(uint8_t* channel, int value);  // low 4 bits of value
// Scale kind (0 linear, 1 square root) or, for ЛК-9 modules, the sensor type.
int GetChannelScaleKind(const uint8_t* channel);
void SetChannelScaleKind(uint8_t* channel, int value);
int GetChannelDeadZone(const uint8_t* channel);
void SetChannelDeadZone(uint8_t* channel, int value);
int GetChannelInputSignal(const uint8_t* channel);
void SetChannelInputSignal(uint8_t* channel, int value);
int GetChannelRangeIndex(const uint8_t* channel);
void SetChannelRangeIndex(uint8_t* channel, int value);

float GetChannelValue(const uint8_t* channel, AnalogValue which);
void SetChannelValue(uint8_t* channel, AnalogValue which, float value);
// The value as the module window shows it (FormatAnalogValue).
std::string GetChannelValueText(const uint8_t* channel, AnalogValue which);
// Parses the text (ParseDecimal); false, and nothing stored, when
// it is not a number.
bool SetChannelValueText(uint8_t* channel, AnalogValue which, std::string_view text);

// Position name without trailing blanks; the setter pads with blanks and cuts
// at 8 characters.
std::string GetChannelPosition(const uint8_t* channel);
void SetChannelPosition(uint8_t* channel, std::string_view utf8);

// Fixed-point text with 7 significant digits: 4 decimals below 1000 (so every
// negative value), 3 below 10000, 2 from 10000 on. "9999,500", "10000,00".
std::string FormatAnalogValue(float value);

}  // namespace zul
