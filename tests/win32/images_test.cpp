// Images and drawing on real GDI objects: DIB sections, window contexts,
// text, and the BMP decoder, read back with GDI's own calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/image_services.h"
#include "platform/window_services.h"
#include "resources/about_banner.h"
#include "win32_test_support.h"

namespace {

constexpr uint32_t black = rgb(0, 0, 0);
constexpr uint32_t white = rgb(255, 255, 255);

// 0x00BBGGRR, as the drawing calls take colours.
int32_t colourOf(uint32_t r, uint32_t g, uint32_t b) { return static_cast<int32_t>(r | (g << 8) | (b << 16)); }

// Fills image `slot` with one colour through a drawing on it.
void paintImage(int32_t slot, int32_t width, int32_t height, int32_t colour) {
    ASSERT_TRUE(makeImage(slot, width, height));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) setPixel(x, y, colour);
    endDrawing();
}

class Images : public ::testing::Test {
protected:
    void TearDown() override {
        endDrawing();
        setImageClip(0, 0);
        freeAllImages();
        closeAllWindows();
    }
};

TEST_F(Images, MakingAnImageTwiceReleasesTheFirstAndGivesBlack) {
    ImageHandle first = makeImage(0, 7, 5);
    ASSERT_TRUE(first);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    setPixel(3, 2, colourOf(200, 10, 10));
    endDrawing();
    ImageHandle second = makeImage(0, 9, 4);
    ASSERT_TRUE(second);
    EXPECT_EQ(GetObjectType(first), 0u) << "the first bitmap was not deleted";
    int32_t w, h;
    const std::vector<uint32_t> pixels = bitmapPixels(second, w, h);
    EXPECT_EQ(w, 9);
    EXPECT_EQ(h, 4);
    for (uint32_t p : pixels) ASSERT_EQ(p, black);
    EXPECT_EQ(imageHandle(0), second);
}

TEST_F(Images, PixelsSetInADrawingLandWhereTheyWereSetAndOutsideAreIgnored) {
    ASSERT_TRUE(makeImage(0, 4, 3));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    setPixel(0, 0, colourOf(255, 0, 0));
    setPixel(3, 0, colourOf(0, 255, 0));
    setPixel(1, 2, colourOf(0, 0, 255));
    setPixel(4, 0, colourOf(255, 255, 255));   // beyond the right edge
    setPixel(-1, 1, colourOf(255, 255, 255));  // beyond the left edge
    setPixel(0, 3, colourOf(255, 255, 255));   // below
    endDrawing();
    setPixel(2, 1, colourOf(255, 255, 255));   // no drawing open: nothing happens
    int32_t w, h;
    const std::vector<uint32_t> pixels = bitmapPixels(imageHandle(0), w, h);
    const std::vector<uint32_t> expected = {rgb(255, 0, 0), black, black, rgb(0, 255, 0),
                                            black, black, black, black,
                                            black, rgb(0, 0, 255), black, black};
    EXPECT_EQ(pixels, expected);
}

TEST_F(Images, ScalingReplicatesEveryPixelIntoAnExactBlock) {
    const int32_t colours[4] = {colourOf(255, 0, 0), colourOf(0, 255, 0), colourOf(0, 0, 255),
                                colourOf(255, 255, 0)};
    const uint32_t words[4] = {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(255, 255, 0)};
    ASSERT_TRUE(makeImage(0, 2, 2));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (int i = 0; i < 4; ++i) setPixel(i % 2, i / 2, colours[i]);
    endDrawing();
    ImageHandle old = imageHandle(0);

    ImageHandle scaled = scaleImage(0, 6, 6);
    ASSERT_TRUE(scaled);
    EXPECT_NE(scaled, old);
    // The handle as GDI gets it (no drawing open): the enlargement is made
    // and the unscaled bitmap goes.
    EXPECT_EQ(imageHandle(0), scaled);
    EXPECT_EQ(GetObjectType(old), 0u) << "the unscaled bitmap was not deleted";
    int32_t w, h;
    const std::vector<uint32_t> pixels = bitmapPixels(scaled, w, h);
    ASSERT_EQ(w, 6);
    ASSERT_EQ(h, 6);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x)
            ASSERT_EQ(pixels[static_cast<size_t>(y * 6 + x)], words[(y / 3) * 2 + x / 3]) << x << "," << y;

    // To its own size: the same picture in a new bitmap.
    ImageHandle same = scaleImage(0, 6, 6);
    ASSERT_TRUE(same);
    EXPECT_NE(same, scaled);
    EXPECT_EQ(imageHandle(0), same);
    EXPECT_EQ(bitmapPixels(same, w, h), pixels);
}

