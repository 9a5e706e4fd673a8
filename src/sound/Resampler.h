#pragma once
// Converts a stream of float frames from one sample rate to another,
// pulling its input as it needs it. A polyphase windowed-sinc filter (24
// taps when the rate rises, more when it falls; Kaiser window, beta 7): when
// the two rates reduce to a ratio of at most 4096 output frames to their
// input frames (22050 or 44100 Hz to 48000 Hz: 320/147 and 160/147), it
// keeps one row of coefficients for every position an output can take
// between two input frames, so each output is one exact dot product;
// otherwise 1024 rows and the nearest. What lies above the lower Nyquist
// frequency is suppressed by about 70 dB, so nothing aliases and no images
// of the input's spectrum are heard. Channels are held apart, each a plain
// row of floats, so the dot products run eight lanes at a time. One per
// playing ring; used by the mixer's thread only.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace fer {

class Resampler {
  public:
    // Fills up to `frames` interleaved frames at `destination`; returns how
    // many it wrote.
    using Pull = std::function<size_t(float* destination, size_t frames)>;
    static constexpr uint32_t kMaxExactPhases = 4096;
    static constexpr uint32_t kPhases = 1024; // when the ratio is not that simple
    static constexpr size_t kPullFrames = 256;

    // channels: interleaved channels of input and output (1 to 8).
    Resampler(int channels, int inputRate, int outputRate);

    // Writes `frames` interleaved frames to out; when the input runs dry
    // (pull gives 0) the rest is left as it was and the count written is
    // returned.
    size_t read(float* out, size_t frames, const Pull& pull);

    int taps() const { return taps_; }
    // The rows of coefficients: the positions an output takes between two
    // input frames.
    uint32_t phases() const { return rows_; }

  private:
    // Drops the frames no later output needs, then pulls more. False when
    // the input gave nothing.
    bool refill(const Pull& pull);

    size_t channels_;
    int taps_;
    size_t width_;   // taps_ rounded up to a multiple of 8; the rest are 0
    uint32_t rows_;  // rows of the table, besides the last (which is row 0 one frame on)
    uint64_t denominator_; // the fraction of an input frame an output lies at is phase_ / denominator_
    uint64_t increment_;   // input frames per output frame, times denominator_
    size_t whole_;         // its whole frames
    uint64_t part_;        // and the rest, in 1/denominator_
    bool exact_ = false;   // a row for every position
    std::vector<float> table_;             // (rows_ + 1) rows of width_ coefficients
    std::vector<std::vector<float>> planes_; // per channel, the oldest frame first
    std::vector<float> pulled_;            // interleaved frames on their way in
    size_t frames_ = 0;   // frames held in each plane
    size_t position_ = 0; // the input frame the next output follows
    uint64_t phase_ = 0;  // and how far past it, in 1/denominator_
};

} // namespace fer
