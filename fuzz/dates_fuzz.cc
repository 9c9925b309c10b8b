// Date texts and date lists: a date from text and from a number, its arithmetic and
// labels, column entries, the \dates list and the response-script list, and the date
// header row they give.
//
// Input: two bytes of layout, then the text.
//   byte 0: bits 0-1 year format; bit 2 print-file layout; bit 3 an underline row;
//           bit 4 the list as a response-script line (else as \dates); bit 5 a growth
//           width of its own and the date font's printer codes; bits 6-7 the field
//           width 4, 7, 9 or 30000
//   byte 1: the title width (0 .. 255)
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "dates/vex_date.h"
#include "fuzz_support.h"
#include "table/date_list.h"
#include "table/table_line.h"

namespace {

using namespace tabrix;

constexpr int16_t kFieldWidths[] = {4, 7, 9, 30000};

// One date from text, with everything that can be asked of it.
void exerciseDate(std::string_view text, int yearFormat) {
  VexDate date(text);
  char buffer[DateLabelCapacity];
  format(date, buffer, yearFormat);
  format(date, yearFormat);
  const VexDate starts[] = {VexDate(1990, 1, 1), VexDate(1990, 1, 4), VexDate(1990, 1, 12), VexDate()};
  for (const VexDate& start : starts) {
    indexFrom(date, start);
    periodsBetween(date, start);
    before(date, start);
    notAfter(date, start);
    after(date, start);
  }
  VexDate moving = date;
  for (int i = 0; i < 14; ++i) advance(moving);
  VexDate copy;
  copy.setFromText(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t layout = data[0];
  const std::string_view text = fuzz::asText(data + 2, size - 2);
  const int yearFormat = layout & 3;
  fuzz::QuietInput quiet;

  // Dates: the text whole, each blank-separated piece, and the first four bytes as a number.
  exerciseDate(text, yearFormat);
  std::size_t start = 0;
  for (int piece = 0; piece < 64 && start < text.size(); ++piece) {
    std::size_t end = text.find_first_of(" \n", start);
    if (end == std::string_view::npos) end = text.size();
    exerciseDate(text.substr(start, end - start), yearFormat);
    DateStruct entry(text.substr(start, end - start));
    for (int format = 0; format < 4; ++format) entry.label(format);
    start = end + 1;
  }
  if (text.size() >= 4) {
    float number;
    std::memcpy(&number, text.data(), sizeof number);
    VexDate fromNumber(number);
    format(fromNumber, yearFormat);
    VexDate set;
    set.setFromNumber(number);
  }

  // The list and its header rows.
  TableLine table;
  setDriverDefaults(table);
  table.out.openMemory();
  table.noFormat = (layout & 0x20) == 0;
  if (!table.noFormat) table.fonts[DateFont].fontWord = "courierbold";
  table.yearFormat = static_cast<int16_t>(yearFormat);
  table.prnMode = (layout & 4) != 0;
  table.underlineChar = (layout & 8) ? '-' : 0;
  table.fieldWidth = kFieldWidths[layout >> 6];
  table.growthWidth = (layout & 0x20) ? static_cast<int16_t>(table.fieldWidth + 2) : -1;
  table.titleWidth = data[1];
  table.datesSet = true;
  fuzz::runInput([&] {
    if (layout & 0x10) {
      storeDateListLine(table, text);
    } else {
      parseDateList(table, text);
    }
    static_cast<void>(writeDateHeader(table));
    fuzz::MemoryFile responses(text);
    readDateList(table, responses.get());
    static_cast<void>(writeDateHeader(table));
  });
  return 0;
}
