// @csum(stem, group): the sum of the series stem1, stem2, ... over the members of a
// group definition, and the reading of group definitions that @csum and the chain
// functions share.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "expr/function_support.h"
#include "platform/console.h"
#include "reader/chopper.h"

namespace tabrix {

namespace function_support {

bool readGroupNames(EvalContext& context, Chopper& reader, const char* function,
                    std::string_view stem, std::vector<std::string>& names) {
  GroupDefinitionReader* groups = context.groupReader();
  if (groups == nullptr) {
    console().printf("\n@%s: no group store is available to read the group.\n", function);
    return false;
  }
  std::array<int16_t, GroupFunctionLimit> marks{};
  int offset = 0;
  (void)groups->parseGroup(reader, GroupFunctionLimit, marks, offset);
  for (int k = 1; k < GroupFunctionLimit; ++k) {
    if (marks[static_cast<std::size_t>(k)] != 1) continue;
    std::string name(stem);
    name += std::to_string(static_cast<long>(k) + offset);
    names.push_back(std::move(name));
  }
  return true;
}

}  // namespace function_support

using namespace function_support;

// "(" stem "," group-definition: the definition ends with the call's ')'. Each member's
// series is fetched (a missing one prints "%s can't be found \r\n" and is left out) and
// added in single precision. The members' frequency is the result's; a suffix after
// the ')' applies to the sum.
EvalResult csumFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  static constexpr char kMessage[] = "Syntax error in @csum(name,groupdefn)\n";
  if (!nextIs(reader, '(') || !nextIs(reader, token::kWord)) {
    console().write(kMessage);
    return failed();
  }
  const std::string stem = reader.tokenText();
  if (!nextIs(reader, ',')) {
    console().write(kMessage);
    return failed();
  }
  std::vector<std::string> names;
  if (!readGroupNames(context, reader, "csum", stem, names)) return failed();
  if (reader.tokenType() != ')') {
    console().write(kMessage);
    return failed();
  }

  std::fill(operand.begin(), operand.end(), 0.0f);
  const int n = context.evalLength();
  WorkArray member(context);
  int16_t frequency = 0;
  for (const std::string& name : names) {
    const EvalResult found = fetchSeries(context, name, member.span(), bank, scratch);
    if (found.failed()) continue;
    if (frequency == 0) {
      frequency = found.frequency;
    } else if (found.frequency != 0 && found.frequency != frequency) {
      console().write("\nFrequency conflict in expression.\n");
      return failed();
    }
    for (int i = 0; i < n; ++i) operand[static_cast<std::size_t>(i)] += member[i];
  }
  // With no member found the sum is all 0.0; its suffix is still read (as annual, so that
  // a date constant needs no frequency of its own).
  if (applySuffix(context, reader, operand, bank, frequency != 0 ? frequency : int16_t{1}) != 0) {
    return failed();
  }
  return {0, frequency};
}

}  // namespace tabrix
