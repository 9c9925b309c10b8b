// The records of a Lotus 1-2-3 WK1 file, shared by the worksheet writer's WK1 form and
// the WK1 save formats of a workbook. Every record is its opcode (16 bits), the length
// of its body (16 bits) and the body; integers are little-endian, columns and rows
// 16-bit signed from 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tabrix {

namespace wk1 {
constexpr uint16_t Bof = 0;            // version (16 bits)
constexpr uint16_t Eof = 1;            // no body
constexpr uint16_t Range = 6;          // first column, first row, last column, last row
constexpr uint16_t ColumnWidth = 8;    // column (16 bits), width in characters (8 bits)
constexpr uint16_t Number = 14;        // format byte, column, row, 64-bit double
constexpr uint16_t Label = 15;         // format byte, column, row, alignment prefix, text, NUL
constexpr uint16_t Version = 0x0406;   // the BOF record's version, 1030
constexpr uint8_t Protected = 0x80;    // format byte of a protected cell
constexpr int MaxColumn = 255;         // columns a WK1 worksheet holds: 0 .. 255
constexpr int MaxRow = 32767;          // rows a record can address: 0 .. 32767
constexpr int MaxDecimals = 15;        // decimals the format byte's low four bits hold
constexpr int MaxWidth = 255;          // the widest column a COLW1 record holds
// The longest LABEL text: the record's body length is 16 bits.
constexpr std::size_t MaxLabelText = 0xFFFF - 7;
constexpr char AlignLeft = '\'';       // LABEL alignment prefixes
constexpr char AlignRight = '"';
constexpr char AlignCentre = '^';
}  // namespace wk1

// A whole record: opcode, body length and body (a body is at most 65,535 bytes).
std::string wk1Record(uint16_t opcode, std::string_view body);
// The bodies of the records. Values outside what a field holds are held to it:
// decimals to 0 .. 15, widths to 0 .. 255; a label's text ends at a NUL and is cut to
// MaxLabelText bytes.
std::string wk1BofBody();
std::string wk1ColumnWidthBody(int column, int width);
std::string wk1LabelBody(int column, int row, char align, std::string_view text);
std::string wk1NumberBody(int column, int row, int decimals, double value);
std::string wk1RangeBody(int firstColumn, int firstRow, int lastColumn, int lastRow);

}  // namespace tabrix
