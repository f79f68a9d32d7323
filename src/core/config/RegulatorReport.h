#pragma once
// The printable list of the control loops: per loop its kind, controlled
// input, setpoint source, output, parameters and limits, and the program
// setpoints of a program loop. `zul report regulators` writes it.
#include <string>

#include "core/report/RtfReport.h"

namespace zul {

struct Configuration;

inline constexpr const char* kRegulatorReportCaption = "Программирование регуляторов";

Report RegulatorReport(const Configuration& c, const std::string& title);

}  // namespace zul
