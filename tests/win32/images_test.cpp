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

// A colour of its own for every pixel (x, y) of an image up to 7 x 7.
constexpr uint32_t sourceWord(int32_t x, int32_t y) {
    return rgb(static_cast<uint32_t>(x * 30 + 1), static_cast<uint32_t>(y * 40 + 2), 77);
}

// Fills image `slot` through a drawing on it: one colour, or sourceWord when
// colour is negative.
void paintImage(int32_t slot, int32_t width, int32_t height, int32_t colour = -1) {
    ASSERT_TRUE(makeImage(slot, width, height));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t w = sourceWord(x, y);
            setPixel(x, y, colour >= 0 ? colour : colourOf(w >> 16, (w >> 8) & 0xFF, w & 0xFF));
        }
    endDrawing();
}

// The pixels of a surface as 0x00RRGGBB words, row after row.
std::vector<uint32_t> surfaceWords(const PixelSurface& s) {
    std::vector<uint32_t> words;
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x)
            words.push_back(s.pixels[static_cast<size_t>(y) * static_cast<size_t>(s.stride) + x] & 0xFFFFFFu);
    return words;
}

std::vector<uint32_t> imageWords(int32_t slot) {
    int32_t w, h;
    return bitmapPixels(imageHandle(slot), w, h);
}

struct Place {
    int32_t x, y;
};

// Copies of a w x h picture, stored w x h but the enlargement of a
// sourceWidth x sourceHeight sourceWord image to fullWidth x fullHeight,
// at `places` on a black width x height target: each pixel that of the last
// copy covering it.
std::vector<uint32_t> expectedCopies(int32_t width, int32_t height, const std::vector<Place>& places, int32_t w,
                                     int32_t h, int32_t fullWidth, int32_t fullHeight, int32_t sourceWidth,
                                     int32_t sourceHeight) {
    std::vector<uint32_t> expected(static_cast<size_t>(width) * height, black);
    for (const Place& p : places)
        for (int32_t y = std::max(p.y, 0); y < std::min(p.y + h, height); ++y)
            for (int32_t x = std::max(p.x, 0); x < std::min(p.x + w, width); ++x)
                expected[static_cast<size_t>(y) * width + x] =
                    sourceWord((x - p.x) * sourceWidth / fullWidth, (y - p.y) * sourceHeight / fullHeight);
    return expected;
}

// Image 0 copied to every place on a new black image in `slot`.
void copyOntoImage(int32_t slot, int32_t width, int32_t height, const std::vector<Place>& places) {
    ASSERT_TRUE(makeImage(slot, width, height));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (const Place& p : places) blitImage(imageHandle(0), p.x, p.y);
    endDrawing();
}

