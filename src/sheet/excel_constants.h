// The spreadsheet application's constants, kept as the vocabulary of the workbook
// model: alignments, underline styles, the worksheet type, data-series units and the
// sheet sizes of the workbook file.
#pragma once

#include <cstdint>

namespace tabrix::xl {

// Horizontal alignment. General is the application's default (text left, numbers right).
constexpr int32_t General = 1;
constexpr int32_t Left = -4131;
constexpr int32_t Center = -4108;
constexpr int32_t Right = -4152;
constexpr int32_t Justify = -4130;

// Vertical alignment; Bottom is the default.
constexpr int32_t Top = -4160;
constexpr int32_t VerticalCenter = -4108;
constexpr int32_t Bottom = -4107;
constexpr int32_t VerticalJustify = -4130;

// Underline styles.
constexpr int32_t UnderlineNone = -4142;
constexpr int32_t UnderlineSingle = 2;
constexpr int32_t UnderlineDouble = -4119;
constexpr int32_t UnderlineSingleAccounting = 4;
constexpr int32_t UnderlineDoubleAccounting = 5;

// The sheet type of an added worksheet.
constexpr int32_t WorksheetType = -4167;

// Data series: chronological type and its date units.
constexpr int32_t Chronological = 3;
constexpr int32_t UnitMonth = 3;
constexpr int32_t UnitYear = 4;

// Charts plotted by rows or by columns.
constexpr int32_t PlotByRows = 1;
constexpr int32_t PlotByColumns = 2;

// Save conflict resolution: ask the user, or overwrite (local).
constexpr int32_t ResolutionUser = 1;
constexpr int32_t ResolutionLocal = 2;

// Font colours: decimal blue-green-red values 0 .. 0xFFFFFF; this value stands for no
// colour (the automatic colour).
constexpr int32_t NoColour = 536870911;
constexpr int32_t LargestColour = 0xFFFFFF;

// Font sizes the application accepts.
constexpr double SmallestFontSize = 1;
constexpr double LargestFontSize = 409;

// Column widths the application accepts, in characters.
constexpr double LargestColumnWidth = 255;

// Rows and columns of a worksheet in the workbook file (Worksheet.Rows.Count and
// Worksheet.Columns.Count).
constexpr int32_t RowCount = 1048576;
constexpr int32_t ColumnCount = 16384;

// Longest sheet name the workbook file holds, in characters.
constexpr int SheetNameLength = 31;

}  // namespace tabrix::xl
