// File names inside bank files: names that one bank file gives for another (a dirfor
// description naming its history and macro-names files, a VAM file naming its packed
// matrices), and the extension test of the kinds that append their own extension.
#pragma once

#include <string>
#include <string_view>

namespace tabrix {

// The path under which to open `name`, a file named inside the file `anchor`. A relative
// name is taken from the current directory when a file of that name exists there, else
// from the directory of `anchor` when it exists there; otherwise (and for an absolute
// name) it is the name itself as a path.
std::string pathBeside(std::string_view name, std::string_view anchor);

// True when the file-name part of a path (after its last '/' or '\') holds a '.'; a
// '.' in a directory name does not count.
bool fileNameHasDot(std::string_view path);

}  // namespace tabrix
