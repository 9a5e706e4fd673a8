#include "sound/WaveDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <sndfile.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "sound/ImaAdpcmBlock.h"
#include "sound/SoundFailure.h"
#include "sound/WaveSource.h"

namespace fer {

namespace {

// A block never grows past this many bytes of output, whatever the header says.
constexpr uint64_t kMaxBlockBytes = 1 << 20;
// A block is a second of sound, but never fewer frames than this: a header
// that states a rate of a few frames a second would otherwise have the sound
// converted a frame or two at a time (a million library calls for a few
// seconds of output).
constexpr uint64_t kMinBlockFrames = 4096;

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

// Sample kinds read straight from PCM data, and the 32-bit value libsndfile
// would give for each (its integer reading of them, or the scaled float).
enum class PcmSample : uint8_t { U8, S16, S24, S32, F32 };

template <PcmSample S>
constexpr size_t kSampleBytes = S == PcmSample::U8    ? 1
                                : S == PcmSample::S16 ? 2
                                : S == PcmSample::S24 ? 3
                                                      : 4;

// A float scaled to the full 32-bit range and rounded to nearest even, as
// lrint does; NaN gives 0 (the low half of lrint's result for it).
inline int32_t scaledFloat(float f) {
    double v = static_cast<double>(f) * 2147483648.0;
    if (v != v) return 0;
    v = std::clamp(v, -2147483648.0, 2147483647.0);
    // Adding and taking away 1.5 × 2^52 rounds in the current (nearest)
    // mode; strict floating point keeps the pair.
    constexpr double kRound = 6755399441055744.0;
    return static_cast<int32_t>((v + kRound) - kRound);
}

template <PcmSample S> inline int32_t widen(const uint8_t* p) {
    if constexpr (S == PcmSample::U8) {
        return static_cast<int32_t>((uint32_t{p[0]} ^ 0x80u) << 24);
    } else if constexpr (S == PcmSample::S16) {
        return static_cast<int32_t>(uint32_t{p[0]} << 16 | uint32_t{p[1]} << 24);
    } else if constexpr (S == PcmSample::S24) {
        return static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 |
                                    uint32_t{p[2]} << 24);
    } else if constexpr (S == PcmSample::S32) {
        return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                    uint32_t{p[3]} << 24);
    } else {
        float f = 0;
        std::memcpy(&f, p, 4); // little-endian host
        return scaledFloat(f);
    }
}

// A 32-bit sample narrowed to the output's bits, little-endian.
template <int Bits> inline void narrow(uint8_t* out, int32_t sample) {
    const auto v = static_cast<uint32_t>(sample);
    if constexpr (Bits == 8) {
        out[0] = static_cast<uint8_t>((sample >> 24) + 128);
    } else if constexpr (Bits == 16) {
        out[0] = static_cast<uint8_t>(v >> 16);
        out[1] = static_cast<uint8_t>(v >> 24);
    } else if constexpr (Bits == 24) {
        out[0] = static_cast<uint8_t>(v >> 8);
        out[1] = static_cast<uint8_t>(v >> 16);
        out[2] = static_cast<uint8_t>(v >> 24);
    } else {
        std::memcpy(out, &v, 4); // little-endian host
    }
}

#if defined(__SSE2__)
// Two scaled floats (widen<F32>) into 16-bit samples.
inline void floatsTo16(const uint8_t* in, uint8_t* out) {
    const __m128d scale = _mm_set1_pd(2147483648.0);
    const __m128d low = _mm_set1_pd(-2147483648.0);
    const __m128d high = _mm_set1_pd(2147483647.0);
    const __m128d round = _mm_set1_pd(6755399441055744.0);
    const __m128 f = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in)));
    __m128d v = _mm_mul_pd(_mm_cvtps_pd(f), scale);
    v = _mm_and_pd(v, _mm_cmpord_pd(v, v)); // NaN gives 0
    v = _mm_min_pd(_mm_max_pd(v, low), high);
    v = _mm_sub_pd(_mm_add_pd(v, round), round);
    __m128i r = _mm_srai_epi32(_mm_cvttpd_epi32(v), 16);
    r = _mm_packs_epi32(r, r); // already in range
    const auto two = static_cast<uint32_t>(_mm_cvtsi128_si32(r));
    std::memcpy(out, &two, 4); // little-endian host
}
#endif

