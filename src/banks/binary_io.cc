#include "banks/binary_io.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>
#include <utility>

#include <unistd.h>

#include "platform/run_files.h"

namespace tabrix {

uint16_t decodeU16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

int16_t decodeI16(const uint8_t* bytes) {
  return static_cast<int16_t>(decodeU16(bytes));
}

uint32_t decodeU32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

int32_t decodeI32(const uint8_t* bytes) {
  return static_cast<int32_t>(decodeU32(bytes));
}

float decodeF32(const uint8_t* bytes) {
  return std::bit_cast<float>(decodeU32(bytes));
}

void encodeU16(uint8_t* bytes, uint16_t value) {
  bytes[0] = static_cast<uint8_t>(value & 0xFF);
  bytes[1] = static_cast<uint8_t>(value >> 8);
}

void encodeI16(uint8_t* bytes, int16_t value) {
  encodeU16(bytes, static_cast<uint16_t>(value));
}

void encodeU32(uint8_t* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);
}

void encodeI32(uint8_t* bytes, int32_t value) {
  encodeU32(bytes, static_cast<uint32_t>(value));
}

void encodeF32(uint8_t* bytes, float value) {
  encodeU32(bytes, std::bit_cast<uint32_t>(value));
}

void appendU8(std::vector<uint8_t>& out, uint8_t value) { out.push_back(value); }

void appendU16(std::vector<uint8_t>& out, uint16_t value) {
  uint8_t b[2];
  encodeU16(b, value);
  out.insert(out.end(), b, b + 2);
}

void appendI16(std::vector<uint8_t>& out, int16_t value) {
  appendU16(out, static_cast<uint16_t>(value));
}

void appendU32(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t b[4];
  encodeU32(b, value);
  out.insert(out.end(), b, b + 4);
}

void appendI32(std::vector<uint8_t>& out, int32_t value) {
  appendU32(out, static_cast<uint32_t>(value));
}

void appendF32(std::vector<uint8_t>& out, float value) {
  appendU32(out, std::bit_cast<uint32_t>(value));
}

void appendText(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

void appendFixedText(std::vector<uint8_t>& out, std::string_view text, size_t width) {
  size_t used = text.size() < width ? text.size() : width;
  out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(used));
  out.insert(out.end(), width - used, 0);
}

// ---- ByteReader ----

bool ByteReader::readU8(uint8_t& value) {
  if (remaining() < 1) return false;
  value = bytes_[position_++];
  return true;
}

bool ByteReader::readI8(int8_t& value) {
  uint8_t raw;
  if (!readU8(raw)) return false;
  value = static_cast<int8_t>(raw);
  return true;
}

bool ByteReader::readU16(uint16_t& value) {
  if (remaining() < 2) return false;
  value = decodeU16(bytes_.data() + position_);
  position_ += 2;
  return true;
}

bool ByteReader::readI16(int16_t& value) {
  uint16_t raw;
  if (!readU16(raw)) return false;
  value = static_cast<int16_t>(raw);
  return true;
}

bool ByteReader::readU32(uint32_t& value) {
  if (remaining() < 4) return false;
  value = decodeU32(bytes_.data() + position_);
  position_ += 4;
  return true;
}

bool ByteReader::readI32(int32_t& value) {
  uint32_t raw;
  if (!readU32(raw)) return false;
  value = static_cast<int32_t>(raw);
  return true;
}

bool ByteReader::readF32(float& value) {
  uint32_t raw;
  if (!readU32(raw)) return false;
  value = std::bit_cast<float>(raw);
  return true;
}

bool ByteReader::readBytes(uint8_t* dst, size_t count) {
  if (remaining() < count) return false;
  if (count > 0) std::memcpy(dst, bytes_.data() + position_, count);
  position_ += count;
  return true;
}

bool ByteReader::readCString(std::string& text) {
  for (size_t end = position_; end < bytes_.size(); ++end) {
    if (bytes_[end] == 0) {
      text.assign(reinterpret_cast<const char*>(bytes_.data() + position_), end - position_);
      position_ = end + 1;
      return true;
    }
  }
  return false;
}

bool ByteReader::seek(size_t position) {
  if (position > bytes_.size()) return false;
  position_ = position;
  return true;
}

bool ByteReader::skip(size_t count) {
  if (remaining() < count) return false;
  position_ += count;
  return true;
}

// ---- BinaryFile ----

BinaryFile::~BinaryFile() { close(); }

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)) {}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
  if (this != &other) {
    close();
    file_ = std::exchange(other.file_, nullptr);
  }
  return *this;
}

bool BinaryFile::open(const std::string& path, const char* mode, Buffering buffering) {
  close();
  file_ = std::fopen(path.c_str(), mode);
  const std::string_view how(mode);
  writing_ = how.find_first_of("wa+") != std::string_view::npos;
  // A bank the run reads (or updates) is one of its inputs: no output may be opened over it.
  if (file_ != nullptr && how.find_first_of("r+") != std::string_view::npos) noteRunInput(path);
  if (file_ != nullptr && buffering == Buffering::Unbuffered) std::setvbuf(file_, nullptr, _IONBF, 0);
  return file_ != nullptr;
}

int BinaryFile::close() {
  if (file_ == nullptr) return -1;
  int result = writing_ ? closeOutput(file_) : std::fclose(file_);
  file_ = nullptr;
  return result == 0 ? 0 : -1;
}

int BinaryFile::seek(int64_t offset) {
  if (file_ == nullptr || offset < 0) return -1;
  return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0 ? 0 : -1;
}

