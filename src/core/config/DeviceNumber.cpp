#include "core/config/DeviceNumber.h"

#include <vector>

#include "core/link/ModbusLink.h"
#include "core/model/ServiceBlock.h"

namespace zul {

namespace {

constexpr uint8_t kStoreFunction = 69;
constexpr uint8_t kConfirmFunction = 14;
constexpr int kPauseBeforeStoreMs = 50;
constexpr int kPauseAfterStoreMs = 300;
constexpr int kPauseBetweenPollsMs = 200;

bool EndsAtOnce(int code) {
  switch (code) {
    case 7:
    case kResultNoAnswer:
    case kResultCannotOpen:
    case kResultPortNotSetUp:
    case kResultPortOffFailure:
    case kResultPortFailure:
      return true;
    default:
      return false;
  }
}

}  // namespace

int StoreConfirmed(ModbusLink& port, ServiceBlock& serv, uint8_t block, std::span<const uint8_t> bytes,
                   int deviceAfter) {
  if (!port.CheckWriteAccess()) return kResultNoAccess;
  std::vector<uint8_t> data;
  data.reserve(bytes.size() + 1);
  data.push_back(block);
  data.insert(data.end(), bytes.begin(), bytes.end());
  uint8_t answer[kAnswerBufferSize] = {};

  port.Pause(kPauseBeforeStoreMs);
  unsigned tries = port.GetRepeat1();
  int busyMs = 0;
  for (;;) {
    port.Request(serv.CurrentDevice, kStoreFunction, data, answer);
    serv.CurrentDevice = deviceAfter;
    port.Pause(kPauseAfterStoreMs);
    int result;
    for (;;) {
      result = port.Request(serv.CurrentDevice, kConfirmFunction, {}, answer);
      if (result != kResultBusy) break;
      busyMs += port.Pause(kPauseBetweenPollsMs);
      if (busyMs >= ModbusLink::kBusyGiveUpMs) {
        port.ShowError(serv.CurrentDevice, result);
        return result;
      }
    }
    if (result == kResultOk) return result;
    if (EndsAtOnce(result)) {
      port.ShowError(serv.CurrentDevice, result);
      return result;
    }
    port.Pause(kPauseBetweenPollsMs);
    if (tries <= 1) {
      port.ShowError(serv.CurrentDevice, result);
      return result;
    }
    --tries;
  }
}

int RenumberDevice(ModbusLink& port, ServiceBlock& serv, int number) {
  if (number < 1 || number > 31) return kResultBadFunction;
  if (!port.CheckWriteAccess()) return kResultNoAccess;
  serv.ConfiguredDevice = static_cast<uint8_t>(number - 1);
  const uint8_t index = serv.ConfiguredDevice;
  return StoreConfirmed(port, serv, kRenumberBlock, std::span<const uint8_t>(&index, 1),
                        serv.ConfiguredDevice);
}

}  // namespace zul
