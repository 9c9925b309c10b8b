// Conversions to a higher frequency by cubic (Lagrange) interpolation, and @atoqi,
// which spreads annual values over quarters following a quarterly indicator.
//
// A low-frequency period i becomes the k sub-periods ik .. ik + k - 1. Flow forms
// interpolate the cumulated values, so that the k new values average to the old one
// (they are at annual rates); end forms interpolate the values themselves and place
// the value of period i at its last sub-period. Sub-periods that would lie beyond the
// MaxObs slots are dropped, and the result keeps the first evalLength() of them.
#include <algorithm>
#include <array>

#include "expr/function_support.h"
#include "platform/console.h"
#include "reader/chopper.h"

namespace tabrix {

using namespace function_support;

namespace {

enum class Form { Flow, End };

// The most rows a weight table has: t = 0, 1/4, ..., 3.
constexpr int kMaxRows = 13;

// The four Lagrange weights of the nodes 0, 1, 2, 3 at t = 0, h, 2h, ... while t <= 3,
// t accumulated in single precision (13 rows for k = 4, 10 for k = 3, 7 for k = 2).
struct WeightTable {
  std::array<std::array<float, 4>, kMaxRows> rows{};
  int count = 0;

  explicit WeightTable(int k) {
    const float h = 1.0f / static_cast<float>(k);
    for (float t = 0.0f; t <= 3.0f && count < kMaxRows; t += h, ++count) {
      for (int m = 0; m < 4; ++m) {
        float w = 1.0f;
        for (int j = 0; j < 4; ++j) {
          if (j != m) w *= (t - static_cast<float>(j)) / static_cast<float>(m - j);
        }
        rows[static_cast<size_t>(count)][static_cast<size_t>(m)] = w;
      }
    }
  }
};

// An output array of MaxObs floats that drops writes past its end.
class Output {
 public:
  explicit Output(EvalContext& context) : array_(context) {}
  void put(long index, float value) {
    if (index >= 0 && index < MaxObs) array_[static_cast<int>(index)] = value;
  }
  // The first n slots into result; the others 0.0.
  void copyTo(SeriesSpan result, int n) {
    std::copy_n(array_.data(), n, result.data());
    std::fill(result.begin() + n, result.end(), 0.0f);
  }

 private:
  WorkArray array_;
};

// The step form for inputs too short to interpolate: each value of periods first ..
// last is repeated over its k sub-periods.
void repeatValues(const float* x, int first, int last, int k, Output& out) {
  for (int i = first; i <= last; ++i) {
    for (int q = 0; q < k; ++q) out.put(static_cast<long>(i) * k + q, x[i]);
  }
}

// One segment: window w of the input, output position p, first weight row r.
void segment(const float* x, int w, long p, int r, int k, Form form, const WeightTable& weights,
             Output& out) {
  std::array<float, 4> v{};
  if (form == Form::End) {
    v = {x[w], x[w + 1], x[w + 2], x[w + 3]};
  } else {
    v = {0.0f, x[w], x[w] + x[w + 1], x[w] + x[w + 1] + x[w + 2]};
  }
  std::array<float, 5> c{};
  for (int q = 0; q <= k; ++q) {
    const auto& row = weights.rows[static_cast<size_t>(std::min(r + q, kMaxRows - 1))];
    float sum = 0.0f;
    for (int m = 0; m < 4; ++m) sum += row[static_cast<size_t>(m)] * v[static_cast<size_t>(m)];
    c[static_cast<size_t>(q)] = sum;
  }
  for (int q = 0; q < k; ++q) {
    const size_t u = static_cast<size_t>(q);
    out.put(p + q, form == Form::End ? c[u] : (c[u + 1] - c[u]) * static_cast<float>(k));
  }
}

// "(" x ")" converted to k times its frequency.
EvalResult convertUp(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                     DataBank* scratch, const char* name, int k, Form form, int16_t frequency) {
  int16_t ignored = 0;
  if (!nextIs(reader, '(') ||
      !readArgument(context, reader, operand, bank, scratch, ')', ignored)) {
    console().write("syntax error in interpolation function");
    return failed();
  }
  const int n = context.evalLength();
  const float* x = operand.data();
  int first = 0;
  int last = -1;
  if (!nonZeroSpan(x, n, first, last)) return {0, frequency};

  Output out(context);
  const int needed = form == Form::End ? 4 : 3;
  if (last - first + 1 < needed) {
    console().printf("\n@%s: fewer than %d periods to interpolate; each value is repeated over its"
                     " sub-periods.\n", name, needed);
    repeatValues(x, first, last, k, out);
    out.copyTo(operand, n);
    return {0, frequency};
  }

  const WeightTable weights(k);
  long p = static_cast<long>(first) * k + (form == Form::End ? k - 1 : 0);
  segment(x, first, p, 0, k, form, weights, out);
  const int e = last - (form == Form::End ? 3 : 2);
  for (int i = first; i <= e; ++i) {
    p += k;
    segment(x, i, p, k, k, form, weights, out);
  }
  p += k;
  segment(x, e, p, 2 * k, k, form, weights, out);
  if (form == Form::End) out.put(p + k, x[last]);
  out.copyTo(operand, n);
  return {0, frequency};
}

}  // namespace

EvalResult atoqFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  return convertUp(context, reader, operand, bank, scratch, "atoq", 4, Form::Flow, 4);
}

