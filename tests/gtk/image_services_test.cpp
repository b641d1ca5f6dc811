// Image and drawing services on cairo image surfaces: the image table,
// enlargement, copying and tiling, BMP decoding and text.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gtk_test_support.h"
#include "resources/about_banner.h"

using gtktest::rgbOf;
using gtktest::surfaceOf;
using gtktest::surfacePixel;

namespace {

class ImageServices : public ::testing::Test {
protected:
    void SetUp() override {
        gtktest::startPlatform();
        setImageClip(0, 0);
    }
    void TearDown() override {
        endDrawing();
        setImageClip(0, 0);
        freeAllImages();
    }

    // A new image in `slot` whose pixel (x, y) has colour(x, y).
    static ImageHandle makePattern(int32_t slot, int width, int height, int32_t (*colour)(int, int)) {
        makeImage(slot, width, height);
        EXPECT_NE(beginDrawing(imageTarget()), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) setPixel(x, y, colour(x, y));
        endDrawing();
        return imageHandle(slot);
    }

    // A distinct colour for every pixel position of a small image.
    static int32_t distinct(int x, int y) { return 0x102030 + x * 0x010101 * 7 + y * 0x0F0000 + 0x000500 * y; }
};

uint32_t surfaceBlack(cairo_surface_t* surface) {
    uint32_t worst = 0;
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) worst |= surfacePixel(surface, x, y);
    return worst;
}

// ---- the image table and enlargement ----

TEST_F(ImageServices, MakingAnImageAgainGivesAFreshBlackImageOfTheNewSize) {
    makePattern(0, 4, 3, [](int, int) { return 0xFFFFFF; });
    ImageHandle second = makeImage(0, 5, 7);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(imageHandle(0), second);
    EXPECT_EQ(gtktest::surfaceWidth(second), 5);
    EXPECT_EQ(gtktest::surfaceHeight(second), 7);
    EXPECT_EQ(surfaceBlack(surfaceOf(second)), 0u);
}

TEST_F(ImageServices, SlotsBeyondTheTableGrowItAndEmptyOrForeignSlotsHaveNoImage) {
    EXPECT_NE(makeImage(40, 2, 2), nullptr);
    EXPECT_NE(imageHandle(40), nullptr);
    EXPECT_EQ(imageHandle(39), nullptr);
    EXPECT_EQ(imageHandle(-1), nullptr);
    EXPECT_EQ(imageHandle(100000), nullptr);
    EXPECT_EQ(makeImage(-1, 2, 2), nullptr);
    // An empty slot is not a drawing target.
    imageHandle(39);
    EXPECT_EQ(beginDrawing(imageTarget()), 0);
}

