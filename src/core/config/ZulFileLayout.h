#pragma once
// Raw layout of a ".zul" configuration file: the controller's blocks one after
// another in a fixed order, plus the few sections only the file has (device
// index, identity, function-block names and algorithm data). Nothing here
// interprets a block; opening, saving and size recognition are built on top.
//
// With every block at its usual length the file is 37,129 bytes:
//
//   offset  size        key                 content
//   0       1           kZulDeviceIndex     configured device index, 0-based
//   1       23          kZulIdentity        identity block of function 17
//   24      8 x 169     1..8                analog module records / network parts (block number first)
//   1376    193         9                   relay block (block number first)
//   1569    194         10                  network master block (block number first)
//   1763    81          11                  function-15 block (block number first)
//   1844    14 x 198    12..25              processing record blocks
//   4616    96          35                  units block
//   4712    12 x 224    40..51              signal-text blocks
//   7400    4 x 140     52..55              output-text blocks
//   7960    2 x 168     32, 33              regulator blocks
//   8296    12 x 190    68..79              function-block pages
//   10576   12 x 1000   kZulFbTextPage + p  function-block names, 10 per page
//   22576   120         kZulAlgStart        algorithm start bytes
//   22696   120 x 120   kZulAlgMembers      algorithm member rows, row 0 first
//   37096   1           kZulAlgCount        algorithm count
//   37097   32          98                  sensor-type table
//
// Blocks 1 to 11 are stored whole, their block number included; every other
// block is stored without it. A block's length in the file therefore follows
// the byte count the controller reports for it (ZulBlockLengths).
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zul {

// Keys of the sections that are not device blocks (device blocks are keyed by
// their block number, 1..98).
inline constexpr int kZulDeviceIndex = 256;
inline constexpr int kZulIdentity = 257;
inline constexpr int kZulFbTextPage = 300;  // + page number 0..11
inline constexpr int kZulAlgStart = 400;
inline constexpr int kZulAlgMembers = 401;
inline constexpr int kZulAlgCount = 402;

inline constexpr size_t kZulIdentitySize = 23;
inline constexpr size_t kZulFbTextPageSize = 1000;
inline constexpr size_t kZulFileSize = 37129;  // with ZulBlockLengths{}

// Byte counts of the controller's function-68 answers (block number + block
// bytes) that decide the file's section lengths, and the function-block table
// size (120, or 60 for the older format).
struct ZulBlockLengths {
  int analogRecord = 169;     // blocks 1..8
  int relayBlock = 193;       // block 9
  int masterBlock = 194;      // block 10
  int f15Block = 81;          // block 11
  int recordBlock = 199;      // blocks 12..25
  int unitsBlock = 97;        // block 35
  int textBlock = 225;        // blocks 40..51
  int outputTextBlock = 141;  // blocks 52..55
  int regulatorBlock = 169;   // blocks 32, 33
  int fbPage = 191;           // blocks 68..
  int sensorBlock = 33;       // block 98
  int fbTableSize = 120;      // records; pages = fbTableSize / 10
};

struct ZulSection {
  int key;               // block number, or one of the kZul* keys above
  size_t offset;         // in the file
  size_t length;         // in the file
  bool withBlockNumber;  // the stored bytes start with the block number
};

// The sections in file order. Empty when a length is out of range (below 1 or
// above 256, the most one function-68 answer can carry) or the table size is
// not a multiple of 10 in 10..120.
std::vector<ZulSection> ZulFileLayout(const ZulBlockLengths& lengths = {});

// Total size of the layout; 0 when the lengths are out of range.
size_t ZulFileSize(const ZulBlockLengths& lengths = {});

// Section key -> the section's bytes exactly as stored in the file.
using ZulSections = std::map<int, std::vector<uint8_t>>;

struct ZulSplitResult {
  ZulSections sections;   // every section the bytes cover completely
  bool complete = false;  // the bytes are exactly as long as the layout
};

// Cuts file bytes into sections. A file that is too short yields the sections
// it covers completely; bytes beyond the layout are ignored (complete = false
// in both cases).
ZulSplitResult ZulSplit(const uint8_t* data, size_t size, const ZulBlockLengths& lengths = {});

// Puts sections together in file order. A missing section is written as
// zeros; a section whose length differs from the layout is an error (nothing
// is returned and `error` says which).
std::optional<std::vector<uint8_t>> ZulJoin(const ZulSections& sections, const ZulBlockLengths& lengths = {},
                                            std::string* error = nullptr);

// A device block as the controller exchanges it (block number first, then the
// block's bytes) from its file section, and back.
std::vector<uint8_t> ZulSectionToBlock(const ZulSection& section, const std::vector<uint8_t>& stored);
std::vector<uint8_t> ZulBlockToSection(const ZulSection& section, const std::vector<uint8_t>& block);

}  // namespace zul
