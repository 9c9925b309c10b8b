// @qchain(list) and @pchain(list): chain-weighted (Fisher) quantity and price indexes
// over the dates of chainRange. The list names m quantity series and then the m
// matching price series (single names, or a stem with a group definition in
// parentheses, which stands for stem + member for each member), optionally followed by
// a base date. Each period's link is the geometric mean of the Laspeyres and Paasche
// indexes from the period before; the price index is 1 at the base date and the
// quantity index equals the sum of the quantities there. Both indexes are also stored
// in the alternative's scratch bank as "chwqi" and "chwpi", so that later lines can
// show them.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "banks/workspace_bank.h"
#include "dates/vex_date.h"
#include "expr/function_support.h"
#include "expr/ranges.h"
#include "platform/console.h"
#include "reader/chopper.h"

namespace tabrix {

using namespace function_support;

namespace {

constexpr char kChainError[] = "Error in chain function!\r\n";
// Quantity and price pairs a list holds at most.
constexpr int kMaxPairs = 100;
// A price or quantity index this close to 0 at the base date cannot be normalised.
constexpr double kZeroIndex = 0.0000001;

// What the list of a chain call gives.
struct ChainList {
  std::vector<std::string> names;  // the quantities, then the prices
  bool hasBase = false;            // a base date was given
  std::string baseText;            // its text
  VexDate base;                    // and the date
};

// Reads "(" list ")". False after a message.
bool readChainList(EvalContext& context, Chopper& reader, const char* function,
                   ChainList& list) {
  if (!nextIs(reader, '(')) {
    console().write(kChainError);
    return false;
  }
  for (;;) {
    const int type = reader.nextToken();
    if (type == ')') return true;
    if (type == ',' || type == token::kLineEnd) continue;
    if (type == token::kNumber) {
      list.hasBase = true;
      list.baseText = reader.tokenText();
      list.base = VexDate(std::string_view(list.baseText));
      if (!nextIs(reader, ')')) {
        console().write(kChainError);
        return false;
      }
      return true;
    }
    if (type != token::kWord) {
      console().write(kChainError);
      return false;
    }
    std::string word = reader.tokenText();
    const bool group = reader.nextToken() == '(';
    if (group) {
      if (!readGroupNames(context, reader, function, word, list.names)) return false;
      if (reader.tokenType() != ')') {
        console().write(kChainError);
        return false;
      }
    } else {
      list.names.push_back(std::move(word));
    }
    if (list.names.size() > 2 * static_cast<std::size_t>(kMaxPairs)) {
      console().printf("Error in @chain function: more than %d pairs of series.\r\n", kMaxPairs);
      return false;
    }
    // The token after a name belongs to the list; it is pushed back only now, so that a
    // refusal leaves no token waiting for the next expression.
    if (!group) reader.pushBackToken();
  }
}

// The date t periods after `first` (of first's frequency).
VexDate dateAfter(const VexDate& first, long t) {
  const long f = first.frequency;
  const long position = first.period - 1 + t;
  VexDate date;
  date.year = static_cast<int16_t>(first.year + position / f);
  date.period = static_cast<int16_t>(position % f + 1);
  date.frequency = first.frequency;
  return date;
}

std::string label(const VexDate& date) { return format(date, 1); }

// Doubles from malloc, so that running out of memory reaches the function's own message
// rather than the run's allocation-failure handler.
struct FreeDeleter {
  void operator()(double* p) const { std::free(p); }
};
using DoubleArray = std::unique_ptr<double[], FreeDeleter>;

// Stores an index as `name` in the scratch bank, placed at observations from .. from +
// count - 1 (0.0 elsewhere). A failed store is reported naming the bank's file.
void storeIndex(EvalContext& context, VexBank& target, const char* name, const double* index,
                long from, long count, int16_t frequency) {
  WorkArray stored(context);
  for (long t = 0; t < count; ++t) stored[static_cast<int>(from + t)] = static_cast<float>(index[t]);
  target.setFrequency(frequency);
  if (target.writeSeries(name, ConstSeriesSpan(stored.data(), MaxObs), 'y', -1) < 0) {
    console().printf("\r\nError in chain function: %s could not be stored in %s.\r\n", name,
                     target.dataFileName().c_str());
  }
}

EvalResult chainFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                         DataBank& bank, DataBank* scratch, bool quantities) {
  const char* function = quantities ? "qchain" : "pchain";
  ChainList list;
  if (!readChainList(context, reader, function, list)) return failed();
  const std::size_t count = list.names.size();
  if (count == 0) {
    console().write("Error in @chain function: no series are listed.\r\n");
    return failed();
  }
  if (count % 2 != 0) {
    console().printf("Error in @chain function: Odd number of series: %d.\r\n",
                     static_cast<int>(count));
    return failed();
  }
  const std::size_t m = count / 2;

  // The range: T periods from its first date, which is observation s of the bank's
  // series; the base date is period b of the range.
  const ChainRange range = chainRange();
  const VexDate& first = range.first;
  const int16_t frequency = first.frequency;
  if (frequency != 1 && frequency != 4 && frequency != 12) {
    console().write(
        "Error in @chain function: no chain range is set; give one with \\chainrange first "
        "last.\r\n");
    return failed();
  }
  const long T = range.last.frequency == frequency
                     ? (static_cast<long>(range.last.year) - first.year) * frequency +
                           range.last.period - first.period + 1
                     : 0;
  const long basePeriod = bank.kind() == 'w' && bank.startPeriod() >= 1 ? bank.startPeriod() : 1;
  const long s = (static_cast<long>(first.year) - static_cast<long>(bank.baseYear())) * frequency +
                 first.period - basePeriod;
  const long n = context.evalLength();
  if (T < 1 || s < 0 || s + T > n) {
    console().write(
        "Error in @chain function: the chain range lies outside the series' observations.\r\n");
    return failed();
  }
  long b = 0;
  if (list.hasBase) {
    const VexDate& base = list.base;
    b = base.frequency == frequency
            ? (static_cast<long>(base.year) - first.year) * frequency + base.period - first.period
            : -1;
    if (b < 0 || b >= T) {
      console().printf("Error in @chain function: the base date %s lies outside the chain range.\r\n",
                       list.baseText.c_str());
      return failed();
    }
  }

  // Q[r][t] and P[r][t] for r < m, t < T, then the two indexes.
  const std::size_t span = static_cast<std::size_t>(T);
  DoubleArray memory(static_cast<double*>(std::malloc(sizeof(double) * span * (2 * m + 2))));
  if (!memory) {
    console().write("Error allocating memory in chain function\r\n");
    return failed();
  }
  double* Q = memory.get();
  double* P = Q + m * span;
  double* QI = P + m * span;
  double* PI = QI + span;

  WorkArray series(context);
  for (std::size_t r = 0; r < count; ++r) {
    const std::string& name = list.names[r];
    const EvalResult found = fetchSeries(context, name, series.span(), bank, scratch);
    if (found.failed()) {
      console().write(kChainError);
      return failed();
    }
    if (found.frequency != frequency) {
      console().printf(
          "Error in @chain function: %s has frequency %d, the chain range frequency %d.\r\n",
          name.c_str(), found.frequency, frequency);
      return failed();
    }
    double* into = (r < m ? Q + r * span : P + (r - m) * span);
    for (long t = 0; t < T; ++t) into[t] = series[static_cast<int>(s + t)];
  }

  QI[0] = 1.0;
  PI[0] = 1.0;
  for (long t = 1; t < T; ++t) {
    double A = 0.0;  // previous prices, current quantities
    double H = 0.0;  // previous prices, previous quantities
    double I = 0.0;  // current prices, previous quantities
    double F = 0.0;  // current prices, current quantities
    for (std::size_t r = 0; r < m; ++r) {
      const double* q = Q + r * span;
      const double* p = P + r * span;
      A += p[t - 1] * q[t];
      H += p[t - 1] * q[t - 1];
      I += p[t] * q[t - 1];
      F += p[t] * q[t];
    }
    // A zero value sum leaves the link undefined, and a negative product has no root.
    const double quantityLink = (H != 0.0 && I != 0.0) ? (A / H) * (F / I) : -1.0;
    const double priceLink = (H != 0.0 && A != 0.0) ? (I / H) * (F / A) : -1.0;
    if (!(quantityLink >= 0.0) || !(priceLink >= 0.0) || !std::isfinite(quantityLink) ||
        !std::isfinite(priceLink)) {
      console().printf(
          "Error in @chain function: no Fisher link from %s to %s (a value sum is zero or a "
          "link is negative).\r\n",
          label(dateAfter(first, t - 1)).c_str(), label(dateAfter(first, t)).c_str());
      return failed();
    }
    QI[t] = QI[t - 1] * std::sqrt(quantityLink);
    PI[t] = PI[t - 1] * std::sqrt(priceLink);
  }

  if (std::fabs(PI[b]) < kZeroIndex) {
    console().write("Error, price is zero in base year!\r\n");
    console().write(kChainError);
    return failed();
  }
  const double priceBase = PI[b];
  for (long t = 0; t < T; ++t) PI[t] /= priceBase;
  if (std::fabs(QI[b]) < kZeroIndex) {
    console().write("Error, quantity is zero in base year!\r\n");
    console().write(kChainError);
    return failed();
  }
  double baseQuantity = 0.0;
  for (std::size_t r = 0; r < m; ++r) baseQuantity += Q[r * span + static_cast<std::size_t>(b)];
  const double scale = baseQuantity / QI[b];
  for (long t = 0; t < T; ++t) QI[t] *= scale;

  // The scratch bank this alternative's definitions live in, made now when no \f has.
  VexBank* target = scratch != nullptr ? dynamic_cast<VexBank*>(scratch) : nullptr;
  if (target == nullptr && context.scratchMaker() != nullptr) {
    target = context.scratchMaker()->scratchBankFor(bank);
  }
  if (target != nullptr) {
    storeIndex(context, *target, "chwqi", QI, s, T, frequency);
    storeIndex(context, *target, "chwpi", PI, s, T, frequency);
  }

  std::fill(operand.begin(), operand.end(), 0.0f);
  const double* index = quantities ? QI : PI;
  for (long t = 0; t < T; ++t) operand[static_cast<std::size_t>(s + t)] = static_cast<float>(index[t]);
  return {0, frequency};
}

}  // namespace

EvalResult qchainFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                          DataBank& bank, DataBank* scratch) {
  return chainFunction(context, reader, operand, bank, scratch, true);
}

EvalResult pchainFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                          DataBank& bank, DataBank* scratch) {
  return chainFunction(context, reader, operand, bank, scratch, false);
}

}  // namespace tabrix
