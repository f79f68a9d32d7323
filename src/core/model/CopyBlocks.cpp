#include "core/model/CopyBlocks.h"

namespace zul {

// The copy areas and the bookkeeping start empty and zero (member initialisers).
CopyBlocks::CopyBlocks() = default;

}  // namespace zul
