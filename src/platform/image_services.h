// Numbered images, drawing on images and windows, enlargement, copying and text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/window_services.h"

// Where a drawing goes: kind 1 = the current window, 2 = the current image, 0 = none.
struct DrawingTarget {
    int32_t kind = 0;
    void* handle = nullptr;
};

void initDrawing();
void initImages();

// A new black image of width x height in `slot` (releasing what it held); 0 on failure.
ImageHandle makeImage(int32_t slot, int32_t width, int32_t height);
DrawingTarget imageTarget();
DrawingTarget windowTarget();

// Opens a drawing (ending any open one); its context, or 0 on failure.
intptr_t beginDrawing(const DrawingTarget& target);
void endDrawing();

// The pixels of an open drawing on an image, so that setting a pixel is one
// memory store. Pixels are 32-bit 0xAARRGGBB words, rows `stride` words apart.
struct PixelSurface {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
};
extern PixelSurface activePixels;

// Sets a pixel of a drawing that cannot be written directly (a window).
void setPixelSlow(int32_t x, int32_t y, int32_t colour);

// Converts a 0x00BBGGRR colour to an opaque 0xAARRGGBB pixel word.
inline uint32_t pixelFromColour(int32_t colour) {
    uint32_t c = static_cast<uint32_t>(colour);
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Sets pixel (x, y) of the open drawing to a 0x00BBGGRR colour; outside the target it is ignored.
inline void setPixel(int32_t x, int32_t y, int32_t colour) {
    const PixelSurface& s = activePixels;
    if (s.pixels) {
        if (static_cast<uint32_t>(x) < static_cast<uint32_t>(s.width) &&
            static_cast<uint32_t>(y) < static_cast<uint32_t>(s.height))
            s.pixels[static_cast<size_t>(y) * static_cast<size_t>(s.stride) + static_cast<size_t>(x)] =
                pixelFromColour(colour);
        return;
    }
    setPixelSlow(x, y, colour);
}

// Replaces the slot's image by a copy enlarged (each pixel replicated into its
// block) or reduced to width x height. Only the top-left part within the
// image clip is kept in memory; the image keeps its full size for placement.
ImageHandle scaleImage(int32_t slot, int32_t width, int32_t height);

// The largest area an enlarged image is ever shown in (the screen); 0 by 0,
// the start, sets no limit.
void setImageClip(int32_t width, int32_t height);

// The slot's image (0 when empty); makes it the current image.
ImageHandle imageHandle(int32_t slot);

// The stored pixels of the slot's image (the top-left part within the clip),
// made first if the image is an enlargement not yet drawn; empty when the
// slot holds no image. Valid until the slot's image changes.
PixelSurface imagePixels(int32_t slot);

// Copies the whole image to (x, y) of the open drawing, clipped by the target.
void blitImage(ImageHandle image, int32_t x, int32_t y);

// Bit 0: transparent text background; bit 1: inverting lines; bit 2: hollow brush.
void setDrawingFlags(int32_t flags);
void setDrawColour(int32_t red, int32_t green, int32_t blue);
int32_t textWidth(const std::string& text);
void setTextPosition(int32_t x, int32_t y);
void writeText(const std::string& text);

// Decodes a BMP file image into `slot`; 0 when it is not a BMP or cannot be made.
ImageHandle loadImageFromMemory(int32_t slot, const uint8_t* data, size_t size);
void freeAllImages();

// Fills the whole screen area of a window black, directly on its surface.
void fillWindowBlack(WindowHandle window);
