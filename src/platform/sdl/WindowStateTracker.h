#pragma once
// The window's size state between the engine and a window system that
// reports changes later, not while the engine makes them: what the engine
// asked for waits until its switch is over and then is carried out once
// (only the last request of a switch counts), and a reported state is handed
// to the engine only when it differs from what the engine knows already, so
// the echoes of the engine's own requests do not start new switches. A
// minimised window that was maximised before comes back maximised.

#include <optional>

#include "platform/DisplayMode.h"

namespace fer {

class WindowStateTracker {
  public:
    // The engine asks for a state.
    void request(WindowShow show);
    // The request still to be carried out, once.
    std::optional<WindowShow> takePending();
    // The window system reports the window's state; the notification for
    // the engine, if any.
    std::optional<WindowSize> reported(WindowSize actual);
    // What the engine knows of the window.
    WindowSize known() const { return known_; }

  private:
    void become(WindowSize state);

    WindowSize known_ = WindowSize::kRestored;
    bool maximisedBeforeMinimise_ = false;
    std::optional<WindowShow> pending_;
};

} // namespace fer
