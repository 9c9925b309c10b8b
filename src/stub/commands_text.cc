// Text commands (running head, titles, centered lines, the date list, the time stamp)
// and the miscellaneous ones (\echo, \tell, \debug, \check, \mem).
#include <cstdio>
#include <string>

#include "stub/run_state.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "stub/commands.h"
#include "table/date_list.h"
#include "table/table_line.h"

namespace tabrix {

namespace {

// Characters of an \echo text written at most.
constexpr std::size_t kEchoLength = 150;

// Characters that join a range's dates without blanks (1990-2000, 1995:1, 1990+5).
bool isRangeMark(int type) { return type == '-' || type == '|' || type == '+' || type == ':'; }

}  // namespace

int16_t headCommand(StubContext& context) {
  TableLine& table = context.table;
  std::string text = readTextAfterFirstBlank(context);
  if (text == "title") text = table.altTitles[0];
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  assignCut(table.headText, text, LineTextCapacity);
  table.headSet = true;
  table.contents.setContentsTitle(table.headText);
  return 0;
}

int16_t titleCommand(StubContext& context) {
  TableLine& table = context.table;
  std::string text = readTextWithoutLeadingBlanks(context);
  assignCut(table.tableTitle, text, LineTextCapacity);
  table.titleSet = true;
  table.contents.addEntry(table.tableTitle, table.page.pageNumber() + 1);
  return 0;
}

int16_t subtitleCommand(StubContext& context) {
  TableLine& table = context.table;
  assignCut(table.subtitle, readRestOfLine(context), LineTextCapacity);
  table.subtitleSet = true;
  return 0;
}

int16_t centerCommand(StubContext& context) {
  TableLine& table = context.table;
  assignCut(table.lineTitle, readRestOfLine(context), LineTextCapacity);
  table.textLine = true;
  table.centerText = true;
  composeLineHook(table);  // the result of a centered line is not checked
  table.textLine = false;
  table.centerText = false;
  return 0;
}

std::string joinDateTokens(Chopper& reader) {
  std::string text;
  int previous = 0;
  for (;;) {
    int type = reader.nextToken();
    if (endsArguments(type)) break;
    bool joined = (previous == token::kNumber && isRangeMark(type)) ||
                  (isRangeMark(previous) && type == token::kNumber);
    if (!joined) text.push_back(' ');
    text += reader.tokenText();
    previous = type;
  }
  text.push_back(' ');
  return text;
}

int16_t datesCommand(StubContext& context) {
  TableLine& table = context.table;
  parseDateList(table, joinDateTokens(context.reader));
  return 0;
}

std::string timestampText(const std::tm& moment) {
  char buffer[64] = {};
  if (asctime_r(&moment, buffer) == nullptr) return "\n";
  return std::string(buffer) + "\n";
}

int16_t timestampCommand(StubContext& context) {
  context.table.timestampText = timestampText(fileCalendarTime());
  return 0;
}

int16_t echoCommand(StubContext& context) {
  std::string text = readRestOfLine(context, kEchoLength);
  console().printf(" %s\r\n", text.c_str());
  return 0;
}

std::string tellText(const std::tm& local) {
  int hour = local.tm_hour;
  int shown = hour % 12 == 0 ? 12 : hour % 12;  // a 12-hour clock
  const char* phrase = " at night, on ";
  if (hour < 12) {
    phrase = " in the morning, on ";
  } else if (hour == 12) {
    phrase = " Lunch Time!, on ";
  } else if (hour < 16) {
    phrase = " in the afternoon, on ";
  } else if (hour == 19) {
    phrase = " Dinner Time!, on ";
  } else if (hour < 22) {
    phrase = " in the evening, on ";
  }
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "It is now %2d:%02d:%02d%s%02d/%02d/%02d.\n", shown,
                local.tm_min, local.tm_sec, phrase, local.tm_mon + 1, local.tm_mday,
                (local.tm_year + 1900) % 100);
  return buffer;
}

int16_t tellCommand(StubContext& /*context*/) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  console().write(tellText(local));
  return 0;
}

int16_t debugCommand(StubContext& context) {
  Chopper& reader = context.reader;
  context.run.debugEcho = reader.nextToken() == token::kWord && reader.tokenText() == "on";
  return 0;
}

int16_t checkCommand(StubContext& /*context*/) { return 0; }

int16_t memCommand(StubContext& /*context*/) {
  console().write("This command is not meaningful under this environment.\r\n");
  return 0;
}

}  // namespace tabrix
