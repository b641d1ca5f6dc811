// Image and drawing services on cairo image surfaces: the image table,
// enlargement, copying, BMP decoding and text.
#include <algorithm>
#include <string>
#include <vector>

#include "gtk_test_support.h"
#include "resources/about_banner.h"

using gtktest::rgbOf;
using gtktest::surfaceOf;
using gtktest::surfacePixel;

namespace {

// A colour for every pixel position, distinct over small images.
int32_t distinct(int x, int y) { return (0x102030 + x * 7919 + y * 104729) & 0xFFFFFF; }

// Where a copy lands on the target.
struct Place {
    int x, y;
};

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
    template <typename Colour>
    static void makePattern(int32_t slot, int width, int height, Colour colour) {
        makeImage(slot, width, height);
        ASSERT_NE(beginDrawing(imageTarget()), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) setPixel(x, y, colour(x, y));
        endDrawing();
    }

    // Image 0 copied to every place on a new black width x height image 1;
    // its pixels as 0x00RRGGBB, row after row.
    static std::vector<uint32_t> copiesOnto(int width, int height, const std::vector<Place>& places) {
        makeImage(1, width, height);
        EXPECT_NE(beginDrawing(imageTarget()), 0);
        for (const Place& p : places) blitImage(imageHandle(0), p.x, p.y);
        endDrawing();
        return pixelsOf(1);
    }

    static std::vector<uint32_t> pixelsOf(int32_t slot) {
        const PixelSurface s = imagePixels(slot);
        std::vector<uint32_t> words;
        for (int y = 0; s.pixels && y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) words.push_back(s.pixels[static_cast<size_t>(y) * s.stride + x] & 0xFFFFFFu);
        return words;
    }

    // What copies of a stored w x h picture give: each pixel that of the last
    // copy covering it, colour(ex, ey) at (ex, ey) of that copy; black elsewhere.
    template <typename Colour>
    static std::vector<uint32_t> expectedCopies(int width, int height, const std::vector<Place>& places, int w, int h,
                                                Colour colour) {
        std::vector<uint32_t> expected(static_cast<size_t>(width) * height, 0u);
        for (const Place& p : places)
            for (int64_t y = std::max(p.y, 0); y < std::min<int64_t>(int64_t{p.y} + h, height); ++y)
                for (int64_t x = std::max(p.x, 0); x < std::min<int64_t>(int64_t{p.x} + w, width); ++x)
                    expected[y * width + x] = rgbOf(colour(static_cast<int>(x - p.x), static_cast<int>(y - p.y)));
        return expected;
    }
};

// The first pixel where two pictures of one width differ, for messages.
std::string firstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width) {
    if (a.size() != b.size()) return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return "at " + std::to_string(i % width) + "," + std::to_string(i / width);
    return "none";
}

// ---- the image table and enlargement ----

