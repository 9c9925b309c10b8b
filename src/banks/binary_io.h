// Little-endian binary I/O shared by every bank kind. Bank files hold 8-, 16- and
// 32-bit integers and IEEE-754 single-precision floats, least significant byte first.
// Values are assembled byte by byte (no struct overlays, no host byte order), so the
// code does not depend on the host's alignment or endianness.
//
// Three layers:
//   - decode*/encode*: one value at a raw byte position the caller has checked;
//   - ByteReader / append*: a bounds-checked cursor over a byte buffer, and appending
//     to a growing buffer (writers, test fixtures);
//   - BinaryFile: an owned file handle (RAII over std::FILE*) with seeking and typed
//     reads and writes, and positioned reads (readAt) that leave the file position
//     alone. Typed reads succeed only when every byte arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix {

// ---- One value at a raw position (the caller guarantees the bytes exist) ----

uint16_t decodeU16(const uint8_t* bytes);
int16_t decodeI16(const uint8_t* bytes);
uint32_t decodeU32(const uint8_t* bytes);
int32_t decodeI32(const uint8_t* bytes);
// The 4 bytes as an IEEE-754 single-precision float (bit pattern kept exactly).
float decodeF32(const uint8_t* bytes);

void encodeU16(uint8_t* bytes, uint16_t value);
void encodeI16(uint8_t* bytes, int16_t value);
void encodeU32(uint8_t* bytes, uint32_t value);
void encodeI32(uint8_t* bytes, int32_t value);
void encodeF32(uint8_t* bytes, float value);

// ---- Growing buffers (writers and test fixtures) ----

void appendU8(std::vector<uint8_t>& out, uint8_t value);
void appendU16(std::vector<uint8_t>& out, uint16_t value);
void appendI16(std::vector<uint8_t>& out, int16_t value);
void appendU32(std::vector<uint8_t>& out, uint32_t value);
void appendI32(std::vector<uint8_t>& out, int32_t value);
void appendF32(std::vector<uint8_t>& out, float value);
// Appends the bytes of the text (no terminator).
void appendText(std::vector<uint8_t>& out, std::string_view text);
// Appends the text cut or NUL-padded to exactly `width` bytes.
void appendFixedText(std::vector<uint8_t>& out, std::string_view text, size_t width);

// ---- Bounds-checked reading from a byte buffer ----

// A read cursor over bytes it does not own. Every read checks the remaining length
// first: a read past the end returns false, leaves the value and the position
// unchanged, and never touches memory outside the buffer.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool readU8(uint8_t& value);
  bool readI8(int8_t& value);
  bool readU16(uint16_t& value);
  bool readI16(int16_t& value);
  bool readU32(uint32_t& value);
  bool readI32(int32_t& value);
  bool readF32(float& value);
  // Copies `count` bytes to dst; false (nothing copied) when fewer remain.
  bool readBytes(uint8_t* dst, size_t count);
  // Reads up to the next NUL byte into text and steps past the NUL; false when no NUL
  // remains in the buffer (position unchanged).
  bool readCString(std::string& text);

  // Moves to an absolute position; false when it lies past the end.
  bool seek(size_t position);
  bool skip(size_t count);

  size_t position() const { return position_; }
  size_t remaining() const { return bytes_.size() - position_; }
  size_t size() const { return bytes_.size(); }

 private:
  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
};

// ---- Files ----

// An owned binary file. Closed by the destructor; movable, not copyable.
// Modes are the C library's ("rb" read, "r+b" update, "w+b" create/truncate for update).
// Between a read and a write on the same handle, seek first (C library rule); the
// typed helpers do not seek by themselves.
class BinaryFile {
 public:
  BinaryFile() = default;
  ~BinaryFile();
  BinaryFile(BinaryFile&& other) noexcept;
  BinaryFile& operator=(BinaryFile&& other) noexcept;
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  // Whether the C library buffers the file. Bank files read only through readAt and
  // a few bulk reads at open go unbuffered, so that no buffer is filled and dropped.
  enum class Buffering { Buffered, Unbuffered };

  // Opens path with a C mode string, closing any file held before; true on success.
  bool open(const std::string& path, const char* mode, Buffering buffering = Buffering::Buffered);
  // Closes the file; returns 0, or -1 when there was none or the close failed.
  int close();
  bool isOpen() const { return file_ != nullptr; }

  // Seeks to an absolute offset from the start; 0 on success, -1 on failure
  // (negative offsets and a closed file fail).
  int seek(int64_t offset);
  // The current offset, or -1.
  int64_t tell();
  // The file's size in bytes (keeps the current position), or -1.
  int64_t size();
  // Flushes buffered writes; 0 or -1.
  [[nodiscard]] int flush();

  // Raw transfers: the number of bytes actually transferred (0 on a closed file).
  size_t read(void* dst, size_t count);
  size_t write(const void* src, size_t count);

  // Reads up to `count` bytes at `offset` with positioned reads, neither using nor
  // moving the file position; returns the number of bytes that arrived (fewer at the
  // end of the file or when a read fails; 0 for a negative offset or a closed file). Writes
  // still held in the C library's buffer are not seen: flush them first.
  size_t readAt(int64_t offset, void* dst, size_t count);

  // Reads up to `count` bytes, resizing `out` to what arrived; returns that count.
  size_t readBytes(std::vector<uint8_t>& out, size_t count);

  // Typed reads: true only when all bytes of the value arrived (value unchanged else).
  bool readU8(uint8_t& value);
  bool readI8(int8_t& value);
  bool readU16(uint16_t& value);
  bool readI16(int16_t& value);
  bool readU32(uint32_t& value);
  bool readI32(int32_t& value);
  bool readF32(float& value);
  // Reads up to values.size() floats; returns how many whole floats arrived. Slots
  // past that count are left as they were.
  size_t readF32Array(std::span<float> values);

  // Typed writes: true when every byte was written.
  bool writeU8(uint8_t value);
  bool writeU16(uint16_t value);
  bool writeI16(int16_t value);
  bool writeU32(uint32_t value);
  bool writeI32(int32_t value);
  bool writeF32(float value);
  // Writes all floats little-endian; true when every byte was written.
  bool writeF32Array(std::span<const float> values);
  bool writeBytes(std::span<const uint8_t> bytes);

  // The underlying handle, for text output through the C library (may be null).
  std::FILE* handle() const { return file_; }

 private:
  std::FILE* file_ = nullptr;
  bool writing_ = false;  // opened for writing: writes, flushes and the close are outputs
};

// Reads a whole file into bytes; false when it cannot be opened or read.
[[nodiscard]] bool readWholeFile(const std::string& path, std::vector<uint8_t>& out);
// Creates (truncates) a file holding exactly these bytes; false on failure.
[[nodiscard]] bool writeWholeFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace tabrix
