#include "table/pdf_chart.h"

#include <cairo-svg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <vector>

#include "platform/run_files.h"
#include "sheet/chart_types.h"

namespace tabrix {

namespace {

using K = ChartKind;

struct Colour {
  double red, green, blue;
};

// The series colours, in order; a chart of more series repeats them.
constexpr std::array<Colour, 10> Palette = {{
    {0.267, 0.447, 0.769},
    {0.929, 0.490, 0.192},
    {0.439, 0.678, 0.278},
    {1.000, 0.753, 0.000},
    {0.357, 0.608, 0.835},
    {0.647, 0.647, 0.647},
    {0.149, 0.267, 0.471},
    {0.620, 0.282, 0.055},
    {0.600, 0.451, 0.000},
    {0.388, 0.388, 0.388},
}};

const Colour& colourOf(std::size_t index) { return Palette[index % Palette.size()]; }
void setColour(cairo_t* cr, const Colour& c, double alpha = 1.0) {
  cairo_set_source_rgba(cr, c.red, c.green, c.blue, alpha);
}

enum class Family { Column, Bar, Line, Area, Scatter, Pie, Doughnut, Radar };
enum class Grouping { Clustered, Stacked, Percent };

// What a chart kind is drawn as.
struct Form {
  Family family = Family::Line;
  Grouping grouping = Grouping::Clustered;
  bool markers = false;
  bool lines = true;    // scatter: points joined
  bool smooth = false;  // scatter: joined by curves
  bool filled = false;  // radar: filled
};

Form formOf(int chartType) {
  const ChartTypeName* type = chartTypeOf(chartType);
  const ChartDrawing drawing = type != nullptr ? type->drawing : ChartDrawing{K::Line, false};
  Form form;
  form.markers = drawing.markers;
  switch (drawing.kind) {
    case K::Column: form.family = Family::Column; break;
    case K::ColumnStacked: form.family = Family::Column; form.grouping = Grouping::Stacked; break;
    case K::ColumnStacked100: form.family = Family::Column; form.grouping = Grouping::Percent; break;
    case K::Bar: form.family = Family::Bar; break;
    case K::BarStacked: form.family = Family::Bar; form.grouping = Grouping::Stacked; break;
    case K::BarStacked100: form.family = Family::Bar; form.grouping = Grouping::Percent; break;
    case K::Line: form.family = Family::Line; break;
    case K::LineStacked: form.family = Family::Line; form.grouping = Grouping::Stacked; break;
    case K::LineStacked100: form.family = Family::Line; form.grouping = Grouping::Percent; break;
    case K::Area: form.family = Family::Area; break;
    case K::AreaStacked: form.family = Family::Area; form.grouping = Grouping::Stacked; break;
    case K::AreaStacked100: form.family = Family::Area; form.grouping = Grouping::Percent; break;
    case K::Pie: form.family = Family::Pie; break;
    case K::Doughnut: form.family = Family::Doughnut; break;
    case K::Scatter: form.family = Family::Scatter; form.markers = true; form.lines = false; break;
    case K::ScatterLines: form.family = Family::Scatter; form.markers = true; break;
    case K::ScatterLinesNoMarkers: form.family = Family::Scatter; break;
    case K::ScatterSmooth: form.family = Family::Scatter; form.markers = true; form.smooth = true; break;
    case K::ScatterSmoothNoMarkers: form.family = Family::Scatter; form.smooth = true; break;
    case K::Radar: form.family = Family::Radar; break;
    case K::RadarMarkers: form.family = Family::Radar; form.markers = true; break;
    case K::RadarFilled: form.family = Family::Radar; form.filled = true; break;
  }
  return form;
}

bool finite(double v) { return std::isfinite(v); }

// The values as plotted: stacked values are the running sums of the series (positive
// and negative parts apart), percentages are shares of each category's total size.
struct Plotted {
  std::vector<std::vector<double>> low, high;  // per series and category: the span drawn
  double least = std::numeric_limits<double>::infinity();
  double most = -std::numeric_limits<double>::infinity();
};

Plotted plotValues(const ChartData& chart, Grouping grouping, std::size_t categories) {
  Plotted p;
  const std::size_t n = chart.series.size();
  p.low.assign(n, std::vector<double>(categories, std::nan("")));
  p.high = p.low;
  for (std::size_t c = 0; c < categories; ++c) {
    double total = 0.0;
    for (const auto& s : chart.series) {
      if (c < s.values.size() && finite(s.values[c])) total += std::fabs(s.values[c]);
    }
    double up = 0.0;
    double down = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
      const auto& values = chart.series[k].values;
      if (c >= values.size() || !finite(values[c])) continue;
      double v = values[c];
      if (grouping == Grouping::Percent) v = total > 0.0 ? 100.0 * v / total : 0.0;
      if (grouping == Grouping::Clustered) {
        p.low[k][c] = 0.0;
        p.high[k][c] = v;
      } else if (v >= 0.0) {
        p.low[k][c] = up;
        p.high[k][c] = up += v;
      } else {
        p.low[k][c] = down;
        p.high[k][c] = down += v;
      }
      p.least = std::min(p.least, p.high[k][c]);
      p.most = std::max(p.most, p.high[k][c]);
    }
  }
  return p;
}

std::string tickText(double value, int decimals) {
  char text[64];
  if (std::fabs(value) < 1e-12) value = 0.0;
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// A marker of shape (by series) at (x, y).
void marker(cairo_t* cr, std::size_t shape, double x, double y, double r) {
  switch (shape % 4) {
    case 0: cairo_arc(cr, x, y, r, 0, 2 * std::numbers::pi); break;
    case 1: cairo_rectangle(cr, x - r, y - r, 2 * r, 2 * r); break;
    case 2:
      cairo_move_to(cr, x, y - r * 1.3);
      cairo_line_to(cr, x + r * 1.3, y);
      cairo_line_to(cr, x, y + r * 1.3);
      cairo_line_to(cr, x - r * 1.3, y);
      cairo_close_path(cr);
      break;
    default:
      cairo_move_to(cr, x, y - r * 1.3);
      cairo_line_to(cr, x + r * 1.2, y + r);
      cairo_line_to(cr, x - r * 1.2, y + r);
      cairo_close_path(cr);
      break;
  }
  cairo_fill(cr);
}

// A path through the points, broken at missing ones; smooth joins them by curves.
void pathThrough(cairo_t* cr, const std::vector<double>& xs, const std::vector<double>& ys, bool smooth) {
  bool drawing = false;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    if (!finite(ys[i])) {
      drawing = false;
      continue;
    }
    if (!drawing) {
      cairo_move_to(cr, xs[i], ys[i]);
      drawing = true;
      continue;
    }
    if (!smooth) {
      cairo_line_to(cr, xs[i], ys[i]);
      continue;
    }
    // Catmull-Rom through the neighbours that exist.
    const std::size_t a = (i >= 2 && finite(ys[i - 2])) ? i - 2 : i - 1;
    const std::size_t d = (i + 1 < xs.size() && finite(ys[i + 1])) ? i + 1 : i;
    const double c1x = xs[i - 1] + (xs[i] - xs[a]) / 6.0;
    const double c1y = ys[i - 1] + (ys[i] - ys[a]) / 6.0;
    const double c2x = xs[i] - (xs[d] - xs[i - 1]) / 6.0;
    const double c2y = ys[i] - (ys[d] - ys[i - 1]) / 6.0;
    cairo_curve_to(cr, c1x, c1y, c2x, c2y, xs[i], ys[i]);
  }
}

struct Box {
  double left, top, right, bottom;
  double width() const { return right - left; }
  double height() const { return bottom - top; }
};

class ChartPainter {
 public:
  ChartPainter(cairo_t* cr, TextSetter& text, const ChartData& chart, double width, double height)
      : cr_(cr), text_(text), chart_(chart), width_(width), height_(height), form_(formOf(chart.chartType)) {
    titleStyle_.size = 16.0;
    titleStyle_.bold = true;
    subtitleStyle_.size = 12.0;
    labelStyle_.size = 9.0;
    axisTitleStyle_.size = 10.0;
    axisTitleStyle_.bold = true;
    categories_ = chart.categories.size();
    for (const auto& s : chart.series) categories_ = std::max(categories_, s.values.size());
  }

