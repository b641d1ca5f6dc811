// Drawings on an image or on a window's surface: pixels, copies of images,
// tiling, and text. Only one drawing is open at a time; every call made
// while none is open does nothing (and gives 0).
#pragma once

#include <cstdint>
#include <string>

#include "platform/drawing_services.h"
#include "platform/window_services.h"

enum class DrawingKind : int32_t { none = 0, window = 1, image = 2 };

// Where a drawing goes: a window, or an image (handle = the window or image).
struct DrawingTarget {
    DrawingKind kind = DrawingKind::none;
    void* handle = nullptr;
};

// Drawing flags, as setDrawingFlags takes them.
enum DrawingFlag : int32_t {
    transparentText = 1, // clear: text fills its character cells first
    invertingLines = 2,  // lines and shapes invert what they cover (no effect on text or images)
    hollowShapes = 4,    // shapes are drawn unfilled
};

// Sets the stored draw colour to black; no drawing is open.
void initDrawing();

// The current image (making a pending enlargement first), or no target.
DrawingTarget imageTarget();
// The current window, the one most recently opened.
DrawingTarget windowTarget();

// Opens a drawing, ending any open one first: flags 0, text colour black,
// text position (0, 0). Non-zero when the drawing is open.
intptr_t beginDrawing(const DrawingTarget& target);
// Ends the open drawing; a drawing on a window is put on screen now, once.
void endDrawing();

// The pixels of the open drawing, for writers of many pixels; empty when none is open.
PixelView drawingPixels();
// Sets pixel (x, y) to a 0x00BBGGRR colour; outside the target it is ignored.
void setPixel(int32_t x, int32_t y, int32_t colour);

// Copies the image's held pixels with their top-left corner at (x, y), clipped to the target.
void blitImage(ImageHandle image, int32_t x, int32_t y);

void setDrawingFlags(int32_t flags);
// The draw colour red + green * 256 + blue * 65536 becomes the text colour.
void setDrawColour(int32_t red, int32_t green, int32_t blue);
// The width of `text` in the platform's default font.
int32_t textWidth(const std::string& text);
void setTextPosition(int32_t x, int32_t y);
// Writes `text` at the text position, which then moves to the text's end.
void writeText(const std::string& text);
