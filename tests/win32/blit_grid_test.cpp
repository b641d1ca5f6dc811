// Copies collected as a grid and drawn as one must leave exactly the pixels
// that copying them one by one leaves: checked on plain pixel memory against
// a copy-by-copy reference, and through the image layer on images and a
// window, interleaved with other drawing.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/image_services.h"
#include "platform/pixel_ops.h"
#include "platform/win32/blit_grid.h"
#include "platform/window_services.h"
#include "win32_test_support.h"

namespace {

struct Picture {
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;
    PixelView view() { return PixelView{pixels.data(), width, height, width}; }
};

BlitTile plainTile(const PixelView& view) {
    BlitTile tile;
    tile.stored = view;
    return tile;
}

// A picture whose every pixel differs from its neighbours.
Picture pattern(int32_t width, int32_t height, uint32_t seed) {
    Picture p{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = (seed << 24) ^ static_cast<uint32_t>(i * 2654435761u);
    return p;
}

// Copies `tile` at (x, y) of `target`, pixel by pixel, clipped.
void referenceCopy(const Picture& tile, Picture& target, int32_t x, int32_t y) {
    for (int32_t ty = 0; ty < tile.height; ++ty)
        for (int32_t tx = 0; tx < tile.width; ++tx) {
            const int64_t px = static_cast<int64_t>(x) + tx;
            const int64_t py = static_cast<int64_t>(y) + ty;
            if (px < 0 || py < 0 || px >= target.width || py >= target.height) continue;
            target.pixels[static_cast<size_t>(py * target.width + px)] = tile.pixels[static_cast<size_t>(ty * tile.width + tx)];
        }
}

struct Position {
    int32_t x;
    int32_t y;
};

// The positions of a row-by-row grid: `rows` rows of `columns`, the last
// row holding `lastRow` tiles.
std::vector<Position> gridPositions(int32_t x0, int32_t y0, int32_t stepX, int32_t stepY, int32_t columns,
                                    int32_t rows, int32_t lastRow) {
    std::vector<Position> positions;
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < (r == rows - 1 ? lastRow : columns); ++c)
            positions.push_back({x0 + c * stepX, y0 + r * stepY});
    return positions;
}

struct GridCase {
    const char* name;
    int32_t tileW, tileH, x0, y0, stepX, stepY, columns, rows, lastRow;
};

TEST(BlitGrid, DrawnGridEqualsCopyingEveryTileInTurn) {
    const GridCase cases[] = {
        {"abutting, covering the target", 5, 3, 0, 0, 5, 3, 9, 8, 9},
        {"abutting, last row short", 5, 3, 0, 0, 5, 3, 9, 8, 4},
        {"abutting, starting left of and above the target", 7, 4, -3, -2, 7, 4, 7, 7, 7},
        {"one column of tall tiles", 40, 9, 0, 0, 0, 9, 1, 4, 1},
        {"one row of wide tiles", 30, 50, 0, 0, 30, 0, 2, 1, 2},
        {"gaps between tiles", 3, 2, 1, 1, 5, 4, 8, 6, 8},
        {"overlapping tiles", 6, 5, 0, 0, 4, 3, 10, 9, 10},
        {"a single tile past the corner", 8, 8, 38, 28, 8, 8, 1, 1, 1},
        {"tiles of one pixel", 1, 1, 0, 0, 1, 1, 43, 31, 43},
    };
    for (const GridCase& c : cases) {
        Picture tile = pattern(c.tileW, c.tileH, 7);
        Picture expected = pattern(43, 31, 1);
        Picture drawn = expected;
        const std::vector<Position> positions =
            gridPositions(c.x0, c.y0, c.stepX, c.stepY, c.columns, c.rows, c.lastRow);
        BlitGrid grid;
        startBlitGrid(grid, &tile, positions[0].x, positions[0].y);
        for (size_t i = 1; i < positions.size(); ++i)
            ASSERT_TRUE(extendBlitGrid(grid, &tile, positions[i].x, positions[i].y)) << c.name << " tile " << i;
        EXPECT_EQ(blitGridTileCount(grid), static_cast<int64_t>(positions.size())) << c.name;
        for (const Position& p : positions) referenceCopy(tile, expected, p.x, p.y);
        drawBlitGrid(grid, plainTile(tile.view()), drawn.view(), 0, 0);
        EXPECT_EQ(drawn.pixels, expected.pixels) << c.name;

        // Drawn into a part of the target standing for its pixel (13, 9).
        Picture part{20, 11, std::vector<uint32_t>(20 * 11, 0)};
        drawBlitGrid(grid, plainTile(tile.view()), part.view(), 13, 9);
        Picture partExpected{20, 11, std::vector<uint32_t>(20 * 11, 0)};
        for (const Position& p : positions) referenceCopy(tile, partExpected, p.x - 13, p.y - 9);
        EXPECT_EQ(part.pixels, partExpected.pixels) << c.name << " (offset)";
    }
}

TEST(BlitGrid, OnlyTheNextTileOfTheGridIsTaken) {
    int image = 0;
    int other = 0;
    BlitGrid grid;
    startBlitGrid(grid, &image, 0, 0);
    EXPECT_FALSE(extendBlitGrid(grid, &other, 4, 0));   // another image
    EXPECT_FALSE(extendBlitGrid(grid, &image, -4, 0));  // backwards along the row
    ASSERT_TRUE(extendBlitGrid(grid, &image, 4, 0));
    EXPECT_FALSE(extendBlitGrid(grid, &image, 9, 0));  // not one step on
    ASSERT_TRUE(extendBlitGrid(grid, &image, 8, 0));
    EXPECT_FALSE(extendBlitGrid(grid, &image, 1, 6));  // a new row must start at the first column
    ASSERT_TRUE(extendBlitGrid(grid, &image, 0, 6));   // the first row had three tiles
    ASSERT_TRUE(extendBlitGrid(grid, &image, 4, 6));
    ASSERT_TRUE(extendBlitGrid(grid, &image, 8, 6));
    EXPECT_FALSE(extendBlitGrid(grid, &image, 12, 6));  // rows are as long as the first
    EXPECT_FALSE(extendBlitGrid(grid, &image, 0, 13));  // rows are as far apart as the first two
    ASSERT_TRUE(extendBlitGrid(grid, &image, 0, 12));
    EXPECT_EQ(blitGridTileCount(grid), 7);
    int32_t x, y;
    blitGridTilePosition(grid, 5, x, y);
    EXPECT_EQ(x, 8);
    EXPECT_EQ(y, 6);
    int64_t left, top, right, bottom;
    EXPECT_FALSE(blitGridRectangle(grid, 4, 6, left, top, right, bottom)) << "the last row is not complete";
}

// Through the image layer: copies onto an image, with pixels and text drawn
// between them, against the same drawing done copy by copy in the test.
class GridOnImages : public ::testing::Test {
protected:
    void TearDown() override {
        endDrawing();
        setImageClip(0, 0);
        freeAllImages();
        closeAllWindows();
    }
    // Makes slot `slot` a width x height image holding `picture`.
    static void makePicture(int32_t slot, const Picture& picture) {
        ASSERT_TRUE(makeImage(slot, picture.width, picture.height));
        ASSERT_NE(beginDrawing(imageTarget()), 0);
        for (int32_t y = 0; y < picture.height; ++y)
            for (int32_t x = 0; x < picture.width; ++x) {
                const uint32_t p = picture.pixels[static_cast<size_t>(y * picture.width + x)];
                setPixel(x, y, static_cast<int32_t>(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16)));
            }
        endDrawing();
    }
    static Picture readBack(int32_t slot) {
        int32_t w, h;
        std::vector<uint32_t> pixels = bitmapPixels(imageHandle(slot), w, h);
        return Picture{w, h, pixels};
    }
};

