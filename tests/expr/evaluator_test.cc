// The expression evaluator against small banks written by our own writers: a
// workspace bank with annual, quarterly and monthly series, a second workspace bank
// with another base date and first month, a scratch bank of definitions and a
// compressed bank (series aligned on 1920).
#include "expr/evaluator.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "banks/comp_bank.h"
#include "banks/comp_bank_writer.h"
#include "banks/hash_bank.h"
#include "banks/hash_bank_writer.h"
#include "banks/workspace_bank.h"
#include "dates/vex_date.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "support/constants.h"
#include "test_files.h"

namespace tabrix {
namespace {

using Series = std::array<float, MaxObs>;

// Observations per series of the main bank (base 1960, first month 1).
constexpr int kObs = 200;
// Observations per series of the second bank (base 1990, first month 3).
constexpr int kLateObs = 24;

using testing::TempDir;

Series makeSeries(const std::function<float(int)>& f, int length) {
  Series s{};
  for (int i = 0; i < length; ++i) s[i] = f(i);
  return s;
}

// The values of the main bank, by name.
struct MainSeries {
  Series a = makeSeries([](int i) { return static_cast<float>(i + 1); }, kObs);
  Series b = makeSeries([](int i) { return 0.5f * static_cast<float>(i % 7) + 3.0f; }, kObs);
  Series c = makeSeries([](int i) { return 0.25f * static_cast<float>(i); }, kObs);
  // Exactly 0.0 at every third observation.
  Series z = makeSeries([](int i) { return i % 3 == 0 ? 0.0f : 0.5f * static_cast<float>(i); },
                        kObs);
  Series q = makeSeries([](int i) { return 100.0f + static_cast<float>(i); }, kObs);
  Series m = makeSeries([](int i) { return 1000.0f + static_cast<float>(i); }, kObs);
  Series miss = makeSeries(
      [](int i) { return i == 3 || i == 4 ? MissingValue : static_cast<float>(10 + i); }, kObs);
  // Definitions in the scratch bank.
  Series sa = makeSeries([](int i) { return -static_cast<float>(i); }, kObs);
  Series sq = makeSeries([](int i) { return 7.0f * static_cast<float>(i); }, kObs);
};

void store(VexBank& bank, const char* name, int16_t frequency, const Series& values) {
  bank.setFrequency(frequency);
  ASSERT_GE(bank.writeSeries(name, values, 'y', -1), 0) << name;
}

class EvaluatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    {
      VexBank w(dir.file("main"), "New", 1960, kObs, 1);
      ASSERT_TRUE(w.isOpen());
      store(w, "a", 1, s.a);
      store(w, "b", 1, s.b);
      store(w, "c", 1, s.c);
      store(w, "z", 1, s.z);
      store(w, "q", 4, s.q);
      store(w, "m", 12, s.m);
      store(w, "miss", 1, s.miss);
      store(w, "long name", 1, s.c);
    }
    {
      VexBank w(dir.file("late"), "New", 1990, kLateObs, 3);
      ASSERT_TRUE(w.isOpen());
      store(w, "mm", 12, s.m);
    }
    {
      VexBank w(dir.file("tws0"), "New", 1960, kObs, 1);
      ASSERT_TRUE(w.isOpen());
      store(w, "a", 1, s.sa);  // hides the bank's a
      store(w, "sa", 1, s.sa);
      store(w, "sq", 4, s.sq);
    }
    {
      CompBankWriter writer("compressed");
      std::vector<float> cq = {5.0f, 6.0f, 7.0f, 8.0f, 9.0f};
      ASSERT_EQ(writer.addSeries("cq", VexDate(1990, 2, 4), cq), 0);
      ASSERT_EQ(writer.write(dir.file("comp")), 0);
    }
    bank = std::make_unique<VexBank>(dir.file("main"));
    late = std::make_unique<VexBank>(dir.file("late"));
    scratch = std::make_unique<VexBank>(dir.file("tws0"));
    ASSERT_TRUE(bank->isOpen());
    ASSERT_TRUE(late->isOpen());
    ASSERT_TRUE(scratch->isOpen());
  }