  void paint() {
    cairo_save(cr_);
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_rectangle(cr_, 0, 0, width_, height_);
    cairo_fill(cr_);
    const double margin = std::min(width_, height_) * 0.06;
    double top = margin;
    if (!chart_.title.empty()) {
      top += text_.ascent(titleStyle_);
      text_.draw(cr_, chart_.title, titleStyle_, width_ / 2.0, top, Align::Centre);
      top += text_.descent(titleStyle_) + 4.0;
    }
    if (!chart_.subtitle.empty()) {
      top += text_.ascent(subtitleStyle_);
      text_.draw(cr_, chart_.subtitle, subtitleStyle_, width_ / 2.0, top, Align::Centre);
      top += text_.descent(subtitleStyle_);
    }
    top += 12.0;
    const double bottom = drawLegend(margin);
    Box area{margin, top, width_ - margin, bottom - 8.0};
    switch (form_.family) {
      case Family::Pie:
      case Family::Doughnut:
        drawPie(area);
        break;
      case Family::Radar:
        drawRadar(area);
        break;
      case Family::Bar:
        drawBars(area);
        break;
      default:
        drawUpright(area);
        break;
    }
    cairo_restore(cr_);
  }

 private:
  bool byCategory() const { return form_.family == Family::Pie || form_.family == Family::Doughnut; }
  std::string category(std::size_t c) const { return c < chart_.categories.size() ? chart_.categories[c] : ""; }