TEST_F(Images, AnEnlargedImageKeepsOnlyWhatTheClipCanShow) {
    ASSERT_TRUE(makeImage(0, 2, 2));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    setPixel(0, 0, colourOf(255, 0, 0));
    setPixel(1, 1, colourOf(0, 0, 255));
    endDrawing();
    setImageClip(4, 5);
    ImageHandle scaled = scaleImage(0, 6, 6);
    ASSERT_TRUE(scaled);
    ASSERT_EQ(imageHandle(0), scaled);
    int32_t w, h;
    const std::vector<uint32_t> pixels = bitmapPixels(scaled, w, h);
    ASSERT_EQ(w, 4);
    ASSERT_EQ(h, 5);
    EXPECT_EQ(pixels[0], rgb(255, 0, 0));
    EXPECT_EQ(pixels[2 * 4 + 2], rgb(255, 0, 0));
    EXPECT_EQ(pixels[3 * 4 + 3], rgb(0, 0, 255));
    EXPECT_EQ(pixels[4 * 4 + 0], black);

    // A zoom whose full picture would take gigabytes still fits the clip.
    setImageClip(320, 200);
    paintImage(0, 60, 50, colourOf(10, 20, 30));
    scaled = scaleImage(0, 60 * 2000, 50 * 2000);
    ASSERT_TRUE(scaled);
    ASSERT_EQ(imageHandle(0), scaled);
    const std::vector<uint32_t> big = bitmapPixels(scaled, w, h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(big.back(), rgb(10, 20, 30));
}

// The section of a released large image is reused for a later enlargement
// that fits in it; rows are then further apart than the image is wide, and
// what is copied is still exactly the enlargement's own blocks.
TEST_F(Images, EnlargementInAReusedLargerSectionShowsOnlyItsOwnBlocks) {
    paintImage(0, 600, 500, colourOf(9, 9, 9));
    ImageHandle large = scaleImage(0, 600, 500);
    ASSERT_TRUE(large);
    const int32_t colours[4] = {colourOf(255, 0, 0), colourOf(0, 255, 0), colourOf(0, 0, 255),
                                colourOf(255, 255, 0)};
    const uint32_t words[4] = {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(255, 255, 0)};
    ASSERT_TRUE(makeImage(0, 2, 2));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (int i = 0; i < 4; ++i) setPixel(i % 2, i / 2, colours[i]);
    endDrawing();
    ImageHandle scaled = scaleImage(0, 560, 480);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled, large) << "the released large section was not reused";

    // Onto a window, through GDI: the enlargement is made in the reused section.
    HWND window = static_cast<HWND>(openTopWindow(0, 0, 0, 640, 520, stylePopup, ""));
    ASSERT_TRUE(window);
    fillWindowBlack(window);
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    blitImage(scaled, 10, 20);
    endDrawing();
    EXPECT_EQ(windowPixel(window, 10, 20), words[0]);
    EXPECT_EQ(windowPixel(window, 569, 20), words[1]);
    EXPECT_EQ(windowPixel(window, 569, 499), words[3]);
    EXPECT_EQ(windowPixel(window, 570, 499), black);
    EXPECT_EQ(windowPixel(window, 569, 500), black);

    // Onto an image, copied from the made enlargement whose rows are 600 apart.
    const uint32_t ground = rgb(1, 2, 3);
    paintImage(1, 700, 600, colourOf(1, 2, 3));
    imageHandle(1);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    blitImage(scaled, 10, 20);
    endDrawing();
    int32_t w, h;
    const std::vector<uint32_t> pixels = bitmapPixels(imageHandle(1), w, h);
    ASSERT_EQ(w, 700);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const bool inside = x >= 10 && x < 570 && y >= 20 && y < 500;
            const uint32_t expected = inside ? words[((y - 20) / 240) * 2 + (x - 10) / 280] : ground;
            ASSERT_EQ(pixels[static_cast<size_t>(y * w + x)], expected) << x << "," << y;
        }

    freeAllImages();
    EXPECT_EQ(GetObjectType(large), 0u) << "the section was not deleted";
}

