#include "sound/WaveDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <sndfile.h>

#include "sound/SoundFailure.h"
#include "sound/WaveSource.h"

namespace fer {

namespace {

// A block never grows past this many bytes of output, whatever the header says.
constexpr uint64_t kMaxBlockBytes = 1 << 20;

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putId(std::vector<uint8_t>& out, const char* id) {
    out.insert(out.end(), id, id + 4);
}

// Output frames per source block for codecs whose blocks hold a fixed number
// of frames; 0 when the format does not say.
uint32_t framesPerSourceBlock(const WaveFormat& f) {
    switch (f.formatTag) {
    case kWaveFormatMsAdpcm:
    case kWaveFormatImaAdpcm: return f.extraWord(0);
    case kWaveFormatGsm610: return 320;
    case kWaveFormatPcm:
    case kWaveFormatIeeeFloat:
    case kWaveFormatALaw:
    case kWaveFormatMuLaw:
    case kWaveFormatExtensible: return 1;
    default: return 0;
    }
}

} // namespace

struct WaveDecoder::VirtualFile {
    std::vector<uint8_t> header;
    WaveSource* source = nullptr;
    FailureWord* failures = nullptr;
    uint64_t dataOffset = 0;
    uint64_t dataSize = 0;
    int64_t position = 0;

    int64_t length() const { return static_cast<int64_t>(header.size() + dataSize); }

    static sf_count_t getLength(void* self) { return static_cast<VirtualFile*>(self)->length(); }

    static sf_count_t seek(sf_count_t offset, int whence, void* self) {
        auto* f = static_cast<VirtualFile*>(self);
        int64_t base = 0;
        if (whence == SEEK_CUR) base = f->position;
        if (whence == SEEK_END) base = f->length();
        const int64_t target = base + offset;
        if (target < 0) return -1;
        f->position = target;
        return target;
    }

    static sf_count_t read(void* destination, sf_count_t count, void* self) {
        auto* f = static_cast<VirtualFile*>(self);
        auto* out = static_cast<uint8_t*>(destination);
        if (count <= 0 || f->position >= f->length()) return 0;
        const auto n = static_cast<uint64_t>(std::min<int64_t>(count, f->length() - f->position));
        auto at = static_cast<uint64_t>(f->position);
        uint64_t done = 0;
        if (at < f->header.size()) {
            done = std::min<uint64_t>(n, f->header.size() - at);
            std::memcpy(out, f->header.data() + at, done);
            at += done;
        }
        if (done < n) {
            const uint64_t inData = at - f->header.size();
            if (!f->source->read(f->dataOffset + inData,
                                 std::span<uint8_t>(out + done, n - done))) {
                f->failures->set(kFailCommit);
                f->position += static_cast<int64_t>(done);
                return static_cast<sf_count_t>(done);
            }
            done = n;
        }
        f->position += static_cast<int64_t>(done);
        return static_cast<sf_count_t>(done);
    }

