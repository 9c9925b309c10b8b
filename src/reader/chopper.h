// Chopper: the one reader of the stub language. It hands out characters and tokens
// from a stub or add file, from the keyboard (through the line editor), or from a
// text in memory, replaces the %1 .. %9 argument marks of add files while a line is
// read, and keeps the exact byte offset in the source file of the next character, so
// that sorted table lines can be read again later by seeking to a recorded position.
//
// The interpreter, the line handler, the expression evaluator, the group commands,
// the matrix listing and the font-line parser all read through one Chopper (the
// `reader` of RunState) and rely on the token types below.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dates/vex_date.h"
#include "reader/line_editor.h"
#include "support/messages.h"

namespace tabrix {

// Token types returned by Chopper::nextToken. A punctuation character other than
// '.', '\', '"' and '#' is its own type: '=', ';', ',', '(', ')', '-', '+', '*', '/',
// '&', '_', '%', '@', '[', ']', '{', '}', ':', '|', ... (the token text is that
// character).
namespace token {
constexpr int kWord = 'a';     // a word, or a text in double quotes (text without quotes)
constexpr int kNumber = 'n';   // a number; its characters are the text
constexpr int kLineEnd = 'f';  // end of line; also after a '#' comment, and a NUL of a text
constexpr int kEnd = 'e';      // end of the input (token text left unchanged)
constexpr int kControl = 'c';  // any other character (control bytes, bytes above 127)
constexpr int kEscape = 27;    // the escape character
}  // namespace token

// The arguments of a running add file. Entry n - 1 holds argument n, the text that
// replaces the mark %n (so %1 .. %9 reach entries 0 .. 8; a tenth argument is kept
// but cannot be referred to). An empty optional is an argument that was not given;
// an empty string is an argument given as "" and replaces its mark by nothing.
using ArgumentTable = std::array<std::optional<std::string>, 10>;

// The flags of a number list (see parseNumberList); index 0 is never used.
constexpr int kNumberListSize = 300;
using NumberFlags = std::array<int8_t, kNumberListSize>;

// A token as nextToken hands it out: its type and its text.
struct Token {
  int type = token::kEnd;
  std::string text;
};
using TokenList = std::vector<Token>;

class Chopper {
 public:
  // Capacity of the line buffer, substituted arguments included; a longer line is cut
  // (its text keeps kLineCapacity - 3 characters, then the line end follows).
  static constexpr int kLineCapacity = 1200;
  // Capacity of the token area; a longer quoted text keeps its first
  // kTokenCapacity - 1 characters, the rest up to the closing quote is dropped.
  static constexpr int kTokenCapacity = 512;
  // Words and numbers are split after this many characters; the next one starts a
  // new token.
  static constexpr int kMaxTokenLength = 39;
  // readQuoted copies at most this many characters.
  static constexpr int kQuotedLength = 89;
  // readConfigLine reads raw lines of at most this many characters.
  static constexpr int kConfigLineLength = 298;
  // The bound readConfigLine uses when it is given 0.
  static constexpr int kConfigValueBound = 300;

  // No source yet: nextChar answers the end of input until a source is set.
  // Keyboard mode 'y', kind ' ', position -1, empty history, current character LF.
  Chopper();
  Chopper(const Chopper&) = delete;
  Chopper& operator=(const Chopper&) = delete;

  // --- Sources -------------------------------------------------------------------

  // Makes the file the source (kind 'f'). Standard input (stdin) is the keyboard:
  // keyboard mode 'y', lines come from the line editor (or, when keys do not come from
  // a terminal, plain lines) through keySource(). Any other file is read from its
  // current offset, which becomes the position. Discards the current line, any
  // pushed-back character or token, and the keyboard history. The reader does not own
  // the file; a null file gives the end of input.
  void setSource(std::FILE* file);
  // Makes a text in memory the source (kind 's'): its characters and then one NUL
  // (handed out as 0, a token of type 'f') are delivered, then the end of input.
  // No line is filled from it. A pushed-back token stays pushed back; a pushed-back
  // character is discarded. The text is copied.
  void setString(std::string_view text);

