// What a show needs to live in a window another program made and owns (the
// display modes of XScreenSaver on Linux, and its previews).
#pragma once

#include <cstdint>

#include "platform/window_services.h"

// Takes window `id` (0: the screen's root window) to draw into, at its own
// size, through windowSurface and presentWindow; 0 when it cannot be used
// (no such window, or a platform without such windows). The process ends
// at once, with code 0, when the window is destroyed, as it does on the
// host's SIGTERM, SIGINT or SIGHUP. The pointer is left alone.
WindowHandle adoptWindow(uint64_t id);

enum class HostEvent {
    timeout,  // the time asked for has passed
    resized,  // the window has a new size: its surface now has that size (black)
    exposed,  // part of the window must be shown again
};

// Sleeps until `milliseconds` have passed or the adopted window reports a
// change.
HostEvent waitForHostEvent(WindowHandle window, int32_t milliseconds);
