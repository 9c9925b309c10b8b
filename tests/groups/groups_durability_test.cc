// groups.bin through crashes, parallel runs and failing writes: a run killed at any
// moment leaves the file whole, runs defining groups together lose none, and a write
// that fails at any step leaves the old file byte for byte.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "groups/group_fixtures.h"
#include "groups/group_home.h"
#include "platform/console.h"
#include "platform/run_files.h"
#include "test_files.h"

namespace tabrix {
namespace {

namespace fs = std::filesystem;
using testing::defineAll;

std::string nameOf(int k) { return "g" + std::to_string(k); }

// Defines g<k> (members k+1 and k+2) for k = the count the file holds, onwards, forever.
[[noreturn]] void defineForever(const std::string& path) {
  ConsoleCapture quiet;
  GroupHome home(path);
  for (int k = home.groupCount();; ++k) {
    defineAll(home, nameOf(k) + "\n" + std::to_string(k + 1) + ", " + std::to_string(k + 2) + "\n");
    if (k == MaxGroups - 1) std::_Exit(0);
  }
}

// The file reads back whole and holds g0 .. g<m-1> exactly; m, or -1 when it does not.
int wholePrefix(const std::string& path) {
  if (!fs::exists(path)) return 0;
  GroupsImage image;
  const std::string bytes = testing::readFile(path);
  const std::vector<uint8_t> view(bytes.begin(), bytes.end());
  if (readGroupsImage(view, image).refused()) return -1;
  for (std::size_t k = 0; k < image.definitions.size(); ++k) {
    const GroupDefn& group = image.definitions[k];
    const std::vector<int16_t> members = {static_cast<int16_t>(k + 1), static_cast<int16_t>(k + 2)};
    if (group.groupName != nameOf(static_cast<int>(k)) || group.members != members) return -1;
  }
  return static_cast<int>(image.definitions.size());
}

// A child defining groups in a loop is killed at 200 random moments: after every kill
// the file holds the definitions before the interrupted one or those after it.
TEST(GroupsDurability, AKilledRunLeavesTheFileWhole) {
  testing::TempDir dir;
  const std::string path = dir.file("groups.bin");
  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> moment(0, 4000);  // microseconds after the start
  int last = 0;
  for (int kill = 0; kill < 200; ++kill) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) defineForever(path);
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const int held = wholePrefix(path);
    ASSERT_GE(held, last) << "after kill " << kill;
    last = held;
    if (held == MaxGroups) break;
    // What a killed run leaves beside the file is a temporary file at most.
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
      const std::string name = entry.path().filename().string();
      if (name != "groups.bin" && name != "groups.bin.lock") fs::remove(entry.path());
    }
  }
  EXPECT_GT(last, 0) << "no definition was ever saved";
}

// 8 runs started together, each defining 20 groups of its own: all 160 are kept.
TEST(GroupsDurability, ParallelRunsLoseNoDefinition) {
  testing::TempDir dir;
  const std::string path = dir.file("groups.bin");
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> children;
  for (int run = 0; run < 8; ++run) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(gate[1]);
      char c;
      while (::read(gate[0], &c, 1) < 0 && errno == EINTR) {
      }
      ConsoleCapture quiet;
      GroupHome home(path);
      std::string text;
      for (int i = 0; i < 20; ++i) {
        text += "r" + std::to_string(run) + "_" + std::to_string(i) + "\n" + std::to_string(run * 100 + i + 1) + "\n";
      }
      defineAll(home, text);
      std::_Exit(quiet.text().empty() ? 0 : 1);
    }
    children.push_back(child);
  }
  ::close(gate[0]);
  ::close(gate[1]);  // all start now
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ConsoleCapture capture;
  GroupHome home(path);
  std::set<std::string> names;
  for (int i = 0; i < home.groupCount(); ++i) names.insert(home.definition(i).groupName);
  EXPECT_EQ(home.groupCount(), 160);
  for (int run = 0; run < 8; ++run) {
    for (int i = 0; i < 20; ++i) {
      const std::string name = "r" + std::to_string(run) + "_" + std::to_string(i);
      EXPECT_EQ(names.count(name), 1u) << name;
      EXPECT_EQ(home.groupSize(name), 1) << name;
    }
  }
}