template <PcmSample S, int Bits> void convertPcmSamples(const uint8_t* in, uint8_t* out, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    if constexpr (S == PcmSample::F32 && Bits == 16)
        for (; i + 2 <= n; i += 2) floatsTo16(in + 4 * i, out + 2 * i);
#endif
    for (; i < n; ++i) narrow<Bits>(out + i * (Bits / 8), widen<S>(in + i * kSampleBytes<S>));
}

template <PcmSample S> void (*pcmConverterFor(int bits))(const uint8_t*, uint8_t*, size_t) {
    switch (bits) {
    case 8: return &convertPcmSamples<S, 8>;
    case 16: return &convertPcmSamples<S, 16>;
    case 24: return &convertPcmSamples<S, 24>;
    case 32: return &convertPcmSamples<S, 32>;
    default: return nullptr;
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
    choosePath(subtype);
    return true;
}

void WaveDecoder::choosePath(int subtype) {
    path_ = Path::Library;
    const int outBits = destination_.bitsPerSample;
    const uint32_t channels = source_.channels;
    // Plain PCM (or floats) laid out as libsndfile reads it: frames of
    // channels × bytes, the bytes stated by the bits.
    const bool pcmTag = source_.formatTag == kWaveFormatPcm ||
                        source_.formatTag == kWaveFormatIeeeFloat ||
                        source_.formatTag == kWaveFormatExtensible;
    if (pcmTag && source_.bitsPerSample % 8 == 0 &&
        source_.blockAlign == channels * (source_.bitsPerSample / 8u)) {
        const uint16_t bits = source_.bitsPerSample;
        bool known = true;
        switch (subtype) {
        case SF_FORMAT_PCM_U8: pcmConverter_ = pcmConverterFor<PcmSample::U8>(outBits); break;
        case SF_FORMAT_PCM_16: pcmConverter_ = pcmConverterFor<PcmSample::S16>(outBits); break;
        case SF_FORMAT_PCM_24: pcmConverter_ = pcmConverterFor<PcmSample::S24>(outBits); break;
        case SF_FORMAT_PCM_32: pcmConverter_ = pcmConverterFor<PcmSample::S32>(outBits); break;
        case SF_FORMAT_FLOAT: pcmConverter_ = pcmConverterFor<PcmSample::F32>(outBits); break;
        default: known = false; break;
        }
        const int sampleBits = subtype == SF_FORMAT_PCM_U8   ? 8
                               : subtype == SF_FORMAT_PCM_16 ? 16
                               : subtype == SF_FORMAT_PCM_24 ? 24
                                                             : 32;
        if (known && bits == sampleBits && pcmConverter_ != nullptr) {
            // Integers of the output's own width pass unchanged.
            if (subtype != SF_FORMAT_FLOAT && bits == outBits) pcmConverter_ = nullptr;
            sourceFrameBytes_ = source_.blockAlign;
            path_ = Path::Pcm;
            return;
        }
        pcmConverter_ = nullptr;
    }
    if (outBits != 16 || floatSamples_) return;
    path_ = Path::Library16;
    // IMA ADPCM whose header agrees with its block size: libsndfile counted
    // the frames, the blocks are decoded here.
    if (subtype == SF_FORMAT_IMA_ADPCM && source_.formatTag == kWaveFormatImaAdpcm &&
        source_.bitsPerSample == 4 && (channels == 1 || channels == 2) &&
        imaAdpcmFramesPerBlock(source_.blockAlign, channels) != 0 &&
        source_.extraWord(0) == imaAdpcmFramesPerBlock(source_.blockAlign, channels))
        path_ = Path::ImaAdpcm;
}

bool WaveDecoder::allocateBlocks() {
    const uint64_t rate = source_.samplesPerSec;
    // One second of sound, or the least a block holds.
    const uint64_t wanted = std::max(rate, kMinBlockFrames);
    const uint32_t perSourceBlock = framesPerSourceBlock(source_);
    uint64_t frames = 0;
    if (source_.formatTag == kWaveFormatPcm) {
        frames = wanted;
        sourceBlock_ = static_cast<uint32_t>(std::min<uint64_t>(
            uint64_t{source_.bitsPerSample} * source_.channels / 8 * wanted, 0xFFFFFFFFu));
    } else if (perSourceBlock != 0) {
        const uint64_t blocks = (wanted + perSourceBlock - 1) / perSourceBlock;
        frames = blocks * perSourceBlock;
        sourceBlock_ =
            static_cast<uint32_t>(std::min<uint64_t>(blocks * source_.blockAlign, 0xFFFFFFFFu));
    } else {
        frames = wanted;
        sourceBlock_ = static_cast<uint32_t>(
            std::min<uint64_t>(uint64_t{source_.avgBytesPerSec} * wanted / std::max<uint64_t>(rate, 1),
                               0xFFFFFFFFu));
    }
    const uint64_t frameBytes = std::max<uint32_t>(destination_.frameBytes(), 1);
    frames = std::clamp<uint64_t>(frames, 1, kMaxBlockBytes / frameBytes);
    if (frames == 0) frames = 1;
    framesPerBlock_ = static_cast<uint32_t>(frames);
    destinationBlock_ = static_cast<uint32_t>(frames * frameBytes);
    try {
        switch (path_) {
        case Path::Library:
            samples_.assign(frames * static_cast<uint64_t>(channels_), 0);
            if (floatSamples_) floats_.assign(samples_.size(), 0.0f);
            break;
        case Path::Library16: break;
        case Path::ImaAdpcm: raw_.assign(sourceBlock_, 0); break;
        case Path::Pcm:
            if (pcmConverter_ != nullptr) raw_.assign(frames * sourceFrameBytes_, 0);
            break;
        }
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
    const uint64_t want = std::min<uint64_t>(framesPerBlock_, frameLimit_ - first);
    uint64_t n = 0;
    switch (path_) {
    case Path::Pcm: n = convertPcm(first, want); break;
    case Path::ImaAdpcm: n = convertImaAdpcm(first, want); break;
    case Path::Library:
    case Path::Library16:
        if (!seekLibrary(first)) return {};
        n = convertThroughLibrary(want);
        break;
    }
    ++conversions_;
    lastBlock_ = static_cast<int64_t>(k);
    lastBytes_ = static_cast<size_t>(n) * destination_.frameBytes();
    return {converted_.data(), lastBytes_};
}

bool WaveDecoder::seekLibrary(uint64_t frame) {
    if (position_ == frame) return true;
    if (sf_seek(sndfile_.get(), static_cast<sf_count_t>(frame), SEEK_SET) < 0) {
        result_ = sf_error(sndfile_.get());
        lastBlock_ = -1;
        position_ = ~uint64_t{0};
        return false;
    }
    position_ = frame;
    return true;
}

uint64_t WaveDecoder::convertPcm(uint64_t first, uint64_t frames) {
    uint8_t* into = pcmConverter_ != nullptr ? raw_.data() : converted_.data();
    const uint64_t bytes = frames * sourceFrameBytes_;
    if (!file_->source->read(file_->dataOffset + first * sourceFrameBytes_,
                             std::span<uint8_t>(into, static_cast<size_t>(bytes)))) {
        file_->failures->set(kFailCommit);
        return 0;
    }
    if (pcmConverter_ != nullptr)
        pcmConverter_(raw_.data(), converted_.data(),
                      static_cast<size_t>(frames) * static_cast<size_t>(channels_));
    return frames;
}

uint64_t WaveDecoder::convertImaAdpcm(uint64_t first, uint64_t frames) {
    const uint32_t align = source_.blockAlign;
    const uint32_t channels = source_.channels;
    const uint32_t perBlock = imaAdpcmFramesPerBlock(align, channels);
    // first is a whole number of source blocks into the data.
    const uint64_t offset = first / perBlock * align;
    const uint64_t blocks = (frames + perBlock - 1) / perBlock;
    const uint64_t bytes = std::min<uint64_t>(blocks * align, raw_.size());
    // Bytes past the data (a short last block) read as zeros.
    const uint64_t inData = offset < file_->dataSize
                                ? std::min<uint64_t>(bytes, file_->dataSize - offset)
                                : 0;
    std::fill(raw_.begin() + static_cast<std::ptrdiff_t>(inData),
              raw_.begin() + static_cast<std::ptrdiff_t>(bytes), uint8_t{0});
    if (!file_->source->read(file_->dataOffset + offset,
                             std::span<uint8_t>(raw_.data(), static_cast<size_t>(inData)))) {
        file_->failures->set(kFailCommit);
        return 0;
    }
    auto* out = reinterpret_cast<int16_t*>(converted_.data()); // little-endian host
    std::vector<int16_t>& last = imaLast_;
    for (uint64_t b = 0; b < blocks; ++b) {
        const uint64_t done = b * perBlock;
        const uint8_t* block = raw_.data() + b * align;
        if (frames - done >= perBlock) {
            decodeImaAdpcmBlock(block, align, channels, out + done * channels);
        } else {
            // The last block only partly wanted: decoded aside.
            last.resize(size_t{perBlock} * channels);
            decodeImaAdpcmBlock(block, align, channels, last.data());
            std::copy_n(last.data(), (frames - done) * channels, out + done * channels);
        }
    }
    return frames;
}

uint64_t WaveDecoder::convertThroughLibrary(uint64_t want) {
    sf_count_t got = 0;
    if (path_ == Path::Library16) {
        // The codec's own 16-bit samples, little-endian like the output.
        got = sf_readf_short(sndfile_.get(), reinterpret_cast<short*>(converted_.data()),
                             static_cast<sf_count_t>(want));
        const uint64_t n = got > 0 ? static_cast<uint64_t>(got) : 0;
        position_ += n;
        return n;
    }
    if (floatSamples_) {
        // libsndfile gives floats as integers unscaled; scale them to the
        // full 32-bit range here.
        got = sf_readf_float(sndfile_.get(), floats_.data(), static_cast<sf_count_t>(want));
        const size_t count =
            got > 0 ? static_cast<size_t>(got) * static_cast<size_t>(channels_) : 0;
        for (size_t i = 0; i < count; ++i) samples_[i] = scaledFloat(floats_[i]);
    } else {
        got = sf_readf_int(sndfile_.get(), samples_.data(), static_cast<sf_count_t>(want));
    }
    const uint64_t n = got > 0 ? static_cast<uint64_t>(got) : 0;
    position_ += n;

    const size_t count = static_cast<size_t>(n) * static_cast<size_t>(channels_);
    uint8_t* out = converted_.data();
    const int32_t* in = samples_.data();
    switch (destination_.bitsPerSample) {
    case 8:
        for (size_t i = 0; i < count; ++i) narrow<8>(out + i, in[i]);
        break;
    case 16:
        for (size_t i = 0; i < count; ++i) narrow<16>(out + 2 * i, in[i]);
        break;
    case 24:
        for (size_t i = 0; i < count; ++i) narrow<24>(out + 3 * i, in[i]);
        break;
    default:
        for (size_t i = 0; i < count; ++i) narrow<32>(out + 4 * i, in[i]);
        break;
    }
    return n;
}

} // namespace fer