// Copies, text and pixels drawn on an image land in the order they are drawn.
TEST_F(Images, CopiesTextAndPixelsOnAnImageLandInTheOrderDrawn) {
    paintImage(0, 8, 8, colourOf(255, 0, 0));
    ASSERT_TRUE(makeImage(1, 80, 24));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    setDrawingFlags(2);
    setDrawColour(0, 0, 0);
    setTextPosition(0, 0);
    writeText("MMMMMM");                 // black on a white cell
    blitImage(imageHandle(0), 0, 0);     // over the start of the text
    setPixel(1, 1, colourOf(0, 255, 0)); // over the copy
    endDrawing();
    int32_t w, h;
    const std::vector<uint32_t> pixels = bitmapPixels(imageHandle(1), w, h);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            ASSERT_EQ(pixels[static_cast<size_t>(y * w + x)], (x == 1 && y == 1) ? rgb(0, 255, 0) : rgb(255, 0, 0))
                << x << "," << y;
    int whites = 0;
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 8; x < w; ++x) whites += pixels[static_cast<size_t>(y * w + x)] == white;
    EXPECT_GT(whites, 0) << "the text beside the copy is gone";
}

TEST_F(Images, ScalingAnEmptySlotOrToNothingLeavesNoImage) {
    EXPECT_FALSE(scaleImage(5, 10, 10));
    ASSERT_TRUE(makeImage(0, 3, 3));
    EXPECT_FALSE(scaleImage(0, 0, 6));
    EXPECT_FALSE(imageHandle(0));
}

// A small image whose every pixel has its own colour: (x, y) holds sourceWord(x, y).
constexpr uint32_t sourceWord(int32_t x, int32_t y) {
    return rgb(static_cast<uint32_t>(x * 30 + 1), static_cast<uint32_t>(y * 40 + 2), 77);
}
void paintDistinct(int32_t slot, int32_t width, int32_t height) {
    ASSERT_TRUE(makeImage(slot, width, height));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            setPixel(x, y, colourOf(static_cast<uint32_t>(x * 30 + 1), static_cast<uint32_t>(y * 40 + 2), 77));
    endDrawing();
}

// The pixels of a surface as 0x00RRGGBB words, row after row.
std::vector<uint32_t> surfaceWords(const PixelSurface& s) {
    std::vector<uint32_t> words;
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            words.push_back(s.pixels[static_cast<size_t>(y) * static_cast<size_t>(s.stride) + static_cast<size_t>(x)] &
                            0xFFFFFFu);
    return words;
}

TEST_F(Images, PixelsOfAnEnlargementAreItsExactBlocks) {
    EXPECT_EQ(imagePixels(7).pixels, nullptr) << "an empty slot has no pixels";
    paintDistinct(0, 3, 2);
    ASSERT_TRUE(scaleImage(0, 12, 10));
    PixelSurface s = imagePixels(0);
    ASSERT_TRUE(s.pixels);
    ASSERT_EQ(s.width, 12);
    ASSERT_EQ(s.height, 10);
    std::vector<uint32_t> words = surfaceWords(s);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 12; ++x)
            ASSERT_EQ(words[static_cast<size_t>(y * 12 + x)], sourceWord(x / 4, y / 5)) << x << "," << y;
    EXPECT_EQ(bitmapPixels(imageHandle(0), s.width, s.height), words) << "GDI sees other pixels";

    // Within a clip only its top-left part is kept.
    setImageClip(5, 4);
    paintDistinct(0, 3, 2);
    ASSERT_TRUE(scaleImage(0, 12, 10));
    s = imagePixels(0);
    ASSERT_EQ(s.width, 5);
    ASSERT_EQ(s.height, 4);
    words = surfaceWords(s);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x)
            ASSERT_EQ(words[static_cast<size_t>(y * 5 + x)], sourceWord(x / 4, 0)) << x << "," << y;
}

