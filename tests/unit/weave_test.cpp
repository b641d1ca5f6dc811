// Weaving a tile by the 2/2 twill, read back from the woven image.
#include <numeric>

#include "tartan/sett.h"
#include "tartan/weave.h"
#include "unit_support.h"

using Weave = StubTest;
using Colours = std::vector<int32_t>;

// Weaves the record's tile; its pixels as 0x00BBGGRR colours, row by row.
static Colours weave(const TartanRecord& record, const ThreadColours& warp, const ThreadColours& weft) {
    initWeavePattern();
    weaveTile(record, warp, weft);
    Colours out;
    for (const uint32_t p : pixelsOf(imagePixels(0))) out.push_back(colourFromPixel(p));
    return out;
}

TEST_F(Weave, TwillCornersAndStructure) {
    // 1: the weft shows. Each row is the one above rotated left by one column.
    const int twill[4][4] = {{0, 0, 1, 1}, {0, 1, 1, 0}, {1, 1, 0, 0}, {1, 0, 0, 1}};
    // 14 is not a multiple of 4; 2 x 4 is the catalogue's smallest tile, narrower than the twill.
    for (const auto& [w, h] : {std::pair<int16_t, int16_t>{14, 8}, {2, 4}}) {
        ThreadColours warp(w + 2, 0), weft(h + 2, 0);  // one colour a thread tells which thread shows
        std::iota(warp.begin(), warp.begin() + w, 0x000100);
        std::iota(weft.begin(), weft.begin() + h, 0x010000);
        Colours expected;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) expected.push_back(twill[y % 4][x % 4] ? weft[y] : warp[x]);
        EXPECT_EQ(weave(TartanRecord{"", w, h, "", "", ""}, warp, weft), expected) << w << " x " << h;
    }
}

TEST_F(Weave, OneColourGivesAUniformTileAndShortColourListsABlackOne) {
    const Palette palette = parsePalette("3355443");
    const TartanRecord square{"", 8, 8, "", "", ""};
    EXPECT_EQ(weave(square, parseThreadSett("4a,4a", palette, 8), parseThreadSett("8a", palette, 8)),
              Colours(64, 3355443));
    EXPECT_EQ(weave(square, ThreadColours(8, 0x10), ThreadColours(3, 0x20)), Colours(64, 0));
}
