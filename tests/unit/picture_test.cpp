// Images as pixel memory: making, enlarging within the image clip, copying
// with clipping, BMP decoding, and text through the stub's font.
#include <tuple>

#include "resources/about_banner.h"
#include "unit_support.h"

using Picture = StubTest;
using Bytes = std::vector<uint8_t>;

// Makes slot 0 a w x h image holding `p`, row by row.
static void makePicture(int32_t w, int32_t h, Pixels p) {
    makeImage(0, w, h);
    copyPixels(PixelView{p.data(), w, h, w}, imagePixels(0), 0, 0);
}

TEST_F(Picture, MakeImageIsBlackReplacesAndGrowsTheTable) {
    EXPECT_EQ(drawn(1, 1, [] { setPixel(0, 0, 0x0000FF); }), Pixels{0xFFFF0000u});  // red as 0x00BBGGRR
    ASSERT_NE(makeImage(9, 4, 5), nullptr);  // in place of the drawn image
    EXPECT_TRUE(imagePixels(9).width == 4 && pixelsOf(imagePixels(9)) == Pixels(20, blackPixel));
    EXPECT_TRUE(makeImage(25, 1, 1) && imageHandle(25) && !makeImage(-1, 1, 1) && !imagePixels(-1).pixels);
    for (int32_t slot : {-1, 24, 26, 36}) EXPECT_EQ(imageHandle(slot), nullptr) << slot;
}

TEST_F(Picture, EnlargementsKeepTheirPartInTheClipAndCopyClippedAtEveryEdgePendingOrMade) {
    const Pixels four = {0xFF0000AAu, 0xFF00BB00u, 0xFFCC0000u, 0xFFDDDDDDu};
    // 2 x 2 enlarged to 6 x 6 under a clip (width, height) holds (width, height), copied onto
    // 5 x 4 at places cut at each edge, larger than the target, or outside it.
    const int32_t clips[][4] = {{0, 0, 6, 6}, {4, 5, 4, 5}, {10, 3, 6, 3}};
    const int32_t places[][2] = {{0, 0}, {-2, 1}, {1, -4}, {3, 2}, {-6, 0}, {5, 0}, {0, 4}, {0, -6}};
    for (const auto& c : clips) {
        // Pixel (x, y) of the held part; a copy leaves the target's grey outside it.
        const auto held = [&](int x, int y) {
            return x >= 0 && x < c[2] && y >= 0 && y < c[3] ? four[y / 3 * 2 + x / 3] : 0xFF808080u;
        };
        setImageClip(c[0], c[1]);
        makePicture(2, 2, four);
        ASSERT_NE(scaleImage(0, 6, 6), nullptr);
        for (const bool made : {false, true}) {
            if (made) { EXPECT_EQ(pixelsOf(imagePixels(0)), picture(c[2], c[3], held)) << c[0]; }  // made here
            for (const auto& p : places)
                EXPECT_EQ(drawn(5, 4, [&] { blitImage(imageHandle(0), p[0], p[1]); }),
                          picture(5, 4, [&](int x, int y) { return held(x - p[0], y - p[1]); }))
                    << "clip " << c[0] << (made ? " made" : " pending") << " at " << p[0] << "," << p[1];
        }
    }
}

// Scaling again starts from the enlarged picture (a a b, not a b); a
// reduction gives each pixel the average of the block it covers.
TEST_F(Picture, ScalingAgainStartsFromTheEnlargedPictureAndReductionsAverage) {
    makePicture(2, 1, {0xFF102030u, 0xFF305070u});
    scaleImage(0, 3, 1);
    scaleImage(0, 2, 1);
    EXPECT_EQ(pixelsOf(imagePixels(0)), (Pixels{0xFF102030u, 0xFF203850u}));
    makePicture(4, 2, {0xFF000000u, 0xFF000004u, 0xFF0000FFu, 0xFF0000FFu,
                       0xFF000008u, 0xFF00000Cu, 0xFF000001u, 0xFF0000FFu});
    scaleImage(0, 2, 1);
    EXPECT_EQ(pixelsOf(imagePixels(0)), (Pixels{0xFF000006u, 0xFF0000C0u}));
}

// `file` with `value` written at `at` in `bytes` bytes, lowest first.
static Bytes put(Bytes file, size_t at, int64_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) file.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
    return file;
}

// A BMP file image: the headers, the colour table (0x00RRGGBB entries), then `rows` as given.
static Bytes bmpFile(int32_t w, int32_t h, int bits, const std::vector<uint32_t>& table, const Bytes& rows) {
    Bytes file = {'B', 'M'};
    file.resize(54 + 4 * table.size());
    // The file size, the pixels' offset, the header size, width, height, planes, bits a pixel, colours used.
    for (const auto& [at, value, bytes] : std::vector<std::tuple<size_t, int64_t, int>>{
             {2, file.size() + rows.size(), 4}, {10, file.size(), 4}, {14, 40, 4}, {18, w, 4}, {22, h, 4}, {26, 1, 2},
             {28, bits, 2}, {46, table.size(), 4}})
        file = put(file, at, value, bytes);
    for (size_t i = 0; i < table.size(); ++i) file = put(file, 54 + 4 * i, table[i]);
    file.insert(file.end(), rows.begin(), rows.end());
    return file;
}