  // The legend along the foot, centred in rows; returns its top.
  double drawLegend(double margin) {
    std::vector<std::string> labels;
    if (byCategory()) {
      for (std::size_t c = 0; c < categories_; ++c) labels.push_back(category(c));
    } else {
      for (const auto& s : chart_.series) labels.push_back(s.label);
    }
    if (labels.empty()) return height_ - margin;
    const double swatch = 9.0;
    const double gap = 14.0;
    const double room = width_ - 2 * margin;
    const double lineHeight = labelStyle_.size * 1.6;
    // Rows of entries that fit across.
    std::vector<std::vector<std::size_t>> rows(1);
    std::vector<double> rowWidths(1, 0.0);
    std::vector<double> widths;
    for (std::size_t i = 0; i < labels.size(); ++i) {
      const double w = swatch + 4.0 + text_.width(labels[i], labelStyle_);
      widths.push_back(w);
      if (!rows.back().empty() && rowWidths.back() + gap + w > room) {
        rows.emplace_back();
        rowWidths.push_back(0.0);
      }
      rowWidths.back() += (rows.back().empty() ? 0.0 : gap) + w;
      rows.back().push_back(i);
    }
    const double top = height_ - margin - lineHeight * static_cast<double>(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
      double x = margin + (room - rowWidths[r]) / 2.0;
      const double baseline = top + lineHeight * (static_cast<double>(r) + 0.75);
      for (std::size_t i : rows[r]) {
        setColour(cr_, colourOf(i));
        const bool asLine = !byCategory() && (form_.family == Family::Line || form_.family == Family::Scatter ||
                                              (form_.family == Family::Radar && !form_.filled));
        if (asLine) {
          cairo_set_line_width(cr_, 2.0);
          cairo_move_to(cr_, x, baseline - swatch / 2.0 + 1.0);
          cairo_line_to(cr_, x + swatch, baseline - swatch / 2.0 + 1.0);
          cairo_stroke(cr_);
          if (form_.markers) marker(cr_, i, x + swatch / 2.0, baseline - swatch / 2.0 + 1.0, 2.2);
        } else {
          cairo_rectangle(cr_, x, baseline - swatch + 1.0, swatch, swatch);
          cairo_fill(cr_);
        }
        text_.draw(cr_, labels[i], labelStyle_, x + swatch + 4.0, baseline);
        x += widths[i] + gap;
      }
    }
    return top;
  }

