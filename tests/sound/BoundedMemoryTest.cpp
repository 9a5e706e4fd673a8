// A ten-minute track decoded end to end never commits more than 512 KB of
// its file and 1 MB of its sound: by the regions' own counters and by the
// kernel's account of the two mappings.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include "SoundTestSupport.h"

namespace fer::test {
namespace {

// Resident kilobytes of the mappings inside [base, base + size), from
// /proc/self/smaps; nothing when none lies wholly inside.
std::optional<uint64_t> residentKb(const uint8_t* base, uint64_t size) {
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false, found = false;
    uint64_t total = 0;
    const auto from = reinterpret_cast<uintptr_t>(base);
    while (std::getline(smaps, line)) {
        unsigned long start = 0, end = 0;
        char dash = 0;
        std::istringstream head(line);
        if (head >> std::hex >> start >> dash >> end && dash == '-' &&
            line.find(':') > line.find(' ')) {
            // Only mappings wholly inside: the kernel may merge the region's
            // last part with a neighbour of the same protection.
            inside = start >= from && end <= from + size;
            found = found || inside;
            continue;
        }
        if (inside && line.rfind("Rss:", 0) == 0) total += std::stoull(line.substr(4));
    }
    if (!found) return std::nullopt;
    return total;
}

// Resident kilobytes of [base, base + size) page by page, from mincore.
uint64_t residentKbByPage(const uint8_t* base, uint64_t size) {
    const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> present((size + page - 1) / page);
    if (::mincore(const_cast<uint8_t*>(base), size, present.data()) != 0) return ~uint64_t{0};
    uint64_t pages = 0;
    for (unsigned char p : present) pages += p & 1;
    return pages * page / 1024;
}

long minorFaults() {
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    return r.ru_minflt;
}

TEST(BoundedMemory, TenMinuteTrackStaysWithinItsLimits) {
    ScratchDir dir;
    const auto wav = dir / "long.wav";
    // mu-law: quick for sox to write, and the sound is twice the file.
    ASSERT_TRUE(run("sox -n -r 44100 -c 2 -e mu-law '" + wav.string() + "' synth 600 sine 440"));
    auto file = std::make_shared<FileSource>(wav);
    WaveStream stream;
    ASSERT_TRUE(stream.open(file));
    ASSERT_EQ(stream.prepareOutput(1, 0, 0, 0), 0);
    const uint64_t size = stream.decodedSize();
    ASSERT_GE(size, 600ull * 44100 * 4);

    WaveSource& source = stream.waveSource();
    DecodedRegion& decoded = stream.decodedRegion();
    EXPECT_EQ(decoded.committedBytes(), 0u); // nothing decoded in advance
    std::vector<uint8_t> second(44100 * 4);
    uint64_t maxRssKb = 0;
    int step = 0;
    const long faultsBefore = minorFaults();
    for (uint64_t at = 0; at < size; at += second.size(), ++step) {
        ASSERT_TRUE(stream.readDecoded(at, second));
        ASSERT_LE(source.committedBytes(), 0x80000u);
        ASSERT_LE(decoded.committedBytes(), 0x100000u);
        if (step % 20 == 0) {
            // A region is one mapping, which the kernel may merge with a
            // neighbour; smaps tells only when it did not.
            const auto fileKb = residentKb(source.base(), source.size());
            const auto soundKb = residentKb(decoded.base(), decoded.size());
            if (fileKb) {
                ASSERT_LE(*fileKb, 512u);
            }
            if (soundKb) {
                ASSERT_LE(*soundKb, 1024u);
            }
            const uint64_t filePages = residentKbByPage(source.base(), source.size());
            const uint64_t soundPages = residentKbByPage(decoded.base(), decoded.size());
            maxRssKb = std::max(maxRssKb, filePages + soundPages);
            ASSERT_LE(filePages, 512u);
            ASSERT_LE(soundPages, 1024u);
        }
    }
    const long faults = minorFaults() - faultsBefore;
    EXPECT_EQ(stream.failures().value(), 0u);
    // Memory given back is moved ahead of the reader: the units are not
    // faulted in page by page (16 pages a unit) each time. (Under the address
    // sanitizer its shadow of every new address faults in on its own.)
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(faults, static_cast<long>(decoded.unitsProduced() + source.unitsProduced()));
#else
    (void)faults;
#endif
    EXPECT_LE(source.peakCommittedBytes(), 0x80000u);
    EXPECT_LE(decoded.peakCommittedBytes(), 0x100000u);
    EXPECT_GT(maxRssKb, 0u);
    // The whole sound was produced, every unit once; memory went back to the
    // system in runs of half a ring, not unit by unit.
    EXPECT_EQ(decoded.unitsProduced(), decoded.size() / decoded.unitSize());
    EXPECT_LE(decoded.releaseCalls(), decoded.unitsProduced() / 8);
    EXPECT_LE(source.releaseCalls(), source.unitsProduced() / 4);
}

} // namespace
} // namespace fer::test
