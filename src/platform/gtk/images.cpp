// Numbered images, drawings on images and windows, enlargement, copying and
// text, on cairo image surfaces and pango.
//
// Every image and every window picture is a CAIRO_FORMAT_RGB24 surface whose
// pixels are 0xAARRGGBB words, so an open drawing hands its pixel memory to
// the inline setPixel and copies are row-wise memcpy.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <pango/pangocairo.h>

#include "platform/gtk/gtk_backend.h"
#include "platform/image_services.h"
#include "platform/pixel_ops.h"

PixelSurface activePixels;

namespace {

constexpr uint32_t blackPixel = 0xFF000000u;
constexpr uint32_t whitePixel = 0xFFFFFFFFu;
// cairo's limit on either side of an image surface.
constexpr int32_t largestSide = 32767;

// An image: its surface keeps the top-left part that can ever be shown; the
// width and height are the image's full size, used for placement.
struct ImageSlot {
    cairo_surface_t* surface = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

std::vector<ImageSlot> imageTable;
int32_t currentImage = -1;
int32_t clipWidth = 0;
int32_t clipHeight = 0;

struct DrawingState {
    bool open = false;
    int32_t kind = 0;
    WindowHandle window = nullptr;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;  // made when text first needs it
    int32_t flags = 0;
    int32_t textColour = 0;
    int32_t positionX = 0;
    int32_t positionY = 0;
};

DrawingState drawing;
int32_t drawColour = 0;  // kept from one drawing to the next

// Copies of one image placed side by side along a row are gathered and drawn
// together when something else comes: each row of the run is then written
// once with a few memcpy calls, however small the image. While a run waits,
// activePixels is withheld so that a setPixel draws it first.
struct TileRun {
    bool waiting = false;
    ImageHandle image = nullptr;
    PixelView source;  // the stored part of the image
    int32_t step = 0;  // the image's full width: the distance between copies
    int32_t firstX = 0;
    int32_t nextX = 0;
    int32_t y = 0;
};

TileRun run;
PixelSurface withheldPixels;

PixelView viewOf(cairo_surface_t* surface) {
    PixelView view;
    view.pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
    view.width = cairo_image_surface_get_width(surface);
    view.height = cairo_image_surface_get_height(surface);
    view.stride = cairo_image_surface_get_stride(surface) / 4;
    return view;
}

PixelView targetView() {
    const PixelSurface& s = run.waiting ? withheldPixels : activePixels;
    PixelView view;
    view.pixels = s.pixels;
    view.width = s.width;
    view.height = s.height;
    view.stride = s.stride;
    return view;
}

uint32_t* rowOf(const PixelView& v, int64_t y) { return v.pixels + y * static_cast<int64_t>(v.stride); }

// Writes one row of the run over [left, right): the first period from the
// image, then doubling copies of what is already written.
void writeRunRow(const uint32_t* source, uint32_t* out, int64_t firstX, int64_t step, int64_t left, int64_t right) {
    const int64_t span = right - left;
    const int64_t phase = (left - firstX) % step;
    const int64_t period = std::min(step, span);
    const int64_t head = std::min(step - phase, period);
    std::memcpy(out + left, source + phase, static_cast<size_t>(head) * sizeof(uint32_t));
    if (period > head) std::memcpy(out + left + head, source, static_cast<size_t>(period - head) * sizeof(uint32_t));
    int64_t filled = period;
    while (filled < span) {
        const int64_t chunk = std::min(filled, span - filled);
        std::memcpy(out + left + filled, out + left, static_cast<size_t>(chunk) * sizeof(uint32_t));
        filled += chunk;
    }
}

void drawWaitingRun() {
    if (!run.waiting) return;
    run.waiting = false;
    activePixels = withheldPixels;
    const PixelView target = targetView();
    const PixelView& source = run.source;
    if (source.width != run.step) {
        // Only part of the image is stored: the copies do not join up.
        for (int32_t x = run.firstX; x != run.nextX; x += run.step) copyPixels(source, target, x, run.y);
        return;
    }
    const int64_t left = std::max<int64_t>(run.firstX, 0);
    const int64_t right = std::min<int64_t>(run.nextX, target.width);
    const int64_t top = std::max<int64_t>(run.y, 0);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(run.y) + source.height, target.height);
    if (left >= right) return;
    for (int64_t y = top; y < bottom; ++y)
        writeRunRow(rowOf(source, y - run.y), rowOf(target, y), run.firstX, run.step, left, right);
}

ImageSlot* slotAt(int32_t slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= imageTable.size()) return nullptr;
    return &imageTable[static_cast<size_t>(slot)];
}

