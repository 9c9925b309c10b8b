// What the function library needs from the layers above it, as two small interfaces
// the run implements and hands to the evaluator's context (EvalContext): the reader of
// group definitions (for @csum and the chain functions, whose lists name groups) and
// the maker of the scratch banks (where the chain functions store their indexes).
// The expression layer sits below the group store and the stub, so it sees them only
// through these.
#pragma once

#include <cstdint>
#include <span>

namespace tabrix {

class Chopper;
class DataBank;
class VexBank;

// Reads a group definition from the stub reader: numbers, ranges a-b, parentheses that
// exclude what they hold, ':' references to named groups, ended by a line end not after
// ',' or by a ')' that closes no '(' (that ')' is read too). The first number n fixes
// `offset` = n - 1 and member m is marked 1 at index m - offset, for indexes 1 .. limit
// - 1 (limit at most marks.size()); the other marks up to the limit are 0. Returns the
// count of non-zero marks. Errors print their own message and end the definition; the
// marks set so far stay. reader.tokenType() then tells how the definition ended.
class GroupDefinitionReader {
 public:
  virtual ~GroupDefinitionReader() = default;
  virtual int parseGroup(Chopper& reader, int limit, std::span<int16_t> marks, int& offset) = 0;
};

// The scratch bank of the alternative whose bank is `bank`, making the scratch banks of
// every alternative first (the way the first \f does) when none exist yet. nullptr when
// `bank` belongs to no alternative or no scratch bank can be had.
class ScratchBankMaker {
 public:
  virtual ~ScratchBankMaker() = default;
  virtual VexBank* scratchBankFor(const DataBank& bank) = 0;
};

}  // namespace tabrix