// A failure injected at each output step of a save (the temporary file's writes, its
// sync, the rename) leaves the old file byte for byte, no temporary file, and one
// message naming the file.
TEST(GroupsDurability, AFailureAtAnyStepLeavesTheOldFile) {
  if (!faultInjectionBuilt()) GTEST_SKIP() << "a build without fault injection";
  testing::TempDir dir;
  const std::string path = dir.file("groups.bin");
  {
    ConsoleCapture quiet;
    GroupHome home(path);
    defineAll(home, "east\n1-5\nwest\n7, 9\n");
  }
  const std::string before = testing::readFile(path);
  ASSERT_FALSE(before.empty());
  for (const int error : {ENOSPC, EIO}) {
    for (long n = 1;; ++n) {
      SCOPED_TRACE("operation " + std::to_string(n) + (error == EIO ? " (EIO)" : " (ENOSPC)"));
      ConsoleCapture capture;
      GroupHome home(path);
      testing::DefinitionText input("north\n11-13\n");
      ASSERT_EQ(home.defineGroup(input.reader), 0);
      failOutputOperation(n, error);
      const int16_t saved = home.writeHeader();
      const bool reached = outputOperations() >= n;
      failOutputOperation(0, 0);
      if (!reached) {
        // The save completed without meeting the fault: the new definition is there.
        EXPECT_EQ(saved, 0);
        EXPECT_GT(n, 3);  // a write, the sync and the rename at least
        GroupHome after(path);
        EXPECT_EQ(after.groupSize("north"), 3);
        break;
      }
      EXPECT_EQ(saved, -1);
      EXPECT_EQ(capture.text(), "\r\nUnable to write " + path + "\r\n");
      EXPECT_EQ(testing::readFile(path), before);
      std::vector<std::string> left;
      for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
        left.push_back(entry.path().filename().string());
      }
      std::sort(left.begin(), left.end());
      EXPECT_EQ(left, (std::vector<std::string>{"groups.bin", "groups.bin.lock"}));
    }
    // Back to the two groups for the next kind of error.
    ConsoleCapture quiet;
    fs::remove(path);
    GroupHome home(path);
    defineAll(home, "east\n1-5\nwest\n7, 9\n");
    ASSERT_EQ(testing::readFile(path), before);
  }
}

// A lock another run holds longer than the wait gives a message naming the file, and
// the definition is not made.
TEST(GroupsDurability, ALockNotHadInTimeMakesNoDefinition) {
  testing::TempDir dir;
  const std::string path = dir.file("groups.bin");
  ConsoleCapture capture;
  GroupHome home(path);
  defineAll(home, "east\n1-5\n");
  const std::string before = testing::readFile(path);
  capture.take();
  FileLock other;
  ASSERT_EQ(other.acquire(path + ".lock", true, 0), 0);
  home.setLockWait(50);
  testing::DefinitionText input("west\n7\n");
  ASSERT_EQ(home.defineGroup(input.reader), 0);
  EXPECT_EQ(home.writeHeader(), -1);
  EXPECT_EQ(capture.take(), "\r\nCannot lock " + path + ": another run has held it for 0 s; the definition is not made.\r\n");
  EXPECT_EQ(home.groupSize("west"), -1);
  EXPECT_EQ(home.groupCount(), 1);
  EXPECT_EQ(testing::readFile(path), before);
  // Readers share the lock with each other, not with a writer.
  FileLock reader;
  EXPECT_EQ(reader.acquire(path + ".lock", false, 0), -2);
  other.release();
  FileLock second;
  EXPECT_EQ(reader.acquire(path + ".lock", false, 0), 0);
  EXPECT_EQ(second.acquire(path + ".lock", false, 0), 0);
  second.release();
  reader.release();
  home.setLockWait(10000);
  testing::DefinitionText again("west\n7\n");
  ASSERT_EQ(home.defineGroup(again.reader), 0);
  EXPECT_EQ(home.writeHeader(), 0);
  EXPECT_EQ(home.groupSize("west"), 1);
}

}  // namespace
}  // namespace tabrix
