#include "core/model/TReservBlocksClass.h"

namespace zul {

// Every text cell starts empty, every byte and int zero (member initialisers).
TReservBlocksClass::TReservBlocksClass() = default;

}  // namespace zul
