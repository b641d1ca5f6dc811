#include "platform/pixel_ops.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

uint32_t* rowOf(const PixelView& v, int32_t y) {
    return v.pixels + static_cast<size_t>(y) * static_cast<size_t>(v.stride);
}

}  // namespace

void scalePixels(const PixelView& src, const PixelView& dst, int32_t fullWidth, int32_t fullHeight,
                 int32_t x, int32_t y) {
    if (!src.pixels || !dst.pixels || src.width <= 0 || src.height <= 0 || fullWidth <= 0 ||
        fullHeight <= 0)
        return;
    // The part of the enlarged image that falls inside dst.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(x) + fullWidth, dst.width);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(y) + fullHeight, dst.height);
    if (left >= right || top >= bottom) return;
    const size_t width = static_cast<size_t>(right - left);

    // Source column of every destination column, worked out once.
    std::vector<int32_t> column(width);
    for (size_t i = 0; i < width; ++i)
        column[i] = static_cast<int32_t>((left - x + static_cast<int64_t>(i)) * src.width / fullWidth);

    int64_t previousSource = -1;
    for (int64_t row = top; row < bottom; ++row) {
        const int64_t sy = (row - y) * src.height / fullHeight;
        uint32_t* out = rowOf(dst, static_cast<int32_t>(row)) + left;
        if (sy == previousSource) {
            // Rows of the same block are identical: copy the one above, which
            // was just written and is still in the cache.
            std::memcpy(out, out - dst.stride, width * sizeof(uint32_t));
            continue;
        }
        const uint32_t* in = rowOf(src, static_cast<int32_t>(sy));
        for (size_t i = 0; i < width; ++i) out[i] = in[column[i]];
        previousSource = sy;
    }
}

void copyPixels(const PixelView& src, const PixelView& dst, int32_t x, int32_t y) {
    if (!src.pixels || !dst.pixels) return;
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(x) + src.width, dst.width);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(y) + src.height, dst.height);
    if (left >= right || top >= bottom) return;
    const size_t bytes = static_cast<size_t>(right - left) * sizeof(uint32_t);
    for (int64_t row = top; row < bottom; ++row) {
        const uint32_t* in = rowOf(src, static_cast<int32_t>(row - y)) + (left - x);
        std::memcpy(rowOf(dst, static_cast<int32_t>(row)) + left, in, bytes);
    }
}

void fillPixels(const PixelView& dst, uint32_t value) {
    if (!dst.pixels) return;
    for (int32_t y = 0; y < dst.height; ++y) std::fill_n(rowOf(dst, y), dst.width, value);
}
