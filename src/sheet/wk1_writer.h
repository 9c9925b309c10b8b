// Wk1Writer: the worksheet target as a Lotus WK1 file, written record by record as the
// cells arrive (BOF, COLW1, LABEL, NUMBER, RANGE, EOF). A file write that fails, or a
// cell no record can address, is reported once; the writer then writes nothing more.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "sheet/sheet_writer.h"

namespace tabrix {

class Wk1Writer final : public SheetWriter {
 public:
  // Makes the file for `name`: the name gets the extension .wk1 in place of its own; a
  // \filetype text, when not empty, leaves the name without an extension. A failure
  // prints its message and leaves the writer closed (isOpen false).
  Wk1Writer(const std::string& name, std::string_view fileType);
  // Closes the file (close()) when that was not done.
  ~Wk1Writer() override;

  int writeNumber(int row, int column, float value, int decimals) override;
  int writeMissing(int row, int column, int decimals, std::string_view missingText) override;
  int writeText(int row, int column, std::string_view text, char align) override;
  int setColumnWidth(int column, int width) override;
  int setSpacerWidth(int column, int width) override;
  int finishSheet(int firstRow, int firstColumn, int lastRow, int lastColumn) override;
  // Writes the EOF record and closes the file.
  [[nodiscard]] int close() override;

 private:
  // Writes one record: 0, or -1 when the writer is not open, failed before, or the file
  // write failed (reported once).
  int writeRecord(uint16_t opcode, const std::string& body);
  // Reports a failed write of the file once.
  void reportFailure();
  // False (reported once) for a cell a WK1 record cannot address.
  bool addressable(int row, int column);

  std::FILE* file_ = nullptr;
  bool closed_ = false;  // close() ran
  int closeResult_ = 0;  // its result
};

}  // namespace tabrix
