#include "sheet/wk1_records.h"

#include <algorithm>
#include <cstring>

namespace tabrix {

namespace {

void put8(std::string& body, int value) { body.push_back(static_cast<char>(value & 0xFF)); }

void put16(std::string& body, int value) {
  auto bits = static_cast<uint16_t>(value);
  body.push_back(static_cast<char>(bits & 0xFF));
  body.push_back(static_cast<char>(bits >> 8));
}

void putDouble(std::string& body, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i) body.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

}  // namespace

std::string wk1Record(uint16_t opcode, std::string_view body) {
  std::string record;
  record.reserve(body.size() + 4);
  put16(record, opcode);
  put16(record, static_cast<int>(body.size()));
  record.append(body);
  return record;
}

std::string wk1BofBody() {
  std::string body;
  put16(body, wk1::Version);
  return body;
}

std::string wk1ColumnWidthBody(int column, int width) {
  std::string body;
  put16(body, column);
  put8(body, std::clamp(width, 0, wk1::MaxWidth));
  return body;
}

std::string wk1LabelBody(int column, int row, char align, std::string_view text) {
  std::size_t end = text.find('\0');
  if (end != std::string_view::npos) text = text.substr(0, end);
  text = text.substr(0, std::min(text.size(), wk1::MaxLabelText));
  std::string body;
  body.reserve(text.size() + 7);
  put8(body, wk1::Protected);
  put16(body, column);
  put16(body, row);
  body.push_back(align);
  body.append(text);
  body.push_back('\0');
  return body;
}

std::string wk1NumberBody(int column, int row, int decimals, double value) {
  std::string body;
  put8(body, wk1::Protected + std::clamp(decimals, 0, wk1::MaxDecimals));
  put16(body, column);
  put16(body, row);
  putDouble(body, value);
  return body;
}

std::string wk1RangeBody(int firstColumn, int firstRow, int lastColumn, int lastRow) {
  std::string body;
  put16(body, firstColumn);
  put16(body, firstRow);
  put16(body, lastColumn);
  put16(body, lastRow);
  return body;
}

}  // namespace tabrix
