#include "core/config/AnalogCalibration.h"

#include <algorithm>
#include <span>

#include "core/link/ModbusLink.h"
#include "core/model/AnalogModules.h"

namespace zul {

namespace {

constexpr uint8_t kWriteCoilFunction = 5;
constexpr uint8_t kOnlineFunction = 71;
constexpr uint8_t kReadBlockFunction = 68;

std::span<const uint8_t> Received(const ModbusLink& port, const std::array<uint8_t, kAnswerBufferSize>& a) {
  return std::span<const uint8_t>(a).first(
      static_cast<size_t>(std::clamp(port.GetReceivedCount(), 0, static_cast<int>(a.size()))));
}

}  // namespace

int CalibrationCoil(CalibrationCommand command, int module, int input) {
  return (static_cast<int>(command) << 8) + 16 * module + input;
}

std::array<uint8_t, 4> CalibrationRequest(CalibrationCommand command, int module, int input, bool on) {
  const int coil = CalibrationCoil(command, module, input);
  return {static_cast<uint8_t>(coil >> 8), static_cast<uint8_t>(coil & 0xFF),
          static_cast<uint8_t>(on ? 0xFF : 0), 0x00};
}

int SendCalibrationCommand(ModbusLink& port, int deviceIndex, CalibrationCommand command, int module,
                           int input, bool on) {
  const auto data = CalibrationRequest(command, module, input, on);
  std::array<uint8_t, kAnswerBufferSize> answer{};
  return port.Request(deviceIndex, kWriteCoilFunction, data, answer);
}

int ReadOnlineValues(ModbusLink& port, int deviceIndex, AnalogModules& mba, int module, int moduleType) {
  std::array<uint8_t, kAnswerBufferSize> answer{};
  const uint8_t inputs[] = {static_cast<uint8_t>((module - 1) * AnalogModules::kChannels),
                            static_cast<uint8_t>(AnalogModules::kChannels)};
  int result = port.Request(deviceIndex, kOnlineFunction, inputs, answer);
  if (result != kResultOk) return result;
  mba.StoreOnlineAnswer(Received(port, answer));
  if (moduleType != AnalogModules::kTypeLK9) return kResultOk;
  answer.fill(0);
  const uint8_t reference[] = {static_cast<uint8_t>(module + AnalogModules::kReferenceSignalBase), 1};
  result = port.Request(deviceIndex, kOnlineFunction, reference, answer);
  if (result == kResultOk) mba.StoreReferenceAnswer(Received(port, answer));
  return result;
}

int ReadCalibrationCodes(ModbusLink& port, int deviceIndex, AnalogModules& mba, int module) {
  std::array<uint8_t, kAnswerBufferSize> answer{};
  const uint8_t block = static_cast<uint8_t>(module + AnalogModules::kCalibrationBlockBase);
  const int result = port.Request(deviceIndex, kReadBlockFunction, std::span(&block, 1), answer);
  if (result == kResultOk) mba.StoreCalibrationAnswer(module - 1, Received(port, answer));
  return result;
}

bool CodesPollFailed(int result) { return result != kResultOk && result != 1 && result != 3; }

ChannelStatusView DescribeChannelStatus(uint8_t status) {
  ChannelStatusView v;
  const bool calibration = status & 0x20;
  const bool open = status & 0x40;
  const bool fault = status & 0x80;
  if (calibration) {
    v.colour = FaultColour::Yellow;
  } else if (open || fault) {
    v.colour = FaultColour::Purple;
  }
  if (fault) {
    v.fault = "п";
  } else if (open) {
    v.fault = "о";
    v.clearValue = true;
  } else if (calibration) {
    v.fault = "к";
    v.calibrating = true;
  } else {
    v.fault = "и";
  }
  const int state = status & 0x07;
  if (state == 7) {
    v.keepAlarm = true;
  } else if (state == 0) {
    if (!(calibration || open || fault)) v.alarm = AnalogModules::kAlarmStateNames[0];
  } else {
    v.alarm = AnalogModules::kAlarmStateNames[static_cast<size_t>(state)];
    v.alarmRed = true;
  }
  return v;
}

std::string RawSignalUnit(int moduleType, int inputSignal) {
  switch (moduleType) {
    case AnalogModules::kTypeLK7: {
      static constexpr const char* kPressureUnits[] = {"кПа", "кгс/см2", "атм", "бар"};
      return inputSignal >= 0 && inputSignal < 4 ? kPressureUnits[inputSignal] : "";
    }
    case AnalogModules::kTypeLK8:
    case AnalogModules::kTypeLK10:
      return "мА";
    case AnalogModules::kTypeLK9:
      return "град.C";
    default:
      return "";
  }
}

}  // namespace zul