ImageSlot* slotOfHandle(ImageHandle image) {
    if (!image) return nullptr;
    for (ImageSlot& slot : imageTable)
        if (slot.surface == image) return &slot;
    return nullptr;
}

// Draws a waiting run before its image goes away.
void settleRunOf(cairo_surface_t* surface) {
    if (run.waiting && run.image == surface) drawWaitingRun();
}

void releaseSlot(ImageSlot& slot) {
    if (drawing.open && drawing.surface && drawing.surface == slot.surface) endDrawing();
    settleRunOf(slot.surface);
    if (slot.surface) cairo_surface_destroy(slot.surface);
    slot = ImageSlot{};
}

// A black surface of the given size, or null when it cannot be made.
cairo_surface_t* blackSurface(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > largestSide || height > largestSide) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    fillPixels(viewOf(surface), blackPixel);
    cairo_surface_mark_dirty(surface);
    return surface;
}

ImageSlot& growTableFor(int32_t slot) {
    if (static_cast<size_t>(slot) >= imageTable.size()) imageTable.resize(static_cast<size_t>(slot) + 11);
    return imageTable[static_cast<size_t>(slot)];
}

// ---- text ----

PangoFontDescription* textFont() {
    static PangoFontDescription* font = nullptr;
    if (font) return font;
    gchar* name = nullptr;
    if (gtkbackend::displayOpen()) {
        if (GtkSettings* settings = gtk_settings_get_default())
            g_object_get(settings, "gtk-font-name", &name, nullptr);
    }
    font = pango_font_description_from_string(name && *name ? name : "Sans 10");
    g_free(name);
    return font;
}

cairo_t* drawingContext() {
    if (!drawing.cr) drawing.cr = cairo_create(drawing.surface);
    return drawing.cr;
}

// A layout of the text in the program's font, grey-scale antialiased so that
// text pixels stay in the text colour's shades.
PangoLayout* textLayout(const std::string& text) {
    PangoLayout* layout = pango_cairo_create_layout(drawingContext());
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    pango_layout_set_font_description(layout, textFont());
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    return layout;
}

void setSourceColour(cairo_t* cr, int32_t colour) {
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                         ((colour >> 16) & 0xFF) / 255.0);
}

// ---- BMP decoding ----

uint32_t read16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }
uint32_t read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct BmpLayout {
    int32_t width = 0;
    int32_t height = 0;
    bool topDown = false;
    uint32_t bitCount = 0;
    uint64_t rowBytes = 0;
    uint64_t pixelOffset = 0;
    std::vector<uint32_t> colours;  // as pixel words
};

// Reads and checks the headers: every offset and size must lie inside the data.
bool readBmpLayout(const uint8_t* data, size_t size, BmpLayout& bmp) {
    constexpr size_t fileHeader = 14;
    if (!data || size < fileHeader + 40 || data[0] != 'B' || data[1] != 'M') return false;
    const uint64_t headerSize = read32(data + 14);
    if (headerSize < 40 || fileHeader + headerSize > size) return false;
    const int32_t width = static_cast<int32_t>(read32(data + 18));
    const int32_t height = static_cast<int32_t>(read32(data + 22));
    const uint32_t bitCount = read16(data + 28);
    const uint32_t compression = read32(data + 30);
    if (compression != 0) return false;  // only uncompressed pixels
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return false;
    if (width <= 0 || width > largestSide || height == 0 || height < -largestSide || height > largestSide)
        return false;
    bmp.width = width;
    bmp.topDown = height < 0;
    bmp.height = height < 0 ? -height : height;
    bmp.bitCount = bitCount;
    bmp.rowBytes = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    bmp.pixelOffset = read32(data + 10);
    if (bmp.pixelOffset > size || bmp.rowBytes * static_cast<uint64_t>(bmp.height) > size - bmp.pixelOffset)
        return false;
    if (bitCount <= 8) {
        uint64_t entries = read32(data + 46);
        if (entries == 0 || entries > (1u << bitCount)) entries = 1u << bitCount;
        const uint64_t table = fileHeader + headerSize;
        if (table + entries * 4 > size) return false;
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* entry = data + table + i * 4;
            bmp.colours.push_back(blackPixel | (static_cast<uint32_t>(entry[2]) << 16) |
                                  (static_cast<uint32_t>(entry[1]) << 8) | entry[0]);
        }
    }
    return true;
}