TEST_F(ImageServices, TheTableGivesFreshBlackImagesGrowsAndRefusesForeignSlots) {
    makePattern(0, 4, 3, [](int, int) { return 0xFFFFFF; });
    ImageHandle second = makeImage(0, 5, 7);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(imageHandle(0), second);
    EXPECT_EQ(gtktest::surfaceWidth(second), 5);
    EXPECT_EQ(gtktest::surfaceHeight(second), 7);
    EXPECT_EQ(pixelsOf(0), std::vector<uint32_t>(35, 0u));

    EXPECT_NE(makeImage(40, 2, 2), nullptr);
    EXPECT_NE(imageHandle(40), nullptr);
    for (int32_t slot : {39, -1, 100000}) EXPECT_EQ(imageHandle(slot), nullptr) << slot;
    EXPECT_EQ(makeImage(-1, 2, 2), nullptr);
    EXPECT_EQ(scaleImage(7, 10, 10), nullptr);
    EXPECT_EQ(imageHandle(7), nullptr);
    EXPECT_EQ(imagePixels(7).pixels, nullptr);
    imageHandle(39);
    EXPECT_EQ(beginDrawing(imageTarget()), 0) << "an empty slot is a drawing target";
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

// An enlargement of a 5 x 3 picture keeps only what the clip can show, yet
// its blocks follow the full size: imagePixels gives exactly those blocks
// (never black), and copies drawn while it is pending, anywhere on a target,
// equal copies of the settled one.
TEST_F(ImageServices, EnlargementsStoreTheirClippedBlocksAndCopyTheSamePendingOrSettled) {
    struct Case {
        int toWidth, toHeight, clipWidth, clipHeight;
    };
    const Case cases[] = {{15, 9, 0, 0},      {5, 3, 0, 0},       {17, 11, 0, 0},   {20, 2, 0, 0},
                          {40, 30, 0, 0},     {500, 300, 64, 48}, {30, 200, 64, 48}, {300, 30, 64, 48},
                          {1000, 1000, 64, 48}};
    const int width = 101;  // wider and taller than the clip
    const int height = 71;
    const std::vector<Place> places = {{10, 4},  {-7, -5},     {width - 3, height - 2}, {-3, height - 4},
                                       {40, -8}, {width, 0},   {-100000, 0},            {0, -100000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.toWidth) + "x" + std::to_string(c.toHeight));
        const int storedWidth = c.clipWidth > 0 ? std::min(c.toWidth, c.clipWidth) : c.toWidth;
        const int storedHeight = c.clipHeight > 0 ? std::min(c.toHeight, c.clipHeight) : c.toHeight;
        auto block = [&](int x, int y) { return distinct(x * 5 / c.toWidth, y * 3 / c.toHeight); };
        std::vector<uint32_t> drawn[2];
        for (int settled = 0; settled < 2; ++settled) {
            setImageClip(c.clipWidth, c.clipHeight);
            makePattern(0, 5, 3, distinct);
            ASSERT_NE(scaleImage(0, c.toWidth, c.toHeight), nullptr);
            if (settled) {
                const PixelSurface stored = imagePixels(0);
                ASSERT_EQ(stored.width, storedWidth);
                ASSERT_EQ(stored.height, storedHeight);
                ASSERT_EQ(gtktest::surfaceWidth(imageHandle(0)), storedWidth);
                ASSERT_EQ(gtktest::surfaceHeight(imageHandle(0)), storedHeight);
                const std::vector<uint32_t> own = expectedCopies(storedWidth, storedHeight, {{0, 0}}, storedWidth,
                                                                 storedHeight, block);
                ASSERT_EQ(pixelsOf(0), own) << firstDifference(pixelsOf(0), own, storedWidth);
            }
            setImageClip(0, 0);
            drawn[settled] = copiesOnto(width, height, places);
        }
        const std::vector<uint32_t> expected = expectedCopies(width, height, places, storedWidth, storedHeight, block);
        ASSERT_EQ(drawn[1], expected) << "settled, first difference " << firstDifference(drawn[1], expected, width);
        ASSERT_EQ(drawn[0], expected) << "pending, first difference " << firstDifference(drawn[0], expected, width);
    }
}

// ---- copying ----

// Copies cut at every edge of the target, small ones and ones larger than
// the caches, overlapping or tiled in rows as the show tiles the screen.
TEST_F(ImageServices, CopiesAreCutAtEveryEdgeOfTheTarget) {
    struct Case {
        int width, height, targetWidth, targetHeight;
        std::vector<Place> places;
    };
    auto tiled = [](int w, int h, int startX, int startY) {
        std::vector<Place> places;
        for (int y = startY; y < 13; y += h)
            for (int x = startX; x < 61; x += w) places.push_back({x, y});
        return Case{w, h, 61, 13, places};
    };
    const Case cases[] = {{4, 4, 10, 10, {{8, 7}, {-2, -3}, {12, 0}}},
                          {1031, 1025, 1041, 1030, {{-3, 9}, {1029, -5}}},  // over 4 MB of pixels
                          tiled(3, 2, 0, 0),
                          tiled(3, 2, -2, -1),
                          tiled(5, 4, -7, 3),
                          tiled(1, 1, 0, 0),
                          tiled(17, 3, 4, -2),
                          tiled(64, 5, -10, 0)};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " from " +
                     std::to_string(c.places[0].x) + "," + std::to_string(c.places[0].y));
        makePattern(0, c.width, c.height, distinct);
        const std::vector<uint32_t> drawn = copiesOnto(c.targetWidth, c.targetHeight, c.places);
        const std::vector<uint32_t> expected =
            expectedCopies(c.targetWidth, c.targetHeight, c.places, c.width, c.height, distinct);
        ASSERT_EQ(drawn, expected) << "first difference " << firstDifference(drawn, expected, c.targetWidth);
    }
}

// ---- drawing brackets and text ----

