// Helpers for the stub reader tests: a stub written to a temporary file, and a
// readable dump of the token stream.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "reader/chopper.h"

namespace tabrix::testing {

// A temporary file holding the given bytes, positioned at its start.
class TempStub {
 public:
  explicit TempStub(std::string_view bytes) : file_(std::tmpfile()) {
    if (file_ != nullptr) {
      std::fwrite(bytes.data(), 1, bytes.size(), file_);
      std::rewind(file_);
    }
  }
  ~TempStub() {
    if (file_ != nullptr) std::fclose(file_);
  }
  TempStub(const TempStub&) = delete;
  TempStub& operator=(const TempStub&) = delete;

  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

// One token as "type:text" ("a:gdp", "n:1.5", "=:="); the line end shows as "f" and
// the end of input as "e".
inline std::string describe(int type, const std::string& text) {
  if (type == token::kLineEnd) return "f";
  if (type == token::kEnd) return "e";
  std::string kind = type == token::kEscape ? std::string("ESC") : std::string(1, static_cast<char>(type));
  return kind + ":" + text;
}

// Every token up to and including the end of input (at most `limit`, so a reader
// that never ends shows up as a long list rather than a hang).
inline std::vector<std::string> readAllTokens(Chopper& reader, int limit = 100000) {
  std::vector<std::string> out;
  for (int i = 0; i < limit; ++i) {
    int type = reader.nextToken();
    out.push_back(describe(type, reader.tokenText()));
    if (type == token::kEnd) break;
  }
  return out;
}

// Every character up to the end of input, as a string (at most `limit`).
inline std::string readAllChars(Chopper& reader, std::size_t limit = 1000000) {
  std::string out;
  for (std::size_t i = 0; i < limit; ++i) {
    int c = reader.nextChar();
    if (c < 0) break;
    out.push_back(static_cast<char>(c));
  }
  return out;
}

}  // namespace tabrix::testing
