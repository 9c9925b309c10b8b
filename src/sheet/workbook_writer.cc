#include "sheet/workbook_writer.h"

#include <algorithm>
#include <cstdio>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/run_files.h"
#include "sheet/chart_types.h"
#include "sheet/wk1_records.h"
#include "sheet/workbook.h"
#include "support/constants.h"

namespace tabrix {

namespace {

// Decimals a workbook run can carry.
constexpr int MaxRunDecimals = 9;

// The column letters of a column counted from 0 ("A" for 0), as the spreadsheet
// operations address it.
std::string letters(int column) { return Excel::ColName(std::max(column, 0) + 1); }

bool isNone(int type) { return type == 0 || type == 'f' || type == 'e'; }

// A cell text split into its column letters and the row digits from the first digit on.
void splitCell(std::string_view cell, std::string& letters, std::string& digits) {
  std::size_t first = 0;
  while (first < cell.size() && !(cell[first] >= '0' && cell[first] <= '9')) ++first;
  letters.assign(cell.substr(0, first));
  digits.assign(cell.substr(first));
}

// A row number written as decimal digits, or -1.
long rowNumber(std::string_view text) {
  if (text.empty() || text.size() > 9) return -1;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

// --- Construction and closing --------------------------------------------------------

WorkbookWriter::WorkbookWriter(std::string& name, std::string_view fileType, const SheetTitles& titles) {
  // The name keeps its letter case (file names are case-sensitive here); only the
  // extension is read ignoring case, as a format name.
  std::string working = name;
  std::size_t dot = fileNameDot(working);
  if (dot != std::string::npos) {
    saveFormat_ = working.substr(dot + 1);
    working.resize(dot);
  } else {
    saveFormat_ = "xls";
  }
  if (!fileType.empty()) {
    saveFormat_.assign(fileType);
    std::size_t cut = fileNameDot(working);
    if (cut != std::string::npos) working.resize(cut);
  }
  open(working, titles);
  if (writing_) name = fileName_;
  opened_ = writing_;
}

void WorkbookWriter::open(std::string& working, const SheetTitles& titles) {
  clearRun();
  pendingDecimals_ = -99;
  fileName_ = Excel::workbookFileName(working, saveFormat_);
  std::string target = toPath(fileName_);
  if (!outputAllowed(fileName_)) {
    console().printf("Unable to open %s for writing.\n", working.c_str());
    return;
  }
  if (fileExists(target) && deleteFile(target) != 0) {
    console().printf("\nError:  cannot delete %s.\n", fileName_.c_str());
    console().printf("If the file is open, please close it.\n");
    return;
  }
  if (excel_.CreateNew(working, "wb", saveFormat_) != 0 || excel_.SetVisible(1) != 0) {
    console().printf("Unable to open %s for writing.\n", working.c_str());
    return;
  }
  savePath_ = excel_.fullName();
  std::string first = sheetNameFrom(titles);
  if (first.empty()) first = "Page-1";
  if (excel_.SetSheetName(first) != 0) {
    console().printf("\nError:  cannot name worksheet %d.\n", 1);
    return;
  }
  excel_.setUnderlineStyle("xlUnderlineStyleNone");
  writing_ = true;
}

WorkbookWriter::~WorkbookWriter() { (void)close(); }

int WorkbookWriter::close() {
  if (closed_) return closeResult_;
  closed_ = true;
  if (rowSet_ && excel_.workbook() != nullptr && firstColumn_ < NoRunColumn) {
    (void)writeRun("\nError:  cannot write data to Excel file.\n");
  }
  // A workbook that was never saved under its name (its making failed) is not saved
  // under a default name either.
  if (excel_.workbook() != nullptr && !savePath_.empty() && excel_.SaveWorksheet(savePath_, saveFormat_, 2) != 0)
    failed_ = true;
  if (excel_.applicationRunning() && excel_.CloseExcel() != 0) failed_ = true;
  setRecording(false);
  writing_ = false;
  closeResult_ = failed_ ? -1 : 0;
  return closeResult_;
}

int WorkbookWriter::failWrite(const char* message) {
  console().printf("%s", message);
  failed_ = true;
  return -1;
}

// --- Cells -------------------------------------------------------------------------

void WorkbookWriter::clearRun() {
  runBuffer_.fill(0.0f);
  rowSet_ = false;
  pendingRow_ = firstColumn_ = lastColumn_ = 0;
}

int WorkbookWriter::writeRun(const char* failureMessage) {
  int places = pendingDecimals_;
  if (places < 0 || places > MaxRunDecimals) {
    // Decimals the writer cannot give are reported once; the run is written with the
    // nearest it can, so no number is lost.
    if (!decimalsWarned_) console().printf("\nError:  cannot format values in Excel file.\n");
    decimalsWarned_ = true;
    places = std::clamp(places, 0, MaxRunDecimals);
  }
  excel_.decimals = places;
  excel_.font = pendingFont_;
  std::span<const float> values(runBuffer_.data() + firstColumn_,
                                static_cast<std::size_t>(lastColumn_ - firstColumn_ + 1));
  int result = excel_.WriteNumberArray(letters(firstColumn_), pendingRow_ + 1, 'r',
                                       lastColumn_ - firstColumn_ + 1, values, false);
  excel_.font = currentFont_;
  if (result != 0) return failWrite(failureMessage);
  return 0;
}

int WorkbookWriter::writeNumber(int row, int column, float value, int decimals) {
  if (!writing_) return -1;
  if (pendingDecimals_ < 0) pendingDecimals_ = decimals;
  int r = std::max(row, 0);
  int c = std::max(column, 0);
  if (c >= RunColumns) {
    (void)letters(c);  // reports the column beyond "IV"
    failed_ = true;
    return -1;
  }
  if (runPending()) {
    bool extends = r == pendingRow_ && c == lastColumn_ + 1 && decimals == pendingDecimals_;
    if (!extends) {
      if (writeRun("\nError:  cannot write text to Excel file.\n") != 0) return -1;
      runBuffer_.fill(0.0f);
      pendingRow_ = r;
      firstColumn_ = lastColumn_ = c;
      pendingDecimals_ = decimals;
    }
  }
  if (!rowSet_) firstColumn_ = lastColumn_ = c;
  // A run that starts here takes this number's decimals (also after a date row, whose
  // row holds no run).
  if (!runPending()) pendingDecimals_ = decimals;
  // The font is the new number's; a run written out above kept its own.
  pendingFont_ = currentFont_;
  rowSet_ = true;
  pendingRow_ = r;
  firstColumn_ = std::min(firstColumn_, c);
  lastColumn_ = std::max(firstColumn_, c);
  runBuffer_[static_cast<std::size_t>(c)] = value;
  if (recording_ && (chartRows_.empty() || chartRows_.back() != r)) chartRows_.push_back(r);
  return 0;
}

int WorkbookWriter::writeMissing(int row, int column, int decimals, std::string_view) {
  return writeNumber(row, column, MissingValue, decimals);
}

int WorkbookWriter::writeText(int row, int column, std::string_view text, char) {
  if (!writing_) return -1;
  if (excel_.WriteString(letters(column), std::max(row, 0) + 1, text) != 0)
    return failWrite("\nError:  cannot write text to Excel file.\n");
  return 0;
}

int WorkbookWriter::setColumnWidth(int column, int width) {
  if (!writing_) return -1;
  // A width beyond what a column holds becomes the widest it holds.
  width = std::clamp(width, 0, wk1::MaxWidth);
  if (excel_.setColWidth(letters(column), width) != 0) {
    failed_ = true;
    return -1;
  }
  return 0;
}

int WorkbookWriter::setSpacerWidth(int column, int width) { return setColumnWidth(column, width); }

void WorkbookWriter::setFont(const VexFont& font) {
  currentFont_ = font;
  excel_.font = font;
}

int WorkbookWriter::writeFormula(int row1, int column1, int row2, int column2, std::string_view formula) {
  if (!writing_) return -1;
  if (excel_.setFormula(letters(column1), std::max(row1, 0) + 1, letters(column2), std::max(row2, 0) + 1,
                        formula) != 0)
    return failWrite("\nError:  cannot write formula to Excel file.\n");
  return 0;
}

void WorkbookWriter::setMissingText(std::string_view text) {
  excel_.missingValue.isText = true;
  excel_.missingValue.text.assign(text);
}

int WorkbookWriter::nameSheet(std::string_view name) {
  if (excel_.SetSheetName(name) != 0) {
    console().printf("\nError:  Trouble setting worksheet name.\n");
    return -1;
  }
  return 0;
}

int WorkbookWriter::newSheet(const SheetTitles& titles) {
  if (!writing_) return -1;
  if (rowSet_ && firstColumn_ < NoRunColumn) {
    if (writeRun("\nError:  cannot write text to Excel file.\n") != 0) return -1;
  }
  clearRun();
  pendingDecimals_ = -99;
  setRecording(false);
  std::string name = sheetNameFrom(titles);
  if (name.empty()) name = "Page";
  if (excel_.CreateNew(name, "ws", "") != 0) {
    console().printf("\nError:  cannot name worksheet.\n");
    failed_ = true;
    writing_ = false;
    return -1;
  }
  return 0;
}

int WorkbookWriter::writeDateRow(int row, int column, const VexDate& firstDate, int count, const VexFont& dataFont,
                                 const VexFont& dateFont) {
  if (!writing_) return -1;
  float date = 0;
  switch (firstDate.frequency) {
    case 1: date = static_cast<float>(firstDate.year); break;
    case 4: date = static_cast<float>(firstDate.year) + 0.1f * static_cast<float>(firstDate.period); break;
    case 12: date = static_cast<float>(firstDate.year) + 0.001f * static_cast<float>(firstDate.period); break;
    default: break;
  }
  excel_.font = dataFont;
  int r = std::max(row, 0);
  if (rowSet_ && pendingRow_ != r && firstColumn_ < NoRunColumn) {
    if (writeRun("\nError:  cannot write text to Excel file.\n") != 0) return -1;
    runBuffer_.fill(0.0f);
    pendingRow_ = r;
    firstColumn_ = lastColumn_ = NoRunColumn;
  }
  excel_.font = dateFont;
  int result = excel_.WriteNumberArray(letters(column), r + 1, 'r', count, std::span<const float>(&date, 1), true);
  excel_.font = currentFont_;
  if (result != 0) return failWrite("\nError:  cannot write text to Excel file.\n");
  if (recording_) chartRows_.push_back(r);
  return 0;
}

int WorkbookWriter::finishSheet(int, int, int, int) { return writing_ ? 0 : -1; }

void WorkbookWriter::setRecording(bool on) {
  recording_ = on;
  if (!on) chartRows_.clear();
}

// --- Charts ------------------------------------------------------------------------

int WorkbookWriter::setChartType(std::string_view name) {
  const ChartTypeName* type = findChartType(name);
  if (type == nullptr) return -1;
  chartType_ = type->constant;
  return 0;
}

int WorkbookWriter::makeChart(const ChartRequest& request) {
  if (!writing_) {
    console().printf("\nError:  in \"xlgraph\" command.\n");
    return -1;
  }
  const VexFont kept = pendingFont_;
  auto finish = [&](int result) {
    excel_.font = kept;
    return result;
  };
  auto fail = [&] {
    console().printf("Syntax is\n");
    console().printf("\txlgraph <date1><date2><graph style>\n");
    console().printf("\t...\n");
    console().printf("\txlgraph\n");
    return finish(-1);
  };
  const std::size_t count = chartRows_.size();
  if (count > static_cast<std::size_t>(MaxChartSeries)) {
    console().printf("\nError:  in \"xlgraph\"\n");
    console().printf("too many series have been specified.  The limit is %d series.\n", MaxChartSeries);
    return fail();
  }
  if (count < 2) {
    // Nothing to draw: no table row was written in the block, or a new page ended the
    // collection.
    console().printf("\nError:  in \"xlgraph\"\n");
    console().printf("no table rows were collected; a chart block must hold table lines on one page.\n");
    return fail();
  }
  std::array<XLSeries, MaxChartSeries> series{};
  for (std::size_t i = 0; i < count; ++i) {
    series[i].startColumn = "A";
    series[i].startRow = chartRows_[i] + 1;
  }
  // The rows of the alternatives after the first carry no title: label them by the
  // table line's number and a letter.
  excel_.font = request.nameFont;
  const auto alternatives = static_cast<std::size_t>(std::max(request.altCount, 1));
  for (std::size_t i = 1; alternatives > 1 && i < count; ++i) {
    const std::size_t position = (i - 1) % alternatives;
    if (position == 0) continue;
    char label[48];
    std::snprintf(label, sizeof label, "Alternative %d%c", static_cast<int>((i - 1) / alternatives + 1),
                  static_cast<char>('a' + position - 1));
    if (excel_.WriteString("A", series[i].startRow, label) != 0) {
      console().printf("\nError:  in \"xlgraph\" command.\n");
      return finish(-1);
    }
  }
  if (request.dateCount <= 0) {
    console().printf("\nError:  in \"xlgraph, valid dates must be specified.\n");
    return fail();
  }
  const std::string lastColumn = Excel::ColOffset("A", request.dateCount);
  if (lastColumn == "-1") return fail();
  for (std::size_t i = 0; i < count; ++i) {
    series[i].endColumn = lastColumn;
    series[i].endRow = series[i].startRow;
  }
  std::string title = request.title;
  if (!request.subtitle.empty()) title += "\n" + request.subtitle;
  if (excel_.setChart(series, chartType_, title, "", request.axisTitle, request.subtitle, "r") != 0) return fail();
  return finish(0);
}

// --- Frozen panes ----------------------------------------------------------------

int WorkbookWriter::freezePanes(std::string_view token1, int type1, std::string_view token2, int type2,
                         std::string_view token3, int type3) {
  auto syntax = [] {
    console().printf("Syntax is\n");
    console().printf("\txl freeze <[r | c | rc | off]> [[r | c | rc] [rc]]>\n");
    return -1;
  };
  auto applicationFailure = [&] {
    console().printf("\nError:  in Excel \"freeze\" command.\n");
    return syntax();
  };
  const long rows = excel_.rowCount();
  const long columns = excel_.columnCount();
  auto endsLikeRow = [](std::string_view text) {
    char c = text.empty() ? 0 : text.back();
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
  };
  // The optional cell scrolled to after freezing (a word), split into letters and digits.
  std::string afterColumn, afterRow;
  auto readAfter = [&](std::string_view text, int type) {
    if (isNone(type)) return true;
    if (type != 'a') return false;
    splitCell(text, afterColumn, afterRow);
    return true;
  };

  if (type1 == 'a' && token1 == "off") {
    return excel_.Freeze("off", "", "", "", "") == 0 ? 0 : syntax();
  }
  if (rows < 0 || columns < 0) {
    if (type1 == 'n' || type1 == 'a') return applicationFailure();
    return syntax();
  }
  auto afterChecks = [&](long leastRow, long leastColumn) {
    if (!afterRow.empty()) {
      long row = rowNumber(afterRow);
      if (row < leastRow || row > rows) return false;
    }
    if (!afterColumn.empty()) {
      long column = Excel::ColNumber(afterColumn);
      if (column < leastColumn || column < 1 || column > columns) return false;
    }
    return true;
  };

  if (type1 == 'n') {
    // Rows: freeze the rows above row n.
    long n = rowNumber(token1);
    if (n < 0) return applicationFailure();
    std::string before;
    if (type2 == 'n') {
      long first = rowNumber(token2);
      if (first < 0) return applicationFailure();
      if (!(first > 0 && first < n)) return syntax();
      before.assign(token2);
      if (!readAfter(token3, type3)) return syntax();
    } else if (!isNone(type2)) {
      return syntax();
    }
    if (!(n > 0 && n <= rows) || !afterChecks(n, 1)) return syntax();
    return excel_.Freeze(token1, before, "", afterColumn, afterRow) == 0 ? 0 : syntax();
  }
  if (type1 == 'a' && endsLikeRow(token1)) {
    // A cell: freeze the rows above and the columns left of it.
    std::string letters, digits;
    splitCell(token1, letters, digits);
    long row = rowNumber(digits);
    long column = Excel::ColNumber(letters);
    if (!(row > 0 && row <= rows && column > 0 && column <= columns)) return syntax();
    std::string beforeColumn, beforeRow;
    if (type2 == 'a') {
      splitCell(token2, beforeColumn, beforeRow);
      if (!beforeRow.empty()) {
        long value = rowNumber(beforeRow);
        if (!(value > 0 && value < row)) return syntax();
      }
      if (!beforeColumn.empty()) {
        long value = Excel::ColNumber(beforeColumn);
        if (!(value > 0 && value < column)) return syntax();
      }
      if (!readAfter(token3, type3)) return syntax();
    } else if (!isNone(type2)) {
      return syntax();
    }
    if (!afterChecks(row, column)) return syntax();
    return excel_.Freeze(token1, beforeRow, beforeColumn, afterColumn, afterRow) == 0 ? 0 : syntax();
  }
  if (type1 == 'a') {
    // Column letters: freeze the columns left of that column.
    long column = Excel::ColNumber(token1);
    if (!(column > 0 && column <= columns)) return syntax();
    std::string before;
    if (type2 == 'a') {
      long first = Excel::ColNumber(token2);
      if (!(first > 0 && first < column)) return syntax();
      before.assign(token2);
      if (!readAfter(token3, type3)) return syntax();
    } else if (!isNone(type2)) {
      return syntax();
    }
    if (!afterChecks(1, column)) return syntax();
    return excel_.Freeze(token1, "", before, afterColumn, afterRow) == 0 ? 0 : syntax();
  }
  return syntax();
}

}  // namespace tabrix