TEST_F(ImageServices, DrawingCallsOutsideADrawingDoNothing) {
    makePattern(0, 3, 3, [](int, int) { return 0x00FF00; });
    makeImage(1, 40, 20);
    setPixel(0, 0, 0xFFFFFF);
    blitImage(imageHandle(0), 0, 0);
    setDrawingFlags(0);
    setTextPosition(0, 0);
    writeText("Outside");
    EXPECT_EQ(textWidth("Outside"), 0);
    EXPECT_EQ(pixelsOf(1), std::vector<uint32_t>(800, 0u));
}

// Neither a colour set outside a drawing nor one of a previous drawing
// carries into a new drawing: text there is black.
TEST_F(ImageServices, TextStartsBlackInEveryDrawingWhateverTheColourSetBefore) {
    makeImage(0, 60, 30);
    setDrawColour(255, 0, 0);
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
    const std::vector<uint32_t> pixels = pixelsOf(0);
    bool black[2] = {false, false};
    for (size_t i = 0; i < pixels.size(); ++i) {
        black[i % 60 >= 30] |= pixels[i] == 0;
        EXPECT_EQ(pixels[i] >> 16, pixels[i] & 0xFF) << "coloured text at " << i % 60 << "," << i / 60;
    }
    EXPECT_TRUE(black[0]);
    EXPECT_TRUE(black[1]);
}

