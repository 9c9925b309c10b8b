#include "platform/mapped_file.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <utility>

namespace tabrix {

namespace {

// The guarded mappings, read by the SIGBUS handler. A slot is free while its start is
// 0. The handler can only see state that lives outside any object, hence these globals;
// they hold nothing but the ranges of the mappings alive.
constexpr int kGuardSlots = 256;
struct GuardSlot {
  std::atomic<uintptr_t> start{0};  // first byte of the mapping, 0 when free
  std::atomic<size_t> length{0};    // bytes mapped, rounded up to whole pages
  std::atomic<bool> broken{false};  // a read faulted and the rest was replaced
};
GuardSlot guardSlots[kGuardSlots];
struct sigaction previousAction;
std::once_flag handlerInstalled;
bool handlerReady = false;

static_assert(std::atomic<uintptr_t>::is_always_lock_free && std::atomic<size_t>::is_always_lock_free &&
                  std::atomic<bool>::is_always_lock_free,
              "the SIGBUS handler reads the slots without locks");

// Hands a fault that is not a guarded mapping's to the handler installed before, or
// to the default action (the faulting read then runs again and ends the process).
void passOn(int signal, siginfo_t* info, void* context) {
  if ((previousAction.sa_flags & SA_SIGINFO) != 0 && previousAction.sa_sigaction != nullptr) {
    previousAction.sa_sigaction(signal, info, context);
    return;
  }
  if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN &&
      previousAction.sa_handler != nullptr) {
    previousAction.sa_handler(signal);
    return;
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(SIGBUS, &fallback, nullptr);
}

void onBusError(int signal, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  for (GuardSlot& slot : guardSlots) {
    const uintptr_t start = slot.start.load(std::memory_order_relaxed);
    const size_t length = slot.length.load(std::memory_order_relaxed);
    if (start == 0 || address < start || address >= start + length) continue;
    // The pages from the fault on become zeros: the read finishes, and the caller sees
    // that the mapping broke.
    const uintptr_t from = address & ~(page - 1);
    void* replaced = mmap(reinterpret_cast<void*>(from), start + length - from, PROT_READ,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (replaced == MAP_FAILED) break;
    slot.broken.store(true, std::memory_order_relaxed);
    return;
  }
  passOn(signal, info, context);
}

void installHandler() {
  struct sigaction action {};
  action.sa_sigaction = onBusError;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  handlerReady = sigaction(SIGBUS, &action, &previousAction) == 0;
}

size_t roundToPages(size_t length) {
  const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return (length + page - 1) / page * page;
}

}  // namespace

MappedFile::~MappedFile() { unmap(); }

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      slot_(std::exchange(other.slot_, -1)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    unmap();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    slot_ = std::exchange(other.slot_, -1);
  }
  return *this;
}

bool MappedFile::map(int fd) {
  unmap();
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) return false;
  std::call_once(handlerInstalled, installHandler);
  if (!handlerReady) return false;
  int free = -1;
  for (int i = 0; i < kGuardSlots && free < 0; ++i) {
    if (guardSlots[i].start.load(std::memory_order_relaxed) == 0) free = i;
  }
  if (free < 0) return false;
  const auto length = static_cast<size_t>(info.st_size);
  void* mapped = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
  if (mapped == MAP_FAILED) return false;
  GuardSlot& slot = guardSlots[free];
  slot.broken.store(false, std::memory_order_relaxed);
  slot.length.store(roundToPages(length), std::memory_order_relaxed);
  slot.start.store(reinterpret_cast<uintptr_t>(mapped), std::memory_order_release);
  data_ = static_cast<const uint8_t*>(mapped);
  size_ = length;
  slot_ = free;
  return true;
}

void MappedFile::unmap() {
  if (data_ == nullptr) return;
  GuardSlot& slot = guardSlots[slot_];
  slot.start.store(0, std::memory_order_release);
  slot.length.store(0, std::memory_order_relaxed);
  munmap(const_cast<uint8_t*>(data_), size_);
  data_ = nullptr;
  size_ = 0;
  slot_ = -1;
}

std::span<const uint8_t> MappedFile::bytes(int64_t offset, size_t count) const {
  if (data_ == nullptr || offset < 0 || static_cast<uint64_t>(offset) > size_ ||
      count > size_ - static_cast<size_t>(offset) || !intact()) {
    return {};
  }
  return {data_ + offset, count};
}

bool MappedFile::intact() const {
  if (data_ == nullptr) return true;
  // Neither the reads of the mapping before this check nor the check itself may be
  // moved across the other.
  std::atomic_signal_fence(std::memory_order_seq_cst);
  return !guardSlots[slot_].broken.load(std::memory_order_relaxed);
}

}  // namespace tabrix
