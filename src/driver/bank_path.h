// Resolving the root name of an alternative's bank, as typed in the response script,
// to the path the bank is opened under: an absolute name is used as it is; a name
// starting with "..\" climbs from the current directory; a plain relative name is
// tried under the root directory first and then under the current directory.
#pragma once

#include <string>
#include <string_view>

namespace tabrix {

// Resolves rootName (no extension) with the data-file extension of its kind (".bnk",
// ...). Returns 0 and sets rootPath (no extension), or -1 after printing why the run
// must stop.
int resolveBankPath(std::string_view rootName, std::string_view extension,
                    std::string& rootPath);

}  // namespace tabrix
