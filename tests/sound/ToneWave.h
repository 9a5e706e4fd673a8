#pragma once
// Wave files of sine tones made by the tests themselves, and a Goertzel
// filter that tells how strongly a tone sounds in a stretch of a recording.

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace fer::test {

// One stretch of a tone: frequency (0 = silence), seconds, amplitude 0..1.
struct ToneSpan {
    double frequency;
    double seconds;
    double amplitude = 0.5;
};

// A loop of the "smpl" chunk, in frames (end inclusive); count 0 = endless.
struct ToneLoop {
    uint32_t start;
    uint32_t end;
    uint32_t count;
};

struct ToneWave {
    uint32_t rate = 22050;
    uint16_t channels = 1;
    uint16_t bits = 16;
    std::vector<ToneSpan> spans{};
    std::vector<ToneLoop> loops{};

    uint32_t frames() const {
        double s = 0;
        for (const ToneSpan& t : spans) s += t.seconds;
        return static_cast<uint32_t>(std::lround(s * rate));
    }

    std::vector<uint8_t> bytes() const {
        auto put16 = [](std::vector<uint8_t>& o, uint32_t v) {
            o.push_back(static_cast<uint8_t>(v));
            o.push_back(static_cast<uint8_t>(v >> 8));
        };
        auto put32 = [&](std::vector<uint8_t>& o, uint32_t v) {
            put16(o, v & 0xFFFF);
            put16(o, v >> 16);
        };
        std::vector<uint8_t> data;
        double phase = 0;
        for (const ToneSpan& t : spans) {
            const auto n = static_cast<uint32_t>(std::lround(t.seconds * rate));
            for (uint32_t i = 0; i < n; ++i) {
                const double v = t.frequency > 0 ? t.amplitude * std::sin(phase) : 0.0;
                phase += 2 * std::numbers::pi * t.frequency / rate;
                for (uint16_t c = 0; c < channels; ++c) {
                    if (bits == 8)
                        data.push_back(static_cast<uint8_t>(std::lround(128 + 127 * v)));
                    else
                        put16(data, static_cast<uint16_t>(static_cast<int16_t>(std::lround(32767 * v))));
                }
            }
        }
        std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
                                    'f', 'm', 't', ' '};
        put32(out, 16);
        put16(out, 1);
        put16(out, channels);
        put32(out, rate);
        put32(out, rate * channels * bits / 8);
        put16(out, static_cast<uint16_t>(channels * bits / 8));
        put16(out, bits);
        if (!loops.empty()) {
            out.insert(out.end(), {'s', 'm', 'p', 'l'});
            put32(out, 36 + 24 * static_cast<uint32_t>(loops.size()));
            for (int i = 0; i < 7; ++i) put32(out, 0);
            put32(out, static_cast<uint32_t>(loops.size()));
            put32(out, 0);
            uint32_t id = 0;
            for (const ToneLoop& l : loops) {
                put32(out, id++);
                put32(out, 0);
                put32(out, l.start);
                put32(out, l.end);
                put32(out, 0);
                put32(out, l.count);
            }
        }
        out.insert(out.end(), {'d', 'a', 't', 'a'});
        put32(out, static_cast<uint32_t>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
        const auto riff = static_cast<uint32_t>(out.size() - 8);
        for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
        return out;
    }

    void write(const std::filesystem::path& path) const {
        const std::vector<uint8_t> b = bytes();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
};

// Interleaved 16-bit frames with their format.
struct Recording {
    int rate = 48000;
    int channels = 2;
    std::vector<int16_t> samples;

    double seconds() const {
        return static_cast<double>(samples.size()) / channels / rate;
    }
};

// The amplitude (0..1 of full scale) of a tone in [from, to) seconds of the
// first channel, by a Goertzel filter; 0 for an empty stretch.
inline double toneLevel(const Recording& r, double frequency, double from, double to) {
    const auto total = static_cast<long>(r.samples.size() / static_cast<size_t>(r.channels));
    const long a = std::max(0L, static_cast<long>(from * r.rate));
    const long b = std::min(total, static_cast<long>(to * r.rate));
    if (b <= a) return 0;
    const double w = 2 * std::numbers::pi * frequency / r.rate;
    const double coeff = 2 * std::cos(w);
    double s1 = 0;
    double s2 = 0;
    for (long i = a; i < b; ++i) {
        const double x = r.samples[static_cast<size_t>(i * r.channels)] / 32768.0;
        const double s = x + coeff * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return 2 * std::sqrt(std::max(0.0, power)) / static_cast<double>(b - a);
}

// The RMS level (0..1) of [from, to) seconds over all channels.
inline double rmsLevel(const Recording& r, double from, double to) {
    const auto ch = static_cast<size_t>(r.channels);
    const size_t total = r.samples.size() / ch;
    const auto a = static_cast<size_t>(std::max(0.0, from * r.rate));
    const size_t b = std::min(total, static_cast<size_t>(std::max(0.0, to * r.rate)));
    if (b <= a) return 0;
    double sum = 0;
    for (size_t i = a * ch; i < b * ch; ++i) sum += (r.samples[i] / 32768.0) * (r.samples[i] / 32768.0);
    return std::sqrt(sum / static_cast<double>((b - a) * ch));
}

// The first time from `from` on where the RMS over 5 ms windows rises above
// (rising) or stays below (falling) the threshold; -1 when it never does.
inline double levelCrossing(const Recording& r, double from, double threshold, bool rising) {
    const double window = 0.005;
    for (double t = from; t + window <= r.seconds(); t += window) {
        const double level = rmsLevel(r, t, t + window);
        if (rising ? level > threshold : level < threshold) return t;
    }
    return -1;
}

// A 16-bit PCM wave file (as --audio-out writes it).
inline Recording readRecording(const std::filesystem::path& path) {
    Recording r;
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 44) return r;
    r.channels = b[22] | b[23] << 8;
    r.rate = static_cast<int>(b[24] | b[25] << 8 | b[26] << 16 | uint32_t{b[27]} << 24);
    // Walk the chunks to "data".
    size_t at = 12;
    while (at + 8 <= b.size()) {
        const uint32_t size = static_cast<uint32_t>(b[at + 4] | b[at + 5] << 8 | b[at + 6] << 16 |
                                                    uint32_t{b[at + 7]} << 24);
        if (std::equal(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4, "data")) {
            const size_t n = std::min<size_t>(size, b.size() - at - 8) / 2;
            r.samples.resize(n);
            for (size_t i = 0; i < n; ++i)
                r.samples[i] = static_cast<int16_t>(b[at + 8 + 2 * i] | b[at + 9 + 2 * i] << 8);
            break;
        }
        at += 8 + size + (size & 1);
    }
    return r;
}

} // namespace fer::test
