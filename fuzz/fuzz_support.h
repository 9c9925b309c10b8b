// What every fuzz target shares: its own folder (the one place the process may write),
// the quiet surroundings of one input (console captured, keys used up), an early end of
// the process taken as an ordinary outcome, files in memory, and the fixture banks that
// the targets reading whole stubs and dialogues run against.
//
// A target is a file <name>_fuzz.cc defining LLVMFuzzerTestOneInput. It runs under
// libFuzzer (fuzz/run.sh) or, for the regression check, under the standalone driver
// (standalone_main.cc). Either way prepare() has run before the first input.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/keys.h"
#include "platform/process.h"
#include "support/constants.h"

namespace tabrix::fuzz {

// The target's folder, made once per process under the temporary directory and the
// current directory from then on. Whatever an input leaves there is swept away after
// it, except the fixtures the target keeps. A kept fixture lives in a folder beside the
// workspace that the process may not write (see prepare()), reached through a link of
// its name in the workspace: no input can change it, so every input meets the same
// fixtures and a finding reproduces from its own input.
class Workspace {
 public:
  // The workspace of this process (prepare() made it).
  static Workspace& get();

  // The folder's path.
  const std::string& path() const { return path_; }
  // The path of a file in the folder.
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
  // Makes the named file (just written in the folder) a fixture: it moves to the
  // fixture folder and stays, unchangeable, through sweep().
  void keep(std::string_view name);
  // Removes every entry an input made, puts back a fixture's link an input removed or
  // replaced, and makes the folder the current directory again.
  void sweep();

  // Removes the folder with everything in it.
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

 private:
  friend void prepare(const std::vector<std::string>&, bool);
  Workspace();

  void link(const std::string& name) const;

  std::string path_;
  std::string fixtures_;  // the fixture folder: the process may not write there
  std::set<std::string> kept_;
};

// Makes the workspace and confines the process: from then on it may write only inside
// the workspace and the given folders (libFuzzer's corpus and artifact folders), so
// that no name an input chooses (an output file, \break, \rtf, a bank path; absolute,
// with "..", or through a device) can write, create or delete anything elsewhere. The
// kernel enforces it (Landlock). Where the kernel cannot, a note is printed; with
// `required` the process then ends, unless TABRIX_FUZZ_UNCONFINED=1 is set.
void prepare(const std::vector<std::string>& writableFolders, bool required);

// The surroundings of one input: console output collected and dropped (written to
// standard error instead when TABRIX_FUZZ_ECHO=1, to see what a reproducer does), and a
// key source that is used up (every prompt reads Escape, the end of input).
class QuietInput {
 public:
  QuietInput() : source_(keys_) {}
  ~QuietInput();
  QuietInput(const QuietInput&) = delete;
  QuietInput& operator=(const QuietInput&) = delete;
  // What the input printed so far.
  const std::string& console() const { return capture_.text(); }

 private:
  ConsoleCapture capture_;
  ScriptedKeys keys_{"", false};
  ScopedKeySource source_;
};

// Counts the process's open file descriptors around one input: an input after which
// more are open than before is a fault (every file a run opens is closed on every
// path), reported by a trap.
class OpenFilesCheck {
 public:
  OpenFilesCheck();
  ~OpenFilesCheck();
  OpenFilesCheck(const OpenFilesCheck&) = delete;
  OpenFilesCheck& operator=(const OpenFilesCheck&) = delete;

 private:
  int before_;
};

// Runs body; an early end of the process (ProcessExit: a missing add-file argument,
// Escape at a prompt, Ctrl-C, ...) is an ordinary outcome of an input.
template <typename Body>
void runInput(Body&& body) {
  try {
    body();
  } catch (const ProcessExit&) {
  }
}

// A stdio file reading a copy of some bytes in memory (no file is written). Closed by
// the destructor unless release() handed it on.
class MemoryFile {
 public:
  explicit MemoryFile(std::string_view bytes);
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  std::FILE* get() const { return file_; }
  // Hands the file on to an owner that closes it; the bytes stay alive with this object.
  std::FILE* release();

 private:
  std::string bytes_;
  std::FILE* file_;
};

// True when the text names something under /dev, /proc or /sys (with '/' or '\'). Such
// inputs are refused by the targets that take file names from their input: reading a
// device can block or never end, which says nothing about the program.
bool namesSystemFiles(std::string_view text);

// A series' values as bits, without the missing values at its end (the bank writers
// leave them off), to compare a series with what a round trip gave back.
inline std::vector<uint32_t> storedBits(const std::vector<float>& values) {
  std::vector<uint32_t> bits;
  for (float value : values) bits.push_back(std::bit_cast<uint32_t>(value));
  while (!bits.empty() && bits.back() == std::bit_cast<uint32_t>(MissingValue)) bits.pop_back();
  return bits;
}

// The input as text.
inline std::string_view asText(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The fixture banks, written once per process into the workspace with the project's
// writers: a workspace bank "wbank" (and a second one, "wbank2"), a compressed bank
// "cbank" and a hashed bank "hbank", holding annual, quarterly and monthly series,
// missing values and names only some of them know ("gdp", "cons", "inv", "rate",
// "gdpq", "m1", "neg", "zero", ...); a dirfor bank "dbank" (description "dirfor.dat",
// with history: "out1" .. "out3", "emp2", "gdp", "cpi") and a VAM file "vbank" (the
// vector "out", the matrix "a", the packed matrix "b": "out2", "a1.2", "b2.3", ...).
struct FixtureBanks {
  std::vector<std::string> seriesNames;  // every name some fixture bank holds
};
const FixtureBanks& fixtureBanks();

// The fixture text files, written once per process into the workspace: add files
// "a.add" (marks %1 .. %3, a definition, table lines), "self.add" (calls itself) and
// "plain.add"; the argument file "args.txt" of \fadd; the @interp table "table.txt".
void fixtureTexts();

}  // namespace tabrix::fuzz