HWND blackWindow(int32_t width, int32_t height) {
    HWND window = static_cast<HWND>(openTopWindow(0, 0, 0, width, height, stylePopup, ""));
    if (window) fillWindowBlack(window);
    return window;
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

// ---- the image table ----

TEST_F(Images, MakingAnImageTwiceReleasesTheFirstAndGivesBlack) {
    paintImage(0, 7, 5, colourOf(200, 10, 10));
    ImageHandle first = imageHandle(0);
    ImageHandle second = makeImage(0, 9, 4);
    ASSERT_TRUE(second);
    EXPECT_EQ(GetObjectType(first), 0u) << "the first bitmap was not deleted";
    int32_t w, h;
    EXPECT_EQ(bitmapPixels(second, w, h), std::vector<uint32_t>(36, black));
    EXPECT_EQ(w, 9);
    EXPECT_EQ(imageHandle(0), second);
}

TEST_F(Images, EmptySlotsAndEmptySizesHaveNoImageAndFreeingDeletesEveryBitmap) {
    EXPECT_FALSE(scaleImage(5, 10, 10));
    EXPECT_EQ(imagePixels(7).pixels, nullptr);
    ASSERT_TRUE(makeImage(0, 3, 3));
    EXPECT_FALSE(scaleImage(0, 0, 6));
    EXPECT_FALSE(imageHandle(0));

    std::vector<ImageHandle> made;
    for (int32_t slot : {0, 3, 14}) made.push_back(makeImage(slot, 5, 5));
    for (ImageHandle h : made) ASSERT_EQ(GetObjectType(h), static_cast<DWORD>(OBJ_BITMAP));
    freeAllImages();
    for (ImageHandle h : made) EXPECT_EQ(GetObjectType(h), 0u);
    EXPECT_FALSE(imageHandle(14));
}

// ---- pixels and copies ----

TEST_F(Images, PixelsSetInADrawingLandWhereTheyWereSetAndOutsideAreIgnored) {
    ASSERT_TRUE(makeImage(0, 4, 3));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    setPixel(0, 0, colourOf(255, 0, 0));
    setPixel(3, 0, colourOf(0, 255, 0));
    setPixel(1, 2, colourOf(0, 0, 255));
    for (Place p : {Place{4, 0}, Place{-1, 1}, Place{0, 3}}) setPixel(p.x, p.y, colourOf(255, 255, 255));
    endDrawing();
    setPixel(2, 1, colourOf(255, 255, 255));  // no drawing open
    const std::vector<uint32_t> expected = {rgb(255, 0, 0), black, black, rgb(0, 255, 0), black, black,
                                            black,          black, black, rgb(0, 0, 255), black, black};
    EXPECT_EQ(imageWords(0), expected);
}

TEST_F(Images, CopiesOntoAnImageAreCutAtEveryEdge) {
    paintImage(0, 4, 3);
    const std::vector<Place> places = {{8, 6}, {-3, -2}, {12, 0}, {0, 9}};
    copyOntoImage(1, 10, 8, places);
    EXPECT_EQ(imageWords(1), expectedCopies(10, 8, places, 4, 3, 4, 3, 4, 3));
}

TEST_F(Images, PixelsAndCopiesOnAWindowAreCutByTheWindow) {
    HWND window = blackWindow(64, 48);
    ASSERT_TRUE(window);
    paintImage(0, 7, 7);
    const std::vector<Place> places = {{60, 44}, {20, 20}, {-4, -3}};
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    for (const Place& p : places) blitImage(imageHandle(0), p.x, p.y);
    setPixel(3, 40, colourOf(10, 200, 30));
    setPixel(64, 5, colourOf(255, 255, 255));  // outside: ignored
    endDrawing();
    std::vector<uint32_t> expected = expectedCopies(64, 48, places, 7, 7, 7, 7, 7, 7);
    expected[40 * 64 + 3] = rgb(10, 200, 30);
    EXPECT_EQ(windowPixels(window, 64, 48), expected);
}

TEST_F(Images, CopiesTextAndPixelsOnAnImageLandInTheOrderDrawn) {
    paintImage(0, 8, 8, colourOf(255, 0, 0));
    ASSERT_TRUE(makeImage(1, 80, 24));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    setDrawingFlags(2);
    setDrawColour(0, 0, 0);
    setTextPosition(0, 0);
    writeText("MMMMMM");                  // black on a white cell
    blitImage(imageHandle(0), 0, 0);      // over the start of the text
    setPixel(1, 1, colourOf(0, 255, 0));  // over the copy
    endDrawing();
    const std::vector<uint32_t> pixels = imageWords(1);
    int whites = 0;
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 80; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y * 80 + x)];
            if (x < 8)
                ASSERT_EQ(p, (x == 1 && y == 1) ? rgb(0, 255, 0) : rgb(255, 0, 0)) << x << "," << y;
            else
                whites += p == white;
        }
    EXPECT_GT(whites, 0) << "the text beside the copy is gone";
}

// ---- enlargement ----

