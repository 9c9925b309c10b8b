// The charts of \xlgraph blocks as vector graphics: a ChartData drawn with cairo on a
// PDF page or in an SVG file. The chart type is drawn as the chart the workbook writer
// maps it to (chart_types.h): columns, bars, lines, areas (each clustered, stacked or
// stacked to 100%), scatter, pie, doughnut and radar charts. A chart has its title and
// subtitle centred at the top, the value axis with ticks at round numbers and its title,
// the date labels as categories, and a legend of the series (of the categories for pie
// and doughnut charts). Line, scatter and radar charts scale their value axis to the
// data; columns, bars and areas keep zero on it.
#pragma once

#include <cairo.h>

#include <string>

#include "table/pango_text.h"
#include "table/table_sink.h"

namespace tabrix {

// An axis from low to high with a tick every step; the tick labels show decimals.
struct AxisScale {
  double low = 0.0;
  double high = 1.0;
  double step = 0.2;
  int decimals = 1;
};

// The axis that holds the values from low to high: the step 1, 2, 2.5 or 5 times a
// power of ten giving about five intervals, the ends on whole steps; with fromZero the
// axis also holds zero.
AxisScale niceScale(double low, double high, bool fromZero);

// Draws the chart into the rectangle (0, 0)-(width, height) of cr.
void drawChart(cairo_t* cr, TextSetter& text, const ChartData& chart, double width, double height);

// The size of an SVG chart, in points.
inline constexpr double SvgChartWidth = 720.0;
inline constexpr double SvgChartHeight = 450.0;

// What became of an SVG file: opened false when it could not be opened, written false
// when it could not be written whole. The caller reports either.
struct SvgResult {
  bool opened = false;
  bool written = false;
};
// Writes the chart as an SVG file at path (cairo's SVG surface).
SvgResult writeSvgChart(const std::string& path, TextSetter& text, const ChartData& chart);

}  // namespace tabrix