Picture rgbPattern(int32_t width, int32_t height, uint32_t seed) {
    Picture p = pattern(width, height, seed);
    for (uint32_t& v : p.pixels) v &= 0x00FFFFFFu;
    return p;
}

TEST_F(GridOnImages, TilingAnImageThenDrawingOverItKeepsTheOrderOfDrawing) {
    const Picture tile = rgbPattern(6, 4, 3);
    makePicture(0, tile);
    makePicture(1, rgbPattern(50, 30, 9));
    Picture expected = readBack(1);

    imageHandle(1);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (int32_t y = 0; y < 30; y += 4)
        for (int32_t x = 0; x < 50; x += 6) blitImage(imageHandle(0), x, y);
    setPixel(7, 5, 0x0000FF);  // red, over the tiles
    blitImage(imageHandle(0), 3, 2);  // a copy out of the grid, over the red pixel
    setPixel(4, 2, 0x00FF00);
    endDrawing();

    for (int32_t y = 0; y < 30; y += 4)
        for (int32_t x = 0; x < 50; x += 6) referenceCopy(tile, expected, x, y);
    expected.pixels[5 * 50 + 7] = rgb(255, 0, 0);
    referenceCopy(tile, expected, 3, 2);
    expected.pixels[2 * 50 + 4] = rgb(0, 255, 0);
    EXPECT_EQ(readBack(1).pixels, expected.pixels);
}

