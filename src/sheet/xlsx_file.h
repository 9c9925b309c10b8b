// Writing a workbook model as an Office Open XML workbook (.xlsx) through libxlsxwriter:
// every sheet in order, the worksheets with their cells, styles, column widths, frozen
// panes and selection, the chart sheets with their charts, and the active sheet.
#pragma once

#include <string>
#include <string_view>

#include "sheet/workbook.h"

namespace tabrix {

// Writes the workbook to `path`. The file is written under a temporary name in the same
// directory and moved onto `path` when complete, so a failed save leaves an earlier file
// of that name as it was. Returns 0, or -1 with the reason in `error`.
[[nodiscard]] int writeXlsx(const Workbook& workbook, const std::string& path, std::string& error);

// The text a formula shows, for the formulas whose result the saver computes (so that
// readers that do not calculate show it): =REPT("text",n) gives the text n times, at
// most 32767 characters. Any other formula gives false.
bool formulaText(std::string_view formula, std::string& result);

// The text a number that the workbook file cannot hold as a number (not a number, or
// infinite) is written as, the way the table prints it: "nan", "inf" or "-inf".
std::string nonFiniteText(double value);

}  // namespace tabrix
