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

std::shared_ptr<const Resampler::Filter> Resampler::design(int inputRate, int outputRate) {
    auto f = std::make_shared<Filter>();
    f->inputRate = inputRate;
    f->outputRate = outputRate;
    const auto in = static_cast<uint64_t>(std::max(1, inputRate));
    const auto out = static_cast<uint64_t>(std::max(1, outputRate));
    const uint64_t common = std::gcd(in, out);
    uint64_t increment = 0; // input frames per output frame, times the denominator
    if (out / common <= kMaxExactPhases) {
        f->denominator = out / common;
        increment = in / common;
        f->rows = static_cast<uint32_t>(f->denominator);
        f->exact = true;
    } else {
        f->denominator = uint64_t{1} << 32;
        increment = static_cast<uint64_t>(
            std::llround(static_cast<double>(in) / static_cast<double>(out) * 4294967296.0));
        f->rows = kPhases;
    }
    f->whole = static_cast<size_t>(increment / f->denominator);
    f->part = increment % f->denominator;
    const double step = static_cast<double>(in) / static_cast<double>(out);
    // Falling rates widen the filter in proportion, so its cut-off follows
    // the output's Nyquist frequency.
    const double shrink = std::min(1.0, 1.0 / step);
    f->taps = std::min(kMaxTaps, static_cast<int>(std::ceil(kBaseTaps / shrink / 2.0)) * 2);
    f->width = (static_cast<size_t>(f->taps) + kLanes - 1) / kLanes * kLanes;
    // The transition band ends at the lower Nyquist frequency.
    const double cutoff = 0.40 * shrink; // cycles per input frame
    const int half = f->taps / 2;
    f->table.assign(static_cast<size_t>(f->rows + 1) * f->width, 0.0f);
    const double i0Beta = besselI0(kBeta);
    std::vector<double> h(static_cast<size_t>(f->taps));
    for (uint32_t p = 0; p <= f->rows; ++p) {
        const double d = static_cast<double>(p) / f->rows;
        double sum = 0.0;
        for (int k = 0; k < f->taps; ++k) {
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
        float* row = f->table.data() + static_cast<size_t>(p) * f->width;
        for (size_t k = 0; k < h.size(); ++k) row[k] = static_cast<float>(h[k] / sum);
    }
    return f;
}

Resampler::Resampler(int channels, int inputRate, int outputRate)
    : Resampler(channels, design(inputRate, outputRate)) {}

Resampler::Resampler(int channels, std::shared_ptr<const Filter> filter)
    : channels_(static_cast<size_t>(std::clamp(channels, 1, 8))), filter_(std::move(filter)) {
    // History of silence before the first frame, so the first output lies
    // on the first input frame.
    planes_.assign(channels_, std::vector<float>(filter_->width + 2 * kPullFrames, 0.0f));
    pulled_.resize(kPullFrames * channels_);
    frames_ = static_cast<size_t>(filter_->taps / 2 - 1);
    position_ = frames_;
}

bool Resampler::refill(const Pull& pull) {
    const size_t first = position_ - static_cast<size_t>(filter_->taps / 2 - 1);
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
    const Filter& f = *filter_;
    const auto before = static_cast<size_t>(f.taps / 2 - 1);
    size_t produced = 0;
    while (produced < frames) {
        const size_t first = position_ - before;
        if (first + f.width > frames_) {
            if (!refill(pull)) break;
            continue;
        }
        // Exact when the rows are the positions themselves; else the
        // nearest (the denominator is then 2^32).
        const uint64_t row = f.exact ? phase_ : (phase_ * f.rows + (uint64_t{1} << 31)) >> 32;
        const float* h = f.table.data() + row * f.width;
        float* o = out + produced * channels_;
        for (size_t c = 0; c < channels_; ++c) o[c] = dot(h, planes_[c].data() + first, f.width);
        position_ += f.whole;
        phase_ += f.part;
        if (phase_ >= f.denominator) {
            phase_ -= f.denominator;
            ++position_;
        }
        ++produced;
    }
    return produced;
}

} // namespace fer
