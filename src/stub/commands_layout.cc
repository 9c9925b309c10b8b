// Layout commands: page length and margins, widths, spacing, printer line density,
// landscape, page numbers and their prefix, the date underline and the \line rule.
#include <cctype>
#include <string>

#include "platform/console.h"
#include "reader/chopper.h"
#include "stub/commands.h"
#include "table/page.h"
#include "table/table_line.h"

namespace tabrix {

namespace {

// Widths and spacings beyond this are refused.
constexpr int16_t kMaxWidth = 600;
// The page width after a refused \pagewidth, and the portrait and landscape widths.
constexpr int16_t kPortraitWidth = 132;
constexpr int16_t kLandscapeWidth = 167;
// The printer line densities \linesperpage accepts (lines per 10 inches).
constexpr int kFewestLines = 30;
constexpr int kMostLines = 200;

// Reads an optional on/off word: true for none or any word but "off" (or any other
// token), false for "off"; a number leaves `changed` false.
bool readOnOff(Chopper& reader, bool& changed) {
  int type = reader.nextToken();
  changed = type != token::kNumber;
  return !(type == token::kWord && reader.tokenText() == "off");
}

}  // namespace

int16_t pageLengthCommand(StubContext& context) {
  return setNumber(context,
                   {&TableLine::pageLength, "Illegal pagelength: %s.\tCommand ignored.\n"});
}

int16_t topMarginCommand(StubContext& context) {
  return setNumber(context, {&TableLine::topMargin, "Illegal top margin: %s.\tCommand ignored.\n"});
}

int16_t bottomMarginCommand(StubContext& context) {
  return setNumber(context,
                   {&TableLine::bottomMargin, "Illegal bottom margin: %s.\tCommand ignored.\n"});
}

int16_t leftMarginCommand(StubContext& context) {
  return setNumber(context,
                   {&TableLine::leftMargin, "Illegal left margin: %s.\tCommand ignored.\n"});
}

int16_t spaceHeadCommand(StubContext& context) {
  return setNumber(context,
                   {&TableLine::spaceHead, "spacehead illegal field: %s.  Command ignored.\n"});
}

int16_t pageWidthCommand(StubContext& context) {
  return setNumber(context, {.field = &TableLine::pageWidth,
                             .illegal = "Illegal pagewidth: %s.  Command ignored.\n",
                             .outOfRange = "Bad width: %d.\tCommand ignored.\n",
                             .lowest = 0,
                             .highest = kMaxWidth,
                             .fallback = kPortraitWidth});
}

int16_t spacingCommand(StubContext& context) {
  return setNumber(context, {.field = &TableLine::spacing,
                             .illegal = "Illegal spacing: %s.\tCommand ignored.\n",
                             .outOfRange = "Bad Spacing: %d.\tCommand ignored.\n",
                             .lowest = 0,
                             .highest = kMaxWidth,
                             .fallback = 1});
}

int16_t titleWidthCommand(StubContext& context) {
  int16_t width = 0;
  if (readNumberArgument(context.reader, "Illegal title width: %s.\tCommand ignored.\n", width)) {
    setTitleWidth(context.table, width);
  }
  return 0;
}

// The message also answers a number outside the printer's densities, and is written
// again when a rejected token leaves a value outside them in place.
int16_t linesPerPageCommand(StubContext& context) {
  const char* message = "Illegal linesperpage: %s.  Command ignored.\n";
  TableLine& table = context.table;
  setNumber(context, {&TableLine::linesPerPage, message});
  if (table.linesPerPage < kFewestLines || table.linesPerPage > kMostLines) {
    console().printConstant(message, context.reader.tokenText().c_str());
    table.linesPerPage = 0;
  }
  return 0;
}

int16_t landscapeCommand(StubContext& context) {
  bool changed = false;
  bool on = readOnOff(context.reader, changed);
  if (!changed) return 0;
  context.table.landscape = on;
  context.table.pageWidth = on ? kLandscapeWidth : kPortraitWidth;
  return 0;
}

int16_t pagesCommand(StubContext& context) {
  bool changed = false;
  bool on = readOnOff(context.reader, changed);
  if (changed) context.table.pageNumbers = on;
  return 0;
}

int16_t pagePrefixCommand(StubContext& context) {
  constexpr std::size_t kPrefixRead = 150;
  std::string text = readRestOfLine(context, kPrefixRead);
  assignCut(context.table.pagePrefix, text, PagePrefixCapacity);
  return 0;
}

int16_t underlineCommand(StubContext& context) {
  Chopper& reader = context.reader;
  TableLine& table = context.table;
  int type = reader.nextToken();
  // A bare \underline asks for the single rule, as the bare \line does.
  std::string word = endsArguments(type) ? std::string("-") : reader.tokenText();
  std::string lower = word;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  if (word.empty() || word[0] == 'n' || lower == "underlinenone") {
    table.underlineChar = 0;
  } else if (lower == "underlinedouble") {
    table.underlineChar = '=';
  } else if (lower == "underlinedoubleaccounting") {
    table.underlineChar = '~';
  } else if (lower == "underlinesingle") {
    table.underlineChar = '-';
  } else if (lower == "underlinesingleaccounting") {
    table.underlineChar = '_';
  } else {
    table.underlineChar = word[0];
  }
  // The date font takes the word as its underline style where it names one.
  table.fonts[DateFont].font.setUnderline(word);
  return 0;
}

int16_t lineCommand(StubContext& context) {
  Chopper& reader = context.reader;
  int type = reader.nextToken();
  char character = '-';
  if (!endsArguments(type) && !reader.tokenText().empty()) {
    character = reader.tokenText()[0];
  }
  return static_cast<int16_t>(ruleLine(context.table, character));
}

}  // namespace tabrix
