// Conversions to a lower frequency: groups of k observations, counted from observation
// 0, become one, by their average or by the group's last value.
#include <algorithm>

#include "expr/function_support.h"
#include "platform/console.h"
#include "reader/chopper.h"

namespace tabrix {

using namespace function_support;

namespace {

enum class Group { Average, Last };

// "(" x ")" with x converted in place: W whole groups of k among the observations up
// to the last one that is not exactly 0.0; the slots after them become 0.0.
EvalResult convertDown(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                       DataBank* scratch, int k, Group form, int16_t frequency) {
  int16_t ignored = 0;
  if (!nextIs(reader, '(') ||
      !readArgument(context, reader, operand, bank, scratch, ')', ignored)) {
    console().write("syntax error in conversion function");
    return failed();
  }
  int first = 0;
  int last = -1;
  if (!nonZeroSpan(operand.data(), context.evalLength(), first, last)) return {0, frequency};
  const int count = last + 1;
  const int groups = count / k;
  // y[j] reads x[jk ..], never behind j, so the conversion can run in place.
  for (int j = 0; j < groups; ++j) {
    const float* x = operand.data() + j * k;
    if (form == Group::Last) {
      operand[static_cast<size_t>(j)] = x[k - 1];
    } else {
      float sum = 0.0f;
      for (int m = 0; m < k; ++m) sum += x[m];
      operand[static_cast<size_t>(j)] = sum / static_cast<float>(k);
    }
  }
  std::fill(operand.begin() + groups, operand.begin() + count, 0.0f);
  return {0, frequency};
}

}  // namespace

EvalResult qtosFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  return convertDown(context, reader, operand, bank, scratch, 2, Group::Average, 2);
}

EvalResult qtoaFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  return convertDown(context, reader, operand, bank, scratch, 4, Group::Average, 1);
}

EvalResult mtoqFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  return convertDown(context, reader, operand, bank, scratch, 3, Group::Average, 4);
}

EvalResult qtoaeFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                         DataBank& bank, DataBank* scratch) {
  return convertDown(context, reader, operand, bank, scratch, 4, Group::Last, 1);
}

EvalResult mtoqeFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                         DataBank& bank, DataBank* scratch) {
  return convertDown(context, reader, operand, bank, scratch, 3, Group::Last, 4);
}

}  // namespace tabrix