EvalResult qtomFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  return convertUp(context, reader, operand, bank, scratch, "qtom", 3, Form::Flow, 12);
}

EvalResult atoqeFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                         DataBank& bank, DataBank* scratch) {
  return convertUp(context, reader, operand, bank, scratch, "atoqe", 4, Form::End, 4);
}

EvalResult qtomeFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                         DataBank& bank, DataBank* scratch) {
  return convertUp(context, reader, operand, bank, scratch, "qtome", 3, Form::End, 12);
}

EvalResult stoqFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                        DataBank& bank, DataBank* scratch) {
  return convertUp(context, reader, operand, bank, scratch, "stoq", 2, Form::Flow, 4);
}

// @atoqi(x, indicator): for each window of three years i .. i + 2, the cumulated annual
// values are interpolated at the cumulated indicator, whose values at the year ends
// are the nodes; the quarters' differences, at annual rates, follow the indicator.
EvalResult atoqiFunction(EvalContext& context, Chopper& reader, SeriesSpan operand,
                         DataBank& bank, DataBank* scratch) {
  static constexpr char kMessage[] = "\nError in inint.\n";
  int16_t ignored = 0;
  WorkArray indicator(context);
  if (!nextIs(reader, '(') ||
      !readArgument(context, reader, operand, bank, scratch, ',', ignored) ||
      !readArgument(context, reader, indicator.span(), bank, scratch, ')', ignored)) {
    console().write(kMessage);
    return failed();
  }
  const int n = context.evalLength();
  const float* x = operand.data();
  int first = 0;
  int last = -1;
  if (!nonZeroSpan(x, n, first, last)) return {0, 4};

  Output out(context);
  if (last - first < 2) {
    console().write("\n@atoqi: fewer than 3 periods to interpolate; each value is repeated over"
                    " its sub-periods.\n");
    repeatValues(x, first, last, 4, out);
    out.copyTo(operand, n);
    return {0, 4};
  }
  auto indicatorAt = [&](long index) -> double {
    return index >= 0 && index < MaxObs ? indicator[static_cast<int>(index)] : 0.0;
  };
  for (int i = first; i <= last - 2; ++i) {
    const long base = 4L * i;
    std::array<double, 13> s{};
    for (int j = 1; j <= 12; ++j) {
      s[static_cast<size_t>(j)] = s[static_cast<size_t>(j - 1)] + indicatorAt(base + j - 1);
    }
    const std::array<double, 4> nodes = {s[0], s[4], s[8], s[12]};
    const std::array<double, 4> values = {0.0, x[i], static_cast<double>(x[i]) + x[i + 1],
                                          static_cast<double>(x[i]) + x[i + 1] + x[i + 2]};
    const int from = i == first ? 0 : 4;
    const int to = i == last - 2 ? 12 : 8;
    std::array<double, 13> c{};
    for (int j = from; j <= to; ++j) {
      const double point = s[static_cast<size_t>(j)];
      double sum = 0.0;
      for (size_t m = 0; m < 4; ++m) {
        double w = 1.0;
        for (size_t l = 0; l < 4; ++l) {
          if (l != m) w *= (point - nodes[l]) / (nodes[m] - nodes[l]);
        }
        sum += w * values[m];
      }
      c[static_cast<size_t>(j)] = sum;
    }
    for (int j = from; j < to; ++j) {
      const size_t u = static_cast<size_t>(j);
      out.put(base + j, static_cast<float>((c[u + 1] - c[u]) * 4.0));
    }
  }
  // The whole output is the result, not only the first evalLength() slots.
  out.copyTo(operand, MaxObs);
  return {0, 4};
}

}  // namespace tabrix
