// The keyboard line editor on any keys, and the translation of a terminal's bytes into
// keys.
//
// Input: one byte choosing how, then the bytes.
//   bit 0: the bytes are a terminal's, translated into keys first (escape sequences);
//          else each byte is one key code (0 then a scan code is an extended key)
//   bit 1: the keys are not a terminal's: plain lines are read
// Lines are read until the keys end: the editor then ends the process as Ctrl-C does.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/keys.h"
#include "reader/line_editor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tabrix;
  if (size < 1) return 0;
  const uint8_t choice = data[0];
  const std::string_view bytes = fuzz::asText(data + 1, size - 1);
  ScriptedKeys keys;
  if (choice & 1) {
    for (int code : translateKeyBytes(bytes)) keys.code(code);
  } else {
    keys.type(bytes);
  }
  keys.setInteractive((choice & 2) == 0);
  fuzz::QuietInput quiet;
  LineEditor editor;
  fuzz::runInput([&] {
    // Each line takes at least one key, so the lines end with the keys.
    for (std::size_t line = 0; line <= 2 * size; ++line) {
      if (!editor.readLine(keys)) return;
    }
    __builtin_trap();  // more lines than keys: the editor does not reach the end
  });
  return 0;
}
