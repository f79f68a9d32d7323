#pragma once
// The reference copy of the configuration in device-block form: what the
// controller or the file last delivered, or the configuration as it was before
// a transfer changed it for the time being. The procedures and editors read and
// write the areas directly; the class has no behaviour of its own.
#include <array>
#include <cstdint>
#include <string>

namespace zul {

class ReserveBlocks {
 public:
  // Block sizes in bytes, as the owning blocks lay them out.
  static constexpr int kAnalogRecords = 8;
  static constexpr int kAnalogRecordBytes = 169;
  static constexpr int kRelayBlockBytes = 193;
  static constexpr int kMasterBlockBytes = 194;
  static constexpr int kNetParts = 8;
  static constexpr int kNetPartBytes = 169;
  static constexpr int kF15BlockBytes = 81;
  static constexpr int kSignals = 252;
  static constexpr int kProcessingRecordBytes = 11;
  static constexpr int kOutputs = 64;
  static constexpr int kTextRowBytes = 15;  // 14 text bytes and one following byte
  static constexpr int kUnitsBlockBytes = 96;
  static constexpr int kIdentCells = 11;
  static constexpr int kOutIdentCells = 8;
  static constexpr int kFBCapacity = 120;
  static constexpr int kFBRecordBytes = 19;
  static constexpr int kAlgNameBytes = 100;
  static constexpr int kRegulatorSets = 2;  // loop records, program records
  static constexpr int kRegulatorRecords = 6;
  static constexpr int kRegulatorRecordBytes = 28;
  static constexpr int kSensorTypeBytes = 16;

  using AnalogRecord = std::array<uint8_t, kAnalogRecordBytes>;
  using TextRow = std::array<uint8_t, kTextRowBytes>;
  using RegulatorRecord = std::array<uint8_t, kRegulatorRecordBytes>;

  ReserveBlocks();

  // Processed discrete and analog signal counts (identity bytes 20 and 21).
  int SignalCount = 0;
  int AnalogSignalCount = 0;
  std::array<AnalogRecord, kAnalogRecords> ModuleRecords{};  // by analog module index
  std::array<uint8_t, kRelayBlockBytes> RelayBlock{};
  std::array<uint8_t, kMasterBlockBytes> MasterBlock{};
  std::array<std::array<uint8_t, kNetPartBytes>, kNetParts> NetParts{};  // by network part index
  std::array<uint8_t, kF15BlockBytes> F15Block{};
  std::array<std::array<uint8_t, kProcessingRecordBytes>, kSignals> ProcessingRecords{};
  std::array<TextRow, kSignals> Texts{};
  std::array<TextRow, kOutputs> OutTexts{};
  std::array<uint8_t, kUnitsBlockBytes> UnitsBlock{};
  std::array<std::array<std::string, kIdentCells>, kSignals> Ident{};
  std::array<std::array<std::string, kOutIdentCells>, kOutputs> OutIdent{};
  // Function-block data: the records and the algorithm (link) tables.
  std::array<std::array<uint8_t, kFBRecordBytes>, kFBCapacity> FBRecords{};
  std::array<int, kFBCapacity + 1> AlgStart{};
  std::array<std::array<int, kFBCapacity + 1>, kFBCapacity + 1> AlgMembers{};
  std::array<std::array<uint8_t, kAlgNameBytes>, kFBCapacity> AlgName{};
  std::array<std::array<RegulatorRecord, kRegulatorRecords>, kRegulatorSets> RegulatorRecords{};
  std::array<uint8_t, kSensorTypeBytes> SensorTypes{};
  int AlgCount = 0;
  std::array<int, kFBCapacity> BlockInts{};
};

}  // namespace zul