TEST_F(ImageServices, EnlargingTwoByTwoToSixBySixGivesFourExactBlocks) {
    static const int32_t colours[2][2] = {{0x0000FF, 0x00FF00}, {0xFF0000, 0x808080}};
    makePattern(0, 2, 2, [](int x, int y) { return colours[y][x]; });
    ImageHandle scaled = scaleImage(0, 6, 6);
    ASSERT_NE(scaled, nullptr);
    ASSERT_EQ(gtktest::surfaceWidth(scaled), 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(surfacePixel(surfaceOf(scaled), x, y), rgbOf(colours[y / 3][x / 3])) << x << "," << y;
}

TEST_F(ImageServices, ScalingToTheSameSizeKeepsThePicture) {
    makePattern(0, 5, 3, distinct);
    ImageHandle same = scaleImage(0, 5, 3);
    ASSERT_NE(same, nullptr);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(surfacePixel(surfaceOf(same), x, y), rgbOf(distinct(x, y)));
}

// The enlarged pixels that imagePixels hands out straight after scaleImage
// are the enlargement itself, cut to the clip (the catalogue tool writes
// them to a PNG).
TEST_F(ImageServices, ThePixelsOfAnEnlargementAreItsExactBlocks) {
    struct Case {
        int toWidth, toHeight, clipWidth, clipHeight;
    };
    const Case cases[] = {{15, 9, 0, 0}, {5, 3, 0, 0}, {7, 5, 0, 0}, {40, 30, 0, 0}, {500, 300, 64, 48}};
    for (const Case& c : cases) {
        setImageClip(c.clipWidth, c.clipHeight);
        makePattern(0, 5, 3, distinct);
        ASSERT_NE(scaleImage(0, c.toWidth, c.toHeight), nullptr);
        const PixelSurface pixels = imagePixels(0);
        ASSERT_NE(pixels.pixels, nullptr);
        ASSERT_EQ(pixels.width, c.clipWidth > 0 ? std::min(c.toWidth, c.clipWidth) : c.toWidth);
        ASSERT_EQ(pixels.height, c.clipHeight > 0 ? std::min(c.toHeight, c.clipHeight) : c.toHeight);
        ASSERT_GE(pixels.stride, pixels.width);
        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x)
                ASSERT_EQ(pixels.pixels[static_cast<size_t>(y) * pixels.stride + x] & 0x00FFFFFFu,
                          rgbOf(distinct(x * 5 / c.toWidth, y * 3 / c.toHeight)))
                    << "enlarged to " << c.toWidth << "x" << c.toHeight << " at " << x << "," << y;
    }
    EXPECT_EQ(imagePixels(7).pixels, nullptr);
    EXPECT_EQ(imagePixels(-1).pixels, nullptr);
}

// Copies of an enlargement drawn before its pixels are made are the same as
// copies of the made enlargement, wherever they land on the target.
TEST_F(ImageServices, CopiesOfAnEnlargementNotYetMadeEqualCopiesOfTheMadeOne) {
    struct Case {
        int toWidth, toHeight, clipWidth, clipHeight;
    };
    const Case cases[] = {{15, 9, 0, 0}, {17, 11, 0, 0}, {20, 2, 0, 0}, {40, 30, 0, 0}, {500, 300, 64, 48},
                          {30, 200, 64, 48}};
    const int targetWidth = 53;
    const int targetHeight = 41;
    const int places[][2] = {{10, 4},  {-7, -5},         {targetWidth - 3, targetHeight - 2}, {-3, targetHeight - 4},
                             {40, -8}, {targetWidth, 0}, {-100000, 0},                        {0, -100000}};
    for (const Case& c : cases) {
        std::vector<uint32_t> drawn[2];
        for (int settled = 0; settled < 2; ++settled) {
            setImageClip(c.clipWidth, c.clipHeight);
            makePattern(0, 5, 3, distinct);
            ASSERT_NE(scaleImage(0, c.toWidth, c.toHeight), nullptr);
            if (settled) {
                ASSERT_NE(imagePixels(0).pixels, nullptr);
            }
            setImageClip(0, 0);
            makeImage(1, targetWidth, targetHeight);
            ASSERT_NE(beginDrawing(imageTarget()), 0);
            for (const auto& place : places) blitImage(imageHandle(0), place[0], place[1]);
            endDrawing();
            const PixelSurface target = imagePixels(1);
            ASSERT_NE(target.pixels, nullptr);
            for (int y = 0; y < targetHeight; ++y)
                for (int x = 0; x < targetWidth; ++x)
                    drawn[settled].push_back(target.pixels[static_cast<size_t>(y) * target.stride + x] & 0xFFFFFFu);
        }
        // Each pixel is that of the last copy whose stored part covers it.
        const int storedWidth = c.clipWidth > 0 ? std::min(c.toWidth, c.clipWidth) : c.toWidth;
        const int storedHeight = c.clipHeight > 0 ? std::min(c.toHeight, c.clipHeight) : c.toHeight;
        for (int y = 0; y < targetHeight; ++y)
            for (int x = 0; x < targetWidth; ++x) {
                uint32_t expected = 0;
                for (const auto& place : places) {
                    const int64_t ex = int64_t{x} - place[0];
                    const int64_t ey = int64_t{y} - place[1];
                    if (ex >= 0 && ey >= 0 && ex < storedWidth && ey < storedHeight)
                        expected = rgbOf(distinct(static_cast<int>(ex * 5 / c.toWidth),
                                                  static_cast<int>(ey * 3 / c.toHeight)));
                }
                const size_t at = static_cast<size_t>(y) * targetWidth + x;
                ASSERT_EQ(drawn[0][at], expected) << c.toWidth << "x" << c.toHeight << " at " << x << "," << y;
                ASSERT_EQ(drawn[0][at], drawn[1][at]) << c.toWidth << "x" << c.toHeight << " at " << x << "," << y;
            }
    }
}

