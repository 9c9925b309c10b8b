#include "platform/run_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/console.h"
#include "platform/files.h"

namespace tabrix {

namespace {

struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  std::string resolved;  // the absolute path, links and "." and ".." resolved as far as they exist
};

FileIdentity identify(std::string_view name) {
  FileIdentity identity;
  const std::string path = toPath(name);
  if (path.empty()) return identity;
  struct stat info;
  if (::stat(path.c_str(), &info) == 0) {
    identity.exists = true;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
  }
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return identity;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
  identity.resolved = (error ? absolute : resolved).lexically_normal().string();
  return identity;
}

struct RunFiles {
  std::vector<FileIdentity> inputs;
  int refused = 0;
  int failedOperations = 0;  // writes, flushes and closes of output files that failed
};

RunFiles& runFiles() {
  static RunFiles files;
  return files;
}

// --- Fault injection ---

#ifdef TABRIX_FAULT_INJECTION
constexpr bool kInjection = true;
#else
constexpr bool kInjection = false;
#endif

struct Injection {
  long failAt = 0;  // 0: none
  int error = ENOSPC;
  long count = 0;
};

Injection startingInjection() {
  Injection injection;
  if (!kInjection) return injection;
  const char* setting = std::getenv("TABRIX_FAIL_OUTPUT");
  if (setting == nullptr || *setting == '\0') return injection;
  char* end = nullptr;
  const long n = std::strtol(setting, &end, 10);
  if (n > 0) injection.failAt = n;
  if (end != nullptr && std::strcmp(end, ":EIO") == 0) injection.error = EIO;
  return injection;
}

Injection& injection() {
  static Injection state = startingInjection();
  return state;
}

// Counts one output operation; true when it is the one that must fail (errno set).
bool injectedFault() {
  if (!kInjection) return false;
  Injection& state = injection();
  ++state.count;
  if (state.failAt == 0 || state.count != state.failAt) return false;
  errno = state.error;
  return true;
}

}  // namespace

void noteRunInput(std::string_view name) {
  FileIdentity identity = identify(name);
  if (!identity.exists && identity.resolved.empty()) return;
  RunFiles& files = runFiles();
  for (const FileIdentity& known : files.inputs) {
    if (known.exists == identity.exists && known.device == identity.device &&
        known.inode == identity.inode && known.resolved == identity.resolved) {
      return;
    }
  }
  files.inputs.push_back(std::move(identity));
}

std::FILE* openRunInput(std::string_view name, const char* mode) {
  const std::string path = toPath(name);
  std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), mode);
  if (file != nullptr) noteRunInput(name);
  return file;
}

bool outputAllowed(std::string_view name) {
  RunFiles& files = runFiles();
  if (files.inputs.empty()) return true;
  const FileIdentity output = identify(name);
  for (const FileIdentity& input : files.inputs) {
    // The same resolved path, or another name (a link) of the same existing file.
    bool same = !input.resolved.empty() && input.resolved == output.resolved;
    if (!same && input.exists && output.exists && input.device == output.device &&
        input.inode == output.inode) {
      // The same inode is the same file only while the input is still there: a file
      // deleted since may have left its inode number to a new one.
      struct stat info;
      same = ::stat(input.resolved.c_str(), &info) == 0 && info.st_dev == input.device &&
             info.st_ino == input.inode;
    }
    if (same) {
      const std::string shown(name);
      console().printf("Error:  %s is an input of this run; it is not overwritten.\n", shown.c_str());
      ++files.refused;
      return false;
    }
  }
  return true;
}

int refusedOutputs() { return runFiles().refused; }

int failedOutputOperations() { return runFiles().failedOperations; }

void resetRunFiles() {
  RunFiles& files = runFiles();
  files.inputs.clear();
  files.refused = 0;
  files.failedOperations = 0;
}

