#include "expr/evaluator.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "dates/vex_date.h"
#include "expr/functions.h"
#include "platform/console.h"
#include "platform/keys.h"
#include "platform/process.h"
#include "reader/chopper.h"

namespace tabrix {

namespace {

constexpr char kBadSyntax[] = "\nBad syntax in expression.\n";
constexpr char kFrequencyConflict[] = "\nFrequency conflict in expression.\n";
constexpr char kMissingParen[] = "error: missing )";
constexpr char kUnrecognized[] = "\nUnrecognized element in expression\n";
constexpr char kMissingBracket[] = "Missing bracket. ";
constexpr char kDateNotNumber[] = "Date must be a number. \n";
constexpr char kMissingBrace[] = "Missing right brace. \n";

// Work arrays come from malloc rather than new, so that a failure reaches the
// evaluator's own message instead of the run's allocation-failure handler.
struct FreeDeleter {
  void operator()(float* p) const { std::free(p); }
};
using ArrayPtr = std::unique_ptr<float[], FreeDeleter>;

[[noreturn]] void allocationFailed() {
  Console& out = console();
  out.write("\r\n Error allocating memory in \\f command!\r\n");
  out.write("  (You may want to try tabrixx.)\r\n");
  out.write("\r\n Hit a key and I'm quitting:");
  out.flush();
  keySource().readKey();
  out.write("\r\n");
  endProcess(1);
}

ArrayPtr allocateArray() {
  float* p = static_cast<float*>(std::malloc(sizeof(float) * MaxObs));
  if (p == nullptr) allocationFailed();
  return ArrayPtr(p);
}

// A work array that remembers how far it may hold non-zero values, so that clearing
// it for the next call touches only what the last calls wrote.
struct TrackedArray {
  ArrayPtr data = allocateArray();
  int dirty = MaxObs;  // slots 0 .. dirty - 1 may be non-zero

  void clear() {
    std::fill_n(data.get(), dirty, 0.0f);
    dirty = 0;
  }
  void touch(int extent) { dirty = std::max(dirty, std::min(extent, MaxObs)); }
};

}  // namespace

// The arrays of one nesting level of evaluate: the term being built and the operand.
struct EvalContext::Frame {
  TrackedArray term;
  TrackedArray operand;
  std::string name;  // the series name being looked up (keeps its capacity)
};

struct EvalContext::Pools {
  std::vector<std::unique_ptr<Frame>> frames;  // one per nesting level reached so far
  size_t depth = 0;                            // frames in use
  std::vector<ArrayPtr> spares;                // arrays free for WorkArray loans
  size_t loans = 0;                            // WorkArray loans outstanding
};

EvalContext::EvalContext() : pools_(std::make_unique<Pools>()) {}
EvalContext::~EvalContext() = default;

void EvalContext::setEvalLength(int16_t length) {
  evalLength_ = static_cast<int16_t>(std::clamp<int>(length, 0, MaxObs));
}

int EvalContext::nextRandom() {
  // The linear congruential generator of the C standard's example rand().
  randomState_ = randomState_ * 1103515245u + 12345u;
  return static_cast<int>((randomState_ / 65536u) % 32768u);
}

EvalContext::Frame& EvalContext::enterFrame() {
  Pools& p = *pools_;
  if (p.depth == p.frames.size()) p.frames.push_back(std::make_unique<Frame>());
  return *p.frames[p.depth++];
}

void EvalContext::leaveFrame() { --pools_->depth; }

float* EvalContext::borrowArray() {
  Pools& p = *pools_;
  ArrayPtr array;
  if (p.spares.empty()) {
    array = allocateArray();
  } else {
    array = std::move(p.spares.back());
    p.spares.pop_back();
  }
  // Room for every loan to come back, so that ending a loan never allocates.
  ++p.loans;
  p.spares.reserve(p.spares.size() + p.loans);
  return array.release();
}

void EvalContext::returnArray(float* array) {
  Pools& p = *pools_;
  --p.loans;
  p.spares.push_back(ArrayPtr(array));
}

namespace {

// Takes the frame of the next nesting level for the length of one evaluate call.
class FrameLease {
 public:
  explicit FrameLease(EvalContext& context) : context_(context), frame_(context.enterFrame()) {}
  ~FrameLease() { context_.leaveFrame(); }
  FrameLease(const FrameLease&) = delete;
  FrameLease& operator=(const FrameLease&) = delete;
  EvalContext::Frame& frame() { return frame_; }

