#include "OutputFile.h"

#include <cstdio>
#include <fstream>

namespace fer::mes {

bool writeFileAtomically(const std::string& path, const void* data, size_t size,
                         std::string& error) {
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out) out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) {
            error = "cannot write '" + temporary + "'";
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot rename '" + temporary + "' to '" + path + "'";
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace fer::mes
