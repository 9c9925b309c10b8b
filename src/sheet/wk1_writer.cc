#include "sheet/wk1_writer.h"

#include <algorithm>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/run_files.h"
#include "sheet/wk1_records.h"

namespace tabrix {

Wk1Writer::Wk1Writer(const std::string& name, std::string_view fileType) {
  // The name keeps its letter case (file names are case-sensitive here).
  std::string working = name;
  std::size_t dot = fileNameDot(working);
  if (dot != std::string::npos) {
    working = working.substr(0, dot + 1) + "wk1";
  } else {
    working += ".wk1";
  }
  if (!fileType.empty()) {
    std::size_t cut = fileNameDot(working);
    if (cut != std::string::npos) working.resize(cut);
  }
  fileName_ = working;
  savePath_ = working;
  file_ = outputAllowed(working) ? std::fopen(toPath(working).c_str(), "wb") : nullptr;
  if (file_ == nullptr) {
    console().printf("Unable to open %s for writing.\n", working.c_str());
    return;
  }
  opened_ = true;
  (void)writeRecord(wk1::Bof, wk1BofBody());
}

Wk1Writer::~Wk1Writer() { (void)close(); }

int Wk1Writer::close() {
  if (closed_) return closeResult_;
  closed_ = true;
  if (file_ != nullptr) {
    (void)writeRecord(wk1::Eof, std::string());
    bool bad = std::ferror(file_) != 0;
    if (closeOutput(file_) != 0) bad = true;
    file_ = nullptr;
    if (bad) reportFailure();
  }
  closeResult_ = failed_ ? -1 : 0;
  return closeResult_;
}

void Wk1Writer::reportFailure() {
  if (!failed_) console().printf("\nError:  cannot write %s.\n", fileName_.c_str());
  failed_ = true;
}

int Wk1Writer::writeRecord(uint16_t opcode, const std::string& body) {
  if (file_ == nullptr || failed_) return -1;
  std::string record = wk1Record(opcode, body);
  if (writeOutput(record.data(), record.size(), file_) != record.size()) {
    reportFailure();
    return -1;
  }
  return 0;
}

bool Wk1Writer::addressable(int row, int column) {
  if (row >= 0 && row <= wk1::MaxRow && column >= 0 && column <= wk1::MaxColumn) return true;
  if (!failed_) {
    console().printf("\nError:  %s cannot hold row %d, column %d; such cells are not written.\n",
                     fileName_.c_str(), row, column);
  }
  failed_ = true;
  return false;
}

int Wk1Writer::writeNumber(int row, int column, float value, int decimals) {
  if (file_ == nullptr) return -1;
  if (!addressable(row, column)) return -1;
  return writeRecord(wk1::Number, wk1NumberBody(column, row, decimals, static_cast<double>(value)));
}

int Wk1Writer::writeMissing(int row, int column, int, std::string_view missingText) {
  return writeText(row, column, missingText, '"');
}

int Wk1Writer::writeText(int row, int column, std::string_view text, char align) {
  if (file_ == nullptr) return -1;
  if (!addressable(row, column)) return -1;
  return writeRecord(wk1::Label, wk1LabelBody(column, row, align, text));
}

int Wk1Writer::setColumnWidth(int column, int width) {
  if (file_ == nullptr) return -1;
  // A width beyond what the file holds becomes the widest it holds.
  width = std::clamp(width, 0, wk1::MaxWidth);
  if (!addressable(0, column)) return -1;
  return writeRecord(wk1::ColumnWidth, wk1ColumnWidthBody(column, width));
}

int Wk1Writer::setSpacerWidth(int, int) { return file_ == nullptr ? -1 : 0; }

int Wk1Writer::finishSheet(int firstRow, int firstColumn, int lastRow, int lastColumn) {
  if (file_ == nullptr) return -1;
  return writeRecord(wk1::Range, wk1RangeBody(firstColumn, firstRow, lastColumn, lastRow));
}

}  // namespace tabrix
