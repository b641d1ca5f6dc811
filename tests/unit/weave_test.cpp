// Weaving a tile by the 2/2 twill, read back from the woven image.
#include <numeric>

#include "tartan/weave.h"
#include "unit_support.h"

using Weave = StubTest;

// Weaves the record's tile; its pixels as 0x00BBGGRR colours, row by row.
static Pixels weave(const TartanRecord& record, const ThreadColours& warp, const ThreadColours& weft) {
    initWeavePattern();
    weaveTile(record, warp, weft);
    const PixelView tile = imagePixels(0);
    return picture(tile.width, tile.height, [&](int x, int y) { return colourFromPixel(tile.row(y)[x]); });
}

TEST_F(Weave, TwillCornersAndStructure) {
    // 1: the weft shows. Each row is the one above rotated left by one column.
    const int twill[4][4] = {{0, 0, 1, 1}, {0, 1, 1, 0}, {1, 1, 0, 0}, {1, 0, 0, 1}};
    // 14 is not a multiple of 4; 2 x 4 is the catalogue's smallest tile, narrower than the twill.
    for (const auto& [w, h] : {std::pair<int16_t, int16_t>{14, 8}, {2, 4}}) {
        ThreadColours warp(w + 2, 0), weft(h + 2, 0);  // one colour a thread tells which thread shows
        std::iota(warp.begin(), warp.begin() + w, 0x000100);
        std::iota(weft.begin(), weft.begin() + h, 0x010000);
        const Pixels expected = picture(w, h, [&](int x, int y) { return twill[y % 4][x % 4] ? weft[y] : warp[x]; });
        EXPECT_EQ(weave(TartanRecord{"", w, h, "", "", ""}, warp, weft), expected) << w << " x " << h;
    }
}

TEST_F(Weave, ShortColourListsGiveABlackTileAndABlackPicture) {
    const TartanRecord record{"", 8, 8, "", "", ""};
    const ThreadColours warp(8, 0x10), weft(3, 0x20);
    EXPECT_EQ(weave(record, warp, weft), Pixels(64, 0));
    EXPECT_EQ(drawn(20, 10, [&] { weaveRepeated(record, warp, weft, 2, drawingPixels()); }), Pixels(200, blackPixel));
}
