#pragma once
// The function block table as a report: number, name, kind, the inputs with
// the captions the scheme shows, the parameters, the alarm and the relay
// outputs of every block.
#include <string>

#include "core/report/RtfReport.h"

namespace zul {

struct Configuration;

inline constexpr const char* kFunctionBlocksCaption = "Функциональные блоки";

Report FunctionBlockReport(const Configuration& c, const std::string& title);

}  // namespace zul