  AxisScale valueScale(const Plotted& p, bool fromZero) const {
    if (!(p.least <= p.most)) return niceScale(0.0, 1.0, true);
    if (form_.grouping == Grouping::Percent) {
      return niceScale(std::min(0.0, p.least), std::max(p.most, 0.0) > 0.0 ? 100.0 : 0.0, true);
    }
    return niceScale(p.least, p.most, fromZero);
  }

  void gridLine(double x0, double y0, double x1, double y1) {
    cairo_set_source_rgb(cr_, 0.85, 0.85, 0.85);
    cairo_set_line_width(cr_, 0.5);
    cairo_move_to(cr_, x0, y0);
    cairo_line_to(cr_, x1, y1);
    cairo_stroke(cr_);
  }

  // Columns, lines, areas and scatter charts: categories across, values up.
  void drawUpright(Box area) {
    const bool fromZero = form_.family == Family::Column || form_.family == Family::Area;
    const Plotted p = plotValues(chart_, form_.grouping, categories_);
    const AxisScale scale = valueScale(p, fromZero);
    // Room for the value axis's title and tick labels at the left, the categories below.
    double tickWide = 0.0;
    for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step) {
      tickWide = std::max(tickWide, text_.width(tickText(v, scale.decimals), labelStyle_));
    }
    Box plot = area;
    if (!chart_.axisTitle.empty()) plot.left += axisTitleStyle_.size * 1.8;
    plot.left += tickWide + 6.0;
    plot.bottom -= labelStyle_.size * 2.0;
    plot.top += labelStyle_.size / 2.0;
    plot.right -= 8.0;
    if (!chart_.axisTitle.empty()) {
      text_.drawUpwards(cr_, chart_.axisTitle, axisTitleStyle_, area.left + axisTitleStyle_.size * 0.7,
                        (plot.top + plot.bottom) / 2.0);
    }
    auto yOf = [&](double v) { return plot.bottom - (v - scale.low) / (scale.high - scale.low) * plot.height(); };
    for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step) {
      const double y = yOf(v);
      gridLine(plot.left, y, plot.right, y);
      text_.draw(cr_, tickText(v, scale.decimals), labelStyle_, plot.left - 5.0, y + labelStyle_.size * 0.35,
                 Align::Right);
    }
    const std::size_t n = std::max<std::size_t>(categories_, 1);
    const double slot = plot.width() / static_cast<double>(n);
    auto xOf = [&](std::size_t c) { return plot.left + slot * (static_cast<double>(c) + 0.5); };
    categoryLabels(n, slot, [&](std::size_t c) { return xOf(c); }, plot.bottom + labelStyle_.size * 1.3);

