#pragma once
// The sound device check at start-up: why the output could not be opened,
// as the message box the player sees, if any. Out of memory, a device
// another program holds and a machine whose sound system cannot be started
// each have their box; a sound system without an output device (or any
// other failure) has none: music and voices are just off.

#include <string>

#include "core/AudioFailure.h"

namespace fer {

// The box's text for the reason the output gave, or "" for no box.
std::string soundDeviceFailureBox(AudioFailureReason reason);

} // namespace fer
