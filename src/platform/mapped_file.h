// MappedFile: a file mapped read-only into memory (PROT_READ, MAP_PRIVATE), for the
// bank files a run reads many times over. The length is taken when the file is
// mapped; bytes() hands out only what lies within it.
//
// A file that shrinks while it is mapped would raise SIGBUS on a read of a page past
// its new end. Every mapping is guarded: a SIGBUS whose address lies in a guarded
// mapping replaces the mapping from that page on with zero-filled memory and marks it
// broken, and the read goes on. A caller checks intact() after using the bytes and,
// when the mapping broke, discards what it read and reads again from the file itself.
// A SIGBUS elsewhere goes on to the handler that was installed before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tabrix {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps the open file descriptor's whole content (its length now); true on success.
  // An empty file, a file system that cannot map, or no free guard slot fail (the
  // caller then reads the file itself). Unmaps what was mapped before.
  bool map(int fd);
  // Unmaps; nothing happens when nothing is mapped.
  void unmap();

  bool isMapped() const { return data_ != nullptr; }
  // Bytes mapped: the file's length when it was mapped.
  size_t size() const { return size_; }
  // The count bytes at offset, or an empty span when any of them lies past the length,
  // nothing is mapped or the mapping broke.
  std::span<const uint8_t> bytes(int64_t offset, size_t count) const;
  // False once a read faulted because the file shrank: bytes read since the last
  // check may be zeros instead of the file's content.
  bool intact() const;

 private:
  const uint8_t* data_ = nullptr;  // start of the mapping
  size_t size_ = 0;                // bytes mapped
  int slot_ = -1;                  // the guard slot of this mapping
};

}  // namespace tabrix
