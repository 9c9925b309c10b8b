#include "table/text_table_sink.h"

#include <algorithm>
#include <cstdio>

#include "table/printer_controls.h"

namespace tabrix {

TargetLayout textLayout(const TableSettings& settings) {
  TargetLayout layout;
  layout.quotedFields = settings.prnMode;
  layout.pageEnds = !settings.prnMode;
  if (settings.gdataMode) {
    layout.records = RecordLayout::DataRecords;
  } else if (settings.onePerLine) {
    layout.records = RecordLayout::OnePerLine;
  }
  return layout;
}

bool TextTableSink::printerCodes(std::string_view codes) {
  if (table_.noFormat) return false;
  table_.out.write(codes);
  return true;
}

void TextTableSink::beginPage(const PageSetup& setup) {
  TableFile& out = table_.out;
  // The form feed ends the page before; a print file has none.
  if (setup.pageNumber > 1 && !table_.prnMode) out.write("\f");
  if (table_.noFormat) return;
  // The printer setup of every page: left margin, orientation, line density.
  char code[64];
  if (setup.leftMargin != 0) {
    std::snprintf(code, sizeof code, "\033&a%dL", setup.leftMargin);
    out.write(code);
  }
  out.write(setup.landscape ? "\033&l1O" : "\033&l0O");
  if (setup.linesPerPage != 0) {
    // The vertical motion index: linesPerPage lines in 10 inches, in 1/48 inch units.
    std::snprintf(code, sizeof code, "\033&l%6.4fC", 48 / (setup.linesPerPage * 0.1));
    out.write(code);
  }
}

std::string TextTableSink::fontCodes(FontRole role) const {
  const RoleFont& font = table_.fonts[role];
  if (font.fontWord.empty() || table_.noFormat) return std::string();
  return printerSequence(font.fontWord) + printerSequence(font.pointWord) + printerSequence(font.pitchWord);
}

void TextTableSink::fontRole(FontRole role, bool on) {
  flushPending();
  if (!on) {
    // Back to the body font after a role that sent words of its own.
    if (!table_.fonts[role].fontWord.empty()) table_.out.write(fontCodes(BodyFont));
    return;
  }
  // The date font goes after the title area of the date row.
  if (role == DateFont) {
    pending_ = fontCodes(role);
    return;
  }
  table_.out.write(fontCodes(role));
}

void TextTableSink::dateRow(std::span<const DateLabel> /*labels*/, std::string_view laidOut) {
  const std::size_t area = std::min<std::size_t>(static_cast<std::size_t>(std::max<int>(table_.titleWidth, 0)),
                                                 static_cast<std::size_t>(MaxRowLength));
  table_.out.write(laidOut.substr(0, area));
  table_.out.write(pending_);
  pending_.clear();
  if (laidOut.size() > area) table_.out.write(laidOut.substr(area));
  table_.out.write(table_.lineEnd);
}

void TextTableSink::contents(const toc& entries, std::string_view pagePrefix) {
  if (!table_.out.isOpen() || table_.prnMode) return;
  table_.out.put('\f');
  entries.writeContents(table_.out, table_.pageWidth, pagePrefix, table_.lineEnd);
}

int TextTableSink::finish() {
  if (table_.rtfMode) table_.out.write("\n}");
  return table_.out.close();
}

void TextTableSink::writeLine(std::string_view text) {
  flushPending();
  table_.out.write(text);
  table_.out.write(table_.lineEnd);
}

void TextTableSink::lineEnds(int count) {
  flushPending();
  for (int i = 0; i < count; ++i) table_.out.write(table_.lineEnd);
}

void TextTableSink::flushPending() {
  if (pending_.empty()) return;
  table_.out.write(pending_);
  pending_.clear();
}

}  // namespace tabrix
