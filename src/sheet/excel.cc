#include "sheet/excel.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "dates/vex_date.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "sheet/chart_types.h"
#include "sheet/save_formats.h"
#include "sheet/save_writers.h"
#include "sheet/xlsx_file.h"
#include "support/constants.h"
#include "support/text.h"

namespace tabrix {

namespace {

// The longest text and formula a cell of the workbook file holds.
constexpr std::size_t MaxCellText = 32767;
constexpr std::size_t MaxFormulaLength = 8192;
// A freeze by columns selects this many rows of the column.
constexpr int FreezeColumnRows = 1000;
// Decimals a number format can carry.
constexpr int MaxFormatDecimals = 30;
// Series a chart of the workbook file holds.
constexpr std::size_t MaxSeriesPerChart = 255;

bool isCapital(char c) { return c >= 'A' && c <= 'Z'; }

// Column letters (one to three, either case) as a column number from 1; 0 when they are
// not letters or name a column beyond the sheet.
int32_t columnOf(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return 0;
  int32_t number = 0;
  for (char c : letters) {
    char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (!isCapital(upper)) return 0;
    number = number * 26 + (upper - 'A' + 1);
  }
  return number <= xl::ColumnCount ? number : 0;
}

bool rowInSheet(long row) { return row >= 1 && row <= xl::RowCount; }

// A whole decimal integer (optional sign), or false.
bool readInteger(std::string_view text, long& value) {
  if (text.empty()) return false;
  std::size_t start = text[0] == '+' ? 1 : 0;
  auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && start < text.size();
}

// A decimal number, or false.
bool readNumber(std::string_view text, double& value) {
  if (text.empty()) return false;
  std::size_t start = text[0] == '+' ? 1 : 0;
  auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// A colour text as the application takes it: a blue-green-red value, or the value for
// no colour.
bool readColour(std::string_view text, int32_t& colour) {
  long value = 0;
  if (!readInteger(text, value)) return false;
  if (value != xl::NoColour && (value < 0 || value > xl::LargestColour)) return false;
  colour = static_cast<int32_t>(value);
  return true;
}

// The number a cell holds for a table value: the float's shortest decimal form, so the
// cell shows 12.3 and not 12.300000190734863.
double cellNumber(float value) {
  if (!std::isfinite(value)) return static_cast<double>(value);
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  double result = static_cast<double>(value);
  if (error == std::errc()) std::from_chars(buffer, end, result);
  return result;
}

std::string sizeText(int size) { return std::to_string(size); }

void unfreeze(SheetWindow& window) {
  if (!window.frozen) return;
  window.scrollRow = window.frozenTopRow;
  window.scrollColumn = window.frozenLeftColumn;
  window.frozen = false;
  window.splitRow = window.splitColumn = 0;
}

// FreezePanes := true: the rows above and the columns left of the selection's first
// cell, as far as the window shows them, stay in view.
void freeze(SheetWindow& window) {
  int32_t row = window.selectionRow1, column = window.selectionColumn1;
  int32_t splitRow = row > window.scrollRow ? row : 0;
  int32_t splitColumn = column > window.scrollColumn ? column : 0;
  if (splitRow == 0 && splitColumn == 0) return;
  window.frozen = true;
  window.frozenTopRow = window.scrollRow;
  window.frozenLeftColumn = window.scrollColumn;
  window.splitRow = splitRow;
  window.splitColumn = splitColumn;
  if (splitRow > 0) window.scrollRow = splitRow;
  if (splitColumn > 0) window.scrollColumn = splitColumn;
}

void scrollRowTo(SheetWindow& window, int32_t row) {
  if (window.frozen && window.splitRow > 0) {
    window.scrollRow = row < window.splitRow ? window.splitRow : row;
  } else {
    window.scrollRow = row;
    if (window.frozen) window.frozenTopRow = row;
  }
}

void scrollColumnTo(SheetWindow& window, int32_t column) {
  if (window.frozen && window.splitColumn > 0) {
    window.scrollColumn = column < window.splitColumn ? window.splitColumn : column;
  } else {
    window.scrollColumn = column;
    if (window.frozen) window.frozenLeftColumn = column;
  }
}

void selectRange(SheetWindow& window, int32_t row1, int32_t column1, int32_t row2, int32_t column2) {
  window.selectionRow1 = row1;
  window.selectionColumn1 = column1;
  window.selectionRow2 = row2;
  window.selectionColumn2 = column2;
}

// The name is absolute (a leading '/', '\' or drive letter).
std::string absolutePath(std::string_view name) {
  std::string path = toPath(name);
  if (!path.empty() && path[0] == '/') return path;
  std::string directory = currentDirectory();
  return directory == "/" ? "/" + path : directory + "/" + path;
}

// The position of the extension's '.' in the file-name part of path, or npos.
std::size_t extensionDot(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::size_t dot = path.find('.', start);
  return dot;
}

}  // namespace

void errorPrompt(std::string_view message) {
  console().printf("Error\n%s\n", std::string(message).c_str());
  console().flush();
  (void)keySource().readKey();
}

Excel::~Excel() { (void)CloseExcel(); }

// --- Life cycle --------------------------------------------------------------------

int Excel::OpenExcel() {
  if (application_) {
    console().printf("\nWarning:  Excel already is running.  Closing and reopening Excel...\n");
    (void)CloseExcel();
  } else if (workbook_) {
    console().printf("\nWarning:  Excel workbook is open.  Closing workbook...\n");
    (void)CloseWorkbook();
  } else if (worksheet_ != nullptr) {
    console().printf("\nWarning:  Excel worksheet is open.  Closing worksheet...\n");
    (void)CloseWorksheet();
  }
  application_ = true;
  visible_ = false;
  screenUpdating_ = false;
  return 0;
}

int Excel::CloseWorksheet() {
  worksheet_ = nullptr;
  return 0;
}

int Excel::CloseWorkbook() {
  int result = 0;
  if (worksheet_ != nullptr && CloseWorksheet() != 0) result = -1;
  if (!workbook_) return result;
  // Closing saves the changes of a workbook that has a file, in its format.
  if (workbook_->dirty && workbook_->hasFile) {
    if (saveModel(workbook_->fullName, saveFormatOf(workbook_->fileFormat)) != 0) {
      console().printf("\nError:  in Excel::CloseWorkbook(), cannot close worksheet.\n");
      errorPrompt("Error:  in Excel::CloseWorkbook().");
      result = -1;
    }
  }
  workbook_.reset();
  hasRange_ = false;
  return result;
}

int Excel::CloseExcel() {
  bool failed = worksheet_ != nullptr && CloseWorksheet() != 0;
  if (workbook_) failed = CloseWorkbook() != 0 || failed;
  hasRange_ = false;
  if (!application_) return failed ? -1 : 0;
  displayAlerts_ = true;
  (void)SetVisible(1);
  application_ = false;
  return failed ? -1 : 0;
}

int Excel::SetVisible(int flag) {
  if (!application_) {
    console().printf("Warning:  Excel is not running, so cannot make invisible.\n");
    return -1;
  }
  visible_ = flag != 0;
  screenUpdating_ = flag != 0;
  return 0;
}

int Excel::CheckStatus() {
  if (!application_) return -1;
  if (!workbook_) return 0;
  // The first poll lets go of the worksheet; the model is never busy, so no wait follows.
  if (CloseWorksheet() != 0) return -1;
  return 0;
}

int Excel::CreateNew(std::string_view name, std::string_view kind, std::string_view format) {
  bool isSheet = kind == "worksheet" || kind == "ws";
  if (!application_ && OpenExcel() != 0) return -1;
  if (!isSheet && workbook_) {
    console().printf("Warning:  Workbook already is open.  Closing and continuing....\n");
    if (CloseWorkbook() != 0) return -1;
  }
  if (isSheet && !workbook_) {
    console().printf("Error:  Workbook is not open.  \nCannot add worksheet.\n");
    return -1;
  }
  if (worksheet_ != nullptr) {
    if (CloseWorksheet() != 0) return -1;
    if (!isSheet && CheckStatus() != 0) return -1;
  }
  if (isSheet) {
    std::string own;
    do {
      own = "Sheet" + std::to_string(++sheetsMade_);
    } while (workbook_->findSheet(own) != nullptr);
    // After the active sheet and the chart sheets beside it.
    Sheet& added = workbook_->addSheet(own, SheetKind::Worksheet, workbook_->behindCharts(workbook_->activeSheet));
    workbook_->activeSheet = &added;
    worksheet_ = &added;
    if (name.empty()) return 0;
    std::string unique = uniqueSheetName(toUtf8(name), &added);
    return SetSheetName(unique) != 0 ? -1 : 0;
  }
  workbook_ = std::make_unique<Workbook>("Book" + std::to_string(++workbooksMade_));
  sheetsMade_ = 1;
  chartsMade_ = 0;
  formatWarned_ = false;
  wk1Warned_ = false;
  Sheet& first = workbook_->addSheet("Sheet1", SheetKind::Worksheet, nullptr);
  workbook_->activeSheet = &first;
  workbook_->dirty = false;
  worksheet_ = &first;
  // A workbook that cannot be saved under its name at once cannot be saved later
  // either: the failure is the creation's, so no table is written into it in vain.
  if (!name.empty() && SaveWorkbookAs(name, format, 2) != 0) return -1;
  return 0;
}

bool Excel::sheetNameAllowed(const std::string& name, const Sheet* self) const {
  if (name.empty() || utf8Length(name) > static_cast<std::size_t>(xl::SheetNameLength)) return false;
  if (name.front() == '\'' || name.back() == '\'') return false;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    if (std::string_view("[]:*?/\\").find(c) != std::string_view::npos) return false;
  }
  for (const auto& sheet : workbook_->sheets)
    if (sheet.get() != self && equalsIgnoringCase(sheet->name, name)) return false;
  return true;
}

std::string Excel::uniqueSheetName(const std::string& name, const Sheet* self) const {
  const std::size_t limit = static_cast<std::size_t>(xl::SheetNameLength);
  const std::size_t nameLength = utf8Length(name);
  // The name in front of a suffix of `length` characters: cut so that both fit a sheet
  // name. One stem per suffix length, worked out once.
  std::vector<std::string> stems;
  auto stem = [&](std::size_t length) -> const std::string& {
    if (stems.size() <= length) stems.resize(length + 1);
    std::string& cut = stems[length];
    if (cut.empty()) cut = nameLength + length > limit ? utf8Prefix(name, limit > length ? limit - length : 0) : name;
    return cut;
  };
  auto candidate = [&](int k) {
    if (k == 1) return name;
    std::string suffix = "-" + std::to_string(k);
    return stem(suffix.size()) + suffix;
  };
  // Sheets named like the new one: name itself, or name-k (the name cut to fit).
  auto namedSo = [&](const std::string& sheetName) {
    if (sheetName == name) return true;
    std::size_t dash = sheetName.rfind('-');
    if (dash == std::string::npos || dash + 1 >= sheetName.size()) return false;
    for (std::size_t i = dash + 1; i < sheetName.size(); ++i)
      if (sheetName[i] < '0' || sheetName[i] > '9') return false;
    return sheetName.compare(0, dash, stem(sheetName.size() - dash)) == 0;
  };
  int count = 0;
  for (const auto& sheet : workbook_->sheets)
    if (sheet.get() != self && sheet->kind == SheetKind::Worksheet && namedSo(sheet->name)) ++count;
  int k = count > 0 ? count + 1 : 1;
  // A name taken otherwise (a sheet renamed by hand, a name with a '-' of its own) moves
  // on to the next free number.
  for (;;) {
    std::string next = candidate(k);
    bool taken = false;
    for (const auto& sheet : workbook_->sheets)
      if (sheet.get() != self && equalsIgnoringCase(sheet->name, next)) taken = true;
    if (!taken) return next;
    k = k < 2 ? 2 : k + 1;
  }
}

int Excel::SetSheetName(std::string_view name) {
  if (!application_ || !workbook_ || worksheet_ == nullptr) {
    console().printf("Error:  Worksheet is not open.  \nCannot name worksheet.\n");
    return -1;
  }
  std::string text = toUtf8(name);
  if (!sheetNameAllowed(text, worksheet_)) {
    console().printf("\nError:  cannot set worksheet name.\n");
    return -1;
  }
  worksheet_->name = text;
  workbook_->dirty = true;
  return 0;
}

int Excel::SaveWorksheet(std::string_view name, std::string_view format, int mode) {
  if (!application_) {
    console().printf("Error:  Excel application not open, so you cannot save the worksheet.\n");
    return -1;
  }
  if (!workbook_) {
    console().printf("Error:  Workbook is not open, so you cannot save the worksheet.\n");
    return -1;
  }
  if (worksheet_ == nullptr) {
    console().printf("Error:  Worksheet is not open, so you cannot save the worksheet.\n");
    return -1;
  }
  return SaveWorkbookAs(name, format, mode) != 0 ? -1 : 0;
}

int Excel::SaveWorkbookAs(std::string_view name, std::string_view format, int mode) {
  if (worksheet_ == nullptr) return 0;
  if (mode == 2) {
    displayAlerts_ = false;
  } else {
    mode = 1;
  }
  const SaveFormat& entry = findSaveFormat(format);
  std::string path;
  if (name.empty()) {
    // The workbook's present name: its file, or the default name in the current directory.
    path = workbook_->hasFile ? workbook_->fullName : absolutePath(workbookFileName(workbook_->fullName, format));
  } else {
    path = absolutePath(workbookFileName(name, format));
  }
  if (entry.kind == SaveKind::Other && !formatWarned_) {
    console().printf("Warning:  The %s format cannot be written; %s is saved as an Excel workbook instead.\n",
                     entry.name, path.c_str());
    formatWarned_ = true;
  }
  int result = saveModel(path, entry);
  displayAlerts_ = true;
  if (result != 0) {
    console().printf("\nError:  in Excel::Save Worksheet().\n");
    errorPrompt("Error:  in Excel::CloseWorksheet().");
    return -1;
  }
  return 0;
}

std::string Excel::workbookFileName(std::string_view name, std::string_view format) {
  const SaveFormat& entry = findSaveFormat(format);
  std::string path = toPath(name);
  std::size_t dot = extensionDot(path);
  if (!savedAsWorkbook(entry)) {
    if (dot == std::string::npos) path += entry.extension;
    return path;
  }
  // The workbook file: a name without an extension, or with the old workbook's (or the
  // format's own) extension, is named .xlsx.
  if (dot == std::string::npos) return path + std::string(WorkbookExtension);
  dot = path.rfind('.');
  std::string extension = path.substr(dot);
  std::string own(entry.extension);
  rtrim(own);
  if (equalsIgnoringCase(extension, ".xls") ||
      (entry.kind != SaveKind::Workbook && equalsIgnoringCase(extension, own)))
    path = path.substr(0, dot) + std::string(WorkbookExtension);
  return path;
}

int Excel::saveModel(const std::string& path, const SaveFormat& format) {
  std::string error;
  // A failed save is reported here, once; closing does not try the same save again.
  workbook_->dirty = false;
  int result = 0;
  switch (format.kind) {
    case SaveKind::Csv:
    case SaveKind::Text:
      result = writeDelimited(*workbook_, path, format, error);
      break;
    case SaveKind::Html:
      result = writeHtml(*workbook_, path, error);
      break;
    case SaveKind::Wk1: {
      // The active worksheet (a chart sheet is never active; the current worksheet
      // stands in for one).
      const Sheet* sheet = workbook_->activeSheet;
      if (sheet == nullptr || sheet->kind != SheetKind::Worksheet) sheet = worksheet_;
      const std::vector<Sheet*> all = workbook_->worksheets();
      if (sheet == nullptr && !all.empty()) sheet = all.front();
      if (sheet == nullptr) {
        error = "the workbook has no worksheet";
        result = -1;
        break;
      }
      if (all.size() > 1 && !wk1Warned_) {
        console().printf("Warning:  %s holds only the worksheet %s: a WK1 file holds one worksheet, and the "
                         "workbook has %zu.\n",
                         path.c_str(), sheet->name.c_str(), all.size());
        wk1Warned_ = true;
      }
      result = writeWk1Sheet(*sheet, workbook_->styles, path, error);
      break;
    }
    case SaveKind::Workbook:
    case SaveKind::Other:
      result = writeXlsx(*workbook_, path, error);
      break;
  }
  if (result != 0) {
    console().printf("\nError:  cannot write the workbook %s: %s.\n", path.c_str(), error.c_str());
    return -1;
  }
  workbook_->fullName = path;
  workbook_->hasFile = true;
  workbook_->fileFormat = format.constant;
  return 0;
}

// --- Cells -------------------------------------------------------------------------

bool Excel::makeArea(std::string_view column1, int row1, std::string_view column2, int row2, Area& area) {
  int32_t c1 = columnOf(column1), c2 = columnOf(column2);
  if (c1 == 0 || c2 == 0 || !rowInSheet(row1) || !rowInSheet(row2)) return false;
  area.row1 = std::min(row1, row2);
  area.row2 = std::max(row1, row2);
  area.column1 = std::min(c1, c2);
  area.column2 = std::max(c1, c2);
  return true;
}

template <typename Change>
void Excel::restyle(const Area& area, Change change) {
  // Most ranges share one style; each present style is changed and looked up once.
  std::vector<std::pair<uint32_t, uint32_t>> changed;
  for (int32_t r = area.row1; r <= area.row2; ++r) {
    for (int32_t c = area.column1; c <= area.column2; ++c) {
      SheetCell& cell = worksheet_->at(r - 1, c - 1);
      uint32_t result = 0;
      bool found = false;
      for (const auto& [from, to] : changed) {
        if (from == cell.style) {
          result = to;
          found = true;
          break;
        }
      }
      if (!found) {
        CellStyle style = workbook_->styles.at(cell.style);
        change(style);
        result = workbook_->styles.intern(style);
        changed.emplace_back(cell.style, result);
      }
      cell.style = result;
    }
  }
  workbook_->dirty = true;
}

int Excel::WriteString(std::string_view column, int row, std::string_view text) {
  if (worksheet_ == nullptr) {
    console().printf("Error:  in 'XL write \"%s\",\nworksheet is not open.\n", std::string(text).c_str());
    return -1;
  }
  Area area;
  if (!makeArea(column, row, column, row, area)) {
    console().printf("Error:  in Excel::WriteString().\n");
    return -1;
  }
  SheetCell& cell = worksheet_->at(area.row1 - 1, area.column1 - 1);
  workbook_->dirty = true;
  if (text.empty()) {
    cell.kind = CellType::Empty;
    cell.text.clear();
    return 0;
  }
  restyle(area, [](CellStyle& style) { style.numberFormat = "@"; });
  SheetCell& written = worksheet_->at(area.row1 - 1, area.column1 - 1);
  written.kind = CellType::Text;
  written.text = toUtf8(text);
  if (written.text.size() > MaxCellText) written.text = utf8Prefix(written.text, MaxCellText);
  if (formatArea(area, font) != 0) {
    console().printf("Error:  Cannot set cell format in Excel::WriteString().\n");
    return -1;
  }
  return 0;
}

int Excel::formatCell(std::string_view column1, int row1, std::string_view column2, int row2,
                      const VexFont& cellFont) {
  Area area;
  if (worksheet_ == nullptr || !makeArea(column1, row1, column2, row2, area)) {
    console().printf("Error:  in Excel::formatCell().\n");
    return -1;
  }
  return formatArea(area, cellFont);
}

int Excel::formatArea(const Area& area, const VexFont& cellFont) {
  // The attributes are gathered in order and applied together; a step that fails
  // applies the ones before it and stops.
  struct Patch {
    bool underline = false, bold = false, italic = false, horizontal = false, vertical = false,
         name = false, size = false, colour = false;
    int32_t underlineValue = 0, horizontalValue = 0, verticalValue = 0, colourValue = 0;
    std::string nameValue;
    double sizeValue = 0;
  } patch;
  auto apply = [&] {
    restyle(area, [&patch](CellStyle& style) {
      if (patch.underline) style.underline = patch.underlineValue;
      if (patch.bold) style.bold = true;
      if (patch.italic) style.italic = true;
      if (patch.horizontal) style.horizontal = patch.horizontalValue;
      if (patch.vertical) style.vertical = patch.verticalValue;
      if (patch.name) style.fontName = patch.nameValue;
      if (patch.size) style.size = patch.sizeValue;
      if (patch.colour) style.colour = patch.colourValue;
    });
  };
  if (cellFont.underline != 0) {
    setUnderlineStyle(std::string(1, cellFont.underline));
    patch.underline = true;
    patch.underlineValue = underlineStyle;
  }
  patch.bold = cellFont.bold;
  patch.italic = cellFont.italic;
  if (cellFont.horizontal != 0) {
    setHorizontal(std::string(1, cellFont.horizontal));
    patch.horizontal = true;
    patch.horizontalValue = horizontalAlign;
  }
  if (cellFont.vertical != 0) {
    setVertical(std::string(1, cellFont.vertical));
    patch.vertical = true;
    patch.verticalValue = verticalAlign;
  }
  if (!cellFont.name.empty()) {
    patch.name = true;
    patch.nameValue = toUtf8(cellFont.name);
  }
  int size = cellFont.size();
  if (size > 0) {
    if (size < xl::SmallestFontSize || size > xl::LargestFontSize) {
      apply();
      console().printf("\nError:  cannot set font size to \"%s\" in Excel file.\n", sizeText(size).c_str());
      return -1;
    }
    patch.size = true;
    patch.sizeValue = size;
  }
  if (!cellFont.colour.empty()) {
    if (!readColour(cellFont.colour, patch.colourValue)) {
      apply();
      console().printf("\nError:  cannot set font color to \"%s\" in Excel file.\n", cellFont.colour.c_str());
      return -1;
    }
    patch.colour = true;
  }
  apply();
  return 0;
}

int Excel::setFormat(std::string_view column1, int row1, std::string_view column2, int row2,
                     std::string_view value, int code) {
  if (worksheet_ == nullptr) {
    console().printf("Error:  in 'setFormatText,' worksheet is not open.\n");
    return -1;
  }
  Area area;
  if (!makeArea(column1, row1, column2, row2, area)) {
    console().printf("Error:  in Excel::setFormat().\n");
    return -1;
  }
  currentRange_ = area;
  hasRange_ = true;
  if (equalsIgnoringCase(value, "bold")) {
    restyle(area, [on = code != 0](CellStyle& style) { style.bold = on; });
    return 0;
  }
  if (equalsIgnoringCase(value, "italic")) {
    restyle(area, [on = code != 0](CellStyle& style) { style.italic = on; });
    return 0;
  }
  char first = value.empty() ? 0 : asciiLower(value[0]);
  char second = value.size() > 1 ? asciiLower(value[1]) : 0;
  switch (code >= 0 && code < 256 ? asciiLower(static_cast<char>(code)) : 0) {
    case 'u': {
      int32_t underline = first == '=' ? xl::UnderlineDouble
                          : first == '~' ? xl::UnderlineDoubleAccounting
                          : first == '_' ? xl::UnderlineSingleAccounting
                          : value.empty() ? xl::UnderlineNone
                                          : xl::UnderlineSingle;
      restyle(area, [underline](CellStyle& style) { style.underline = underline; });
      return 0;
    }
    case 'c': {
      int32_t colour = 0;
      if (!readColour(value, colour)) break;
      restyle(area, [colour](CellStyle& style) { style.colour = colour; });
      return 0;
    }
    case 't': {
      std::string name = toUtf8(value);
      restyle(area, [&name](CellStyle& style) { style.fontName = name; });
      return 0;
    }
    case 'n': {
      double size = 0;
      if (!readNumber(value, size) || size < xl::SmallestFontSize || size > xl::LargestFontSize) break;
      restyle(area, [size](CellStyle& style) { style.size = size; });
      return 0;
    }
    case 'h': {
      int32_t alignment = first == 'j' ? xl::Justify
                          : first == 'c' ? xl::Center
                          : first == 'r' ? xl::Right
                          : first == 'l' ? xl::Left
                                         : horizontalAlign;
      restyle(area, [alignment](CellStyle& style) { style.horizontal = alignment; });
      return 0;
    }
    case 'v': {
      int32_t alignment = first == 't'                   ? xl::Top
                          : first == 'v' && second == 'c' ? xl::VerticalCenter
                          : first == 'b'                   ? xl::Bottom
                          : first == 'v' && second == 'j' ? xl::VerticalJustify
                                                           : verticalAlign;
      restyle(area, [alignment](CellStyle& style) { style.vertical = alignment; });
      return 0;
    }
    default:
      return -1;
  }
  console().printf("Error:  in Excel::setFormat().\n");
  return -1;
}

int Excel::setUnderlineStyle(std::string_view text) {
  char first = text.empty() ? 0 : text[0];
  if (equalsIgnoringCase(text, "xlUnderlineStyleDouble") || first == '=') {
    underlineStyle = xl::UnderlineDouble;
  } else if (equalsIgnoringCase(text, "xlUnderlineStyleDoubleAccounting") || first == '~') {
    underlineStyle = xl::UnderlineDoubleAccounting;
  } else if (text.empty() || equalsIgnoringCase(text, "xlUnderlineStyleNone")) {
    underlineStyle = xl::UnderlineNone;
  } else if (equalsIgnoringCase(text, "xlUnderlineStyleSingle") || first == '-') {
    underlineStyle = xl::UnderlineSingle;
  } else if (equalsIgnoringCase(text, "xlUnderlineStyleSingleAccounting") || first == '_') {
    underlineStyle = xl::UnderlineSingleAccounting;
  } else {
    underlineStyle = xl::UnderlineNone;
  }
  return 0;
}

int Excel::setHorizontal(std::string_view text) {
  switch (text.empty() ? 0 : asciiLower(text[0])) {
    case 'j': horizontalAlign = xl::Justify; break;
    case 'c': horizontalAlign = xl::Center; break;
    case 'r': horizontalAlign = xl::Right; break;
    default: horizontalAlign = xl::Left; break;
  }
  return 0;
}

int Excel::setVertical(std::string_view text) {
  switch (text.empty() ? 0 : asciiLower(text[0])) {
    case 't': verticalAlign = xl::Top; break;
    case 'c':
    case 'v': verticalAlign = xl::VerticalCenter; break;
    case 'b': verticalAlign = xl::Bottom; break;
    default: verticalAlign = xl::VerticalJustify; break;
  }
  return 0;
}

int Excel::setFormatDecimal(std::string_view column1, int row1, std::string_view column2, int row2,
                            int places) {
  if (worksheet_ == nullptr) {
    console().printf("Error:  in 'setFormatDecimal,' worksheet is not open.\n");
    return -1;
  }
  Area area;
  if (!makeArea(column1, row1, column2, row2, area)) {
    console().printf("Error:  in Excel::setFormatDecimal().\n");
    return -1;
  }
  currentRange_ = area;
  hasRange_ = true;
  return formatDecimals(area, places);
}

int Excel::formatDecimals(const Area& area, int places) {
  if (places > MaxFormatDecimals) {
    console().printf("Error:  in Excel::setFormatDecimal().\n");
    return -1;
  }
  std::string pattern = "0";
  if (places != 0) pattern += '.';
  for (int i = 0; i < places; ++i) pattern += '0';
  restyle(area, [&pattern](CellStyle& style) { style.numberFormat = pattern; });
  return 0;
}

int Excel::setColWidth(std::string_view column, double width) {
  if (worksheet_ == nullptr) {
    console().printf("Error:  in \"Excel::setColWidth()\",\nworksheet is not open.\n");
    return -1;
  }
  int32_t number = columnOf(column);
  if (number == 0 || !(width >= 0 && width <= xl::LargestColumnWidth)) {
    console().printf("\nError:  in Excel setColWidth() function.\n");
    return -1;
  }
  currentRange_ = Area{1, number, 1, number};
  hasRange_ = true;
  worksheet_->columnWidths[number - 1] = width;
  workbook_->dirty = true;
  return 0;
}

int Excel::setFormula(std::string_view column1, int row1, std::string_view column2, int row2,
                      std::string_view formula) {
  if (worksheet_ == nullptr) {
    console().printf("Error:  in 'setFormula,' worksheet is not open.\n");
    return -1;
  }
  Area area;
  if (!makeArea(column1, row1, column2, row2, area) || formula.size() > MaxFormulaLength) {
    console().printf("Error:  in Excel::setFormula().\n");
    return -1;
  }
  currentRange_ = area;
  hasRange_ = true;
  if (formatArea(area, font) != 0) {
    console().printf("Error:  Cannot set cell format in Excel::setFormula().\n");
    return -1;
  }
  std::string text = toUtf8(formula);
  for (int32_t r = area.row1; r <= area.row2; ++r) {
    for (int32_t c = area.column1; c <= area.column2; ++c) {
      SheetCell& cell = worksheet_->at(r - 1, c - 1);
      // A text that is no formula is taken as a value, as the application takes it.
      cell.kind = text.empty() ? CellType::Empty : text[0] == '=' ? CellType::Formula : CellType::Text;
      cell.text = text;
    }
  }
  workbook_->dirty = true;
  return 0;
}

int Excel::WriteNumberArray(std::string_view column, int row, char direction, int count,
                            std::span<const float> values, bool isDate) {
  if (worksheet_ == nullptr) {
    console().printf("\nError:  in \"XL write\", worksheet is not open.\n");
    return -1;
  }
  std::string columnText(column);
  auto failure = [&] {
    console().printf("\nError:  in Excel::WriteNumberArray().\n");
    console().printf("In column %s, row %d,  attempting to set as %f.\n", columnText.c_str(), row,
                     values.empty() ? 0.0 : static_cast<double>(values[0]));
    return -1;
  };
  if (isDate) {
    if (values.empty()) return failure();
    return writeDates(column, row, direction, count, values[0]);
  }
  if (direction != 'd' && direction != 'u' && direction != 'r' && direction != 'l') {
    console().printf("Error:  invalid direction;\n");
    return -1;
  }
  if (count < 1 || values.size() < static_cast<std::size_t>(count)) return failure();
  std::string firstColumn = columnText, lastColumn = columnText;
  int firstRow = row, lastRow = row;
  switch (direction) {
    case 'd': lastRow = row + count - 1; break;
    case 'u': firstRow = row - count + 1; break;
    case 'r': lastColumn = ColOffset(column, count - 1); break;
    default: firstColumn = ColOffset(column, 1 - count); break;
  }
  if (firstColumn == "-1" || lastColumn == "-1") return -1;
  Area area;
  if (!makeArea(firstColumn, firstRow, lastColumn, lastRow, area)) return failure();

  // The values walk from the given cell in the direction; a missing one leaves its cell
  // empty and is marked.
  std::vector<std::pair<int32_t, int32_t>> missing;  // row, column
  std::string letters = columnText;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && direction == 'r') letters = colmath(letters);
    if (i > 0 && direction == 'l') letters = ColMinusOne(letters);
    if (letters == "-1") return -1;
    int32_t r = direction == 'd' ? row + i : direction == 'u' ? row - i : row;
    int32_t c = direction == 'r' || direction == 'l' ? columnOf(letters) : area.column1;
    if (c == 0 || !rowInSheet(r)) return failure();
    SheetCell& cell = worksheet_->at(r - 1, c - 1);
    float value = values[static_cast<std::size_t>(i)];
    cell.text.clear();
    if (isMissing(value)) {
      cell.kind = CellType::Empty;
      missing.emplace_back(r, c);
    } else {
      cell.kind = CellType::Number;
      cell.number = cellNumber(value);
    }
  }
  workbook_->dirty = true;
  if (formatArea(area, font) != 0) {
    console().printf("Error:  Cannot set cell format in Excel::WriteNumberArray().\n");
    return -1;
  }
  if (formatDecimals(area, decimals) != 0) return -1;
  for (const auto& [r, c] : missing) {
    Area one{r, c, r, c};
    restyle(one, [](CellStyle& style) { style.numberFormat = "@"; });
    SheetCell& cell = worksheet_->at(r - 1, c - 1);
    if (missingValue.isText) {
      cell.kind = missingValue.text.empty() ? CellType::Empty : CellType::Text;
      cell.text = toUtf8(missingValue.text);
    } else {
      cell.kind = CellType::Number;
      cell.number = missingValue.number;
    }
    if (formatArea(one, font) != 0) {
      console().printf("Error:  Cannot set cell format in Excel::WriteNumberArray().\n");
      return -1;
    }
  }
  ++numberRuns_;
  return 0;
}

