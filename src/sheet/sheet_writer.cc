#include "sheet/sheet_writer.h"

#include <algorithm>
#include <cstring>

#include "sheet/excel_constants.h"
#include "sheet/workbook.h"

namespace tabrix {

namespace {

// The head or title text a sheet name is taken from is cut to this many characters
// before it is made a sheet name.
constexpr std::size_t TitleTextLength = 98;

}  // namespace

std::size_t fileNameDot(const std::string& name) {
  std::size_t slash = name.find_last_of("/\\");
  return name.find('.', slash == std::string::npos ? 0 : slash + 1);
}

std::string sheetNameFrom(const SheetTitles& titles) {
  std::string_view text;
  if (!titles.worksheetTitle.empty()) {
    text = titles.worksheetTitle;
  } else if (titles.headSet) {
    text = titles.headText;
  }
  std::string name = toUtf8(text.substr(0, std::min(text.size(), TitleTextLength)));
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || std::strchr("[]:*?/\\", c) != nullptr) c = '_';
  }
  name = utf8Prefix(name, static_cast<std::size_t>(xl::SheetNameLength));
  if (name.find_first_not_of(' ') == std::string::npos) return "";
  if (name.front() == '\'') name.front() = '_';
  if (name.back() == '\'') name.back() = '_';
  return name;
}

}  // namespace tabrix
