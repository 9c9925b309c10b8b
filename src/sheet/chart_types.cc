#include "sheet/chart_types.h"

#include <array>

#include "support/text.h"

namespace tabrix {

namespace {

using K = ChartKind;

constexpr ChartDrawing plain(ChartKind kind) { return ChartDrawing{kind, false}; }
constexpr ChartDrawing withMarkers(ChartKind kind) { return ChartDrawing{kind, true}; }

constexpr std::array<ChartTypeName, 73> kNames = {{
    {"ColumnClustered", 51, plain(K::Column), true},
    {"ColumnStacked", 52, plain(K::ColumnStacked), true},
    {"ColumnStacked100", 53, plain(K::ColumnStacked100), true},
    {"3DColumnClustered", 54, plain(K::Column), false},
    {"3DColumnStacked", 55, plain(K::ColumnStacked), false},
    {"3DColumnStacked100", 56, plain(K::ColumnStacked100), false},
    {"BarClustered", 57, plain(K::Bar), true},
    {"BarStacked", 58, plain(K::BarStacked), true},
    {"BarStacked100", 59, plain(K::BarStacked100), true},
    {"3DBarClustered", 60, plain(K::Bar), false},
    {"3DBarStacked", 61, plain(K::BarStacked), false},
    {"3DBarStacked100", 62, plain(K::BarStacked100), false},
    {"LineStacked", 63, plain(K::LineStacked), true},
    {"LineStacked100", 64, plain(K::LineStacked100), true},
    {"LineMarkers", 65, withMarkers(K::Line), true},
    {"LineMarkersStacked", 66, withMarkers(K::LineStacked), true},
    {"LineMarkersStacked100", 67, withMarkers(K::LineStacked100), true},
    {"PieOfPie", 68, plain(K::Pie), false},
    {"PieExploded", 69, plain(K::Pie), false},
    {"3DPieExploded", 70, plain(K::Pie), false},
    {"BarOfPie", 71, plain(K::Pie), false},
    {"XYScatterSmooth", 72, plain(K::ScatterSmooth), true},
    {"XYScatterSmoothNoMarkers", 73, plain(K::ScatterSmoothNoMarkers), true},
    {"XYScatterLines", 74, plain(K::ScatterLines), true},
    {"XYScatterLinesNoMarkers", 75, plain(K::ScatterLinesNoMarkers), true},
    {"AreaStacked", 76, plain(K::AreaStacked), true},
    {"AreaStacked100", 77, plain(K::AreaStacked100), true},
    {"3DAreaStacked", 78, plain(K::AreaStacked), false},
    {"3DAreaStacked100", 79, plain(K::AreaStacked100), false},
    {"DoughnutExploded", 80, plain(K::Doughnut), false},
    {"RadarMarkers", 81, plain(K::RadarMarkers), true},
    {"RadarFilled", 82, plain(K::RadarFilled), true},
    {"Surface", 83, plain(K::Area), false},
    {"SurfaceWireframe", 84, plain(K::Area), false},
    {"SurfaceTopView", 85, plain(K::Area), false},
    {"SurfaceTopViewWireframe", 86, plain(K::Area), false},
    {"Bubble", 15, plain(K::Scatter), false},
    {"Bubble3DEffect", 87, plain(K::Scatter), false},
    {"StockHLC", 88, plain(K::Line), false},
    {"StockOHLC", 89, plain(K::Line), false},
    {"StockVHLC", 90, plain(K::Line), false},
    {"StockVOHLC", 91, plain(K::Line), false},
    {"CylinderColClustered", 92, plain(K::Column), false},
    {"CylinderColStacked", 93, plain(K::ColumnStacked), false},
    {"CylinderColStacked100", 94, plain(K::ColumnStacked100), false},
    {"CylinderBarClustered", 95, plain(K::Bar), false},
    {"CylinderBarStacked", 96, plain(K::BarStacked), false},
    {"CylinderBarStacked100", 97, plain(K::BarStacked100), false},
    {"CylinderCol", 98, plain(K::Column), false},
    {"ConeColClustered", 99, plain(K::Column), false},
    {"ConeColStacked", 100, plain(K::ColumnStacked), false},
    {"ConeColStacked100", 101, plain(K::ColumnStacked100), false},
    {"ConeBarClustered", 102, plain(K::Bar), false},
    {"ConeBarStacked", 103, plain(K::BarStacked), false},
    {"ConeBarStacked100", 104, plain(K::BarStacked100), false},
    {"ConeCol", 105, plain(K::Column), false},
    {"PyramidColClustered", 106, plain(K::Column), false},
    {"PyramidColStacked", 107, plain(K::ColumnStacked), false},
    {"PyramidColStacked100", 108, plain(K::ColumnStacked100), false},
    {"PyramidBarClustered", 109, plain(K::Bar), false},
    {"PyramidBarStacked", 110, plain(K::BarStacked), false},
    {"PyramidBarStacked100", 111, plain(K::BarStacked100), false},
    {"PyramidCol", 112, plain(K::Column), false},
    {"3DColumn", -4100, plain(K::Column), false},
    {"Line", 4, plain(K::Line), true},
    {"3DLine", -4101, plain(K::Line), false},
    {"3DPie", -4102, plain(K::Pie), false},
    {"Pie", 5, plain(K::Pie), true},
    {"XYScatter", -4169, plain(K::Scatter), true},
    {"3DArea", -4098, plain(K::Area), false},
    {"Area", 1, plain(K::Area), true},
    {"Doughnut", -4120, plain(K::Doughnut), true},
    {"Radar", -4151, plain(K::Radar), true},
}};

}  // namespace

std::span<const ChartTypeName> chartTypeNames() { return kNames; }

const ChartTypeName* findChartType(std::string_view name) {
  for (const ChartTypeName& entry : kNames)
    if (equalsIgnoringCase(name, entry.name)) return &entry;
  return nullptr;
}

const ChartTypeName* chartTypeOf(int32_t constant) {
  for (const ChartTypeName& entry : kNames)
    if (entry.constant == constant) return &entry;
  return nullptr;
}

const char* drawingName(const ChartDrawing& drawing) {
  switch (drawing.kind) {
    case K::Column: return "column";
    case K::ColumnStacked: return "column stacked";
    case K::ColumnStacked100: return "column stacked 100%";
    case K::Bar: return "bar";
    case K::BarStacked: return "bar stacked";
    case K::BarStacked100: return "bar stacked 100%";
    case K::Line: return drawing.markers ? "line with markers" : "line";
    case K::LineStacked: return drawing.markers ? "line stacked with markers" : "line stacked";
    case K::LineStacked100: return drawing.markers ? "line stacked 100% with markers" : "line stacked 100%";
    case K::Area: return "area";
    case K::AreaStacked: return "area stacked";
    case K::AreaStacked100: return "area stacked 100%";
    case K::Pie: return "pie";
    case K::Doughnut: return "doughnut";
    case K::Scatter: return "scatter";
    case K::ScatterLines: return "scatter with lines";
    case K::ScatterLinesNoMarkers: return "scatter with lines, no markers";
    case K::ScatterSmooth: return "scatter with smooth lines";
    case K::ScatterSmoothNoMarkers: return "scatter with smooth lines, no markers";
    case K::Radar: return "radar";
    case K::RadarMarkers: return "radar with markers";
    case K::RadarFilled: return "radar filled";
  }
  return "column";
}

}  // namespace tabrix
