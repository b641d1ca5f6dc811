// Text in the backend's default font, written onto pixel memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/drawing_services.h"

// Text in a view with a green margin round it: opaque text is the colour on
// white cells, transparent text keeps the green between its letters; nothing
// changes outside the cells, nor outside the view where text is cut off.
TEST(Drawing, TextFillsOnlyItsCellsAndIsCutAtEveryEdge) {
    const std::string text = "Hi Mx";
    const int32_t width = measureText(text);
    EXPECT_TRUE(measureText("") == 0 && measureText("H") > 0 && width > measureText("Hi"));
    const struct { int32_t x, y; bool opaque, whole; std::string text; } cases[] = {
        {10, 5, true, true, text}, {10, 5, false, true, text}, {-7, -6, true, false, text},
        {30, 38, false, false, text}, {200 - width / 2, 30, true, false, text}, {-width, 0, true, false, text},
        {200, 0, true, false, text}, {10, 5, true, false, ""}};
    for (const auto& c : cases) {
        std::vector<uint32_t> canvas(240 * 80, 0xFF00FF00u);  // green
        drawText(PixelView{canvas.data() + 20 * 240 + 20, 200, 40, 240}, c.x, c.y, c.text, 0xFF0000, c.opaque);
        int white = 0, blue = 0, kept = 0;  // inside the cells
        for (size_t i = 0; i < canvas.size(); ++i) {
            const int32_t x = int32_t(i % 240) - 20, y = int32_t(i / 240) - 20;
            if (x >= 0 && x < 200 && y >= 0 && y < 40 && c.text.size() && x >= c.x && x < c.x + width && y >= c.y)
                white += canvas[i] == 0xFFFFFFFFu, blue += canvas[i] == 0xFF0000FFu, kept += canvas[i] == 0xFF00FF00u;
            else
                ASSERT_EQ(canvas[i], 0xFF00FF00u) << c.x << "," << c.y << ": changed at " << x << "," << y;
        }
        const bool shown = !c.text.empty() && c.x < 200 && c.x + width > 0;
        EXPECT_TRUE((white > 0) == (c.opaque && shown) && (!c.whole || (blue > 0 && (c.opaque || kept > 0))))
            << c.x << "," << c.y << ": " << white << " white, " << blue << " blue, " << kept << " green";
    }
}

// Opaque text covers its cells whole: written over any pixels, prepared or
// not, after other texts and colours were prepared or written, its cells are
// the same.
TEST(Drawing, OpaqueTextIsTheSameOverAnyPixelsPreparedOrNot) {
    constexpr int32_t w = 120, h = 30;
    // What the text changed (black, blue, red or magenta on white never is either background).
    const auto cells = [&](const std::string& text, int32_t colour, uint32_t background, auto before) {
        std::vector<uint32_t> canvas(w * h, background);
        before();
        drawText(PixelView{canvas.data(), w, h, w}, 4, 2, text, colour, true);
        for (uint32_t& pixel : canvas) pixel = pixel == background ? 0 : pixel;
        return canvas;
    };
    const uint32_t green = 0xFF00FF00u, other = 0xFF123456u;
    for (const std::string text : {"Hi Mx", "Hi"})
        for (const int32_t colour : {0, 0x0000FF}) {
            const int32_t blued = colour ^ 0xFF0000;
            const auto alone = cells(text, colour, green, [] {});
            EXPECT_NE(alone, cells(text, blued, green, [] {})) << text;  // the colour shows
            EXPECT_EQ(alone, cells(text, colour, other, [&] { prepareText(text, colour, true); })) << text;
            EXPECT_EQ(alone, cells(text, colour, other, [&] { prepareText("Mx", blued, true); })) << text;
            EXPECT_EQ(alone, cells(text, colour, green, [&] { prepareText(text, blued, true); })) << text;
            EXPECT_EQ(alone, cells(text, colour, other, [&] { prepareText(text, colour, false); })) << text;
        }
}