TEST_F(GridOnImages, TextWrittenAfterATilingLiesOnTopOfIt) {
    makePicture(0, rgbPattern(3, 3, 5));
    ASSERT_TRUE(makeImage(1, 120, 30));
    imageHandle(1);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (int32_t y = 0; y < 30; y += 3)
        for (int32_t x = 0; x < 120; x += 3) blitImage(imageHandle(0), x, y);
    setDrawingFlags(2);
    setDrawColour(0, 0, 0);
    setTextPosition(0, 0);
    writeText("MacLeod");
    const int32_t width = textWidth("MacLeod");
    endDrawing();
    const Picture result = readBack(1);
    int whites = 0;
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < width; ++x) whites += result.pixels[static_cast<size_t>(y * 120 + x)] == rgb(255, 255, 255);
    EXPECT_GT(whites, width * 4) << "the tiles were drawn over the name";
}

TEST_F(GridOnImages, EnlargedImageTiledOntoAnImageEqualsItsStoredPixelsTiled) {
    makePicture(0, rgbPattern(30, 20, 4));
    setImageClip(400, 300);
    ASSERT_TRUE(scaleImage(0, 270, 180));  // 270 x 180: large enough to be tiled from the small picture
    const Picture enlarged = readBack(0);
    ASSERT_EQ(enlarged.width, 270);
    ASSERT_TRUE(makeImage(1, 400, 300));
    imageHandle(1);
    ASSERT_NE(beginDrawing(imageTarget()), 0);
    for (int32_t y = 0; y < 300; y += 180)
        for (int32_t x = 0; x < 400; x += 270) blitImage(imageHandle(0), x, y);
    endDrawing();
    Picture expected{400, 300, std::vector<uint32_t>(400 * 300, 0)};
    for (int32_t y = 0; y < 300; y += 180)
        for (int32_t x = 0; x < 400; x += 270) referenceCopy(enlarged, expected, x, y);
    EXPECT_EQ(readBack(1).pixels, expected.pixels);
}

TEST_F(GridOnImages, ManyCopiesOntoAWindowEqualCopyingEachInTurn) {
    HWND window = static_cast<HWND>(openTopWindow(0, 0, 0, 200, 120, stylePopup, ""));
    ASSERT_TRUE(window);
    fillWindowBlack(window);
    const Picture tile = rgbPattern(7, 5, 6);
    makePicture(0, tile);
    ASSERT_NE(beginDrawing(windowTarget()), 0);
    for (int32_t y = 0; y < 120; y += 5)  // 24 rows of 29 tiles, the last cut by the edge
        for (int32_t x = 0; x < 200; x += 7) blitImage(imageHandle(0), x, y);
    blitImage(imageHandle(0), 190, 3);  // one more, out of the grid
    endDrawing();
    Picture expected{200, 120, std::vector<uint32_t>(200 * 120, 0)};
    for (int32_t y = 0; y < 120; y += 5)
        for (int32_t x = 0; x < 200; x += 7) referenceCopy(tile, expected, x, y);
    referenceCopy(tile, expected, 190, 3);
    EXPECT_EQ(windowPixels(window, 200, 120), expected.pixels);
}

}  // namespace
