#include "sound/Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <numeric>

namespace fer {

namespace {

constexpr double kBeta = 7.0;
constexpr int kBaseTaps = 24;
constexpr int kMaxTaps = 96;
constexpr size_t kLanes = 8;

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

// n is a multiple of kLanes: eight independent sums, which the compiler
// keeps in vector registers, added up at the end.
float dot(const float* h, const float* x, size_t n) {
    float acc[kLanes] = {};
    for (size_t k = 0; k < n; k += kLanes)
        for (size_t j = 0; j < kLanes; ++j) acc[j] += h[k + j] * x[k + j];
    return ((acc[0] + acc[4]) + (acc[1] + acc[5])) + ((acc[2] + acc[6]) + (acc[3] + acc[7]));
}

} // namespace

Resampler::Resampler(int channels, int inputRate, int outputRate)
    : channels_(static_cast<size_t>(std::clamp(channels, 1, 8))) {
    const auto in = static_cast<uint64_t>(std::max(1, inputRate));
    const auto out = static_cast<uint64_t>(std::max(1, outputRate));
    const uint64_t common = std::gcd(in, out);
    if (out / common <= kMaxExactPhases) {
        denominator_ = out / common;
        increment_ = in / common;
        rows_ = static_cast<uint32_t>(denominator_);
        exact_ = true;
    } else {
        denominator_ = uint64_t{1} << 32;
        increment_ = static_cast<uint64_t>(
            std::llround(static_cast<double>(in) / static_cast<double>(out) * 4294967296.0));
        rows_ = kPhases;
    }
    whole_ = static_cast<size_t>(increment_ / denominator_);
    part_ = increment_ % denominator_;
    const double step = static_cast<double>(in) / static_cast<double>(out);
    // Falling rates widen the filter in proportion, so its cut-off follows
    // the output's Nyquist frequency.
    const double shrink = std::min(1.0, 1.0 / step);
    taps_ = std::min(kMaxTaps, static_cast<int>(std::ceil(kBaseTaps / shrink / 2.0)) * 2);
    width_ = (static_cast<size_t>(taps_) + kLanes - 1) / kLanes * kLanes;
    // The transition band ends at the lower Nyquist frequency.
    const double cutoff = 0.40 * shrink; // cycles per input frame
    const int half = taps_ / 2;
    table_.assign(static_cast<size_t>(rows_ + 1) * width_, 0.0f);
    const double i0Beta = besselI0(kBeta);
    std::vector<double> h(static_cast<size_t>(taps_));
    for (uint32_t p = 0; p <= rows_; ++p) {
        const double d = static_cast<double>(p) / rows_;
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
            h[static_cast<size_t>(k)] = sinc * window;
            sum += sinc * window;
        }
        // Each row passes a constant unchanged.
        float* row = table_.data() + static_cast<size_t>(p) * width_;
        for (size_t k = 0; k < h.size(); ++k) row[k] = static_cast<float>(h[k] / sum);
    }
    // History of silence before the first frame, so the first output lies
    // on the first input frame.
    planes_.assign(channels_, std::vector<float>(width_ + 2 * kPullFrames, 0.0f));
    pulled_.resize(kPullFrames * channels_);
    frames_ = static_cast<size_t>(half - 1);
    position_ = frames_;
}

bool Resampler::refill(const Pull& pull) {
    const size_t first = position_ - static_cast<size_t>(taps_ / 2 - 1);
    const size_t drop = std::min(first, frames_);
    if (drop > 0) {
        for (auto& plane : planes_)
            std::memmove(plane.data(), plane.data() + drop, (frames_ - drop) * sizeof(float));
        frames_ -= drop;
        position_ -= drop;
    }
    const size_t room = planes_.front().size() - frames_;
    const size_t got = pull(pulled_.data(), std::min(room, kPullFrames));
    if (channels_ == 1) {
        std::memcpy(planes_[0].data() + frames_, pulled_.data(), got * sizeof(float));
    } else {
        for (size_t c = 0; c < channels_; ++c) {
            float* plane = planes_[c].data() + frames_;
            for (size_t f = 0; f < got; ++f) plane[f] = pulled_[f * channels_ + c];
        }
    }
    frames_ += got;
    return got != 0;
}

size_t Resampler::read(float* out, size_t frames, const Pull& pull) {
    const auto before = static_cast<size_t>(taps_ / 2 - 1);
    size_t produced = 0;
    while (produced < frames) {
        const size_t first = position_ - before;
        if (first + width_ > frames_) {
            if (!refill(pull)) break;
            continue;
        }
        // Exact when the rows are the positions themselves; else the
        // nearest (the denominator is then 2^32).
        const uint64_t row = exact_ ? phase_ : (phase_ * rows_ + (uint64_t{1} << 31)) >> 32;
        const float* h = table_.data() + row * width_;
        float* o = out + produced * channels_;
        for (size_t c = 0; c < channels_; ++c) o[c] = dot(h, planes_[c].data() + first, width_);
        position_ += whole_;
        phase_ += part_;
        if (phase_ >= denominator_) {
            phase_ -= denominator_;
            ++position_;
        }
        ++produced;
    }
    return produced;
}

} // namespace fer
