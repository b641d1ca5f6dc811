#include "tartan/weave.h"

#include <utility>
#include <vector>

#include "picture/drawing.h"
#include "picture/images.h"
#include "picture/pixels.h"

namespace {

// Row 0 first; each row is the one above rotated left by one column, so the
// twill lines run from upper right to lower left.
constexpr uint8_t twill[16] = {0, 0, 1, 1, 0, 1, 1, 0, 1, 1, 0, 0, 1, 0, 0, 1};

// The warp's pixel words, worked out once per tile.
std::vector<uint32_t> warpPixelsOf(const ThreadColours& warpColours, int32_t width) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x)
        pixels[static_cast<size_t>(x)] = pixelFromColour(warpColours[static_cast<size_t>(x)]);
    return pixels;
}

// Writes `width` pixels of tile row y: its weft word picked over the warp
// words with the row's twill mask, four columns at a time, a loop the
// compiler turns into vector selects. The row is never the warp's memory:
// told so, the compiler drops its overlap checks (a quarter faster).
void weaveRow(const uint32_t* __restrict warp, uint32_t weft, int32_t y, uint32_t* __restrict row,
              int32_t width) {
    const auto& cells = weavePattern()[static_cast<size_t>(y & 3)];
    uint32_t mask[4];
    for (int c = 0; c < 4; ++c) mask[c] = cells[static_cast<size_t>(c)] ? ~0u : 0u;
    const int32_t whole = width & ~3;
    for (int32_t x = 0; x < whole; x += 4)
        for (int c = 0; c < 4; ++c)
            row[x + c] = (weft & mask[c]) | (warp[x + c] & ~mask[c]);
    for (int32_t x = whole; x < width; ++x)
        row[x] = (weft & mask[x & 3]) | (warp[x] & ~mask[x & 3]);
}

// The rows of a tile, woven when asked for. Rows of one weft colour in one
// twill phase are alike, so which rows are alike is known from the weft's
// colours alone.
class WovenRows : public RowSource {
public:
    WovenRows(const ThreadColours& warpColours, const ThreadColours& weftColours, int32_t width,
              int32_t height)
        : warp(warpPixelsOf(warpColours, width)), weft(weftColours),
          sameAs(static_cast<size_t>(height), -1) {}

    int32_t likeRow(int32_t row) override {
        int32_t& known = sameAs[static_cast<size_t>(row)];
        if (known >= 0) return known;
        const uint64_t key = uint64_t{static_cast<uint32_t>(weft[static_cast<size_t>(row)])} << 2 | (row & 3);
        for (const auto& [firstKey, firstRow] : firsts)
            if (firstKey == key) return known = firstRow;
        firsts.emplace_back(key, row);
        return known = row;
    }

    const uint32_t* rowPixels(int32_t row) override {
        pixels.resize(columns);
        weaveRow(warp.data(), pixelFromColour(weft[static_cast<size_t>(row)]), row, pixels.data(),
                 static_cast<int32_t>(columns));
        return pixels.data();
    }

private:
    std::vector<uint32_t> warp;
    const ThreadColours& weft;
    std::vector<int32_t> sameAs;
    std::vector<std::pair<uint64_t, int32_t>> firsts;
    std::vector<uint32_t> pixels;
};

// Only tiles with a colour for every thread are woven (the arrays have room
// for count + 2); other tiles stay black.
bool everyThread(const TartanRecord& record, const ThreadColours& warpColours,
                 const ThreadColours& weftColours) {
    return static_cast<int32_t>(warpColours.size()) >= record.warpCount &&
           static_cast<int32_t>(weftColours.size()) >= record.weftCount;
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
               const ThreadColours& weftColours) {
    const int32_t width = record.warpCount;
    const int32_t height = record.weftCount;
    // The weave writes every pixel, so the new tile need not be made black first.
    const bool woven = everyThread(record, warpColours, weftColours);
    if (!(woven ? makeImageToOverwrite : makeImage)(0, width, height)) return;
    if (!beginDrawing(imageTarget())) return;
    if (woven) {
        const PixelView tile = drawingPixels();
        const std::vector<uint32_t> warp = warpPixelsOf(warpColours, width);
        for (int32_t y = 0; y < height; ++y)
            weaveRow(warp.data(), pixelFromColour(weftColours[static_cast<size_t>(y)]), y,
                     tile.row(y), width);
    }
    endDrawing();
}

void weaveRepeated(const TartanRecord& record, const ThreadColours& warpColours,
                   const ThreadColours& weftColours, int32_t zoom, const PixelView& dst) {
    if (!everyThread(record, warpColours, weftColours)) {
        fillPixels(dst, blackPixel);
        return;
    }
    WovenRows rows(warpColours, weftColours, record.warpCount, record.weftCount);
    tileRows(rows, record.warpCount, record.weftCount, zoom, dst);
}
