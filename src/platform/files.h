// File-system helpers: names from stubs and response files mapped to Linux paths,
// existence tests, deleting files, the current directory and path parts.
#pragma once

#include <string>
#include <string_view>

namespace tabrix {

// Maps a name as users write it to a path: '\' becomes '/', and a leading drive
// letter with colon ("C:") is dropped, leaving an absolute path ("C:\x" -> "/x").
std::string toPath(std::string_view name);

// True when the name begins with a drive letter and colon or with '/' or '\'.
bool isAbsoluteName(std::string_view name);

// True when the path names an existing entry that is not a directory.
bool fileExists(const std::string& path);
// True when the path names an existing directory.
bool directoryExists(const std::string& path);
// Deletes a file; returns 0, or -1 when it could not be deleted.
int deleteFile(const std::string& path);

// The current directory, without a trailing '/' (except for "/").
std::string currentDirectory();
// Changes the current directory; returns 0 or -1.
int changeDirectory(const std::string& path);

// The directory part of a path, up to and including its last '/' (or '\\'); a name
// with only a drive prefix ("C:x") gives the prefix; "" when there is none.
std::string directoryPart(std::string_view path);
// The file name after the directory part.
std::string namePart(std::string_view path);
// The extension of the file name, with its dot, or "" when none.
std::string extensionPart(std::string_view path);

}  // namespace tabrix
