#include "reader/chopper.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/console.h"
#include "platform/keys.h"
#include "platform/process.h"
#include "support/text.h"

namespace tabrix {

namespace {

// The line text keeps room for CR, LF and the terminator of the line buffer.
constexpr std::size_t kLineText = Chopper::kLineCapacity - 3;
constexpr std::size_t kTokenText = Chopper::kTokenCapacity - 1;

bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// ASCII punctuation, as the C locale's ispunct.
bool isPunctuation(int c) {
  return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
         (c >= '{' && c <= '~');
}
bool isWordChar(int c) {
  return isLetter(c) || isDigit(c) || c == '.' || c == '_' || c == '$' || c == '\\' ||
         c == ':' || c == '&' || c == '!';
}

}  // namespace

Chopper::Chopper() = default;

// --- Sources ---------------------------------------------------------------------

void Chopper::setSource(std::FILE* file) {
  long offset = 0;
  fileHasOffset_ = false;
  if (file != nullptr && file != stdin) {
    offset = std::ftell(file);
    fileHasOffset_ = offset >= 0;
    if (offset < 0) offset = 0;  // a pipe has no offset; count from here
  }
  setSourceAt(file, offset);
}

void Chopper::resumeSource(std::FILE* file) {
  // Every byte of the file went through rawGet (and ungetc) since it was set, so the
  // count is where the file stands.
  if (file == nullptr || file != file_ || file == stdin || !fileHasOffset_) {
    setSource(file);
    return;
  }
  setSourceAt(file, rawOffset_);
}

void Chopper::setSourceAt(std::FILE* file, long offset) {
  kind_ = 'f';
  file_ = file;
  keyboard_ = (file != nullptr && file == stdin);
  current_ = '\n';
  charPushed_ = false;
  pushed_ = 0;
  tokenPushed_ = false;
  line_.clear();
  offsets_.clear();
  read_ = 0;
  editor_.history().clear();
  rawOffset_ = offset;
  position_ = offset;
  before_ = offset;
}

void Chopper::tokenise(std::string_view text, TokenList& tokens) {
  if (!lexer_) lexer_ = std::make_unique<Chopper>();
  Chopper& lexer = *lexer_;
  lexer.setString(text);
  lexer.tokenPushed_ = false;
  tokens.clear();
  for (;;) {
    const int type = lexer.nextToken();
    tokens.push_back(Token{type, type == token::kEnd ? std::string() : lexer.token_});
    if (type == token::kEnd) break;
  }
}

void Chopper::setTokens(const TokenList& tokens) {
  kind_ = 't';
  tokens_ = &tokens;
  nextToken_ = 0;
  current_ = 'a';
  charPushed_ = false;
  pushed_ = 0;
}

void Chopper::setString(std::string_view text) {
  kind_ = 's';
  text_.assign(text);
  text_.push_back('\0');
  read_ = 0;
  current_ = 'a';
  charPushed_ = false;
  pushed_ = 0;
}

std::FILE* Chopper::sourceFile() const { return kind_ == 'f' ? file_ : nullptr; }

// --- Line filling ----------------------------------------------------------------

int Chopper::rawGet() {
  int c = std::getc(file_);
  if (c != EOF) ++rawOffset_;
  return c;
}

void Chopper::appendToLine(int c, long offset) {
  line_.push_back(static_cast<char>(c));
  offsets_.push_back(offset);
}

bool Chopper::fillLine() {
  line_.clear();
  offsets_.clear();
  read_ = 0;
  if (kind_ != 'f' || file_ == nullptr) return false;
  // Standard input is always read through the key source: edited in keyboard mode,
  // plainly otherwise (readQuoted switches keyboard mode off).
  if (file_ == stdin) return fillKeyboardLine(keyboard_);
  return fillFileLine();
}

bool Chopper::fillFileLine() {
  bool readAny = false;
  for (;;) {
    int c = rawGet();
    if (c == EOF) break;
    readAny = true;
    long offset = rawOffset_ - 1;
    if (c == '\n') {
      appendToLine('\n', offset);
      offsets_.push_back(rawOffset_);
      return true;
    }
    if (c == 0) continue;  // a NUL byte carries nothing: dropped
    if (c == '%' && arguments_ != nullptr) {
      int d = rawGet();
      if (d >= '1' && d <= '9') {
        int n = d - '0';
        const std::optional<std::string>& argument = (*arguments_)[static_cast<std::size_t>(n - 1)];
        if (!argument) {
          console().printf(
              "You called an add file that required argument %%%d, but you did not \r\n", n);
          console().write(
              "   provide it!  Hey, be a little more careful with your stub files!\r\n");
          console().write("Quitting Now...\r\n");
          endProcess(1);
        }
        for (char a : *argument) {
          // A line end or NUL inside an argument would break the line apart.
          if (a == '\n' || a == '\0') continue;
          if (line_.size() < kLineText) appendToLine(static_cast<unsigned char>(a), offset);
        }
        continue;
      }
      // Not an argument mark: the '%' stays, the next byte is read as usual.
      if (d != EOF) {
        std::ungetc(d, file_);
        --rawOffset_;
      }
    }
    if (line_.size() < kLineText) appendToLine(c, offset);
  }
  if (!readAny) return false;
  // A last line without a line feed still ends properly.
  appendToLine('\n', rawOffset_);
  offsets_.push_back(rawOffset_);
  return true;
}

bool Chopper::fillKeyboardLine(bool edit) {
  std::optional<std::string> typed;
  if (edit) {
    typed = editor_.readLine(keySource());
  } else {
    typed = readPlainKeyLine(keySource(), kLineText);
    if (typed) typed->append("\r\n");
  }
  if (!typed) return false;
  // Positions of keyboard lines count the characters typed since the source was set.
  for (char c : *typed) {
    if (c == '\n') break;
    if (line_.size() < kLineText) appendToLine(static_cast<unsigned char>(c), rawOffset_);
    ++rawOffset_;
  }
  appendToLine('\n', rawOffset_);
  ++rawOffset_;
  offsets_.push_back(rawOffset_);
  return true;
}

// --- Characters ------------------------------------------------------------------

int Chopper::nextChar() {
  if (charPushed_) {
    charPushed_ = false;
    before_ = position_;
    position_ = pushedPosition_;
    current_ = pushed_;
    return current_;
  }
  if (kind_ == 't') {
    current_ = -1;
    return -1;
  }
  if (kind_ == 's') {
    if (read_ >= text_.size()) {
      current_ = -1;
      return -1;
    }
    int c = static_cast<unsigned char>(text_[read_++]);
    if (c == '\r' && read_ < text_.size() && text_[read_] == '\n') {
      c = '\n';
      ++read_;
    }
    before_ = position_;  // a text in memory leaves the file position alone
    current_ = c;
    return c;
  }
  if (current_ == '\n' || current_ == -1 || read_ >= line_.size()) {
    if (!fillLine()) {
      current_ = -1;
      return -1;
    }
  }
  int c = static_cast<unsigned char>(line_[read_++]);
  if (c == '\r' && read_ < line_.size() && line_[read_] == '\n') {
    // CR LF ends the line once, as its line feed.
    c = '\n';
    ++read_;
  }
  before_ = position_;
  position_ = offsets_[read_];
  current_ = c;
  return c;
}

void Chopper::pushBackChar(int c) {
  if (c == 0) {
    // 0 means none: nothing is waiting any more.
    if (charPushed_) {
      charPushed_ = false;
      position_ = pushedPosition_;
    }
    return;
  }
  if (charPushed_) position_ = pushedPosition_;  // only one character is held
  charPushed_ = true;
  pushed_ = c;
  pushedPosition_ = position_;
  position_ = before_;
}

void Chopper::pushBackCurrent() {
  if (charPushed_) position_ = pushedPosition_;
  charPushed_ = true;
  pushed_ = current_;
  pushedPosition_ = position_;
  position_ = before_;
}

// --- Tokens ----------------------------------------------------------------------

int Chopper::nextToken(std::string& text) {
  int type = nextToken();
  text = token_;
  return type;
}

int Chopper::nextToken() {
  if (tokenPushed_) {
    tokenPushed_ = false;
    return type_;
  }
  if (kind_ == 't') {
    // The end of input, once reached, is handed out again and again, and its text is
    // the last token's.
    if (tokens_ == nullptr || nextToken_ >= tokens_->size()) {
      type_ = token::kEnd;
      return type_;
    }
    const Token& next = (*tokens_)[nextToken_];
    if (next.type == token::kEnd) {
      type_ = token::kEnd;
      return type_;
    }
    ++nextToken_;
    token_ = next.text;
    type_ = next.type;
    return type_;
  }
  int c;
  do {
    c = nextChar();
  } while (c == ' ' || c == '\t');
  if (c < 0) {
    type_ = token::kEnd;
    return type_;
  }
  // The end of a text in memory (its NUL) ends a line like a line feed.
  auto endsLine = [this](int ch) { return ch == '\n' || (ch == 0 && kind_ == 's'); };
  std::string text(1, static_cast<char>(c));
  int type;
  if (isPunctuation(c) && c != '.' && c != '\\') {
    type = c;
    if (c == '#') {
      // A comment runs to the end of the line.
      do {
        c = nextChar();
      } while (c >= 0 && !endsLine(c));
      if (c < 0) {
        type_ = token::kEnd;
        return type_;
      }
      type = token::kLineEnd;
      text.assign(1, '\n');
    } else if (c == '"') {
      text.clear();
      for (;;) {
        c = nextChar();
        if (c == '"') {
          type = token::kWord;
          break;
        }
        if (c < 0) {
          type = token::kEnd;
          break;
        }
        if (endsLine(c)) {
          type = token::kLineEnd;
          break;
        }
        if (text.size() < kTokenText) text.push_back(static_cast<char>(c));
      }
    }
  } else if (isDigit(c) || c == '.') {
    type = token::kNumber;
    int previous = c;
    while (text.size() < static_cast<std::size_t>(kMaxTokenLength)) {
      c = nextChar();
      bool take = isDigit(c) || c == '.' || c == 'E' ||
                  ((c == '+' || c == '-') && previous == 'E');
      if (!take) {
        pushBackCurrent();
        break;
      }
      text.push_back(static_cast<char>(c));
      previous = c;
    }
  } else if (isLetter(c) || c == '\\') {
    type = token::kWord;
    while (text.size() < static_cast<std::size_t>(kMaxTokenLength)) {
      c = nextChar();
      if (!isWordChar(c)) {
        pushBackCurrent();
        break;
      }
      text.push_back(static_cast<char>(c));
    }
  } else if (endsLine(c)) {
    type = token::kLineEnd;
  } else if (c == token::kEscape) {
    type = token::kEscape;
  } else {
    type = token::kControl;
  }
  token_ = std::move(text);
  type_ = type;
  return type_;
}

void Chopper::pushBackToken() { tokenPushed_ = true; }

double Chopper::tokenNumber() const {
  double value = std::strtod(token_.c_str(), nullptr);
  return std::isfinite(value) ? value : 0.0;
}

int Chopper::tokenInteger() const {
  double value = std::trunc(tokenNumber());
  if (value >= static_cast<double>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (value <= static_cast<double>(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

// --- Skipping --------------------------------------------------------------------

void Chopper::skipLine() {
  int c;
  do {
    c = nextChar();
  } while (c >= 0 && c != '\n');
}

void Chopper::skipToLineEnd() {
  int type;
  do {
    type = nextToken();
  } while (type != token::kLineEnd && type != token::kEnd);
}

int Chopper::skipStatement() {
  int previous = type_;
  for (;;) {
    int type = nextToken();
    if (type == token::kEnd) return token::kEnd;
    if (type == token::kLineEnd && previous != '+' && previous != '-' && previous != '/' &&
        previous != '*' && previous != ',' && previous != '_')
      return token::kLineEnd;
    previous = type;
  }
}

// --- Special readers -------------------------------------------------------------

int Chopper::readQuoted(std::string& text) {
  text.clear();
  bool keyboard = keyboard_;
  keyboard_ = false;
  int result = -1;
  int c;
  do {
    c = nextChar();
  } while (c > 0 && c != '"');
  if (c == '"') {
    for (;;) {
      c = nextChar();
      if (c <= 0) break;  // the closing quote never came
      if (c == '"') {
        result = 0;
        break;
      }
      if (text.size() < static_cast<std::size_t>(kQuotedLength))
        text.push_back(static_cast<char>(c));
    }
  }
  keyboard_ = keyboard;
  return result;
}

int Chopper::readConfigLine(std::string& value, int bound) {
  value.clear();
  if (bound <= 0) bound = kConfigValueBound;
  if (kind_ != 'f' || file_ == nullptr) return -1;

  std::string raw;
  bool readAny = false;
  if (file_ == stdin) {
    std::optional<std::string> typed = readPlainKeyLine(keySource(), kConfigLineLength);
    if (typed) {
      readAny = true;
      raw = std::move(*typed);
      rawOffset_ += static_cast<long>(raw.size()) + 1;
    }
  } else {
    for (;;) {
      int c = rawGet();
      if (c == EOF) break;
      readAny = true;
      if (c == '\n') break;
      if (c == 0) continue;
      // The rest of an overlong line is dropped, so the next read starts on a new line.
      if (raw.size() < static_cast<std::size_t>(kConfigLineLength)) raw.push_back(static_cast<char>(c));
    }
  }
  // Whatever was buffered is behind us now: the next character starts the next line.
  line_.clear();
  offsets_.clear();
  read_ = 0;
  current_ = '\n';
  charPushed_ = false;
  position_ = rawOffset_;
  before_ = rawOffset_;
  if (!readAny) return -1;
  if (!raw.empty() && raw.back() == '\r') raw.pop_back();

  std::size_t semicolon = raw.find(';');
  if (semicolon == std::string::npos || semicolon >= static_cast<std::size_t>(kConfigValueBound)) {
    console().printf("Config line missing ;: %s\n", raw.c_str());
    pausePrompt();
    return -1;
  }
  std::size_t start = semicolon + 1;
  while (start < raw.size() && raw[start] == ' ') ++start;
  std::string rest = raw.substr(start);
  if (rest.size() > static_cast<std::size_t>(bound)) {
    console().printf("Config line too long: %s\n", raw.c_str());
    value = rest.substr(0, static_cast<std::size_t>(bound));
    return -1;
  }
  value = std::move(rest);
  return 0;
}

int Chopper::parseNumberList(NumberFlags& flags, int& base) {
  bool baseSet = false;
  int8_t mark = 1;
  int depth = 0;
  int last = -1;
  int highest = 0;
  int previous = 0;
  base = 0;
  // An index outside the flags (a number below the first, or too far above it) is
  // refused rather than written out of bounds.
  auto inRange = [&](int number) {
    long index = static_cast<long>(number) - base;
    if (index >= 1 && index < kNumberListSize) return true;
    // The range is taken in 64 bits: a first number near the int range's end takes it
    // beyond.
    const long long lowest = static_cast<long long>(base) + 1;
    console().printf("\nNumber %d is outside the list's range (%lld to %lld).", number, lowest,
                     lowest + kNumberListSize - 2);
    return false;
  };
  for (;;) {
    int type = nextToken();
    if (type == token::kEnd) break;
    if (type == token::kLineEnd) {
      if (previous == ',') {
        previous = type;
        continue;
      }
      break;
    }
    if (type == '(') {
      mark = static_cast<int8_t>(1 - mark);
      ++depth;
    } else if (type == ')') {
      mark = static_cast<int8_t>(1 - mark);
      if (--depth < 0) break;
    } else if (type == ',') {
      // separates elements
    } else if (type == token::kNumber) {
      int number = tokenInteger();
      if (!baseSet) {
        // The first number lands at index 1.
        base = number == std::numeric_limits<int>::min() ? number : number - 1;
        baseSet = true;
      }
      if (!inRange(number)) break;
      int index = number - base;
      flags[static_cast<std::size_t>(index)] = mark;
      last = index;
      highest = std::max(highest, index);
    } else if (type == '-') {
      if (nextToken() != token::kNumber) {
        console().write("\nA - must be followed by a number.");
        break;
      }
      if (last < 0) {
        console().write("\nA number must procede a -.");
        break;
      }
      int number = tokenInteger();
      if (!inRange(number)) break;
      int index = number - base;
      // A range written high to low covers the same numbers.
      for (int i = std::min(last, index); i <= std::max(last, index); ++i)
        flags[static_cast<std::size_t>(i)] = mark;
      last = index;
      highest = std::max(highest, index);
    } else {
      console().printf("\nUnrecognized element %s", token_.c_str());
      break;
    }
    previous = type;
  }
  return highest;
}

int Chopper::readDateRange(VexDate& first, VexDate& last) {
  if (nextToken() != token::kNumber) {
    pushBackToken();
    return 0;
  }
  first = VexDate(static_cast<float>(tokenNumber()));
  last = first;
  int count = 1;
  if (nextToken() == token::kNumber) {
    last = VexDate(static_cast<float>(tokenNumber()));
    count = 2;
  } else {
    pushBackToken();
  }
  if (before(last, first) != 0) return -1;
  return count;
}

}  // namespace tabrix
