#pragma once
// The script files (.mes, any letter case) of a directory, for the file choice.

#include <string>
#include <vector>

namespace fer {

// The names (without directory) of the regular files ending in .mes in any
// letter case, sorted by name; empty when the directory cannot be read.
std::vector<std::string> scriptFilesIn(const std::string& directory);

} // namespace fer
