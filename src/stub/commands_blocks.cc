// The block and group commands: totals (\starttotal, \endtotal, \printtotal), sorted
// blocks (\startsort, \endsort, \printsort) and the group commands (\group,
// \listgroups, \grouplist).
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

#include "groups/group_home.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "stub/commands.h"
#include "stub/interpreter.h"
#include "stub/run_hooks.h"
#include "stub/run_state.h"
#include "stub/table_lines.h"
#include "support/constants.h"
#include "table/date_list.h"
#include "table/sort_table.h"
#include "table/table_line.h"
#include "table/value_rows.h"

namespace tabrix {

namespace {

void releaseTotals(TableLine& table) {
  for (std::vector<float>& totals : table.totals) std::vector<float>().swap(totals);
}

}  // namespace

// --- Totals -------------------------------------------------------------------------

int16_t startTotalCommand(StubContext& context) {
  TableLine& table = context.table;
  table.accumulatingTotals = true;
  table.totalsEnded = false;
  for (int k = 0; k < table.altCount && k < AltCapacity; ++k) {
    table.totals[static_cast<std::size_t>(k)].assign(MaxObs, 0.0f);
  }
  return 0;
}

int16_t endTotalCommand(StubContext& context) {
  TableLine& table = context.table;
  if (!table.accumulatingTotals) {
    console().write("\n\r Error on \\et command: No \\st command given!\r\n");
    return 0;
  }
  table.accumulatingTotals = false;
  table.totalsEnded = true;
  return 0;
}

int16_t printTotalCommand(StubContext& context) {
  TableLine& table = context.table;
  if (!table.totalsEnded) {
    console().write("\r\nError on \\pt command: No \\et or \\st command given!\r\n");
    return 0;
  }
  assignCut(table.lineTitle, readRestOfLine(context), LineTextCapacity);
  // The sums hold every alternative's lines, whatever the block's last series was.
  table.altMissing.fill(false);
  table.printingTotals = true;
  const int result = composeLine(table);
  table.printingTotals = false;
  table.accumulatingTotals = false;
  table.totalsEnded = false;
  releaseTotals(table);
  return result == -1 ? -1 : 0;
}

// --- Sorted blocks ------------------------------------------------------------------

int16_t startSortCommand(StubContext& context) {
  RunState& run = context.run;
  Chopper& reader = context.reader;
  int c = readEchoedChar(context);
  while (c == ' ' || c == '\t') c = readEchoedChar(context);
  std::string date;
  while (c != ' ' && c != '\t' && c != '\n' && c >= 0) {
    date.push_back(static_cast<char>(c));
    c = readEchoedChar(context);
  }
  const bool lineEnded = c == '\n' || c < 0;

  std::size_t pos = 0;
  std::string token;
  int kind = 0;
  // One entry of a date list, not a spacer (it has no value to sort by).
  if (!nextDateToken(date, pos, token, kind) || kind == 4 || isSpacer(token)) {
    console().write("Check startsort (ss) command\r\n");
    console().write(" Format is \\startsort <datestring> [<alloc>]\r\n");
    return 0;
  }
  int capacity = DefaultSortCapacity;
  if (!lineEnded && reader.nextToken() == token::kNumber) capacity = reader.tokenInteger();

  run.sortTable = std::make_unique<SortTable>();
  run.sortTable->file = context.file;
  reserve(*run.sortTable, context.linePosition, capacity);
  run.sortDate = token;
  run.sortInProgress = true;
  return 0;
}

int16_t endSortCommand(StubContext& context) {
  RunState& run = context.run;
  if (!run.sortInProgress) {
    console().write("You cannot give the endsort command before the startsort command.\n\r");
    return 0;
  }
  if (run.sortTable) run.sortTable->end = context.linePosition;
  run.sortInProgress = false;
  return 0;
}

int16_t printSortCommand(StubContext& context) {
  RunState& run = context.run;
  Chopper& reader = context.reader;
  if (!run.sortTable) {
    console().write("\nError:  need to provide series to sort before printing.\n");
    return -1;
  }
  std::unique_ptr<SortTable> block = std::move(run.sortTable);
  run.sortInProgress = false;

  char order = 'd';
  int count = block->count;
  if (reader.nextToken() == token::kWord) {
    order = static_cast<char>(std::tolower(static_cast<unsigned char>(reader.tokenText()[0])));
    if (reader.nextToken() == token::kNumber) count = reader.tokenInteger();
  }
  // Printing resumes with the line after this one.
  reader.pushBackCurrent();
  reader.skipLine();
  const long resume = reader.position();

  if (block->file != context.file) {
    console().write("\nError:  the sorted block lies in another stub file; it is not printed.\n");
    return 0;
  }
  const int printed = printSorted(*block, count, order, [&context] { return sortedLine(context); });
  if (context.file != nullptr) std::fseek(context.file, resume, SEEK_SET);
  reader.setSource(context.file);
  return printed == -1 ? -1 : 0;
}

// --- Groups -------------------------------------------------------------------------

int16_t groupCommand(StubContext& context) {
  RunState& run = context.run;
  Chopper& reader = context.reader;
  GroupHome& groups = groupStore(run);
  const int type = reader.nextToken();
  reader.pushBackToken();
  if (type == token::kNumber) {
    NumberFlags flags{};
    int base = 0;
    const int highest = reader.parseNumberList(flags, base);
    groups.setDynamicGroup(flags, base, highest);
    run.status = static_cast<int16_t>(highest);
    return 0;
  }
  // A name (anything else is refused by defineGroup with its message). A definition
  // has no highest index to report: status is 0 either way, which never stops the run.
  run.status = 0;
  if (groups.defineGroup(reader) != 0) return 0;
  (void)groups.writeHeader();  // saves the whole store
  return 0;
}

int16_t listGroupsCommand(StubContext& context) {
  RunState& run = context.run;
  if (!run.groupsLoaded) {
    console().write("\r\nNo groups loaded.  Sorry!\n\r");
    return 0;
  }
  console().write("\r\nGroups currently loaded:\r\n");
  groupStore(run).listGroups();
  return 0;
}

int16_t groupListCommand(StubContext& context) {
  Chopper& reader = context.reader;
  const int type = reader.nextToken();
  if (type != token::kWord && type != token::kNumber) {
    console().write("\r\ngrouplist command needs a group name!\r\n");
    return 0;
  }
  const std::string name = reader.tokenText();
  console().printf("\r\n Contents of group %s:\n\r", name.c_str());
  (void)groupStore(context.run).showGroup(name);
  return 0;
}

}  // namespace tabrix
