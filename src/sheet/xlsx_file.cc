#include "sheet/xlsx_file.h"

#include <xlsxwriter.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "sheet/save_file.h"
#include "support/text.h"

namespace tabrix {

namespace {

// The longest text a cell of the workbook file holds.
constexpr std::size_t MaxCellText = 32767;

lxw_color_t rgbColour(int32_t blueGreenRed) {
  uint32_t value = static_cast<uint32_t>(blueGreenRed);
  uint32_t red = value & 0xFF, green = (value >> 8) & 0xFF, blue = (value >> 16) & 0xFF;
  uint32_t rgb = (red << 16) | (green << 8) | blue;
  // libxlsxwriter reads 0 as "no colour"; black has its own value.
  return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;
}

uint8_t underlineOf(int32_t style) {
  switch (style) {
    case xl::UnderlineSingle: return LXW_UNDERLINE_SINGLE;
    case xl::UnderlineDouble: return LXW_UNDERLINE_DOUBLE;
    case xl::UnderlineSingleAccounting: return LXW_UNDERLINE_SINGLE_ACCOUNTING;
    case xl::UnderlineDoubleAccounting: return LXW_UNDERLINE_DOUBLE_ACCOUNTING;
    default: return LXW_UNDERLINE_NONE;
  }
}

uint8_t horizontalOf(int32_t alignment) {
  switch (alignment) {
    case xl::Left: return LXW_ALIGN_LEFT;
    case xl::Center: return LXW_ALIGN_CENTER;
    case xl::Right: return LXW_ALIGN_RIGHT;
    case xl::Justify: return LXW_ALIGN_JUSTIFY;
    default: return LXW_ALIGN_NONE;
  }
}

uint8_t verticalOf(int32_t alignment) {
  switch (alignment) {
    case xl::Top: return LXW_ALIGN_VERTICAL_TOP;
    case xl::VerticalCenter: return LXW_ALIGN_VERTICAL_CENTER;
    case xl::VerticalJustify: return LXW_ALIGN_VERTICAL_JUSTIFY;
    default: return LXW_ALIGN_NONE;  // bottom, the default
  }
}

// The library's formats for the workbook's styles, made when a cell first uses them.
class Formats {
 public:
  Formats(lxw_workbook* book, const StyleTable& styles)
      : book_(book), styles_(styles), formats_(styles.size(), nullptr) {}

  lxw_format* of(uint32_t index) {
    if (index == 0 || index >= formats_.size()) return nullptr;
    if (formats_[index] == nullptr) formats_[index] = make(styles_.at(index));
    return formats_[index];
  }

 private:
  lxw_format* make(const CellStyle& style) {
    lxw_format* format = workbook_add_format(book_);
    if (format == nullptr) return nullptr;
    if (!style.numberFormat.empty()) format_set_num_format(format, style.numberFormat.c_str());
    if (style.bold) format_set_bold(format);
    if (style.italic) format_set_italic(format);
    if (uint8_t underline = underlineOf(style.underline)) format_set_underline(format, underline);
    if (uint8_t horizontal = horizontalOf(style.horizontal)) format_set_align(format, horizontal);
    if (uint8_t vertical = verticalOf(style.vertical)) format_set_align(format, vertical);
    if (!style.fontName.empty()) format_set_font_name(format, style.fontName.c_str());
    if (style.size > 0) format_set_font_size(format, style.size);
    if (style.colour != xl::NoColour) format_set_font_color(format, rgbColour(style.colour));
    return format;
  }

