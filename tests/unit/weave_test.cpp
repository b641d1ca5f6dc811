// Weaving a tile by the 2/2 twill, read back from the woven image.
#include <numeric>

#include "tartan/catalogue.h"
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
    const int16_t w = 14, h = 8;  // a width that is not a multiple of 4
    ThreadColours warp(w + 2, 0), weft(h + 2, 0);  // one colour a thread tells which thread shows
    std::iota(warp.begin(), warp.begin() + w, 0x000100), std::iota(weft.begin(), weft.begin() + h, 0x010000);
    // 1: the weft shows. Each row is the one above rotated left by one column.
    const int twill[4][4] = {{0, 0, 1, 1}, {0, 1, 1, 0}, {1, 1, 0, 0}, {1, 0, 0, 1}};
    Colours expected;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) expected.push_back(twill[y % 4][x % 4] ? weft[y] : warp[x]);
    EXPECT_EQ(weave(TartanRecord{"", w, h, "", "", ""}, warp, weft), expected);
}

TEST_F(Weave, OneColourGivesAUniformTileAndShortColourListsABlackOne) {
    const Palette palette = parsePalette("3355443");
    const TartanRecord square{"", 8, 8, "", "", ""};
    EXPECT_EQ(weave(square, parseThreadSett("4a,4a", palette, 8), parseThreadSett("8a", palette, 8)),
              Colours(64, 3355443));
    EXPECT_EQ(weave(square, ThreadColours(8, 0x10), ThreadColours(3, 0x20)), Colours(64, 0));
}

TEST_F(Weave, SmallestCatalogueTilesUseTheFirstTwoColumns) {
    buildCatalogue();
    unscrambleCatalogue();
    for (const int index : {202, 232}) {
        const TartanRecord& record = tartanCatalogue()[index];
        const Palette palette = parsePalette(record.paletteSett);
        const ThreadColours warp = parseThreadSett(record.warpSett, palette, record.warpCount);
        const ThreadColours weft = parseThreadSett(record.weftSett, palette, record.weftCount);
        ASSERT_TRUE(record.warpCount == 2 && record.weftCount == 4 && warp[0] != warp[1]) << record.name;
        // Rows of columns 0 and 1: warp/warp, warp/weft, weft/weft, weft/warp.
        EXPECT_EQ(weave(record, warp, weft),
                  (Colours{warp[0], warp[1], warp[0], weft[1], weft[2], weft[2], weft[3], warp[1]})) << record.name;
    }
}
