// Operations on plain pixel memory: the colour convention, fills, copies,
// enlargement by replication, and covering an area with repeated copies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/drawing_services.h"

constexpr uint32_t blackPixel = 0xFF000000u;

// A 0x00BBGGRR colour as an opaque pixel word.
inline uint32_t pixelFromColour(int32_t colour) {
    const uint32_t c = static_cast<uint32_t>(colour);
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// A pixel word as a 0x00BBGGRR colour.
inline int32_t colourFromPixel(uint32_t pixel) {
    return static_cast<int32_t>(((pixel >> 16) & 0xFFu) | (pixel & 0xFF00u) |
                                ((pixel & 0xFFu) << 16));
}

void fillPixels(const PixelView& dst, uint32_t value);

// Copies `src` to (x, y) of `dst`, clipped to dst.
void copyPixels(const PixelView& src, const PixelView& dst, int32_t x, int32_t y);

// Draws `src` resized to fullWidth x fullHeight by replicating pixels, with
// its top-left corner at (x, y) of `dst`, clipped to dst: the resized
// picture's pixel (X, Y) is source pixel (X * src.width / fullWidth,
// Y * src.height / fullHeight), so a whole-number enlargement turns every
// pixel into one exact block.
void scalePixels(const PixelView& src, const PixelView& dst, int32_t fullWidth, int32_t fullHeight,
                 int32_t x = 0, int32_t y = 0);

// A picture handed row by row to tileRows, which sets `columns`, how many of
// its first columns show, before it asks for a row.
class RowSource {
public:
    virtual ~RowSource() = default;
    // The first row asked about so far with the same pixels as `row` in the
    // columns that show, or `row` itself.
    virtual int32_t likeRow(int32_t row) = 0;
    // The pixels of `row`, at least the columns that show; read before the
    // next call.
    virtual const uint32_t* rowPixels(int32_t row) = 0;

    size_t columns = 0;
};

// Covers the whole of `dst` with copies of a sourceWidth x sourceHeight
// picture enlarged `zoom` times (every pixel an exact zoom x zoom block),
// placed at every multiple of the enlarged size from dst's top-left corner.
// At about the cost of one fill: each row that likeRow finds new is asked for
// once, made once (one period of it and a little more, where it repeats
// across dst) and laid across every row of dst that shows it.
void tileRows(RowSource& source, int32_t sourceWidth, int32_t sourceHeight, int32_t zoom,
              const PixelView& dst);