TEST_F(ImageServices, ScalingAnEmptySlotChangesNothing) {
    EXPECT_EQ(scaleImage(7, 10, 10), nullptr);
    EXPECT_EQ(imageHandle(7), nullptr);
}

TEST_F(ImageServices, TheClipBoundsWhatIsStoredButNotTheImageSize) {
    setImageClip(64, 48);
    makePattern(0, 100, 100, distinct);
    ImageHandle big = scaleImage(0, 1000, 1000);
    ASSERT_NE(big, nullptr);
    // Memory holds only what a 64 x 48 screen could show.
    EXPECT_EQ(gtktest::surfaceWidth(big), 64);
    EXPECT_EQ(gtktest::surfaceHeight(big), 48);
    EXPECT_EQ(surfacePixel(surfaceOf(big), 63, 47), rgbOf(distinct(6, 4)));

    // The full size still spaces copies: a second copy at x = 1000 lands there.
    setImageClip(0, 0);
    makeImage(1, 1100, 10);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    blitImage(imageHandle(0), 0, 0);
    blitImage(imageHandle(0), 1000, 0);
    endDrawing();
    cairo_surface_t* target = surfaceOf(imageHandle(1));
    EXPECT_EQ(surfacePixel(target, 0, 0), rgbOf(distinct(0, 0)));
    EXPECT_EQ(surfacePixel(target, 63, 9), rgbOf(distinct(6, 0)));
    EXPECT_EQ(surfacePixel(target, 64, 0), 0u);   // beyond the stored part: untouched
    EXPECT_EQ(surfacePixel(target, 999, 0), 0u);
    EXPECT_EQ(surfacePixel(target, 1000, 0), rgbOf(distinct(0, 0)));
    EXPECT_EQ(surfacePixel(target, 1063, 5), rgbOf(distinct(6, 0)));
}

// ---- copying and tiling ----

TEST_F(ImageServices, CopiesAreCutAtEveryEdgeOfTheTarget) {
    makePattern(0, 4, 4, distinct);
    makeImage(1, 10, 10);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    blitImage(imageHandle(0), 8, 7);     // past the right and bottom edges
    blitImage(imageHandle(0), -2, -3);   // past the left and top edges
    endDrawing();
    cairo_surface_t* target = surfaceOf(imageHandle(1));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            uint32_t expected = 0;
            if (x >= 8 && y >= 7) expected = rgbOf(distinct(x - 8, y - 7));
            if (x < 2 && y < 1) expected = rgbOf(distinct(x + 2, y + 3));
            EXPECT_EQ(surfacePixel(target, x, y), expected) << x << "," << y;
        }
}

