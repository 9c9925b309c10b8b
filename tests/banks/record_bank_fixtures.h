// Helpers for the compressed and hashed bank tests: series records assembled byte by
// byte in either form, the paths of the hand-made banks in tests/data/banks, and the
// messages a bank prints when it refuses a file at open.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "bank_test_support.h"
#include "banks/binary_io.h"
#include "banks/data_bank.h"
#include "banks/series_record.h"

namespace tabrix::testing {

// The path of a hand-made bank under tests/data/banks (root name, no extension).
inline std::string fixture(const std::string& name) {
  return std::string(TABRIX_TEST_DATA) + "/banks/" + name;
}

// A record in the float form.
inline std::vector<uint8_t> floatRecord(uint8_t year, uint8_t frequencyByte,
                                        const std::vector<float>& values) {
  std::vector<uint8_t> out;
  appendU8(out, year);
  appendU8(out, frequencyByte);
  appendU8(out, kFloatFormCode);
  appendI16(out, static_cast<int16_t>(values.size()));
  for (float v : values) appendF32(out, v);
  return out;
}

// A record in the packed form: code byte, base value and differences as given.
inline std::vector<uint8_t> packedRecord(uint8_t year, uint8_t frequencyByte, uint8_t code,
                                         int32_t base, const std::vector<int16_t>& differences) {
  std::vector<uint8_t> out;
  appendU8(out, year);
  appendU8(out, frequencyByte);
  appendU8(out, code);
  appendI16(out, static_cast<int16_t>(differences.size()));
  appendI32(out, base);
  for (int16_t d : differences) appendI16(out, d);
  return out;
}

// What a bank prints when one of its files cannot be opened.
inline std::string openFailure(const std::string& file) {
  return "\r\nCannot open " + file + "\r\nNo bank now assigned\r\n";
}

// What a bank prints when it refuses a damaged file at open.
inline std::string damaged(const std::string& file, const std::string& reason) {
  return "\r\n" + file + " is damaged: " + reason + ".\r\n" + openFailure(file);
}

// What bank.listNames writes to a file for this pattern; `status` gets its result
// (-2 when no temporary file could be made, which fails the test).
inline std::string listedNames(DataBank& bank, std::string_view pattern, int16_t wide,
                               int16_t& status) {
  std::string text;
  status = -2;
  std::FILE* file = std::tmpfile();
  if (file == nullptr) {
    ADD_FAILURE() << "tmpfile failed";
    return text;
  }
  status = bank.listNames(file, pattern, wide);
  std::rewind(file);
  for (int ch = std::fgetc(file); ch != EOF; ch = std::fgetc(file)) text.push_back(static_cast<char>(ch));
  std::fclose(file);
  return text;
}

}  // namespace tabrix::testing