// An enlargement not yet made is drawn from its small image when copied onto
// another image; the result is what copying the made enlargement gives, at
// every edge, for small targets and for large ones (written another way).
TEST_F(Images, APendingEnlargementCopiedOntoAnImageEqualsTheMadeOne) {
    struct Size {
        int32_t width, height;
    };
    const Size fulls[] = {{23, 17}, {70, 50}, {7, 5}};  // uneven blocks, whole blocks, its own size
    const Size clips[] = {{0, 0}, {40, 30}};
    const Size targets[] = {{100, 80}, {1100, 1000}};
    for (const Size& full : fulls)
        for (const Size& clip : clips)
            for (const Size& target : targets) {
                SCOPED_TRACE(::testing::Message() << full.width << "x" << full.height << " clip " << clip.width
                                                  << "x" << clip.height << " onto " << target.width << "x"
                                                  << target.height);
                setImageClip(clip.width, clip.height);
                paintDistinct(0, 7, 5);
                ImageHandle enlarged = scaleImage(0, full.width, full.height);
                ASSERT_TRUE(enlarged);
                const int32_t storedWidth = clip.width ? std::min(full.width, clip.width) : full.width;
                const int32_t storedHeight = clip.height ? std::min(full.height, clip.height) : full.height;
                const Size places[] = {{-5, -3},
                                       {target.width - 10, target.height - 7},
                                       {30, 20},
                                       {2 - full.width, target.height - 1},
                                       {target.width + 5, 0}};
                std::vector<uint32_t> expected(static_cast<size_t>(target.width) * target.height, black);
                for (const Size& at : places)
                    for (int32_t y = std::max(at.height, 0); y < std::min(at.height + storedHeight, target.height); ++y)
                        for (int32_t x = std::max(at.width, 0); x < std::min(at.width + storedWidth, target.width);
                             ++x)
                            expected[static_cast<size_t>(y) * target.width + x] =
                                sourceWord((x - at.width) * 7 / full.width, (y - at.height) * 5 / full.height);

                auto copyAll = [&](int32_t slot) {
                    ASSERT_TRUE(makeImage(slot, target.width, target.height));
                    ASSERT_NE(beginDrawing(imageTarget()), 0);
                    for (const Size& at : places) blitImage(imageHandle(0), at.width, at.height);
                    endDrawing();
                };
                copyAll(1);  // while the enlargement is not made
                ASSERT_TRUE(imagePixels(0).pixels);
                copyAll(2);  // from the made enlargement
                int32_t w, h;
                const std::vector<uint32_t> pending = bitmapPixels(imageHandle(1), w, h);
                const std::vector<uint32_t> made = bitmapPixels(imageHandle(2), w, h);
                ASSERT_EQ(made, expected);
                ASSERT_EQ(pending, made);
            }
}

TEST_F(Images, APendingEnlargementCopiedOntoAWindowShowsItsBlocks) {
    HWND window = static_cast<HWND>(openTopWindow(0, 0, 0, 64, 48, stylePopup, ""));
    ASSERT_TRUE(window);
    fillWindowBlack(window);
    paintDistinct(0, 3, 2);
    ImageHandle enlarged = scaleImage(0, 30, 20);
    ASSERT_TRUE(enlarged);
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    blitImage(enlarged, -5, 10);
    blitImage(enlarged, 50, -4);
    endDrawing();
    const std::vector<uint32_t> pixels = windowPixels(window, 64, 48);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x) {
            uint32_t expected = black;
            if (x < 25 && y >= 10 && y < 30) expected = sourceWord((x + 5) / 10, (y - 10) / 10);
            if (x >= 50 && y < 16) expected = sourceWord((x - 50) / 10, (y + 4) / 10);
            ASSERT_EQ(pixels[static_cast<size_t>(y * 64 + x)], expected) << x << "," << y;
        }
}

