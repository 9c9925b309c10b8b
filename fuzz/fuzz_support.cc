#include "fuzz_support.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "banks/binary_io.h"
#include "banks/comp_bank_writer.h"
#include "banks/dirfor_writer.h"
#include "banks/hash_bank_writer.h"
#include "banks/vam_writer.h"
#include "banks/workspace_bank.h"
#include "dates/vex_date.h"
#include "support/constants.h"
#include "support/messages.h"

namespace tabrix::fuzz {

namespace {

namespace fs = std::filesystem;

std::unique_ptr<Workspace>& workspaceSlot() {
  static std::unique_ptr<Workspace> workspace;
  return workspace;
}

// Where workspaces go: $TMPDIR, else /dev/shm (a memory file system: an input's files
// cost no disk), else /tmp.
std::string temporaryRoot() {
  const char* tmpdir = std::getenv("TMPDIR");
  if (tmpdir != nullptr && *tmpdir != '\0') return tmpdir;
  if (::access("/dev/shm", W_OK | X_OK) == 0) return "/dev/shm";
  return "/tmp";
}

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "fuzz target: %s\n", message.c_str());
  std::abort();
}

// Restricts every later write of the process (opening for writing, creating, deleting,
// renaming, truncating) to the folders given, and lets it remove empty folders under
// `parent` (the workspace itself, at the end). In `fixtures` it may only move a file in
// (a new fixture) and delete files (at the end): no file there can be opened for
// writing or truncated. "" when done, else why not.
std::string confineWrites(const std::vector<std::string>& folders, const std::string& fixtures,
                          const std::string& parent) {
#ifdef SYS_landlock_create_ruleset
  const long abi =
      ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
  if (abi < 1) return std::string("Landlock is not available: ") + std::strerror(errno);
  uint64_t writes = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                    LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                    LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                    LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                    LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;
#ifdef LANDLOCK_ACCESS_FS_REFER
  if (abi >= 2) writes |= LANDLOCK_ACCESS_FS_REFER;
#endif
#ifdef LANDLOCK_ACCESS_FS_TRUNCATE
  if (abi >= 3) writes |= LANDLOCK_ACCESS_FS_TRUNCATE;
#endif
  struct landlock_ruleset_attr ruleset {};
  ruleset.handled_access_fs = writes;
  const int rules = static_cast<int>(::syscall(SYS_landlock_create_ruleset, &ruleset, sizeof ruleset, 0));
  if (rules < 0) return std::string("cannot make a Landlock rule set: ") + std::strerror(errno);
  auto allow = [&](const std::string& folder, uint64_t access) -> std::string {
    const int fd = ::open(folder.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) return "cannot open " + folder + ": " + std::strerror(errno);
    struct landlock_path_beneath_attr rule {};
    rule.allowed_access = access;
    rule.parent_fd = fd;
    const long added = ::syscall(SYS_landlock_add_rule, rules, LANDLOCK_RULE_PATH_BENEATH, &rule, 0);
    ::close(fd);
    if (added != 0) return "cannot allow writes in " + folder + ": " + std::strerror(errno);
    return "";
  };
  std::string error;
  for (const std::string& folder : folders) {
    if (error.empty()) error = allow(folder, writes);
  }
  uint64_t moveIn = LANDLOCK_ACCESS_FS_MAKE_REG | LANDLOCK_ACCESS_FS_REMOVE_FILE;
#ifdef LANDLOCK_ACCESS_FS_REFER
  if (abi >= 2) moveIn |= LANDLOCK_ACCESS_FS_REFER;
#endif
  if (error.empty()) error = allow(fixtures, moveIn);
  if (error.empty()) error = allow(parent, LANDLOCK_ACCESS_FS_REMOVE_DIR);
  if (error.empty() && ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    error = std::string("cannot set no_new_privs: ") + std::strerror(errno);
  }
  if (error.empty() && ::syscall(SYS_landlock_restrict_self, rules, 0) != 0) {
    error = std::string("cannot restrict the process: ") + std::strerror(errno);
  }
  ::close(rules);
  return error;
#else
  (void)folders;
  (void)fixtures;
  (void)parent;
  return "this system's headers know no Landlock";
#endif
}

}  // namespace

// --- Workspace -----------------------------------------------------------------------

Workspace::Workspace() {
  std::string pattern = temporaryRoot() + "/tabrix-fuzz-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) fail("cannot make a folder from " + pattern);
  path_ = fs::canonical(buffer.data()).string();
  fixtures_ = path_ + "-fixtures";
  if (::mkdir(fixtures_.c_str(), 0700) != 0) fail("cannot make the folder " + fixtures_);
  if (::chdir(path_.c_str()) != 0) fail("cannot change to " + path_);
}