  lxw_workbook* book_;
  const StyleTable& styles_;
  std::vector<lxw_format*> formats_;
};

lxw_error writeCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const SheetCell& cell,
                    lxw_format* format) {
  switch (cell.kind) {
    case CellType::Empty:
      return format == nullptr ? LXW_NO_ERROR : worksheet_write_blank(sheet, row, column, format);
    case CellType::Text:
      if (cell.text.empty()) return worksheet_write_blank(sheet, row, column, format);
      if (cell.text.size() > MaxCellText) {
        std::string cut = utf8Prefix(cell.text, MaxCellText);
        return worksheet_write_string(sheet, row, column, cut.c_str(), format);
      }
      return worksheet_write_string(sheet, row, column, cell.text.c_str(), format);
    case CellType::Number:
    case CellType::Date:
      if (!std::isfinite(cell.number)) {
        return worksheet_write_string(sheet, row, column, nonFiniteText(cell.number).c_str(), format);
      }
      return worksheet_write_number(sheet, row, column, cell.number, format);
    case CellType::Formula: {
      std::string shown;
      if (formulaText(cell.text, shown))
        return worksheet_write_formula_str(sheet, row, column, cell.text.c_str(), format, shown.c_str());
      return worksheet_write_formula(sheet, row, column, cell.text.c_str(), format);
    }
  }
  return LXW_NO_ERROR;
}

void writeWindow(lxw_worksheet* sheet, const SheetWindow& window) {
  if (window.frozen && (window.splitRow > 0 || window.splitColumn > 0)) {
    // The file's panes hold every row above and column left of the split; the scrolling
    // pane starts at the window's scroll position.
    lxw_row_t splitRow = window.splitRow > 0 ? static_cast<lxw_row_t>(window.splitRow - 1) : 0;
    lxw_col_t splitColumn = window.splitColumn > 0 ? static_cast<lxw_col_t>(window.splitColumn - 1) : 0;
    auto topRow = static_cast<lxw_row_t>(window.scrollRow > 0 ? window.scrollRow - 1 : 0);
    auto leftColumn = static_cast<lxw_col_t>(window.scrollColumn > 0 ? window.scrollColumn - 1 : 0);
    if (topRow < splitRow) topRow = splitRow;
    if (leftColumn < splitColumn) leftColumn = splitColumn;
    worksheet_freeze_panes_opt(sheet, splitRow, splitColumn, topRow, leftColumn, 0);
  }
  bool onlyA1 = window.selectionRow1 == 1 && window.selectionColumn1 == 1 && window.selectionRow2 == 1 &&
                window.selectionColumn2 == 1;
  if (!onlyA1) {
    worksheet_set_selection(sheet, static_cast<lxw_row_t>(window.selectionRow1 - 1),
                            static_cast<lxw_col_t>(window.selectionColumn1 - 1),
                            static_cast<lxw_row_t>(window.selectionRow2 - 1),
                            static_cast<lxw_col_t>(window.selectionColumn2 - 1));
  }
}

// Writes one worksheet; returns the first error of the library, or LXW_NO_ERROR.
lxw_error writeSheet(lxw_worksheet* target, const Sheet& sheet, Formats& formats) {
  for (const auto& [column, width] : sheet.columnWidths) {
    auto c = static_cast<lxw_col_t>(column);
    lxw_error error = worksheet_set_column(target, c, c, width, nullptr);
    if (error != LXW_NO_ERROR) return error;
  }
  for (int32_t r = 0; r < sheet.rowCount(); ++r) {
    const std::vector<SheetCell>& cells = sheet.row(r);
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const SheetCell& cell = cells[c];
      if (cell.kind == CellType::Empty && cell.style == 0) continue;
      lxw_error error = writeCell(target, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), cell,
                                  formats.of(cell.style));
      if (error != LXW_NO_ERROR) return error;
    }
  }
  writeWindow(target, sheet.window);
  return LXW_NO_ERROR;
}

uint8_t libraryChart(ChartKind kind) {
  switch (kind) {
    case ChartKind::Column: return LXW_CHART_COLUMN;
    case ChartKind::ColumnStacked: return LXW_CHART_COLUMN_STACKED;
    case ChartKind::ColumnStacked100: return LXW_CHART_COLUMN_STACKED_PERCENT;
    case ChartKind::Bar: return LXW_CHART_BAR;
    case ChartKind::BarStacked: return LXW_CHART_BAR_STACKED;
    case ChartKind::BarStacked100: return LXW_CHART_BAR_STACKED_PERCENT;
    case ChartKind::Line: return LXW_CHART_LINE;
    case ChartKind::LineStacked: return LXW_CHART_LINE_STACKED;
    case ChartKind::LineStacked100: return LXW_CHART_LINE_STACKED_PERCENT;
    case ChartKind::Area: return LXW_CHART_AREA;
    case ChartKind::AreaStacked: return LXW_CHART_AREA_STACKED;
    case ChartKind::AreaStacked100: return LXW_CHART_AREA_STACKED_PERCENT;
    case ChartKind::Pie: return LXW_CHART_PIE;
    case ChartKind::Doughnut: return LXW_CHART_DOUGHNUT;
    case ChartKind::Scatter: return LXW_CHART_SCATTER;
    case ChartKind::ScatterLines: return LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS;
    case ChartKind::ScatterLinesNoMarkers: return LXW_CHART_SCATTER_STRAIGHT;
    case ChartKind::ScatterSmooth: return LXW_CHART_SCATTER_SMOOTH_WITH_MARKERS;
    case ChartKind::ScatterSmoothNoMarkers: return LXW_CHART_SCATTER_SMOOTH;
    case ChartKind::Radar: return LXW_CHART_RADAR;
    case ChartKind::RadarMarkers: return LXW_CHART_RADAR_WITH_MARKERS;
    case ChartKind::RadarFilled: return LXW_CHART_RADAR_FILLED;
  }
  return LXW_CHART_COLUMN;
}