    const double zero = yOf(std::clamp(0.0, scale.low, scale.high));
    const std::size_t seriesCount = chart_.series.size();
    if (form_.family == Family::Column) {
      const double group = slot * 0.75;
      const bool clustered = form_.grouping == Grouping::Clustered;
      const double bar = clustered && seriesCount > 0 ? group / static_cast<double>(seriesCount) : group;
      for (std::size_t k = 0; k < seriesCount; ++k) {
        setColour(cr_, colourOf(k));
        for (std::size_t c = 0; c < categories_; ++c) {
          if (!finite(p.high[k][c])) continue;
          const double x = xOf(c) - group / 2.0 + (clustered ? bar * static_cast<double>(k) : 0.0);
          const double y0 = yOf(std::clamp(p.low[k][c], scale.low, scale.high));
          const double y1 = yOf(std::clamp(p.high[k][c], scale.low, scale.high));
          cairo_rectangle(cr_, x, std::min(y0, y1), bar * 0.92, std::fabs(y1 - y0));
        }
        cairo_fill(cr_);
      }
    } else if (form_.family == Family::Area) {
      for (std::size_t k = 0; k < seriesCount; ++k) {
        setColour(cr_, colourOf(k), form_.grouping == Grouping::Clustered ? 0.55 : 0.9);
        bool open = false;
        std::size_t runStart = 0;
        auto closeRun = [&](std::size_t end) {
          for (std::size_t c = end; c-- > runStart;) {
            const double base = form_.grouping == Grouping::Clustered ? zero : yOf(p.low[k][c]);
            cairo_line_to(cr_, xOf(c), base);
          }
          cairo_close_path(cr_);
        };
        for (std::size_t c = 0; c < categories_; ++c) {
          if (!finite(p.high[k][c])) {
            if (open) closeRun(c);
            open = false;
            continue;
          }
          const double y = yOf(std::clamp(p.high[k][c], scale.low, scale.high));
          if (!open) {
            cairo_move_to(cr_, xOf(c), y);
            runStart = c;
            open = true;
          } else {
            cairo_line_to(cr_, xOf(c), y);
          }
        }
        if (open) closeRun(categories_);
        cairo_fill(cr_);
      }
    } else {
      for (std::size_t k = 0; k < seriesCount; ++k) {
        std::vector<double> xs(categories_);
        std::vector<double> ys(categories_);
        for (std::size_t c = 0; c < categories_; ++c) {
          xs[c] = xOf(c);
          ys[c] = finite(p.high[k][c]) ? yOf(p.high[k][c]) : std::nan("");
        }
        setColour(cr_, colourOf(k));
        if (form_.lines) {
          cairo_set_line_width(cr_, 2.0);
          cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
          pathThrough(cr_, xs, ys, form_.smooth);
          cairo_stroke(cr_);
        }
        if (form_.markers) {
          for (std::size_t c = 0; c < categories_; ++c) {
            if (finite(ys[c])) marker(cr_, k, xs[c], ys[c], 3.0);
          }
        }
      }
    }
    axes(plot, zero);
  }

  // The category labels under the plot, every one that fits.
  template <typename XOf>
  void categoryLabels(std::size_t n, double slot, XOf xOf, double baseline) {
    double widest = 0.0;
    for (std::size_t c = 0; c < n; ++c) widest = std::max(widest, text_.width(category(c), labelStyle_));
    const std::size_t every =
        slot > 0.0 ? std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil((widest + 6.0) / slot))) : 1;
    for (std::size_t c = 0; c < n; c += every) {
      text_.draw(cr_, category(c), labelStyle_, xOf(c), baseline, Align::Centre);
    }
  }

  void axes(const Box& plot, double zeroY) {
    cairo_set_source_rgb(cr_, 0.3, 0.3, 0.3);
    cairo_set_line_width(cr_, 0.8);
    cairo_move_to(cr_, plot.left, plot.top);
    cairo_line_to(cr_, plot.left, plot.bottom);
    cairo_move_to(cr_, plot.left, zeroY);
    cairo_line_to(cr_, plot.right, zeroY);
    cairo_stroke(cr_);
  }

  // Bars: categories down the left, values across.
  void drawBars(Box area) {
    const Plotted p = plotValues(chart_, form_.grouping, categories_);
    const AxisScale scale = valueScale(p, true);
    double categoryWide = 0.0;
    for (std::size_t c = 0; c < categories_; ++c) {
      categoryWide = std::max(categoryWide, text_.width(category(c), labelStyle_));
    }
    Box plot = area;
    plot.left += categoryWide + 8.0;
    plot.right -= 12.0;
    plot.bottom -= labelStyle_.size * 2.0 + (chart_.axisTitle.empty() ? 0.0 : axisTitleStyle_.size * 1.8);
    if (!chart_.axisTitle.empty()) {
      text_.draw(cr_, chart_.axisTitle, axisTitleStyle_, (plot.left + plot.right) / 2.0, area.bottom - 2.0,
                 Align::Centre);
    }
    auto xOf = [&](double v) { return plot.left + (v - scale.low) / (scale.high - scale.low) * plot.width(); };
    for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step) {
      const double x = xOf(v);
      gridLine(x, plot.top, x, plot.bottom);
      text_.draw(cr_, tickText(v, scale.decimals), labelStyle_, x, plot.bottom + labelStyle_.size * 1.3,
                 Align::Centre);
    }
    const std::size_t n = std::max<std::size_t>(categories_, 1);
    const double slot = plot.height() / static_cast<double>(n);
    auto yOf = [&](std::size_t c) { return plot.top + slot * (static_cast<double>(c) + 0.5); };
    const std::size_t every = std::max<std::size_t>(
        1, static_cast<std::size_t>(std::ceil(labelStyle_.size * 1.2 / std::max(slot, 1e-9))));
    for (std::size_t c = 0; c < categories_; c += every) {
      text_.draw(cr_, category(c), labelStyle_, plot.left - 5.0, yOf(c) + labelStyle_.size * 0.35, Align::Right);
    }
    const double group = slot * 0.75;
    const bool clustered = form_.grouping == Grouping::Clustered;
    const std::size_t seriesCount = chart_.series.size();
    const double bar = clustered && seriesCount > 0 ? group / static_cast<double>(seriesCount) : group;
    for (std::size_t k = 0; k < seriesCount; ++k) {
      setColour(cr_, colourOf(k));
      for (std::size_t c = 0; c < categories_; ++c) {
        if (!finite(p.high[k][c])) continue;
        const double y = yOf(c) - group / 2.0 + (clustered ? bar * static_cast<double>(k) : 0.0);
        const double x0 = xOf(std::clamp(p.low[k][c], scale.low, scale.high));
        const double x1 = xOf(std::clamp(p.high[k][c], scale.low, scale.high));
        cairo_rectangle(cr_, std::min(x0, x1), y, std::fabs(x1 - x0), bar * 0.92);
      }
      cairo_fill(cr_);
    }
    const double zero = xOf(std::clamp(0.0, scale.low, scale.high));
    cairo_set_source_rgb(cr_, 0.3, 0.3, 0.3);
    cairo_set_line_width(cr_, 0.8);
    cairo_move_to(cr_, zero, plot.top);
    cairo_line_to(cr_, zero, plot.bottom);
    cairo_move_to(cr_, plot.left, plot.bottom);
    cairo_line_to(cr_, plot.right, plot.bottom);
    cairo_stroke(cr_);
  }

  // A pie of the first series, or a doughnut with a ring per series; slices by category,
  // each with its share. Missing, zero and negative values get no slice.
  void drawPie(Box area) {
    const double cx = (area.left + area.right) / 2.0;
    const double cy = (area.top + area.bottom) / 2.0;
    const double radius = std::max(1.0, std::min(area.width(), area.height()) / 2.0 - labelStyle_.size * 2.0);
    const std::size_t rings = form_.family == Family::Pie ? std::min<std::size_t>(1, chart_.series.size())
                                                          : chart_.series.size();
    const double hole = form_.family == Family::Doughnut ? 0.45 : 0.0;
    for (std::size_t k = 0; k < rings; ++k) {
      const auto& values = chart_.series[k].values;
      double total = 0.0;
      for (double v : values) {
        if (finite(v) && v > 0.0) total += v;
      }
      if (total <= 0.0) continue;
      const double outer = radius * (1.0 - (1.0 - hole) * static_cast<double>(k) / static_cast<double>(rings));
      const double inner = radius * (1.0 - (1.0 - hole) * static_cast<double>(k + 1) / static_cast<double>(rings));
      double angle = -std::numbers::pi / 2.0;
      for (std::size_t c = 0; c < values.size(); ++c) {
        const double v = values[c];
        if (!finite(v) || v <= 0.0) continue;
        const double sweep = 2.0 * std::numbers::pi * v / total;
        setColour(cr_, colourOf(c));
        if (inner > 0.0) {
          cairo_arc(cr_, cx, cy, outer, angle, angle + sweep);
          cairo_arc_negative(cr_, cx, cy, inner, angle + sweep, angle);
        } else {
          cairo_move_to(cr_, cx, cy);
          cairo_arc(cr_, cx, cy, outer, angle, angle + sweep);
        }
        cairo_close_path(cr_);
        cairo_fill_preserve(cr_);
        cairo_set_source_rgb(cr_, 1, 1, 1);
        cairo_set_line_width(cr_, 1.0);
        cairo_stroke(cr_);
        if (sweep > 0.2) {
          const double mid = angle + sweep / 2.0;
          const double at = inner > 0.0 ? (inner + outer) / 2.0 : outer * 0.65;
          char share[32];
          std::snprintf(share, sizeof share, "%.0f%%", 100.0 * v / total);
          TextStyle onSlice = labelStyle_;
          onSlice.red = onSlice.green = onSlice.blue = 1.0;
          text_.draw(cr_, share, onSlice, cx + at * std::cos(mid), cy + at * std::sin(mid) + 3.0, Align::Centre);
        }
        angle += sweep;
      }
    }
  }

  // A radar: a spoke per category, rings at the ticks, a polygon per series.
  void drawRadar(Box area) {
    const Plotted p = plotValues(chart_, Grouping::Clustered, categories_);
    const AxisScale scale = valueScale(p, false);
    const double cx = (area.left + area.right) / 2.0;
    const double cy = (area.top + area.bottom) / 2.0;
    const double radius = std::max(1.0, std::min(area.width(), area.height()) / 2.0 - labelStyle_.size * 2.5);
    const std::size_t n = std::max<std::size_t>(categories_, 1);
    auto angleOf = [&](std::size_t c) {
      return -std::numbers::pi / 2.0 + 2.0 * std::numbers::pi * static_cast<double>(c) / static_cast<double>(n);
    };
    auto rOf = [&](double v) { return (v - scale.low) / (scale.high - scale.low) * radius; };
    for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step) {
      const double r = rOf(v);
      cairo_set_source_rgb(cr_, 0.85, 0.85, 0.85);
      cairo_set_line_width(cr_, 0.5);
      for (std::size_t c = 0; c < n; ++c) {
        const double x = cx + r * std::cos(angleOf(c));
        const double y = cy + r * std::sin(angleOf(c));
        if (c == 0) {
          cairo_move_to(cr_, x, y);
        } else {
          cairo_line_to(cr_, x, y);
        }
      }
      cairo_close_path(cr_);
      cairo_stroke(cr_);
      text_.draw(cr_, tickText(v, scale.decimals), labelStyle_, cx + 3.0, cy - r + labelStyle_.size * 1.1);
    }
    for (std::size_t c = 0; c < n; ++c) {
      gridLine(cx, cy, cx + radius * std::cos(angleOf(c)), cy + radius * std::sin(angleOf(c)));
      const double lx = cx + (radius + labelStyle_.size * 1.4) * std::cos(angleOf(c));
      const double ly = cy + (radius + labelStyle_.size * 1.4) * std::sin(angleOf(c)) + labelStyle_.size * 0.35;
      text_.draw(cr_, category(c), labelStyle_, lx, ly, Align::Centre);
    }
    for (std::size_t k = 0; k < chart_.series.size(); ++k) {
      bool started = false;
      for (std::size_t c = 0; c < categories_; ++c) {
        if (!finite(p.high[k][c])) continue;
        const double r = rOf(std::clamp(p.high[k][c], scale.low, scale.high));
        const double x = cx + r * std::cos(angleOf(c));
        const double y = cy + r * std::sin(angleOf(c));
        if (!started) {
          cairo_move_to(cr_, x, y);
          started = true;
        } else {
          cairo_line_to(cr_, x, y);
        }
      }
      if (!started) continue;
      cairo_close_path(cr_);
      if (form_.filled) {
        setColour(cr_, colourOf(k), 0.45);
        cairo_fill_preserve(cr_);
      }
      setColour(cr_, colourOf(k));
      cairo_set_line_width(cr_, 2.0);
      cairo_stroke(cr_);
      if (form_.markers) {
        for (std::size_t c = 0; c < categories_; ++c) {
          if (!finite(p.high[k][c])) continue;
          const double r = rOf(std::clamp(p.high[k][c], scale.low, scale.high));
          marker(cr_, k, cx + r * std::cos(angleOf(c)), cy + r * std::sin(angleOf(c)), 3.0);
        }
      }
    }
  }

  cairo_t* cr_;
  TextSetter& text_;
  const ChartData& chart_;
  double width_;
  double height_;
  Form form_;
  std::size_t categories_ = 0;
  TextStyle titleStyle_;
  TextStyle subtitleStyle_;
  TextStyle labelStyle_;
  TextStyle axisTitleStyle_;
};

}  // namespace

