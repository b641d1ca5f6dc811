// What the picture module needs from a platform: a window's drawing surface,
// putting it on screen, and text in the platform's default font.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/window_services.h"

// Pixel memory: 32-bit words 0xAARRGGBB (the top byte is kept at 0xFF), rows
// `stride` words apart. Images, window surfaces and text all use it.
struct PixelView {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    uint32_t* row(int32_t y) const { return pixels + static_cast<ptrdiff_t>(y) * stride; }
};

// The off-screen picture of a top-level window's client area, black until
// drawn on; empty when the handle is not an open window.
PixelView windowSurface(WindowHandle window);

// Puts the window's off-screen picture on screen, whole.
void presentWindow(WindowHandle window);

// The width in pixels of `text` in the platform's default font.
int32_t measureText(const std::string& text);

// Gets `text` ready to be written in `colour`, opaque or not: a backend may
// lay it out and render it now and keep that, so that the next drawText of
// it costs little. Nothing is drawn.
void prepareText(const std::string& text, int32_t colour, bool opaque);

// Writes `text` in the default font with its top-left corner at (x, y) of
// `target`, clipped to the target, in a 0x00BBGGRR colour. Opaque text first
// fills its character cells white; transparent text leaves the pixels
// between its letters as they are.
void drawText(const PixelView& target, int32_t x, int32_t y, const std::string& text,
              int32_t colour, bool opaque);