// Copies of pictures larger than the caches: the same pixels, cut at the
// same edges, whichever way the copies overlap.
TEST_F(ImageServices, LargeCopiesAreCutAtEveryEdgeOfTheTargetToo) {
    const int width = 1031;
    const int height = 1025;  // over 4 MB of pixels
    auto pattern = [](int x, int y) { return (x * 7919 + y * 104729) & 0xFFFFFF; };
    makeImage(0, width, height);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) setPixel(x, y, pattern(x, y));
    endDrawing();
    const int targetWidth = 1041;
    const int targetHeight = 1030;
    makeImage(1, targetWidth, targetHeight);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    blitImage(imageHandle(0), -3, 9);      // past the left and bottom edges
    blitImage(imageHandle(0), 1029, -5);   // past the right and top edges, overlapping the first
    endDrawing();
    cairo_surface_t* target = surfaceOf(imageHandle(1));
    for (int y = 0; y < targetHeight; ++y)
        for (int x = 0; x < targetWidth; ++x) {
            uint32_t expected = 0;
            if (x < width - 3 && y >= 9) expected = rgbOf(pattern(x + 3, y - 9));
            if (x >= 1029 && y < height - 5) expected = rgbOf(pattern(x - 1029, y + 5));
            ASSERT_EQ(surfacePixel(target, x, y), expected) << x << "," << y;
        }
}

// Rows of side-by-side copies, as the show tiles the screen, must give the
// same pixels as copying each one on its own, wherever the row starts.
TEST_F(ImageServices, TiledRowsMatchCopiesMadeOneByOne) {
    struct Case {
        int width, height, startX, startY;
    };
    const Case cases[] = {{3, 2, 0, 0}, {3, 2, -2, -1}, {5, 4, -7, 3}, {1, 1, 0, 0}, {17, 3, 4, -2}, {64, 5, -10, 0}};
    const int targetWidth = 61;
    const int targetHeight = 13;
    for (const Case& c : cases) {
        makePattern(0, c.width, c.height, distinct);
        makeImage(1, targetWidth, targetHeight);
        ASSERT_NE(beginDrawing(imageTarget()), 0);
        for (int y = c.startY; y < targetHeight; y += c.height)
            for (int x = c.startX; x < targetWidth; x += c.width) blitImage(imageHandle(0), x, y);
        endDrawing();
        cairo_surface_t* target = surfaceOf(imageHandle(1));
        for (int y = 0; y < targetHeight; ++y)
            for (int x = 0; x < targetWidth; ++x) {
                const int sx = ((x - c.startX) % c.width + c.width) % c.width;
                const int sy = ((y - c.startY) % c.height + c.height) % c.height;
                const bool covered = x >= c.startX && y >= c.startY;
                ASSERT_EQ(surfacePixel(target, x, y), covered ? rgbOf(distinct(sx, sy)) : 0u)
                    << "image " << c.width << "x" << c.height << " from " << c.startX << "," << c.startY
                    << " at " << x << "," << y;
            }
    }
}

TEST_F(ImageServices, RowsOfAnEnlargementBeyondTheClipAreNotDrawn) {
    setImageClip(64, 48);
    makePattern(0, 10, 20, distinct);
    scaleImage(0, 30, 200);  // stored 30 x 48
    makeImage(1, 100, 100);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (int x = 0; x < 100; x += 30) blitImage(imageHandle(0), x, 0);
    endDrawing();
    cairo_surface_t* target = surfaceOf(imageHandle(1));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const uint32_t expected = y < 48 ? rgbOf(distinct((x % 30) / 3, y / 10)) : 0u;
            ASSERT_EQ(surfacePixel(target, x, y), expected) << x << "," << y;
        }

    // Wider than the clip: only the stored columns of a copy are drawn.
    makePattern(0, 10, 20, distinct);
    scaleImage(0, 300, 30);  // stored 64 x 30
    makeImage(1, 100, 40);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    blitImage(imageHandle(0), -5, 0);
    blitImage(imageHandle(0), 295, 0);
    endDrawing();
    target = surfaceOf(imageHandle(1));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            const uint32_t expected = y < 30 && x < 59 ? rgbOf(distinct((x + 5) / 30, y * 20 / 30)) : 0u;
            ASSERT_EQ(surfacePixel(target, x, y), expected) << x << "," << y;
        }
}

// ---- drawing brackets ----

