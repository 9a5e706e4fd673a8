// The engine program: parses the command line, changes to the game directory
// and runs the engine. FER_VARIANT_SJIS chooses the Shift-JIS build.

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "shell/EngineLauncher.h"

int main(int argc, char** argv) {
#if FER_VARIANT_SJIS
    const fer::BuildVariant& variant = fer::kShiftJisVariant;
#else
    const fer::BuildVariant& variant = fer::kGb2312Variant;
#endif
    std::vector<std::string_view> args(argv + 1, argv + argc);
    return fer::launchEngine(args, variant);
}