Workspace::~Workspace() {
  // The folders' entries, then the folders themselves by rmdir: the process may remove
  // folders where it lives, but no other kind of entry.
  kept_.clear();
  sweep();
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(fixtures_, error)) {
    ::unlink(entry.path().c_str());
  }
  ::rmdir(path_.c_str());
  ::rmdir(fixtures_.c_str());
}

void Workspace::keep(std::string_view name) {
  const std::string fixture(name);
  if (kept_.count(fixture) != 0) return;
  if (::rename(file(fixture).c_str(), (fixtures_ + "/" + fixture).c_str()) != 0) {
    fail("cannot move the fixture " + fixture + " to " + fixtures_ + ": " + std::strerror(errno));
  }
  kept_.insert(fixture);
  link(fixture);
}

void Workspace::link(const std::string& name) const {
  const std::string target = fixtures_ + "/" + name;
  const std::string at = file(name);
  std::error_code error;
  if (fs::is_symlink(fs::symlink_status(at, error)) && fs::read_symlink(at, error) == target) {
    return;
  }
  fs::remove_all(at, error);
  if (::symlink(target.c_str(), at.c_str()) != 0) {
    fail("cannot link the fixture " + name + ": " + std::strerror(errno));
  }
}

Workspace& Workspace::get() {
  std::unique_ptr<Workspace>& workspace = workspaceSlot();
  if (!workspace) fail("the workspace is used before prepare()");
  return *workspace;
}

void Workspace::sweep() {
  if (::chdir(path_.c_str()) != 0) fail("cannot change to " + path_);
  std::error_code error;
  std::vector<fs::path> made;
  for (const fs::directory_entry& entry : fs::directory_iterator(path_, error)) {
    if (kept_.count(entry.path().filename().string()) == 0) made.push_back(entry.path());
  }
  for (const fs::path& path : made) fs::remove_all(path, error);
  for (const std::string& name : kept_) link(name);
}

void prepare(const std::vector<std::string>& writableFolders, bool required) {
  std::unique_ptr<Workspace>& workspace = workspaceSlot();
  if (workspace) return;
  // One holder for the length of the process, so that the message catalogue is not
  // built anew for every input.
  static const VexMessage catalogue;
  workspace.reset(new Workspace());
  std::vector<std::string> folders = writableFolders;
  folders.push_back(workspace->path());
  const std::string parent = fs::path(workspace->path()).parent_path().string();
  std::string why = confineWrites(folders, workspace->fixtures_, parent);
  if (why.empty()) return;
  const char* unconfined = std::getenv("TABRIX_FUZZ_UNCONFINED");
  if (!required || (unconfined != nullptr && std::string(unconfined) == "1")) {
    std::fprintf(stderr, "fuzz target: writes are not confined to %s (%s)\n",
                 workspace->path().c_str(), why.c_str());
    return;
  }
  std::fprintf(stderr,
               "fuzz target: cannot confine writes to %s (%s); an input could write anywhere.\n"
               "Set TABRIX_FUZZ_UNCONFINED=1 to fuzz anyway.\n",
               workspace->path().c_str(), why.c_str());
  std::exit(1);
}

// --- One input -----------------------------------------------------------------------

QuietInput::~QuietInput() {
  static const bool echo = [] {
    const char* value = std::getenv("TABRIX_FUZZ_ECHO");
    return value != nullptr && std::string(value) == "1";
  }();
  if (echo) {
    std::fwrite(capture_.text().data(), 1, capture_.text().size(), stderr);
    std::fputs("\n----\n", stderr);
  }
}

namespace {

int openDescriptors() {
  int count = 0;
  std::error_code error;
  for (fs::directory_iterator entry("/proc/self/fd", error), end; !error && entry != end;
       entry.increment(error)) {
    ++count;
  }
  return count;
}

}  // namespace

OpenFilesCheck::OpenFilesCheck() : before_(openDescriptors()) {}

OpenFilesCheck::~OpenFilesCheck() {
  const int after = openDescriptors();
  if (after > before_) {
    std::fprintf(stderr, "fuzz target: the input left %d more files open\n", after - before_);
    std::abort();
  }
}

// --- Files in memory -----------------------------------------------------------------

MemoryFile::MemoryFile(std::string_view bytes)
    : bytes_(bytes), file_(::fmemopen(bytes_.data(), bytes_.size(), "r")) {
  if (file_ == nullptr) fail(std::string("fmemopen failed: ") + std::strerror(errno));
}