TEST_F(ImageServices, DrawingCallsOutsideADrawingDoNothing) {
    makePattern(0, 3, 3, [](int, int) { return 0x00FF00; });
    makeImage(1, 40, 20);
    setPixel(0, 0, 0xFFFFFF);
    blitImage(imageHandle(0), 0, 0);
    setDrawingFlags(0);
    setTextPosition(0, 0);
    writeText("Outside");
    EXPECT_EQ(textWidth("Outside"), 0);
    EXPECT_EQ(surfaceBlack(surfaceOf(imageHandle(1))), 0u);
}

TEST_F(ImageServices, TextStartsBlackInEveryDrawingWhateverTheColourSetBefore) {
    makeImage(0, 60, 30);
    setDrawColour(255, 0, 0);  // no drawing open: no effect at all
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    gtktest::paintAll(60, 30, 0x00FF00);
    writeText("HH");
    endDrawing();
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    setDrawColour(0, 0, 255);
    endDrawing();
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    setTextPosition(30, 0);
    writeText("HH");
    endDrawing();
    // Both texts are black: neither the colour set outside nor the one of
    // the previous drawing carries into a new drawing.
    cairo_surface_t* s = surfaceOf(imageHandle(0));
    bool blackInFirst = false;
    bool blackInSecond = false;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) {
            const uint32_t p = surfacePixel(s, x, y);
            if (p == 0) (x < 30 ? blackInFirst : blackInSecond) = true;
            const uint32_t red = p >> 16;
            const uint32_t blue = p & 0xFF;
            EXPECT_EQ(red, blue) << "coloured text at " << x << "," << y;
        }
    EXPECT_TRUE(blackInFirst);
    EXPECT_TRUE(blackInSecond);
}

// ---- text ----

TEST_F(ImageServices, EmptyTextHasNoWidthAndDrawsNothing) {
    makeImage(0, 80, 30);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    EXPECT_EQ(textWidth(""), 0);
    EXPECT_GT(textWidth("W"), 0);
    writeText("");
    endDrawing();
    EXPECT_EQ(surfaceBlack(surfaceOf(imageHandle(0))), 0u);
}

TEST_F(ImageServices, OpaqueTextIsBlackOnWhiteCellsAndTransparentTextKeepsTheBackground) {
    const int width = 200;
    const int height = 40;
    const std::string text = "Hi Mx";
    for (int flags : {2, 1}) {
        makeImage(0, width, height);
        ASSERT_NE(beginDrawing(imageTarget()), 0);
        gtktest::paintAll(width, height, 0x00FF00);
        setDrawingFlags(flags);
        setDrawColour(0, 0, 0);
        const int textW = textWidth(text);
        setTextPosition(10, 5);
        writeText(text);
        endDrawing();
        ASSERT_GT(textW, 0);
        cairo_surface_t* s = surfaceOf(imageHandle(0));
        int white = 0;
        int black = 0;
        int green = 0;
        int greenOutside = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t p = surfacePixel(s, x, y);
                const bool inside = x >= 10 && x < 10 + textW && y >= 5;
                if (!inside) {
                    greenOutside += p == 0x00FF00;
                    continue;
                }
                white += p == 0xFFFFFF;
                black += p == 0;
                green += p == 0x00FF00;
            }
        // Outside the text's cells nothing changes.
        EXPECT_EQ(greenOutside, width * height - textW * (height - 5)) << "flags " << flags;
        EXPECT_GT(black, 0) << "flags " << flags;
        if (flags == 2) {
            EXPECT_GT(white, 0);
        } else {
            EXPECT_EQ(white, 0);
            EXPECT_GT(green, 0);
        }
    }
}

