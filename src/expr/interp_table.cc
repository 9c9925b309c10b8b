#include "expr/interp_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>

#include "expr/function_support.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/run_files.h"
#include "reader/chopper.h"

namespace tabrix {

using namespace function_support;

namespace {

// How much of an offending word a message shows.
constexpr std::size_t kShownWordLength = 24;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// The word as a message shows it: cut, with bytes that are not printable as '?'.
std::string printable(std::string_view word) {
  std::string text(word.substr(0, kShownWordLength));
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
  }
  if (word.size() > kShownWordLength) text += "...";
  return text;
}

// A word as a finite float, accepting a leading '+' as scanf does.
bool toFloat(std::string_view word, float& value) {
  if (word.size() > 1 && word[0] == '+' && word[1] != '-' && word[1] != '+') word.remove_prefix(1);
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value);
  return error == std::errc() && stop == end && std::isfinite(value);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string describe(InterpTableStatus status, std::string_view problem) {
  switch (status) {
    case InterpTableStatus::Ok: return "";
    case InterpTableStatus::CannotOpen: return "cannot be read";
    case InterpTableStatus::TooLarge: return "is larger than 65536 bytes";
    case InterpTableStatus::NotANumber: return "\"" + std::string(problem) + "\" is not a number";
    case InterpTableStatus::OddCount: return "ends with a point without its value";
    case InterpTableStatus::TooManyPairs: return "holds more than 100 pairs";
    case InterpTableStatus::TooFewPairs: return "holds fewer than 4 pairs";
    case InterpTableStatus::NotAscending: return "has points that are not in ascending order";
  }
  return "";
}

InterpTableStatus parseInterpTable(std::string_view bytes, InterpTable& table,
                                   std::string& problem) {
  table = InterpTable{};
  problem.clear();
  if (bytes.size() > MaxInterpFileBytes) return InterpTableStatus::TooLarge;
  InterpTable read;
  int numbers = 0;
  std::size_t i = 0;
  while (true) {
    while (i < bytes.size() && isBlank(bytes[i])) ++i;
    if (i == bytes.size()) break;
    const std::size_t start = i;
    while (i < bytes.size() && !isBlank(bytes[i])) ++i;
    const std::string_view word = bytes.substr(start, i - start);
    float value = 0.0f;
    if (!toFloat(word, value)) {
      problem = printable(word);
      return InterpTableStatus::NotANumber;
    }
    if (numbers % 2 == 0) {
      if (static_cast<int>(read.points.size()) == MaxInterpPairs) return InterpTableStatus::TooManyPairs;
      if (!read.points.empty() && !(value > read.points.back())) return InterpTableStatus::NotAscending;
      read.points.push_back(value);
    } else {
      read.values.push_back(value);
    }
    ++numbers;
  }
  if (numbers % 2 != 0) return InterpTableStatus::OddCount;
  if (static_cast<int>(read.points.size()) < MinInterpPairs) return InterpTableStatus::TooFewPairs;
  table = std::move(read);
  return InterpTableStatus::Ok;
}

InterpTableStatus readInterpTable(const std::string& path, InterpTable& table,
                                  std::string& problem) {
  table = InterpTable{};
  problem.clear();
  std::unique_ptr<std::FILE, FileCloser> file(openRunInput(path, "rb"));
  if (!file) return InterpTableStatus::CannotOpen;
  std::string bytes(MaxInterpFileBytes + 1, '\0');
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
  if (std::ferror(file.get())) return InterpTableStatus::CannotOpen;
  bytes.resize(got);
  return parseInterpTable(bytes, table, problem);
}

double interpolate(const InterpTable& table, double v) {
  const std::vector<float>& x = table.points;
  const std::vector<float>& y = table.values;
  const int n = static_cast<int>(std::min(x.size(), y.size()));
  if (n == 0) return 0.0;
  if (v <= x[0]) return y[0];
  if (v > x[static_cast<size_t>(n - 1)]) return y[static_cast<size_t>(n - 1)];
  if (n < MinInterpPairs) return y[0];
  int i = 1;
  while (i < n && !(v <= x[static_cast<size_t>(i)])) ++i;  // a NaN runs to n
  const int base = std::clamp(i - 2, 0, n - 4);
  double result = 0.0;
  for (int m = base; m < base + 4; ++m) {
    double w = 1.0;
    for (int j = base; j < base + 4; ++j) {
      if (j != m) {
        w *= (v - x[static_cast<size_t>(j)]) / (static_cast<double>(x[static_cast<size_t>(m)]) -
                                                x[static_cast<size_t>(j)]);
      }
    }
    result += w * y[static_cast<size_t>(m)];
  }
  return result;
}

// @interp(file, x): each observation of x looked up in the table file.
EvalResult interpFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                          DataBank& bank, DataBank* scratch) {
  static constexpr char kMessage[] = "\nError in interp function.\n";
  if (!nextIs(reader, '(') || !nextIs(reader, token::kWord)) {
    console().write(kMessage);
    return failed();
  }
  const std::string name = reader.tokenText();
  InterpTable table;
  std::string problem;
  const InterpTableStatus status = readInterpTable(toPath(name), table, problem);
  if (status == InterpTableStatus::CannotOpen) {
    console().printf("\nCannot open %s\n", name.c_str());
    console().write(kMessage);
    return failed();
  }
  if (status != InterpTableStatus::Ok) {
    console().printf("\n@interp: %s %s.\n", name.c_str(), describe(status, problem).c_str());
    console().write(kMessage);
    return failed();
  }
  int16_t frequency = 0;
  if (!nextIs(reader, ',') ||
      !readArgument(context, reader, operand, bank, scratch, ')', frequency)) {
    console().write(kMessage);
    return failed();
  }
  const int n = context.evalLength();
  for (int i = 0; i < n; ++i) operand[i] = static_cast<float>(interpolate(table, operand[i]));
  return {0, frequency};
}

}  // namespace tabrix
