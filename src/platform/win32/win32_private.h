// Declarations shared by the Win32 service files only (not part of the
// portable service contracts).
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/drawing_services.h"

// The program's module, for window classes and resources.
HINSTANCE programInstance();

// Clears the event that a dispatched message may have raised; the show's
// message servicing uses it so that no event outlives its dispatch.
void clearPendingEvent();

// A top-down 32-bit DIB section: GDI draws into its pixel memory and copies
// from it. Pixels start black.
struct PixelSection {
    HBITMAP bitmap = nullptr;
    PixelView pixels;
};
PixelSection createSection(int32_t width, int32_t height);
void deleteSection(PixelSection& section);

// Copies the section's pixels onto a device context at (0, 0).
void copySectionTo(HDC target, const PixelSection& section);
