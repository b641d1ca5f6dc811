// What the GTK files of the platform layer share among themselves: the
// display, the windows' off-screen buffers, the pointer's visibility and the
// pending event.
#pragma once

#include <cstdint>

#include <cairo.h>
#include <gtk/gtk.h>

#include "platform/window_services.h"

namespace gtkbackend {

// Keeps the program's arguments (argv) for programArgument.
void setProgramArguments(int argc, char** argv);

// True once initWindowServices has opened the display.
bool displayOpen();

// Applies the pointer's current visibility to a realized window.
void applyCursor(GtkWidget* window);

// The off-screen picture of a top-level window (client size, RGB24), made
// black on first use; null when the handle is not an open window.
cairo_surface_t* windowBuffer(WindowHandle window);

// Paints the window's buffer on screen and handles what that queued.
void presentWindow(WindowHandle window);

// The surface of the stored pixels of an image slot, without making it
// current (an enlargement not yet drawn is made first); null when the slot
// is empty (used by picture controls).
cairo_surface_t* imageSurfaceOfSlot(int32_t slot);

// The surface of the stored pixels when the handle is an image of the table
// (an enlargement not yet drawn is made first), else null.
cairo_surface_t* liveImageSurface(ImageHandle image);

// Runs the queued window-system work without blocking; events raised by it
// are dropped, so nothing reaches the program.
void dispatchQueuedWithoutEvents();

}  // namespace gtkbackend
