// PageCounters: the composer's hold on its page state. Only the table layer's composer
// (and tests placing it on a page) use it; the stub goes through table/page.h.
#pragma once

#include "table/page_state.h"

namespace tabrix {

struct PageCounters {
  static int& pageNumber(PageState& state) { return state.pageNumber_; }
  static int& lineOnPage(PageState& state) { return state.lineOnPage_; }
  static int& sheetRow(PageState& state) { return state.sheetRow_; }
  static bool& headerStarted(PageState& state) { return state.headerStarted_; }
  // The same, read from a state held const.
  static int pageNumber(const PageState& state) { return state.pageNumber_; }
  static int lineOnPage(const PageState& state) { return state.lineOnPage_; }
  static int sheetRow(const PageState& state) { return state.sheetRow_; }
  static bool headerStarted(const PageState& state) { return state.headerStarted_; }
};

}  // namespace tabrix