// Drawing on an enlargement not yet made draws on the made picture.
TEST_F(Images, DrawingOnAPendingEnlargementKeepsItsBlocks) {
    paintDistinct(0, 3, 2);
    ASSERT_TRUE(scaleImage(0, 6, 4));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    setPixel(5, 3, colourOf(1, 1, 1));
    endDrawing();
    const std::vector<uint32_t> words = surfaceWords(imagePixels(0));
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x)
            ASSERT_EQ(words[static_cast<size_t>(y * 6 + x)], x == 5 && y == 3 ? rgb(1, 1, 1) : sourceWord(x / 2, y / 2))
                << x << "," << y;
}

// Scaling an enlargement not yet made scales the enlarged picture: 3 pixels
// widened to 4 (a a b c) and narrowed to 3 give a a b, not the original a b c.
TEST_F(Images, ScalingAPendingEnlargementAgainScalesTheEnlargedPicture) {
    paintDistinct(0, 3, 1);
    ASSERT_TRUE(scaleImage(0, 4, 1));
    ASSERT_TRUE(scaleImage(0, 3, 1));
    const std::vector<uint32_t> expected = {sourceWord(0, 0), sourceWord(0, 0), sourceWord(1, 0)};
    EXPECT_EQ(surfaceWords(imagePixels(0)), expected);
}

TEST_F(Images, BlitOntoAnImageIsClippedAtEveryEdge) {
    paintImage(1, 4, 3, colourOf(255, 0, 0));
    ImageHandle tile = imageHandle(1);
    ASSERT_TRUE(makeImage(2, 10, 8));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    blitImage(tile, 8, 6);    // 2 x 2 visible at the bottom right
    blitImage(tile, -3, -2);  // 1 x 1 visible at the top left
    blitImage(tile, 12, 0);   // wholly outside
    endDrawing();
    int32_t w, h;
    const std::vector<uint32_t> pixels = bitmapPixels(imageHandle(2), w, h);
    int reds = 0;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const bool inside = (x >= 8 && y >= 6) || (x == 0 && y == 0);
            const uint32_t p = pixels[static_cast<size_t>(y * w + x)];
            EXPECT_EQ(p, inside ? rgb(255, 0, 0) : black) << x << "," << y;
            reds += p == rgb(255, 0, 0);
        }
    EXPECT_EQ(reds, 5);
}

TEST_F(Images, BlitOntoAWindowIsClippedByTheWindow) {
    HWND window = static_cast<HWND>(openTopWindow(0, 0, 0, 64, 48, stylePopup, ""));
    ASSERT_TRUE(window);
    fillWindowBlack(window);
    paintImage(0, 10, 10, colourOf(0, 200, 100));
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    blitImage(imageHandle(0), 60, 44);
    blitImage(imageHandle(0), 20, 20);
    endDrawing();
    EXPECT_EQ(windowPixel(window, 63, 47), rgb(0, 200, 100));
    EXPECT_EQ(windowPixel(window, 60, 44), rgb(0, 200, 100));
    EXPECT_EQ(windowPixel(window, 59, 47), black);
    EXPECT_EQ(windowPixel(window, 25, 25), rgb(0, 200, 100));
    EXPECT_EQ(windowPixel(window, 30, 30), black);
    EXPECT_EQ(windowPixel(window, 19, 20), black);
}

TEST_F(Images, PixelsSetOnAWindowGoThroughItsContext) {
    HWND window = static_cast<HWND>(openTopWindow(0, 0, 0, 40, 30, stylePopup, ""));
    ASSERT_TRUE(window);
    fillWindowBlack(window);
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    setPixel(3, 4, colourOf(10, 200, 30));
    setPixel(39, 29, colourOf(250, 0, 250));
    setPixel(40, 5, colourOf(255, 255, 255));  // outside: ignored
    endDrawing();
    EXPECT_EQ(windowPixel(window, 3, 4), rgb(10, 200, 30));
    EXPECT_EQ(windowPixel(window, 39, 29), rgb(250, 0, 250));
    EXPECT_EQ(windowPixel(window, 4, 4), black);
}

