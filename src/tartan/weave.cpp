#include "tartan/weave.h"

#include <algorithm>
#include <vector>

#include "picture/drawing.h"
#include "picture/images.h"
#include "picture/pixels.h"

namespace {

// Row 0 first; each row is the one above rotated left by one column, so the
// twill lines run from upper right to lower left.
constexpr uint8_t twill[16] = {0, 0, 1, 1, 0, 1, 1, 0, 1, 1, 0, 0, 1, 0, 0, 1};

// Writes the rows straight into the drawing's pixel memory. The warp's pixel
// words are worked out once per tile; each row then picks, four columns at a
// time, between its weft word and the warp words with the row's twill mask, a
// loop the compiler turns into vector selects.
void weaveIntoPixels(const PixelView& surface, int32_t width, int32_t height,
                     const ThreadColours& warpColours, const ThreadColours& weftColours) {
    const WeavePattern& pattern = weavePattern();
    std::vector<uint32_t> warpPixels(static_cast<size_t>(width) + 3, 0);
    for (int32_t x = 0; x < width; ++x)
        warpPixels[static_cast<size_t>(x)] = pixelFromColour(warpColours[static_cast<size_t>(x)]);
    const uint32_t* warp = warpPixels.data();
    const int32_t whole = width & ~3;
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* row = surface.row(y);
        const uint32_t weft = pixelFromColour(weftColours[static_cast<size_t>(y)]);
        const auto& cells = pattern[static_cast<size_t>(y & 3)];
        uint32_t mask[4];
        for (int c = 0; c < 4; ++c) mask[c] = cells[static_cast<size_t>(c)] ? ~0u : 0u;
        for (int32_t x = 0; x < whole; x += 4)
            for (int c = 0; c < 4; ++c)
                row[x + c] = (weft & mask[c]) | (warp[x + c] & ~mask[c]);
        for (int32_t x = whole; x < width; ++x)
            row[x] = (weft & mask[x & 3]) | (warp[x] & ~mask[x & 3]);
    }
}

}  // namespace

WeavePattern& weavePattern() {
    static WeavePattern pattern{};
    return pattern;
}

void initWeavePattern() {
    WeavePattern& pattern = weavePattern();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) pattern[r][c] = twill[r * 4 + c];
}

void weaveTile(const TartanRecord& record, const ThreadColours& warpColours,
               const ThreadColours& weftColours, int32_t columns, int32_t rows) {
    const int32_t width = record.warpCount;
    const int32_t height = record.weftCount;
    // With a colour for every thread (the arrays have room for count + 2) the
    // weave writes every pixel, so the new tile need not be made black first.
    const bool everyPixel = static_cast<int32_t>(warpColours.size()) >= width &&
                            static_cast<int32_t>(weftColours.size()) >= height;
    if (!(everyPixel ? makeImageToOverwrite : makeImage)(0, width, height)) return;
    if (!beginDrawing(imageTarget())) return;
    if (everyPixel)
        weaveIntoPixels(drawingPixels(), std::min(width, columns), std::min(height, rows),
                        warpColours, weftColours);
    endDrawing();
}
