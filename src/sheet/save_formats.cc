#include "sheet/save_formats.h"

#include <array>

#include "support/text.h"

namespace tabrix {

namespace {

constexpr SaveFormat kNormal = {"WorkbookNormal", -4143, ".xls", SaveKind::Workbook};

constexpr std::array<SaveFormat, 36> kFormats = {{
    {"AddIn", 18, ".xlam", SaveKind::Other},
    {"CSV", 6, ".csv", SaveKind::Csv},
    {"CSVMac", 22, ".csv", SaveKind::Csv},
    {"CSVMSDOS", 24, ".csv", SaveKind::Csv},
    {"CSVWindows", 23, ".csv", SaveKind::Csv},
    {"DBF2", 7, ".dbf", SaveKind::Other},
    {"DBF3", 8, ".dbf", SaveKind::Other},
    {"DBF4", 11, ".dbf", SaveKind::Other},
    {"DIF", 9, ".dif", SaveKind::Other},
    {"Excel2", 16, ".xls", SaveKind::Workbook},
    {"Excel2FarEast", 27, ".xls", SaveKind::Workbook},
    {"Excel3", 29, ".xls", SaveKind::Workbook},
    {"Excel4", 33, ".xls", SaveKind::Workbook},
    {"Excel5", 39, ".xls", SaveKind::Workbook},
    {"Excel7", 39, ".xls", SaveKind::Workbook},
    {"Excel9795", 43, ".xls", SaveKind::Workbook},
    {"Excel4Workbook", 35, ".xls", SaveKind::Workbook},
    {"IntlAddIn", 26, ".xla", SaveKind::Other},
    {"IntlMacro", 25, ".xlsm", SaveKind::Other},
    kNormal,
    {"SYLK", 2, ".slk", SaveKind::Other},
    {"Template", 17, ".xltx", SaveKind::Other},
    {"TextMac", 19, ".txt", SaveKind::Text},
    {"TextMSDOS", 21, ".txt", SaveKind::Text},
    {"TextPrinter", 36, ".txt", SaveKind::Text},
    {"TextWindows", 20, ".txt", SaveKind::Text},
    {"WK1", 5, ".wk1", SaveKind::Wk1},
    {"WK1ALL", 31, ".wk1", SaveKind::Wk1},
    {"WK1FMT", 30, ".wk1", SaveKind::Wk1},
    {"WK3", 15, ".wk3 ", SaveKind::Other},
    {"WK4", 38, ".wk4", SaveKind::Other},
    {"WK3FM3", 32, ".wk3", SaveKind::Other},
    {"WKS", 4, ".wks", SaveKind::Other},
    {"WQ1", 34, ".wq1", SaveKind::Other},
    {"UnicodeText", 42, ".txt", SaveKind::Text},
    {"Html", 44, ".html", SaveKind::Html},
}};

constexpr SaveFormat kUnlisted = {"", -4143, ".xls", SaveKind::Workbook};

}  // namespace

std::span<const SaveFormat> saveFormats() { return kFormats; }

const SaveFormat& findSaveFormat(std::string_view name) {
  for (const SaveFormat& format : kFormats)
    if (equalsIgnoringCase(name, format.name)) return format;
  return kUnlisted;
}

bool savedAsWorkbook(const SaveFormat&) {
  // Only the workbook writer exists so far; every format is written as a workbook.
  return true;
}

}  // namespace tabrix
