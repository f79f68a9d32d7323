#pragma once
// The clipboard of the editors' copy commands: the same areas as the reference
// copy (module records, processing records, texts, function blocks, ...) and
// the bookkeeping of what was copied. No behaviour of its own.
#include <array>

#include "core/model/ReserveBlocks.h"

namespace zul {

class CopyBlocks : public ReserveBlocks {
 public:
  CopyBlocks();

  // Range of a copied group of input texts (signal indexes).
  int FirstCopiedSignal = 0;
  int LastCopiedSignal = 0;
  // Range of a copied group of output texts (output indexes).
  int FirstCopiedOutput = 0;
  int LastCopiedOutput = 0;
  // Copied function blocks: their number and, per record index, 1 = copied
  // (the records themselves are in FBRecords at the same index).
  int CopiedFBCount = 0;
  // Copied processing records (ProcessingRecords[0 .. count)).
  int CopiedRecordCount = 0;
  std::array<int, kFBCapacity> CopiedFB{};
};

}  // namespace zul
