// What the unit tests share: a fresh stub platform and picture module,
// pixels read back, and the stub font's picture of a text.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "picture/drawing.h"
#include "picture/images.h"
#include "picture/pixels.h"
#include "platform/stub/stub_backend.h"

// Every test starts from an empty stub platform, image table and drawing state.
class StubTest : public ::testing::Test {
protected:
    void SetUp() override { stub::reset(); initDrawing(); initImages(); setImageClip(0, 0); }
    void TearDown() override { freeAllImages(); }
};

using Pixels = std::vector<uint32_t>;

inline Pixels pixelsOf(const PixelView& v) {
    Pixels out;
    for (int32_t y = 0; y < v.height; ++y) out.insert(out.end(), v.row(y), v.row(y) + v.width);
    return out;
}

// A w x h picture whose pixel (x, y) is colour(x, y), made opaque.
template <class Colour> Pixels picture(int32_t w, int32_t h, Colour colour) {
    Pixels p;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) p.push_back(0xFF000000u | colour(x, y));
    return p;
}

// Runs `draw` in a drawing on a fresh w x h image (slot 9) filled grey; its pixels.
template <class Draw> Pixels drawn(int32_t w, int32_t h, Draw draw) {
    makeImage(9, w, h);
    beginDrawing(imageTarget());
    fillPixels(drawingPixels(), 0xFF808080u);
    draw();
    endDrawing();
    return pixelsOf(imagePixels(9));
}

// Puts what the stub font draws for `text` at (x, y) into a picture `width`
// wide: each 6 x 10 cell has its letter's ink in a 4 x 6 block (none for a
// space); the rest of the cell turns white when the text is opaque.
inline void putStubText(Pixels& picture, int32_t width, int32_t x, int32_t y, const std::string& text, uint32_t ink,
                        bool opaque) {
    for (int32_t dy = 0; dy < stub::cellHeight; ++dy)
        for (int32_t dx = 0; dx < static_cast<int32_t>(text.size()) * stub::cellWidth; ++dx) {
            const int32_t inCell = dx % stub::cellWidth;
            const bool letter = text[dx / stub::cellWidth] != ' ' && inCell >= 1 && inCell <= 4 && dy >= 2 && dy <= 7;
            if (letter || opaque) picture[(y + dy) * width + x + dx] = letter ? ink : 0xFFFFFFFFu;
        }
}