  void TearDown() override {
    ConsoleCapture quiet;
    bank.reset();
    late.reset();
    scratch.reset();
  }

  // Evaluates text read from memory, as table lines and \f do.
  int16_t run(const std::string& text, DataBank& on, DataBank* defs = nullptr) {
    reader.setString(text);
    ConsoleCapture capture;
    EvalResult evaluated = evaluate(context, reader, result, on, defs);
    output = capture.text();
    frequency = evaluated.frequency;
    return evaluated.status;
  }
  int16_t run(const std::string& text) { return run(text, *bank); }

  // Checks the first `length` slots against f and the rest against 0.0.
  void expectSeries(const std::function<float(int)>& f, int length = kObs) {
    for (int i = 0; i < MaxObs; ++i) {
      float want = i < length ? f(i) : 0.0f;
      ASSERT_FLOAT_EQ(result[i], want) << "slot " << i;
    }
  }

  TempDir dir;
  MainSeries s;
  std::unique_ptr<VexBank> bank, late, scratch;
  Chopper reader;
  EvalContext context;
  Series result{};
  std::string output;
  int16_t frequency = 0;  // the result's, from the last run
};

// --- Arithmetic -----------------------------------------------------------------

struct ArithmeticCase {
  const char* text;
  std::function<float(const MainSeries&, int)> want;
};

TEST_F(EvaluatorTest, PrecedenceSignsAndAssociativity) {
  const ArithmeticCase cases[] = {
      {"a", [](const MainSeries& s, int i) { return s.a[i]; }},
      {"a+b*2", [](const MainSeries& s, int i) { return s.a[i] + s.b[i] * 2.0f; }},
      {"a*2+b", [](const MainSeries& s, int i) { return s.a[i] * 2.0f + s.b[i]; }},
      {"a + b * c - 4 / b",
       [](const MainSeries& s, int i) { return s.a[i] + s.b[i] * s.c[i] - 4.0f / s.b[i]; }},
      {"(a+b)*2", [](const MainSeries& s, int i) { return (s.a[i] + s.b[i]) * 2.0f; }},
      {"a*(b-(c+1))", [](const MainSeries& s, int i) { return s.a[i] * (s.b[i] - (s.c[i] + 1)); }},
      {"a-b-c", [](const MainSeries& s, int i) { return (s.a[i] - s.b[i]) - s.c[i]; }},
      {"a/b/2", [](const MainSeries& s, int i) { return (s.a[i] / s.b[i]) / 2.0f; }},
      {"a-b*c/2", [](const MainSeries& s, int i) { return s.a[i] - (s.b[i] * s.c[i]) / 2.0f; }},
      {"-a+b", [](const MainSeries& s, int i) { return -s.a[i] + s.b[i]; }},
      {"-a*b", [](const MainSeries& s, int i) { return -(s.a[i] * s.b[i]); }},
      {"+a-b", [](const MainSeries& s, int i) { return s.a[i] - s.b[i]; }},
      {"-(a-b)", [](const MainSeries& s, int i) { return -(s.a[i] - s.b[i]); }},
      {"\"long name\"*2", [](const MainSeries& s, int i) { return s.c[i] * 2.0f; }},
      {"a*1.5E1", [](const MainSeries& s, int i) { return s.a[i] * 15.0f; }},
  };
  for (const ArithmeticCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(std::string(c.text) + "\r\n"), EndedByLineEnd);
    EXPECT_EQ(output, "");
    EXPECT_EQ(frequency, 1);
    EXPECT_EQ(context.evalLength(), kObs);
    expectSeries([&](int i) { return c.want(s, i); });
  }
}

TEST_F(EvaluatorTest, NumbersAloneHaveNoFrequency) {
  result.fill(9.0f);  // every slot is cleared on entry
  EXPECT_EQ(run("2*3\r\n"), EndedByLineEnd);
  EXPECT_EQ(frequency, 0);
  expectSeries([](int) { return 6.0f; });

  EXPECT_EQ(run("q*2\r\n"), EndedByLineEnd);
  EXPECT_EQ(frequency, 4);
  EXPECT_EQ(run("2-m\r\n"), EndedByLineEnd);
  EXPECT_EQ(frequency, 12);
}

