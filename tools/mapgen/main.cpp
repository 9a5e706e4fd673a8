// mapgen OUT_DIR: writes the sample map's files: MAP.DAT (map, objects and
// triggers), TILES.BMP (the tile sheet) and PARTS.BMP (the status bar parts).
// mapgen --village BMP_DIR LZSS_DIR DATA_DIR: writes the demo's village:
// its pictures as bitmaps and as LZSS-coded pictures, VILLAGE.DAT and
// ANIM.DAT.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "files/AtomicFileWriter.h"
#include "DemoPalette.h"
#include "PictureFiles.h"
#include "SampleMap.h"
#include "VillageMap.h"

namespace {
bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    return fer::replaceFileAtomically(path, bytes) == fer::WriteOutcome::kDone;
}

int village(const std::filesystem::path& bmpDir, const std::filesystem::path& lzssDir,
            const std::filesystem::path& dataDir) {
    std::error_code ec;
    for (const auto& d : {bmpDir, lzssDir, dataDir}) std::filesystem::create_directories(d, ec);
    for (const demo::Picture& picture : mapgen::village::allPictures()) {
        const auto lzss = demo::lzssPictureFile(picture, demo::demoPalette());
        if (lzss.empty() ||
            !writeFile(bmpDir / picture.name, demo::bitmapFile(picture, demo::demoPalette())) ||
            !writeFile(lzssDir / picture.name, lzss)) {
            std::fprintf(stderr, "mapgen: cannot write %s\n", picture.name.c_str());
            return 1;
        }
    }
    if (!writeFile(dataDir / "VILLAGE.DAT", mapgen::village::mapFile()) ||
        !writeFile(dataDir / "ANIM.DAT", mapgen::village::animationFile())) {
        std::fprintf(stderr, "mapgen: cannot write into %s\n", dataDir.string().c_str());
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--village") == 0) return village(argv[2], argv[3], argv[4]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: mapgen OUT_DIR\n       mapgen --village BMP_DIR LZSS_DIR DATA_DIR\n");
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
