#include "core/model/ReserveBlocks.h"

namespace zul {

// Every text cell starts empty, every byte and int zero (member initialisers).
ReserveBlocks::ReserveBlocks() = default;

}  // namespace zul