// Opaque text is black on white cells, transparent text keeps the background
// between letters; outside the cells (and for empty text) nothing changes.
TEST_F(ImageServices, OpaqueAndTransparentTextChangeOnlyTheTextCells) {
    const int width = 200;
    const int height = 40;
    for (int flags : {2, 1}) {
        makeImage(0, width, height);
        ASSERT_NE(beginDrawing(imageTarget()), 0);
        gtktest::paintAll(width, height, 0x00FF00);
        setDrawingFlags(flags);
        setDrawColour(0, 0, 0);
        EXPECT_EQ(textWidth(""), 0);
        setTextPosition(150, 0);
        writeText("");
        const int textW = textWidth("Hi Mx");
        setTextPosition(10, 5);
        writeText("Hi Mx");
        endDrawing();
        ASSERT_GT(textW, 0);
        int count[3] = {0, 0, 0};  // white, black, green inside the cells
        const std::vector<uint32_t> pixels = pixelsOf(0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
                if (x >= 10 && x < 10 + textW && y >= 5) {
                    count[0] += p == 0xFFFFFF;
                    count[1] += p == 0;
                    count[2] += p == 0x00FF00;
                } else {
                    ASSERT_EQ(p, 0x00FF00u) << "flags " << flags << " at " << x << "," << y;
                }
            }
        EXPECT_GT(count[1], 0) << "flags " << flags;
        EXPECT_EQ(count[0] > 0, flags == 2) << "flags " << flags;  // white cells only when opaque
        if (flags == 1) {
            EXPECT_GT(count[2], 0);
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
    EXPECT_EQ(surfacePixel(buffer, width - 1, 0), 0xFFFFFFu);
    EXPECT_EQ(surfacePixel(buffer, width - textW, 0), 0xFFFFFFu);
    EXPECT_EQ(surfacePixel(buffer, width - textW - 1, 0), 0u);

    // The real screen shows the window's picture.
    gtktest::settle(300);
    gtktest::ScreenGrab screen(0, 0, width, height);
    ASSERT_TRUE(screen.valid());
    for (int x : {width - 1, width - textW, width - textW - 1, 0})
        EXPECT_EQ(screen.at(x, 0), surfacePixel(buffer, x, 0)) << x;
    closeAllWindows();
}

// ---- BMP decoding ----

// A BMP file: the file header, a 40-byte info header, the colour table and
// the rows as given (already padded).
std::vector<uint8_t> bmpFile(int width, int height, int bits, const std::vector<uint32_t>& table,
                             const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> file(54 + table.size() * 4);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(2, static_cast<uint32_t>(file.size() + rows.size()));
    put32(10, static_cast<uint32_t>(file.size()));
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    put32(26, 1 | (static_cast<uint32_t>(bits) << 16));
    put32(46, static_cast<uint32_t>(table.size()));
    file[0] = 'B';
    file[1] = 'M';
    for (size_t i = 0; i < table.size(); ++i) put32(54 + i * 4, table[i]);
    file.insert(file.end(), rows.begin(), rows.end());
    return file;
}

TEST_F(ImageServices, TheBannerDecodesWithItsColourTableBottomRowFirst) {
    ImageHandle banner = loadImageFromMemory(0, aboutBannerData, aboutBannerSize);
    ASSERT_NE(banner, nullptr);
    ASSERT_EQ(gtktest::surfaceWidth(banner), 340);
    ASSERT_EQ(gtktest::surfaceHeight(banner), 50);
    // The file's own bytes: 4 bits a pixel, rows bottom-up, 4-byte aligned.
    const uint8_t* d = aboutBannerData;
    const uint32_t offset = d[10] | (d[11] << 8) | (d[12] << 16) | (static_cast<uint32_t>(d[13]) << 24);
    const uint32_t headerSize = d[14] | (d[15] << 8);
    const int rowBytes = ((340 * 4 + 31) / 32) * 4;
    for (int y = 0; y < 50; y += 7)
        for (int x = 0; x < 340; x += 13) {
            const uint8_t byte = d[offset + static_cast<uint32_t>((49 - y) * rowBytes) + x / 2];
            const uint8_t* entry = d + 14 + headerSize + (x % 2 ? byte & 0x0F : byte >> 4) * 4;
            const uint32_t expected = (entry[2] << 16) | (entry[1] << 8) | entry[0];
            ASSERT_EQ(surfacePixel(surfaceOf(banner), x, y), expected) << x << "," << y;
        }
}

// True colour top-down, 8 bits bottom-up, and a colour table shorter than
// the indices (black for the rest).
TEST_F(ImageServices, SmallBmpsDecodeInEitherRowOrder) {
    struct Case {
        std::vector<uint8_t> file;
        std::vector<std::vector<uint32_t>> pixels;  // expected, rows top-down
    };
    const Case cases[] = {
        {bmpFile(3, -2, 24, {}, {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}),
         {{0xFF0000, 0x00FF00, 0x0000FF}, {0x030201, 0x060504, 0x090807}}},
        {bmpFile(5, 2, 8, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, {1, 2, 3, 0, 1, 0, 0, 0, 3, 3, 3, 3, 2, 0, 0, 0}),
         {{0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF, 0x00FF00}, {0xFF0000, 0x00FF00, 0x0000FF, 0, 0xFF0000}}},
        {bmpFile(4, 1, 4, {0xFFFFFF, 0x00FF00}, {0x01, 0xF0, 0, 0}), {{0xFFFFFF, 0x00FF00, 0, 0xFFFFFF}}},
    };
    for (const Case& c : cases) {
        ImageHandle image = loadImageFromMemory(0, c.file.data(), c.file.size());
        ASSERT_NE(image, nullptr) << c.file.size() << " bytes";
        for (size_t y = 0; y < c.pixels.size(); ++y)
            for (size_t x = 0; x < c.pixels[y].size(); ++x)
                EXPECT_EQ(surfacePixel(surfaceOf(image), static_cast<int>(x), static_cast<int>(y)), c.pixels[y][x])
                    << c.file.size() << " bytes, at " << x << "," << y;
    }
}

TEST_F(ImageServices, DataThatIsNotAWholeBmpGivesNoImage) {
    const std::vector<uint8_t> banner(aboutBannerData, aboutBannerData + aboutBannerSize);
    EXPECT_EQ(loadImageFromMemory(0, nullptr, 100), nullptr);
    // Cut short in the headers, the colour table or the pixels.
    for (size_t size : {size_t{0}, size_t{1}, size_t{2}, size_t{13}, size_t{30}, size_t{53}, size_t{60},
                        size_t{117}, size_t{118}, aboutBannerSize / 2, aboutBannerSize - 1})
        EXPECT_EQ(loadImageFromMemory(0, banner.data(), size), nullptr) << size;

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
        {28, 0x0003},       // unsupported bits per pixel
        {30, 1},            // compressed
    };
    for (const auto& d : damage) {
        std::vector<uint8_t> bad = banner;
        for (int i = 0; i < 4; ++i) bad[d.at + i] = static_cast<uint8_t>(d.value >> (8 * i));
        EXPECT_EQ(loadImageFromMemory(0, bad.data(), bad.size()), nullptr) << "byte " << d.at;
    }
    std::vector<uint8_t> garbage(4096);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 131 + 7);
    EXPECT_EQ(loadImageFromMemory(0, garbage.data(), garbage.size()), nullptr);
    garbage[0] = 'B';
    garbage[1] = 'M';
    EXPECT_EQ(loadImageFromMemory(0, garbage.data(), garbage.size()), nullptr);
}

}  // namespace
