#include "table/markup_text.h"

#include <array>
#include <cstdint>

namespace tabrix {

namespace {

// Code points of Windows-1252's bytes 0x80 .. 0x9F (0: not assigned, shown as U+FFFD).
constexpr std::array<uint16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendCodePoint(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The length of the valid UTF-8 sequence at text[i] (2 to 4), or 0 when there is none.
std::size_t utf8Length(std::string_view text, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  std::size_t length = 0;
  uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3Fu);
  }
  // Overlong forms, surrogates and code points past U+10FFFF are not valid.
  if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
      (code >= 0xD800 && code <= 0xDFFF)) {
    return 0;
  }
  return length;
}

bool plainAscii(std::string_view text) {
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || (byte < 0x20 && c != '\t') || byte == 0x7F) return false;
  }
  return true;
}

}  // namespace

std::string utf8Text(std::string_view text) {
  if (plainAscii(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += (byte < 0x20 && text[i] != '\t') || byte == 0x7F ? ' ' : text[i];
      ++i;
    } else if (std::size_t length = utf8Length(text, i); length != 0) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      uint32_t code = byte >= 0xA0 ? byte : kCp1252High[byte - 0x80];
      appendCodePoint(out, code == 0 ? 0xFFFD : code);
      ++i;
    }
  }
  return out;
}

void assignUtf8(std::string& out, std::string_view text) {
  if (plainAscii(text)) {
    out.assign(text);
  } else {
    out = utf8Text(text);
  }
}

namespace {

// Appends text to out, each character for which special(c) holds written by escape,
// the runs between them copied whole.
template <typename Special, typename Escape>
void appendEscaped(std::string& out, std::string_view text, Special special, Escape escape) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!special(text[i])) continue;
    out.append(text.substr(start, i - start));
    escape(out, text[i]);
    start = i + 1;
  }
  out.append(text.substr(start));
}

bool htmlSpecial(char c) { return c == '&' || c == '<' || c == '>' || c == '"' || c == '\''; }

}  // namespace

void appendHtml(std::string& out, std::string_view text) {
  appendEscaped(out, text, htmlSpecial, [](std::string& o, char c) {
    switch (c) {
      case '&': o += "&amp;"; break;
      case '<': o += "&lt;"; break;
      case '>': o += "&gt;"; break;
      case '"': o += "&quot;"; break;
      default: o += "&#39;"; break;
    }
  });
}

std::string htmlEscaped(std::string_view text) {
  std::string out;
  appendHtml(out, text);
  return out;
}

void appendMarkdown(std::string& out, std::string_view text, bool blockStart) {
  std::size_t i = 0;
  if (blockStart) {
    // Blanks at the start of a block would indent it into code; the leading marks of a
    // heading, list, quote or rule are taken as text.
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size()) {
      char first = text[i];
      if (first == '#' || first == '+' || first == '-' || first == '=' || first == '>') {
        out += '\\';
      } else if (first >= '0' && first <= '9') {
        std::size_t k = i;
        while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k;
        if (k < text.size() && (text[k] == '.' || text[k] == ')')) {
          out.append(text.substr(i, k - i));
          out += '\\';
          i = k;
        }
      }
    }
  }
  auto special = [](char c) {
    switch (c) {
      case '\\': case '`': case '*': case '_': case '[': case ']': case '<': case '>':
      case '|': case '~': case '&': case '$':
        return true;
      default:
        return false;
    }
  };
  appendEscaped(out, text.substr(i), special, [](std::string& o, char c) {
    o += '\\';
    o += c;
  });
}

std::string markdownEscaped(std::string_view text, bool blockStart) {
  std::string out;
  appendMarkdown(out, text, blockStart);
  return out;
}

void appendLatex(std::string& out, std::string_view text) {
  auto special = [](char c) {
    switch (c) {
      case '&': case '%': case '#': case '_': case '{': case '}': case '$': case '~': case '^':
      case '\\': case '<': case '>': case '|':
        return true;
      default:
        return false;
    }
  };
  appendEscaped(out, text, special, [](std::string& o, char c) {
    switch (c) {
      case '&': case '%': case '#': case '_': case '{': case '}':
        o += '\\';
        o += c;
        break;
      // From the math fonts: the text dollar would need the TS1 fonts too.
      case '$': o += "\\ensuremath{\\$}"; break;
      // As accents over nothing: the text commands would need the TS1 fonts.
      case '~': o += "\\~{}"; break;
      case '^': o += "\\^{}"; break;
      case '\\': o += "\\textbackslash{}"; break;
      case '<': o += "\\textless{}"; break;
      case '>': o += "\\textgreater{}"; break;
      case '|': o += "\\textbar{}"; break;
      default: o += c;
    }
  });
}

std::string latexEscaped(std::string_view text) {
  std::string out;
  appendLatex(out, text);
  return out;
}

std::string_view trimmedText(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace tabrix
