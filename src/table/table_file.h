// TableFile: the table text file the composer writes to. The run driver opens it;
// \break, \rtf and the worksheet targets close, delete and reopen it. A table file can
// also collect its text in memory, which the tests use to check output byte for byte.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace tabrix {

class TableFile {
 public:
  TableFile() = default;
  ~TableFile();  // closes the file (a failed write is still reported)
  TableFile(TableFile&&) noexcept = default;
  // Closes the file held before (a failed write is reported), then takes other's.
  TableFile& operator=(TableFile&& other) noexcept;
  TableFile(const TableFile&) = delete;
  TableFile& operator=(const TableFile&) = delete;

  // Opens the named file for writing (emptied), after closing any file held; the name
  // may use '\' and a drive letter (mapped by toPath). Returns 0, or -1 when it cannot
  // be opened (nothing is held then).
  [[nodiscard]] int open(std::string_view name);
  // Starts collecting output in memory instead of a file (after closing any file held).
  void openMemory();
  // Closes the file (or ends the memory collection); writes go nowhere afterwards.
  // Returns 0, or -1 after "\nError:  Could not write %s; the table in it is
  // incomplete.\r\n" when a write to it failed or its last bytes could not be written
  // (a full disk, a device that takes nothing).
  [[nodiscard]] int close();
  // Closes without checking the writes, for a file that is about to be deleted.
  void abandon();
  // True while a file is open or memory is being collected.
  bool isOpen() const { return file_ != nullptr || memory_; }

  // Writes text as it is; nothing happens while no file is open.
  void write(std::string_view text);
  // Writes one character.
  void put(char c);

  // The name the file was opened under ("" for memory or none).
  const std::string& name() const { return name_; }
  // The text collected in memory so far.
  const std::string& text() const { return text_; }

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  bool writeFailed_ = false;  // a write to file_ came short
  bool memory_ = false;
  std::string name_;
  std::string text_;
};

}  // namespace tabrix