int64_t BinaryFile::tell() {
  if (file_ == nullptr) return -1;
  return static_cast<int64_t>(ftello(file_));
}

int64_t BinaryFile::size() {
  if (file_ == nullptr) return -1;
  off_t here = ftello(file_);
  if (here < 0 || fseeko(file_, 0, SEEK_END) != 0) return -1;
  off_t end = ftello(file_);
  if (fseeko(file_, here, SEEK_SET) != 0) return -1;
  return static_cast<int64_t>(end);
}

int BinaryFile::flush() {
  if (file_ == nullptr) return -1;
  return flushOutput(file_) == 0 ? 0 : -1;
}

size_t BinaryFile::read(void* dst, size_t count) {
  if (file_ == nullptr || count == 0) return 0;
  return std::fread(dst, 1, count, file_);
}

size_t BinaryFile::write(const void* src, size_t count) {
  if (file_ == nullptr || count == 0) return 0;
  return writeOutput(src, count, file_);
}

size_t BinaryFile::readAt(int64_t offset, void* dst, size_t count) {
  if (file_ == nullptr || offset < 0) return 0;
  const int fd = fileno(file_);
  auto* bytes = static_cast<uint8_t*>(dst);
  size_t done = 0;
  // One pread normally; more only when the kernel hands over less than asked.
  while (done < count) {
    const ssize_t got = pread(fd, bytes + done, count - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

size_t BinaryFile::readBytes(std::vector<uint8_t>& out, size_t count) {
  out.resize(count);
  size_t got = read(out.data(), count);
  out.resize(got);
  return got;
}

namespace {

template <size_t N>
bool readExactly(BinaryFile& file, std::array<uint8_t, N>& bytes) {
  return file.read(bytes.data(), N) == N;
}

}  // namespace

bool BinaryFile::readU8(uint8_t& value) {
  std::array<uint8_t, 1> b;
  if (!readExactly(*this, b)) return false;
  value = b[0];
  return true;
}

bool BinaryFile::readI8(int8_t& value) {
  uint8_t raw;
  if (!readU8(raw)) return false;
  value = static_cast<int8_t>(raw);
  return true;
}

bool BinaryFile::readU16(uint16_t& value) {
  std::array<uint8_t, 2> b;
  if (!readExactly(*this, b)) return false;
  value = decodeU16(b.data());
  return true;
}

bool BinaryFile::readI16(int16_t& value) {
  uint16_t raw;
  if (!readU16(raw)) return false;
  value = static_cast<int16_t>(raw);
  return true;
}

bool BinaryFile::readU32(uint32_t& value) {
  std::array<uint8_t, 4> b;
  if (!readExactly(*this, b)) return false;
  value = decodeU32(b.data());
  return true;
}

bool BinaryFile::readI32(int32_t& value) {
  uint32_t raw;
  if (!readU32(raw)) return false;
  value = static_cast<int32_t>(raw);
  return true;
}

bool BinaryFile::readF32(float& value) {
  uint32_t raw;
  if (!readU32(raw)) return false;
  value = std::bit_cast<float>(raw);
  return true;
}

// Floats go through a small buffer on the stack, a chunk at a time, so a series read
// costs no allocation and a partial float at the end never reaches the caller's slots.
constexpr size_t kFloatChunk = 256;

size_t BinaryFile::readF32Array(std::span<float> values) {
  std::array<uint8_t, 4 * kFloatChunk> bytes;
  size_t done = 0;
  while (done < values.size()) {
    size_t want = std::min(kFloatChunk, values.size() - done);
    size_t got = read(bytes.data(), 4 * want) / 4;
    for (size_t i = 0; i < got; ++i) values[done + i] = decodeF32(bytes.data() + 4 * i);
    done += got;
    if (got < want) break;
  }
  return done;
}

bool BinaryFile::writeU8(uint8_t value) { return write(&value, 1) == 1; }

bool BinaryFile::writeU16(uint16_t value) {
  uint8_t b[2];
  encodeU16(b, value);
  return write(b, 2) == 2;
}

bool BinaryFile::writeI16(int16_t value) { return writeU16(static_cast<uint16_t>(value)); }

bool BinaryFile::writeU32(uint32_t value) {
  uint8_t b[4];
  encodeU32(b, value);
  return write(b, 4) == 4;
}

bool BinaryFile::writeI32(int32_t value) { return writeU32(static_cast<uint32_t>(value)); }

bool BinaryFile::writeF32(float value) { return writeU32(std::bit_cast<uint32_t>(value)); }

bool BinaryFile::writeF32Array(std::span<const float> values) {
  std::array<uint8_t, 4 * kFloatChunk> bytes;
  for (size_t done = 0; done < values.size();) {
    size_t count = std::min(kFloatChunk, values.size() - done);
    for (size_t i = 0; i < count; ++i) encodeF32(bytes.data() + 4 * i, values[done + i]);
    if (write(bytes.data(), 4 * count) != 4 * count) return false;
    done += count;
  }
  return true;
}

bool BinaryFile::writeBytes(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return true;
  return write(bytes.data(), bytes.size()) == bytes.size();
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& out) {
  BinaryFile file;
  if (!file.open(path, "rb")) return false;
  int64_t size = file.size();
  if (size < 0) return false;
  return file.readBytes(out, static_cast<size_t>(size)) == static_cast<size_t>(size);
}

bool writeWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  BinaryFile file;
  if (!file.open(path, "wb")) return false;
  if (!file.writeBytes(bytes)) return false;
  return file.close() == 0;
}

}  // namespace tabrix
