#include "platform/pixel_ops.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

uint32_t* rowOf(const PixelView& v, int32_t y) {
    return v.pixels + static_cast<size_t>(y) * static_cast<size_t>(v.stride);
}

}  // namespace

void scalePixels(const PixelView& src, const PixelView& dst, int32_t fullWidth, int32_t fullHeight) {
    if (!src.pixels || !dst.pixels || src.width <= 0 || src.height <= 0 || fullWidth <= 0 ||
        fullHeight <= 0)
        return;
    const int32_t width = std::min(dst.width, fullWidth);
    const int32_t height = std::min(dst.height, fullHeight);
    if (width <= 0 || height <= 0) return;

    // Source column of every destination column, worked out once.
    std::vector<int32_t> column(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x)
        column[static_cast<size_t>(x)] =
            static_cast<int32_t>(static_cast<int64_t>(x) * src.width / fullWidth);

    int32_t previousSource = -1;
    for (int32_t y = 0; y < height; ++y) {
        const int32_t sy = static_cast<int32_t>(static_cast<int64_t>(y) * src.height / fullHeight);
        uint32_t* out = rowOf(dst, y);
        if (sy == previousSource) {
            // Rows of the same block are identical: copy the one above.
            std::memcpy(out, rowOf(dst, y - 1), static_cast<size_t>(width) * sizeof(uint32_t));
            continue;
        }
        const uint32_t* in = rowOf(src, sy);
        for (int32_t x = 0; x < width; ++x) out[x] = in[column[static_cast<size_t>(x)]];
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
