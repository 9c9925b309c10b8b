#include "sheet/save_formats.h"

#include <array>

#include "support/text.h"

namespace tabrix {

namespace {

constexpr SaveFormat kNormal = {"WorkbookNormal", -4143, ".xls", SaveKind::Workbook, "", false};

constexpr std::array<SaveFormat, 36> kFormats = {{
    {"AddIn", 18, ".xlam", SaveKind::Other, "", false},
    {"CSV", 6, ".csv", SaveKind::Csv, "\n", false},
    {"CSVMac", 22, ".csv", SaveKind::Csv, "\r", false},
    {"CSVMSDOS", 24, ".csv", SaveKind::Csv, "\r\n", false},
    {"CSVWindows", 23, ".csv", SaveKind::Csv, "\r\n", false},
    {"DBF2", 7, ".dbf", SaveKind::Other, "", false},
    {"DBF3", 8, ".dbf", SaveKind::Other, "", false},
    {"DBF4", 11, ".dbf", SaveKind::Other, "", false},
    {"DIF", 9, ".dif", SaveKind::Other, "", false},
    {"Excel2", 16, ".xls", SaveKind::Workbook, "", false},
    {"Excel2FarEast", 27, ".xls", SaveKind::Workbook, "", false},
    {"Excel3", 29, ".xls", SaveKind::Workbook, "", false},
    {"Excel4", 33, ".xls", SaveKind::Workbook, "", false},
    {"Excel5", 39, ".xls", SaveKind::Workbook, "", false},
    {"Excel7", 39, ".xls", SaveKind::Workbook, "", false},
    {"Excel9795", 43, ".xls", SaveKind::Workbook, "", false},
    {"Excel4Workbook", 35, ".xls", SaveKind::Workbook, "", false},
    {"IntlAddIn", 26, ".xla", SaveKind::Other, "", false},
    {"IntlMacro", 25, ".xlsm", SaveKind::Other, "", false},
    kNormal,
    {"SYLK", 2, ".slk", SaveKind::Other, "", false},
    {"Template", 17, ".xltx", SaveKind::Other, "", false},
    {"TextMac", 19, ".txt", SaveKind::Text, "\r", false},
    {"TextMSDOS", 21, ".txt", SaveKind::Text, "\r\n", false},
    {"TextPrinter", 36, ".txt", SaveKind::Text, "\r\n", false},
    {"TextWindows", 20, ".txt", SaveKind::Text, "\r\n", false},
    {"WK1", 5, ".wk1", SaveKind::Wk1, "", false},
    {"WK1ALL", 31, ".wk1", SaveKind::Wk1, "", false},
    {"WK1FMT", 30, ".wk1", SaveKind::Wk1, "", false},
    {"WK3", 15, ".wk3 ", SaveKind::Other, "", false},
    {"WK4", 38, ".wk4", SaveKind::Other, "", false},
    {"WK3FM3", 32, ".wk3", SaveKind::Other, "", false},
    {"WKS", 4, ".wks", SaveKind::Other, "", false},
    {"WQ1", 34, ".wq1", SaveKind::Other, "", false},
    {"UnicodeText", 42, ".txt", SaveKind::Text, "\r\n", true},
    {"Html", 44, ".html", SaveKind::Html, "", false},
}};

constexpr SaveFormat kUnlisted = {"", -4143, ".xls", SaveKind::Workbook, "", false};

}  // namespace

std::span<const SaveFormat> saveFormats() { return kFormats; }

const SaveFormat& findSaveFormat(std::string_view name) {
  for (const SaveFormat& format : kFormats)
    if (equalsIgnoringCase(name, format.name)) return format;
  return kUnlisted;
}

const SaveFormat& saveFormatOf(int32_t constant) {
  for (const SaveFormat& format : kFormats)
    if (format.constant == constant) return format;
  return kNormal;
}

bool savedAsWorkbook(const SaveFormat& format) {
  return format.kind == SaveKind::Workbook || format.kind == SaveKind::Other;
}

}  // namespace tabrix
