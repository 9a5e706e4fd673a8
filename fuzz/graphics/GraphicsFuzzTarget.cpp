#include "GraphicsFuzzTarget.h"

#include <span>

#include "graphics/BlockTransfer.h"
#include "graphics/GraphicsHost.h"
#include "graphics/ImageLoader.h"
#include "graphics/NullGraphicsHost.h"
#include "graphics/PlaneSet.h"

namespace fer::fuzz {

namespace {

uint16_t wordAt(std::span<const uint8_t> in, size_t at) {
    if (at + 1 >= in.size()) return 0;
    return static_cast<uint16_t>(in[at] | in[at + 1] << 8);
}

} // namespace

PictureRect imageLoader(PlaneSet& planes, const uint8_t* data, size_t size) {
    if (size == 0 || !planes.allocated()) return {};
    const uint8_t control = data[0];
    const std::span<const uint8_t> file(data + 1, size - 1);

    ImageLoader loader((control & 1) ? ImageLoader::Format::kLzssPicture
                                     : ImageLoader::Format::kBitmap);
    // Stored position, the top-left corner, or a position near the far edges.
    static constexpr uint16_t kPositions[4][2] = {
        {0xFFFF, 0xFFFF}, {0, 0}, {600, 380}, {639, 1799}};
    const auto* position = kPositions[(control >> 1) & 3];
    const unsigned plane = (control >> 3) % PlaneSet::kCount;
    Palette palette{};
    loader.loadImage(file, palette, planes[plane], position[0], position[1]);

    NullGraphicsHost host;
    BlockTransfer blocks(planes, host);
    BlockRequest r;
    r.mode = (control >> 5) == 5 ? 0 : (control >> 5); // dissolves are slow; run copies instead
    r.sx = wordAt(file, 0);
    r.sy = wordAt(file, 2);
    r.w = wordAt(file, 4);
    r.h = wordAt(file, 6);
    r.src = (wordAt(file, 8) & 7);
    r.dx = wordAt(file, 10);
    r.dy = wordAt(file, 12);
    r.dst = (wordAt(file, 14) & 7);
    r.x3 = wordAt(file, 16);
    r.y3 = wordAt(file, 18);
    r.plane3 = (wordAt(file, 20) & 7);
    r.colour = wordAt(file, 22);
    blocks.blockTransfer(r);
    return loader.lastRect();
}

} // namespace fer::fuzz