TEST_F(Images, ScalingReplicatesEveryPixelIntoAnExactBlockInANewBitmap) {
    paintImage(0, 2, 2);
    ImageHandle old = imageHandle(0);
    ImageHandle scaled = scaleImage(0, 6, 6);
    ASSERT_TRUE(scaled);
    // Asked for with no drawing open, the enlargement is made and the unscaled bitmap goes.
    EXPECT_EQ(imageHandle(0), scaled);
    EXPECT_EQ(GetObjectType(old), 0u) << "the unscaled bitmap was not deleted";
    const std::vector<uint32_t> pixels = imageWords(0);
    EXPECT_EQ(pixels, expectedCopies(6, 6, {{0, 0}}, 6, 6, 6, 6, 2, 2));

    // To its own size: the same picture in a new bitmap.
    ImageHandle same = scaleImage(0, 6, 6);
    ASSERT_TRUE(same);
    EXPECT_NE(same, scaled);
    EXPECT_EQ(imageWords(0), pixels);
}

// imagePixels gives the enlarged blocks, only the top-left part the clip can
// show (even of a zoom whose full picture would take gigabytes), and GDI
// sees the same pixels.
TEST_F(Images, AnEnlargementStoresItsBlocksCutToTheClip) {
    struct Case {
        int32_t fullWidth, fullHeight, clipWidth, clipHeight;
    };
    for (const Case& c : {Case{12, 10, 0, 0}, Case{12, 10, 5, 4}, Case{6, 6, 4, 5}, Case{120000, 100000, 320, 200}}) {
        SCOPED_TRACE(std::to_string(c.fullWidth) + " clip " + std::to_string(c.clipWidth));
        setImageClip(c.clipWidth, c.clipHeight);
        paintImage(0, 3, 2);
        ASSERT_TRUE(scaleImage(0, c.fullWidth, c.fullHeight));
        const PixelSurface s = imagePixels(0);
        ASSERT_TRUE(s.pixels);
        const int32_t w = c.clipWidth ? std::min(c.fullWidth, c.clipWidth) : c.fullWidth;
        const int32_t h = c.clipHeight ? std::min(c.fullHeight, c.clipHeight) : c.fullHeight;
        ASSERT_EQ(s.width, w);
        ASSERT_EQ(s.height, h);
        const std::vector<uint32_t> words = surfaceWords(s);
        ASSERT_EQ(words, expectedCopies(w, h, {{0, 0}}, w, h, c.fullWidth, c.fullHeight, 3, 2));
        EXPECT_EQ(imageWords(0), words) << "GDI sees other pixels";
    }
}

// An enlargement not yet made, copied onto an image, gives what copying the
// made one gives, at every edge, for small and large targets.
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
                                                  << " onto " << target.width);
                setImageClip(clip.width, clip.height);
                paintImage(0, 7, 5);
                ASSERT_TRUE(scaleImage(0, full.width, full.height));
                const int32_t w = clip.width ? std::min(full.width, clip.width) : full.width;
                const int32_t h = clip.height ? std::min(full.height, clip.height) : full.height;
                const std::vector<Place> places = {{-5, -3},
                                                   {target.width - 10, target.height - 7},
                                                   {30, 20},
                                                   {2 - full.width, target.height - 1},
                                                   {target.width + 5, 0}};
                copyOntoImage(1, target.width, target.height, places);  // while pending
                ASSERT_TRUE(imagePixels(0).pixels);
                copyOntoImage(2, target.width, target.height, places);  // from the made one
                const std::vector<uint32_t> made = imageWords(2);
                ASSERT_EQ(made, expectedCopies(target.width, target.height, places, w, h, full.width, full.height, 7, 5));
                ASSERT_EQ(imageWords(1), made);
            }
}

TEST_F(Images, APendingEnlargementCopiedOntoAWindowShowsItsBlocks) {
    HWND window = blackWindow(64, 48);
    ASSERT_TRUE(window);
    paintImage(0, 3, 2);
    ImageHandle enlarged = scaleImage(0, 30, 20);
    ASSERT_TRUE(enlarged);
    const std::vector<Place> places = {{-5, 10}, {50, -4}};
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    for (const Place& p : places) blitImage(enlarged, p.x, p.y);
    endDrawing();
    EXPECT_EQ(windowPixels(window, 64, 48), expectedCopies(64, 48, places, 30, 20, 30, 20, 3, 2));
}

