#include "platform/freetype/FreeTypeRasterizer.h"

#include <cstdlib>
#include <limits>

#include "files/FileText.h"

namespace fer {

std::unique_ptr<FreeTypeRasterizer> FreeTypeRasterizer::open(const std::string& path, int faceIndex,
                                                             std::string& error) {
    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0) {
        error = "FreeType could not be initialised";
        return nullptr;
    }
    LibraryHandle library(rawLibrary);
    auto bytes = std::make_unique<std::string>();
    const ReadFailure failure = readFileText(path, kMaxFileSize, *bytes);
    if (failure != ReadFailure::kNone) {
        error = "the font file " + path + " " + describe(failure);
        return nullptr;
    }
    FT_Face rawFace = nullptr;
    if (FT_New_Memory_Face(library.get(), reinterpret_cast<const FT_Byte*>(bytes->data()),
                           static_cast<FT_Long>(bytes->size()), faceIndex, &rawFace) != 0) {
        error = "FreeType cannot load the font file " + path;
        return nullptr;
    }
    FaceHandle face(rawFace);
    if (FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE) != 0) {
        error = "the font file " + path + " has no Unicode character map";
        return nullptr;
    }
    return std::unique_ptr<FreeTypeRasterizer>(
        new FreeTypeRasterizer(std::move(library), std::move(bytes), std::move(face), path));
}

FreeTypeRasterizer::FreeTypeRasterizer(LibraryHandle library, std::unique_ptr<std::string> bytes,
                                       FaceHandle face, std::string path)
    : library_(std::move(library)), bytes_(std::move(bytes)), face_(std::move(face)),
      path_(std::move(path)) {}

bool FreeTypeRasterizer::hasGlyph(char32_t codePoint) const {
    return FT_Get_Char_Index(face_.get(), codePoint) != 0;
}

bool FreeTypeRasterizer::selectSize(int width, int height) {
    if (width == sizeWidth_ && height == sizeHeight_) return true;
    FT_Face face = face_.get();
    bool ok;
    if (FT_IS_SCALABLE(face)) {
        ok = FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(width), static_cast<FT_UInt>(height)) ==
             0;
    } else {
        // A bitmap-only font: the strike nearest in height.
        int best = -1;
        int bestDistance = std::numeric_limits<int>::max();
        for (int i = 0; i < face->num_fixed_sizes; ++i) {
            const int distance = std::abs(face->available_sizes[i].height - height);
            if (distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        ok = best >= 0 && FT_Select_Size(face, best) == 0;
    }
    if (!ok) {
        sizeWidth_ = sizeHeight_ = 0;
        return false;
    }
    sizeWidth_ = width;
    sizeHeight_ = height;
    return true;
}

bool FreeTypeRasterizer::rasterize(const GlyphRequest& request, GlyphMask& mask) {
    mask.clear();
    if (request.pixelWidth == 0 || request.pixelHeight == 0) return false;
    if (!selectSize(request.pixelWidth, request.pixelHeight)) return false;
    FT_Face face = face_.get();
    const FT_UInt index = FT_Get_Char_Index(face, request.codePoint);
    if (index == 0) return false;
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0)
        return false;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return false;

    // The baseline lies at the ascent below the top of the cell; the pen
    // starts at column 0.
    const int ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
    const int top = ascent - slot->bitmap_top;
    const int left = slot->bitmap_left;
    for (unsigned r = 0; r < bitmap.rows; ++r) {
        const unsigned char* src = bitmap.buffer + static_cast<ptrdiff_t>(r) * bitmap.pitch;
        for (unsigned c = 0; c < bitmap.width; ++c) {
            if (src[c >> 3] & (0x80 >> (c & 7)))
                mask.set(left + static_cast<int>(c), top + static_cast<int>(r));
        }
    }
    return true;
}

} // namespace fer
