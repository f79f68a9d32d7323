#include "core/model/TCopyBlocksClass.h"

namespace zul {

// The copy areas and the bookkeeping start empty and zero (member initialisers).
TCopyBlocksClass::TCopyBlocksClass() = default;

}  // namespace zul
