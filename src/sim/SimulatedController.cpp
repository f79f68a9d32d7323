#include "sim/SimulatedController.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/link/Crc16.h"

namespace zul {
namespace {

constexpr int kMaxReadBits = 2000;
constexpr int kMaxReadRegisters = 125;
constexpr int kMaxWriteCoils = 1968;
constexpr int kMaxWriteRegisters = 123;
constexpr int kMaxAnalogPerRequest = 31;  // 8 bytes each must fit one byte count
constexpr int kRenumberBlock = 99;

int Word(const std::vector<uint8_t>& data, size_t at) { return (data[at] << 8) | data[at + 1]; }

void PutWord(std::vector<uint8_t>& out, int value) {
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
  out.push_back(static_cast<uint8_t>(value & 0xFF));
}

uint32_t FloatBits(float v) { return std::bit_cast<uint32_t>(v); }
float BitsFloat(uint32_t bits) { return std::bit_cast<float>(bits); }

}  // namespace

Composition DefaultComposition() {
  Composition c;
  c.modules = {1, 1, 6, 3};
  return c;
}

SimulatedController::SimulatedController(const ControllerSetup& setup, Clock& clock)
    : setup_(setup),
      clock_(clock),
      address_(setup.address),
      calendar_(setup.clockStart, clock.NowMs()),
      faults_(setup.faults),
      coils_(kCoilSpace, false),
      holding_(kRegisterSpace, 0) {
  if (setup_.zul) {
    blocks_ = setup_.zul->blocks;
    fileOnly_ = setup_.zul->fileOnly;
  } else {
    blocks_ = setup_.randomBlocks ? RandomBlocks(setup_.seed) : DefaultBlocks(setup_.composition);
  }
  // Whatever the source, every stored block exists with its proper length.
  for (int b : StoredBlockNumbers()) {
    BlockBytes& block = blocks_[b];
    block.resize(static_cast<size_t>(ControllerBlockLength(b)), 0);
    block[0] = static_cast<uint8_t>(b);
  }
  plant_ = std::make_unique<PlantModel>(setup_.composition, blocks_, setup_.seed, clock.NowMs());
  for (int slot : setup_.faultySlots) plant_->SetSlotFaulty(slot, true);
}

bool SimulatedController::SetBlock(int number, const BlockBytes& bytes) {
  if (!IsStoredBlock(number) || bytes.size() != static_cast<size_t>(ControllerBlockLength(number)))
    return false;
  blocks_[number] = bytes;
  blocks_[number][0] = static_cast<uint8_t>(number);
  return true;
}

std::vector<uint8_t> SimulatedController::Identity() const {
  return MakeIdentity(setup_.composition, blocks_.at(10));
}

std::vector<uint8_t> SimulatedController::ZulBytes() const {
  ZulImage image;
  image.deviceIndex = address_ - 1;
  image.fbTableSize = setup_.fbTableSize;
  image.composition = setup_.composition;
  image.blocks = blocks_;
  image.fileOnly = fileOnly_;
  return WriteZulImage(image, Identity());
}

Reception SimulatedController::Receive(std::span<const uint8_t> frame) {
  Reception r;
  r.crcGood = frame.size() >= 4 && CrcMatches(frame);
  if (!r.crcGood) return r;
  r.broadcast = frame[0] == 0;
  r.addressed = frame[0] == address_;
  if (!r.broadcast && !r.addressed) return r;

  plant_->AdvanceTo(clock_.NowMs());
  const uint8_t function = frame[1];
  std::vector<uint8_t> data(frame.begin() + 2, frame.end() - 2);
  const int answeringAddress = address_;  // a renumbering answers from the old address
  const FaultKind before = r.broadcast ? FaultKind::None : faults_.Before(requests_ + 1);
  if (before == FaultKind::OtherBlock && function == 68 && data.size() == 1) ++data[0];
  Answer answer = before == FaultKind::Exception
                      ? Answer{function, {}, faults_.Settings().exceptionCode, false}
                      : Dispatch(function, data, r.broadcast);
  if (r.broadcast) return r;

  r.request = ++requests_;
  if (!answer.silent) {
    if (answer.function == 0) answer.function = function;
    std::vector<uint8_t> bytes = Frame(answer);
    bytes[0] = static_cast<uint8_t>(answeringAddress);
    AppendCrc(bytes);
    r.answer = bytes;
  }
  r.reply = faults_.Apply(r.request, r.answer);
  if (r.reply.fault == FaultKind::None && !r.reply.bytes.empty()) r.reply.fault = before;
  return r;
}

std::vector<uint8_t> SimulatedController::Frame(const Answer& answer) const {
  std::vector<uint8_t> bytes;
  bytes.reserve(answer.data.size() + 5);
  bytes.push_back(static_cast<uint8_t>(address_));
  if (answer.exception != 0) {
    bytes.push_back(static_cast<uint8_t>(answer.function | 0x80));
    bytes.push_back(static_cast<uint8_t>(answer.exception));
  } else {
    bytes.push_back(answer.function);
    for (uint8_t b : answer.data) bytes.push_back(b);
  }
  bytes.resize(bytes.size() + 2, 0);  // room for the CRC
  return bytes;
}

SimulatedController::Answer SimulatedController::Dispatch(uint8_t function, const std::vector<uint8_t>& data,
                                                          bool broadcast) {
  // A broadcast only acts on the writing functions, and nothing answers it.
  if (broadcast) {
    switch (function) {
      case 5:
        WriteCoil(data);
        break;
      case 6:
        WriteRegister(data);
        break;
      case 15:
        WriteCoils(data);
        break;
      case 16:
        WriteRegisters(data);
        break;
      case 69:
        StoreBlock(data);
        break;
      case 70:
        break;
      default:
        return {function, {}, 0, true};
    }
    if (function != 70) return {function, {}, 0, true};
  }
  switch (function) {
    case 1:
    case 2:
      return ReadBits(function, data);
    case 3:
    case 4:
      return ReadRegisters(function, data);
    case 5:
      return WriteCoil(data);
    case 6:
      return WriteRegister(data);
    case 15:
      return WriteCoils(data);
    case 16:
      return WriteRegisters(data);
    case 14:
      return ConfirmStore(data);
    case 17: {
      if (!data.empty()) return Exception(3);
      std::vector<uint8_t> identity = Identity();
      if (setup_.identityByteCount >= 0)
        identity.resize(static_cast<size_t>(std::min(setup_.identityByteCount, 255)), 0);
      Answer a{function, {static_cast<uint8_t>(identity.size())}, 0, false};
      a.data.insert(a.data.end(), identity.begin(), identity.end());
      return a;
    }
    case 68:
      return ReadBlock(data);
    case 69:
      return StoreBlock(data);
    case 70: {
      CalendarTime time;
      if (data.size() == 7 && CalendarTime::FromBytes(data.data(), &time))
        calendar_.Set(time, clock_.NowMs());
      return {function, {}, 0, true};  // the clock is set by broadcast; nothing answers
    }
    case 71:
      return AnalogValues(data);
    default:
      return Exception(1);
  }
}

// --- standard functions ----------------------------------------------------

SimulatedController::Answer SimulatedController::ReadBits(uint8_t function,
                                                          const std::vector<uint8_t>& data) {
  if (data.size() != 4) return Exception(3);
  const int start = Word(data, 0), quantity = Word(data, 2);
  if (quantity < 1 || quantity > kMaxReadBits) return Exception(3);
  const int space = function == 1 ? kCoilSpace : kDiscreteInputSpace;
  if (start + quantity > space) return Exception(2);
  Answer a{function, {static_cast<uint8_t>((quantity + 7) / 8)}, 0, false};
  a.data.resize(1 + static_cast<size_t>(a.data[0]), 0);
  for (int i = 0; i < quantity; ++i) {
    bool on = function == 1 ? Coil(start + i) : DiscreteInput(start + i);
    if (on) a.data[1 + static_cast<size_t>(i / 8)] |= static_cast<uint8_t>(1 << (i % 8));
  }
  return a;
}

SimulatedController::Answer SimulatedController::ReadRegisters(uint8_t function,
                                                               const std::vector<uint8_t>& data) {
  if (data.size() != 4) return Exception(3);
  const int start = Word(data, 0), quantity = Word(data, 2);
  if (quantity < 1 || quantity > kMaxReadRegisters) return Exception(3);
  if (start + quantity > kRegisterSpace) return Exception(2);
  Answer a{function, {static_cast<uint8_t>(2 * quantity)}, 0, false};
  for (int i = 0; i < quantity; ++i)
    PutWord(a.data, function == 3 ? HoldingRegister(start + i) : InputRegister(start + i));
  return a;
}

SimulatedController::Answer SimulatedController::WriteCoil(const std::vector<uint8_t>& data) {
  if (data.size() != 4) return Exception(3);
  const int address = Word(data, 0), value = Word(data, 2);
  if (value != 0xFF00 && value != 0x0000) return Exception(3);
  if (address >= kCoilSpace) return Exception(2);
  SetCoil(address, value == 0xFF00);
  return {5, data, 0, false};
}

SimulatedController::Answer SimulatedController::WriteRegister(const std::vector<uint8_t>& data) {
  if (data.size() != 4) return Exception(3);
  const int address = Word(data, 0);
  if (address >= kRegisterSpace) return Exception(2);
  SetHoldingRegisters(address, {static_cast<uint16_t>(Word(data, 2))});
  return {6, data, 0, false};
}

SimulatedController::Answer SimulatedController::WriteCoils(const std::vector<uint8_t>& data) {
  if (data.size() < 5) return Exception(3);
  const int start = Word(data, 0), quantity = Word(data, 2), byteCount = data[4];
  if (quantity < 1 || quantity > kMaxWriteCoils || byteCount != (quantity + 7) / 8 ||
      data.size() != 5 + static_cast<size_t>(byteCount)) {
    return Exception(3);
  }
  if (start + quantity > kCoilSpace) return Exception(2);
  for (int i = 0; i < quantity; ++i)
    SetCoil(start + i, (data[5 + static_cast<size_t>(i / 8)] >> (i % 8)) & 1);
  return {15, std::vector<uint8_t>(data.begin(), data.begin() + 4), 0, false};
}

SimulatedController::Answer SimulatedController::WriteRegisters(const std::vector<uint8_t>& data) {
  if (data.size() < 5) return Exception(3);
  const int start = Word(data, 0), quantity = Word(data, 2), byteCount = data[4];
  if (quantity < 1 || quantity > kMaxWriteRegisters || byteCount != 2 * quantity ||
      data.size() != 5 + static_cast<size_t>(byteCount)) {
    return Exception(3);
  }
  if (start + quantity > kRegisterSpace) return Exception(2);
  std::vector<uint16_t> values;
  for (int i = 0; i < quantity; ++i)
    values.push_back(static_cast<uint16_t>(Word(data, 5 + 2 * static_cast<size_t>(i))));
  SetHoldingRegisters(start, values);
  return {16, std::vector<uint8_t>(data.begin(), data.begin() + 4), 0, false};
}

// --- the controller's address spaces ----------------------------------------

bool SimulatedController::Coil(int a) const {
  if (a < kRelayOutputs) return coils_[a] || plant_->RelayOutput(a);
  if ((a >= 104 && a < 104 + kRegulatorLoops) || (a >= 112 && a < 112 + kRegulatorLoops)) return false;
  if (a >= kCoilRegulatorBase && a < kCoilRegulatorBase + 8 * kRegulatorLoops) {
    int r = (a - kCoilRegulatorBase) / 8, bit = (a - kCoilRegulatorBase) % 8;
    return (plant_->LoopStatus(r) >> bit) & 1;
  }
  if (a >= 1016 && a < 1016 + kModuleSlots) return plant_->SlotFaulty(a - 1015);
  if (a >= 1056 && a < 1056 + kDiscreteSignals) return plant_->DiscreteInvalid(a - 1056);
  if (a >= 0x1000 && a < 0x1100) return plant_->CalibrationMode((a >> 4) & 0x0F, a & 0x0F);
  if (a >= 0x1100 && a < 0x1300) return false;
  return coils_[a];
}

void SimulatedController::SetCoil(int a, bool on) {
  if (a >= 104 && a < 104 + kRegulatorLoops) {
    if (on) plant_->NudgeOutput(a - 104, +1);
  } else if (a >= 112 && a < 112 + kRegulatorLoops) {
    if (on) plant_->NudgeOutput(a - 112, -1);
  } else if (a >= kCoilRegulatorBase && a < kCoilRegulatorBase + 8 * kRegulatorLoops) {
    int r = (a - kCoilRegulatorBase) / 8, bit = (a - kCoilRegulatorBase) % 8;
    if (bit == 0) plant_->SetAutomatic(r, on);
    if (bit == 1) plant_->SetSwitchedOn(r, on);
  } else if ((a >= 1016 && a < 1016 + kModuleSlots) || (a >= 1056 && a < 1056 + kDiscreteSignals)) {
    // Health and validity are the controller's own findings.
  } else if (a >= 0x1000 && a < 0x1300) {
    int module = (a >> 4) & 0x0F, input = a & 0x0F;
    if (a < 0x1100)
      plant_->SetCalibrationMode(module, input, on);
    else if (on && a < 0x1200)
      plant_->CalibrateStart(module, input);
    else if (on)
      plant_->CalibrateEnd(module, input);
  } else {
    coils_[a] = on;
  }
}

bool SimulatedController::DiscreteInput(int a) const { return plant_->DiscreteOn(a); }

uint16_t SimulatedController::HoldingRegister(int a) const {
  if (a >= kHoldingRegulatorBase && a < kHoldingRegulatorBase + 6 * kRegulatorLoops) {
    int r = (a - kHoldingRegulatorBase) / 6, word = (a - kHoldingRegulatorBase) % 6;
    float values[3] = {plant_->Setpoint(r), plant_->Output(r), plant_->ProcessValue(r)};
    uint32_t bits = FloatBits(values[word / 2]);
    return static_cast<uint16_t>(word % 2 == 0 ? bits >> 16 : bits & 0xFFFF);
  }
  return holding_[a];
}

void SimulatedController::SetHoldingRegisters(int start, const std::vector<uint16_t>& values) {
  const int base = kHoldingRegulatorBase, end = base + 6 * kRegulatorLoops;
  std::vector<uint16_t> loopWords(6 * kRegulatorLoops);
  for (int i = 0; i < 6 * kRegulatorLoops; ++i) loopWords[i] = HoldingRegister(base + i);
  std::vector<bool> touched(3 * kRegulatorLoops, false);
  for (size_t i = 0; i < values.size(); ++i) {
    int a = start + static_cast<int>(i);
    if (a >= base && a < end) {
      loopWords[a - base] = values[i];
      touched[(a - base) / 2] = true;
    } else {
      holding_[a] = values[i];
    }
  }
  for (int r = 0; r < kRegulatorLoops; ++r) {
    auto value = [&](int pair) {
      return BitsFloat((uint32_t{loopWords[6 * r + 2 * pair]} << 16) | loopWords[6 * r + 2 * pair + 1]);
    };
    if (touched[3 * r]) plant_->SetSetpoint(r, value(0));
    if (touched[3 * r + 1]) plant_->SetOutput(r, value(1));
    // PV is measured, not set.
  }
}

uint16_t SimulatedController::InputRegister(int a) const {
  if (a >= kClockRegisterBase && a < kClockRegisterBase + 7)
    return calendar_.Now(clock_.NowMs()).Bytes()[a - kClockRegisterBase];
  return 0;
}

// --- configuration blocks ----------------------------------------------------

int SimulatedController::BlockRefusal(int block) const {
  auto configured = setup_.blockExceptions.find(block);
  if (configured != setup_.blockExceptions.end()) return configured->second;
  if (ControllerBlockLength(block) == 0) return 2;
  if (block >= 60 && block <= 67) return block - 59 <= setup_.composition.AiModules() ? 0 : 3;
  if (block >= 68 && block <= 79) return block - 68 < setup_.fbTableSize / 10 ? 0 : 3;
  if ((block == 32 || block == 33) && !setup_.composition.Has(kRegulatorModuleType)) return 2;
  if (block == 98 && !setup_.composition.Has(kProgrammableInputModuleType)) return 2;
  return 0;
}

SimulatedController::Answer SimulatedController::ReadBlock(const std::vector<uint8_t>& data) {
  if (data.size() != 1) return Exception(3);
  const int block = data[0];
  if (int refusal = BlockRefusal(block)) return Exception(refusal);
  BlockBytes bytes = block >= 60 && block <= 67 ? plant_->CalibrationBlock(block - 59) : blocks_.at(block);
  // A misbehaving controller: the answer claims, and carries, another length.
  if (auto claimed = setup_.blockByteCounts.find(block); claimed != setup_.blockByteCounts.end())
    bytes.resize(static_cast<size_t>(std::clamp(claimed->second, 0, 255)), 0);
  Answer a{68, {static_cast<uint8_t>(bytes.size())}, 0, false};
  a.data.insert(a.data.end(), bytes.begin(), bytes.end());
  return a;
}

SimulatedController::Answer SimulatedController::StoreBlock(const std::vector<uint8_t>& data) {
  Answer answer = Store(data);
  // The confirmation poll only tells whether a store is still going on: after
  // a refused store nothing is, and the poll answers at once.
  if (answer.exception == 0) pendingStorePolls_ = setup_.storePolls;
  return answer;
}

SimulatedController::Answer SimulatedController::Store(const std::vector<uint8_t>& data) {
  if (data.empty()) return Exception(3);
  const int block = data[0];
  if (block == kRenumberBlock) {
    if (data.size() != 2 || data[1] > 30) return Exception(3);
    address_ = data[1] + 1;
    return {69, {1, static_cast<uint8_t>(block)}, 0, false};
  }
  if (int refusal = BlockRefusal(block)) return Exception(refusal);
  if (!IsStoredBlock(block)) return Exception(2);  // the calibration codes are measured, not written
  if (data.size() != static_cast<size_t>(ControllerBlockLength(block))) return Exception(3);
  blocks_[block] = data;
  return {69, {1, static_cast<uint8_t>(block)}, 0, false};
}

SimulatedController::Answer SimulatedController::ConfirmStore(const std::vector<uint8_t>& data) {
  if (!data.empty()) return Exception(3);
  if (pendingStorePolls_ > 0) {
    --pendingStorePolls_;
    return Exception(6);
  }
  return {14, {}, 0, false};
}

SimulatedController::Answer SimulatedController::AnalogValues(const std::vector<uint8_t>& data) {
  if (data.size() != 2) return Exception(3);
  const int first = data[0], count = data[1];
  Answer a{71, {}, 0, false};
  if (first >= 128) {  // the reference channel of a thermo module
    const int module = first - 127;
    if (count != 1 || module > setup_.composition.AiModules() ||
        setup_.composition.AnalogModuleType(module - 1) != kThermoModuleType) {
      return Exception(3);
    }
    auto reading = plant_->ReferenceReading(module);
    a.data.push_back(8);
    a.data.insert(a.data.end(), reading.begin(), reading.end());
    return a;
  }
  if (count < 1 || count > kMaxAnalogPerRequest) return Exception(3);
  if (first + count > kAnalogSignals) return Exception(2);
  a.data.push_back(static_cast<uint8_t>(8 * count));
  for (int s = first; s < first + count; ++s) {
    auto reading = plant_->AnalogReading(s);
    a.data.insert(a.data.end(), reading.begin(), reading.end());
  }
  return a;
}

}  // namespace zul
