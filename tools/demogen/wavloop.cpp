// wavloop IN.WAV OUT.WAV START: copies a PCM wave file and adds a "smpl"
// chunk with one endless loop from frame START to the last frame, so that
// the part before START plays once as an intro. The demo's music is made by
// sox and looped with this.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/AtomicFileWriter.h"

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: wavloop IN.WAV OUT.WAV LOOP_START_FRAME\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE") {
        std::fprintf(stderr, "wavloop: %s is not a wave file\n", argv[1]);
        return 1;
    }
    uint32_t blockAlign = 0, frames = 0;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + long(at), b.begin() + long(at) + 4);
        const uint32_t size = u32(b, at + 4);
        if (id == "fmt " && at + 22 <= b.size()) blockAlign = uint32_t(b[at + 20] | b[at + 21] << 8);
        if (id == "data" && blockAlign != 0) frames = uint32_t(std::min<uint64_t>(size, b.size() - at - 8) / blockAlign);
        at += 8 + uint64_t(size) + (size & 1);
    }
    const uint32_t start = uint32_t(std::strtoul(argv[3], nullptr, 10));
    if (frames == 0 || start >= frames) {
        std::fprintf(stderr, "wavloop: no data after frame %u in %s\n", start, argv[1]);
        return 1;
    }
    if (b.size() & 1) b.push_back(0);
    b.insert(b.end(), {'s', 'm', 'p', 'l'});
    put32(b, 60);
    for (int i = 0; i < 7; ++i) put32(b, 0); // maker, product, period, note, fraction, SMPTE
    put32(b, 1);                             // one loop
    put32(b, 0);                             // no sampler data
    for (uint32_t v : {0u, 0u, start, frames - 1, 0u, 0u}) put32(b, v); // id, forward, start, end, fraction, endless
    const uint32_t riff = uint32_t(b.size() - 8);
    for (int i = 0; i < 4; ++i) b[4 + i] = uint8_t(riff >> (8 * i));
    return fer::replaceFileAtomically(argv[2], b) == fer::WriteOutcome::kDone ? 0 : 1;
}