TEST_F(EvaluatorTest, DivisionByExactZeroKeepsTheDividend) {
  EXPECT_EQ(run("a/z\r\n"), EndedByLineEnd);
  expectSeries([&](int i) { return s.z[i] == 0.0f ? s.a[i] : s.a[i] / s.z[i]; });
  EXPECT_EQ(run("a/0\r\n"), EndedByLineEnd);
  expectSeries([&](int i) { return s.a[i]; });
  EXPECT_EQ(run("a/(b-b)*2\r\n"), EndedByLineEnd);
  expectSeries([&](int i) { return s.a[i] * 2.0f; });
}

TEST_F(EvaluatorTest, MissingValuesTakePartLikeAnyNumber) {
  EXPECT_EQ(run("miss+1\r\n"), EndedByLineEnd);
  expectSeries([&](int i) { return s.miss[i] + 1.0f; });
  EXPECT_EQ(run("miss*2\r\n"), EndedByLineEnd);
  EXPECT_FLOAT_EQ(result[3], MissingValue * 2.0f);
  EXPECT_FALSE(isMissing(result[3]));
  EXPECT_EQ(run("miss/miss\r\n"), EndedByLineEnd);
  expectSeries([](int) { return 1.0f; });
}

// --- Suffixes -------------------------------------------------------------------

TEST_F(EvaluatorTest, LagsShiftLaterAndClearTheFirstSlots) {
  struct Case {
    const char* text;
    int lag;
  };
  const Case cases[] = {{"a[2]", 2}, {"a[0]", 0}, {"a[1.7]", 1}, {"a[199]", 199}, {"a[200]", 200},
                        {"a[5000]", 5000}, {"a[x]", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(std::string(c.text) + "\r\n"), EndedByLineEnd);
    EXPECT_EQ(output, "");
    expectSeries([&](int i) { return i < c.lag ? 0.0f : s.a[i - c.lag]; });
  }
  EXPECT_EQ(run("a - a[1]\r\n"), EndedByLineEnd);
  expectSeries([&](int i) { return i == 0 ? s.a[0] : s.a[i] - s.a[i - 1]; });
}

TEST_F(EvaluatorTest, DateConstantsCountFromTheBankBaseDate) {
  struct Case {
    const char* text;
    DataBank* on;
    float want;
  };
  const Case cases[] = {
      // Annual bank from 1960: 1990 is observation 30.
      {"a{1990}", bank.get(), s.a[30]},
      {"a{90}", bank.get(), s.a[30]},
      {"a{1960}", bank.get(), s.a[0]},
      {"a{2159}", bank.get(), s.a[199]},
      {"a{2160}", bank.get(), MissingValue},  // past the bank's observations
      {"a{1959}", bank.get(), MissingValue},
      {"a{1990.2}", bank.get(), MissingValue},  // a quarter of an annual series
      {"q{1990}", bank.get(), MissingValue},    // a year of a quarterly series
      {"q{1970.2}", bank.get(), s.q[41]},
      {"m{1961.003}", bank.get(), s.m[14]},
      // First month 3 of 1990: March 1990 is observation 0, May 1990 observation 2.
      {"mm{1990.005}", late.get(), s.m[2]},
      {"mm{1990.002}", late.get(), MissingValue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(std::string(c.text) + "\r\n", *c.on), EndedByLineEnd);
    EXPECT_EQ(output, "");
    const int length = c.on->observations();
    for (int i = 0; i < MaxObs; ++i) {
      ASSERT_EQ(result[i], i < length ? c.want : 0.0f) << "slot " << i;
    }
  }
  // The constant combines with series like a number.
  EXPECT_EQ(run("a/a{1961}\r\n"), EndedByLineEnd);
  expectSeries([&](int i) { return s.a[i] / s.a[1]; });
}

