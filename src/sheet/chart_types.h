// The chart types a \xlgraph block may name: the 73 names with the application's chart
// constants, and the chart each is drawn as in the workbook file. The file holds the
// flat charts libxlsxwriter writes (column, bar, line, area, pie, doughnut, scatter,
// radar, with their stacked, 100% and marker forms); every other kind is drawn as the
// nearest of them: 3-D, cylinder, cone and pyramid forms as the flat chart of the same
// grouping, stock forms as lines, surfaces as areas, bubbles as scatter charts,
// exploded pies and pies of pies as pies.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tabrix {

// The charts the workbook file is written with.
enum class ChartKind : uint8_t {
  Column,
  ColumnStacked,
  ColumnStacked100,
  Bar,
  BarStacked,
  BarStacked100,
  Line,
  LineStacked,
  LineStacked100,
  Area,
  AreaStacked,
  AreaStacked100,
  Pie,
  Doughnut,
  Scatter,                 // markers only
  ScatterLines,            // straight lines with markers
  ScatterLinesNoMarkers,   // straight lines
  ScatterSmooth,           // smooth lines with markers
  ScatterSmoothNoMarkers,  // smooth lines
  Radar,
  RadarMarkers,
  RadarFilled,
};

// How a chart of a given type is drawn.
struct ChartDrawing {
  ChartKind kind = ChartKind::Column;
  bool markers = false;  // the series carry markers (line kinds only)

  bool operator==(const ChartDrawing&) const = default;
};

// One chart-type name.
struct ChartTypeName {
  const char* name;      // as the stub writes it ("3DColumnStacked"); matched ignoring case
  int32_t constant;      // the application's chart constant
  ChartDrawing drawing;  // the chart it is drawn as
  bool exact;            // the drawing is that very chart (no message when it is made)
};

// The 73 names in lookup order.
std::span<const ChartTypeName> chartTypeNames();
// The entry of a name (matched completely, ignoring case), or nullptr.
const ChartTypeName* findChartType(std::string_view name);
// The entry of a chart constant, or nullptr.
const ChartTypeName* chartTypeOf(int32_t constant);
// What a drawing is called in messages and in docs/outputs.md ("column stacked", "bar",
// "line with markers").
const char* drawingName(const ChartDrawing& drawing);

}  // namespace tabrix
