#include <iostream>

#include "ArcTool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return fer::runArcTool(args, std::cout, std::cerr);
}
