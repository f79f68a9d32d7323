#pragma once
// The calculation blocks as a report: every arithmetic block with its
// operation, inputs, constants and result address, then the flow
// integrators with their analog signals and the hour the day begins.
#include <string>

#include "core/report/RtfReport.h"

namespace zul {

struct Configuration;

inline constexpr const char* kMathBlocksReportCaption = "Расчетные блоки";

Report MathBlockReport(const Configuration& c, const std::string& title);

}  // namespace zul
