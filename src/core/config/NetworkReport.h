#pragma once
// Printable reports of the local network: the whole network (the sixteen
// master entries, the line settings, the function-15 blocks and the scaled
// analog signals) for `zul report network`, and the scaling window's table.
#include <string>
#include <vector>

#include "core/report/RtfReport.h"

namespace zul {

struct Configuration;

// Names of the line settings' lists.
const std::vector<std::string>& BaudRateNames();
const std::vector<std::string>& FrameFormatNames();

// One row per analog signal of the function-3/4 entries: absolute number,
// identifier, position, unit, scale and setpoints.
std::vector<std::string> ScaledSignalRows(const Configuration& c);
Report NetworkScalingReport(const Configuration& c, const std::string& title);
Report NetworkReport(const Configuration& c, const std::string& title);

}  // namespace zul