TEST_F(EvaluatorTest, DateConstantsOfOtherKindsCountFromPeriodOne) {
  ConsoleCapture quiet;  // the compressed bank's destructor speaks
  CompBank comp(dir.file("comp"));
  ASSERT_TRUE(comp.isOpen());
  // The series starts in 1990.2; the compressed bank hands it out from 1920.1.
  EXPECT_EQ(run("cq{1990.3}\r\n", comp), EndedByLineEnd);
  EXPECT_EQ(context.evalLength(), MaxObs);
  for (int i = 0; i < MaxObs; ++i) ASSERT_EQ(result[i], 6.0f) << i;
  EXPECT_EQ(run("cq{1990.2}+cq\r\n", comp), EndedByLineEnd);
  EXPECT_EQ(result[281], 10.0f);
  EXPECT_EQ(frequency, 4);
}

// --- Lines ----------------------------------------------------------------------

TEST_F(EvaluatorTest, LinesEndingInAnOperatorContinue) {
  EXPECT_EQ(run("a +\r\nb *\r\n\r\n2\r\n"), EndedByLineEnd);
  expectSeries([&](int i) { return s.a[i] + s.b[i] * 2.0f; });
  EXPECT_EQ(run("\r\n\r\na-b\r\n"), EndedByLineEnd);
  expectSeries([&](int i) { return s.a[i] - s.b[i]; });
  EXPECT_EQ(run("a   # comment\r\n"), EndedByLineEnd);
  expectSeries([&](int i) { return s.a[i]; });
}

TEST_F(EvaluatorTest, ContinuationReadsOnInTheStubFile) {
  std::string path = dir.file("stub.txt");
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("a *\r\n\n2 + b\nnext\n", f);
    std::fclose(f);
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  reader.setSource(f);
  EXPECT_EQ(evaluate(context, reader, result, *bank, nullptr).status, EndedByLineEnd);
  expectSeries([&](int i) { return s.a[i] * 2.0f + s.b[i]; });
  EXPECT_EQ(reader.nextToken(), token::kWord);
  EXPECT_EQ(reader.tokenText(), "next");
  reader.setSource(nullptr);
  std::fclose(f);
}

TEST_F(EvaluatorTest, TerminatorsEndTheExpressionAndAreConsumed) {
  struct Case {
    const char* text;
    int16_t code;
  };
  const Case cases[] = {{"a*2) rest", EndedByParen},
                        {"a*2, rest", EndedByComma},
                        {"a*2; rest", EndedBySemicolon},
                        {"a*2= rest", EndedByEquals}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), c.code);
    expectSeries([&](int i) { return s.a[i] * 2.0f; });
    EXPECT_EQ(reader.nextToken(), token::kWord);
    EXPECT_EQ(reader.tokenText(), "rest");
  }
}

// --- Banks ----------------------------------------------------------------------

TEST_F(EvaluatorTest, ScratchBankIsAskedFirst) {
  EXPECT_EQ(run("a\r\n", *bank, scratch.get()), EndedByLineEnd);
  expectSeries([&](int i) { return s.sa[i]; });
  EXPECT_EQ(context.foundIn(), scratch.get());

  EXPECT_EQ(run("a\r\n", *bank, nullptr), EndedByLineEnd);
  expectSeries([&](int i) { return s.a[i]; });
  EXPECT_EQ(context.foundIn(), bank.get());

  // Not a definition: the bank's own series.
  EXPECT_EQ(run("b+sa\r\n", *bank, scratch.get()), EndedByLineEnd);
  expectSeries([&](int i) { return s.b[i] + s.sa[i]; });
  EXPECT_EQ(context.foundIn(), scratch.get());

  // A date constant of a definition counts from the alternative's bank.
  EXPECT_EQ(run("sa{1990}\r\n", *bank, scratch.get()), EndedByLineEnd);
  expectSeries([&](int) { return s.sa[30]; });
}

