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
#include <memory>
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

    // The coefficients and the step for one pair of rates. Read-only once
    // made, so rings of the same rate share one: the mixer's thread then
    // brings one table into its cache instead of one per ring.
    struct Filter {
        int inputRate = 0;
        int outputRate = 0;
        int taps = 0;
        size_t width = 0;  // taps rounded up to a multiple of 8; the rest are 0
        uint32_t rows = 0; // rows of the table, besides the last (row 0 one frame on)
        uint64_t denominator = 0; // an output lies phase / denominator past its frame
        size_t whole = 0;         // input frames per output frame: whole ones
        uint64_t part = 0;        // and the rest, in 1/denominator
        bool exact = false;       // a row for every position
        std::vector<float> table; // (rows + 1) rows of width coefficients
    };
    static std::shared_ptr<const Filter> design(int inputRate, int outputRate);

    // channels: interleaved channels of input and output (1 to 8).
    Resampler(int channels, int inputRate, int outputRate);
    Resampler(int channels, std::shared_ptr<const Filter> filter);

    // Writes `frames` interleaved frames to out; when the input runs dry
    // (pull gives 0) the rest is left as it was and the count written is
    // returned.
    size_t read(float* out, size_t frames, const Pull& pull);

    int taps() const { return filter_->taps; }
    // The rows of coefficients: the positions an output takes between two
    // input frames.
    uint32_t phases() const { return filter_->rows; }
    const std::shared_ptr<const Filter>& filter() const { return filter_; }

  private:
    // Drops the frames no later output needs, then pulls more. False when
    // the input gave nothing.
    bool refill(const Pull& pull);

    size_t channels_;
    std::shared_ptr<const Filter> filter_;
    std::vector<std::vector<float>> planes_; // per channel, the oldest frame first
    std::vector<float> pulled_;            // interleaved frames on their way in
    size_t frames_ = 0;   // frames held in each plane
    size_t position_ = 0; // the input frame the next output follows
    uint64_t phase_ = 0;  // and how far past it, in 1/denominator
};

} // namespace fer
