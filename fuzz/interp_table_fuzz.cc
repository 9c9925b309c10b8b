// The table file of @interp from any bytes: a table it accepts is looked up below,
// inside and above its points.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "expr/interp_table.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tabrix;
  InterpTable table;
  std::string problem;
  const InterpTableStatus status = parseInterpTable(fuzz::asText(data, size), table, problem);
  static_cast<void>(describe(status, problem));
  if (status != InterpTableStatus::Ok) return 0;
  if (table.points.size() != table.values.size() || table.points.size() < MinInterpPairs ||
      table.points.size() > MaxInterpPairs) {
    __builtin_trap();  // an accepted table outside its bounds
  }
  const double first = table.points.front();
  const double last = table.points.back();
  for (double v : {first - 1.0, first, (first + last) / 2, last, last + 1.0,
                   static_cast<double>(table.points[1]), std::nextafter(last, first)}) {
    static_cast<void>(interpolate(table, v));
  }
  for (std::size_t i = 0; i + 1 < table.points.size(); ++i) {
    static_cast<void>(interpolate(table, (static_cast<double>(table.points[i]) + table.points[i + 1]) / 2));
  }
  return 0;
}