bool isBarChart(ChartKind kind) {
  return kind == ChartKind::Bar || kind == ChartKind::BarStacked || kind == ChartKind::BarStacked100;
}

bool hasAxes(ChartKind kind) { return kind != ChartKind::Pie && kind != ChartKind::Doughnut; }

// The number format of the category labels: the format of the first category cell when
// it holds a date (so dates show as years or months), else none.
std::string categoryFormat(const Chart& chart, const StyleTable& styles) {
  for (const ChartSeries& series : chart.series) {
    if (!series.hasCategories) continue;
    const SheetCell* cell = chart.source->find(series.categories.row1, series.categories.column1);
    if (cell == nullptr || cell->kind != CellType::Date) return "";
    return styles.at(cell->style).numberFormat;
  }
  return "";
}

// Writes a chart sheet with its chart; returns the first error of the library, or
// LXW_NO_ERROR.
lxw_error writeChartSheet(lxw_workbook* book, const Sheet& sheet, const StyleTable& styles, std::string& error) {
  const Chart* chart = sheet.chart.get();
  if (chart == nullptr || chart->source == nullptr || chart->series.empty()) {
    error = "the chart sheet \"" + sheet.name + "\" has no chart";
    return LXW_ERROR_PARAMETER_VALIDATION;
  }
  lxw_chartsheet* target = workbook_add_chartsheet(book, sheet.name.c_str());
  if (target == nullptr) {
    error = "the sheet name \"" + sheet.name + "\" is refused";
    return LXW_ERROR_SHEETNAME_ALREADY_USED;
  }
  const ChartKind kind = chart->drawing.kind;
  lxw_chart* drawn = workbook_add_chart(book, libraryChart(kind));
  if (drawn == nullptr) {
    error = "cannot make the chart of \"" + sheet.name + "\"";
    return LXW_ERROR_MEMORY_MALLOC_FAILED;
  }
  const char* source = chart->source->name.c_str();
  auto row = [](int32_t r) { return static_cast<lxw_row_t>(r); };
  auto column = [](int32_t c) { return static_cast<lxw_col_t>(c); };
  for (const ChartSeries& part : chart->series) {
    lxw_chart_series* series = chart_add_series(drawn, nullptr, nullptr);
    if (series == nullptr) {
      error = "cannot add a series to the chart of \"" + sheet.name + "\"";
      return LXW_ERROR_MEMORY_MALLOC_FAILED;
    }
    const CellRange& values = part.values;
    chart_series_set_values(series, source, row(values.row1), column(values.column1), row(values.row2),
                            column(values.column2));
    if (part.hasCategories) {
      const CellRange& labels = part.categories;
      chart_series_set_categories(series, source, row(labels.row1), column(labels.column1), row(labels.row2),
                                  column(labels.column2));
    }
    if (part.hasName) chart_series_set_name_range(series, source, row(part.nameRow), column(part.nameColumn));
    if (chart->drawing.markers) chart_series_set_marker_type(series, LXW_CHART_MARKER_AUTOMATIC);
  }
  if (!chart->title.empty()) chart_title_set_name(drawn, chart->title.c_str());
  if (hasAxes(kind)) {
    // The library's x axis is the category axis, except in a bar chart, whose
    // categories run down its y axis.
    lxw_chart_axis* categories = isBarChart(kind) ? drawn->y_axis : drawn->x_axis;
    lxw_chart_axis* values = isBarChart(kind) ? drawn->x_axis : drawn->y_axis;
    if (!chart->categoryTitle.empty()) chart_axis_set_name(categories, chart->categoryTitle.c_str());
    if (!chart->valueTitle.empty()) chart_axis_set_name(values, chart->valueTitle.c_str());
    std::string format = categoryFormat(*chart, styles);
    if (!format.empty()) chart_axis_set_num_format(categories, format.c_str());
  }
  chart_legend_set_position(drawn, chart->legend ? LXW_CHART_LEGEND_RIGHT : LXW_CHART_LEGEND_NONE);
  lxw_error result = chartsheet_set_chart(target, drawn);
  if (result != LXW_NO_ERROR) error = lxw_strerror(result);
  return result;
}

}  // namespace

