#include "sheet/xlsx_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cmath>
#include <cstdio>
#include <vector>

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

lxw_error writeCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const Cell& cell,
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
    const std::vector<Cell>& cells = sheet.row(r);
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const Cell& cell = cells[c];
      if (cell.kind == CellType::Empty && cell.style == 0) continue;
      lxw_error error = writeCell(target, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), cell,
                                  formats.of(cell.style));
      if (error != LXW_NO_ERROR) return error;
    }
  }
  writeWindow(target, sheet.window);
  return LXW_NO_ERROR;
}

std::string directoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
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
  std::string pattern = path + ".tmp-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int descriptor = mkstemp(buffer.data());
  if (descriptor < 0) {
    error = "cannot create a file in " + directory;
    return -1;
  }
  // The finished file gets the permissions a newly made file would get.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, 0666 & ~mask);
  close(descriptor);
  std::string temporary = buffer.data();

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
    if (sheet->kind != SheetKind::Worksheet) continue;
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
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    error = "cannot replace the file";
    return -1;
  }
  return 0;
}

}  // namespace tabrix
