// The range commands of the function library: \sumrange sets the dates @sum adds up
// over, \chainrange the dates @qchain and @pchain chain over. Each takes a first and a
// last date, separated by a blank or a '-'; a range that is malformed, mixes
// frequencies or runs backwards is refused and the range stays as it was.
#include <string>
#include <vector>

#include "dates/vex_date.h"
#include "expr/ranges.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "stub/commands.h"

namespace tabrix {

namespace {

// The arguments of a range command: the tokens up to the end of the line, their text
// joined by blanks for the message, and the numbers among them.
struct RangeArguments {
  std::string text;
  std::vector<std::string> numbers;  // the numbers' texts
  std::vector<double> values;        // and their values
  bool wellFormed = true;  // two numbers, optionally joined by one '-'
};

RangeArguments readRangeArguments(Chopper& reader) {
  RangeArguments arguments;
  int previous = 0;
  for (int type = reader.nextToken(); !endsArguments(type); type = reader.nextToken()) {
    if (!arguments.text.empty() && !(previous == token::kNumber && type == '-') &&
        previous != '-') {
      arguments.text.push_back(' ');
    }
    arguments.text += reader.tokenText();
    if (type == token::kNumber) {
      arguments.numbers.push_back(reader.tokenText());
      arguments.values.push_back(reader.tokenNumber());
    } else if (!(type == '-' && previous == token::kNumber && arguments.numbers.size() == 1)) {
      arguments.wellFormed = false;
    }
    previous = type;
  }
  if (arguments.numbers.size() != 2) arguments.wellFormed = false;
  if (arguments.text.empty()) arguments.text = "(none)";
  return arguments;
}

// A position to compare dates of one frequency by.
long ordinal(const DateNumber& date) { return static_cast<long>(date.year) * date.frequency + date.period; }
long ordinal(const VexDate& date) { return static_cast<long>(date.year) * date.frequency + date.period; }

// A chain date: a date text of an annual, quarterly or monthly period.
bool readChainDate(const std::string& text, VexDate& date) {
  date = VexDate(std::string_view(text));
  return (date.frequency == 1 || date.frequency == 4 || date.frequency == 12) &&
         date.period >= 1 && date.period <= date.frequency;
}

}  // namespace

int16_t sumRangeCommand(StubContext& context) {
  const RangeArguments arguments = readRangeArguments(context.reader);
  DateNumber first;
  DateNumber last;
  const bool valid =
      arguments.wellFormed && splitDateNumber(arguments.values[0], first) &&
      splitDateNumber(arguments.values[1], last) && isWholeDate(first) &&
      isWholeDate(last) && first.frequency == last.frequency && ordinal(first) <= ordinal(last);
  if (!valid) {
    console().printf("Illegal sum range: %s.\tCommand ignored.\n", arguments.text.c_str());
    return 0;
  }
  sumRange() = SumRange{static_cast<float>(arguments.values[0]),
                        static_cast<float>(arguments.values[1])};
  return 0;
}

int16_t chainRangeCommand(StubContext& context) {
  const RangeArguments arguments = readRangeArguments(context.reader);
  VexDate first;
  VexDate last;
  const bool valid = arguments.wellFormed && readChainDate(arguments.numbers[0], first) &&
                     readChainDate(arguments.numbers[1], last) &&
                     first.frequency == last.frequency && ordinal(first) <= ordinal(last);
  if (!valid) {
    console().printf("Illegal chain range: %s.\tCommand ignored.\n", arguments.text.c_str());
    return 0;
  }
  chainRange() = ChainRange{first, last};
  return 0;
}

}  // namespace tabrix
