#include "sheet/save_writers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sheet/cell_text.h"
#include "sheet/excel_constants.h"
#include "sheet/save_file.h"
#include "sheet/wk1_records.h"

namespace tabrix {

namespace {

// The width the file gives a column without a width of its own, in characters.
constexpr double DefaultColumnWidth = 8.43;

// Reads the UTF-8 character at text[i] and moves i past it; a byte that starts no
// well-formed character reads as U+FFFD.
char32_t nextCharacter(std::string_view text, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || i + length > text.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t value = length == 1 ? lead : lead & (0xFF >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  i += length;
  return value > 0x10FFFF ? 0xFFFD : value;
}

std::string utf16LittleEndian(std::string_view text) {
  std::string result = "\xFF\xFE";
  auto put = [&](char32_t unit) {
    result.push_back(static_cast<char>(unit & 0xFF));
    result.push_back(static_cast<char>((unit >> 8) & 0xFF));
  };
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = nextCharacter(text, i);
    if (c >= 0x10000) {
      c -= 0x10000;
      put(0xD800 + (c >> 10));
      put(0xDC00 + (c & 0x3FF));
    } else {
      put(c);
    }
  }
  return result;
}

std::string latin1(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = nextCharacter(text, i);
    result.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  }
  return result;
}

std::string field(const std::string& text, char separator) {
  if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted.push_back('"');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

const SheetCell* valueAt(const Sheet& sheet, int32_t row, int32_t column) {
  const SheetCell* cell = sheet.find(row, column);
  return cell != nullptr && cell->kind != CellType::Empty ? cell : nullptr;
}

std::string escaped(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': result += "&amp;"; break;
      case '<': result += "&lt;"; break;
      case '>': result += "&gt;"; break;
      case '"': result += "&quot;"; break;
      case '\'': result += "&#39;"; break;
      default: result.push_back(c);
    }
  }
  return result;
}

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

