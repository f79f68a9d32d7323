#pragma once
// What the other side holds, byte for byte: in device mode the bytes of every
// block as last read from or stored in the controller, in file mode the file's
// sections as last opened or saved. A block is changed when the working
// configuration encodes it differently; every "changed?" is that comparison.
//
// Usage:
//   read/write/open/save keep config.image up to date;
//   ChangedBlocks(config)             -> the blocks (or file sections) that differ
//   CompareBlocks(EncodeBlocks(mem), device.image.Blocks()) -> byte differences
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace zul {

struct Configuration;
class ModbusLink;

// Block number (or file-section key) -> the bytes after the block number.
using BlockMap = std::map<int, std::vector<uint8_t>>;

class ControllerImage {
 public:
  void Clear() { blocks_.clear(); }
  void Store(int block, std::span<const uint8_t> bytes) { blocks_[block].assign(bytes.begin(), bytes.end()); }
  void Assign(BlockMap blocks) { blocks_ = std::move(blocks); }
  const std::vector<uint8_t>* Find(int block) const {
    const auto it = blocks_.find(block);
    return it == blocks_.end() ? nullptr : &it->second;
  }
  const BlockMap& Blocks() const { return blocks_; }
  bool Empty() const { return blocks_.empty(); }

 private:
  BlockMap blocks_;
};

struct DeviceBlock {
  int number = 0;
  std::vector<uint8_t> bytes;  // after the block number
};

// The blocks a write sends, in the order it sends them, for a controller
// with `deviceAnalog` analog modules and the module types `deviceTypes`. The
// configuration's pack buffers are used, hence not const.
std::vector<DeviceBlock> EncodeWriteBlocks(Configuration& config, int deviceAnalog,
                                           std::span<const int> moduleTypes);

// The blocks of the configuration as a write to a controller of its own
// composition stores them.
BlockMap EncodeBlocks(const Configuration& config);

// What the image is compared with: the device blocks in device mode, the
// file's sections in file mode.
BlockMap EncodeForImage(const Configuration& config);

// The image takes what the configuration encodes now (after an open or a
// save, or when a controller is known to hold it).
void TakeImage(Configuration& config);

// Writes one block to the configuration's device; once the controller stored
// it, the image holds its bytes.
bool StoreBlock(ModbusLink& port, Configuration& config, int block, std::span<const uint8_t> bytes);

// Keys whose encoding differs from the image, ascending. A block the image
// lacks counts as changed.
std::vector<int> ChangedBlocks(const Configuration& config);
// Whether any block `owned` accepts differs.
bool AnyChanged(const Configuration& config, const std::function<bool(int)>& owned);

struct ByteDifference {
  int block = 0;
  int offset = 0;       // after the block number; -1: the block is missing on one side
  int memory = -1;      // -1: past the end of the block in memory
  int controller = -1;  // -1: past the end in the controller
};
// Every byte that differs between two sets of blocks; blocks only one side
// holds give one entry with offset -1.
std::vector<ByteDifference> CompareBlocks(const BlockMap& memory, const BlockMap& controller);
// The blocks of the differences, ascending and without repeats.
std::vector<int> BlocksOf(const std::vector<ByteDifference>& differences);

// A block byte in the program's own numbering: "вход № в базе 6",
// "ФБ 12", "регулятор 3", "аналоговый модуль 1", ...
std::string DescribeBlockByte(const Configuration& config, int block, int offset);
// "блок 12, байт 5" for experts.
std::string RawBlockByte(int block, int offset);

}  // namespace zul
