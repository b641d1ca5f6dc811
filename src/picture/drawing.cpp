#include "picture/drawing.h"

#include <algorithm>

#include "picture/image_table.h"
#include "picture/images.h"
#include "picture/pixels.h"

namespace {

struct DrawingState {
    bool open = false;
    DrawingTarget target;
    PixelView pixels;
    int32_t flags = 0;
    int32_t textColour = 0;
    int32_t textX = 0;
    int32_t textY = 0;
};

DrawingState drawing;
int32_t drawColour = 0; // kept from one drawing to the next

} // namespace

void endDrawingOn(const Image& image) {
    if (drawing.open && drawing.target.kind == DrawingKind::image &&
        drawing.target.handle == &image)
        endDrawing();
}

void initDrawing() {
    drawing = DrawingState{};
    drawColour = 0;
}

DrawingTarget imageTarget() {
    Image* image = currentImageOrNull();
    if (!image || !settle(*image)) return DrawingTarget{};
    return DrawingTarget{DrawingKind::image, image};
}

DrawingTarget windowTarget() {
    return DrawingTarget{DrawingKind::window, currentWindow()};
}

intptr_t beginDrawing(const DrawingTarget& target) {
    endDrawing();
    PixelView pixels;
    if (target.kind == DrawingKind::window) {
        pixels = windowSurface(target.handle);
    } else if (target.kind == DrawingKind::image) {
        if (Image* image = imageOfHandle(target.handle); image && settle(*image))
            pixels = storedView(*image);
    }
    if (!pixels.pixels) return 0;
    drawing = DrawingState{};
    drawing.open = true;
    drawing.target = target;
    drawing.pixels = pixels;
    return reinterpret_cast<intptr_t>(pixels.pixels);
}

void endDrawing() {
    if (!drawing.open) return;
    const DrawingTarget target = drawing.target;
    drawing = DrawingState{};
    if (target.kind == DrawingKind::window) presentWindow(target.handle);
}

PixelView drawingPixels() {
    return drawing.open ? drawing.pixels : PixelView{};
}

void setPixel(int32_t x, int32_t y, int32_t colour) {
    const PixelView& p = drawing.pixels;
    if (drawing.open && static_cast<uint32_t>(x) < static_cast<uint32_t>(p.width) &&
        static_cast<uint32_t>(y) < static_cast<uint32_t>(p.height))
        p.row(y)[x] = pixelFromColour(colour);
}

namespace {

// The image to copy from, or null (none, or the drawing's own image).
Image* sourceImage(ImageHandle handle) {
    Image* image = imageOfHandle(handle);
    return drawing.open && image && image != drawing.target.handle ? image : nullptr;
}

} // namespace

void blitImage(ImageHandle handle, int32_t x, int32_t y) {
    Image* image = sourceImage(handle);
    if (!image) return;
    if (!image->pending) {
        copyPixels(storedView(*image), drawing.pixels, x, y);
        return;
    }
    // The held part of an enlargement, drawn straight from its small picture.
    const PixelView& target = drawing.pixels;
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + image->storedWidth, target.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + image->storedHeight, target.height);
    if (left >= right || top >= bottom) return;
    const PixelView part{target.row(static_cast<int32_t>(top)) + left,
                         static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top),
                         target.stride};
    scalePixels(sourceView(*image), part, image->width, image->height,
                static_cast<int32_t>(x - left), static_cast<int32_t>(y - top));
}

void setDrawingFlags(int32_t flags) {
    if (drawing.open) drawing.flags = flags;
}

void setDrawColour(int32_t red, int32_t green, int32_t blue) {
    if (!drawing.open) return;
    drawColour = red + green * 256 + blue * 65536;
    drawing.textColour = drawColour;
}

int32_t textWidth(const std::string& text) {
    return drawing.open && !text.empty() ? measureText(text) : 0;
}

void setTextPosition(int32_t x, int32_t y) {
    if (!drawing.open) return;
    drawing.textX = x;
    drawing.textY = y;
}

void writeText(const std::string& text) {
    if (!drawing.open || text.empty()) return;
    drawText(drawing.pixels, drawing.textX, drawing.textY, text, drawing.textColour,
             !(drawing.flags & transparentText));
    drawing.textX += measureText(text);
}