std::size_t writeOutput(const void* data, std::size_t size, std::FILE* file) {
  if (size == 0) return 0;
  const std::size_t written = injectedFault() ? 0 : std::fwrite(data, 1, size, file);
  if (written != size) ++runFiles().failedOperations;
  return written;
}

int flushOutput(std::FILE* file) {
  const int result = injectedFault() ? EOF : std::fflush(file);
  if (result != 0) ++runFiles().failedOperations;
  return result;
}

int closeOutput(std::FILE* file) {
  if (file == nullptr) return EOF;
  int result = 0;
  if (injectedFault()) {
    const int error = errno;
    std::fclose(file);
    errno = error;
    result = EOF;
  } else {
    result = std::fclose(file);
  }
  if (result != 0) ++runFiles().failedOperations;
  return result;
}

long writeOutputDescriptor(int descriptor, const void* data, std::size_t size) {
  if (injectedFault()) return -1;
  return static_cast<long>(::write(descriptor, data, size));
}

int syncOutputDescriptor(int descriptor) {
  if (injectedFault()) return -1;
  return ::fsync(descriptor);
}

int renameOutput(const std::string& from, const std::string& to) {
  if (injectedFault()) return -1;
  return std::rename(from.c_str(), to.c_str());
}

int replaceFile(const std::string& path, std::string_view bytes, std::string& error) {
  const std::string directory = directoryPart(path);
  std::string pattern = (directory.empty() ? std::string() : directory) + "." + namePart(path) + ".XXXXXX";
  std::vector<char> temporary(pattern.begin(), pattern.end());
  temporary.push_back('\0');
  const int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) {
    error = std::string("cannot make a temporary file beside it: ") + std::strerror(errno);
    return -1;
  }
  const std::string made(temporary.data());
  auto failed = [&](const char* step) {
    error = std::string(step) + ": " + std::strerror(errno);
    ::close(descriptor);
    ::unlink(made.c_str());
    return -2;
  };
  // mkstemp makes the file private; the new file gets the permissions a new file gets.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  (void)::fchmod(descriptor, 0666 & ~mask);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long wrote = writeOutputDescriptor(descriptor, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      if (wrote == 0) errno = ENOSPC;
      return failed("cannot write the temporary file");
    }
    done += static_cast<std::size_t>(wrote);
  }
  if (syncOutputDescriptor(descriptor) != 0) return failed("cannot sync the temporary file");
  if (::close(descriptor) != 0) {
    error = std::string("cannot close the temporary file: ") + std::strerror(errno);
    ::unlink(made.c_str());
    return -2;
  }
  if (renameOutput(made, path) != 0) {
    error = std::string("cannot rename the temporary file over it: ") + std::strerror(errno);
    ::unlink(made.c_str());
    return -2;
  }
  // The rename itself reaches the disk with the directory.
  const int folder = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    // Not a counted output operation: the new file is in place whatever happens here.
    const bool synced = ::fsync(folder) == 0;
    ::close(folder);
    if (!synced) {
      error = std::string("cannot sync its directory: ") + std::strerror(errno);
      return -2;
    }
  }
  return 0;
}

FileLock::~FileLock() { release(); }

int FileLock::acquire(const std::string& lockPath, bool exclusive, int waitMs) {
  release();
  descriptor_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor_ < 0) descriptor_ = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor_ < 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  const int operation = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  for (;;) {
    if (::flock(descriptor_, operation) == 0) return 0;
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::close(descriptor_);
  descriptor_ = -1;
  return -2;
}

void FileLock::release() {
  if (descriptor_ < 0) return;
  ::close(descriptor_);  // closing lets go of the lock
  descriptor_ = -1;
}

void failOutputOperation(long n, int error) {
  Injection& state = injection();
  state.failAt = n > 0 ? n : 0;
  state.error = error;
  state.count = 0;
}

long outputOperations() { return injection().count; }

bool faultInjectionBuilt() { return kInjection; }

}  // namespace tabrix
