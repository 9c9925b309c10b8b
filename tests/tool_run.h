// For tests of the companion programs: runs a built program (tabrix-bank, ...) with
// arguments and collects what it writes.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace tabrix::testing {

// What a program wrote, and its exit status (-1 when it did not end normally).
struct ToolOutcome {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs program (a path) with args, standard input empty.
inline ToolOutcome runProgram(const std::string& program, const std::vector<std::string>& args) {
  ToolOutcome outcome;
  char outName[] = "/tmp/tabrix-tool-out-XXXXXX";
  char errName[] = "/tmp/tabrix-tool-err-XXXXXX";
  const int outFd = ::mkstemp(outName);
  const int errFd = ::mkstemp(errName);
  if (outFd < 0 || errFd < 0) return outcome;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  ::posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  std::fflush(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int wstatus = 0;
    if (::waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) outcome.status = WEXITSTATUS(wstatus);
  }
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(outFd);
  ::close(errFd);
  auto slurp = [](const char* name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  };
  outcome.out = slurp(outName);
  outcome.err = slurp(errName);
  ::unlink(outName);
  ::unlink(errName);
  return outcome;
}

// The bank tool of this build.
inline ToolOutcome runBankToolProgram(const std::vector<std::string>& args) {
  return runProgram(std::string(TABRIX_BUILD_DIR) + "/tabrix-bank", args);
}

}  // namespace tabrix::testing