AxisScale niceScale(double low, double high, bool fromZero) {
  if (!finite(low) || !finite(high)) {
    low = 0.0;
    high = 1.0;
  }
  if (low > high) std::swap(low, high);
  if (fromZero) {
    low = std::min(low, 0.0);
    high = std::max(high, 0.0);
  }
  if (high - low < 1e-12 * std::max(1.0, std::fabs(high))) {
    // One value: an axis around it.
    const double pad = low == 0.0 ? 1.0 : std::fabs(low) * 0.1;
    if (!fromZero || low < 0.0) low -= pad;
    if (!fromZero || high > 0.0 || low == high) high += pad;
    if (fromZero && low > 0.0) low = 0.0;
  }
  const double raw = (high - low) / 5.0;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double norm = raw / power;
  double step = 10.0;
  for (double choice : {1.0, 2.0, 2.5, 5.0}) {
    if (norm <= choice + 1e-9) {
      step = choice;
      break;
    }
  }
  step *= power;
  AxisScale scale;
  scale.step = step;
  scale.low = std::floor(low / step + 1e-9) * step;
  scale.high = std::ceil(high / step - 1e-9) * step;
  if (scale.high <= scale.low) scale.high = scale.low + step;
  scale.decimals = 0;
  while (scale.decimals < 8) {
    const double shifted = step * std::pow(10.0, scale.decimals);
    if (std::fabs(shifted - std::round(shifted)) < 1e-6 * shifted) break;
    ++scale.decimals;
  }
  return scale;
}

