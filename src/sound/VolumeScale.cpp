#include "sound/VolumeScale.h"

#include <cmath>

namespace fer {

int32_t loudnessToAttenuation(int32_t loudness) {
    const double v = static_cast<double>(loudness);
    const auto l = static_cast<int32_t>(10000.0 * (1.0 - std::pow(1.0 - v / 10000.0, 1.2)));
    if (l == 0) return kSilentAttenuation;
    return static_cast<int32_t>(2000.0 * std::log10(static_cast<double>(l) / 10000.0));
}

int32_t attenuationToLoudness(int32_t attenuation) {
    const auto l =
        static_cast<int32_t>(10000.0 * std::pow(10.0, static_cast<double>(attenuation) * 0.0005));
    return static_cast<int32_t>(
        10000.0 * (1.0 - std::pow(1.0 - static_cast<double>(l) / 10000.0, 0.8333333333333334)));
}

int32_t combineAttenuations(int32_t a, int32_t b) {
    const double fa = (static_cast<double>(a) + 10000.0) / 10000.0;
    const double fb = (static_cast<double>(b) + 10000.0) / 10000.0;
    // Formed as the square root of the product of the squared factors.
    return static_cast<int32_t>(10000.0 * std::sqrt(fa * fa * fb * fb) - 10000.0);
}

int32_t chainAttenuation(std::span<const int32_t> stages) {
    if (stages.empty()) return 0;
    int32_t value = stages.back();
    for (size_t k = stages.size() - 1; k-- > 0;) value = combineAttenuations(stages[k], value);
    return value;
}

float attenuationGain(int32_t attenuation) {
    if (attenuation <= kSilentAttenuation) return 0.0f;
    if (attenuation >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, static_cast<double>(attenuation) / 2000.0));
}

} // namespace fer
