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
  Csv,       // comma-separated values of every worksheet
  Text,      // tab-separated text of every worksheet
  Html,      // one HTML page, every worksheet a table
  Wk1,       // a Lotus WK1 file of the active worksheet
  Other,     // formats no writer exists for; written as a workbook (.xlsx)
};

struct SaveFormat {
  const char* name;       // as SaveWorkbookAs is given it ("CSVWindows"); matched ignoring case
  int32_t constant;       // the application's file-format constant
  const char* extension;  // appended to a name without one (".csv")
  SaveKind kind;          // how it is written
  const char* lineEnd;    // the line end of the Csv and Text kinds ("" for the others)
  bool utf16;             // Text written in UTF-16LE with a byte-order mark (else UTF-8)
};

// The extension of the workbook file written for the Workbook kind (in place of ".xls").
inline constexpr std::string_view WorkbookExtension = ".xlsx";

// The format table in its order.
std::span<const SaveFormat> saveFormats();
// The entry of a format name (ignoring case); the normal workbook format for an empty
// or unlisted name.
const SaveFormat& findSaveFormat(std::string_view name);
// The entry of a format constant; the normal workbook format for an unlisted one.
const SaveFormat& saveFormatOf(int32_t constant);
// True when the file of this format is written as a workbook (.xlsx): the Workbook and
// Other kinds.
bool savedAsWorkbook(const SaveFormat& format);

}  // namespace tabrix
