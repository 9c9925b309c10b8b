// SheetWriter: a worksheet target of the table composer, one of two kinds:
//  - Wk1Writer (wk1_writer.h): a Lotus 1-2-3 worksheet file, written record by record as
//    the cells arrive;
//  - WorkbookWriter (workbook_writer.h): a workbook built through Excel (excel.h), one
//    worksheet per table page, saved when the writer is closed.
// Cells are addressed by row and column, both from 0 (column 0 is the title column).
// Every operation returns 0 when done and -1 when it failed (after its message) or the
// writer is not open. A failed write leaves the writer failed: close() then returns -1.
// The writers never see the table state: the composer and the commands pass what they
// need (file type, sheet titles, fonts, counts).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "sheet/vex_font.h"

namespace tabrix {

class WorkbookWriter;

// What makeChart needs of the table: the chart is drawn from the collected rows.
struct ChartRequest {
  int altCount = 1;      // rows per table line (the alternatives)
  VexFont nameFont;      // the font of the labels of the alternatives' rows
  int dateCount = 0;     // date columns of the block: each series spans A .. A + dateCount
  std::string title;     // the chart title
  std::string subtitle;  // its second line (and the extra title)
  std::string axisTitle;  // the value axis's title
};

// What a worksheet may be named after: the \wstitle title, else the running head.
struct SheetTitles {
  std::string worksheetTitle;  // \wstitle's title; empty when none was given
  std::string headText;        // the running head (\head)
  bool headSet = false;        // a running head was given
};

class SheetWriter {
 public:
  virtual ~SheetWriter() = default;
  SheetWriter(const SheetWriter&) = delete;
  SheetWriter& operator=(const SheetWriter&) = delete;

  // Construction succeeded.
  bool isOpen() const { return opened_; }

  // A number cell with `decimals` decimals.
  virtual int writeNumber(int row, int column, float value, int decimals) = 0;
  // The cell of a missing number: a WK1 file gets the text missingText, right-aligned; a
  // workbook the missing marker, which it shows as its missing-value text.
  virtual int writeMissing(int row, int column, int decimals, std::string_view missingText) = 0;
  // A text cell; align is the WK1 alignment prefix ('\'' left, '"' right, '^' centre).
  // A workbook aligns by the font instead.
  virtual int writeText(int row, int column, std::string_view text, char align) = 0;
  // A column's width in characters (held at 0 .. 255).
  virtual int setColumnWidth(int column, int width) = 0;
  // A spacer column's width: a workbook gives it, a WK1 file leaves the column as it is.
  virtual int setSpacerWidth(int column, int width) = 0;
  // The font of the cells that follow (a WK1 file has no fonts: only kept).
  virtual void setFont(const VexFont& font) { currentFont_ = font; }
  // The font handed in last.
  const VexFont& currentFont() const { return currentFont_; }
  // The worksheet's dimensions (a WK1 file's RANGE record; a workbook needs none).
  virtual int finishSheet(int firstRow, int firstColumn, int lastRow, int lastColumn) = 0;
  // Ends the target as destruction does. Returns 0, or -1 when this or an earlier write
  // of the target failed (each reported once). Later calls return the same result.
  [[nodiscard]] virtual int close() = 0;
  // A write of the target failed (it was reported).
  bool failed() const { return failed_; }
  // The full name the workbook is saved under, or the WK1 file's name.
  const std::string& savePath() const { return savePath_; }
  // This writer as a workbook writer, or nullptr for a WK1 file.
  virtual WorkbookWriter* workbook() { return nullptr; }

 protected:
  SheetWriter() = default;

  bool opened_ = false;      // construction succeeded
  bool failed_ = false;      // a write of the target failed
  VexFont currentFont_;      // font handed in by setFont
  std::string savePath_;     // full name the target is saved under
  std::string fileName_;     // the file as the user named it, for messages
};

// The name a worksheet takes from the titles: the \wstitle title, else the head when
// set, with characters a sheet name cannot hold replaced by '_' and cut to 31
// characters; "" when neither gives a name.
std::string sheetNameFrom(const SheetTitles& titles);

// The position of the first '.' of the file name in a path (dots of directories do not
// count), or npos.
std::size_t fileNameDot(const std::string& name);

}  // namespace tabrix
