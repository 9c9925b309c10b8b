#include "platform/files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace tabrix {
namespace {

TEST(FilesTest, ToPathMapsSeparatorsAndDriveLetters) {
  struct Case {
    const char* name;
    const char* path;
  } cases[] = {
      {"a\\b.bnk", "a/b.bnk"},  {"C:\\x\\y.bnk", "/x/y.bnk"}, {"c:x.bnk", "/x.bnk"},
      {"D:/data/b", "/data/b"}, {"C:", "/"},                  {"C:\\", "/"},
      {"/abs/b", "/abs/b"},     {"\\root", "/root"},          {"", ""},
      {"1:x", "1:x"},           {"plain", "plain"},           {"a:b:c", "/b:c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(toPath(c.name), c.path);
  }
}

TEST(FilesTest, AbsoluteNames) {
  struct Case {
    const char* name;
    bool absolute;
  } cases[] = {
      {"C:x", true}, {"z:\\a", true}, {"/a", true}, {"\\a", true},
      {"a/b", false}, {"", false},   {"1:a", false}, {"C", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(isAbsoluteName(c.name), c.absolute);
  }
}

TEST(FilesTest, PathParts) {
  struct Case {
    const char* path;
    const char* directory;
    const char* name;
    const char* extension;
  } cases[] = {
      {"/data/banks/base.bnk", "/data/banks/", "base.bnk", ".bnk"},
      {"base.bnk", "", "base.bnk", ".bnk"},
      {"dir/", "dir/", "", ""},
      {"/", "/", "", ""},
      {"", "", "", ""},
      {"a.b/noext", "a.b/", "noext", ""},
      {"C:\\sims\\run1.cbk", "C:\\sims\\", "run1.cbk", ".cbk"},
      {"C:run1.cbk", "C:", "run1.cbk", ".cbk"},
      {"dir/file.tar.gz", "dir/", "file.tar.gz", ".gz"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(directoryPart(c.path), c.directory);
    EXPECT_EQ(namePart(c.path), c.name);
    EXPECT_EQ(extensionPart(c.path), c.extension);
  }
}

TEST(FilesTest, ExistsDeleteAndCurrentDirectory) {
  char pattern[] = "/tmp/tabrix-files-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string start = currentDirectory();
  ASSERT_FALSE(start.empty());

  ASSERT_EQ(changeDirectory(dir), 0);
  EXPECT_EQ(currentDirectory(), dir);
  std::FILE* f = std::fopen("x.bnk", "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(fileExists("x.bnk"));
  EXPECT_TRUE(fileExists(dir + "/x.bnk"));
  EXPECT_FALSE(fileExists("y.bnk"));
  EXPECT_FALSE(fileExists(""));
  EXPECT_FALSE(fileExists(dir));
  EXPECT_TRUE(directoryExists(dir));
  EXPECT_FALSE(directoryExists("x.bnk"));

  EXPECT_EQ(deleteFile("x.bnk"), 0);
  EXPECT_FALSE(fileExists("x.bnk"));
  EXPECT_EQ(deleteFile("x.bnk"), -1);
  EXPECT_EQ(deleteFile(""), -1);
  EXPECT_EQ(changeDirectory(""), -1);
  EXPECT_EQ(changeDirectory(dir + "/missing"), -1);

  ASSERT_EQ(changeDirectory("/"), 0);
  EXPECT_EQ(currentDirectory(), "/");
  ASSERT_EQ(changeDirectory(start), 0);
  EXPECT_EQ(::rmdir(dir.c_str()), 0);
}

}  // namespace
}  // namespace tabrix
