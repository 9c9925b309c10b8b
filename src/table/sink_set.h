// SinkSet: the renderers attached to a table, each under a key, and the page they are
// on. The composer sends every page through it to each sink in the order they were
// attached; a sink attached while a page is open first gets that page's beginPage, and
// a page still open is ended before a sink is finished, so every sink sees whole pages.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tabrix {

class TableSink;
struct PageSetup;

class SinkSet {
 public:
  SinkSet();
  ~SinkSet();  // abandons the sinks still attached (a run that ends early)
  SinkSet(const SinkSet&) = delete;
  SinkSet& operator=(const SinkSet&) = delete;

  // True when no sink is attached: the composer then builds nothing for them.
  bool empty() const { return entries_.empty(); }

  // Attaches sink under key, after finishing the sink already there (its status, 0 when
  // there was none). While a page is open the new sink begins it at once.
  [[nodiscard]] int attach(std::string_view key, std::unique_ptr<TableSink> sink);
  // Ends the open page for the sink under key, finishes and removes it: its status, 0
  // when there was none.
  [[nodiscard]] int detach(std::string_view key);
  // The sink under key, or nullptr.
  TableSink* find(std::string_view key) const;

  // Begins a page on every sink, ending the open one first.
  void beginPage(const PageSetup& setup);
  // Ends the open page on every sink (nothing when none is open).
  void endPage();
  // True between beginPage and endPage.
  bool pageOpen() const { return page_ != nullptr; }

  // Calls call(sink) for every sink, in the order of attaching.
  template <typename Call>
  void each(Call&& call) {
    for (Entry& entry : entries_) call(*entry.sink);
  }

  // Ends the open page, then finishes and removes every sink; -1 when any failed.
  [[nodiscard]] int finishAll();

 private:
  struct Entry {
    std::string key;
    std::unique_ptr<TableSink> sink;
  };
  std::vector<Entry> entries_;
  std::unique_ptr<PageSetup> page_;  // the open page's setup, or null
};

}  // namespace tabrix