TEST_F(ImageServices, ANameRightAlignedAtTheWindowEdgeEndsThereOnScreen) {
    const int width = 300;
    const int height = 40;
    WindowHandle window = openTopWindow(5, 0, 0, width, height, stylePopup, "");
    ASSERT_NE(window, nullptr);
    fillWindowBlack(window);
    const std::string name = "Stewart Hunting Early";
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    setDrawingFlags(2);
    setDrawColour(0, 0, 0);
    const int textW = textWidth(name);
    setTextPosition(width - textW, 0);
    writeText(name);
    writeText(name);  // starts beyond the right edge: draws nothing more
    endDrawing();
    ASSERT_GT(textW, 0);
    ASSERT_LT(textW, width);

    cairo_surface_t* buffer = gtkbackend::windowBuffer(window);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(surfacePixel(buffer, width - 1, 0), 0xFFFFFFu);           // the cell reaches the edge
    EXPECT_EQ(surfacePixel(buffer, width - textW, 0), 0xFFFFFFu);       // and starts where it should
    EXPECT_EQ(surfacePixel(buffer, width - textW - 1, 0), 0u);          // nothing left of it

    // What is on the real screen is the window's picture.
    gtktest::settle(300);
    gtktest::ScreenGrab screen(0, 0, width, height);
    ASSERT_TRUE(screen.valid());
    for (int x : {width - 1, width - textW, width - textW - 1, 0})
        EXPECT_EQ(screen.at(x, 0), surfacePixel(buffer, x, 0)) << x;
    closeAllWindows();
}

// ---- BMP decoding ----

// A BMP file image: the file header, a 40-byte info header, the colour table
// and the rows as given (already padded).
std::vector<uint8_t> bmpFile(int width, int height, int bits, const std::vector<uint32_t>& table,
                             const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> file(54 + table.size() * 4);
    auto put16 = [&](size_t at, uint32_t v) {
        file[at] = static_cast<uint8_t>(v);
        file[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size() + rows.size()));
    put32(10, static_cast<uint32_t>(file.size()));
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    put16(26, 1);
    put16(28, static_cast<uint32_t>(bits));
    put32(46, static_cast<uint32_t>(table.size()));
    for (size_t i = 0; i < table.size(); ++i) put32(54 + i * 4, table[i]);
    file.insert(file.end(), rows.begin(), rows.end());
    return file;
}

TEST_F(ImageServices, TheBannerDecodesWithItsColourTableBottomRowFirst) {
    ImageHandle banner = loadImageFromMemory(0, aboutBannerData, aboutBannerSize);
    ASSERT_NE(banner, nullptr);
    ASSERT_EQ(gtktest::surfaceWidth(banner), 340);
    ASSERT_EQ(gtktest::surfaceHeight(banner), 50);
    // Read the file's own bytes: 4 bits a pixel, rows bottom-up, 4-byte aligned.
    const uint8_t* d = aboutBannerData;
    const uint32_t offset = d[10] | (d[11] << 8) | (d[12] << 16) | (static_cast<uint32_t>(d[13]) << 24);
    const uint32_t headerSize = d[14] | (d[15] << 8);
    const int rowBytes = ((340 * 4 + 31) / 32) * 4;
    for (int y = 0; y < 50; y += 7)
        for (int x = 0; x < 340; x += 13) {
            const uint8_t byte = d[offset + static_cast<uint32_t>((49 - y) * rowBytes) + x / 2];
            const int index = x % 2 ? byte & 0x0F : byte >> 4;
            const uint8_t* entry = d + 14 + headerSize + index * 4;
            const uint32_t expected = (entry[2] << 16) | (entry[1] << 8) | entry[0];
            ASSERT_EQ(surfacePixel(surfaceOf(banner), x, y), expected) << x << "," << y;
        }
}

