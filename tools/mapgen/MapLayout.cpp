#include "MapLayout.h"

#include <algorithm>
#include <stdexcept>

namespace mapgen {

namespace {
void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void set16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void align(std::vector<uint8_t>& b) {
    while (b.size() % 16) b.push_back(0);
}
} // namespace

Sprite sequentialSprite(uint16_t first) {
    Sprite s{};
    for (size_t i = 0; i < s.size(); ++i) s[i] = uint16_t(first + i);
    return s;
}

EncodedMap encode(const MapLayout& layout) {
    EncodedMap e;
    auto& b = e.bytes;
    e.mapBlock = 0;
    put16(b, layout.width);
    put16(b, layout.height);
    for (uint32_t c : layout.cells) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
        b.push_back(uint8_t(c >> 16));
    }
    align(b);

    e.objectBlock = uint32_t(b.size());
    const size_t header = b.size();
    b.resize(b.size() + 8);
    auto relative = [&] { return uint32_t(b.size() - header); };
    // Programs first, so that their offsets stay below 256.
    const uint32_t programTable = relative();
    b.resize(b.size() + 2 * layout.programs.size());
    for (size_t p = 0; p < layout.programs.size(); ++p) {
        e.programs.push_back(relative());
        set16(b, header + programTable + 2 * p, relative());
        b.insert(b.end(), layout.programs[p].begin(), layout.programs[p].end());
    }
    e.objectList = relative();
    for (const ObjectRecord& o : layout.objects) {
        b.push_back(o.flags);
        b.push_back(o.sprite);
        b.push_back(o.width);
        b.push_back(o.height);
        put16(b, o.x);
        put16(b, o.y);
        b.push_back(o.pose);
        b.push_back(o.program);
        b.push_back(o.type);
        b.push_back(o.count);
        put16(b, o.pc);
    }
    b.push_back(0xFF);
    const uint32_t placements = relative();
    for (const auto& p : layout.placements) b.insert(b.end(), p.begin(), p.end());
    const uint32_t sprites = relative();
    for (const Sprite& s : layout.sprites)
        for (uint16_t t : s) put16(b, t);
    set16(b, header, e.objectList);
    set16(b, header + 2, programTable);
    set16(b, header + 4, placements);
    set16(b, header + 6, sprites);
    align(b);

    e.triggerTable = uint32_t(b.size());
    for (const TriggerRecord& t : layout.triggers) {
        for (uint16_t v : {t.id, t.x1, t.y1, t.x2, t.y2, t.directions}) put16(b, v);
    }
    put16(b, 0xFFFF);
    b.resize(b.size() + 10);
    return e;
}

std::vector<uint8_t> mapFile(const EncodedMap& e, uint32_t objectBlockAt, uint32_t triggerTableAt,
                             uint32_t fileSize) {
    const size_t mapBytes = e.objectBlock - e.mapBlock;
    const size_t objectBytes = e.triggerTable - e.objectBlock;
    const size_t triggerBytes = e.bytes.size() - e.triggerTable;
    if (mapBytes > objectBlockAt || objectBytes > triggerTableAt - objectBlockAt ||
        triggerBytes > fileSize - triggerTableAt)
        throw std::length_error("the map does not fit its data file");
    std::vector<uint8_t> file(fileSize, 0);
    std::copy(e.bytes.begin() + e.mapBlock, e.bytes.begin() + e.objectBlock, file.begin());
    std::copy(e.bytes.begin() + e.objectBlock, e.bytes.begin() + e.triggerTable,
              file.begin() + objectBlockAt);
    std::copy(e.bytes.begin() + e.triggerTable, e.bytes.end(), file.begin() + triggerTableAt);
    return file;
}

} // namespace mapgen