TEST_F(Images, DrawingCallsWithoutAnOpenDrawingDoNothing) {
    EXPECT_EQ(textWidth("Abercrombie D"), 0);
    setDrawColour(255, 0, 0);
    setTextPosition(5, 5);
    writeText("x");
    blitImage(makeImage(0, 2, 2), 0, 0);
    EXPECT_EQ(beginDrawing(DrawingTarget{}), 0);
    EXPECT_EQ(beginDrawing(DrawingTarget{1, nullptr}), 0);
}

// The name as the show writes it: right edge at the right edge, top at row 0.
TEST_F(Images, NameIsWrittenBlackOnWhiteFlushWithTheTopRightCorner) {
    const int32_t width = 300;
    const int32_t height = 60;
    HWND window = static_cast<HWND>(openTopWindow(0, 0, 0, width, height, stylePopup, ""));
    ASSERT_TRUE(window);
    fillWindowBlack(window);
    const std::string name = "Abercrombie D";
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    setDrawColour(255, 0, 0);  // the stored draw colour does not carry over
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    EXPECT_EQ(textWidth(""), 0);
    setDrawingFlags(2);
    setDrawColour(0, 0, 0);
    const int32_t textW = textWidth(name);
    ASSERT_GT(textW, 0);
    ASSERT_LT(textW, width);
    setTextPosition(width - textW, 0);
    writeText(name);
    HDC context = reinterpret_cast<HDC>(beginDrawing(windowTarget()));
    ASSERT_TRUE(context);
    TEXTMETRICA metrics;
    ASSERT_TRUE(GetTextMetricsA(context, &metrics));
    endDrawing();

    // Inside the text's cell only black letters on white; the columns left
    // of it and the rows below it are still the black fill.
    const std::vector<uint32_t> screen = windowPixels(window, width, height);
    int whites = 0;
    int blacks = 0;
    for (int32_t y = 0; y < metrics.tmHeight; ++y)
        for (int32_t x = width - textW; x < width; ++x) {
            const uint32_t p = screen[static_cast<size_t>(y * width + x)];
            ASSERT_TRUE(p == white || p == black) << std::hex << p << " at " << std::dec << x << "," << y;
            whites += p == white;
            blacks += p == black;
        }
    EXPECT_GT(whites, blacks);
    EXPECT_GT(blacks, 0);
    EXPECT_EQ(windowPixel(window, width - 1, 0), white);
    EXPECT_EQ(windowPixel(window, width - textW - 1, 2), black);
    EXPECT_EQ(windowPixel(window, width - 1, metrics.tmHeight + 1), black);
}

TEST_F(Images, TransparentTextLeavesThePixelsBetweenLettersAndContinuesTheLine) {
    paintImage(0, 200, 40, colourOf(255, 0, 0));
    imageHandle(0);
    HDC context = reinterpret_cast<HDC>(beginDrawing(imageTarget()));
    ASSERT_TRUE(context);
    setDrawingFlags(1);
    setTextPosition(4, 2);
    writeText("Mac");
    POINT afterFirst;
    GetCurrentPositionEx(context, &afterFirst);
    EXPECT_EQ(afterFirst.x, 4 + textWidth("Mac"));
    writeText("");  // nothing drawn, position unchanged
    POINT afterEmpty;
    GetCurrentPositionEx(context, &afterEmpty);
    EXPECT_EQ(afterEmpty.x, afterFirst.x);
    writeText("Bean");
    endDrawing();
    int32_t w, h;
    int blacks = 0;
    for (uint32_t p : bitmapPixels(imageHandle(0), w, h)) {
        ASSERT_TRUE(p == rgb(255, 0, 0) || p == black) << std::hex << p;
        blacks += p == black;
    }
    EXPECT_GT(blacks, 20);
}

