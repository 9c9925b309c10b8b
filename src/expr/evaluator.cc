#include "expr/evaluator.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "banks/record_bank.h"
#include "banks/workspace_bank.h"
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

// A series of one evaluation held over the observations in use: slots 0 .. used - 1
// of data hold its values, and every slot from used up to the evaluation's length
// holds tail without being written. Arithmetic on two of them runs over the longer
// used part and combines the tails by the same single-precision operation, so each
// slot comes out as an element-by-element pass over all slots would give it.
struct LazySeries {
  float* data = nullptr;
  int used = 0;
  float tail = 0.0f;

  // Writes the tail into the slots up to `extent`.
  void extendTo(int extent) {
    if (used < extent) {
      std::fill(data + used, data + extent, tail);
      used = extent;
    }
  }
  // Writes every slot as an element-by-element evaluation over `length` slots leaves
  // it: the tail up to length, 0.0 after it.
  void materialize(int length) {
    const int end = std::clamp(length, used, MaxObs);
    std::fill(data + used, data + end, tail);
    std::fill(data + end, data + MaxObs, 0.0f);
    used = MaxObs;
  }
};

}  // namespace

// The arrays of one nesting level of evaluate: the term being built and the operand.
struct EvalContext::Frame {
  ArrayPtr term = allocateArray();
  ArrayPtr operand = allocateArray();
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

namespace {

// How a bank hands a series to an evaluation held over the observations in use.
enum class ReadKind {
  Record,     // compressed and hashed: the slots through seriesLength(), MissingValue after
  Workspace,  // a workspace bank of the evaluation's length: all of its slots
  Other,      // anything else: read as the element-by-element passes do
};

ReadKind readKind(DataBank& bank, int length) {
  if (dynamic_cast<RecordBank*>(&bank) != nullptr) return ReadKind::Record;
  if (dynamic_cast<VexBank*>(&bank) != nullptr && bank.observations() == length) return ReadKind::Workspace;
  return ReadKind::Other;
}

// Reads series `name` of a bank of kind Record or Workspace into `into`; the bank's status.
int16_t readInto(DataBank& bank, std::string_view name, LazySeries& into, int length) {
  if (auto* records = dynamic_cast<RecordBank*>(&bank)) {
    const int16_t status = records->readSeriesData(name, SeriesSpan(into.data, MaxObs));
    if (status >= 0) {
      into.used = records->seriesLength();
      into.tail = MissingValue;
    }
    return status;
  }
  const int16_t status = bank.readSeries(name, SeriesSpan(into.data, MaxObs), -1);
  if (status >= 0) {
    into.used = length;
    into.tail = 0.0f;
  }
  return status;
}

// fetchSeries for banks whose reads readInto handles: the same look-up and message,
// without clearing slots the read writes anyway.
EvalResult fetchInto(EvalContext& context, std::string_view name, LazySeries& into, DataBank& bank,
                     DataBank* scratch, int length) {
  if (scratch != nullptr && readInto(*scratch, name, into, length) >= 0) {
    context.setFoundIn(scratch);
    return {0, scratch->frequency()};
  }
  if (readInto(bank, name, into, length) < 0) {
    console().printf("%.*s can't be found \r\n", static_cast<int>(name.size()), name.data());
    return {-1, 0};
  }
  context.setFoundIn(&bank);
  return {0, bank.frequency()};
}

// applySuffix on a series held over the observations in use.
int16_t applySuffixTo(EvalContext& context, Chopper& reader, LazySeries& values, DataBank& bank,
                      int16_t frequency) {
  context.setEvalLength(lengthOf(bank));
  const int n = context.evalLength();
  values.used = std::min(values.used, n);

  const int type = reader.nextToken();
  if (type == '[') {
    if (reader.nextToken() == token::kNumber) {
      const int lag = std::max(reader.tokenInteger(), 0);
      if (lag >= n) {
        values.used = 0;
        values.tail = 0.0f;
      } else if (lag > 0) {
        // Slot i takes slot i - lag; beyond used + lag that is the tail again.
        const int used = std::min(values.used + lag, n);
        for (int i = used - 1; i >= lag; --i) values.data[i] = values.data[i - lag];
        std::fill_n(values.data, lag, 0.0f);
        values.used = used;
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
    float value = MissingValue;
    if (k >= 0 && k < n) value = k < values.used ? values.data[k] : values.tail;
    values.used = 0;
    values.tail = value;
    if (reader.nextToken() != '}') {
      console().write(kMissingBrace);
      return -1;
    }
    return 0;
  }
  reader.pushBackToken();
  return 0;
}

// One evaluation. The sum, term and operand are held over the observations in use
// while every operand comes from a number or a bank read that readInto handles; the
// first other operand (a parenthesis, a function, another kind of bank) turns all
// three into whole arrays and the evaluation goes on element by element over
// evalLength() slots. With `extent` the result is left as held and described there;
// without it every slot of the result is written.
EvalResult evaluateCall(EvalContext& context, Chopper& reader, SeriesSpan result, DataBank& bank,
                        DataBank* scratch, EvalExtent* extent) {
  FrameLease lease(context);
  EvalContext::Frame& frame = lease.frame();
  const int length = lengthOf(bank);
  const bool lazyReads = readKind(bank, length) != ReadKind::Other &&
                         (scratch == nullptr || readKind(*scratch, length) != ReadKind::Other);

  LazySeries sum{result.data()};
  LazySeries term{frame.term.get()};
  LazySeries operand{frame.operand.get()};
  float* operandData = operand.data;
  SeriesSpan operandSpan(operandData, MaxObs);
  bool lazy = true;

  // From here on all three are whole arrays, as the element-by-element passes leave them.
  auto goWhole = [&]() {
    if (!lazy) return;
    sum.materialize(length);
    term.materialize(length);
    operand.materialize(length);
    lazy = false;
  };
  auto finish = [&](EvalResult r) -> EvalResult {
    if (extent != nullptr) {
      *extent = EvalExtent{sum.used, sum.tail, length};
    } else {
      sum.materialize(length);
    }
    return r;
  };

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
    const char op = ops.top();
    if (op == '*' || op == '/') {
      const int m = lazy ? std::min(std::max(term.used, operand.used), n) : n;
      if (lazy) {
        term.extendTo(m);
        operand.extendTo(m);
      }
      float* t = term.data;
      const float* o = operand.data;
      if (op == '*') {
        for (int i = 0; i < m; ++i) t[i] *= o[i];
        term.tail *= operand.tail;
      } else {
        // Division by an exact zero keeps the dividend.
        for (int i = 0; i < m; ++i) {
          if (o[i] != 0.0f) t[i] /= o[i];
        }
        if (operand.tail != 0.0f) term.tail /= operand.tail;
      }
      if (lazy) term.used = m;
      ops.pop();
    } else {
      const int m = lazy ? std::min(operand.used, n) : n;
      std::copy_n(operand.data, m, term.data);
      if (lazy) {
        term.used = m;
        term.tail = operand.tail;
      }
    }
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
    const char op = ops.top();
    if (op == '+' || op == '-') {
      const int m = lazy ? std::min(std::max(sum.used, term.used), n) : n;
      if (lazy) {
        sum.extendTo(m);
        term.extendTo(m);
      }
      float* r = sum.data;
      const float* t = term.data;
      if (op == '+') {
        for (int i = 0; i < m; ++i) r[i] += t[i];
        sum.tail += term.tail;
      } else {
        for (int i = 0; i < m; ++i) r[i] -= t[i];
        sum.tail -= term.tail;
      }
      if (lazy) sum.used = m;
      ops.pop();
    } else {
      const int m = lazy ? std::min(term.used, n) : n;
      std::copy_n(term.data, m, sum.data);
      if (lazy) {
        sum.used = m;
        sum.tail = term.tail;
      }
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
        goWhole();
        const EvalResult inner = evaluate(context, reader, operandSpan, bank, scratch);
        if (inner.status != EndedByParen) {
          console().write(kMissingParen);
          reader.skipStatement();
          code = -1;
          done = true;
          break;
        }
        operandFrequency = inner.frequency;
        context.setEvalLength(lengthOf(bank));
        if (!takeOperand()) return finish({-1, 0});
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
          return finish({-1, 0});
        }
        if (!ops.push(static_cast<char>(type))) {
          console().write(kBadSyntax);
          return finish({-1, 0});
        }
        break;
      case '+':
      case '-':
        if (isOperator(previous)) {
          console().write(kBadSyntax);
          return finish({-1, 0});
        }
        if (!closeTerm()) return finish({-1, 0});
        if (!ops.push(static_cast<char>(type))) {
          console().write(kBadSyntax);
          return finish({-1, 0});
        }
        break;
      case '@': {
        goWhole();
        context.setEvalLength(lengthOf(bank));
        const EvalResult called = callFunction(context, reader, operandSpan, bank, scratch);
        if (called.status != 0) {
          code = -1;
          done = true;
          break;
        }
        operandFrequency = called.frequency;
        if (!takeOperand()) return finish({-1, 0});
        break;
      }
      case token::kWord: {
        frame.name.assign(reader.tokenText());
        EvalResult found;
        if (lazy && lazyReads) {
          found = fetchInto(context, frame.name, operand, bank, scratch, length);
          if (found.failed()) return finish({-1, 0});
          if (applySuffixTo(context, reader, operand, bank, found.frequency) != 0) return finish({-1, 0});
        } else {
          goWhole();
          found = lookupSeries(context, reader, frame.name, operandSpan, bank, scratch);
          if (found.failed()) return finish({-1, 0});
        }
        operandFrequency = found.frequency;
        context.setEvalLength(lengthOf(bank));
        if (!takeOperand()) return finish({-1, 0});
        break;
      }
      case token::kNumber: {
        context.setEvalLength(lengthOf(bank));
        const float value = toFloat(reader.tokenNumber());
        if (lazy) {
          operand.used = 0;
          operand.tail = value;
        } else {
          std::fill_n(operandData, context.evalLength(), value);
        }
        operandFrequency = 0;
        if (!takeOperand()) return finish({-1, 0});
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
        return finish({-1, 0});
    }
    last = type;
  }

  if (!closeTerm()) return finish({-1, 0});
  return finish({code, code == -1 ? int16_t{0} : sumFrequency});
}

}  // namespace

EvalResult evaluate(EvalContext& context, Chopper& reader, SeriesSpan result, DataBank& bank,
                    DataBank* scratch) {
  return evaluateCall(context, reader, result, bank, scratch, nullptr);
}

EvalResult evaluate(EvalContext& context, Chopper& reader, SeriesSpan result, DataBank& bank,
                    DataBank* scratch, EvalExtent& extent) {
  return evaluateCall(context, reader, result, bank, scratch, &extent);
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
  // The whole array counts as held; what the suffix leaves as a tail is written out.
  LazySeries values{array.data(), MaxObs, 0.0f};
  const int16_t status = applySuffixTo(context, reader, values, bank, frequency);
  values.extendTo(context.evalLength());
  return status;
}

WorkArray::WorkArray(EvalContext& context) : context_(context), data_(context.borrowArray()) {
  std::fill_n(data_, MaxObs, 0.0f);
}

WorkArray::~WorkArray() { context_.returnArray(data_); }

}  // namespace tabrix
