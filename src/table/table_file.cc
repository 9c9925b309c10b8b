#include "table/table_file.h"

#include "platform/files.h"

namespace tabrix {

int TableFile::open(std::string_view name) {
  close();
  std::string path = toPath(name);
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return -1;
  file_.reset(file);
  name_.assign(name);
  return 0;
}

void TableFile::openMemory() {
  close();
  memory_ = true;
  text_.clear();
}

void TableFile::close() {
  file_.reset();
  memory_ = false;
  name_.clear();
}

void TableFile::write(std::string_view text) {
  if (file_) {
    std::fwrite(text.data(), 1, text.size(), file_.get());
  } else if (memory_) {
    text_.append(text);
  }
}

void TableFile::put(char c) { write(std::string_view(&c, 1)); }

}  // namespace tabrix
