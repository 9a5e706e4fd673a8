#pragma once
// How a track chooses the PCM format it plays.
//
// completeRequest: a tag of 0 becomes PCM; channels and rate of 0 take the
// source's. When the tags are equal, bits of 0 take the source's too, and
// when channels, rate and bits then all equal the source's, the source's
// whole header (byte rate, block alignment and cbSize included) is taken.
//
// suggestOutputFormat: the PCM format the decoder delivers for the request,
// or nothing when it offers no such conversion. Fields of the request that
// are not 0 are binding. The decoder converts to PCM of 8, 16, 24 or 32 bits
// in the source's channels and rate; bits left open become 16 for a source
// that is not PCM. Other channel counts and rates are left to the mixer, so
// a request for them is refused.

#include <optional>

#include "sound/WaveFormat.h"

namespace fer {

WaveFormat completeRequest(const WaveFormat& source, const WaveFormat& request);
std::optional<WaveFormat> suggestOutputFormat(const WaveFormat& source, const WaveFormat& request);

} // namespace fer