  // Lexes a text in memory into the tokens nextToken would hand out from it after
  // setString(text), up to and including the first end of input; this reader's own
  // state (source, last token, pushed-back token) is left alone.
  void tokenise(std::string_view text, TokenList& tokens);
  // Makes a token list from tokenise the source (kind 't'): nextToken hands out its
  // tokens in order, then the end of input, exactly as it would from the text the list
  // was made of after setString (a pushed-back token stays pushed back; the end of
  // input leaves the last token's text as it was). Only tokens come from it: nextChar
  // answers the end of input. The list is not copied and must outlive its use.
  void setTokens(const TokenList& tokens);
  // Returns to the file after a text or token list: as setSource(file), but when the
  // file is the one last set and has an offset, the offset is the one this reader
  // has counted, without asking the file (no seek per table line).
  void resumeSource(std::FILE* file);

  // The source file when the kind is 'f' (stdin for the keyboard), else nullptr.
  std::FILE* sourceFile() const;
  // 'f' file or keyboard, 's' text in memory, 't' token list, ' ' none yet.
  char sourceKind() const { return kind_; }
  // True while lines come from the keyboard (the source is stdin).
  bool keyboardMode() const { return keyboard_; }

  // The current add file's arguments, or nullptr for none. The table is not owned;
  // the add-file command that sets it keeps it alive while the add file runs and
  // restores its caller's table afterwards (nested add files stack their tables).
  const ArgumentTable* arguments() const { return arguments_; }
  void setArguments(const ArgumentTable* table) { arguments_ = table; }

  // --- Characters ----------------------------------------------------------------

  // The next character (0 .. 255), or -1 at the end of the input (as often as
  // asked). A line ends with exactly one line feed (10), whether it was stored with
  // LF or CR LF, and a last line without a line feed gets one. In add files, %1 .. %9
  // are replaced by their arguments; a mark whose argument was not given prints the
  // missing-argument message and ends the process with status 1. NUL bytes in a file
  // are dropped.
  int nextChar();
  // The last character handed out (LF before the first; -1 after the end).
  int currentChar() const { return current_; }
  // The next nextChar returns c (one character can be pushed back; c = 0 means none
  // and drops a character waiting). The position steps back to where it was before
  // the last character was read.
  void pushBackChar(int c);
  // Pushes back the current character, whatever it is: a 0 of a text in memory, or
  // -1, so that the end of input is seen again.
  void pushBackCurrent();

  // Byte offset in the source file of the next character nextChar will hand out;
  // -1 before any source is set. Read at the start of a stub line it is the offset
  // of that line in the file, exact for CR LF files and for lines with substituted
  // arguments, so a caller can seek the file there and setSource it again.
  long position() const { return position_; }

  // --- Tokens --------------------------------------------------------------------

  // Reads the next token (blanks and tabs before it are skipped) and returns its
  // type (see `token`). The text is stored as the last token and also copied to
  // `text` in the second form.
  //  - a word starts with a letter or '\' and goes on with letters, digits and
  //    . _ $ \ : & !  (so C:\dir\file.ext is one word);
  //  - a number starts with a digit or '.' and goes on with digits, '.', 'E', and
  //    '+' / '-' right after an 'E' (1.5E-3 is one number; 1.5e-3 is 1.5, e, -, 3);
  //  - words and numbers are split after 39 characters;
  //  - "text" is a word holding the text; a line end before the closing quote gives
  //    'f' (the end of input 'e'), with the text read so far;
  //  - '#' drops the rest of the line and gives 'f' ('e' at the end of input).
  int nextToken();
  int nextToken(std::string& text);
  // The next nextToken returns the last token and its type again.
  void pushBackToken();
  // The text and type of the last token.
  const std::string& tokenText() const { return token_; }
  int tokenType() const { return type_; }
  // The last token's text read as a number (strtod; 0 when it holds none).
  double tokenNumber() const;
  // tokenNumber() cut toward zero to an integer (saturating at the int range).
  int tokenInteger() const;

  // --- Skipping ------------------------------------------------------------------

  // Reads characters up to and including the next line feed, or to the end of input.
  void skipLine();
  // Reads tokens until one of type 'f' (or the end of input).
  void skipToLineEnd();
  // Reads tokens until the end of input ('e' returned) or a line end ('f' returned)
  // whose preceding token is none of + - / * , _ (such a line continues on the next).
  int skipStatement();

