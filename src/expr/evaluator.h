// The expression evaluator: computes an expression over series for one alternative.
// It reads the expression token by token from the stub reader, starting where the
// caller left it, fetches the series it names from the alternative's bank (or first
// from the alternative's scratch bank of \f definitions, once that exists) and leaves
// the result, observation by observation, in the caller's array. Table lines and \f
// call it once per alternative; the @ functions call it recursively for their
// arguments.
//
// Grammar: an optional sign, terms joined by '+' or '-'; a term is factors joined by
// '*' or '/' (both levels associate to the left); a factor is a series name with an
// optional suffix [lag] or {date}, a number, "(" expression ")" or "@" function. A
// line that ends right after an operator (or before the first token) continues on the
// next line. Arithmetic is single precision, element by element; a division keeps the
// dividend wherever the divisor is exactly 0.0. Every operand with a frequency must
// have the same one.
//
// evalLength and foundIn are process-wide, shared with the function library. The
// work arrays of each nesting level are kept between calls and reused.
#pragma once

#include <cstdint>
#include <string_view>

#include "banks/data_bank.h"
#include "support/constants.h"

namespace tabrix {

class Chopper;

// Codes of evaluate besides -1: the token that ended the expression.
constexpr int16_t EndedByLineEnd = 'f';  // an end of line after an operand
constexpr int16_t EndedByParen = ')';    // the end of a parenthesis or last argument
constexpr int16_t EndedByComma = ',';    // a function argument
constexpr int16_t EndedBySemicolon = ';';
constexpr int16_t EndedByEquals = '=';

// Evaluates the expression the reader stands at into result (all MaxObs slots are set
// to 0.0 first; the first evalLength() hold the result). bank is the alternative's
// bank; scratch its scratch bank, nullptr until the first \f made them. Returns the
// ending code above, or -1 after printing a message; the reader then stands where the
// error was found (after a missing ')' the rest of the statement has been skipped).
// On every code but -1, bank.frequency() is the result's frequency (0 when the
// expression holds no series).
int16_t evaluate(Chopper& reader, SeriesSpan result, DataBank& bank, DataBank* scratch);

// Fetches series `name` into array (scratch bank first, then the bank) and applies the
// suffix that follows it in the reader. 0, or -1 after "%s can't be found \r\n" or a
// suffix message. foundIn() becomes the bank that held the series.
int16_t lookupSeries(Chopper& reader, std::string_view name, SeriesSpan array, DataBank& bank,
                     DataBank* scratch);

// Reads an optional suffix after a series name: [lag] shifts the series lag periods
// later (0.0 in the first lag slots), {date} makes every slot the series' value at
// that date. Anything else is pushed back. Sets evalLength() to the bank's
// observations. 0, or -1 after "Missing bracket. ", "Date must be a number. \n" or
// "Missing right brace. \n".
int16_t applySuffix(Chopper& reader, SeriesSpan array, DataBank& bank);

// The number of observations every operation processes (the bank's observations,
// at most MaxObs); persists between calls.
int16_t evalLength();
void setEvalLength(int16_t length);

// The bank in which the last series name was found (nullptr before any). Not owned;
// valid while that bank lives.
DataBank* foundIn();

// A work array of MaxObs floats on loan from the evaluator's pool, all 0.0 when the
// loan starts; it goes back to the pool when the loan ends. For the function library's
// second series, so that no call allocates once the pool has grown.
class WorkArray {
 public:
  WorkArray();
  ~WorkArray();
  WorkArray(const WorkArray&) = delete;
  WorkArray& operator=(const WorkArray&) = delete;

  float* data() { return data_; }                        // the MaxObs floats
  SeriesSpan span() { return SeriesSpan(data_, MaxObs); }  // the same as a span
  float& operator[](int i) { return data_[i]; }

 private:
  float* data_;
};

}  // namespace tabrix