 private:
  EvalContext& context_;
  EvalContext::Frame& frame_;
};

int16_t lengthOf(const DataBank& bank) {
  return static_cast<int16_t>(std::min<int>(bank.observations(), MaxObs));
}

// How many slots a readSeries of count -1 may write: the workspace kind writes its
// observations, the others up to all MaxObs.
int readExtent(const DataBank& bank) {
  return bank.kind() == 'w' ? lengthOf(bank) : MaxObs;
}

// A number token as a float; beyond the float range it is an infinity of its sign.
float toFloat(double number) {
  if (number > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (number < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(number);
}

bool isOperator(int type) { return type == '+' || type == '-' || type == '*' || type == '/'; }

// The operator stack: '+' at the bottom, '*' or '/' above it at most once (two operators
// in a row are refused), so a few entries are plenty.
class OperatorStack {
 public:
  OperatorStack() { ops_[0] = '+'; }
  char top() const { return top_ >= 0 ? ops_[top_] : '+'; }
  void pop() {
    if (top_ >= 0) --top_;
  }
  // False when full; cannot happen with the syntax check in front of every push.
  bool push(char op) {
    if (top_ + 1 >= kCapacity) return false;
    ops_[++top_] = op;
    return true;
  }

 private:
  static constexpr int kCapacity = 8;
  char ops_[kCapacity] = {};
  int top_ = 0;
};

}  // namespace

EvalResult evaluate(EvalContext& context, Chopper& reader, SeriesSpan result, DataBank& bank,
                    DataBank* scratch) {
  FrameLease lease(context);
  EvalContext::Frame& frame = lease.frame();
  frame.term.clear();
  frame.operand.clear();
  std::fill(result.begin(), result.end(), 0.0f);

  float* sum = result.data();
  float* term = frame.term.data.get();
  float* operand = frame.operand.data.get();
  SeriesSpan operandSpan(operand, MaxObs);

  OperatorStack ops;
  int16_t operandFrequency = 0;
  int16_t termFrequency = 0;
  int16_t sumFrequency = 0;

  // Folds the operand into the term by the operator on top of the stack.
  auto takeOperand = [&]() -> bool {
    if (termFrequency == 0) {
      termFrequency = operandFrequency;
    } else if (operandFrequency != 0 && operandFrequency != termFrequency) {
      console().write(kFrequencyConflict);
      return false;
    }
    const int n = context.evalLength();
    switch (ops.top()) {
      case '*':
        for (int i = 0; i < n; ++i) term[i] *= operand[i];
        ops.pop();
        break;
      case '/':
        // Division by an exact zero keeps the dividend.
        for (int i = 0; i < n; ++i) {
          if (operand[i] != 0.0f) term[i] /= operand[i];
        }
        ops.pop();
        break;
      default:
        std::copy_n(operand, n, term);
        break;
    }
    frame.term.touch(n);
    return true;
  };

  // Folds the term into the sum by the operator on top of the stack.
  auto closeTerm = [&]() -> bool {
    if (sumFrequency == 0) {
      sumFrequency = termFrequency;
    } else if (termFrequency != 0 && termFrequency != sumFrequency) {
      console().write(kFrequencyConflict);
      return false;
    }
    const int n = context.evalLength();
    switch (ops.top()) {
      case '+':
        for (int i = 0; i < n; ++i) sum[i] += term[i];
        ops.pop();
        break;
      case '-':
        for (int i = 0; i < n; ++i) sum[i] -= term[i];
        ops.pop();
        break;
      default:
        std::copy_n(term, n, sum);
        break;
    }
    return true;
  };

  int16_t code = 0;
  int last = 0;  // type of the last token that counts; 0 before the first
  bool done = false;
  while (!done) {
    const int previous = last;
    const int type = reader.nextToken();
    switch (type) {
      case '(': {
        const EvalResult inner = evaluate(context, reader, operandSpan, bank, scratch);
        frame.operand.touch(MaxObs);
        if (inner.status != EndedByParen) {
          console().write(kMissingParen);
          reader.skipStatement();
          code = -1;
          done = true;
          break;
        }
        operandFrequency = inner.frequency;
        context.setEvalLength(lengthOf(bank));
        if (!takeOperand()) return {-1, 0};
        break;
      }
      case ')':
      case ',':
      case ';':
      case '=':
        code = static_cast<int16_t>(type);
        done = true;
        break;
      case '*':
      case '/':
        if (isOperator(previous)) {
          console().write(kBadSyntax);
          return {-1, 0};
        }
        if (!ops.push(static_cast<char>(type))) {
          console().write(kBadSyntax);
          return {-1, 0};
        }
        break;
      case '+':
      case '-':
        if (isOperator(previous)) {
          console().write(kBadSyntax);
          return {-1, 0};
        }
        if (!closeTerm()) return {-1, 0};
        if (!ops.push(static_cast<char>(type))) {
          console().write(kBadSyntax);
          return {-1, 0};
        }
        break;
      case '@': {
        context.setEvalLength(lengthOf(bank));
        const EvalResult called = callFunction(context, reader, operandSpan, bank, scratch);
        frame.operand.touch(MaxObs);
        if (called.status != 0) {
          code = -1;
          done = true;
          break;
        }
        operandFrequency = called.frequency;
        if (!takeOperand()) return {-1, 0};
        break;
      }
      case token::kWord: {
        frame.name.assign(reader.tokenText());
        const int before = context.evalLength();
        const EvalResult found = lookupSeries(context, reader, frame.name, operandSpan, bank, scratch);
        frame.operand.touch(std::max({before, readExtent(bank),
                                      scratch != nullptr ? readExtent(*scratch) : 0}));
        if (found.failed()) return {-1, 0};
        operandFrequency = found.frequency;
        context.setEvalLength(lengthOf(bank));
        if (!takeOperand()) return {-1, 0};
        break;
      }
      case token::kNumber: {
        context.setEvalLength(lengthOf(bank));
        const float value = toFloat(reader.tokenNumber());
        std::fill_n(operand, context.evalLength(), value);
        frame.operand.touch(context.evalLength());
        operandFrequency = 0;
        if (!takeOperand()) return {-1, 0};
        break;
      }
      case token::kLineEnd:
        // After an operator, or before the first token, the expression goes on with
        // the next line; the previous type stays what it was.
        if (previous == 0 || isOperator(previous)) continue;
        code = EndedByLineEnd;
        done = true;
        break;
      default:
        console().write(kUnrecognized);
        return {-1, 0};
    }
    last = type;
  }

  if (!closeTerm()) return {-1, 0};
  return {code, code == -1 ? int16_t{0} : sumFrequency};
}

EvalResult fetchSeries(EvalContext& context, std::string_view name, SeriesSpan array,
                       DataBank& bank, DataBank* scratch) {
  std::fill_n(array.data(), context.evalLength(), 0.0f);
  if (scratch != nullptr && scratch->readSeries(name, array, -1) >= 0) {
    context.setFoundIn(scratch);
    return {0, scratch->frequency()};
  }
  if (bank.readSeries(name, array, -1) < 0) {
    std::fill_n(array.data(), context.evalLength(), 0.0f);
    console().printf("%.*s can't be found \r\n", static_cast<int>(name.size()), name.data());
    return {-1, 0};
  }
  context.setFoundIn(&bank);
  return {0, bank.frequency()};
}

EvalResult lookupSeries(EvalContext& context, Chopper& reader, std::string_view name,
                        SeriesSpan array, DataBank& bank, DataBank* scratch) {
  const EvalResult found = fetchSeries(context, name, array, bank, scratch);
  if (found.failed()) return found;
  // A date constant is placed by the alternative's bank and the series' own frequency.
  if (applySuffix(context, reader, array, bank, found.frequency) != 0) return {-1, 0};
  return found;
}

int16_t applySuffix(EvalContext& context, Chopper& reader, SeriesSpan array, DataBank& bank,
                    int16_t frequency) {
  context.setEvalLength(lengthOf(bank));
  const int n = context.evalLength();
  float* values = array.data();

  const int type = reader.nextToken();
  if (type == '[') {
    if (reader.nextToken() == token::kNumber) {
      const int lag = std::max(reader.tokenInteger(), 0);
      if (lag >= n) {
        std::fill_n(values, n, 0.0f);
      } else if (lag > 0) {
        for (int i = n - 1; i >= lag; --i) values[i] = values[i - lag];
        std::fill_n(values, lag, 0.0f);
      }
    }
    if (reader.nextToken() != ']') {
      console().write(kMissingBracket);
      return -1;
    }
    return 0;
  }
  if (type == '{') {
    if (reader.nextToken() != token::kNumber) {
      console().write(kDateNotNumber);
      return -1;
    }
    const VexDate date{std::string_view(reader.tokenText())};
    const int basePeriod = bank.kind() == 'w' ? bank.startPeriod() : 1;
    const VexDate base(bank.baseYear(), basePeriod, frequency);
    const int k = periodsBetween(date, base);
    // A date outside the observations the bank holds has no value.
    const float value = (k >= 0 && k < n) ? values[k] : MissingValue;
    std::fill_n(values, n, value);
    if (reader.nextToken() != '}') {
      console().write(kMissingBrace);
      return -1;
    }
    return 0;
  }
  reader.pushBackToken();
  return 0;
}

WorkArray::WorkArray(EvalContext& context) : context_(context), data_(context.borrowArray()) {
  std::fill_n(data_, MaxObs, 0.0f);
}

WorkArray::~WorkArray() { context_.returnArray(data_); }

}  // namespace tabrix
