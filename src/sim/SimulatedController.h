#pragma once
// One simulated controller on the line: answers Modbus RTU frames sent to its
// address (1..31) the way the controller does, acts on broadcasts (address 0)
// without answering, and ignores frames with a bad CRC or for other addresses.
//
// Functions: 17 identity; 68 read a block; 69 store a block (block 99: new
// address), then 14 answers exception 6 for `storePolls` polls before it
// echoes (after a refused store, 14 answers the refusal's exception once); 70 sets the clock; 71 analog
// values; the standard 1, 2, 3, 4, 5, 6, 15, 16 over the controller's coils, discrete inputs and registers,
// with the standard exceptions 1, 2 and 3:
//
//   coils        0..63       relay outputs (also driven by the processing records)
//                104+r/112+r raise / lower the output of loop r (momentary)
//                784+8r+b    status bit b of loop r (0 automatic, 1 on, 6 output, 7 input indicator)
//                1016+s-1    module slot s faulty
//                1056+i      discrete signal i invalid
//                0x1000+16n+k / 0x1100+.. / 0x1200+..  calibration mode / start / end of module n, input k
//   discrete inputs 0..251   the discrete signals
//   holding registers 672+6r SP, OUT, PV of loop r (IEEE single, high word and byte first)
//   input registers 1000..1006  the clock: seconds, minutes, hour, day, month, year, weekday
//
// Any other address within the spaces reads and writes as plain memory.
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/link/Clock.h"
#include "sim/Composition.h"
#include "sim/ControllerBlocks.h"
#include "sim/ControllerCalendar.h"
#include "sim/FaultPlan.h"
#include "sim/PlantModel.h"

namespace zul {

inline constexpr int kCoilSpace = 0x1300;
inline constexpr int kDiscreteInputSpace = 1024;
inline constexpr int kRegisterSpace = 1024;
inline constexpr int kHoldingRegulatorBase = 672;
inline constexpr int kCoilRegulatorBase = 784;
inline constexpr int kClockRegisterBase = 1000;

// Composition used when none is given: two discrete input modules, an analog
// module and a relay module.
Composition DefaultComposition();

struct ControllerSetup {
  int address = 1;
  Composition composition = DefaultComposition();
  std::optional<ZulImage> zul;         // block contents from a file (its composition is not applied here)
  bool randomBlocks = false;           // seeded random block contents instead of the defaults
  uint64_t seed = 1;                   // random contents and the plant's movements
  int fbTableSize = 120;               // 60: pages beyond the sixth answer exception 3
  int storePolls = 2;                  // function-14 polls answered with exception 6 after a store
  std::map<int, int> blockExceptions;  // block -> exception code for functions 68 and 69
  std::map<int, int> blockByteCounts;  // block -> byte count its read answers claim (and carry)
  int identityByteCount = -1;          // 0..255: the byte count function-17 answers claim (and carry)
  std::vector<int> faultySlots;        // module slots reported faulty
  FaultSettings faults;
  CalendarTime clockStart;
};

// What one received frame did.
struct Reception {
  bool crcGood = false;
  bool addressed = false;  // sent to this controller's address
  bool broadcast = false;
  int request = 0;              // 1-based number of the request among those addressed to this controller
  std::vector<uint8_t> answer;  // the complete answer before faults
  Reply reply;                  // what leaves on the line
};

class SimulatedController {
 public:
  SimulatedController(const ControllerSetup& setup, Clock& clock);

  Reception Receive(std::span<const uint8_t> frame);

  int Address() const { return address_; }
  const Composition& GetComposition() const { return setup_.composition; }
  const BlockStore& Blocks() const { return blocks_; }
  // Replaces a stored block (tests; the length must be the block's).
  bool SetBlock(int number, const BlockBytes& bytes);
  std::vector<uint8_t> Identity() const;
  // The block store as a configuration file.
  std::vector<uint8_t> ZulBytes() const;
  int PendingStorePolls() const { return pendingStorePolls_; }
  int Requests() const { return requests_; }
  // New faults from the next request on (request numbers keep counting).
  void SetFaults(const FaultSettings& faults) { faults_ = FaultPlan(faults); }
  CalendarTime ClockNow() const { return calendar_.Now(clock_.NowMs()); }
  PlantModel& Plant() { return *plant_; }

 private:
  struct Answer {
    uint8_t function = 0;
    std::vector<uint8_t> data;
    int exception = 0;
    bool silent = false;
  };
  static Answer Exception(int code) { return {0, {}, code, false}; }

  Answer Dispatch(uint8_t function, const std::vector<uint8_t>& data, bool broadcast);
  Answer ReadBits(uint8_t function, const std::vector<uint8_t>& data);
  Answer ReadRegisters(uint8_t function, const std::vector<uint8_t>& data);
  Answer WriteCoil(const std::vector<uint8_t>& data);
  Answer WriteRegister(const std::vector<uint8_t>& data);
  Answer WriteCoils(const std::vector<uint8_t>& data);
  Answer WriteRegisters(const std::vector<uint8_t>& data);
  Answer ReadBlock(const std::vector<uint8_t>& data);
  Answer StoreBlock(const std::vector<uint8_t>& data);
  Answer Store(const std::vector<uint8_t>& data);
  Answer ConfirmStore(const std::vector<uint8_t>& data);
  Answer AnalogValues(const std::vector<uint8_t>& data);

  int BlockRefusal(int block) const;  // exception code, 0 when the block is served
  bool Coil(int address) const;
  void SetCoil(int address, bool on);
  bool DiscreteInput(int address) const;
  uint16_t HoldingRegister(int address) const;
  uint16_t InputRegister(int address) const;
  void SetHoldingRegisters(int start, const std::vector<uint16_t>& values);
  std::vector<uint8_t> Frame(const Answer& answer) const;

  ControllerSetup setup_;
  Clock& clock_;
  int address_;
  BlockStore blocks_;
  ZulSections fileOnly_;
  std::unique_ptr<PlantModel> plant_;
  ControllerCalendar calendar_;
  FaultPlan faults_;
  std::vector<bool> coils_;
  std::vector<uint16_t> holding_;
  int pendingStorePolls_ = 0;
  int requests_ = 0;
};

}  // namespace zul
