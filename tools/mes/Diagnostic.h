#pragma once
// One error found in a source file, reported as "file:line:column: message".

#include <string>

namespace fer::mes {

struct SourceLocation {
    std::string file;
    int line = 0;
    int column = 0;
};

struct Diagnostic {
    SourceLocation where;
    std::string message;

    std::string format() const {
        return where.file + ":" + std::to_string(where.line) + ":" + std::to_string(where.column) +
               ": " + message;
    }
};

} // namespace fer::mes
