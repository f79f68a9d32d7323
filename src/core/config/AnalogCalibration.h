#pragma once
// The live values and the calibration of one analog module's inputs: the
// requests the calibration view sends and how it reads a channel's status
// byte. Module n is 1..8, input k 1..7 (7: the ЛК-9 reference input).
#include <array>
#include <cstdint>
#include <string>

namespace zul {

class ModbusLink;
class AnalogModules;

// Coil groups of the calibration commands (function 5).
enum class CalibrationCommand : uint8_t {
  Mode = 0x10,        // calibration mode of an input on / off
  ScaleStart = 0x11,  // calibrate the start of the scale
  ScaleEnd = 0x12,    // calibrate the end of the scale
};

// Coil 0x1000 / 0x1100 / 0x1200 + 16 n + k.
int CalibrationCoil(CalibrationCommand command, int module, int input);
// The four request bytes: coil high and low byte, then 0xFF00 (on) or 0x0000.
std::array<uint8_t, 4> CalibrationRequest(CalibrationCommand command, int module, int input, bool on);
// Sends it; the result code of the transaction.
int SendCalibrationCommand(ModbusLink& port, int deviceIndex, CalibrationCommand command, int module,
                           int input, bool on);

// Function 71 for inputs 1..6 and, for a ЛК-9, the reference input; the
// values go to analogModules. 0, or the result of the first failed request.
int ReadOnlineValues(ModbusLink& port, int deviceIndex, AnalogModules& mba, int module, int moduleType);
// Function 68 of block n + 59; the codes are stored only from a good answer.
int ReadCalibrationCodes(ModbusLink& port, int deviceIndex, AnalogModules& mba, int module);
// A module that does not serve the code request (exceptions 1 and 3) still
// has its values shown.
bool CodesPollFailed(int result);

// How a channel's row shows its status byte.
enum class FaultColour { Green, Purple, Yellow };
struct ChannelStatusView {
  std::string fault;  // "и" good, "п" bit 7, "о" bit 6, "к" bit 5 (calibration mode)
  FaultColour colour = FaultColour::Green;
  bool clearValue = false;   // "о": the value means nothing
  bool calibrating = false;  // "к": the unit shows the raw signal's unit
  bool keepAlarm = false;    // state 7: the cell stays as it was
  std::string alarm;         // "норма" (empty with a fault flag), "L(L-H)", ...
  bool alarmRed = false;
};
ChannelStatusView DescribeChannelStatus(uint8_t status);

// The raw signal's unit of an input in calibration mode: ЛК-7 the pressure
// unit of its signal range, ЛК-8 and ЛК-10 "мА", ЛК-9 "град.C".
std::string RawSignalUnit(int moduleType, int inputSignal);

}  // namespace zul
