#include "sheet/workbook.h"

#include "support/text.h"

namespace tabrix {

// --- StyleTable ------------------------------------------------------------------

StyleTable::StyleTable() {
  styles_.emplace_back();
  index_.emplace(styles_.front(), 0);
}

uint32_t StyleTable::intern(const CellStyle& style) {
  auto found = index_.find(style);
  if (found != index_.end()) return found->second;
  uint32_t index = static_cast<uint32_t>(styles_.size());
  styles_.push_back(style);
  index_.emplace(style, index);
  return index;
}

// --- Sheet -----------------------------------------------------------------------

const SheetCell* Sheet::find(int32_t row, int32_t column) const {
  if (row < 0 || column < 0 || row >= rowCount()) return nullptr;
  const std::vector<SheetCell>& cells = rows_[static_cast<std::size_t>(row)];
  if (static_cast<std::size_t>(column) >= cells.size()) return nullptr;
  return &cells[static_cast<std::size_t>(column)];
}

SheetCell& Sheet::at(int32_t row, int32_t column) {
  auto r = static_cast<std::size_t>(row);
  auto c = static_cast<std::size_t>(column);
  if (r >= rows_.size()) rows_.resize(r + 1);
  std::vector<SheetCell>& cells = rows_[r];
  if (c >= cells.size()) cells.resize(c + 1);
  return cells[c];
}

std::size_t Sheet::valueCount() const {
  std::size_t count = 0;
  for (const std::vector<SheetCell>& cells : rows_)
    for (const SheetCell& cell : cells)
      if (cell.kind != CellType::Empty) ++count;
  return count;
}

// --- Workbook --------------------------------------------------------------------

Workbook::Workbook(std::string defaultName) : fullName(std::move(defaultName)) {}

Sheet& Workbook::addSheet(std::string name, SheetKind kind, const Sheet* after) {
  int position = after == nullptr ? static_cast<int>(sheets.size()) : indexOf(after) + 1;
  if (position <= 0 && after != nullptr) position = static_cast<int>(sheets.size());
  auto sheet = std::make_unique<Sheet>(std::move(name), kind);
  Sheet& added = *sheet;
  sheets.insert(sheets.begin() + position, std::move(sheet));
  dirty = true;
  return added;
}

const Sheet* Workbook::behindCharts(const Sheet* sheet) const {
  int index = indexOf(sheet);
  if (index < 0) return sheet;
  auto next = static_cast<std::size_t>(index) + 1;
  while (next < sheets.size() && sheets[next]->kind == SheetKind::Chart) ++next;
  return sheets[next - 1].get();
}

int Workbook::indexOf(const Sheet* sheet) const {
  for (std::size_t i = 0; i < sheets.size(); ++i)
    if (sheets[i].get() == sheet) return static_cast<int>(i);
  return -1;
}

Sheet* Workbook::findSheet(std::string_view name) {
  for (auto& sheet : sheets)
    if (equalsIgnoringCase(sheet->name, name)) return sheet.get();
  return nullptr;
}

std::vector<Sheet*> Workbook::worksheets() const {
  std::vector<Sheet*> result;
  for (const auto& sheet : sheets)
    if (sheet->kind == SheetKind::Worksheet) result.push_back(sheet.get());
  return result;
}

// --- Text ------------------------------------------------------------------------

namespace {

// The length of the well-formed UTF-8 sequence at text[i], or 0 when there is none.
std::size_t sequenceLength(std::string_view text, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;    // no overlong forms
    if (lead == 0xED) high = 0x9F;   // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;   // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return length;
}

}  // namespace

std::string toUtf8(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = sequenceLength(text, i);
    if (length > 0) {
      result.append(text.substr(i, length));
      i += length;
    } else {
      auto latin = static_cast<unsigned char>(text[i]);
      result.push_back(static_cast<char>(0xC0 | (latin >> 6)));
      result.push_back(static_cast<char>(0x80 | (latin & 0x3F)));
      ++i;
    }
  }
  return result;
}

std::size_t utf8Length(std::string_view text) {
  std::size_t count = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}

std::string utf8Prefix(std::string_view text, std::size_t count) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (characters == count) return std::string(text.substr(0, i));
      ++characters;
    }
  }
  return std::string(text);
}

// --- Dates -----------------------------------------------------------------------

double dayNumber(int year, int month) {
  if (year < 1900 || year > 9999 || month < 1 || month > 12) return -1;
  // Days from 1 March of year 0 (proleptic Gregorian), so leap days fall at the end.
  auto daysFromCivil = [](int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    int era = y / 400;
    int yearOfEra = y - era * 400;
    int dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
  };
  int days = daysFromCivil(year, month, 1) - daysFromCivil(1899, 12, 30);
  // The application counts a 29 February 1900, so its days before March 1900 are one
  // lower than a plain count from 30 December 1899.
  if (year == 1900 && month <= 2) --days;
  return days;
}

}  // namespace tabrix
