// @bmk(bench, mover): the mover series scaled to the known values of the bench series.
// Before the first known bench value the mover is scaled by the ratio there; between
// two known values by the ratio at the earlier one, with a straight-line correction
// that meets the later one; after the last known value by the ratio there. Runs of
// known bench values are copied as they are.
#include <algorithm>
#include <cmath>

#include "expr/function_support.h"
#include "platform/console.h"
#include "reader/chopper.h"

namespace tabrix {

using namespace function_support;

namespace {

// The arrays one @bmk works on; n observations of each.
struct Benchmarking {
  const float* bench;
  const float* mover;
  float* y;
  int n;

  bool known(int i) const { return !isMissing(bench[i]); }
  float ratio(int j) const { return std::fabs(mover[j]) < 0.0000001f ? 0.0f : bench[j] / mover[j]; }
  // The mover scaled by r; a missing mover stays missing.
  float scaled(int i, float r) const { return isMissing(mover[i]) ? MissingValue : mover[i] * r; }

  // The first index from `from` with a known bench value, or n.
  int nextKnown(int from) const {
    int e = from;
    while (e < n && !known(e)) ++e;
    return e;
  }

  // One segment from a; returns where the next one starts (n when done).
  int segment(int a) {
    int e = nextKnown(a == 0 ? 0 : a + 1);
    if (e == n) {
      if (!known(a)) return n;
      const float r = ratio(a);
      for (int i = a + 1; i < n; ++i) y[i] = scaled(i, r);
      return n;
    }
    if (a == 0) {
      const float r = ratio(e);
      if (e == 0) e = nextKnown(1);
      for (int i = 0; i < e; ++i) y[i] = scaled(i, r);
      if (e == n) return n;
      int copied = e;
      for (int i = e; i < n && known(i); ++i) {
        y[i] = bench[i];
        copied = i;
      }
      return copied;
    }
    const float r = ratio(a);
    for (int i = a + 1; i <= e; ++i) y[i] = scaled(i, r);
    const float d = bench[e] - y[e];
    const float span = static_cast<float>(e - a);
    for (int i = a + 1; i <= e; ++i) {
      if (!isMissing(mover[i])) y[i] += static_cast<float>(i - a) / span * d;
    }
    return e;
  }
};

}  // namespace

EvalResult bmkFunction(EvalContext& context, Chopper& reader, SeriesSpan operand, DataBank& bank,
                       DataBank* scratch) {
  int16_t benchFrequency = 0;
  int16_t moverFrequency = 0;
  WorkArray bench(context);
  WorkArray mover(context);
  if (!nextIs(reader, '(') ||
      !readArgument(context, reader, bench.span(), bank, scratch, ',', benchFrequency) ||
      !readArgument(context, reader, mover.span(), bank, scratch, ')', moverFrequency)) {
    console().write("syntax error in @bmk(bench,mover)\r\n");
    return failed();
  }
  std::fill(operand.begin(), operand.end(), 0.0f);
  Benchmarking b{bench.data(), mover.data(), operand.data(), context.evalLength()};
  int a = 0;
  while (a < b.n) {
    const int next = b.segment(a);
    if (next <= a) break;  // every segment moves on; this keeps the loop finite regardless
    a = next;
  }
  return {0, resultFrequency(moverFrequency, benchFrequency)};
}

}  // namespace tabrix