int Excel::writeDates(std::string_view column, int row, char direction, int count, float firstNumber) {
  VexDate first(firstNumber);
  int step;
  switch (first.frequency) {
    case 1: step = 12; break;
    case 4: step = 3; break;
    case 6: step = 6; break;
    case 12: step = 1; break;
    default:
      console().printf("Error:  Cannot set date series in Excel::WriteNumberArray().\n");
      return -1;
  }
  std::string columnText(column);
  std::string firstColumn = columnText, lastColumn = columnText;
  int firstRow = row, lastRow = row;
  switch (direction) {
    case 'd': lastRow = row + count - 1; break;
    case 'u': firstRow = row - count + 1; break;
    case 'r': lastColumn = ColOffset(column, count - 1); break;
    case 'l': firstColumn = ColOffset(column, 1 - count); break;
    default:
      console().printf("Error:  invalid direction for printing dates.\n");
      return -1;
  }
  if (firstColumn == "-1" || lastColumn == "-1") return -1;
  auto failure = [&] {
    console().printf("\nError:  in Excel::WriteNumberArray().\n");
    console().printf("In column %s, row %d,  attempting to set as %f.\n", columnText.c_str(), row,
                     static_cast<double>(firstNumber));
    return -1;
  };
  Area area;
  if (count < 1 || !makeArea(firstColumn, firstRow, lastColumn, lastRow, area)) return failure();
  // The series starts on the first month of the date's period (a quarter's first month)
  // and steps a period at a time through the range.
  int month0 = first.frequency == 1 ? 0 : (first.period - 1) * step;
  long months = static_cast<long>(first.year) * 12 + month0;
  bool down = direction == 'd' || direction == 'u';
  for (int i = 0; i < count; ++i) {
    long m = months + static_cast<long>(i) * step;
    double day = dayNumber(static_cast<int>(m / 12), static_cast<int>(m % 12) + 1);
    if (day < 0) return failure();
    SheetCell& cell = down ? worksheet_->at(area.row1 - 1 + i, area.column1 - 1)
                      : worksheet_->at(area.row1 - 1, area.column1 - 1 + i);
    cell.kind = CellType::Date;
    cell.number = day;
    cell.text.clear();
  }
  std::string pattern = first.frequency == 1 ? "yyyy" : "mmm yyyy";
  restyle(area, [&pattern](CellStyle& style) { style.numberFormat = pattern; });
  if (formatArea(area, font) != 0) {
    console().printf("Error:  Cannot set cell format in Excel::WriteNumberArray().\n");
    return -1;
  }
  return 0;
}

