#pragma once
// What `zul verify` and `zul fleet verify` compare between a file and a controller.
#include <string_view>

#include "core/model/ServiceBlock.h"

namespace zul::cli {

// Blocks a controller is not asked for when it lacks the module they serve.
bool IsComparedWithTheDevice(std::string_view field, const ServiceBlock& device);

}  // namespace zul::cli
