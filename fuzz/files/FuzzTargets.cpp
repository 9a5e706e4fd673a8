#include "FuzzTargets.h"

#include <algorithm>
#include <cstdio>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

#include "files/ArcArchive.h"
#include "files/IniText.h"
#include "files/Lzss.h"

namespace fer::fuzz {

// Any stream decodes into a bounded buffer without reading or writing
// outside it; the first byte of input picks the buffer size.
size_t lzssDecoder(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::vector<uint8_t> out(static_cast<size_t>(data[0]) * 37);
    LzssDecoder decoder;
    LzssResult result = decoder.decode(std::span(data + 1, size - 1), out);
    if (result.produced > out.size() || result.consumed > size - 1) __builtin_trap();
    return result.produced;
}

// Any file opens or fails cleanly, and lookups leave the directory as read.
bool arcArchive(const uint8_t* data, size_t size) {
    char path[] = "/tmp/fer-fuzz-arc-XXXXXX";
    int fd = ::mkstemp(path);
    if (fd < 0) return false;
    File file(fd);
    file.writeAll(std::span(data, size));
    ::unlink(path);
    ArcArchive archive;
    if (!archive.load(std::move(file))) return false;
    std::vector<uint8_t> before(archive.directory().begin(), archive.directory().end());
    std::vector<std::string> names = {
        "MAIN.MES", "a", std::string(reinterpret_cast<const char*>(data), size < 12 ? size : 12)};
    for (std::string& name : names) {
        if (auto entry = archive.lookup(name)) {
            std::vector<uint8_t> bytes(entry->size < 4096 ? entry->size : 4096);
            if (archive.handle().seek(entry->offset)) archive.handle().readExact(bytes);
        }
    }
    if (!std::equal(before.begin(), before.end(), archive.directory().begin())) __builtin_trap();
    return true;
}

// Any text parses, and an edit reads back.
void settingsText(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ini::findValue(text, "Config", "TITLE");
    if (auto v = ini::findValue(text, "FILE", "bARCMES")) ini::parseInt(*v);
    std::string edited = ini::withValue(text, "Config", "MOVE", "2");
    auto back = ini::findValue(edited, "Config", "MOVE");
    if (!back || *back != "2") __builtin_trap();
}

} // namespace fer::fuzz
