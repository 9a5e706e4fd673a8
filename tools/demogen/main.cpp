// demogen OUT_BMP_DIR OUT_LZSS_DIR: writes the demo game's pictures, once as
// bitmaps and once as LZSS-coded pictures, under the same names.

#include <cstdio>
#include <filesystem>
#include <vector>

#include "files/AtomicFileWriter.h"
#include "DemoPalette.h"
#include "DemoPictures.h"
#include "PictureFiles.h"

namespace {

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    return fer::replaceFileAtomically(path, bytes) == fer::WriteOutcome::kDone;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: demogen OUT_BMP_DIR OUT_LZSS_DIR\n");
        return 2;
    }
    const std::filesystem::path bmpDir = argv[1], lzssDir = argv[2];
    std::error_code ec;
    std::filesystem::create_directories(bmpDir, ec);
    std::filesystem::create_directories(lzssDir, ec);
    for (const demo::Picture& picture : demo::allPictures()) {
        const auto lzss = demo::lzssPictureFile(picture, demo::demoPalette());
        if (lzss.empty() ||
            !writeFile(bmpDir / picture.name, demo::bitmapFile(picture, demo::demoPalette())) ||
            !writeFile(lzssDir / picture.name, lzss)) {
            std::fprintf(stderr, "demogen: cannot write %s\n", picture.name.c_str());
            return 1;
        }
    }
    return 0;
}
