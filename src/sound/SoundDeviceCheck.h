#pragma once
// The sound device check at start-up: why the output could not be opened,
// as the message box the player sees, if any. Out of memory and a device
// another program holds each have their box; a machine without a device
// (or any other failure) has none: music and voices are just off.

#include <string>
#include <string_view>

namespace fer {

// The box's text for the output's error text, or "" for no box.
std::string soundDeviceFailureBox(std::string_view error);

} // namespace fer