// Decodes the banner independently (4-bit, bottom-up, own colour table).
std::vector<uint32_t> decodeFourBitBmp(const uint8_t* data, int32_t& width, int32_t& height) {
    auto u32 = [data](size_t at) {
        uint32_t v;
        std::memcpy(&v, data + at, 4);
        return v;
    };
    width = static_cast<int32_t>(u32(18));
    height = static_cast<int32_t>(u32(22));
    const uint8_t* table = data + 14 + u32(14);
    const uint8_t* rows = data + u32(10);
    const size_t stride = ((static_cast<size_t>(width) * 4 + 31) / 32) * 4;
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = rows + stride * static_cast<size_t>(height - 1 - y);
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t byte = row[x / 2];
            const uint8_t index = (x % 2) ? (byte & 0x0F) : (byte >> 4);
            const uint8_t* entry = table + index * 4;  // blue, green, red, unused
            pixels.push_back(rgb(entry[2], entry[1], entry[0]));
        }
    }
    return pixels;
}

TEST_F(Images, BannerDecodesTo340By50WithItsOwnColours) {
    ASSERT_EQ(aboutBannerSize, 8718u);
    ImageHandle banner = loadImageFromMemory(0, aboutBannerData, aboutBannerSize);
    ASSERT_TRUE(banner);
    int32_t w, h, ew, eh;
    const std::vector<uint32_t> pixels = bitmapPixels(banner, w, h);
    EXPECT_EQ(w, 340);
    EXPECT_EQ(h, 50);
    EXPECT_EQ(pixels, decodeFourBitBmp(aboutBannerData, ew, eh));
}

TEST_F(Images, DataThatIsNotACompleteBmpIsRejected) {
    std::vector<uint8_t> data(aboutBannerData, aboutBannerData + aboutBannerSize);
    EXPECT_FALSE(loadImageFromMemory(0, nullptr, 0));
    EXPECT_FALSE(loadImageFromMemory(0, data.data(), 10));

    std::vector<uint8_t> noMagic = data;
    noMagic[0] = 'X';
    EXPECT_FALSE(loadImageFromMemory(0, noMagic.data(), noMagic.size()));

    // Pixel rows cut short.
    EXPECT_FALSE(loadImageFromMemory(0, data.data(), data.size() - 100));
    EXPECT_FALSE(imageHandle(0)) << "a rejected picture left an image behind";

    // A header claiming a height far beyond the data.
    std::vector<uint8_t> tall = data;
    tall[22] = 0x00;
    tall[23] = 0x10;  // 4096 rows
    EXPECT_FALSE(loadImageFromMemory(0, tall.data(), tall.size()));

    // A pixel offset pointing past the end.
    std::vector<uint8_t> offset = data;
    offset[10] = 0xFF;
    offset[11] = 0xFF;
    EXPECT_FALSE(loadImageFromMemory(0, offset.data(), offset.size()));

    // A colour count beyond what 4 bits can index.
    std::vector<uint8_t> colours = data;
    colours[46] = 200;
    EXPECT_FALSE(loadImageFromMemory(0, colours.data(), colours.size()));

    // Random bytes after a valid magic.
    std::vector<uint8_t> garbage(600);
    uint32_t seed = 12345;
    for (uint8_t& b : garbage) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    garbage[0] = 'B';
    garbage[1] = 'M';
    EXPECT_FALSE(loadImageFromMemory(0, garbage.data(), garbage.size()));

    EXPECT_TRUE(loadImageFromMemory(0, data.data(), data.size()));
}

TEST_F(Images, FreeingAllImagesDeletesEveryBitmap) {
    std::vector<ImageHandle> made;
    for (int32_t slot : {0, 3, 14}) made.push_back(makeImage(slot, 5, 5));
    for (ImageHandle h : made) ASSERT_EQ(GetObjectType(h), static_cast<DWORD>(OBJ_BITMAP));
    freeAllImages();
    for (ImageHandle h : made) EXPECT_EQ(GetObjectType(h), 0u);
    EXPECT_FALSE(imageHandle(14));
}

}  // namespace
