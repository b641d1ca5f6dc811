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

TEST_F(Weave, TheShowsPictureIsTheTileEnlargedAndRepeatedFromTheTopLeft) {
    initWeavePattern();
    buildCatalogue();
    unscrambleCatalogue();
    // The smallest tile; an odd warp (the weft four times as long); the largest tile, larger than the picture;
    // pictures that no copy divides, some less than one copy wide or tall.
    struct Case { int index; int32_t zoom, width, height; };
    for (const Case& c : {Case{232, 1, 7, 9}, {232, 10, 33, 45}, {227, 1, 300, 1001}, {227, 3, 1000, 7},
                          {261, 1, 700, 90}, {261, 10, 503, 2000}}) {
        const TartanRecord& record = tartanCatalogue()[static_cast<size_t>(c.index)];
        const Palette palette = parsePalette(record.paletteSett);
        const ThreadColours warp = parseThreadSett(record.warpSett, palette, record.warpCount);
        const ThreadColours weft = parseThreadSett(record.weftSett, palette, record.weftCount);
        weaveTile(record, warp, weft);
        const Pixels tile = pixelsOf(imagePixels(0));
        const int32_t w = record.warpCount, h = record.weftCount, z = c.zoom;
        EXPECT_EQ(drawn(c.width, c.height, [&] { weaveRepeated(record, warp, weft, z, drawingPixels()); }),
                  picture(c.width, c.height, [&](int x, int y) { return tile[y % (h * z) / z * w + x % (w * z) / z]; }))
            << record.name << " zoom " << z << " on " << c.width << "x" << c.height;
    }
}
