#include "tartan/weave.h"

#include "platform/image_services.h"

namespace {

// Row 0 first; each row is the one above rotated left by one column, so the
// twill lines run from upper right to lower left.
constexpr uint8_t twill[16] = {0, 0, 1, 1, 0, 1, 1, 0, 1, 1, 0, 0, 1, 0, 0, 1};

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
               const ThreadColours& weftColours) {
    const int32_t width = record.warpCount;
    const int32_t height = record.weftCount;
    makeImage(0, width, height);
    if (!beginDrawing(imageTarget())) return;
    // The colour arrays have room for count + 2 entries; never read past them.
    if (static_cast<int32_t>(warpColours.size()) >= width &&
        static_cast<int32_t>(weftColours.size()) >= height) {
        const WeavePattern& pattern = weavePattern();
        for (int32_t y = 0; y < height; ++y) {
            const auto& row = pattern[static_cast<size_t>(y & 3)];
            const int32_t weft = weftColours[static_cast<size_t>(y)];
            for (int32_t x = 0; x < width; ++x)
                setPixel(x, y, row[static_cast<size_t>(x & 3)] ? weft : warpColours[static_cast<size_t>(x)]);
        }
    }
    endDrawing();
}
