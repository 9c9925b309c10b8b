#include "stub/table_lines.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "banks/data_bank.h"
#include "banks/workspace_bank.h"
#include "stub/run_state.h"
#include "expr/evaluator.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "stub/interpreter.h"
#include "support/constants.h"
#include "table/cell_value.h"
#include "table/date_list.h"
#include "table/page.h"
#include "table/printer_controls.h"
#include "table/sort_table.h"
#include "table/table_line.h"
#include "table/value_rows.h"

namespace tabrix {

namespace {

// Reads the rest of the line after the current character, up to the line feed (not
// included) or the end of the input; characters are echoed while debugEcho is on.
std::string readToLineEnd(StubContext& context, size_t capacity) {
  std::string text;
  for (int c = readEchoedChar(context); c != '\n' && c >= 0; c = readEchoedChar(context)) {
    if (text.size() < capacity) text.push_back(static_cast<char>(c));
  }
  return text;
}

// Composes the current line between the name role's font and the body font.
int16_t composeWithNameFont(TableLine& table) {
  useFont(table, NameFont);
  int16_t result = static_cast<int16_t>(composeLine(table));
  useBody(table, NameFont);
  return result;
}

// Hands the first character of a token that is not a number back to the reader.
void handBack(Chopper& reader, int type) {
  if (type == token::kEnd) {
    reader.pushBackCurrent();
  } else if (type == token::kLineEnd) {
    reader.pushBackChar('\n');
  } else if (!reader.tokenText().empty()) {
    reader.pushBackChar(static_cast<unsigned char>(reader.tokenText()[0]));
  }
}

// The year rule of compressed and hashed banks' base years.
int16_t bankBaseYear(int year) {
  if (year < 40) return static_cast<int16_t>(year + 2000);
  if (year < 1900) return static_cast<int16_t>(year + 1900);
  return static_cast<int16_t>(year);
}

// The frequency of a table line's result: the one the evaluation produced (so a
// frequency conversion shows at its new frequency); a result without one (numbers
// only, @rand()) takes the frequency of the alternative's series last read, annual
// before any has been read.
int16_t lineFrequency(const EvalResult& evaluated, const DataBank& bank) {
  if (evaluated.frequency != 0) return evaluated.frequency;
  const int16_t last = bank.frequency();
  return last == 1 || last == 2 || last == 4 || last == 12 ? last : int16_t{1};
}

// Reads the expression and title of a table line whose first character is `first`.
// Returns false (after the bad-line message) when the line has no ';'.
bool readTableLine(StubContext& context, int first, std::string& expression) {
  TableLine& table = context.table;
  expression.clear();
  expression.push_back(static_cast<char>(first));
  // The expression keeps room for its CR LF and terminator.
  const size_t capacity = ExpressionCapacity - 3;
  int c = readEchoedChar(context);
  while (c != ';' && c != '\n' && c >= 0) {
    if (expression.size() < capacity) expression.push_back(static_cast<char>(c));
    c = readEchoedChar(context);
  }
  if (c != ';') {
    console().printf("\nBad line in stub file:\n%s\n  Skipping ...\n", expression.c_str());
    return false;
  }
  expression += "\r\n";
  assignCut(table.lineTitle, readToLineEnd(context, LineTextCapacity), LineTextCapacity);
  if (context.run.debugEcho) console().printf("%s\n", expression.c_str());
  return true;
}

// Evaluates the expression once per alternative into the table's values (steps shared
// by table lines and sorted lines).
void evaluateAlternatives(StubContext& context, const std::string& expression) {
  RunState& run = context.run;
  TableLine& table = context.table;
  Chopper& reader = context.reader;
  // The evaluation writes only the slots that hold data; extent.at reads the others.
  std::array<float, MaxObs> result;
  // The line's text is lexed once; every alternative reads the same tokens.
  TokenList tokens;
  reader.tokenise(expression, tokens);

  for (int i = 0; i < table.altCount && i < run.bankCount; ++i) {
    const size_t k = static_cast<size_t>(i);
    DataBank& bank = *run.banks[k];
    std::vector<float>& values = table.values[k];
    int& missingTail = table.valuesMissingTail[k];
    if (values.size() != static_cast<size_t>(MaxObs)) {
      values.resize(MaxObs);
      missingTail = 0;
    }
    reader.setTokens(tokens);
    EvalExtent extent;
    const EvalResult evaluated = evaluate(run.eval, reader, SeriesSpan(result.data(), MaxObs), bank,
                                          run.scratchBanks[k].get(), extent);
    if (evaluated.failed()) {
      console().printf("(This is in bank %d.)  Continuing...\n", i + 1);
      std::fill(values.begin(), values.end(), 0.0f);
      missingTail = 0;
      table.altMissing[k] = true;
      continue;
    }
    size_t cut = expression.find_first_of(" \t\r\n");
    assignCut(table.lineExpression, expression.substr(0, cut), LineTextCapacity);

    int count = bank.observations();
    VexDate& start = table.altStart[k];
    const int16_t frequency = lineFrequency(evaluated, bank);
    if (bank.kind() == 'h' || bank.kind() == 'c') {
      start.year = bankBaseYear(bank.baseYear());
      start.period = 1;
      start.frequency = frequency;
      count = bank.seriesLength();
      // A constant before any series has been read covers the whole bank.
      if (evaluated.frequency == 0 && count == 0) count = bank.observations();
    } else if (bank.kind() == 'w') {
      start.frequency = frequency;
    }
    if (count > MaxObs) count = MaxObs;
    if (count < 0) count = 0;

    // Slots from count on hold MissingValue; those already known to are left alone.
    const int missingFrom = MaxObs - missingTail;
    if (missingFrom > count) std::fill(values.begin() + count, values.begin() + missingFrom, MissingValue);
    missingTail = MaxObs - count;
    const float divisor = table.divisor;
    for (int j = 0; j < count; ++j) {
      const float r = extent.at(result.data(), j);
      values[static_cast<size_t>(j)] = divisor != 1.0f ? r / divisor : r;
    }
    if (table.accumulatingTotals) {
      std::vector<float>& totals = table.totals[k];
      if (totals.size() < MaxObs) totals.resize(MaxObs, 0.0f);
      for (int j = 0; j < count; ++j) totals[static_cast<size_t>(j)] += values[static_cast<size_t>(j)];
    }
  }
  reader.resumeSource(context.file);
  table.textLine = false;
}

}  // namespace

int16_t startTable(StubContext& context) {
  TableLine& table = context.table;
  return static_cast<int16_t>(beginTable(table));
}

int16_t textLine(StubContext& context) {
  TableLine& table = context.table;
  int c = readEchoedChar(context);
  while (c == ' ' || c == '\t') c = readEchoedChar(context);
  std::string text;
  while (c != '\n' && c >= 0) {
    if (text.size() < LineTextCapacity) text.push_back(static_cast<char>(c));
    c = readEchoedChar(context);
  }
  assignCut(table.lineTitle, text, LineTextCapacity);
  // A text line begins the table without a page header; the composer starts the page.
  markTableBegun(table);
  table.textLine = true;
  int16_t result = composeWithNameFont(table);
  table.textLine = false;
  return result == -1 ? -1 : 0;
}

int16_t dateHeaderLine(StubContext& context) {
  TableLine& table = context.table;
  if (startTable(context) == -1) return -1;
  if (!table.datesSet) {
    console().write("\r\nPlease give the dates of the periods to list.\r\n");
    readDateList(table, context.run.responseSource);
  }
  return writeDateHeader(table) == -1 ? -1 : 0;
}

int16_t pageControlLine(StubContext& context) {
  TableLine& table = context.table;
  Chopper& reader = context.reader;
  int type = reader.nextToken();
  bool breakNow = true;
  bool skipRows = false;
  if (type == token::kNumber) {
    const int n = reader.tokenInteger();
    int m = 0;
    type = reader.nextToken();
    if (type == token::kNumber) {
      m = reader.tokenInteger();
    } else {
      handBack(reader, type);
    }
    // n and m may be as large as an int; the room test is taken in 64 bits.
    const int64_t needed = int64_t{table.page.lineOnPage()} + m + int64_t{table.altCount} * n;
    if (needed <= table.pageLength - table.bottomMargin) {
      breakNow = false;
    } else if (m == 0) {
      breakAtNextLine(table);
      breakNow = false;
    } else {
      skipRows = true;
    }
  } else {
    handBack(reader, type);
  }
  if (!breakNow) return 0;
  return breakPage(table, skipRows) == -1 ? -1 : 0;
}

int16_t tableLine(StubContext& context, int first) {
  TableLine& table = context.table;
  table.altMissing.fill(false);
  if (startTable(context) == -1) return -1;
  std::string expression;
  if (!readTableLine(context, first, expression)) return 0;
  evaluateAlternatives(context, expression);
  RunState& run = context.run;
  if (run.sortInProgress && run.sortTable) {
    // Inside a sorted block the line is only recorded, keyed by its base value at the
    // sort date; \printsort writes it later.
    const float key = cellValue(table, 0, DateStruct(run.sortDate), 0.0f);
    record(*run.sortTable, context.linePosition, key);
    return 0;
  }
  return composeWithNameFont(table) == -1 ? -1 : 0;
}

int16_t sortedLine(StubContext& context) {
  Chopper& reader = context.reader;
  reader.setSource(context.file);
  int c = reader.nextChar();
  while (c == ' ') c = reader.nextChar();
  const bool starts = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '(' || c == '@';
  if (!starts) return 0;
  TableLine& table = context.table;
  table.altMissing.fill(false);
  if (startTable(context) == -1) return -1;
  std::string expression;
  if (!readTableLine(context, c, expression)) return 0;
  evaluateAlternatives(context, expression);
  return composeLine(table) == -1 ? -1 : 0;
}

}  // namespace tabrix