uint32_t bmpPixel(const BmpLayout& bmp, const uint8_t* row, int32_t x) {
    switch (bmp.bitCount) {
    case 24:
    case 32: {
        const uint8_t* p = row + static_cast<size_t>(x) * (bmp.bitCount / 8);
        return blackPixel | (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
    }
    default: {
        const uint32_t bitsPerPixel = bmp.bitCount;
        const uint64_t bit = static_cast<uint64_t>(x) * bitsPerPixel;
        const uint32_t shift = 8 - bitsPerPixel - static_cast<uint32_t>(bit % 8);
        const uint32_t index = (row[bit / 8] >> shift) & ((1u << bitsPerPixel) - 1);
        return index < bmp.colours.size() ? bmp.colours[index] : blackPixel;
    }
    }
}

}  // namespace

namespace gtkbackend {

cairo_surface_t* imageSurfaceOfSlot(int32_t slot) {
    ImageSlot* s = slotAt(slot);
    return s ? s->surface : nullptr;
}

cairo_surface_t* liveImageSurface(ImageHandle image) {
    ImageSlot* slot = slotOfHandle(image);
    return slot ? slot->surface : nullptr;
}

}  // namespace gtkbackend

void initDrawing() {
    drawing = DrawingState{};
    drawColour = 0;
}

void initImages() {
    imageTable.assign(11, ImageSlot{});
    currentImage = -1;
}

ImageHandle makeImage(int32_t slot, int32_t width, int32_t height) {
    if (slot < 0) return nullptr;
    ImageSlot& s = growTableFor(slot);
    currentImage = slot;
    releaseSlot(s);
    s.surface = blackSurface(width, height);
    if (!s.surface) return nullptr;
    s.width = width;
    s.height = height;
    return s.surface;
}

DrawingTarget imageTarget() {
    ImageSlot* slot = slotAt(currentImage);
    if (!slot || !slot->surface) return DrawingTarget{};
    return DrawingTarget{2, slot->surface};
}

DrawingTarget windowTarget() { return DrawingTarget{1, currentWindow()}; }

intptr_t beginDrawing(const DrawingTarget& target) {
    endDrawing();
    cairo_surface_t* surface = nullptr;
    if (target.kind == 1)
        surface = gtkbackend::windowBuffer(target.handle);
    else if (target.kind == 2)
        surface = gtkbackend::liveImageSurface(target.handle);
    if (!surface) return 0;
    cairo_surface_flush(surface);
    // Held until the drawing ends, whatever happens to its image or window meanwhile.
    cairo_surface_reference(surface);
    drawing = DrawingState{};
    drawing.open = true;
    drawing.kind = target.kind;
    drawing.window = target.kind == 1 ? target.handle : nullptr;
    drawing.surface = surface;
    const PixelView view = viewOf(surface);
    activePixels = PixelSurface{view.pixels, view.width, view.height, view.stride};
    return reinterpret_cast<intptr_t>(surface);
}

void endDrawing() {
    if (!drawing.open) return;
    drawWaitingRun();
    if (drawing.cr) cairo_destroy(drawing.cr);
    cairo_surface_mark_dirty(drawing.surface);
    cairo_surface_destroy(drawing.surface);
    activePixels = PixelSurface{};
    const bool onWindow = drawing.kind == 1;
    const WindowHandle window = drawing.window;
    drawing = DrawingState{};
    if (onWindow) gtkbackend::presentWindow(window);
}

void setPixelSlow(int32_t x, int32_t y, int32_t colour) {
    if (!run.waiting) return;  // no drawing open
    drawWaitingRun();
    setPixel(x, y, colour);
}

ImageHandle scaleImage(int32_t slot, int32_t width, int32_t height) {
    ImageSlot* s = slotAt(slot);
    if (!s || !s->surface) return nullptr;
    if (drawing.open && drawing.surface == s->surface) endDrawing();
    settleRunOf(s->surface);
    cairo_surface_t* old = s->surface;
    const int32_t oldWidth = s->width;
    const int32_t oldHeight = s->height;
    const int32_t storedWidth = clipWidth > 0 ? std::min(width, clipWidth) : width;
    const int32_t storedHeight = clipHeight > 0 ? std::min(height, clipHeight) : height;
    cairo_surface_t* scaled = blackSurface(storedWidth, storedHeight);
    currentImage = slot;
    s->surface = scaled;
    s->width = scaled ? width : 0;
    s->height = scaled ? height : 0;
    if (scaled) {
        cairo_surface_flush(old);
        const PixelView from = viewOf(old);
        const PixelView to = viewOf(scaled);
        if (width == from.width && height == from.height) {
            copyPixels(from, to, 0, 0);  // same size: the same picture
        } else if (from.width == oldWidth && from.height == oldHeight) {
            scalePixels(from, to, width, height);
        } else {
            // The source keeps only part of itself: take what is stored, the rest stays black.
            for (int32_t y = 0; y < to.height; ++y) {
                const int64_t sy = static_cast<int64_t>(y) * oldHeight / height;
                if (sy >= from.height) continue;
                for (int32_t x = 0; x < to.width; ++x) {
                    const int64_t sx = static_cast<int64_t>(x) * oldWidth / width;
                    if (sx < from.width) rowOf(to, y)[x] = rowOf(from, sy)[sx];
                }
            }
        }
        cairo_surface_mark_dirty(scaled);
    }
    cairo_surface_destroy(old);
    return scaled;
}

