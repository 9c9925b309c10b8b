#include "expr/functions.h"

#include <array>
#include <string>

#include "platform/console.h"
#include "reader/chopper.h"

namespace tabrix {

namespace {

// The library's functions, in lookup order. The function library fills this in.
constexpr std::array<FunctionEntry, 0> kFunctions{};

}  // namespace

std::span<const FunctionEntry> functionTable() { return kFunctions; }

EvalResult callFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  if (reader.nextToken() != token::kWord) {
    console().write("@ must be followed by function name");
    return {-1, 0};
  }
  const std::string& name = reader.tokenText();
  for (const FunctionEntry& entry : functionTable()) {
    if (entry.name == name) return entry.body(context, reader, operand, bank, scratch);
  }
  console().printf(" %s is not a recognized function", name.c_str());
  return {-1, 0};
}

}  // namespace tabrix
