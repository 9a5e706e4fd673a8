#include "sound/Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace fer {

namespace {

constexpr double kBeta = 7.0;
constexpr int kBaseTaps = 24;
constexpr int kMaxTaps = 96;

// The modified Bessel function of order 0, by its series.
double besselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 50; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
        if (term < 1e-12 * sum) break;
    }
    return sum;
}

} // namespace

Resampler::Resampler(int channels, int inputRate, int outputRate)
    : channels_(std::clamp(channels, 1, 8)),
      step_(static_cast<double>(inputRate) / static_cast<double>(std::max(1, outputRate))) {
    // Falling rates widen the filter in proportion, so its cut-off follows
    // the output's Nyquist frequency.
    const double shrink = std::min(1.0, 1.0 / step_);
    taps_ = std::min(kMaxTaps, static_cast<int>(std::ceil(kBaseTaps / shrink / 2.0)) * 2);
    // The transition band ends at the lower Nyquist frequency.
    const double cutoff = 0.40 * shrink; // cycles per input frame
    const int half = taps_ / 2;
    table_.resize(static_cast<size_t>(kPhases + 1) * static_cast<size_t>(taps_));
    const double i0Beta = besselI0(kBeta);
    for (int p = 0; p <= kPhases; ++p) {
        const double d = static_cast<double>(p) / kPhases;
        float* row = table_.data() + static_cast<size_t>(p) * static_cast<size_t>(taps_);
        double sum = 0.0;
        for (int k = 0; k < taps_; ++k) {
            const double x = (k - (half - 1)) - d; // distance from the output's position
            const double y = 2.0 * cutoff * x;
            const double sinc = std::abs(y) < 1e-12 ? 1.0
                                                    : std::sin(std::numbers::pi * y) /
                                                          (std::numbers::pi * y);
            const double u = x / half;
            const double window =
                std::abs(u) >= 1.0 ? 0.0 : besselI0(kBeta * std::sqrt(1.0 - u * u)) / i0Beta;
            const double h = sinc * window;
            row[k] = static_cast<float>(h);
            sum += h;
        }
        // Each phase passes a constant unchanged.
        for (int k = 0; k < taps_; ++k) row[k] = static_cast<float>(row[k] / sum);
    }
    // History of silence before the first frame, so the first output lies
    // on the first input frame.
    const auto ch = static_cast<size_t>(channels_);
    input_.assign((static_cast<size_t>(taps_) + kPullFrames) * ch, 0.0f);
    frames_ = static_cast<size_t>(half - 1);
    time_ = static_cast<double>(half - 1);
}

bool Resampler::refill(const Pull& pull) {
    const auto ch = static_cast<size_t>(channels_);
    const auto first = static_cast<long>(std::floor(time_)) - (taps_ / 2 - 1);
    if (first > 0) {
        const auto drop = std::min(static_cast<size_t>(first), frames_);
        std::memmove(input_.data(), input_.data() + drop * ch, (frames_ - drop) * ch * sizeof(float));
        frames_ -= drop;
        time_ -= static_cast<double>(drop);
    }
    const size_t room = input_.size() / ch - frames_;
    const size_t got = pull(input_.data() + frames_ * ch, std::min(room, kPullFrames));
    frames_ += got;
    return got != 0;
}

size_t Resampler::read(float* out, size_t frames, const Pull& pull) {
    const auto ch = static_cast<size_t>(channels_);
    const int half = taps_ / 2;
    const auto taps = static_cast<size_t>(taps_);
    size_t produced = 0;
    while (produced < frames) {
        const auto center = static_cast<long>(std::floor(time_));
        if (center + half >= static_cast<long>(frames_)) {
            if (!refill(pull)) break;
            continue;
        }
        const double frac = time_ - static_cast<double>(center);
        const auto phase = static_cast<size_t>(frac * kPhases + 0.5);
        const float* h = table_.data() + phase * taps;
        const float* x = input_.data() + static_cast<size_t>(center - (half - 1)) * ch;
        float* o = out + produced * ch;
        if (ch == 2) {
            float left = 0.0f;
            float right = 0.0f;
            for (size_t k = 0; k < taps; ++k) {
                left += h[k] * x[2 * k];
                right += h[k] * x[2 * k + 1];
            }
            o[0] = left;
            o[1] = right;
        } else {
            for (size_t c = 0; c < ch; ++c) {
                float sum = 0.0f;
                for (size_t k = 0; k < taps; ++k) sum += h[k] * x[k * ch + c];
                o[c] = sum;
            }
        }
        time_ += step_;
        ++produced;
    }
    return produced;
}

} // namespace fer
