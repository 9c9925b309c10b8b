// PageState: where the composer is in the table: pages begun, lines on the current page,
// lines or rows written (the worksheet row) and whether the table has begun. The composer alone moves it (table/page.h gives the
// stub its page commands); everyone else reads it.
#pragma once

namespace tabrix {

class PageState {
 public:
  int pageNumber() const { return pageNumber_; }      // pages begun
  int lineOnPage() const { return lineOnPage_; }      // lines composed on the current page
  int sheetRow() const { return sheetRow_; }          // lines or rows written; the next worksheet row is sheetRow - 1
  bool headerStarted() const { return headerStarted_; }  // the table has begun (its first page header, or a text line)

 private:
  friend struct PageCounters;
  int pageNumber_ = 0;
  int lineOnPage_ = 0;
  int sheetRow_ = 0;
  bool headerStarted_ = false;
};

}  // namespace tabrix
