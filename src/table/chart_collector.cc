#include "table/chart_collector.h"

#include <cmath>

namespace tabrix {

namespace {

std::string trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

ChartData ChartCollector::collected(std::string_view title, std::string_view subtitle,
                                    std::string_view axisTitle) const {
  ChartData chart = chart_;
  chart.title = trimmed(title);
  chart.subtitle = trimmed(subtitle);
  chart.axisTitle = trimmed(axisTitle);
  return chart;
}

void ChartCollector::dateRow(std::span<const DateLabel> labels, std::string_view /*laidOut*/) {
  if (haveDates_) return;
  haveDates_ = true;
  for (const DateLabel& label : labels) {
    if (!label.spacer) chart_.categories.push_back(trimmed(label.label));
  }
}

void ChartCollector::valueRow(const ValueRow& row) {
  ChartData::Series series;
  if (row.carriesTitle) {
    series.label = trimmed(row.title);
  } else {
    const int letter = row.alternative > 0 ? row.alternative - 1 : 0;
    series.label = "Alternative " + std::to_string(lines_ > 0 ? lines_ : 1) + static_cast<char>('a' + letter % 26);
  }
  for (const Cell& cell : row.cells) {
    switch (cell.kind) {
      case CellKind::Number: series.values.push_back(cell.value); break;
      case CellKind::Missing: series.values.push_back(std::nan("")); break;
      case CellKind::Blank: series.values.push_back(0.0); break;
      case CellKind::Spacer: break;
    }
  }
  chart_.series.push_back(std::move(series));
}

}  // namespace tabrix
