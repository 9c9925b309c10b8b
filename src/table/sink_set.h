// SinkSet: the table's own target (the text table) and the renderers attached beside it,
// each under a key, and the page they are on. The composer sends every page through it,
// to the target first and then to each renderer in the order they were attached; a
// renderer attached while a page is open first gets that page's beginPage, and a page
// still open is ended before a renderer is finished, so every sink sees whole pages.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tabrix {

class TableSink;
struct PageSetup;
struct TargetLayout;

class SinkSet {
 public:
  SinkSet();
  ~SinkSet();  // abandons the sinks still attached (a run that ends early)
  SinkSet(const SinkSet&) = delete;
  SinkSet& operator=(const SinkSet&) = delete;

  // True when no sink is attached: the composer then builds nothing for them.
  bool empty() const { return target_ == nullptr && entries_.empty(); }

  // Replaces the table's own target (nullptr: none); it joins at the next page. The one
  // replaced is abandoned (its file is the caller's to close or delete).
  void setTarget(std::unique_ptr<TableSink> target);
  TableSink* target() const { return target_.get(); }
  // The layout rules of the target (the text table's when there is none).
  TargetLayout layout() const;
  // Finishes the target and removes it: its status, 0 when there is none.
  [[nodiscard]] int finishTarget();

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

  // Calls call(sink) for the target and every renderer, in the order of attaching.
  template <typename Call>
  void each(Call&& call) {
    if (target_ != nullptr) call(*target_);
    for (Entry& entry : entries_) call(*entry.sink);
  }

  // Calls call(sink) for every renderer (not the target).
  template <typename Call>
  void eachRenderer(Call&& call) {
    for (Entry& entry : entries_) call(*entry.sink);
  }

  // Ends the open page for the renderers, then finishes and removes every one of them
  // (not the target); -1 when any failed.
  [[nodiscard]] int finishAll();

 private:
  struct Entry {
    std::string key;
    std::unique_ptr<TableSink> sink;
  };
  std::unique_ptr<TableSink> target_;
  std::vector<Entry> entries_;
  std::unique_ptr<PageSetup> page_;  // the open page's setup, or null
};

}  // namespace tabrix