void drawChart(cairo_t* cr, TextSetter& text, const ChartData& chart, double width, double height) {
  ChartPainter(cr, text, chart, width, height).paint();
}

SvgResult writeSvgChart(const std::string& path, TextSetter& text, const ChartData& chart) {
  SvgResult result;
  std::FILE* file = outputAllowed(path) ? std::fopen(path.c_str(), "wb") : nullptr;
  if (file == nullptr) return result;
  result.opened = true;
  struct Output {
    std::FILE* file;
    bool failed = false;
  } output{file};
  auto write = [](void* closure, const unsigned char* data, unsigned int length) -> cairo_status_t {
    auto* out = static_cast<Output*>(closure);
    if (out->failed || writeOutput(data, length, out->file) != length) {
      out->failed = true;
      return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
  };
  cairo_surface_t* surface = cairo_svg_surface_create_for_stream(write, &output, SvgChartWidth, SvgChartHeight);
  cairo_t* cr = cairo_create(surface);
  drawChart(cr, text, chart, SvgChartWidth, SvgChartHeight);
  const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const bool finished = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  const bool flushed = std::ferror(file) == 0;
  const bool closed = closeOutput(file) == 0;
  result.written = drawn && finished && flushed && closed && !output.failed;
  return result;
}

}  // namespace tabrix