    static sf_count_t write(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t tell(void* self) { return static_cast<VirtualFile*>(self)->position; }
};

void WaveDecoder::SndFileCloser::operator()(sf_private_tag* file) const {
    sf_close(file);
}

WaveDecoder::WaveDecoder() = default;
WaveDecoder::~WaveDecoder() = default;

bool WaveDecoder::open(WaveSource& source, const WaveFormat& sourceFormat, uint32_t dataOffset,
                       uint32_t dataSize, uint32_t factFrames, const WaveFormat& output,
                       FailureWord& failures) {
    source_ = sourceFormat;
    destination_ = output;
    file_ = std::make_unique<VirtualFile>();
    file_->source = &source;
    file_->failures = &failures;
    file_->dataOffset = dataOffset;
    file_->dataSize = dataSize;

    // The canonical file: "fmt " (16 bytes for PCM, else the whole format,
    // padded to an even size), "fact" when known, then "data".
    std::vector<uint8_t> format = sourceFormat.toBytes();
    if (sourceFormat.formatTag == kWaveFormatPcm) format.resize(16);
    if (format.size() % 2 != 0) format.push_back(0);
    std::vector<uint8_t>& h = file_->header;
    putId(h, "RIFF");
    put32(h, 0); // patched below
    putId(h, "WAVE");
    putId(h, "fmt ");
    put32(h, static_cast<uint32_t>(format.size()));
    h.insert(h.end(), format.begin(), format.end());
    if (factFrames != 0 && sourceFormat.formatTag != kWaveFormatPcm) {
        putId(h, "fact");
        put32(h, 4);
        put32(h, factFrames);
    }
    putId(h, "data");
    put32(h, dataSize);
    const uint64_t riff = std::min<uint64_t>(h.size() - 8 + uint64_t{dataSize}, 0xFFFFFFFFu);
    for (int i = 0; i < 4; ++i) h[4 + i] = static_cast<uint8_t>(riff >> (8 * i));

    SF_VIRTUAL_IO io{};
    io.get_filelen = &VirtualFile::getLength;
    io.seek = &VirtualFile::seek;
    io.read = &VirtualFile::read;
    io.write = &VirtualFile::write;
    io.tell = &VirtualFile::tell;
    SF_INFO info{};
    sndfile_.reset(sf_open_virtual(&io, SFM_READ, &info, file_.get()));
    if (!sndfile_) {
        result_ = sf_error(nullptr);
        if (result_ == 0) result_ = -1;
        return false;
    }
    // libsndfile must see the shape the output was chosen for.
    if (info.channels != sourceFormat.channels || info.channels <= 0 || info.frames < 0) {
        result_ = -1;
        sndfile_.reset();
        return false;
    }
    sf_command(sndfile_.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    channels_ = info.channels;
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    floatSamples_ = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
    frames_ = static_cast<uint64_t>(info.frames);
    frameLimit_ = frames_;
    result_ = 0;
    return true;
}

bool WaveDecoder::allocateBlocks() {
    const uint64_t rate = source_.samplesPerSec;
    const uint32_t perSourceBlock = framesPerSourceBlock(source_);
    uint64_t frames = 0;
    if (source_.formatTag == kWaveFormatPcm) {
        // One second of sound.
        frames = rate;
        sourceBlock_ = static_cast<uint32_t>(uint64_t{source_.bitsPerSample} * source_.channels /
                                             8 * source_.samplesPerSec);
    } else if (perSourceBlock != 0) {
        const uint64_t blocks = std::max<uint64_t>(1, (rate + perSourceBlock - 1) / perSourceBlock);
        frames = blocks * perSourceBlock;
        sourceBlock_ =
            static_cast<uint32_t>(std::min<uint64_t>(blocks * source_.blockAlign, 0xFFFFFFFFu));
    } else {
        frames = rate;
        sourceBlock_ = source_.avgBytesPerSec;
    }
    const uint64_t frameBytes = std::max<uint32_t>(destination_.frameBytes(), 1);
    frames = std::clamp<uint64_t>(frames, 1, kMaxBlockBytes / frameBytes);
    if (frames == 0) frames = 1;
    framesPerBlock_ = static_cast<uint32_t>(frames);
    destinationBlock_ = static_cast<uint32_t>(frames * frameBytes);
    try {
        samples_.assign(frames * static_cast<uint64_t>(channels_), 0);
        if (floatSamples_) floats_.assign(samples_.size(), 0.0f);
        converted_.assign(destinationBlock_, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void WaveDecoder::limitFrames(uint64_t frames) {
    frameLimit_ = std::min(frames_, frames);
}

std::span<const uint8_t> WaveDecoder::convertBlock(uint64_t k) {
    if (!sndfile_ || framesPerBlock_ == 0) return {};
    if (static_cast<int64_t>(k) == lastBlock_) return {converted_.data(), lastBytes_};
    const uint64_t first = k * framesPerBlock_;
    if (first >= frameLimit_) return {};
    if (position_ != first) {
        if (sf_seek(sndfile_.get(), static_cast<sf_count_t>(first), SEEK_SET) < 0) {
            result_ = sf_error(sndfile_.get());
            lastBlock_ = -1;
            position_ = ~uint64_t{0};
            return {};
        }
        position_ = first;
    }
    const uint64_t want = std::min<uint64_t>(framesPerBlock_, frameLimit_ - first);
    sf_count_t got = 0;
    if (floatSamples_) {
        // libsndfile gives floats as integers unscaled; scale them to the
        // full 32-bit range here.
        got = sf_readf_float(sndfile_.get(), floats_.data(), static_cast<sf_count_t>(want));
        const size_t count =
            got > 0 ? static_cast<size_t>(got) * static_cast<size_t>(channels_) : 0;
        for (size_t i = 0; i < count; ++i) {
            const double v = std::clamp(static_cast<double>(floats_[i]) * 2147483648.0,
                                        -2147483648.0, 2147483647.0);
            samples_[i] = static_cast<int32_t>(std::lrint(v));
        }
    } else {
        got = sf_readf_int(sndfile_.get(), samples_.data(), static_cast<sf_count_t>(want));
    }
    const uint64_t n = got > 0 ? static_cast<uint64_t>(got) : 0;
    position_ += n;
    ++conversions_;

    const size_t count = static_cast<size_t>(n) * static_cast<size_t>(channels_);
    uint8_t* out = converted_.data();
    const int32_t* in = samples_.data();
    switch (destination_.bitsPerSample) {
    case 8:
        for (size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>((in[i] >> 24) + 128);
        break;
    case 16:
        for (size_t i = 0; i < count; ++i) {
            const auto v = static_cast<uint32_t>(in[i]) >> 16;
            out[2 * i] = static_cast<uint8_t>(v);
            out[2 * i + 1] = static_cast<uint8_t>(v >> 8);
        }
        break;
    case 24:
        for (size_t i = 0; i < count; ++i) {
            const auto v = static_cast<uint32_t>(in[i]) >> 8;
            out[3 * i] = static_cast<uint8_t>(v);
            out[3 * i + 1] = static_cast<uint8_t>(v >> 8);
            out[3 * i + 2] = static_cast<uint8_t>(v >> 16);
        }
        break;
    default:
        for (size_t i = 0; i < count; ++i) {
            const auto v = static_cast<uint32_t>(in[i]);
            std::memcpy(out + 4 * i, &v, 4); // little-endian host
        }
        break;
    }
    lastBlock_ = static_cast<int64_t>(k);
    lastBytes_ = static_cast<size_t>(n) * destination_.frameBytes();
    return {converted_.data(), lastBytes_};
}

} // namespace fer