TEST_F(Picture, BmpFilesAcceptedAndRefused) {
    const Bytes rgb = bmpFile(2, -2, 24, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
    const Bytes pal8 = bmpFile(2, 2, 8, {0x112233, 0x445566, 0x778899}, {2, 0, 0, 0, 1, 2, 0, 0});
    const Pixels rgbPixels = {0xFF030201u, 0xFF060504u, 0xFF090807u, 0xFF0C0B0Au};
    const Bytes banner(aboutBannerData, aboutBannerData + aboutBannerSize);  // 4 bits a pixel, a 40-byte header
    const Pixels bannerPixels = picture(340, 50, [&](int32_t x, int32_t y) {
        const uint8_t pair = banner[(banner[10] | banner[11] << 8) + (49 - y) * 172 + x / 2];
        const uint8_t* entry = &banner[54 + 4 * (x % 2 ? pair & 15 : pair >> 4)];
        return static_cast<uint32_t>(0xFF000000u | entry[2] << 16 | entry[1] << 8 | entry[0]);
    });
    // A refused file leaves the slot as it was, one pixel; every file accepted here is wider.
    struct Case { const char* what; Bytes file; int32_t w = 1; Pixels expected = {0xFF123456u}; };
    for (const Case& c : {
             Case{"About banner", banner, 340, bannerPixels}, {"24 bits, top-down", rgb, 2, rgbPixels},
             {"200 colours used, 4 bits", put(banner, 46, 200), 340, bannerPixels},
             {"8 bits, bottom-up", pal8, 2, {0xFF445566u, 0xFF778899u, 0xFF778899u, 0xFF112233u}},
             {"1 bit", bmpFile(3, 1, 1, {0xFF, 0xFF0000}, {0xA0, 0, 0, 0}), 3, {0xFFFF0000u, 0xFF0000FFu, 0xFFFF0000u}},
             {"past the table", bmpFile(2, 1, 8, {0x010203, 0x040506}, {1, 5, 0, 0}), 2, {0xFF040506u, blackPixel}},
             {"planes 2", put(rgb, 26, 2, 2), 2, rgbPixels}, {"not BM", put(rgb, 1, 'X', 1)},
             {"cut in the headers", Bytes(&rgb[0], &rgb[40])}, {"cut in the colour table", Bytes(&pal8[0], &pal8[62])},
             {"cut in the pixels", Bytes(&pal8[0], &pal8.back())}, {"compressed", put(pal8, 30, 1)},
             {"16 bits", put(rgb, 28, 16, 2)}, {"width 0", put(rgb, 18, 0)}, {"height 0", put(rgb, 22, 0)},
             {"pixels inside the headers", put(rgb, 10, 20)}}) {
        makePicture(1, 1, {0xFF123456u});
        EXPECT_EQ(loadImageFromMemory(0, c.file.data(), c.file.size()) != nullptr, c.w > 1) << c.what;
        EXPECT_TRUE(imagePixels(0).width == c.w && pixelsOf(imagePixels(0)) == c.expected) << c.what;
    }
}

TEST_F(Picture, TextThroughTheStubFontAndNothingOutsideADrawing) {
    // Blue text, opaque unless transparentText is set; then, setting nothing, a new drawing's opaque black.
    for (const int32_t flags : {invertingLines, transparentText, DrawingFlag{}}) {
        const Pixels expected = drawn(40, 12, [&] {
            drawText(drawingPixels(), 3, 1, "a b", flags ? 0xFF0000 : 0, flags != transparentText);
            drawText(drawingPixels(), 21, 1, "c", flags ? 0xFF0000 : 0, flags != transparentText);  // after "a b"
        });
        EXPECT_EQ(drawn(40, 12, [&] {
                      if (flags) {
                          setDrawingFlags(flags);
                          setDrawColour(0, 0, 255);
                      }
                      setTextPosition(3, 1);
                      for (const char* text : {"a b", "", "c"}) writeText(text);
                      EXPECT_TRUE(textWidth("abc") == 18 && textWidth("") == 0);
                  }), expected) << "flags " << flags;
    }
    // Outside a drawing: a black surface presented once by the first end; then nothing is drawn or measured.
    makePicture(2, 2, Pixels(4, 0xFFFFFFFFu));
    openTopWindow(0, 0, 0, 8, 6, stylePopup, "");
    beginDrawing(windowTarget());
    endDrawing();
    endDrawing();
    setPixel(1, 1, 0xFFFFFF);
    blitImage(imageHandle(0), 0, 0);
    writeText("x");
    EXPECT_TRUE(textWidth("x") == 0 && drawingPixels().pixels == nullptr && stub::window(0)->presents == 1);
    EXPECT_EQ(stub::window(0)->surface, Pixels(48, blackPixel));
}
