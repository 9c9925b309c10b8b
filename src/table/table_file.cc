#include "table/table_file.h"

#include "platform/console.h"
#include "platform/files.h"
#include "platform/run_files.h"

namespace tabrix {

TableFile::~TableFile() {
  if (file_) static_cast<void>(close());  // reported; no caller is left to tell
}

TableFile& TableFile::operator=(TableFile&& other) noexcept {
  if (this != &other) {
    if (file_) static_cast<void>(close());
    file_ = std::move(other.file_);
    writeFailed_ = other.writeFailed_;
    memory_ = other.memory_;
    name_ = std::move(other.name_);
    text_ = std::move(other.text_);
    other.abandon();
  }
  return *this;
}

int TableFile::open(std::string_view name) {
  static_cast<void>(close());
  std::string path = toPath(name);
  std::FILE* file = outputAllowed(name) ? std::fopen(path.c_str(), "w") : nullptr;
  if (file == nullptr) return -1;
  file_.reset(file);
  name_.assign(name);
  return 0;
}

void TableFile::openMemory() {
  static_cast<void>(close());
  memory_ = true;
  text_.clear();
}

int TableFile::close() {
  int status = 0;
  if (file_) {
    bool failed = writeFailed_ || std::ferror(file_.get()) != 0;
    failed = closeOutput(file_.release()) != 0 || failed;
    if (failed) {
      console().printf("\nError:  Could not write %s; the table in it is incomplete.\r\n",
                       name_.c_str());
      status = -1;
    }
  }
  writeFailed_ = false;
  memory_ = false;
  name_.clear();
  return status;
}

void TableFile::abandon() {
  file_.reset();
  writeFailed_ = false;
  memory_ = false;
  name_.clear();
}

void TableFile::write(std::string_view text) {
  if (file_) {
    if (writeOutput(text.data(), text.size(), file_.get()) != text.size()) writeFailed_ = true;
  } else if (memory_) {
    text_.append(text);
  }
}

void TableFile::put(char c) { write(std::string_view(&c, 1)); }

}  // namespace tabrix
