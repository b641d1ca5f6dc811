// What the unit tests share: a fresh stub platform and picture module,
// pictures made from a function, pixels read back, drawings on a scratch image.
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

// A w x h picture whose pixel (x, y) is colour(x, y).
template <class Colour> Pixels picture(int32_t w, int32_t h, Colour colour) {
    Pixels p;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) p.push_back(colour(x, y));
    return p;
}

inline Pixels pixelsOf(const PixelView& v) {
    return picture(v.width, v.height, [&](int x, int y) { return v.row(y)[x]; });
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