TEST_F(EvaluatorTest, DefinitionsKeepTheirOwnFrequency) {
  // After an annual series of the bank, a quarterly definition is still quarterly.
  EXPECT_EQ(run("a\r\n", *bank, scratch.get()), EndedByLineEnd);
  EXPECT_EQ(run("sq+q\r\n", *bank, scratch.get()), EndedByLineEnd);
  EXPECT_EQ(frequency, 4);
  expectSeries([&](int i) { return s.sq[i] + s.q[i]; });
  EXPECT_EQ(run("sq{1970.2}\r\n", *bank, scratch.get()), EndedByLineEnd);
  expectSeries([&](int) { return s.sq[41]; });
  EXPECT_EQ(run("sq+b\r\n", *bank, scratch.get()), -1);
  EXPECT_EQ(output, "\nFrequency conflict in expression.\n");
}

// --- Errors ---------------------------------------------------------------------

TEST_F(EvaluatorTest, ErrorsPrintTheirMessageAndGiveMinusOne) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"a--b\r\n", "\nBad syntax in expression.\n"},
      {"--a\r\n", "\nBad syntax in expression.\n"},
      {"a*/b\r\n", "\nBad syntax in expression.\n"},
      {"a+*b\r\n", "\nBad syntax in expression.\n"},
      {"a*\r\n+b\r\n", "\nBad syntax in expression.\n"},
      {"a+q\r\n", "\nFrequency conflict in expression.\n"},
      {"q*a\r\n", "\nFrequency conflict in expression.\n"},
      {"2*q+a\r\n", "\nFrequency conflict in expression.\n"},
      {"m+(q)\r\n", "\nFrequency conflict in expression.\n"},
      {"(a+b\r\n", "error: missing )"},
      {"a*(b\r\n", "error: missing )"},
      {"a +\r\n", "\nUnrecognized element in expression\n"},
      {"", "\nUnrecognized element in expression\n"},
      {"a+[2]\r\n", "\nUnrecognized element in expression\n"},
      {"a $\r\n", "\nUnrecognized element in expression\n"},
      {"a+{1990}\r\n", "\nUnrecognized element in expression\n"},
      {"nosuch+1\r\n", "nosuch can't be found \r\n"},
      {"a+\"no such\"\r\n", "no such can't be found \r\n"},
      // Inside parentheses the failed lookup also ends the parenthesis early.
      {"2*(nosuch)\r\n", "nosuch can't be found \r\nerror: missing )"},
      {"a[2\r\n", "Missing bracket. "},
      {"a[-2]\r\n", "Missing bracket. "},
      {"a[]\r\n", "Missing bracket. "},
      {"a{x}\r\n", "Date must be a number. \n"},
      {"a{1990\r\n", "Missing right brace. \n"},
      {"@foo(a)\r\n", " foo is not a recognized function"},
      {"a+@3\r\n", "@ must be followed by function name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), -1);
    EXPECT_EQ(output, c.message);
  }
}

TEST_F(EvaluatorTest, UnknownSeriesInOneBankOnly) {
  // The definition exists in the scratch bank; the bank of another alternative lacks
  // the series itself.
  EXPECT_EQ(run("sq\r\n", *bank, scratch.get()), EndedByLineEnd);
  EXPECT_EQ(run("a\r\n", *late, nullptr), -1);
  EXPECT_EQ(output, "a can't be found \r\n");
  for (int i = 0; i < MaxObs; ++i) ASSERT_EQ(result[i], 0.0f);
}

TEST_F(EvaluatorTest, MissingParenSkipsTheRestOfTheStatement) {
  std::string path = dir.file("stub.txt");
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("(a + b\nc +\nd\nnext\n", f);
    std::fclose(f);
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  reader.setSource(f);
  {
    ConsoleCapture capture;
    EXPECT_EQ(evaluate(context, reader, result, *bank, nullptr).status, -1);
    EXPECT_EQ(capture.text(), "error: missing )");
  }
  EXPECT_EQ(reader.nextToken(), token::kWord);
  EXPECT_EQ(reader.tokenText(), "next");
  reader.setSource(nullptr);
  std::fclose(f);
}

// --- Work arrays ----------------------------------------------------------------