// Drawing on, or scaling again, an enlargement not yet made works on the
// enlarged picture: 3 pixels widened to 4 (a a b c) then narrowed to 3 give
// a a b, not the original a b c.
TEST_F(Images, APendingEnlargementIsDrawnOnAndScaledAsTheEnlargedPicture) {
    paintImage(0, 3, 2);
    ASSERT_TRUE(scaleImage(0, 6, 4));
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    setPixel(5, 3, colourOf(1, 1, 1));
    endDrawing();
    std::vector<uint32_t> expected = expectedCopies(6, 4, {{0, 0}}, 6, 4, 6, 4, 3, 2);
    expected.back() = rgb(1, 1, 1);
    EXPECT_EQ(surfaceWords(imagePixels(0)), expected);

    paintImage(0, 3, 1);
    ASSERT_TRUE(scaleImage(0, 4, 1));
    ASSERT_TRUE(scaleImage(0, 3, 1));
    EXPECT_EQ(surfaceWords(imagePixels(0)), std::vector<uint32_t>({sourceWord(0, 0), sourceWord(0, 0), sourceWord(1, 0)}));
}

// A released large section is reused for a later enlargement that fits in
// it: its rows are then further apart than it is wide, and copies still show
// exactly the enlargement's own blocks.
TEST_F(Images, EnlargementInAReusedLargerSectionShowsOnlyItsOwnBlocks) {
    paintImage(0, 600, 500, colourOf(9, 9, 9));
    ImageHandle large = scaleImage(0, 600, 500);
    ASSERT_TRUE(large);
    paintImage(0, 2, 2);
    ImageHandle scaled = scaleImage(0, 560, 480);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled, large) << "the released large section was not reused";

    // Onto a window through GDI, which makes the enlargement in the section.
    HWND window = blackWindow(640, 520);
    ASSERT_TRUE(window);
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    blitImage(scaled, 10, 20);
    endDrawing();
    EXPECT_EQ(windowPixels(window, 640, 520), expectedCopies(640, 520, {{10, 20}}, 560, 480, 560, 480, 2, 2));

    // Onto an image, from the made enlargement whose rows are 600 apart.
    copyOntoImage(1, 700, 600, {{10, 20}});
    EXPECT_EQ(imageWords(1), expectedCopies(700, 600, {{10, 20}}, 560, 480, 560, 480, 2, 2));

    freeAllImages();
    EXPECT_EQ(GetObjectType(large), 0u) << "the section was not deleted";
}

// ---- drawing brackets and text ----

TEST_F(Images, DrawingCallsWithoutAnOpenDrawingDoNothing) {
    EXPECT_EQ(textWidth("Abercrombie D"), 0);
    setDrawColour(255, 0, 0);
    setTextPosition(5, 5);
    writeText("x");
    blitImage(makeImage(0, 2, 2), 0, 0);
    EXPECT_EQ(beginDrawing(DrawingTarget{}), 0);
    EXPECT_EQ(beginDrawing(DrawingTarget{1, nullptr}), 0);
}

// The name as the show writes it: right edge at the right edge, top at row 0,
// black on white whatever draw colour an earlier drawing stored.
TEST_F(Images, NameIsWrittenBlackOnWhiteFlushWithTheTopRightCorner) {
    const int32_t width = 300;
    const int32_t height = 60;
    HWND window = blackWindow(width, height);
    ASSERT_TRUE(window);
    const std::string name = "Abercrombie D";
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    setDrawColour(255, 0, 0);
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

    // In the text's cell only black letters on white; left of it and below it the black fill.
    const std::vector<uint32_t> screen = windowPixels(window, width, height);
    int counts[2] = {0, 0};  // whites, blacks
    for (int32_t y = 0; y < metrics.tmHeight; ++y)
        for (int32_t x = width - textW; x < width; ++x) {
            const uint32_t p = screen[static_cast<size_t>(y * width + x)];
            ASSERT_TRUE(p == white || p == black) << std::hex << p << " at " << std::dec << x << "," << y;
            ++counts[p == black];
        }
    EXPECT_GT(counts[0], counts[1]);
    EXPECT_GT(counts[1], 0);
    EXPECT_EQ(screen[width - 1], white);
    EXPECT_EQ(screen[2 * width + width - textW - 1], black);
    EXPECT_EQ(screen[(metrics.tmHeight + 1) * width + width - 1], black);
}

