#pragma once
// A small but complete configuration for file and dump tests: one of each kind
// of data the file carries, so a field lost on the way shows up.
#include <memory>
#include <string_view>

#include "core/config/Configuration.h"

namespace zul {

// Modules by code line ("1163..."): the composition as a new configuration
// sets it, then a few values in every block.
std::unique_ptr<Configuration> MakeSampleConfiguration(std::string_view codeLine = "1163000000000000");

}  // namespace zul
