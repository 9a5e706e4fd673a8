#pragma once
// The archive tool: lists, extracts and creates ARC archives and codes or
// decodes LZSS files. Returns the process exit code; output and messages go
// to the given streams.

#include <iosfwd>
#include <string>
#include <vector>

namespace fer {

int runArcTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace fer
