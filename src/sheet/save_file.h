// Writing a saved file safely: the bytes go to a temporary file in the same directory,
// which is moved onto the name only when it is complete, so a failed save leaves an
// earlier file of that name as it was.
#pragma once

#include <string>
#include <string_view>

namespace tabrix {

// The directory part of a path ("." for a bare name).
std::string directoryOf(const std::string& path);
// Makes an empty temporary file beside path (path.tmp-XXXXXX, with the permissions a new
// file gets) and gives its name. Returns 0, or -1 with the reason in `error`.
[[nodiscard]] int makeTemporaryBeside(const std::string& path, std::string& temporary, std::string& error);
// Moves a complete temporary file onto path; removes the temporary file when that
// fails. Returns 0, or -1 with the reason.
[[nodiscard]] int moveOnto(const std::string& temporary, const std::string& path, std::string& error);
// Writes bytes as the whole file path, through a temporary file. Returns 0, or -1 with
// the reason.
[[nodiscard]] int writeWholeFile(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace tabrix
