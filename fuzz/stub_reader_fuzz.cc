// The stub reader over any text: characters, tokens, quoted texts, configuration lines,
// number lists, date ranges and statement skipping, from a file, from text in memory
// or from the keyboard, with add-file arguments to replace.
//
// Input: one byte choosing how, then the text.
//   bits 0-2: the reading operation (see kOperations); with bit 3 the operation changes
//             at every step, starting there
//   bits 4-5: the source: 0 and 1 a file, 2 text in memory, 3 the keyboard (the text as
//             keys; bit 6 makes them a terminal's, edited by the line editor)
//   bit 7:    an add file's arguments are set: %1 "A1", %2 "" and %3 "3 + x"; the other
//             marks are missing (their use ends the process)
#include <cstdint>
#include <string>
#include <string_view>

#include "dates/vex_date.h"
#include "fuzz_support.h"
#include "reader/chopper.h"
#include "reader/line_editor.h"

namespace {

using namespace tabrix;

using Operation = void (*)(Chopper& reader, uint8_t choice);

void characters(Chopper& reader, uint8_t choice) {
  int c = reader.nextChar();
  if (choice & 1) reader.pushBackChar(c);
  reader.nextChar();
}

void tokens(Chopper& reader, uint8_t choice) {
  std::string text;
  reader.nextToken(text);
  if (choice & 2) {
    reader.pushBackToken();
    reader.nextToken();
  }
  reader.tokenInteger();
  reader.tokenNumber();
}

void quoted(Chopper& reader, uint8_t) {
  std::string text;
  static_cast<void>(reader.readQuoted(text));
}

void configLine(Chopper& reader, uint8_t choice) {
  // Configuration lines are read from files only.
  if (reader.sourceKind() != 'f' || reader.keyboardMode()) return;
  std::string value;
  static_cast<void>(reader.readConfigLine(value, choice & 1 ? 5 : 0));
}

void numberList(Chopper& reader, uint8_t) {
  NumberFlags flags{};
  int base = 0;
  reader.parseNumberList(flags, base);
}

void dateRange(Chopper& reader, uint8_t) {
  VexDate first;
  VexDate last;
  reader.readDateRange(first, last);
}

void skipping(Chopper& reader, uint8_t choice) {
  if (choice & 1) {
    reader.skipStatement();
  } else if (choice & 2) {
    reader.skipToLineEnd();
  } else {
    reader.skipLine();
  }
}

constexpr Operation kOperations[] = {characters, tokens,   quoted,   configLine,
                                     numberList, dateRange, skipping, tokens};

// True once the reader has handed out the end of its input (after the last token read).
bool atEnd(const Chopper& reader) {
  return reader.currentChar() < 0 || reader.tokenType() == token::kEnd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t choice = data[0];
  const std::string_view text = fuzz::asText(data + 1, size - 1);
  fuzz::QuietInput quiet;
  fuzz::MemoryFile file(text);
  const int source = (choice >> 4) & 3;
  ScriptedKeys keys(source == 3 ? text : std::string_view(), (choice & 0x40) != 0);
  ScopedKeySource keySource(keys);
  ArgumentTable arguments;
  arguments[0] = "A1";
  arguments[1] = "";
  arguments[2] = "3 + x";

  Chopper reader;
  if (choice & 0x80) reader.setArguments(&arguments);
  if (source == 2) {
    reader.setString(text);
  } else {
    reader.setSource(source == 3 ? stdin : file.get());
  }
  fuzz::runInput([&] {
    // Every step then reads two tokens, so at least one beyond a token an operation
    // pushed back: the steps end with the input. The bound only catches a reader that
    // would never reach its end. Edited keys can give more text than they are: each key
    // (Up, F3) can bring back a whole line of the history.
    const bool edited = source == 3 && keys.interactive();
    const std::size_t bound =
        edited ? 2 * (size + 1) * (LineHistory::kArea + 2) : 4 * size + 64;
    for (std::size_t step = 0;; ++step) {
      if (step == bound) __builtin_trap();  // the reader never reached the end
      const std::size_t at = (choice & 8) ? (choice + step) % 8 : choice % 8;
      kOperations[at](reader, static_cast<uint8_t>(choice + step));
      reader.nextToken();
      reader.nextToken();
      if (atEnd(reader)) break;
    }
  });
  return 0;
}
