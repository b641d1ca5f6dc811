// What the backend draws: window surfaces and their way to the screen, text
// in the default font, and picture controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "picture/images.h"
#include "platform/drawing_services.h"
#include "probe.h"

// 0xAARRGGBB colours distinct over small areas, and others.
static uint32_t pattern(int32_t x, int32_t y) {
    return 0xFF000000u | (0x203040u + x * 7919u + y * 104729u) % (1 << 24);
}
static uint32_t inverse(int32_t x, int32_t y) { return pattern(y, x) ^ 0xFFFFFFu; }

static void fill(const PixelView& view, uint32_t (*colour)(int32_t, int32_t)) {
    for (int32_t y = 0; y < view.height; ++y)
        for (int32_t x = 0; x < view.width; ++x) view.row(y)[x] = colour(x, y);
}

// Waits until the corners and the middle of an area of the window show `colour` on screen.
static bool onScreen(WindowHandle window, probe::Rect area, uint32_t (*colour)(int32_t, int32_t)) {
    return probe::pumpUntil([&] {
        bool same = true;
        for (int32_t y : {0, area.height / 2, area.height - 1})
            for (int32_t x : {0, area.width / 3, area.width - 1})
                same = same && probe::screenPixel(window, area.x + x, area.y + y) == (colour(x, y) & 0xFFFFFFu);
        return same;
    });
}

TEST(Drawing, SurfacesStartBlackAtClientSizeAndPresentedSurfacesAndPicturesShowOnScreen) {
    EXPECT_EQ(windowSurface(nullptr).pixels, nullptr);
    for (uint32_t flags : {uint32_t{stylePopup}, uint32_t{styleCaption}}) {
        WindowHandle window = probe::openShown(0, 60, 50, 120, 80, flags);
        const PixelView surface = windowSurface(window);
        ASSERT_EQ(std::make_pair(surface.width, surface.height), std::make_pair(120, 80));
        for (int32_t y = 0; y < surface.height; ++y)
            for (int32_t x = 0; x < surface.width; ++x) ASSERT_EQ(surface.row(y)[x], 0xFF000000u) << x << "," << y;
        fill(surface, pattern), presentWindow(window);
        EXPECT_TRUE(onScreen(window, {0, 0, 120, 80}, pattern)) << flags;
    }
    makeImage(3, 30, 20), fill(imagePixels(3), pattern);
    makeImage(4, 30, 20), fill(imagePixels(4), inverse);
    beginControlList(currentWindow());
    addPicture(30, 20, 20, 30, 20, imageHandle(3), 0);
    EXPECT_TRUE(onScreen(currentWindow(), {20, 20, 30, 20}, pattern)) << "a picture control";
    setControlState(30, 4);
    EXPECT_TRUE(onScreen(currentWindow(), {20, 20, 30, 20}, inverse)) << "another image";
    closeAllWindows();
}

// Text in a view with a green margin round it: opaque text is the colour on
// white cells, transparent text keeps the green between its letters; nothing
// changes outside the cells, nor outside the view where text is cut off.
TEST(Drawing, TextFillsOnlyItsCellsAndIsCutAtEveryEdge) {
    const std::string text = "Hi Mx";
    const int32_t width = measureText(text);
    const uint32_t green = 0xFF00FF00u;
    EXPECT_TRUE(measureText("") == 0 && measureText("H") > 0 && width > measureText("Hi"));
    const struct { int32_t x, y; bool opaque, whole; std::string text; } cases[] = {
        {10, 5, true, true, text}, {10, 5, false, true, text}, {-7, -6, true, false, text},
        {30, 38, false, false, text}, {200 - width / 2, 30, true, false, text}, {-width, 0, true, false, text},
        {200, 0, true, false, text}, {10, 5, true, false, ""}};
    for (const auto& c : cases) {
        std::vector<uint32_t> canvas(240 * 80, green);
        drawText(PixelView{canvas.data() + 20 * 240 + 20, 200, 40, 240}, c.x, c.y, c.text, 0xFF0000, c.opaque);
        int white = 0, blue = 0, kept = 0;  // inside the cells
        for (int32_t y = -20; y < 60; ++y)
            for (int32_t x = -20; x < 220; ++x) {
                const uint32_t p = canvas[static_cast<size_t>((y + 20) * 240 + x + 20)];
                if (x >= 0 && x < 200 && y >= 0 && y < 40 && c.text.size() && x >= c.x && x < c.x + width && y >= c.y)
                    white += p == 0xFFFFFFFFu, blue += p == 0xFF0000FFu, kept += p == green;
                else
                    ASSERT_EQ(p, green) << c.x << "," << c.y << ": changed at " << x << "," << y;
            }
        const bool shown = !c.text.empty() && c.x < 200 && c.x + width > 0;
        EXPECT_TRUE((white > 0) == (c.opaque && shown) && (!c.whole || (blue > 0 && (c.opaque || kept > 0))))
            << c.x << "," << c.y << ": " << white << " white, " << blue << " blue, " << kept << " green";
    }
}
