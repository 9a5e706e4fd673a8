// mapgen OUT_DIR: writes the sample map's files: MAP.DAT (map, objects and
// triggers), TILES.BMP (the tile sheet) and PARTS.BMP (the status bar parts).

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "DemoPalette.h"
#include "PictureFiles.h"
#include "SampleMap.h"

namespace {
bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mapgen OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    using namespace mapgen::sample;
    if (!writeFile(dir / "MAP.DAT", mapFile()) ||
        !writeFile(dir / "TILES.BMP", demo::bitmapFile(tileSheet(), demo::demoPalette())) ||
        !writeFile(dir / "PARTS.BMP", demo::bitmapFile(statusParts(), demo::demoPalette()))) {
        std::fprintf(stderr, "mapgen: cannot write into %s\n", dir.string().c_str());
        return 1;
    }
    return 0;
}
