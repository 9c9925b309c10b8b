#include "expr/ranges.h"

#include <algorithm>
#include <cmath>

#include "expr/function_support.h"
#include "platform/console.h"
#include "reader/chopper.h"

namespace tabrix {

using namespace function_support;

SumRange& sumRange() {
  static SumRange range;
  return range;
}

ChainRange& chainRange() {
  static ChainRange range;
  return range;
}

bool splitDateNumber(double number, DateNumber& date) {
  if (!std::isfinite(number) || number < 0.0 || number >= 32768.0) return false;
  date.year = static_cast<int>(number);
  const int thousandths = static_cast<int>((number + 0.0003) * 1000.0) - 1000 * date.year;
  if (thousandths >= 1 && thousandths <= 13) {
    date.frequency = 12;
    date.period = thousandths;
  } else if (thousandths >= 14 && thousandths <= 449) {
    date.frequency = 4;
    date.period = thousandths / 100;
  } else if (thousandths > 450) {
    date.frequency = 2;
    date.period = (thousandths - 400) / 100;
  } else {
    date.frequency = 1;
    date.period = 0;
  }
  return true;
}

bool isWholeDate(const DateNumber& date) {
  if (date.frequency == 1) return true;
  return date.period >= 1 && date.period <= date.frequency;
}

long sumIndex(const DateNumber& date, const DataBank& bank) {
  const int month = bank.kind() == 'w' && bank.startPeriod() >= 1 ? bank.startPeriod() : 1;
  int first = 0;
  switch (date.frequency) {
    case 12: first = month; break;
    case 4: first = (month - 1) / 3 + 1; break;
    case 2: first = (month - 1) / 6 + 1; break;
    default: first = 0; break;
  }
  return date.period + static_cast<long>(date.year - static_cast<int>(bank.baseYear())) * date.frequency -
         first;
}

// @sum(x): the sum of x over sumRange, at the range's last observation; every other
// slot 0.0. A range that is not set, or not within the observations, is refused.
EvalResult sumFunction(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                       DataBank* scratch) {
  int16_t frequency = 0;
  if (!nextIs(reader, '(') ||
      !readArgument(context, reader, operand, bank, scratch, ')', frequency)) {
    console().write("\n error in @sum function \n");
    return failed();
  }
  const SumRange& range = sumRange();
  DateNumber first;
  DateNumber last;
  if (range.first == 0.0f && range.last == 0.0f) {
    console().write("\n@sum: no sum range is set; give one with \\sumrange first last.\n");
    return failed();
  }
  const int n = context.evalLength();
  const bool split = splitDateNumber(range.first, first) && splitDateNumber(range.last, last);
  const long from = split ? sumIndex(first, bank) : -1;
  const long to = split ? sumIndex(last, bank) : -1;
  if (from < 0 || to < from || to >= n) {
    console().write("\n@sum: the sum range lies outside the series' observations.\n");
    return failed();
  }
  double total = 0.0;
  for (long i = from; i <= to; ++i) total += operand[static_cast<size_t>(i)];
  std::fill(operand.begin(), operand.end(), 0.0f);
  operand[static_cast<size_t>(to)] = static_cast<float>(total);
  return {0, frequency};
}

}  // namespace tabrix
