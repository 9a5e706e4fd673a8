#pragma once
// The two volume scales of the sound subsystem and how they meet.
// Attenuation: hundredths of a decibel, -10000 (silent) to 0 (full); what a
// buffer plays at. Loudness: 0 (silent) to 10000 (full); what commands use.
// Every conversion from a real value to an integer truncates toward zero.

#include <cstdint>
#include <span>

namespace fer {

inline constexpr int32_t kSilentAttenuation = -10000;
inline constexpr int32_t kFullLoudness = 10000;

// L = trunc(10000 (1 - (1 - v/10000)^1.2)); -10000 when L is 0, else
// trunc(2000 log10(L/10000)). 6000 gives -351, 0 gives -10000.
int32_t loudnessToAttenuation(int32_t loudness);
// L = trunc(10000 10^(a/2000)); trunc(10000 (1 - (1 - L/10000)^(1/1.2))).
// -351 gives 6005.
int32_t attenuationToLoudness(int32_t attenuation);
// Two attenuations combined as fractions of full scale on the attenuation
// axis: trunc(10000 f(a) f(b) - 10000) with f(x) = (x + 10000) / 10000.
int32_t combineAttenuations(int32_t a, int32_t b);
// The value of a chain of stages, head first: the last stage's own value,
// combined backwards into each earlier one. An empty chain is 0.
int32_t chainAttenuation(std::span<const int32_t> stages);
// The linear gain an attenuation plays at: 10^(a/2000), 0 at -10000 and below.
float attenuationGain(int32_t attenuation);

} // namespace fer