TEST_F(ImageServices, TrueColourAndPalettedRowsDecodeInEitherOrder) {
    // 24 bits, 3 x 2, top-down (negative height): rows padded to 12 bytes.
    const std::vector<uint8_t> rows24 = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,
                                         1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0};
    const std::vector<uint8_t> file24 = bmpFile(3, -2, 24, {}, rows24);
    ImageHandle top = loadImageFromMemory(0, file24.data(), file24.size());
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(surfacePixel(surfaceOf(top), 0, 0), 0xFF0000u);
    EXPECT_EQ(surfacePixel(surfaceOf(top), 1, 0), 0x00FF00u);
    EXPECT_EQ(surfacePixel(surfaceOf(top), 2, 0), 0x0000FFu);
    EXPECT_EQ(surfacePixel(surfaceOf(top), 2, 1), 0x090807u);

    // 8 bits, 5 x 2, bottom-up: the first row in the file is the bottom one.
    const std::vector<uint32_t> table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    const std::vector<uint8_t> rows8 = {1, 2, 3, 0, 1, 0, 0, 0, 3, 3, 3, 3, 2, 0, 0, 0};
    const std::vector<uint8_t> file8 = bmpFile(5, 2, 8, table, rows8);
    ImageHandle paletted = loadImageFromMemory(0, file8.data(), file8.size());
    ASSERT_NE(paletted, nullptr);
    EXPECT_EQ(surfacePixel(surfaceOf(paletted), 0, 1), 0xFF0000u);
    EXPECT_EQ(surfacePixel(surfaceOf(paletted), 2, 1), 0x0000FFu);
    EXPECT_EQ(surfacePixel(surfaceOf(paletted), 4, 1), 0xFF0000u);
    EXPECT_EQ(surfacePixel(surfaceOf(paletted), 4, 0), 0x00FF00u);
}

TEST_F(ImageServices, DataThatIsNotAWholeBmpGivesNoImage) {
    const std::vector<uint8_t> banner(aboutBannerData, aboutBannerData + aboutBannerSize);
    EXPECT_EQ(loadImageFromMemory(0, nullptr, 100), nullptr);
    // Cut short anywhere: in the headers, the colour table or the pixels.
    for (size_t size : {size_t{0}, size_t{1}, size_t{2}, size_t{13}, size_t{30}, size_t{53}, size_t{60},
                        size_t{117}, size_t{118}, aboutBannerSize / 2, aboutBannerSize - 1})
        EXPECT_EQ(loadImageFromMemory(0, banner.data(), size), nullptr) << size;

    auto corrupted = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bad = banner;
        for (int i = 0; i < 4; ++i) bad[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return bad;
    };
    const struct {
        size_t at;
        uint32_t value;
    } damage[] = {
        {10, 0xFFFFFFF0u},  // pixel data far past the end
        {10, 8000},         // pixel data running past the end
        {14, 0x7FFFFFFFu},  // header larger than the data
        {18, 0x7FFFFFFFu},  // absurd width
        {18, 0},            // no width
        {22, 0x80000000u},  // the most negative height
        {22, 51},           // one row more than the data holds
        {28, 0x0003},       // unsupported bits per pixel (low half)
        {30, 1},            // compressed
    };
    for (const auto& d : damage) {
        const std::vector<uint8_t> bad = corrupted(d.at, d.value);
        EXPECT_EQ(loadImageFromMemory(0, bad.data(), bad.size()), nullptr) << "byte " << d.at;
    }
    std::vector<uint8_t> garbage(4096);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 131 + 7);
    EXPECT_EQ(loadImageFromMemory(0, garbage.data(), garbage.size()), nullptr);
    garbage[0] = 'B';
    garbage[1] = 'M';
    EXPECT_EQ(loadImageFromMemory(0, garbage.data(), garbage.size()), nullptr);
}

TEST_F(ImageServices, AColourTableShorterThanTheIndicesGivesBlackForTheRest) {
    const std::vector<uint8_t> rows = {0x01, 0xF0, 0, 0};  // 4 bits: pixels 0, 1, 15, 0
    const std::vector<uint8_t> file = bmpFile(4, 1, 4, {0xFFFFFF, 0x00FF00}, rows);
    ImageHandle image = loadImageFromMemory(0, file.data(), file.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(surfacePixel(surfaceOf(image), 0, 0), 0xFFFFFFu);
    EXPECT_EQ(surfacePixel(surfaceOf(image), 1, 0), 0x00FF00u);
    EXPECT_EQ(surfacePixel(surfaceOf(image), 2, 0), 0u);
}

}  // namespace
