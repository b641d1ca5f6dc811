// What the GTK files of the platform layer share among themselves: the
// display, the program's arguments and the pointer's visibility.
#pragma once

#include <gtk/gtk.h>

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

}  // namespace gtkbackend
