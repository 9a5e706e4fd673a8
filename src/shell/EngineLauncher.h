#pragma once
// From the command line to a running engine: parses the options, changes to
// the game directory, picks the platform backend and runs the engine context.

#include <string_view>
#include <vector>

#include "core/BuildVariant.h"

namespace fer {

// Returns the process exit status: 0 normal end, 1 after a fatal error, 2 bad usage.
int launchEngine(const std::vector<std::string_view>& args, const BuildVariant& variant);

} // namespace fer
