// The files of a run: the inputs it has read or holds open, the guard that keeps every
// output off them, and the write, flush and close every output goes through (where a
// test build can make the Nth of them fail, to show that no failed write is passed over).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace tabrix {

// --- No output over an input -----------------------------------------------------------

// Notes a file the run reads (a bank's file, the stub, an add file, the response file,
// a title file, ...): from now on no output of the run may be opened over it. The file
// is known by its device and inode and by its resolved path.
void noteRunInput(std::string_view name);

// Opens a file for reading (mode "r" or "rb") and notes it as an input of the run;
// nullptr when it cannot be opened.
std::FILE* openRunInput(std::string_view name, const char* mode);

// The check before an output file is opened for writing. True when the file may be
// written. False when it is one of the run's inputs (the same file by device and inode
// where it exists, else the same resolved path): then "Error:  <name> is an input of
// this run; it is not overwritten." is printed, the refusal is counted (the run ends
// with exit status 2), and the caller goes on as when the file cannot be opened.
bool outputAllowed(std::string_view name);

// How many outputs were refused since the run began.
int refusedOutputs();
// How many writes, flushes and closes of output files (writeOutput, flushOutput,
// closeOutput) failed since the run began: the run then ends with exit status 2,
// whichever file it was (the writer has reported it).
int failedOutputOperations();

// Forgets the inputs and refusals: a new run begins (in the same process).
void resetRunFiles();

// --- Whole files replaced safely, and locks -------------------------------------------

// Replaces the file with `bytes` so that a crash, a kill or a full disk at any moment
// leaves either the old file or the new one whole: the bytes go to a temporary file in
// the same directory, which is synced to disk and renamed over the file; the directory
// is synced after. 0; -1 when the temporary file cannot be made, -2 when a later step
// fails; `error` then says which step and why. The old file, if any, is then as it was
// (unless only the directory's sync failed, after the rename) and the temporary file
// is gone.
int replaceFile(const std::string& path, std::string_view bytes, std::string& error);

// An advisory lock (flock) on a lock file, held while the object lives. Readers share
// it; a writer holds it alone.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Opens (creating it when needed) the lock file and waits at most `waitMs`
  // milliseconds for the lock. 0; -1 when the file cannot be opened; -2 when the lock
  // was not had in time.
  int acquire(const std::string& lockPath, bool exclusive, int waitMs);
  void release();
  bool held() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
};

// --- Output operations -----------------------------------------------------------------

// fwrite, fflush and fclose for output files. Each returns as its standard counterpart;
// on failure errno tells why. In test and fuzz builds an injected fault can make one of
// them fail (see failOutputOperation).
std::size_t writeOutput(const void* data, std::size_t size, std::FILE* file);
int flushOutput(std::FILE* file);
int closeOutput(std::FILE* file);
// write(2), fsync(2) and rename(2), counted as the operations above.
long writeOutputDescriptor(int descriptor, const void* data, std::size_t size);
int syncOutputDescriptor(int descriptor);
int renameOutput(const std::string& from, const std::string& to);

// Fault injection (test and fuzz builds; elsewhere a call does nothing): the Nth output
// operation from now (write, flush, sync, rename or close; counted from 1) fails with `error`
// (ENOSPC or EIO); 0 turns it off. Outside tests the environment variable
// TABRIX_FAIL_OUTPUT="N" or "N:EIO" sets it when the process starts (ENOSPC by default);
// release builds ignore it.
void failOutputOperation(long n, int error);
// How many output operations ran since failOutputOperation or the process start.
long outputOperations();
// True when this build honours fault injection.
bool faultInjectionBuilt();

}  // namespace tabrix
