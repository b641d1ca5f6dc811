// Pixel-buffer operations shared by the platform layers whose images are
// plain 32-bit pixel memory (cairo image surfaces, DIB sections).
#pragma once

#include <cstdint>

struct PixelView {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;  // in pixels
};

// Draws `src` resized to fullWidth x fullHeight by replicating pixels with
// its top-left corner at (x, y) of `dst`, clipped to dst: the enlarged
// image's pixel (X, Y) is source pixel (X * src.width / fullWidth,
// Y * src.height / fullHeight). A whole-number enlargement thus turns every
// pixel into one exact block. Each distinct row is worked out once and the
// rows of its block are copies of it.
void scalePixels(const PixelView& src, const PixelView& dst, int32_t fullWidth, int32_t fullHeight,
                 int32_t x = 0, int32_t y = 0);

// Copies `src` to (x, y) of `dst`, clipped to dst.
void copyPixels(const PixelView& src, const PixelView& dst, int32_t x, int32_t y);

// Fills the whole view with one pixel value.
void fillPixels(const PixelView& dst, uint32_t value);