// --- Charts ------------------------------------------------------------------------

int Excel::setChart(std::span<const XLSeries> series, int32_t chartType, std::string_view title,
                    std::string_view categoryTitle, std::string_view valueTitle, std::string_view extraTitle,
                    std::string_view plotBy) {
  if (worksheet_ == nullptr) {
    console().printf("Error:  in 'setChart,' worksheet is not open.\n");
    return -1;
  }
  auto failure = [] {
    console().printf("Error:  in Excel::setChart().\n");
    return -1;
  };
  const ChartTypeName* type = chartTypeOf(chartType);
  if (type == nullptr) return failure();
  // The source as one table: the ranges' rows one under the other, over the columns
  // they span.
  std::vector<int32_t> rows;  // from 1
  int32_t firstColumn = xl::ColumnCount, lastColumn = 1;
  int ranges = 0;
  for (std::size_t i = 0; i < series.size() && i < static_cast<std::size_t>(MaxChartSeries); ++i) {
    const XLSeries& part = series[i];
    if (part.startRow < 1) break;
    Area area;
    if (!makeArea(part.startColumn, part.startRow, part.endColumn, part.endRow, area)) return failure();
    for (int32_t r = area.row1; r <= area.row2; ++r) {
      if (rows.size() >= static_cast<std::size_t>(xl::RowCount)) return failure();
      rows.push_back(r);
    }
    firstColumn = std::min(firstColumn, area.column1);
    lastColumn = std::max(lastColumn, area.column2);
    ++ranges;
  }
  // The first row gives the category labels, the first column the series names; fewer
  // than two ranges make no source.
  Chart chart;
  const bool byRows = !plotBy.empty() && plotBy[0] == 'r';
  if (ranges >= 2 && lastColumn > firstColumn) {
    if (byRows) {
      if (rows.size() - 1 > MaxSeriesPerChart) return failure();
      for (std::size_t k = 1; k < rows.size(); ++k) {
        ChartSeries part;
        part.hasName = true;
        part.nameRow = rows[k] - 1;
        part.nameColumn = firstColumn - 1;
        part.values = CellRange{rows[k] - 1, firstColumn, rows[k] - 1, lastColumn - 1};
        part.hasCategories = true;
        part.categories = CellRange{rows[0] - 1, firstColumn, rows[0] - 1, lastColumn - 1};
        chart.series.push_back(part);
      }
    } else {
      // A series runs down a column, so the rows must follow one another.
      for (std::size_t k = 1; k < rows.size(); ++k)
        if (rows[k] != rows[k - 1] + 1) return failure();
      if (static_cast<std::size_t>(lastColumn - firstColumn) > MaxSeriesPerChart) return failure();
      for (int32_t c = firstColumn + 1; c <= lastColumn; ++c) {
        if (rows.size() < 2) break;
        ChartSeries part;
        part.hasName = true;
        part.nameRow = rows[0] - 1;
        part.nameColumn = c - 1;
        part.values = CellRange{rows[1] - 1, c - 1, rows.back() - 1, c - 1};
        part.hasCategories = true;
        part.categories = CellRange{rows[1] - 1, firstColumn - 1, rows.back() - 1, firstColumn - 1};
        chart.series.push_back(part);
      }
    }
  }
  if (chart.series.empty()) {
    console().printf("Error:  in 'setChart,' there are no values to chart.\n");
    return -1;
  }
  if (!type->exact) console().printf("Chart type %s is drawn as %s.\n", type->name, drawingName(type->drawing));
  chart.gallery = chartType;
  chart.drawing = type->drawing;
  chart.source = worksheet_;
  chart.title = toUtf8(title);
  chart.categoryTitle = toUtf8(categoryTitle);
  chart.valueTitle = toUtf8(valueTitle);
  chart.extraTitle = toUtf8(extraTitle);
  chart.legend = true;
  std::string name;
  do {
    name = "Chart" + std::to_string(++chartsMade_);
  } while (workbook_->findSheet(name) != nullptr);
  Sheet& sheet = workbook_->addSheet(name, SheetKind::Chart, workbook_->behindCharts(worksheet_));
  sheet.chart = std::make_unique<Chart>(std::move(chart));
  // The worksheet is activated again; the chart sheet stays in the workbook.
  workbook_->activeSheet = worksheet_;
  return 0;
}

