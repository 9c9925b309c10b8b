#include "stub/font_spec.h"

#include <cstdlib>
#include <string>

#include "platform/console.h"
#include "reader/chopper.h"
#include "support/text.h"

namespace tabrix {

namespace {

// True when a token's text switches bold, italic or underline off.
bool isOffWord(const std::string& text) {
  return (!text.empty() && text[0] == '0') || text == "no" || text == "false";
}

}  // namespace

int parseFontSpec(Chopper& reader, VexFont& font) {
  int error = 0;
  for (;;) {
    int type = reader.nextToken();
    if (type == token::kLineEnd || type == token::kEnd) return error != 0 ? -1 : 0;
    if (error != 0) return -1;
    const std::string word = reader.tokenText();

    if (type == token::kNumber) {
      font.setPitch(reader.tokenInteger());
      continue;
    }
    if (type == '=' || type == '~' || type == '-' || type == '_') {
      error = font.setUnderline(word);
      continue;
    }
    if (type != token::kWord) {
      console().printf("Error:  Unrecognized element \"%s\" in font routine.\n", word.c_str());
      return -1;
    }

    if (equalsIgnoringCase(word, "bold") || equalsIgnoringCase(word, "italic")) {
      reader.nextToken();
      bool on = !isOffWord(reader.tokenText());
      if (on) reader.pushBackToken();
      error = equalsIgnoringCase(word, "bold") ? font.setBold(on) : font.setItalic(on);
    } else if (startsIgnoringCase(word, "underline")) {
      int result;
      if (equalsIgnoringCase(word, "UnderlineDouble") ||
          equalsIgnoringCase(word, "UnderlineDoubleAccounting") ||
          equalsIgnoringCase(word, "UnderlineNone") ||
          equalsIgnoringCase(word, "UnderlineSingle") ||
          equalsIgnoringCase(word, "UnderlineSingleAccounting")) {
        // The style names go in as written; another letter case is refused there.
        result = font.setUnderline(word);
      } else {
        reader.nextToken();
        const std::string& next = reader.tokenText();
        char first = next.empty() ? 0 : next[0];
        if (first == '-' || first == '=' || first == '_' || first == '~') {
          result = font.setUnderline(next);
        } else if (isOffWord(next)) {
          result = font.setUnderline("");
        } else {
          reader.pushBackToken();
          result = font.setUnderline("-");
        }
      }
      if (result != 0) console().write("Error:  cannot set underline for font.\n");
      error = result;
    } else if (equalsIgnoringCase(word, "left") || equalsIgnoringCase(word, "center") ||
               equalsIgnoringCase(word, "right") || equalsIgnoringCase(word, "justify")) {
      if (font.alignHorizontal(word) != 0)
        console().write("Error:  cannot set horizontal position for font.\n");
    } else if (equalsIgnoringCase(word, "top") || equalsIgnoringCase(word, "vcenter") ||
               equalsIgnoringCase(word, "bottom") || equalsIgnoringCase(word, "vjustify")) {
      if (font.alignVertical(word) != 0)
        console().write("Error:  cannot set vertical position for font.\n");
    } else if (isColourName(word)) {
      error = font.setColour(word);
    } else if (!startsIgnoringCase(word, "pitch") && !startsIgnoringCase(word, "point") &&
               !startsIgnoringCase(word, "size")) {
      if (isFontName(word)) {
        font.setName(word);
      } else if (word == "clear") {
        font.clear();
      }
      // any other word is ignored
    } else {
      std::size_t letters = startsIgnoringCase(word, "size") ? 4 : 5;
      if (word.size() > letters) {
        // The joined form: pitch12, point10, size8 all set the pitch.
        int n = std::atoi(word.c_str() + letters);
        error = font.setPitch(n);
      } else if (reader.nextToken() == token::kNumber) {
        int n = reader.tokenInteger();
        if (equalsIgnoringCase(word, "point")) {
          font.setPoint(n);
        } else {
          font.setPitch(n);
        }
      } else {
        reader.pushBackToken();
        error = font.setPitch(12);
      }
    }
  }
}

}  // namespace tabrix