TEST_F(EvaluatorTest, RepeatedCallsAreNotDisturbedByEarlierOnes) {
  // A long bank's series, then a short bank's: nothing of the first shows in the second.
  ConsoleCapture quiet;
  CompBank comp(dir.file("comp"));
  ASSERT_TRUE(comp.isOpen());
  EXPECT_EQ(run("(cq+1)*(cq+2)\r\n", comp), EndedByLineEnd);
  EXPECT_EQ(run(")", *late), EndedByParen);  // empty: the term of all 1999 slots is added
  for (int i = 0; i < MaxObs; ++i) ASSERT_EQ(result[i], 0.0f) << i;
  EXPECT_EQ(run("(cq+1)*(cq+2)\r\n", comp), EndedByLineEnd);
  EXPECT_EQ(run("*(mm)\r\n", *late), EndedByLineEnd);  // a leading '*' multiplies a zero term
  for (int i = 0; i < MaxObs; ++i) ASSERT_EQ(result[i], 0.0f) << i;
  EXPECT_EQ(run("mm[3]\r\n", *late), EndedByLineEnd);
  for (int i = 0; i < MaxObs; ++i) {
    ASSERT_EQ(result[i], i >= 3 && i < kLateObs ? s.m[i - 3] : 0.0f) << i;
  }
}