// --- Panes -------------------------------------------------------------------------

int Excel::Freeze(std::string_view cell, std::string_view scrollRowBefore, std::string_view scrollColumnBefore,
                  std::string_view scrollColumnAfter, std::string_view scrollRowAfter) {
  if (worksheet_ == nullptr) {
    console().printf("Error:  in 'setFreeze,' worksheet is not open.\n");
    return -1;
  }
  auto failure = [] {
    console().printf("Error:  in Excel::Freeze().\n");
    return -1;
  };
  SheetWindow& window = worksheet_->window;
  workbook_->dirty = true;
  auto scrollRow = [&](std::string_view text) {
    if (text.empty()) return true;
    long value = 0;
    if (!readInteger(text, value) || !rowInSheet(value)) return false;
    scrollRowTo(window, static_cast<int32_t>(value));
    return true;
  };
  auto scrollColumn = [&](std::string_view letters) {
    if (letters.empty()) return true;
    int value = ColNumber(letters);
    if (value < 1) return false;
    scrollColumnTo(window, value);
    return true;
  };
  auto selectArea = [&](const Area& area) {
    currentRange_ = area;
    hasRange_ = true;
    selectRange(window, area.row1, area.column1, area.row2, area.column2);
  };
  auto after = [&] { return scrollColumn(scrollColumnAfter) && scrollRow(scrollRowAfter); };

  if (cell == "off") {
    unfreeze(window);
    return 0;
  }
  auto rowMark = [](char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; };
  if (!cell.empty() && rowMark(cell.front())) {
    long row = 0;
    if (!readInteger(cell, row) || !rowInSheet(row)) return failure();
    unfreeze(window);
    if (!scrollRow(scrollRowBefore)) return failure();
    auto r = static_cast<int32_t>(row);
    selectArea(Area{r, 1, r, 26});
    freeze(window);
    selectArea(Area{r, 1, r, 1});
    return after() ? 0 : failure();
  }
  if (!cell.empty() && rowMark(cell.back())) {
    std::size_t digit = 0;
    while (digit < cell.size() && !(cell[digit] >= '0' && cell[digit] <= '9')) ++digit;
    long row = 0;
    Area area;
    if (!readInteger(cell.substr(digit), row) || !rowInSheet(row) ||
        !makeArea(cell.substr(0, digit), static_cast<int>(row), cell.substr(0, digit), static_cast<int>(row), area))
      return failure();
    unfreeze(window);
    if (!scrollColumn(scrollColumnBefore) || !scrollRow(scrollRowBefore)) return failure();
    selectArea(area);
    freeze(window);
    selectArea(area);
    return after() ? 0 : failure();
  }
  Area area;
  if (!makeArea(cell, 1, cell, FreezeColumnRows, area)) return failure();
  unfreeze(window);
  if (!scrollColumn(scrollColumnBefore)) return failure();
  selectArea(area);
  freeze(window);
  selectArea(Area{1, area.column1, 1, area.column1});
  return after() ? 0 : failure();
}

}  // namespace tabrix
