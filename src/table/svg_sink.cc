#include "table/svg_sink.h"

#include <filesystem>
#include <system_error>

#include "platform/console.h"
#include "platform/files.h"
#include "table/pdf_chart.h"

namespace tabrix {

int SvgSink::open(std::string_view directory) {
  name_.assign(directory);
  path_ = toPath(directory);
  if (path_.empty()) path_ = ".";
  std::error_code error;
  if (!std::filesystem::is_directory(path_, error)) {
    std::filesystem::create_directories(path_, error);
    if (error || !std::filesystem::is_directory(path_, error)) return -1;
  }
  written_ = 0;
  failed_ = 0;
  return 0;
}

std::string SvgSink::chartPath(int n) const {
  std::string path = path_;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + "chart-" + std::to_string(n) + ".svg";
}

void SvgSink::chart(const ChartData& chart) {
  if (failed_ != 0) return;
  const std::string path = chartPath(written_ + 1);
  const SvgResult result = writeSvgChart(path, text_, chart);
  if (!result.opened) {
    console().printf("Unable to open %s for writing.\n", path.c_str());
    failed_ = -1;
    return;
  }
  if (!result.written) {
    console().printf("\nError:  Could not write %s; the table in it is incomplete.\r\n", path.c_str());
    failed_ = -1;
    return;
  }
  ++written_;
}

}  // namespace tabrix