// An evaluation held over the observations in use (the line handler's form, with an
// extent) gives every slot exactly as the element-by-element passes over all slots
// do: a hashed bank (series of different lengths, MissingValue after their ends, a
// zero in the tail of a divisor), its scratch bank of all 1999 slots, and the main
// workspace bank. Each expectation is the element-by-element formula over the arrays
// the banks hand out whole.
TEST_F(EvaluatorTest, ResultsHeldOverTheObservationsInUseMatchWholeArrays) {
  {
    HashBankWriter writer("held", 7);
    std::vector<float> x, y;
    for (int i = 0; i < 20; ++i) x.push_back(1.5f * static_cast<float>(i) + 2.0f);   // 1950 .. 1969
    for (int i = 0; i < 61; ++i) y.push_back(i % 9 == 0 ? 0.0f : 0.75f * static_cast<float>(i));  // 1940 .. 2000
    ASSERT_EQ(writer.addSeries("x", VexDate(1950, 1, 1), x), 0);
    ASSERT_EQ(writer.addSeries("y", VexDate(1940, 1, 1), y), 0);
    ASSERT_EQ(writer.write(dir.file("held")), 0);
    VexBank defs(dir.file("tws1"), "New", 1920, MaxObs, 1);
    ASSERT_TRUE(defs.isOpen());
    store(defs, "d", 1, makeSeries([](int i) { return i % 5 == 0 ? 0.0f : static_cast<float>(i % 11) - 4.0f; }, MaxObs));
  }
  HashBank held(dir.file("held"));
  VexBank defs(dir.file("tws1"));
  ASSERT_TRUE(held.isOpen());
  ASSERT_TRUE(defs.isOpen());
  Series x{}, y{}, d{};
  ASSERT_EQ(held.readSeries("x", x, -1), 0);
  ASSERT_EQ(held.readSeries("y", y, -1), 0);
  ASSERT_EQ(defs.readSeries("d", d, -1), 0);
  auto quotient = [](float a, float b) { return b != 0.0f ? a / b : a; };
  auto lag = [](const Series& v, int i, int l) { return i >= l ? v[i - l] : 0.0f; };

  struct Case {
    const char* text;
    DataBank* defs;
    std::function<float(int)> want;  // slot i of the whole array (i < 1999), 0 + the terms
  };
  const Case cases[] = {
      {"x", nullptr, [&](int i) { return 0.0f + x[i]; }},
      {"x/y*100", nullptr, [&](int i) { return 0.0f + quotient(x[i], y[i]) * 100.0f; }},
      {"y/x*100", nullptr, [&](int i) { return 0.0f + quotient(y[i], x[i]) * 100.0f; }},
      {"x-x[1]", nullptr, [&](int i) { return 0.0f + x[i] - lag(x, i, 1); }},
      {"-y+x[45]*2", nullptr, [&](int i) { return 0.0f - y[i] + lag(x, i, 45) * 2.0f; }},
      {"x+y[1999]", nullptr, [&](int i) { return 0.0f + x[i] + 0.0f; }},
      {"x{1960}+y{2000}", nullptr, [&](int) { return 0.0f + x[40] + y[80]; }},
      {"x{2100}-1", nullptr, [&](int) { return 0.0f + MissingValue - 1.0f; }},  // past the series' end
      {"x{1900}", nullptr, [&](int) { return 0.0f + MissingValue; }},           // before the base
      {"3-x/0", nullptr, [&](int i) { return 0.0f + 3.0f - x[i]; }},
      {"5", nullptr, [&](int) { return 0.0f + 5.0f; }},
      {"*x", nullptr, [&](int i) { return 0.0f + 0.0f * x[i]; }},
      {"x+(y*2)-x[2]", nullptr, [&](int i) { return 0.0f + (0.0f + x[i] + y[i] * 2.0f) - lag(x, i, 2); }},
      {"x/d", &defs, [&](int i) { return 0.0f + quotient(x[i], d[i]); }},
      {"d-x*y", &defs, [&](int i) { return 0.0f + d[i] - x[i] * y[i]; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string text = std::string(c.text) + "\r\n";
    Series whole;
    whole.fill(9.0f);
    reader.setString(text);
    ConsoleCapture capture;
    ASSERT_EQ(evaluate(context, reader, whole, held, c.defs).status, EndedByLineEnd) << capture.text();
    Series part;
    part.fill(9.0f);
    EvalExtent extent;
    reader.setString(text);
    ASSERT_EQ(evaluate(context, reader, part, held, c.defs, extent).status, EndedByLineEnd);
    EXPECT_EQ(capture.text(), "");
    for (int i = 0; i < MaxObs; ++i) {
      ASSERT_EQ(std::bit_cast<uint32_t>(whole[i]), std::bit_cast<uint32_t>(c.want(i))) << "slot " << i;
      ASSERT_EQ(std::bit_cast<uint32_t>(extent.at(part.data(), i)), std::bit_cast<uint32_t>(whole[i]))
          << "slot " << i;
    }
  }
  // Without a scratch bank of 1999 slots, plain series stay within their own lengths
  // (81 slots for y, 50 for x).
  EvalExtent extent;
  reader.setString("y/x*100\r\n");
  ASSERT_EQ(evaluate(context, reader, result, held, nullptr, extent).status, EndedByLineEnd);
  EXPECT_EQ(extent.used, 81);

  // The workspace bank, whose series fill its 200 observations.
  for (const char* text : {"a/z*100", "a-a[1]", "c{1970}*b", "(a+b)/c"}) {
    SCOPED_TRACE(text);
    Series whole;
    reader.setString(std::string(text) + "\r\n");
    ASSERT_EQ(evaluate(context, reader, whole, *bank, scratch.get()).status, EndedByLineEnd);
    Series part;
    part.fill(9.0f);
    reader.setString(std::string(text) + "\r\n");
    ASSERT_EQ(evaluate(context, reader, part, *bank, scratch.get(), extent).status, EndedByLineEnd);
    for (int i = 0; i < MaxObs; ++i) {
      ASSERT_EQ(std::bit_cast<uint32_t>(extent.at(part.data(), i)), std::bit_cast<uint32_t>(whole[i]))
          << "slot " << i;
    }
  }
}

TEST(WorkArrayTest, LoansStartZeroedAndComeBack) {
  EvalContext context;
  float* first;
  {
    WorkArray w(context);
    first = w.data();
    for (int i = 0; i < MaxObs; ++i) w[i] = 3.0f;
  }
  WorkArray again(context);
  EXPECT_EQ(again.data(), first);  // reused, not allocated afresh
  for (int i = 0; i < MaxObs; ++i) ASSERT_EQ(again[i], 0.0f);
  WorkArray other(context);
  EXPECT_NE(other.data(), again.data());
}

}  // namespace
}  // namespace tabrix
