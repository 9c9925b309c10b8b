// What the files of the function library share: reading a function's arguments from
// the stub reader, and the bodies of the functions, one declaration per table entry.
// Each family lives in its own file: functions.cc (the table, the element-wise
// functions, @cum, @peak, @rand, @lint), ranges.cc (@sum and the two ranges),
// conversions.cc (lower frequencies), interpolation.cc (higher frequencies, @atoqi),
// benchmark.cc (@bmk), interp_table.cc (@interp and its table file), group_sum.cc
// (@csum and the reading of group definitions), chain_index.cc (@qchain, @pchain).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "banks/data_bank.h"
#include "expr/evaluator.h"
#include "support/constants.h"

namespace tabrix {

class Chopper;

namespace function_support {

// The failure every function returns after printing its message.
inline EvalResult failed() { return {-1, 0}; }

// Reads one token and tells whether it has the type (a punctuation character, or a
// token:: type).
bool nextIs(Chopper& reader, int type);

// Evaluates one series argument into `into` (all MaxObs slots are overwritten). True
// when the expression ended with `ending` (',' or ')'); frequency receives the
// argument's frequency. A failed evaluation has printed its own message.
bool readArgument(EvalContext& context, Chopper& reader, SeriesSpan into, DataBank& bank,
                  DataBank* scratch, int ending, int16_t& frequency);

// The first and last index below `count` whose value is not exactly 0.0; false when
// there is none.
bool nonZeroSpan(const float* values, int count, int& first, int& last);

// A function's result frequency from two series arguments: the last one's, or the
// other's when the last has none (a number).
inline int16_t resultFrequency(int16_t last, int16_t other) { return last != 0 ? last : other; }

// Marks a group definition of @csum or the chain functions is read with: member
// indexes 1 .. 500 above the definition's offset.
constexpr int GroupFunctionLimit = 501;

// Reads a group definition with the run's reader (context.groupReader()) and appends
// stem + (k + offset) for every k from 1 to 500 marked 1, in ascending order. False
// after a message naming `function` when the run has no group reader. The caller
// checks reader.tokenType() for the token that ended the definition.
bool readGroupNames(EvalContext& context, Chopper& reader, const char* function,
                    std::string_view stem, std::vector<std::string>& names);

}  // namespace function_support

// The bodies of the library's functions, by family (see functionTable()).
using FunctionSignature = EvalResult(EvalContext& context, Chopper& reader, SeriesSpan operand,
                                     DataBank& bank, DataBank* scratch);

// functions.cc
FunctionSignature cumFunction;
FunctionSignature expFunction;
FunctionSignature logFunction;
FunctionSignature sinFunction;
FunctionSignature fabsFunction;
FunctionSignature sqFunction;
FunctionSignature posFunction;
FunctionSignature powFunction;
FunctionSignature peakFunction;
FunctionSignature randFunction;
FunctionSignature lintFunction;
FunctionSignature ifposFunction;
// ranges.cc
FunctionSignature sumFunction;
// conversions.cc
FunctionSignature qtosFunction;
FunctionSignature qtoaFunction;
FunctionSignature mtoqFunction;
FunctionSignature qtoaeFunction;
FunctionSignature mtoqeFunction;
// interpolation.cc
FunctionSignature atoqFunction;
FunctionSignature atoqiFunction;
FunctionSignature qtomFunction;
FunctionSignature atoqeFunction;
FunctionSignature qtomeFunction;
FunctionSignature stoqFunction;
// benchmark.cc
FunctionSignature bmkFunction;
// interp_table.cc
FunctionSignature interpFunction;
// group_sum.cc
FunctionSignature csumFunction;
// chain_index.cc
FunctionSignature qchainFunction;
FunctionSignature pchainFunction;

}  // namespace tabrix