// The inline style of a cell: its font and its alignment (numbers and dates to the
// right when the style leaves it to the cell).
std::string cellStyle(const CellStyle& style, bool isNumber) {
  std::string css;
  auto add = [&](std::string_view property) {
    css.append(property);
    css.push_back(';');
  };
  if (!style.fontName.empty()) {
    std::string name;
    for (char c : style.fontName)
      if (c != '\'' && c != '"' && c != ';' && c != '\\') name.push_back(c);
    add("font-family:'" + name + "'");
  }
  if (style.size > 0) add("font-size:" + number(style.size) + "pt");
  if (style.bold) add("font-weight:bold");
  if (style.italic) add("font-style:italic");
  if (style.underline == xl::UnderlineSingle || style.underline == xl::UnderlineSingleAccounting)
    add("text-decoration:underline");
  if (style.underline == xl::UnderlineDouble || style.underline == xl::UnderlineDoubleAccounting)
    add("text-decoration:underline double");
  if (style.colour != xl::NoColour) {
    auto bgr = static_cast<uint32_t>(style.colour);
    char colour[16];
    std::snprintf(colour, sizeof colour, "#%02X%02X%02X", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    add(std::string("color:") + colour);
  }
  switch (style.horizontal) {
    case xl::Left: add("text-align:left"); break;
    case xl::Center: add("text-align:center"); break;
    case xl::Right: add("text-align:right"); break;
    case xl::Justify: add("text-align:justify"); break;
    default:
      if (isNumber) add("text-align:right");
      break;
  }
  if (style.vertical == xl::Top) add("vertical-align:top");
  if (style.vertical == xl::VerticalCenter || style.vertical == xl::VerticalJustify) add("vertical-align:middle");
  return css;
}

void htmlSheet(std::string& page, const Sheet& sheet, const StyleTable& styles) {
  int32_t lastRow = -1, lastColumn = -1;
  valueExtent(sheet, lastRow, lastColumn);
  page += "<h2>" + escaped(sheet.name) + "</h2>\n";
  if (lastRow < 0) {
    page += "<table></table>\n";
    return;
  }
  double total = 0;
  std::string columns = "<colgroup>";
  for (int32_t c = 0; c <= lastColumn; ++c) {
    auto found = sheet.columnWidths.find(c);
    double width = found == sheet.columnWidths.end() ? DefaultColumnWidth : found->second;
    total += width;
    columns += "<col style=\"width:" + number(width) + "ch\">";
  }
  columns += "</colgroup>\n";
  page += "<table style=\"width:" + number(total) + "ch\">\n" + columns;
  for (int32_t r = 0; r <= lastRow; ++r) {
    page += "<tr>";
    for (int32_t c = 0; c <= lastColumn;) {
      const SheetCell* cell = valueAt(sheet, r, c);
      if (cell == nullptr) {
        page += "<td></td>";
        ++c;
        continue;
      }
      const CellStyle& style = styles.at(cell->style);
      bool isNumber = cell->kind == CellType::Number || cell->kind == CellType::Date;
      // A text runs over the empty cells to its right, as the spreadsheet shows it.
      int32_t span = 1;
      if (!isNumber && style.horizontal != xl::Right) {
        while (c + span <= lastColumn && valueAt(sheet, r, c + span) == nullptr) ++span;
      }
      page += "<td";
      if (span > 1) page += " colspan=\"" + std::to_string(span) + "\"";
      std::string css = cellStyle(style, isNumber);
      if (!css.empty()) page += " style=\"" + escaped(css) + "\"";
      page += ">" + escaped(shownText(*cell, style)) + "</td>";
      c += span;
    }
    page += "</tr>\n";
  }
  page += "</table>\n";
}

std::string fileTitle(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.find('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

char wk1Alignment(const CellStyle& style) {
  if (style.horizontal == xl::Right) return wk1::AlignRight;
  if (style.horizontal == xl::Center) return wk1::AlignCentre;
  return wk1::AlignLeft;
}

}  // namespace

void valueExtent(const Sheet& sheet, int32_t& lastRow, int32_t& lastColumn) {
  lastRow = -1;
  lastColumn = -1;
  for (int32_t r = 0; r < sheet.rowCount(); ++r) {
    const std::vector<SheetCell>& cells = sheet.row(r);
    for (std::size_t c = cells.size(); c-- > 0;) {
      if (cells[c].kind == CellType::Empty) continue;
      lastRow = r;
      lastColumn = std::max(lastColumn, static_cast<int32_t>(c));
      break;
    }
  }
}

std::string delimitedText(const Workbook& workbook, const SaveFormat& format) {
  const char separator = format.kind == SaveKind::Csv ? ',' : '\t';
  const std::string lineEnd = format.lineEnd;
  std::string text;
  bool first = true;
  for (const Sheet* sheet : workbook.worksheets()) {
    int32_t lastRow = -1, lastColumn = -1;
    valueExtent(*sheet, lastRow, lastColumn);
    if (lastRow < 0) continue;
    // One empty line between two worksheets.
    if (!first) text += lineEnd;
    first = false;
    for (int32_t r = 0; r <= lastRow; ++r) {
      for (int32_t c = 0; c <= lastColumn; ++c) {
        if (c > 0) text.push_back(separator);
        if (const SheetCell* cell = valueAt(*sheet, r, c)) text += field(shownText(*cell, workbook.styles.at(cell->style)), separator);
      }
      text += lineEnd;
    }
  }
  return format.utf16 ? utf16LittleEndian(text) : text;
}

int writeDelimited(const Workbook& workbook, const std::string& path, const SaveFormat& format, std::string& error) {
  return writeWholeFile(path, delimitedText(workbook, format), error);
}

std::string htmlText(const Workbook& workbook, const std::string& title) {
  std::string page =
      "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + escaped(title) +
      "</title>\n<style>\ntable { border-collapse: collapse; table-layout: fixed; }\n"
      "td { white-space: pre; overflow: hidden; padding: 0 2px; vertical-align: bottom; }\n"
      "tr { height: 1.3em; }\n</style>\n</head>\n<body>\n";
  for (const Sheet* sheet : workbook.worksheets()) htmlSheet(page, *sheet, workbook.styles);
  page += "</body>\n</html>\n";
  return page;
}

int writeHtml(const Workbook& workbook, const std::string& path, std::string& error) {
  return writeWholeFile(path, htmlText(workbook, fileTitle(path)), error);
}

bool wk1SheetBytes(const Sheet& sheet, const StyleTable& styles, std::string& bytes, std::string& error) {
  int32_t lastRow = -1, lastColumn = -1;
  valueExtent(sheet, lastRow, lastColumn);
  if (lastRow > wk1::MaxRow || lastColumn > wk1::MaxColumn) {
    error = "the worksheet " + sheet.name + " has cells beyond row 32768 or column IV, which a WK1 file cannot hold";
    return false;
  }
  bytes = wk1Record(wk1::Bof, wk1BofBody());
  for (const auto& [column, width] : sheet.columnWidths) {
    if (column > wk1::MaxColumn) continue;
    bytes += wk1Record(wk1::ColumnWidth, wk1ColumnWidthBody(column, static_cast<int>(std::lround(width))));
  }
  for (int32_t r = 0; r <= lastRow; ++r) {
    for (int32_t c = 0; c <= lastColumn; ++c) {
      const SheetCell* cell = valueAt(sheet, r, c);
      if (cell == nullptr) continue;
      const CellStyle& style = styles.at(cell->style);
      switch (cell->kind) {
        case CellType::Number: {
          int decimals = formatDecimals(style.numberFormat);
          if (decimals < 0) decimals = generalDecimals(cell->number);
          bytes += wk1Record(wk1::Number, wk1NumberBody(c, r, decimals, cell->number));
          break;
        }
        case CellType::Text:
          bytes += wk1Record(wk1::Label, wk1LabelBody(c, r, wk1Alignment(style), latin1(cell->text)));
          break;
        case CellType::Date:
          bytes += wk1Record(wk1::Label, wk1LabelBody(c, r, wk1::AlignRight, shownText(*cell, style)));
          break;
        case CellType::Formula:
          bytes += wk1Record(wk1::Label, wk1LabelBody(c, r, wk1Alignment(style), latin1(shownText(*cell, style))));
          break;
        case CellType::Empty:
          break;
      }
    }
  }
  bytes += wk1Record(wk1::Range, wk1RangeBody(0, 0, std::max(lastColumn, 0), std::max(lastRow, 0)));
  bytes += wk1Record(wk1::Eof, "");
  return true;
}

int writeWk1Sheet(const Sheet& sheet, const StyleTable& styles, const std::string& path, std::string& error) {
  std::string bytes;
  if (!wk1SheetBytes(sheet, styles, bytes, error)) return -1;
  return writeWholeFile(path, bytes, error);
}

}  // namespace tabrix
