#pragma once
// Converts a stream of float frames from one sample rate to another
// (band-limited, so nothing aliases), pulling its input as it needs it.
// One per playing ring; used by the mixer's thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace fer {

class Resampler {
  public:
    // Fills up to `frames` frames at `destination`; returns how many it wrote.
    using Pull = std::function<size_t(float* destination, size_t frames)>;

    // channels: interleaved channels of input and output. False from ok()
    // when the converter could not be created.
    Resampler(int channels, int inputRate, int outputRate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    bool ok() const;
    // Writes `frames` frames to out; when the input runs dry (pull gives 0)
    // the rest is left as it was and the count written is returned.
    size_t read(float* out, size_t frames, const Pull& pull);

  private:
    struct State;
    std::unique_ptr<State> state_;
    int channels_;
    double ratio_;
    std::vector<float> input_;
    size_t inputStart_ = 0;  // first unused frame of input_
    size_t inputFrames_ = 0; // unused frames from inputStart_
};

} // namespace fer
