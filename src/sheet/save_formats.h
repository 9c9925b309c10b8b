// The file formats a workbook can be saved in: the format names of SaveWorkbookAs with
// the application's constant and the extension appended to a name without one, and how
// each is written on this platform.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tabrix {

// How a save format is written.
enum class SaveKind : uint8_t {
  Workbook,  // an Office Open XML workbook (.xlsx): the normal format and the Excel family
  Csv,       // comma-separated values of the worksheets
  Text,      // tab-separated text of the worksheets
  Html,      // one HTML page
  Wk1,       // a Lotus WK1 worksheet
  Other,     // formats no writer exists for; written as a workbook
};

struct SaveFormat {
  const char* name;       // as SaveWorkbookAs is given it ("CSVWindows"); matched ignoring case
  int32_t constant;       // the application's file-format constant
  const char* extension;  // appended to a name without one (".csv")
  SaveKind kind;          // how it is written
};

// The extension of the workbook file written for the Workbook kind (in place of ".xls").
inline constexpr std::string_view WorkbookExtension = ".xlsx";

// The format table in its order.
std::span<const SaveFormat> saveFormats();
// The entry of a format name (ignoring case); the normal workbook format for an empty
// or unlisted name.
const SaveFormat& findSaveFormat(std::string_view name);
// True when the file of this format is written as a workbook (.xlsx) for now: the
// Workbook kind, and every kind whose own writer does not exist yet.
bool savedAsWorkbook(const SaveFormat& format);

}  // namespace tabrix
