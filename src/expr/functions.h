// The @ function library's entry point. An expression names a function with '@',
// the function's name and its arguments in parentheses; the evaluator hands the call
// here with the operand array that is to receive the result. Each function reads its
// own arguments from the stub reader, evaluating series arguments with evaluate()
// (expr/evaluator.h), which must end with ',' (more follow) or ')' (the last).
//
// The library's functions are listed in one table (functions.cc), searched in order
// by exact, case-sensitive name. They work on the first evalLength() observations;
// the frequency conversions give their result its new frequency, the others keep
// their argument's. The bodies are spread over a few files by family (see
// expr/function_support.h); @sum and the chain functions take their dates from the
// ranges of expr/ranges.h.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "banks/data_bank.h"
#include "expr/evaluator.h"

namespace tabrix {

class Chopper;

// One function of the library: reads its arguments (the reader stands after the
// name) and leaves its result in the first evalLength() slots of operand. Status 0 on
// success with the result's frequency (the frequency conversions set their own, the
// others pass on their argument's), else a non-zero status after printing its own
// message.
using FunctionBody = EvalResult (*)(EvalContext& context, Chopper& reader, SeriesSpan operand,
                                    DataBank& bank, DataBank* scratch);

// A name and the function it calls.
struct FunctionEntry {
  std::string_view name;  // matched exactly, case-sensitive
  FunctionBody body;      // the function
};

// The library's table, in lookup order.
std::span<const FunctionEntry> functionTable();

// Reads the function name after '@' and calls the function. Returns its status, or -1
// after "@ must be followed by function name" when the next token is not a word, or
// after " %s is not a recognized function" when no function has that name.
[[nodiscard]] EvalResult callFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                                      DataBank& bank, DataBank* scratch);

}  // namespace tabrix
