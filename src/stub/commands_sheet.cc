// The worksheet commands: \wk1 and \xls open (or close) the worksheet target, \filetype
// names the save format of the next workbook, \wstitle names worksheets, \wsfreeze
// freezes panes of the current worksheet and \xlgraph makes charts of table lines.
#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "dates/vex_date.h"
#include "platform/console.h"
#include "platform/files.h"
#include "reader/chopper.h"
#include "sheet/chart_types.h"
#include "sheet/wk1_writer.h"
#include "sheet/workbook_writer.h"
#include "sheet/workbook.h"
#include "stub/commands.h"
#include "stub/run_state.h"
#include "table/date_list.h"
#include "table/outputs.h"
#include "table/page.h"
#include "table/worksheet_sink.h"
#include "table/table_line.h"

namespace tabrix {

namespace {

// Capacity of the output file's name.
constexpr std::size_t kOutputNameCapacity = 118;

// The name cut at the first '.' of its file name (dots of directories stay).
std::string withoutExtension(const std::string& name) {
  std::size_t slash = name.find_last_of("/\\");
  std::size_t dot = name.find('.', slash == std::string::npos ? 0 : slash + 1);
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The text cut to `count` characters: UTF-8 characters when it is UTF-8, else bytes.
std::string cutText(const std::string& text, std::size_t count) {
  if (toUtf8(text) == text) return utf8Prefix(text, count);
  return text.substr(0, count);
}

int16_t worksheetCommand(StubContext& context, bool xls) {
  RunState& run = context.run;
  TableLine& table = context.table;
  Chopper& reader = context.reader;
  // \xls chooses a workbook; \wk1 keeps the kind an earlier \xls chose.
  if (xls) run.xlsTarget = true;
  std::string name;
  // Another kind of argument leaves the target as it is.
  bool on = table.sheet != nullptr;
  int type = reader.nextToken();
  if (endsArguments(type)) {
    on = true;
  } else if (type == token::kWord) {
    const std::string& word = reader.tokenText();
    if (word == "no" || word == "n") {
      on = false;
    } else {
      on = true;
      name = word;
    }
  }
  if (table.gdataMode) {
    if (run.xlsTarget) {
      console().write("\\gdata and \\xls options inconsistent.\n");
      console().write("Turning off \\xls option. \n");
    } else {
      console().write("\\gdata and \\wk1 options inconsistent.\n");
      console().write("Turning off \\wk1 option. \n");
    }
    on = false;
    run.xlsTarget = false;
  }
  const bool hadWriter = table.sheet != nullptr;
  closeWorksheet(table);
  // No worksheet target (also when none was open): the table file stays as it is.
  if (!on) {
    run.xlsTarget = false;
    return 0;
  }
  if (!hadWriter) {
    table.out.abandon();
    (void)deleteFile(toPath(run.outputName));
    if (!run.xlsTarget) run.outputName = withoutExtension(run.outputName);
  }
  if (!name.empty()) run.outputName = name.substr(0, kOutputNameCapacity);

  if (run.xlsTarget) {
    table.sheet = std::make_unique<WorkbookWriter>(run.outputName, table.fileType, worksheetTitles(table));
  } else {
    table.sheet = std::make_unique<Wk1Writer>(run.outputName, table.fileType);
  }
  if (!table.sheet->isOpen()) {
    table.sheet.reset();
    table.outputFailed = true;
    return -1;
  }
  if (!run.xlsTarget) table.noFormat = true;
  useTableTarget(table, TableTarget::Worksheet);
  restartPages(table);
  (void)table.sheet->setColumnWidth(0, table.titleWidth);
  if (WorkbookWriter* book = table.sheet->workbook()) {
    book->setMissingText(table.missingText);
    console().printf("Writing Excel XLS spreadsheet to %s.\r\n", run.outputName.c_str());
  } else {
    console().printf("Writing Lotus WK1 spreadsheet to %s.wk1.\r\n", run.outputName.c_str());
  }
  return 0;
}

bool isLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Reads a token; a number followed at once by a word is read as one word, so the chart
// types that begin with a digit (3DColumn: the number 3 and the word DColumn) need no
// quotes. Returns the token's type; `text` gets its text.
int joinedToken(Chopper& reader, std::string& text) {
  int type = reader.nextToken(text);
  if (type != token::kNumber) return type;
  int next = reader.nextChar();
  reader.pushBackCurrent();
  if (!isLetter(next)) return type;
  std::string word;
  if (reader.nextToken(word) != token::kWord) return type;
  text += word;
  return token::kWord;
}

void saveDates(RunState& run, const TableLine& table) {
  const std::size_t kept = std::min<std::size_t>(table.dateSpecs.size(), MaxDateSpecs);
  run.chartSavedDateSpecs.assign(table.dateSpecs.begin(), table.dateSpecs.begin() + static_cast<std::ptrdiff_t>(kept));
  run.chartSavedDatesSet = table.datesSet;
  run.chartSavedDatesHaveGrowth = table.datesHaveGrowth;
}

void restoreDates(RunState& run, TableLine& table) {
  table.dateSpecs = std::move(run.chartSavedDateSpecs);
  table.datesSet = run.chartSavedDatesSet;
  table.datesHaveGrowth = run.chartSavedDatesHaveGrowth;
  run.chartSavedDateSpecs.clear();
}

// The workbook writer, or nullptr while no workbook is the target.
WorkbookWriter* workbookWriter(TableLine& table) {
  return table.sheet != nullptr ? table.sheet->workbook() : nullptr;
}

// The closing \xlgraph: the chart of the collected rows (in the workbook, and for the
// PDF and SVG renderers), then the table's dates back.
void closeChartBlock(RunState& run, TableLine& table, WorkbookWriter* workbook) {
  run.chartBlockOpen = false;
  endChartCollection(table, true);
  if (workbook == nullptr) {
    restoreDates(run, table);
    return;
  }
  WorkbookWriter& sheet = *workbook;
  ChartRequest request;
  request.altCount = table.altCount;
  request.nameFont = table.fonts[NameFont].font;
  request.dateCount = table.dateCount();
  request.title = table.chartTitle;
  request.subtitle = table.chartSubtitle;
  request.axisTitle = table.chartAxisTitle;
  // A chart that cannot be made is reported; the run goes on with its cells written.
  (void)sheet.makeChart(request);
  sheet.setRecording(false);
  restoreDates(run, table);
}

// A title keyword inside a chart block and its text.
int16_t chartTitleCommand(Chopper& reader, TableLine& table) {
  const std::string keyword = reader.tokenText();
  std::string text;
  if (reader.nextToken(text) != token::kWord) {
    console().printf("\nError:  Illegal specification for \\xlgraph %s.\n", keyword.c_str());
    return -1;
  }
  auto startsWith = [&](std::string_view prefix) { return keyword.compare(0, prefix.size(), prefix) == 0; };
  if (startsWith("ti")) {
    assignCut(table.chartTitle, text, LineTextCapacity);
  } else if (startsWith("subti")) {
    assignCut(table.chartSubtitle, text, LineTextCapacity);
  } else if (startsWith("vaxti")) {
    assignCut(table.chartAxisTitle, text, LineTextCapacity);
  }
  return 0;
}

}  // namespace

int16_t wk1Command(StubContext& context) { return worksheetCommand(context, false); }

int16_t xlsCommand(StubContext& context) { return worksheetCommand(context, true); }

int16_t fileTypeCommand(StubContext& context) {
  Chopper& reader = context.reader;
  if (reader.nextToken() != token::kWord) {
    console().printf("\nError:  Illegal specification for \\filetype.\n");
    return -1;
  }
  context.table.fileType = reader.tokenText();
  return 0;
}

int16_t wsTitleCommand(StubContext& context) {
  TableLine& table = context.table;
  std::string text = readRestOfLine(context);
  std::size_t first = text.find_first_not_of(' ');
  text = first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
  std::string title = cutText(text, WorksheetTitleCapacity);
  if (title.size() < text.size()) {
    console().printf("Warning:  Abbreviating worksheet title to \"%s\".\n", title.c_str());
  }
  table.worksheetTitle = title;
  // The current worksheet takes the title at once (the writer reports a refusal).
  WorkbookWriter* book = workbookWriter(table);
  if (!title.empty() && context.run.xlsTarget && book != nullptr) (void)book->nameSheet(title);
  return 0;
}

int16_t wsFreezeCommand(StubContext& context) {
  if (!context.run.xlsTarget) return 0;
  Chopper& reader = context.reader;
  // Up to three numbers or words; the first token of another kind ends them (and is
  // passed on, so that the writer's checks see it).
  std::array<std::string, 3> texts;
  std::array<int, 3> types = {0, 0, 0};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    types[i] = reader.nextToken();
    if (types[i] != token::kNumber && types[i] != token::kWord) {
      if (!endsArguments(types[i])) texts[i] = reader.tokenText();
      break;
    }
    texts[i] = reader.tokenText();
  }
  TableLine& table = context.table;
  WorkbookWriter* book = workbookWriter(table);
  if (endsArguments(types[0]) || book == nullptr ||
      book->freezePanes(texts[0], types[0], texts[1], types[1], texts[2], types[2]) != 0) {
    console().printf("\nError:  Trouble freezing worksheet pane.\n");
  }
  return 0;
}

int16_t xlGraphCommand(StubContext& context) {
  RunState& run = context.run;
  TableLine& table = context.table;
  Chopper& reader = context.reader;
  WorkbookWriter* sheet = run.xlsTarget ? workbookWriter(table) : nullptr;
  // Without a workbook the block still makes the PDF and SVG charts.
  if (sheet == nullptr && !chartRenderersAttached(table)) {
    console().printf("\nError:  Excel spreadsheet is not open.  Cannot create graph.\n");
    return -1;
  }
  const int type = reader.nextToken();
  if (run.chartBlockOpen) {
    if (endsArguments(type)) {
      closeChartBlock(run, table, sheet);
      return 0;
    }
    if (type != token::kWord) {
      console().printf("\nError:  Illegal specification for \\xlgraph.\n");
      return -1;
    }
    return chartTitleCommand(reader, table);
  }

  // Opening a block: one or two dates and the chart type.
  if (type != token::kNumber) {
    console().printf("\nError:  After first \\xlgraph command, a valid date must follow.\n");
    return -1;
  }
  const VexDate first(static_cast<float>(reader.tokenNumber()));
  VexDate last = first;
  std::string word;
  int wordType = joinedToken(reader, word);
  if (wordType == token::kNumber) {
    last = VexDate(static_cast<float>(reader.tokenNumber()));
    wordType = joinedToken(reader, word);
  }
  if (before(last, first) != 0) {
    console().printf("\nError:  Invalide date for xl graph.\n");
    return -1;
  }
  saveDates(run, table);
  // Each chart has the titles given in its own block.
  table.chartTitle.clear();
  table.chartSubtitle.clear();
  table.chartAxisTitle.clear();
  if (sheet != nullptr) sheet->setRecording(true);
  const ChartTypeName* chartType = wordType == token::kWord ? findChartType(word) : nullptr;
  startChartCollection(table, chartType != nullptr ? chartType->constant : 0);
  // The block's columns: every period from the first date to the last.
  const std::string dates = format(first, 4) + ":" + format(last, 4) + " ";
  (void)parseDateList(table, dates);
  // A block that does not open leaves the table's dates and collects nothing.
  auto abandon = [&] {
    if (sheet != nullptr) sheet->setRecording(false);
    endChartCollection(table, false);
    restoreDates(run, table);
    return int16_t{-1};
  };
  if (writeDateHeader(table) != 0) return abandon();
  if (chartType == nullptr || (sheet != nullptr && sheet->setChartType(word) != 0)) {
    console().printf("\nError:  Invalide type for xl graph.\n");
    return abandon();
  }
  run.chartBlockOpen = true;
  return 0;
}

}  // namespace tabrix
