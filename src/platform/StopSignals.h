#pragma once
// The signals a session ends with: SIGTERM (a logout, a launcher's stop
// button), SIGINT (Ctrl+C in a terminal) and SIGHUP (the terminal went away).
// The first one asks the engine to close as the player's confirmed close
// does, through the normal shut-down: the event pump takes it up as one
// kEndSession event. A second one ends the process at once, with the
// signal's own default action, also when the engine hangs while it shuts
// down.

#include "platform/PlatformEvent.h"

namespace fer {

class StopSignals {
  public:
    // Installs the handlers for the process; calling it again changes nothing.
    static void install();
    // Whether a stop signal has arrived.
    static bool arrived();

    // The end-of-session event, once, after a stop signal arrived.
    bool take(PlatformEvent& event);

  private:
    bool taken_ = false;
};

} // namespace fer
