#pragma once
// Glyphs from a font file through FreeType, in monochrome (no
// anti-aliasing). A font with embedded bitmaps uses the strike of the asked
// size where it has one; an outline font is scaled to the pixel size.

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "graphics/GlyphRasterizer.h"

namespace fer {

class FreeTypeRasterizer : public GlyphRasterizer {
  public:
    // Font files larger than this are not read.
    static constexpr uint64_t kMaxFileSize = 256u << 20;

    // Opens face faceIndex of the font file; nullptr with a reason in error
    // when it is no regular file, is too large, or FreeType cannot load it.
    // The file is read whole and once, so it never blocks later and a file
    // swapped for a pipe meanwhile is refused.
    static std::unique_ptr<FreeTypeRasterizer> open(const std::string& path, int faceIndex,
                                                    std::string& error);

    bool rasterize(const GlyphRequest& request, GlyphMask& mask) override;
    std::string fontName() const override { return path_; }
    // Whether the font has a glyph for the code point.
    bool hasGlyph(char32_t codePoint) const;

  private:
    struct LibraryCloser {
        void operator()(FT_Library library) const { FT_Done_FreeType(library); }
    };
    struct FaceCloser {
        void operator()(FT_Face face) const { FT_Done_Face(face); }
    };
    using LibraryHandle = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryCloser>;
    using FaceHandle = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceCloser>;

    FreeTypeRasterizer(LibraryHandle library, std::unique_ptr<std::string> bytes, FaceHandle face,
                       std::string path);
    bool selectSize(int width, int height);

    // Destroyed in reverse order: the face before the library.
    LibraryHandle library_;
    std::unique_ptr<std::string> bytes_; // the font file, read by the face
    FaceHandle face_;
    std::string path_;
    int sizeWidth_ = 0;
    int sizeHeight_ = 0;
};

} // namespace fer
