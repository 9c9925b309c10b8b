#include "expr/functions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "expr/function_support.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "support/text.h"

namespace tabrix {

namespace function_support {

bool nextIs(Chopper& reader, int type) { return reader.nextToken() == type; }

bool readArgument(EvalContext& context, Chopper& reader, SeriesSpan into, DataBank& bank,
                  DataBank* scratch, int ending, int16_t& frequency) {
  const EvalResult evaluated = evaluate(context, reader, into, bank, scratch);
  frequency = evaluated.frequency;
  return evaluated.status == ending;
}

bool nonZeroSpan(const float* values, int count, int& first, int& last) {
  first = 0;
  while (first < count && values[first] == 0.0f) ++first;
  if (first == count) return false;
  last = count - 1;
  while (values[last] == 0.0f) --last;
  return true;
}

}  // namespace function_support

using namespace function_support;

namespace {

// The library's functions, in lookup order.
constexpr std::array kFunctions{
    FunctionEntry{"bmk", bmkFunction},
    FunctionEntry{"cum", cumFunction},
    FunctionEntry{"csum", csumFunction},
    FunctionEntry{"exp", expFunction},
    FunctionEntry{"log", logFunction},
    FunctionEntry{"sin", sinFunction},
    FunctionEntry{"fabs", fabsFunction},
    FunctionEntry{"sq", sqFunction},
    FunctionEntry{"sum", sumFunction},
    FunctionEntry{"pos", posFunction},
    FunctionEntry{"pow", powFunction},
    FunctionEntry{"peak", peakFunction},
    FunctionEntry{"atoq", atoqFunction},
    FunctionEntry{"atoqi", atoqiFunction},
    FunctionEntry{"qtom", qtomFunction},
    FunctionEntry{"qtos", qtosFunction},
    FunctionEntry{"atoqe", atoqeFunction},
    FunctionEntry{"qtome", qtomeFunction},
    FunctionEntry{"qtoa", qtoaFunction},
    FunctionEntry{"mtoq", mtoqFunction},
    FunctionEntry{"qtoae", qtoaeFunction},
    FunctionEntry{"mtoqe", mtoqeFunction},
    FunctionEntry{"rand", randFunction},
    FunctionEntry{"stoq", stoqFunction},
    FunctionEntry{"lint", lintFunction},
    FunctionEntry{"interp", interpFunction},
    FunctionEntry{"ifpos", ifposFunction},
    FunctionEntry{"qchain", qchainFunction},
    FunctionEntry{"pchain", pchainFunction},
};

// A function of one series argument applied to each of the first evalLength()
// observations, in single precision: "(" x ")" and the argument's frequency.
template <typename Transform>
EvalResult elementWise(EvalContext& context, Chopper& reader, SeriesSpan operand,
                       DataBank& bank, DataBank* scratch, const char* message,
                       Transform transform) {
  int16_t frequency = 0;
  if (!nextIs(reader, '(') ||
      !readArgument(context, reader, operand, bank, scratch, ')', frequency)) {
    console().write(message);
    return failed();
  }
  const int n = context.evalLength();
  for (int i = 0; i < n; ++i) operand[i] = transform(operand[i]);
  return {0, frequency};
}

}  // namespace

std::span<const FunctionEntry> functionTable() { return kFunctions; }

EvalResult callFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  if (reader.nextToken() != token::kWord) {
    console().write("@ must be followed by function name");
    return failed();
  }
  const std::string& name = reader.tokenText();
  for (const FunctionEntry& entry : functionTable()) {
    if (entry.name == name) return entry.body(context, reader, operand, bank, scratch);
  }
  console().printf(" %s is not a recognized function", name.c_str());
  return failed();
}

// --- Element-wise functions -------------------------------------------------------

EvalResult expFunction(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                       DataBank* scratch) {
  return elementWise(context, reader, operand, bank, scratch, "\n error in @exp function \n",
                     [](float x) { return std::exp(x); });
}

EvalResult logFunction(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                       DataBank* scratch) {
  return elementWise(context, reader, operand, bank, scratch, "\n error in @log function \n",
                     [](float x) { return x > 0.0f ? std::log(x) : 0.0f; });
}

EvalResult sinFunction(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                       DataBank* scratch) {
  return elementWise(context, reader, operand, bank, scratch, "\n error in @sin function \n",
                     [](float x) { return std::sin(x); });
}

EvalResult fabsFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  return elementWise(context, reader, operand, bank, scratch, "\n error in @abs function \n",
                     [](float x) { return std::fabs(x); });
}

EvalResult sqFunction(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                      DataBank* scratch) {
  return elementWise(context, reader, operand, bank, scratch, "\n error in @sq function \n",
                     [](float x) { return x * x; });
}