TEST_F(Images, TransparentTextLeavesThePixelsBetweenLettersAndContinuesTheLine) {
    paintImage(0, 200, 40, colourOf(255, 0, 0));
    imageHandle(0);
    HDC context = reinterpret_cast<HDC>(beginDrawing(imageTarget()));
    ASSERT_TRUE(context);
    setDrawingFlags(1);
    setTextPosition(4, 2);
    writeText("Mac");
    POINT after[2];
    GetCurrentPositionEx(context, &after[0]);
    EXPECT_EQ(after[0].x, 4 + textWidth("Mac"));
    writeText("");  // nothing drawn, position unchanged
    GetCurrentPositionEx(context, &after[1]);
    EXPECT_EQ(after[1].x, after[0].x);
    writeText("Bean");
    endDrawing();
    int blacks = 0;
    for (uint32_t p : imageWords(0)) {
        ASSERT_TRUE(p == rgb(255, 0, 0) || p == black) << std::hex << p;
        blacks += p == black;
    }
    EXPECT_GT(blacks, 20);
}

// ---- BMP decoding ----

TEST_F(Images, BannerDecodesTo340By50WithItsOwnColours) {
    ImageHandle banner = loadImageFromMemory(0, aboutBannerData, aboutBannerSize);
    ASSERT_TRUE(banner);
    int32_t w, h;
    const std::vector<uint32_t> pixels = bitmapPixels(banner, w, h);
    ASSERT_EQ(w, 340);
    ASSERT_EQ(h, 50);
    // Decoded independently: 4 bits a pixel, rows bottom-up, the file's colour table.
    const uint8_t* d = aboutBannerData;
    auto u32 = [d](size_t at) {
        uint32_t v;
        std::memcpy(&v, d + at, 4);
        return v;
    };
    const uint8_t* table = d + 14 + u32(14);
    const size_t stride = ((340 * 4 + 31) / 32) * 4;
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 340; ++x) {
            const uint8_t byte = d[u32(10) + stride * static_cast<size_t>(49 - y) + x / 2];
            const uint8_t* entry = table + ((x % 2) ? (byte & 0x0F) : (byte >> 4)) * 4;
            ASSERT_EQ(pixels[static_cast<size_t>(y * 340 + x)], rgb(entry[2], entry[1], entry[0])) << x << "," << y;
        }
}

TEST_F(Images, DataThatIsNotACompleteBmpIsRejected) {
    const std::vector<uint8_t> data(aboutBannerData, aboutBannerData + aboutBannerSize);
    EXPECT_FALSE(loadImageFromMemory(0, nullptr, 0));
    EXPECT_FALSE(loadImageFromMemory(0, data.data(), 10));
    EXPECT_FALSE(loadImageFromMemory(0, data.data(), data.size() - 100)) << "pixel rows cut short";
    EXPECT_FALSE(imageHandle(0)) << "a rejected picture left an image behind";

    const struct {
        size_t at;
        uint8_t value[2];
    } damage[] = {
        {0, {'X', 'M'}},     // no magic
        {22, {0x00, 0x10}},  // 4096 rows, far beyond the data
        {10, {0xFF, 0xFF}},  // pixel offset past the end
        {46, {200, 0}},      // more colours than 4 bits index
    };
    for (const auto& d : damage) {
        std::vector<uint8_t> bad = data;
        bad[d.at] = d.value[0];
        bad[d.at + 1] = d.value[1];
        EXPECT_FALSE(loadImageFromMemory(0, bad.data(), bad.size())) << "byte " << d.at;
    }

    std::vector<uint8_t> garbage(600);
    uint32_t seed = 12345;
    for (uint8_t& b : garbage) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    garbage[0] = 'B';
    garbage[1] = 'M';
    EXPECT_FALSE(loadImageFromMemory(0, garbage.data(), garbage.size()));
    EXPECT_TRUE(loadImageFromMemory(0, data.data(), data.size()));
}

}  // namespace
