#include "sound/FormatSuggestion.h"

namespace fer {

WaveFormat completeRequest(const WaveFormat& source, const WaveFormat& request) {
    WaveFormat out = request;
    if (out.formatTag == 0) out.formatTag = kWaveFormatPcm;
    if (out.channels == 0) out.channels = source.channels;
    if (out.samplesPerSec == 0) out.samplesPerSec = source.samplesPerSec;
    if (out.formatTag == source.formatTag) {
        if (out.bitsPerSample == 0) out.bitsPerSample = source.bitsPerSample;
        if (out.channels == source.channels && out.samplesPerSec == source.samplesPerSec &&
            out.bitsPerSample == source.bitsPerSample) {
            out = source;
            if (out.formatTag == kWaveFormatPcm) {
                out.cbSize = 0;
                out.extra.clear();
            }
        }
    }
    return out;
}

std::optional<WaveFormat> suggestOutputFormat(const WaveFormat& source, const WaveFormat& request) {
    if (request.formatTag != 0 && request.formatTag != kWaveFormatPcm) return std::nullopt;
    if (request.channels != 0 && request.channels != source.channels) return std::nullopt;
    if (request.samplesPerSec != 0 && request.samplesPerSec != source.samplesPerSec)
        return std::nullopt;
    uint16_t bits = request.bitsPerSample;
    if (bits == 0) bits = source.formatTag == kWaveFormatPcm ? source.bitsPerSample : 16;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
    if (source.channels == 0 || source.samplesPerSec == 0) return std::nullopt;
    WaveFormat out = WaveFormat::pcm(source.channels, source.samplesPerSec, bits);
    // PCM in the source's own shape is the source's header unchanged.
    if (source.formatTag == kWaveFormatPcm && bits == source.bitsPerSample &&
        source.blockAlign == out.blockAlign) {
        out = source;
        out.cbSize = 0;
        out.extra.clear();
    }
    return out;
}

} // namespace fer
