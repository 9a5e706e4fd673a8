#pragma once
// The platform's sound output. Once open, it pulls frames from its source on
// a thread of its own, at the device's pace; the window backend plays them
// on the sound device, the headless backend consumes them in real time on
// the engine's clock. Open, pause and close are called from the main thread.

#include <cstdint>

#include "core/AudioFailure.h"
#include "core/AudioSource.h"
#include "sound/ThreadPriority.h"

namespace fer {

class AudioOutput {
  public:
    virtual ~AudioOutput() = default;

    // Opens the output asking for `wanted`, paused: it pulls from source
    // (which must outlive the open output) once resumed with setPaused(false).
    // False, with the reason and the system's text in failure, when no
    // output can be opened.
    virtual bool open(const AudioFormat& wanted, AudioSource& source, AudioFailure& failure) = 0;
    // Stops pulling; the source is not touched after close returns.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The format the output really uses (valid while open).
    virtual AudioFormat format() const = 0;
    // While paused nothing is pulled and the output is silent.
    virtual void setPaused(bool paused) = 0;

    // Frames pulled since open, and the times the source was pulled too late
    // to keep the device fed.
    virtual uint64_t framesPulled() const = 0;
    virtual uint64_t underruns() const = 0;
    // What the thread that pulls the source was granted when it asked for
    // real-time scheduling (kNormal until it has pulled once).
    virtual SchedulingGrant scheduling() const = 0;
};

} // namespace fer
