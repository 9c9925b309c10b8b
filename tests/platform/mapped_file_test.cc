// MappedFile: bounds of the mapping, the files it does not map, and a file that
// shrinks under its mapping (guarded) beside one that is not guarded (the fault goes on
// to the default action).
#include "platform/mapped_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "test_files.h"

namespace tabrix {
namespace {

using testing::TempDir;

// A file of `size` bytes, byte i holding i modulo 251; returns its descriptor.
int makeFile(const std::string& path, size_t size) {
  std::vector<unsigned char> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i % 251);
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(write(fd, bytes.data(), size), static_cast<ssize_t>(size));
  return fd;
}

TEST(MappedFileTest, HandsOutOnlyWhatLiesWithinTheLengthAtMapping) {
  TempDir dir;
  const int fd = makeFile(dir.file("f"), 10000);
  MappedFile map;
  ASSERT_TRUE(map.map(fd));
  EXPECT_EQ(map.size(), 10000u);
  struct Case {
    int64_t offset;
    size_t count;
    bool given;
  } cases[] = {
      {0, 10000, true}, {9999, 1, true}, {10000, 0, true}, {10000, 1, false},
      {9990, 11, false}, {-1, 1, false}, {0, ~size_t{0}, false}, {4, ~size_t{0} - 2, false},
  };
  for (const Case& c : cases) {
    const auto bytes = map.bytes(c.offset, c.count);
    EXPECT_EQ(bytes.size(), c.given ? c.count : 0u) << c.offset << " " << c.count;
    if (c.given && c.count > 0) {
      EXPECT_EQ(bytes[0], c.offset % 251);
    }
  }
  // A file that grows keeps the length it had.
  ASSERT_EQ(ftruncate(fd, 20000), 0);
  EXPECT_TRUE(map.bytes(10000, 1).empty());
  EXPECT_TRUE(map.intact());
  close(fd);
}

TEST(MappedFileTest, FilesThatCannotBeMappedAreLeftToTheCaller) {
  TempDir dir;
  const int empty = makeFile(dir.file("empty"), 0);
  MappedFile map;
  EXPECT_FALSE(map.map(empty));
  EXPECT_FALSE(map.map(-1));
  const int directory = open(dir.path().c_str(), O_RDONLY);
  EXPECT_FALSE(map.map(directory));
  EXPECT_FALSE(map.isMapped());
  EXPECT_TRUE(map.bytes(0, 0).empty());
  EXPECT_TRUE(map.intact());
  close(empty);
  close(directory);
}

// Pages past the new end of a shrunk file read as zeros instead of faulting; the
// mapping says it broke and hands nothing out any more.
TEST(MappedFileTest, AFileThatShrinksUnderTheMappingDoesNotEndTheRun) {
  TempDir dir;
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const int fd = makeFile(dir.file("f"), 4 * page);
  MappedFile map;
  ASSERT_TRUE(map.map(fd));
  const auto all = map.bytes(0, 4 * page);
  ASSERT_EQ(all.size(), 4 * page);
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(page)), 0);
  EXPECT_EQ(all[page - 1], (page - 1) % 251);  // still in the file
  EXPECT_TRUE(map.intact());
  EXPECT_EQ(all[2 * page + 5], 0);  // faulted, replaced
  EXPECT_FALSE(map.intact());
  EXPECT_EQ(all[3 * page], 0);
  EXPECT_TRUE(map.bytes(0, 1).empty());
  // A mapping made afterwards is whole again.
  MappedFile again;
  ASSERT_TRUE(again.map(fd));
  EXPECT_TRUE(again.intact());
  EXPECT_EQ(again.size(), page);
  close(fd);
}

// A fault in memory no MappedFile guards still ends the process: by SIGBUS, or where a
// sanitizer's handler came first, by its report (exit status 1).
TEST(MappedFileDeathTest, FaultsOutsideTheGuardedMappingsAreNotSwallowed) {
  TempDir dir;
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const int fd = makeFile(dir.file("f"), 4 * page);
  MappedFile guarded;  // installs the handler
  ASSERT_TRUE(guarded.map(fd));
  EXPECT_EXIT(
      {
        void* plain = mmap(nullptr, 4 * page, PROT_READ, MAP_PRIVATE, fd, 0);
        if (plain == MAP_FAILED) _exit(3);
        if (ftruncate(fd, 0) != 0) _exit(4);
        const volatile unsigned char* bytes = static_cast<const unsigned char*>(plain);
        _exit(bytes[2 * page]);
      },
      [](int status) {
        // The default action (SIGBUS), or a sanitizer's report of it (an abort, or its
        // exit status 1).
        return (WIFSIGNALED(status) && (WTERMSIG(status) == SIGBUS || WTERMSIG(status) == SIGABRT)) ||
               (WIFEXITED(status) && WEXITSTATUS(status) == 1);
      },
      "");
  close(fd);
}

}  // namespace
}  // namespace tabrix
