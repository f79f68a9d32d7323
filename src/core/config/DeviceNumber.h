#pragma once
// Stores a small block in the controller and waits until it answers again:
// the device renumbering (block 99 carries the new index) and the units block
// of the main window use it. Unlike WriteBlock the store itself is not
// examined: after a renumbering the controller answers at its new address.
#include <cstdint>
#include <span>

namespace zul {

class ModbusLink;
class ServiceBlock;

inline constexpr uint8_t kRenumberBlock = 99;

// Sends function 69 with the block number and `bytes` to service.CurrentDevice,
// makes `deviceAfter` the current device and polls it with function 14 until
// it has stored the block. Busy answers (6) are polled again (for at most
// ModbusLink::kBusyGiveUpMs); 7 and the port failures end at once, other
// failures send the block again while tries of stage 1 remain. Failures are
// shown with ShowError. Returns 0 or the last result code.
int StoreConfirmed(ModbusLink& port, ServiceBlock& serv, uint8_t block, std::span<const uint8_t> bytes,
                   int deviceAfter);

// Gives the controller at service.CurrentDevice the number `number` (1..31):
// ConfiguredDevice and, afterwards, CurrentDevice become number - 1.
int RenumberDevice(ModbusLink& port, ServiceBlock& serv, int number);

}  // namespace zul
