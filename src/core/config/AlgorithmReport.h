#pragma once
// The two reports of the algorithm information window: the function block
// table and the algorithm table, every cell padded to its column's width.
#include <string>
#include <vector>

#include "core/editing/AlgorithmEditing.h"
#include "core/report/RtfReport.h"

namespace zul {

// The caption of the window's label; both reports carry it.
inline constexpr const char* kAlgorithmReportCaption = "Функциональные блоки";

Report BlockTableReport(const std::string& title, const std::vector<BlockTableRow>& rows);
// Rows whose number cell is empty are left out.
Report AlgorithmTableReport(const std::string& title, const std::vector<AlgorithmRow>& rows);

}  // namespace zul