void setImageClip(int32_t width, int32_t height) {
    clipWidth = std::max(width, 0);
    clipHeight = std::max(height, 0);
}

ImageHandle imageHandle(int32_t slot) {
    ImageSlot* s = slotAt(slot);
    if (!s || !s->surface) {
        currentImage = -1;
        return nullptr;
    }
    currentImage = slot;
    return s->surface;
}

void blitImage(ImageHandle image, int32_t x, int32_t y) {
    // The next copy along the row of the waiting run: only remember it.
    if (run.waiting && image == run.image && y == run.y && x == run.nextX) {
        run.nextX += run.step;
        return;
    }
    if (!drawing.open) return;
    ImageSlot* slot = slotOfHandle(image);
    if (!slot || slot->surface == drawing.surface) return;
    drawWaitingRun();
    cairo_surface_flush(slot->surface);
    run.waiting = true;
    run.image = image;
    run.source = viewOf(slot->surface);
    run.step = slot->width;
    run.firstX = x;
    run.nextX = x + slot->width;
    run.y = y;
    withheldPixels = activePixels;
    activePixels.pixels = nullptr;
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
    if (!drawing.open || text.empty()) return 0;
    PangoLayout* layout = textLayout(text);
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    return logical.width;
}

void setTextPosition(int32_t x, int32_t y) {
    if (!drawing.open) return;
    drawing.positionX = x;
    drawing.positionY = y;
}

void writeText(const std::string& text) {
    if (!drawing.open || text.empty()) return;
    drawWaitingRun();
    PangoLayout* layout = textLayout(text);
    PangoRectangle logical{};
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    cairo_t* cr = drawingContext();
    cairo_surface_mark_dirty(drawing.surface);  // pixels may have been set directly
    const double x = drawing.positionX;
    const double y = drawing.positionY;
    if (!(drawing.flags & 1)) {
        // Opaque: the text's cells take the surface's background colour first.
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, x + logical.x, y + logical.y, logical.width, logical.height);
        cairo_fill(cr);
    }
    setSourceColour(cr, drawing.textColour);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    cairo_surface_flush(drawing.surface);
    g_object_unref(layout);
    drawing.positionX += logical.width;
}

ImageHandle loadImageFromMemory(int32_t slot, const uint8_t* data, size_t size) {
    BmpLayout bmp;
    if (!readBmpLayout(data, size, bmp)) return nullptr;
    ImageHandle image = makeImage(slot, bmp.width, bmp.height);
    if (!image) return nullptr;
    cairo_surface_t* surface = static_cast<cairo_surface_t*>(image);
    const PixelView view = viewOf(surface);
    for (int32_t y = 0; y < bmp.height; ++y) {
        const int32_t fileRow = bmp.topDown ? y : bmp.height - 1 - y;
        const uint8_t* row = data + bmp.pixelOffset + static_cast<uint64_t>(fileRow) * bmp.rowBytes;
        uint32_t* out = rowOf(view, y);
        for (int32_t x = 0; x < bmp.width; ++x) out[x] = bmpPixel(bmp, row, x);
    }
    cairo_surface_mark_dirty(surface);
    return image;
}

void freeAllImages() {
    endDrawing();
    for (ImageSlot& slot : imageTable) releaseSlot(slot);
    currentImage = -1;
}

void fillWindowBlack(WindowHandle window) {
    cairo_surface_t* buffer = gtkbackend::windowBuffer(window);
    if (!buffer) return;
    if (drawing.open && drawing.surface == buffer) drawWaitingRun();
    cairo_surface_flush(buffer);
    fillPixels(viewOf(buffer), blackPixel);
    cairo_surface_mark_dirty(buffer);
    gtkbackend::presentWindow(window);
}
