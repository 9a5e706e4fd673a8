#include "sound/Resampler.h"

#include <samplerate.h>

namespace fer {

namespace {
constexpr size_t kInputFrames = 256;
}

struct Resampler::State {
    SRC_STATE* src = nullptr;
    ~State() {
        if (src) src_delete(src);
    }
};

Resampler::Resampler(int channels, int inputRate, int outputRate)
    : state_(std::make_unique<State>()), channels_(channels),
      ratio_(static_cast<double>(outputRate) / static_cast<double>(inputRate)),
      input_(kInputFrames * static_cast<size_t>(channels)) {
    int error = 0;
    state_->src = src_new(SRC_SINC_FASTEST, channels, &error);
}

Resampler::~Resampler() = default;

bool Resampler::ok() const {
    return state_->src != nullptr;
}

size_t Resampler::read(float* out, size_t frames, const Pull& pull) {
    if (!ok()) return 0;
    const auto ch = static_cast<size_t>(channels_);
    size_t produced = 0;
    int idle = 0;
    while (produced < frames) {
        if (inputFrames_ == 0) {
            inputStart_ = 0;
            inputFrames_ = pull(input_.data(), kInputFrames);
            if (inputFrames_ == 0) break;
        }
        SRC_DATA data{};
        data.data_in = input_.data() + inputStart_ * ch;
        data.input_frames = static_cast<long>(inputFrames_);
        data.data_out = out + produced * ch;
        data.output_frames = static_cast<long>(frames - produced);
        data.src_ratio = ratio_;
        data.end_of_input = 0;
        if (src_process(state_->src, &data) != 0) break;
        inputStart_ += static_cast<size_t>(data.input_frames_used);
        inputFrames_ -= static_cast<size_t>(data.input_frames_used);
        produced += static_cast<size_t>(data.output_frames_gen);
        // A converter that takes nothing and gives nothing twice is stuck.
        if (data.input_frames_used == 0 && data.output_frames_gen == 0) {
            if (++idle > 2) break;
        } else {
            idle = 0;
        }
    }
    return produced;
}

} // namespace fer
