#pragma once
// Converts a stream of float frames from one sample rate to another,
// pulling its input as it needs it. A windowed-sinc filter (24 taps when the
// rate rises, more when it falls; Kaiser window, beta 7) evaluated at 1024
// fixed phases between input frames: what lies above the lower Nyquist
// frequency is suppressed by about 70 dB, so nothing aliases and no images
// of the input's spectrum are heard, at a fraction of the cost of a
// general converter. One per playing ring; used by the mixer's thread only.

#include <cstddef>
#include <functional>
#include <vector>

namespace fer {

class Resampler {
  public:
    // Fills up to `frames` frames at `destination`; returns how many it wrote.
    using Pull = std::function<size_t(float* destination, size_t frames)>;
    static constexpr int kPhases = 1024;
    static constexpr size_t kPullFrames = 256;

    // channels: interleaved channels of input and output (1 to 8).
    Resampler(int channels, int inputRate, int outputRate);

    // Writes `frames` frames to out; when the input runs dry (pull gives 0)
    // the rest is left as it was and the count written is returned.
    size_t read(float* out, size_t frames, const Pull& pull);

    int taps() const { return taps_; }

  private:
    // Drops the frames no later output needs, then pulls more. False when
    // the input gave nothing.
    bool refill(const Pull& pull);

    int channels_;
    int taps_;
    double step_; // input frames per output frame
    std::vector<float> table_; // (kPhases + 1) rows of taps_ coefficients
    std::vector<float> input_; // interleaved frames, the oldest first
    size_t frames_ = 0;        // frames held in input_
    double time_ = 0;          // the next output's position among them
};

} // namespace fer
