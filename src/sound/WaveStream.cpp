#include "sound/WaveStream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "sound/FormatSuggestion.h"
#include "sound/MemoryFill.h"
#include "sound/WaveChunks.h"

namespace fer {

namespace {

constexpr size_t kHeaderBytes = 20 + 18; // RIFF header, "fmt " header, format

uint32_t u32At(const uint8_t* b) {
    return static_cast<uint32_t>(b[0] | b[1] << 8 | b[2] << 16 | uint32_t{b[3]} << 24);
}

} // namespace

bool WaveStream::open(std::shared_ptr<const ByteSource> file) {
    if (!file) {
        failures_.set(kFailHeaderRead);
        return false;
    }
    // Bytes the file holds must be readable; bytes it lacks read as zeros
    // and fail the identifier check.
    std::array<uint8_t, kHeaderBytes> header{};
    const size_t expected = static_cast<size_t>(std::min<uint64_t>(file->size(), kHeaderBytes));
    if (file->readAt(0, std::span<uint8_t>(header.data(), expected)) < expected) {
        failures_.set(kFailHeaderRead);
        return false;
    }
    fileLength_ = u32At(header.data() + 4) + 8u; // wraps to 0 for the largest size
    if (std::memcmp(header.data(), "RIFF", 4) != 0 ||
        std::memcmp(header.data() + 8, "WAVE", 4) != 0 ||
        std::memcmp(header.data() + 12, "fmt ", 4) != 0) {
        failures_.set(kFailBadHeader);
        return false;
    }
    opened_ = source_.open(std::move(file), fileLength_);
    return opened_;
}

int WaveStream::prepareOutput(uint16_t tag, uint16_t channels, uint32_t samplesPerSec,
                              uint16_t bitsPerSample) {
    WaveFormat request;
    request.formatTag = tag;
    request.channels = channels;
    request.samplesPerSec = samplesPerSec;
    request.bitsPerSample = bitsPerSample;
    return prepareOutput(request);
}

int WaveStream::prepareOutput(const WaveFormat& request) {
    if (!opened_ || decoder_) return -1;

    WaveChunks chunks = walkWaveChunks(source_, source_.length(), failures_);
    if (!chunks.usable()) {
        failures_.set(kFailBadHeader);
        return -1;
    }
    sourceFormat_ = std::move(*chunks.format);
    dataOffset_ = chunks.dataOffset;
    dataSize_ = chunks.dataSize;
    factFrames_ = chunks.factFrames;
    hasLoops_ = chunks.hasLoops;
    loops_ = std::move(chunks.loops);

    const WaveFormat completed = completeRequest(sourceFormat_, request);
    const std::optional<WaveFormat> suggested = suggestOutputFormat(sourceFormat_, completed);
    if (!suggested) {
        failures_.set(kFailConversion);
        return -1;
    }
    outputFormat_ = *suggested;

    try {
        decoder_ = std::make_unique<WaveDecoder>();
    } catch (const std::bad_alloc&) {
        failures_.set(kFailNoMemory);
        return -1;
    }
    if (!decoder_->open(source_, sourceFormat_, dataOffset_, dataSize_, factFrames_, outputFormat_,
                        failures_)) {
        failures_.set(kFailConversion);
        return -1;
    }
    if (!decoder_->allocateBlocks()) {
        failures_.set(kFailNoMemory);
        return -1;
    }

    const uint64_t outputFrame = outputFormat_.frameBytes();
    uint64_t size = 0;
    if (factFrames_ != 0) {
        size = outputFrame * factFrames_;
    } else {
        const uint64_t sourceRate = uint64_t{sourceFormat_.bitsPerSample} * sourceFormat_.channels *
                                    sourceFormat_.samplesPerSec;
        if (sourceRate == 0) {
            // Nothing to scale by (some codecs state 0 bits per sample).
            failures_.set(kFailBadHeader);
            return -1;
        }
        const uint64_t outputRate = uint64_t{outputFormat_.bitsPerSample} * outputFormat_.channels *
                                    outputFormat_.samplesPerSec;
        size = static_cast<uint64_t>(static_cast<unsigned __int128>(dataSize_) * outputRate /
                                     sourceRate);
    }
    if (size > 0xFFFFFFFFu) {
        failures_.set(kFailBadHeader);
        return -1;
    }
    decodedSize_ = static_cast<uint32_t>(size);
    decoder_->limitFrames(decodedSize_ / std::max<uint64_t>(outputFrame, 1));

    if (decoded_.open(decodedSize_, [this](uint8_t* unit, size_t length) {
            decodeUnit(unit, length);
        }) == nullptr)
        return -1;
    return 0;
}

void WaveStream::decodeUnit(uint8_t* unit, size_t length) {
    size_t produced = 0;
    const uint32_t block = decoder_ ? decoder_->destinationBlock() : 0;
    if (block != 0) {
        const auto offset = static_cast<uint64_t>(unit - decoded_.base());
        uint64_t k = offset / block;
        size_t skip = static_cast<size_t>(offset % block);
        while (produced < length) {
            const std::span<const uint8_t> bytes = decoder_->convertBlock(k);
            if (bytes.size() <= skip) break;
            const size_t n = std::min(bytes.size() - skip, length - produced);
            std::memcpy(unit + produced, bytes.data() + skip, n);
            produced += n;
            skip = 0;
            if (bytes.size() < block) break; // the end of the sound
            ++k;
        }
    }
    fillSilence(unit + produced, length - produced, outputFormat_.channels,
                outputFormat_.bitsPerSample);
    // The region hands over units that may hold old bytes: whatever silence
    // leaves (less than a frame, or all without a frame size) becomes zeros.
    const size_t frame = size_t{outputFormat_.channels} * (outputFormat_.bitsPerSample / 8u);
    const size_t left = frame == 0 ? length - produced : (length - produced) % frame;
    std::memset(unit + length - left, 0, left);
}

bool WaveStream::readDecoded(uint64_t offset, std::span<uint8_t> destination) {
    if (decoded_.base() == nullptr || offset >= decodedSize_) return destination.empty();
    const size_t n =
        static_cast<size_t>(std::min<uint64_t>(destination.size(), decodedSize_ - offset));
    if (!decoded_.copyOut(decoded_.base() + offset, destination.first(n))) {
        failures_.set(kFailCommit);
        return false;
    }
    return true;
}

} // namespace fer