  // --- Special readers -----------------------------------------------------------

  // Skips to a double quote and copies the text up to the next double quote into
  // `text` (at most 89 characters; the rest of a longer text is skipped). The text
  // may run over line ends, and is read plainly even from the keyboard. Returns 0,
  // or -1 when the input ends (or a NUL is read) before the opening or the closing
  // quote; then `text` holds what was read.
  int readQuoted(std::string& text);
  // Reads one raw configuration line "label;value" from the source file (at most 298
  // characters; the rest of a longer line is dropped) and puts the value, without
  // the blanks after the ';' and without the line end, into `value`. bound 0 means
  // 300. Returns 0; -1 at the end of the file; -1 after "Config line missing ;: %s\n"
  // and the pause prompt (Escape ends the process with status 1) when there is no
  // ';'; -1 after "Config line too long: %s\n" when the value has more than `bound`
  // characters (`value` then holds the first `bound`). The next nextChar starts on
  // the following line.
  int readConfigLine(std::string& value, int bound = 0);
  // Reads a list of numbers, ranges a-b, commas and parentheses (group command
  // syntax) up to the end of the line (a trailing comma continues it on the next
  // line) or an unmatched ')'. `flags` must be cleared by the caller; every listed
  // number n is flagged at index n - base with 1, or 0 inside parentheses. `base` is
  // set to the first number - 1 (0 when no number came). Returns the highest index
  // flagged. Errors print their message and end the list: "\nA - must be followed by
  // a number.", "\nA number must procede a -.", "\nUnrecognized element %s", and for
  // a number whose index falls outside 1 .. 299 "\nNumber %d is outside the list's
  // range (%d to %d)." (with the number and the lowest and highest allowed numbers).
  int parseNumberList(NumberFlags& flags, int& base);
  // Reads one or two dates written as numbers (1990, 1990.2, 1990.011) for a chart.
  // Not a number: the token is pushed back, result 0. Otherwise both dates get the
  // first number and, when a second number follows (else it is pushed back), `last`
  // gets it. Returns the count of dates read (1 or 2), or -1 when `last` lies before
  // `first` (or the two are in one year with different frequencies).
  int readDateRange(VexDate& first, VexDate& last);

  // The keyboard line editor with its history (used in keyboard mode).
  LineEditor& editor() { return editor_; }

 private:
  // setSource with the offset the file stands at.
  void setSourceAt(std::FILE* file, long offset);
  bool fillLine();
  bool fillFileLine();
  bool fillKeyboardLine(bool edit);
  void appendToLine(int c, long offset);
  int rawGet();

  int current_ = '\n';                 // last character handed out
  bool tokenPushed_ = false;           // the next nextToken repeats the last token
  bool charPushed_ = false;            // pushed_ is waiting to be handed out
  int pushed_ = 0;                     // the pushed-back character
  long pushedPosition_ = -1;           // position after the pushed-back character
  std::string line_;                   // the current line (ends with LF)
  std::vector<long> offsets_;          // file offset of each line character, and of the end
  std::size_t read_ = 0;               // next character of line_ or text_
  std::string token_;                  // text of the last token
  int type_ = token::kEnd;             // type of the last token
  char kind_ = ' ';                    // 'f', 's' or ' '
  long position_ = -1;                 // offset of the next character
  long before_ = -1;                   // position before the last character handed out
  long rawOffset_ = 0;                 // offset of the next byte of the source file
  std::FILE* file_ = nullptr;          // the source file (not owned)
  VexMessage messages_;                // handle on the message catalogue
  std::string text_;                   // the text in memory, with its NUL
  const TokenList* tokens_ = nullptr;  // the token list of kind 't' (not owned)
  std::size_t nextToken_ = 0;          // next token of tokens_
  bool fileHasOffset_ = false;         // the source file told its offset when set
  std::unique_ptr<Chopper> lexer_;     // lexes texts for tokenise
  const ArgumentTable* arguments_ = nullptr;  // the current add file's arguments
  bool keyboard_ = true;               // lines come from the keyboard
  LineEditor editor_;                  // keyboard line editor and history
};

}  // namespace tabrix
