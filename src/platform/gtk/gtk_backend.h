// What the GTK files of the platform layer share among themselves: the
// display, the program's arguments and the pointer's visibility.
#pragma once

#include <gtk/gtk.h>

#include "platform/drawing_services.h"

namespace gtkbackend {

// Keeps the program's arguments (argv) for programArgument.
void setProgramArguments(int argc, char** argv);

// True once initWindowServices has opened the display.
bool displayOpen();

// Applies the pointer's current visibility to a realized window.
void applyCursor(GtkWidget* window);

// Runs the queued window-system work without blocking; events raised by it
// are dropped, so nothing reaches the program.
void dispatchQueuedWithoutEvents();

// As dispatchQueuedWithoutEvents, then sleeps until `milliseconds` have
// passed or the window system has more.
void waitWithoutEvents(int32_t milliseconds);

// Host mode (host_window.cpp): the host's SIGTERM, SIGINT and SIGHUP end the
// process at once with code 0; the adopted window: whether a handle is it,
// its off-screen pixels, and putting them on screen.
void endOnHostSignals();
bool isHostWindow(void* handle);
PixelView hostWindowSurface();
void presentHostWindow();

}  // namespace gtkbackend
