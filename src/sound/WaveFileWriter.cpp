#include "sound/WaveFileWriter.h"

#include <array>
#include <cstring>
#include <unistd.h>

namespace fer {

namespace {
constexpr uint32_t kHeaderBytes = 44;
// The largest data chunk whose sizes still fit the header's 32-bit fields.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kHeaderBytes - 8);

void put16(uint8_t* p, uint16_t v) {
    std::memcpy(p, &v, 2);
}
void put32(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}
} // namespace

WaveFileWriter::WaveFileWriter(const std::filesystem::path& path, const AudioFormat& format,
                               WriteOutcome* outcome)
    : format_(format) {
    file_ = createFileInPlace(path, outcome);
    if (!file_.isOpen()) return;
    std::array<uint8_t, kHeaderBytes> h{};
    const auto channels = static_cast<uint16_t>(format.channels);
    const auto rate = static_cast<uint32_t>(format.sampleRate);
    std::memcpy(h.data(), "RIFF", 4);
    put32(h.data() + 4, kHeaderBytes - 8);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    put32(h.data() + 16, 16);
    put16(h.data() + 20, 1); // PCM
    put16(h.data() + 22, channels);
    put32(h.data() + 24, rate);
    put32(h.data() + 28, rate * channels * 2u);
    put16(h.data() + 32, static_cast<uint16_t>(channels * 2u));
    put16(h.data() + 34, 16);
    std::memcpy(h.data() + 36, "data", 4);
    put32(h.data() + 40, 0);
    failed_ = !file_.writeAll(h);
}

bool WaveFileWriter::append(std::span<const int16_t> samples) {
    if (!isOpen()) return false;
    const uint64_t bytes = samples.size_bytes();
    if (dataBytes_ + bytes > kMaxDataBytes) return false; // the format holds no more
    if (!file_.writeAll({reinterpret_cast<const uint8_t*>(samples.data()), samples.size_bytes()})) {
        failed_ = true;
        return false;
    }
    dataBytes_ += bytes;
    return writeSizes();
}

bool WaveFileWriter::writeSizes() {
    uint8_t riff[4], data[4];
    put32(riff, static_cast<uint32_t>(kHeaderBytes - 8 + dataBytes_));
    put32(data, static_cast<uint32_t>(dataBytes_));
    const int fd = file_.descriptor();
    if (::pwrite(fd, riff, 4, 4) != 4 || ::pwrite(fd, data, 4, 40) != 4) failed_ = true;
    return !failed_;
}

bool WaveFileWriter::close() {
    if (!file_.isOpen()) return false;
    const bool ok = !failed_ && writeSizes();
    return file_.close() && ok;
}

} // namespace fer
