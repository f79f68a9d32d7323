#pragma once
// The printable report of one analog module's programming: a title, the
// module line, a two-line header and one line per channel, as the module
// window shows it. The window and `zul report module` write the same report.
#include <string>

#include "core/report/RtfReport.h"

namespace zul {

class AnalogModules;

// The text naming the model, document, firmware version and checksum of an
// analog module type (6..9); empty for other types.
std::string AnalogModuleIdent(int moduleType);

// `module` is 1..8, `inputsText` the slot's "Входы" cell (AI1_1 - AI1_6).
Report AnalogModuleReport(const AnalogModules& mba, int module, int moduleType, const std::string& title,
                          const std::string& inputsText);

}  // namespace zul
