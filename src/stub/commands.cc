#include "stub/commands.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>

#include "stub/add_files.h"
#include "stub/definitions.h"
#include "stub/run_state.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "table/table_line.h"

namespace tabrix {

namespace {

// The title width the numeric setting line and \titlewidth fall back to.
constexpr int kFallbackTitleWidth = 20;

// The command table. The order decides: the first matching name wins, so a name with
// a prefix length catches every longer word with that prefix that no earlier name
// took (\timestamp and \titlewidth come before \title's "ti", \mem after \missing's
// "mi"). Entries whose handler is laterCommand belong to subsystems not yet in place.
constexpr CommandName kCommands[] = {
    {"add", 2, 1, addCommand},
    {"fadd", 3, 2, faddCommand},
    {"aggtype", 0, 3, aggTypeCommand},
    {"at", 0, 3, aggTypeCommand},
    {"announce", 3, 4, echoCommand},
    {"echo", 0, 4, echoCommand},
    {"ar", 0, 5, annualRatesCommand},
    {"blankzeroes", 0, 6, blankZeroesCommand},
    {"bz", 0, 6, blankZeroesCommand},
    {"break", 2, 7, breakCommand},
    {"nozerorows", 0, 8, noZeroRowsCommand},
    {"nzr", 0, 8, noZeroRowsCommand},
    {"check", 0, 9, checkCommand},
    {"coefdecs", 0, 10, coefDecsCommand},
    {"cd", 0, 10, coefDecsCommand},
    {"commas", 0, 11, commasCommand},
    {"dates", 4, 12, datesCommand},
    {"debug", 0, 13, debugCommand},
    {"decs", 0, 14, decsCommand},
    {"div", 0, 15, divCommand},
    {"f", 0, 16, defineCommand},
    {"field", 0, 17, fieldCommand},
    {"g", 0, 18, growthOnCommand},
    {"growthtype", 0, 19, growthTypeCommand},
    {"gt", 0, 19, growthTypeCommand},
    {"gdata", 0, 20, gdataCommand},
    {"gzeroes", 2, 21, gzeroesCommand},
    {"nocomment", 0, 22, noCommentCommand},
    {"growthdecs", 0, 23, growthDecsCommand},
    {"gd", 0, 23, growthDecsCommand},
    {"growthwidth", 0, 24, growthWidthCommand},
    {"gw", 0, 24, growthWidthCommand},
    {"head", 2, 25, headCommand},
    {"group", 0, 26, groupCommand},
    {"grp", 0, 26, groupCommand},
    {"listgroups", 5, 27, listGroupsCommand},
    {"grouplist", 0, 28, groupListCommand},
    {"glist", 0, 28, groupListCommand},
    {"missing", 2, 29, missingCommand},
    {"n", 0, 30, growthOffCommand},
    {"pr", 0, 31, periodRatesCommand},
    {"row", 0, 32, rowCommand},
    {"col", 3, 33, colCommand},
    {"coef", 0, 34, coefCommand},
    {"flow", 0, 35, flowCommand},
    {"matlist", 4, 36, matlistCommand},
    {"cutoff", 3, 37, cutoffCommand},
    {"nosubtot", 4, 38, noSubtotCommand},
    {"nst", 3, 39, nstCommand},
    {"matcfg", 0, 40, matcfgCommand},
    {"mc", 0, 40, matcfgCommand},
    {"landscape", 4, 41, landscapeCommand},
    {"lm", 0, 42, leftMarginCommand},
    {"leftmargin", 0, 42, leftMarginCommand},
    {"lpp", 0, 43, linesPerPageCommand},
    {"linesperpage", 0, 43, linesPerPageCommand},
    {"line", 0, 44, lineCommand},
    {"load", 0, 45, loadCommand},
    {"mem", 0, 46, memCommand},
    {"noformat", 0, 47, noFormatCommand},
    {"nf", 0, 47, noFormatCommand},
    {"oneperline", 3, 48, onePerLineCommand},
    {"printbase", 0, 49, printBaseCommand},
    {"pages", 0, 50, pagesCommand},
    {"pageprefix", 0, 51, pagePrefixCommand},
    {"pp", 0, 51, pagePrefixCommand},
    {"pcontrol", 2, 52, pcontrolCommand},
    {"pc", 0, 52, pcontrolCommand},
    {"fonthead", 0, 53, fontCommand<HeadFont>},
    {"fonttitle", 0, 54, fontCommand<TitleFont>},
    {"fontdate", 0, 55, fontCommand<DateFont>},
    {"fontbank", 0, 56, fontCommand<BankFont>},
    {"fontname", 0, 57, fontCommand<NameFont>},
    {"fontdata", 0, 58, fontCommand<DataFont>},
    {"font", 0, 59, fontCommand<BodyFont>},
    {"spacehead", 0, 60, spaceHeadCommand},
    {"pl", 0, 61, pageLengthCommand},
    {"pagelength", 0, 61, pageLengthCommand},
    {"tm", 0, 62, topMarginCommand},
    {"topmargin", 0, 62, topMarginCommand},
    {"bm", 0, 63, bottomMarginCommand},
    {"bottommargin", 0, 63, bottomMarginCommand},
    {"tw", 0, 64, titleWidthCommand},
    {"titlewidth", 0, 64, titleWidthCommand},
    {"pw", 0, 65, pageWidthCommand},
    {"pagewidth", 0, 65, pageWidthCommand},
    {"prn", 0, 66, prnCommand},
    {"sp", 0, 67, spacingCommand},
    {"spacing", 0, 67, spacingCommand},
    {"threshhold", 5, 68, thresholdCommand},
    {"underline", 5, 69, underlineCommand},
    {"filetype", 0, 70, fileTypeCommand},
    {"xlgraph", 4, 71, xlGraphCommand},
    {"wk1", 0, 72, wk1Command},
    {"xls", 0, 72, xlsCommand},
    {"rtf", 0, 73, rtfCommand},
    {"yearformat", 0, 74, yearFormatCommand},
    {"yf", 0, 74, yearFormatCommand},
    {"timestamp", 0, 75, timestampCommand},
    {"ts", 0, 75, timestampCommand},
    {"center", 2, 76, centerCommand},
    {"title", 2, 77, titleCommand},
    {"wstitle", 4, 78, wsTitleCommand},
    {"wsfreeze", 0, 79, wsFreezeCommand},
    {"subtitle", 5, 80, subtitleCommand},
    {"tell", 0, 81, tellCommand},
    {"toc", 0, 82, tocCommand},
    {"starttotal", 0, 83, startTotalCommand},
    {"st", 0, 83, startTotalCommand},
    {"endtotal", 0, 84, endTotalCommand},
    {"et", 0, 84, endTotalCommand},
    {"printtotal", 0, 85, printTotalCommand},
    {"pt", 0, 85, printTotalCommand},
    {"startsort", 0, 86, startSortCommand},
    {"ss", 0, 86, startSortCommand},
    {"endsort", 0, 87, endSortCommand},
    {"es", 0, 87, endSortCommand},
    {"printsort", 0, 88, printSortCommand},
    {"ps", 0, 88, printSortCommand},
    {"mode", 2, 89, modeCommand},
    // After every other name, so that no existing command word changes meaning.
    {"sumrange", 0, 90, sumRangeCommand},
    {"chainrange", 0, 91, chainRangeCommand},
    {"html", 0, 92, htmlCommand},
    {"markdown", 0, 93, markdownCommand},
    {"latex", 0, 94, latexCommand},
    {"pdf", 0, 95, pdfCommand},
    {"svg", 0, 96, svgCommand},
};

std::string lowered(std::string_view word) {
  std::string text(word);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::span<const CommandName> commandNames() { return kCommands; }

bool commandMatches(const CommandName& name, std::string_view word) {
  std::string_view full(name.name);
  if (name.prefix == 0) return word == full;
  std::size_t n = static_cast<std::size_t>(name.prefix);
  return word.size() >= n && word.substr(0, n) == full.substr(0, n);
}

const CommandName* findCommand(std::string_view word) {
  for (const CommandName& name : kCommands) {
    if (commandMatches(name, word)) return &name;
  }
  return nullptr;
}

int16_t runCommand(StubContext& context, std::string_view word) {
  const CommandName* command = findCommand(lowered(word));
  if (command == nullptr) return 0;
  if (command->handler == nullptr) {
    console().printf("\\%s is not available in this version; line skipped.\n", command->name);
    return 0;
  }
  return command->handler(context);
}

int16_t tokenInt16(const Chopper& reader) {
  int value = reader.tokenInteger();
  return static_cast<int16_t>(std::clamp(value, static_cast<int>(INT16_MIN),
                                         static_cast<int>(INT16_MAX)));
}

bool endsArguments(int type) { return type == token::kLineEnd || type == token::kEnd; }

bool readNumberArgument(Chopper& reader, const char* illegal, int16_t& value) {
  if (reader.nextToken() != token::kNumber) {
    console().printConstant(illegal, reader.tokenText().c_str());
    return false;
  }
  value = tokenInt16(reader);
  return true;
}

int16_t setNumber(StubContext& context, const NumberSetting& setting) {
  int16_t value = 0;
  if (!readNumberArgument(context.reader, setting.illegal, value)) return 0;
  if (setting.outOfRange != nullptr && (value < setting.lowest || value > setting.highest)) {
    console().printConstant(setting.outOfRange, value);
    value = setting.fallback;
  }
  context.table.*setting.field = value;
  return 0;
}

void setTitleWidth(TableLine& table, int width) {
  if (width > MaxTitleWidth) {
    console().printf("Title width can be no longer than %d!\r\n", MaxTitleWidth);
    console().write("  Setting to 20.\r\n");
    width = kFallbackTitleWidth;
  }
  table.titleWidth = static_cast<int16_t>(width);
}

int16_t numericSettingLine(StubContext& context) {
  TableLine& table = context.table;
  Chopper& reader = context.reader;
  int16_t* const settings[] = {&table.fieldWidth, &table.decs, &table.pageLength,
                               &table.topMargin, &table.bottomMargin};
  // The first number was read by the interpreter; up to five more follow.
  for (int16_t* setting : settings) {
    *setting = tokenInt16(reader);
    if (reader.nextToken() != token::kNumber) return 0;
  }
  setTitleWidth(table, tokenInt16(reader));
  // A worksheet's title column takes the new width.
  if (table.sheet != nullptr) (void)table.sheet->setColumnWidth(0, table.titleWidth);
  return 0;
}

}  // namespace tabrix
