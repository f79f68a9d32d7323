#pragma once
// The configuration blocks a simulated controller holds, as it exchanges them
// with functions 68 and 69: the block number first, then the block's bytes
// (so a block's size is the byte count of its function-68 answer).
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/config/ZulFileLayout.h"
#include "sim/Composition.h"

namespace zul {

using BlockBytes = std::vector<uint8_t>;
using BlockStore = std::map<int, BlockBytes>;

// Function-68 byte count of a block the controller knows (stored blocks and
// the calibration blocks 60..67); 0 for any other number.
int ControllerBlockLength(int block);

// Blocks kept in the store (everything a .zul file holds): 1..25, 32, 33, 35,
// 40..55, 68..79, 98.
bool IsStoredBlock(int block);
std::vector<int> StoredBlockNumbers();

// A plausible configuration for the composition: analog channels with scales,
// setpoints and position names, default relay outputs, processing records,
// units, texts, a few function blocks and, with a regulator module, loops.
BlockStore DefaultBlocks(const Composition& composition);

// Every stored block filled with seeded random bytes (the block number stays).
BlockStore RandomBlocks(uint64_t seed);

// Signal counts the identity reports: own signals plus those of the network
// master block's entries, at most 252 discrete and 48 analog signals.
struct SignalCounts {
  int discrete = 0;
  int analog = 0;
};
SignalCounts CountSignals(const Composition& composition, const BlockBytes& masterBlock);

// The 23-byte identity of function 17.
std::vector<uint8_t> MakeIdentity(const Composition& composition, const BlockBytes& masterBlock);

// A configuration file taken apart: composition (from its identity), stored
// blocks and the sections only the file has.
struct ZulImage {
  int deviceIndex = 0;
  int fbTableSize = 120;  // 60 for the file of a 60-block controller
  Composition composition;
  BlockStore blocks;
  ZulSections fileOnly;  // device index, names, algorithm data
};

// Bytes of a 37,129-byte file (or the 19,129 bytes of a 60-block
// controller's) -> image; nullopt with a message otherwise.
std::optional<ZulImage> ReadZulImage(const std::vector<uint8_t>& file, std::string* error);
// Image -> file bytes in the layout of its table size. Missing file-only sections get the values a freshly
// read controller gives them (blank names, empty algorithms).
std::vector<uint8_t> WriteZulImage(const ZulImage& image, const std::vector<uint8_t>& identity);

}  // namespace zul