bool formulaText(std::string_view formula, std::string& result) {
  constexpr std::string_view head = "=REPT(\"";
  if (formula.size() < head.size() || !equalsIgnoringCase(formula.substr(0, head.size()), head))
    return false;
  std::size_t i = head.size();
  std::string text;
  for (;;) {
    if (i >= formula.size()) return false;
    if (formula[i] == '"') {
      if (i + 1 < formula.size() && formula[i + 1] == '"') {
        text.push_back('"');
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    text.push_back(formula[i++]);
  }
  while (i < formula.size() && formula[i] == ' ') ++i;
  if (i >= formula.size() || formula[i] != ',') return false;
  ++i;
  while (i < formula.size() && formula[i] == ' ') ++i;
  long count = 0;
  std::size_t digits = 0;
  while (i < formula.size() && formula[i] >= '0' && formula[i] <= '9') {
    if (count < static_cast<long>(MaxCellText) + 1) count = count * 10 + (formula[i] - '0');
    ++i;
    ++digits;
  }
  while (i < formula.size() && formula[i] == ' ') ++i;
  if (digits == 0 || i + 1 != formula.size() || formula[i] != ')') return false;
  result.clear();
  if (!text.empty()) {
    while (count-- > 0 && result.size() + text.size() <= MaxCellText) result += text;
  }
  return true;
}

std::string nonFiniteText(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  return value < 0 ? "-inf" : "inf";
}

int writeXlsx(const Workbook& workbook, const std::string& path, std::string& error) {
  std::string directory = directoryOf(path);
  std::string temporary;
  if (makeTemporaryBeside(path, temporary, error) != 0) return -1;

  lxw_workbook_options options{};
  options.constant_memory = LXW_FALSE;
  options.tmpdir = directory.data();
  options.use_zip64 = LXW_FALSE;
  lxw_workbook* book = workbook_new_opt(temporary.c_str(), &options);
  if (book == nullptr) {
    std::remove(temporary.c_str());
    error = "cannot start the workbook";
    return -1;
  }
  Formats formats(book, workbook.styles);
  lxw_error failure = LXW_NO_ERROR;
  for (const auto& sheet : workbook.sheets) {
    if (sheet->kind == SheetKind::Chart) {
      failure = writeChartSheet(book, *sheet, workbook.styles, error);
      if (failure != LXW_NO_ERROR) break;
      continue;
    }
    lxw_worksheet* target = workbook_add_worksheet(book, sheet->name.c_str());
    if (target == nullptr) {
      failure = LXW_ERROR_SHEETNAME_ALREADY_USED;
      error = "the sheet name \"" + sheet->name + "\" is refused";
      break;
    }
    failure = writeSheet(target, *sheet, formats);
    if (failure != LXW_NO_ERROR) {
      error = lxw_strerror(failure);
      break;
    }
    if (sheet.get() == workbook.activeSheet) worksheet_activate(target);
  }
  lxw_error closed = workbook_close(book);
  if (failure == LXW_NO_ERROR && closed != LXW_NO_ERROR) {
    failure = closed;
    error = lxw_strerror(closed);
  }
  if (failure != LXW_NO_ERROR) {
    std::remove(temporary.c_str());
    return -1;
  }
  return moveOnto(temporary, path, error);
}

}  // namespace tabrix
