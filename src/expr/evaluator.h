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
// What an evaluation works with lives in an EvalContext that the run owns and passes
// in: the work arrays of each nesting level (kept between calls and reused), the
// number of observations in use (evalLength) and the bank where the last series was
// found (foundIn), the state of @rand's generator, and the run's group-definition reader
// and scratch-bank maker (expr/function_hooks.h) when the run provides them. The
// result's frequency comes back with the status.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "banks/data_bank.h"
#include "expr/function_hooks.h"
#include "support/constants.h"

namespace tabrix {

class Chopper;

// Codes of evaluate besides -1: the token that ended the expression.
constexpr int16_t EndedByLineEnd = 'f';  // an end of line after an operand
constexpr int16_t EndedByParen = ')';    // the end of a parenthesis or last argument
constexpr int16_t EndedByComma = ',';    // a function argument
constexpr int16_t EndedBySemicolon = ';';
constexpr int16_t EndedByEquals = '=';

// What an evaluation (or a function, or a series look-up) hands back.
struct EvalResult {
  int16_t status = 0;     // the ending code above (0 for look-ups and functions), or -1
  int16_t frequency = 0;  // the result's frequency (1, 4, 12); 0 when it has none
  bool failed() const { return status == -1; }
};

// The evaluator's working state for one run: evalLength, foundIn and the pools of work
// arrays. One context serves every alternative and every nesting level; it is not
// shared between threads.
class EvalContext {
 public:
  EvalContext();
  ~EvalContext();
  EvalContext(const EvalContext&) = delete;
  EvalContext& operator=(const EvalContext&) = delete;

  // The number of observations every operation processes (the bank's observations, at
  // most MaxObs); persists between calls.
  int16_t evalLength() const { return evalLength_; }
  void setEvalLength(int16_t length);

  // The bank in which the last series name was found (nullptr before any). Not owned;
  // valid while that bank lives.
  DataBank* foundIn() const { return foundIn_; }

  void setFoundIn(DataBank* bank) { foundIn_ = bank; }

  // The next value 0 .. 32767 of @rand's generator. It is never seeded, so every run
  // draws the same sequence.
  int nextRandom();

  // The run's reader of group definitions (@csum, the chain functions) and maker of
  // scratch banks (the chain functions' stored indexes); nullptr when the run provides
  // none. Not owned; the run keeps them alive while it evaluates.
  GroupDefinitionReader* groupReader() const { return groupReader_; }
  void setGroupReader(GroupDefinitionReader* reader) { groupReader_ = reader; }
  ScratchBankMaker* scratchMaker() const { return scratchMaker_; }
  void setScratchMaker(ScratchBankMaker* maker) { scratchMaker_ = maker; }

  // For the evaluator itself: the arrays of the next nesting level, taken for the
  // length of one evaluate call (leaveFrame gives them back), and MaxObs-float arrays
  // lent out to WorkArray.
  struct Frame;
  Frame& enterFrame();
  void leaveFrame();
  float* borrowArray();
  void returnArray(float* array);

 private:
  struct Pools;

  int16_t evalLength_ = 0;
  DataBank* foundIn_ = nullptr;
  uint32_t randomState_ = 1;      // the generator's state
  GroupDefinitionReader* groupReader_ = nullptr;  // the run's, or none
  ScratchBankMaker* scratchMaker_ = nullptr;      // the run's, or none
  std::unique_ptr<Pools> pools_;  // the frames of the nesting levels and the spare arrays
};

// How far the result of an evaluation holds data, for callers that read it slot by
// slot: slots 0 .. used - 1 of the result hold their values; every slot from used up
// to length (the bank's observations, at most MaxObs) stands for tail, and every slot
// from length on for 0.0; none from used on is written.
struct EvalExtent {
  int used = MaxObs;
  float tail = 0.0f;
  int length = MaxObs;

  // The value of result slot i (0 <= i < MaxObs).
  float at(const float* result, int i) const { return i < used ? result[i] : i < length ? tail : 0.0f; }
};

// Evaluates the expression the reader stands at into result (all MaxObs slots are
// written: the first evalLength() hold the result, the rest 0.0). bank is the alternative's
// bank; scratch its scratch bank, nullptr until the first \f made them. The status is
// the ending code above, or -1 after printing a message; the reader then stands where
// the error was found (after a missing ')' the rest of the statement has been
// skipped). On success the frequency is the result's (0 when no series was involved).
[[nodiscard]] EvalResult evaluate(EvalContext& context, Chopper& reader, SeriesSpan result,
                                  DataBank& bank, DataBank* scratch);
// The same, writing only the slots of the result that hold data (the observations in
// use: the longest series involved, or every slot once a parenthesis, a function or a
// bank other than a compressed, hashed or workspace one took part) and telling in
// `extent` how to read it. Messages, status and frequency are as above.
[[nodiscard]] EvalResult evaluate(EvalContext& context, Chopper& reader, SeriesSpan result,
                                  DataBank& bank, DataBank* scratch, EvalExtent& extent);

// Fetches series `name` into array (scratch bank first, then the bank) and applies the
// suffix that follows it in the reader. Status 0 with the series' frequency, or -1
// after "%s can't be found \r\n" or a suffix message. foundIn() becomes the bank that
// held the series.
[[nodiscard]] EvalResult lookupSeries(EvalContext& context, Chopper& reader,
                                      std::string_view name, SeriesSpan array, DataBank& bank,
                                      DataBank* scratch);

// Fetches series `name` into array like lookupSeries, without reading a suffix: for
// the functions that collect names first and fetch the series afterwards.
[[nodiscard]] EvalResult fetchSeries(EvalContext& context, std::string_view name,
                                     SeriesSpan array, DataBank& bank, DataBank* scratch);

// Reads an optional suffix after a series name: [lag] shifts the series lag periods
// later (0.0 in the first lag slots), {date} makes every slot the series' value at
// that date (frequency is the series' own). Anything else is pushed back. Sets
// evalLength() to the bank's observations. 0, or -1 after "Missing bracket. ", "Date
// must be a number. \n" or "Missing right brace. \n".
[[nodiscard]] int16_t applySuffix(EvalContext& context, Chopper& reader, SeriesSpan array,
                                  DataBank& bank, int16_t frequency);

// A work array of MaxObs floats on loan from the context's pool, all 0.0 when the loan
// starts; it goes back to the pool when the loan ends. For the function library's
// second series, so that no call allocates once the pool has grown.
class WorkArray {
 public:
  explicit WorkArray(EvalContext& context);
  ~WorkArray();
  WorkArray(const WorkArray&) = delete;
  WorkArray& operator=(const WorkArray&) = delete;

  float* data() { return data_; }                        // the MaxObs floats
  SeriesSpan span() { return SeriesSpan(data_, MaxObs); }  // the same as a span
  float& operator[](int i) { return data_[i]; }

 private:
  EvalContext& context_;
  float* data_;
};

}  // namespace tabrix