EvalResult posFunction(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                       DataBank* scratch) {
  return elementWise(context, reader, operand, bank, scratch, "\n error in @pos function \n",
                     [](float x) { return x >= 0.0f ? x : 0.0f; });
}

EvalResult ifposFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                         DataBank& bank, DataBank* scratch) {
  return elementWise(context, reader, operand, bank, scratch, "\n error in @ifpos function \n",
                     [](float x) { return x > 0.0f ? 1.0f : 0.0f; });
}

// @pow(x, number): the power is one number token.
EvalResult powFunction(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                       DataBank* scratch) {
  static constexpr char kMessage[] = "\n error in @pow function \n";
  int16_t frequency = 0;
  if (!nextIs(reader, '(') ||
      !readArgument(context, reader, operand, bank, scratch, ',', frequency) ||
      !nextIs(reader, token::kNumber)) {
    console().write(kMessage);
    return failed();
  }
  const float power = static_cast<float>(reader.tokenNumber());
  if (!nextIs(reader, ')')) {
    console().write(kMessage);
    return failed();
  }
  const int n = context.evalLength();
  for (int i = 0; i < n; ++i) operand[i] = std::pow(operand[i], power);
  return {0, frequency};
}

// --- Cumulation -------------------------------------------------------------------

namespace {

// Reads "(" output-name "," input ",": the start shared by @cum and @peak. The output
// name is read and not used.
bool readNameAndInput(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                      DataBank* scratch, int16_t& frequency) {
  return nextIs(reader, '(') && nextIs(reader, token::kWord) && nextIs(reader, ',') &&
         readArgument(context, reader, operand, bank, scratch, ',', frequency);
}

}  // namespace

// @cum(name, input, spill): y[0] = x[0]; y[i] = (1 - s[i]) y[i-1] + x[i].
EvalResult cumFunction(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                       DataBank* scratch) {
  static constexpr char kMessage[] = "syntax error in @cum(output,input,spill)";
  int16_t inputFrequency = 0;
  int16_t spillFrequency = 0;
  WorkArray spill(context);
  if (!readNameAndInput(context, reader, operand, bank, scratch, inputFrequency) ||
      !readArgument(context, reader, spill.span(), bank, scratch, ')', spillFrequency)) {
    console().write(kMessage);
    return failed();
  }
  const int n = context.evalLength();
  for (int i = 1; i < n; ++i) operand[i] = (1.0f - spill[i]) * operand[i - 1] + operand[i];
  return {0, resultFrequency(inputFrequency, spillFrequency)};
}

// @peak(name, input, number): y[0] = x[0]; y[i] = max(x[i], (1 - number) y[i-1]).
EvalResult peakFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  static constexpr char kMessage[] = "syntax error in @peak(output,input,spill)";
  int16_t frequency = 0;
  if (!readNameAndInput(context, reader, operand, bank, scratch, frequency) ||
      !nextIs(reader, token::kNumber)) {
    console().write(kMessage);
    return failed();
  }
  const float keep = 1.0f - static_cast<float>(reader.tokenNumber());
  if (!nextIs(reader, ')')) {
    console().write(kMessage);
    return failed();
  }
  const int n = context.evalLength();
  for (int i = 1; i < n; ++i) operand[i] = std::max(operand[i], keep * operand[i - 1]);
  return {0, frequency};
}

// --- Others -----------------------------------------------------------------------

// @rand(): r / 65536 with r from 0 to 32767, a new draw for every observation.
EvalResult randFunction(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank&,
                        DataBank*) {
  if (!nextIs(reader, '(') || !nextIs(reader, ')')) {
    console().write("error in @rand\n");
    return failed();
  }
  const int n = context.evalLength();
  for (int i = 0; i < n; ++i) operand[i] = static_cast<float>(context.nextRandom()) / 65536.0f;
  return {0, 0};
}

// @lint(x): every run of missing observations between two known values is filled on a
// straight line. Runs at the start (after leading zeros) or at the end stay missing.
EvalResult lintFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  int16_t frequency = 0;
  if (!nextIs(reader, '(') ||
      !readArgument(context, reader, operand, bank, scratch, ')', frequency)) {
    console().write("\nError in @lshort  function\n");
    return failed();
  }
  const int n = context.evalLength();
  float* values = operand.data();
  int position = 0;
  while (position < n && values[position] == 0.0f) ++position;
  // A run right after the leading zeros has no known value before it.
  bool openRun = position < n && isMissing(values[position]);
  while (position < n && isMissing(values[position])) ++position;
  while (position < n) {
    const int next = fillGap(values, position, n);
    if (next <= position) break;
    position = next;
  }
  if (n > 0 && isMissing(values[n - 1])) openRun = true;
  if (openRun) {
    console().write("\n@lint: a run of missing values at the start or end stays missing.\n");
  }
  return {0, frequency};
}

}  // namespace tabrix
