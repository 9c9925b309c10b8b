#include "table/sink_set.h"

#include <algorithm>

#include "table/table_sink.h"

namespace tabrix {

SinkSet::SinkSet() = default;

SinkSet::~SinkSet() {
  for (Entry& entry : entries_) entry.sink->abandon();
}

void SinkSet::setTarget(std::unique_ptr<TableSink> target) {
  if (target_ != nullptr) target_->abandon();
  target_ = std::move(target);
}

TargetLayout SinkSet::layout() const { return target_ != nullptr ? target_->layout() : TargetLayout{}; }

int SinkSet::finishTarget() {
  if (target_ == nullptr) return 0;
  std::unique_ptr<TableSink> target = std::move(target_);
  if (page_ != nullptr) target->endPage();
  return target->finish();
}

int SinkSet::attach(std::string_view key, std::unique_ptr<TableSink> sink) {
  const int previous = detach(key);
  if (sink == nullptr) return previous;
  if (page_ != nullptr) sink->beginPage(*page_);
  entries_.push_back(Entry{std::string(key), std::move(sink)});
  return previous;
}

int SinkSet::detach(std::string_view key) {
  auto found = std::find_if(entries_.begin(), entries_.end(), [key](const Entry& entry) { return entry.key == key; });
  if (found == entries_.end()) return 0;
  std::unique_ptr<TableSink> sink = std::move(found->sink);
  entries_.erase(found);
  if (page_ != nullptr) sink->endPage();
  return sink->finish();
}

TableSink* SinkSet::find(std::string_view key) const {
  for (const Entry& entry : entries_) {
    if (entry.key == key) return entry.sink.get();
  }
  return nullptr;
}

void SinkSet::beginPage(const PageSetup& setup) {
  endPage();
  page_ = std::make_unique<PageSetup>(setup);
  each([&setup](TableSink& sink) { sink.beginPage(setup); });
}

void SinkSet::endPage() {
  if (page_ == nullptr) return;
  page_.reset();
  each([](TableSink& sink) { sink.endPage(); });
}

int SinkSet::finishAll() {
  if (page_ != nullptr) {
    for (Entry& entry : entries_) entry.sink->endPage();
  }
  int status = 0;
  std::vector<Entry> finishing = std::move(entries_);
  entries_.clear();
  for (Entry& entry : finishing) {
    if (entry.sink->finish() != 0) status = -1;
  }
  return status;
}

}  // namespace tabrix