MemoryFile::~MemoryFile() {
  if (file_ != nullptr) std::fclose(file_);
}

std::FILE* MemoryFile::release() {
  std::FILE* file = file_;
  file_ = nullptr;
  return file;
}

bool namesSystemFiles(std::string_view text) {
  for (std::string_view folder : {"dev", "proc", "sys"}) {
    for (std::size_t at = text.find(folder); at != std::string_view::npos;
         at = text.find(folder, at + 1)) {
      if (at > 0 && (text[at - 1] == '/' || text[at - 1] == '\\')) return true;
    }
  }
  return false;
}

// --- Fixture banks -------------------------------------------------------------------

namespace {

// A series of count values: start + step * i, with every `gap`-th one missing (0: none).
std::vector<float> series(int count, float start, float step, int gap = 0) {
  std::vector<float> values;
  for (int i = 0; i < count; ++i) {
    const bool missing = gap > 0 && i % gap == gap - 1;
    values.push_back(missing ? MissingValue : start + step * static_cast<float>(i));
  }
  return values;
}

struct FixtureSeries {
  const char* name;
  int frequency;  // 1, 4, 12
  std::vector<float> values;
};

// The series of a workspace bank; `scale` tells the alternatives apart.
std::vector<FixtureSeries> workspaceSeries(float scale) {
  return {
      {"gdp", 1, series(40, 1000 * scale, 25)},
      {"cons", 1, series(40, 600 * scale, 14)},
      {"inv", 1, series(40, 200 * scale, 5, 7)},
      {"rate", 1, series(40, 5 * scale, -0.1f)},
      {"neg", 1, series(40, -50, 3)},
      {"zero", 1, series(40, 0, 0)},
      {"gdpq", 4, series(60, 250 * scale, 6)},
      {"m1", 12, series(60, 80 * scale, 0.5f, 11)},
      {"long name", 1, series(40, 1, 1)},
  };
}

void writeWorkspaceBank(const std::string& root, const char* title, float scale,
                        std::vector<std::string>& names) {
  VexBank bank(root, "New", 1990, 60, 1);
  if (!bank.isOpen()) fail("cannot write the fixture bank " + root);
  bank.setTitle(title);
  std::array<float, MaxObs> values;
  for (const FixtureSeries& s : workspaceSeries(scale)) {
    values.fill(MissingValue);
    std::copy(s.values.begin(), s.values.end(), values.begin());
    bank.setFrequency(static_cast<int16_t>(s.frequency));
    if (bank.writeSeries(s.name, values, 'n', -1) < 0) fail("cannot store " + std::string(s.name));
    names.emplace_back(s.name);
  }
  if (bank.writeIndex() != 0) fail("cannot write the index of " + root);
}

// The series of the compressed and hashed banks, each with its own start.
struct DatedSeries {
  const char* name;
  VexDate start;
  std::vector<float> values;
};

template <typename Writer>
void writeRecordBank(Writer& writer, const std::string& root, const std::vector<DatedSeries>& all,
                     std::vector<std::string>& names) {
  for (const DatedSeries& s : all) {
    if (writer.addSeries(s.name, s.start, s.values) != 0) fail("cannot add " + std::string(s.name));
    names.emplace_back(s.name);
  }
  if (writer.write(root) != 0) fail("cannot write the fixture bank " + root);
}

// The dirfor bank "dbank" (description dirfor.dat): history from 1990, forecast 1995 to
// 2004; sectors 1 to 3 of "out", sector 2 of "emp", macros "gdp" and "cpi".
void writeDirforBank(std::vector<std::string>& names) {
  DirforWriter writer("Dirfor alternative", 1990, 1995, 10);
  const std::vector<float> values = series(15, 900, 20);
  std::string reason;
  bool ok = true;
  for (int sector = 1; sector <= 3; ++sector) {
    ok = writer.addSector("out", sector, series(15, 100.0f * static_cast<float>(sector), 3), reason) && ok;
    names.push_back("out" + std::to_string(sector));
  }
  ok = writer.addSector("emp", 2, series(15, 40, 1), reason) && ok;
  ok = writer.addMacro("gdp", values, reason) && ok;
  ok = writer.addMacro("cpi", series(15, 1, 0.02f), reason) && ok;
  names.insert(names.end(), {"emp2", "gdp", "cpi"});
  if (!ok || writer.write("dbank", "dirfor.dat") != 0) fail("cannot write the fixture bank dbank: " + reason);
}

// The VAM file "vbank", 1990 to 2009: the vector "out" (3), the matrix "a" (3 x 2) and
// the packed matrix "b" (4 x 4, in vbank.pm1).
void writeVamFile(std::vector<std::string>& names) {
  VamWriter writer("VAM alternative", 1990, 2009);
  std::string reason;
  const int out = writer.addVariable("out", 'v', 3, 1, reason);
  const int a = writer.addVariable("a", 'm', 3, 2, reason);
  const int b = writer.addVariable("b", 'p', 4, 4, reason);
  bool ok = out >= 0 && a >= 0 && b >= 0;
  for (int row = 1; ok && row <= 3; ++row) {
    ok = writer.setCell(out, row, 1, series(20, 100.0f * static_cast<float>(row), 4), reason) &&
         writer.setCell(a, row, 2, series(20, 0.25f, 0.01f), reason);
  }
  ok = ok && writer.setCell(b, 2, 3, series(20, 0.5f, 0.02f), reason) &&
       writer.setCell(b, 4, 1, series(20, 1.5f, 0), reason);
  names.insert(names.end(), {"out1", "out2", "out3", "a1.2", "a3.2", "b2.3", "b4.1"});
  if (!ok || writer.write("vbank") != 0) fail("cannot write the fixture bank vbank: " + reason);
}

FixtureBanks makeFixtureBanks() {
  Workspace& workspace = Workspace::get();
  FixtureBanks fixtures;
  std::vector<std::string>& names = fixtures.seriesNames;
  ConsoleCapture quiet;
  writeWorkspaceBank("wbank", "Workspace base run", 1.0f, names);
  writeWorkspaceBank("wbank2", "Workspace alternative", 1.05f, names);

  CompBankWriter comp("Compressed alternative");
  writeRecordBank(comp, "cbank",
                  {{"gdp", VexDate(1990, 1, 1), series(40, 1020, 26)},
                   {"cons", VexDate(1992, 1, 1), series(30, 610, 15, 9)},
                   {"gdpq", VexDate(1995, 1, 4), series(60, 255, 6)},
                   {"m1", VexDate(2000, 3, 12), series(50, 81, 0.5f)},
                   {"onlyc", VexDate(1990, 1, 1), series(10, 1, 1)}},
                  names);
  HashBankWriter hash("Hashed alternative", 7);
  writeRecordBank(hash, "hbank",
                  {{"gdp", VexDate(1992, 1, 1), series(38, 1050, 24)},
                   {"inv", VexDate(1990, 1, 1), series(40, 210, 5, 5)},
                   {"rate", VexDate(1990, 1, 1), series(40, 5, -0.1f)},
                   {"gdpq", VexDate(1990, 2, 4), series(80, 240, 5)},
                   {"onlyh", VexDate(2001, 1, 1), series(5, 7, 0)}},
                  names);
  writeDirforBank(names);
  writeVamFile(names);
  for (const char* file : {"wbank.bnk", "wbank.ind", "wbank2.bnk", "wbank2.ind", "cbank.cbk",
                           "cbank.cin", "hbank.hbk", "hbank.hin", "dirfor.dat", "dbank.dfr",
                           "dbank.dhs", "dbank.mac", "vbank.vam", "vbank.pm1"}) {
    workspace.keep(file);
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return fixtures;
}

}  // namespace

const FixtureBanks& fixtureBanks() {
  static const FixtureBanks fixtures = makeFixtureBanks();
  return fixtures;
}

void fixtureTexts() {
  static const bool written = [] {
    Workspace& workspace = Workspace::get();
    struct Text {
      const char* name;
      std::string_view text;
    };
    const Text texts[] = {
        {"a.add",
         "; Add file a.add with %1, %2 and %3\n"
         "\\title %3\n"
         "%1;Argument one\n"
         "%1 * %2;Times argument two\n"
         "\\f scaled = %1 * %2\n"
         "scaled;Scaled\n"},
        {"self.add", "gdp;Once more\n\\add self.add\n"},
        {"plain.add", "\\dates 1991 1995\n&\ngdp;Product\n*\n"},
        {"args.txt", "gdp 2 \"First title\"\ncons 0.5 Second\n\ninv\n"},
        {"table.txt", "1 10\n2 20\n3 35\n4 50\n5 70\n"},
    };
    for (const Text& t : texts) {
      if (!writeWholeFile(t.name, {reinterpret_cast<const uint8_t*>(t.text.data()), t.text.size()})) {
        fail(std::string("cannot write the fixture ") + t.name);
      }
      workspace.keep(t.name);
    }
    return true;
  }();
  static_cast<void>(written);
}

}  // namespace tabrix::fuzz
