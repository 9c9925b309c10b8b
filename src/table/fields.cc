#include "table/fields.h"

namespace tabrix {

std::string fitField(std::string_view text, int width) {
  if (width <= 0) return std::string();
  std::string field(text.substr(0, static_cast<std::size_t>(width)));
  field.resize(static_cast<std::size_t>(width), ' ');
  return field;
}

std::string quoteField(std::string_view text, int width) {
  return "\"" + fitField(text, width) + "\"";
}

void placeAt(std::string& line, int column, std::string_view text) {
  if (column < 0) {
    std::size_t skip = static_cast<std::size_t>(-static_cast<long>(column));
    if (skip >= text.size()) return;
    text.remove_prefix(skip);
    column = 0;
  }
  std::size_t start = static_cast<std::size_t>(column);
  if (line.size() < start + text.size()) line.resize(start + text.size(), ' ');
  line.replace(start, text.size(), text);
}

std::string rightTrimmed(std::string text) {
  std::size_t end = text.find_last_not_of(' ');
  text.resize(end == std::string::npos ? 0 : end + 1);
  return text;
}

}  // namespace tabrix
