// Weaving a tile by the 2/2 twill, read back from the woven image.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "picture/drawing.h"
#include "picture/images.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"
#include "tartan/weave.h"

namespace {

struct Tile {
    int width = 0;
    int height = 0;
    std::vector<int32_t> colours;  // 0x00BBGGRR, row by row
    int32_t at(int x, int y) const { return colours[static_cast<size_t>(y * width + x)]; }
};

// The woven tile in image slot 0, read through a drawing opened on it.
Tile readTile() {
    Tile tile;
    imageHandle(0);
    if (!beginDrawing(imageTarget())) {
        ADD_FAILURE() << "no drawing on the tile";
        return tile;
    }
    const PixelView s = drawingPixels();
    tile.width = s.width;
    tile.height = s.height;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const uint32_t p = s.pixels[static_cast<size_t>(y) * static_cast<size_t>(s.stride) +
                                        static_cast<size_t>(x)];
            tile.colours.push_back(static_cast<int32_t>(((p >> 16) & 0xFFu) | (p & 0xFF00u) |
                                                        ((p & 0xFFu) << 16)));
        }
    endDrawing();
    return tile;
}

TartanRecord sized(int16_t warp, int16_t weft) {
    TartanRecord record;
    record.name = "test";
    record.warpCount = warp;
    record.weftCount = weft;
    return record;
}

class Weave : public ::testing::Test {
protected:
    void SetUp() override {
        initDrawing();
        initImages();
        initWeavePattern();
    }
    void TearDown() override { freeAllImages(); }
};

// Distinct colours per thread so that each pixel tells which thread shows.
ThreadColours numbered(int count, int32_t base) {
    ThreadColours colours(static_cast<size_t>(count) + 2, 0);
    for (int i = 0; i < count; ++i) colours[static_cast<size_t>(i)] = base + i;
    return colours;
}

TEST_F(Weave, TwillCornersAndStructure) {
    const int w = 12, h = 8;
    const ThreadColours warp = numbered(w, 0x000100), weft = numbered(h, 0x010000);
    weaveTile(sized(w, h), warp, weft);
    const Tile tile = readTile();
    ASSERT_EQ(tile.width, w);
    ASSERT_EQ(tile.height, h);

    EXPECT_EQ(tile.at(0, 0), warp[0]);
    EXPECT_EQ(tile.at(2, 0), weft[0]);
    EXPECT_EQ(tile.at(0, 2), weft[2]);
    EXPECT_EQ(tile.at(1, 1), weft[1]);
    EXPECT_EQ(tile.at(3, 1), warp[3]);

    // The whole first block against the pattern's table (1 = the weft shows).
    const int table[4][4] = {{0, 0, 1, 1}, {0, 1, 1, 0}, {1, 1, 0, 0}, {1, 0, 0, 1}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(tile.at(x, y), table[y][x] ? weft[static_cast<size_t>(y)] : warp[static_cast<size_t>(x)])
                << x << "," << y;

    // Each pixel is its column's warp or its row's weft; which one follows a
    // 4 by 4 pattern with two of each per row and column, every row being the
    // one above moved one column to the left.
    auto weftShows = [&](int x, int y) { return tile.at(x, y) == weft[static_cast<size_t>(y)]; };
    for (int y = 0; y < h; ++y) {
        int weftCells = 0;
        for (int x = 0; x < w; ++x) {
            const int32_t c = tile.at(x, y);
            ASSERT_TRUE(c == warp[static_cast<size_t>(x)] || c == weft[static_cast<size_t>(y)]) << x << "," << y;
            if (x < 4 && weftShows(x, y)) ++weftCells;
            EXPECT_EQ(weftShows(x, y), weftShows(x % 4, y % 4)) << x << "," << y;
            if (y + 1 < h) {
                EXPECT_EQ(weftShows(x, y + 1), weftShows((x + 1) % w, y)) << x << "," << y;
            }
        }
        EXPECT_EQ(weftCells, 2) << "row " << y;
    }
    for (int x = 0; x < 4; ++x) {
        int weftCells = 0;
        for (int y = 0; y < 4; ++y) weftCells += weftShows(x, y);
        EXPECT_EQ(weftCells, 2) << "column " << x;
    }
}

TEST_F(Weave, SingleColourGivesAUniformTile) {
    const Palette palette = parsePalette("3355443");
    const ThreadColours warp = parseThreadSett("4a,4a", palette, 8);
    const ThreadColours weft = parseThreadSett("8a", palette, 8);
    weaveTile(sized(8, 8), warp, weft);
    const Tile tile = readTile();
    ASSERT_EQ(tile.colours.size(), 64u);
    EXPECT_EQ(std::set<int32_t>(tile.colours.begin(), tile.colours.end()),
              std::set<int32_t>{3355443});
}

TEST_F(Weave, SmallestCatalogueTilesUseTheFirstTwoColumns) {
    buildCatalogue();
    unscrambleCatalogue();
    for (int index : {202, 232}) {
        const TartanRecord& record = tartanCatalogue()[static_cast<size_t>(index)];
        SCOPED_TRACE(record.name);
        const Palette palette = parsePalette(record.paletteSett);
        const ThreadColours warp = parseThreadSett(record.warpSett, palette, record.warpCount);
        const ThreadColours weft = parseThreadSett(record.weftSett, palette, record.weftCount);
        ASSERT_NE(warp[0], warp[1]);
        weaveTile(record, warp, weft);
        const Tile tile = readTile();
        ASSERT_EQ(tile.width, 2);
        ASSERT_EQ(tile.height, 4);
        // Columns 0 and 1 of the twill: warp/warp, warp/weft, weft/weft, weft/warp.
        const std::vector<int32_t> expected = {warp[0], warp[1], warp[0], weft[1],
                                               weft[2], weft[2], weft[3], warp[1]};
        EXPECT_EQ(tile.colours, expected);
    }
}

TEST_F(Weave, ShortThreadListsLeaveTheTileBlack) {
    weaveTile(sized(6, 8), ThreadColours{}, ThreadColours{});
    const Tile tile = readTile();
    ASSERT_EQ(tile.colours.size(), 48u);
    EXPECT_EQ(std::set<int32_t>(tile.colours.begin(), tile.colours.end()), std::set<int32_t>{0});
}

TEST_F(Weave, EveryCatalogueTartanWeavesFromItsOwnPalette) {
    buildCatalogue();
    unscrambleCatalogue();
    for (const TartanRecord& record : tartanCatalogue()) {
        SCOPED_TRACE(record.name);
        const Palette palette = parsePalette(record.paletteSett);
        weaveTile(record, parseThreadSett(record.warpSett, palette, record.warpCount),
                  parseThreadSett(record.weftSett, palette, record.weftCount));
        const Tile tile = readTile();
        ASSERT_EQ(tile.width, record.warpCount);
        ASSERT_EQ(tile.height, record.weftCount);
        const std::set<int32_t> inPalette(palette.begin(), palette.end() - 1);
        const std::set<int32_t> woven(tile.colours.begin(), tile.colours.end());
        EXPECT_GE(woven.size(), 2u);
        for (int32_t c : woven) EXPECT_EQ(inPalette.count(c), 1u) << std::hex << c;
    }
}

}  // namespace
