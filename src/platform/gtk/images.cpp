// Numbered images, drawings on images and windows, enlargement, copying and
// text, on cairo image surfaces and pango.
//
// Every image and every window picture is a CAIRO_FORMAT_RGB24 surface whose
// pixels are 0xAARRGGBB words, so an open drawing hands its pixel memory to
// the inline setPixel and copies are row-wise memcpy.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <pango/pangocairo.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
//
// An enlargement is worked out when its pixels are first needed: copies of a
// freshly enlarged image are drawn straight from the picture it was made
// from (`unscaled`), so a screen-sized enlargement is never written only to
// be read back. Anything else that needs the pixels has them made first.
struct ImageSlot {
    cairo_surface_t* surface = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    cairo_surface_t* unscaled = nullptr;  // while the enlargement is not yet made
};

std::vector<ImageSlot> imageTable;
size_t imageSlotCount = 0;  // imageTable.size(), kept at hand for imageHandle
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
// once with a few memcpy calls, however small the image. Rows of copies that
// follow each other straight down (as when a screen is tiled) are gathered as
// well, and later rows of pixels are copied from the finished ones above.
// While a run waits, activePixels is withheld so that a setPixel draws it first.
struct TileRun {
    bool waiting = false;
    bool whole = false;  // the image's full width is stored, so copies join up
    ImageHandle image = nullptr;
    PixelView source;    // the stored part of the image
    int32_t stepX = 0;   // the image's full size: the distance between copies
    int32_t stepY = 0;
    int32_t firstX = 0;  // where every row of copies starts
    int32_t top = 0;     // top of the first row of copies
    int32_t rows = 0;    // finished rows of copies, each ending at rowEnd
    int32_t rowEnd = 0;
    int32_t y = 0;       // the row of copies being laid
    int32_t nextX = 0;   // where its next copy would go
    // An image whose enlargement is not yet made: rows come from `unscaled`.
    bool deferred = false;
    PixelView unscaled;
    std::vector<int32_t> columns;  // unscaled column of each stored column
    int64_t builtFrom = -1;        // the unscaled row held in `scaledRow`
    int64_t builtCount = 0;
    std::vector<uint32_t> scaledRow;
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

// Writes out[0 .. span) with the image row repeated, starting `phase`
// pixels into it: the first period from the image, then doubling copies of
// what is already written.
void repeatRow(const uint32_t* source, uint32_t* out, int64_t phase, int64_t step, int64_t span) {
    const int64_t period = std::min(step, span);
    const int64_t head = std::min(step - phase, period);
    std::memcpy(out, source + phase, static_cast<size_t>(head) * sizeof(uint32_t));
    if (period > head) std::memcpy(out + head, source, static_cast<size_t>(period - head) * sizeof(uint32_t));
    int64_t filled = period;
    while (filled < span) {
        const int64_t chunk = std::min(filled, span - filled);
        std::memcpy(out + filled, out, static_cast<size_t>(chunk) * sizeof(uint32_t));
        filled += chunk;
    }
}

// Copies a row into the target. The target is far larger than the caches
// and is not read back while drawing, so where the processor allows it the
// pixels go straight to memory (non-temporal stores) instead of first
// pulling every target line into the cache.
void streamRow(uint32_t* out, const uint32_t* in, int64_t count) {
#if defined(__SSE2__)
    while (count > 0 && (reinterpret_cast<uintptr_t>(out) & 15) != 0) {
        *out++ = *in++;
        --count;
    }
    for (; count >= 4; count -= 4, out += 4, in += 4)
        _mm_stream_si128(reinterpret_cast<__m128i*>(out), _mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
    while (count-- > 0) *out++ = *in++;
#else
    std::memcpy(out, in, static_cast<size_t>(count) * sizeof(uint32_t));
#endif
}

void finishStreaming() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

// Rows of copies are built here (kept in the cache) and streamed out.
std::vector<uint32_t> builtRows;
constexpr int64_t builtRowsBytes = 256 * 1024;

// The first `count` pixels of row `row` of the run's image.
const uint32_t* imageRow(int64_t row, int64_t count) {
    if (!run.deferred) return rowOf(run.source, row);
    const int64_t from = row * run.unscaled.height / run.stepY;
    if (run.unscaled.width == run.stepX) return rowOf(run.unscaled, from);
    if (from != run.builtFrom || count > run.builtCount) {
        const uint32_t* in = rowOf(run.unscaled, from);
        uint32_t* out = run.scaledRow.data();
        for (int64_t x = 0; x < count; ++x) out[x] = in[run.columns[static_cast<size_t>(x)]];
        run.builtFrom = from;
        run.builtCount = count;
    }
    return run.scaledRow.data();
}

// Draws `rowCount` rows of copies from `top`, each from firstX to `end`.
void drawRows(const PixelView& target, int32_t top, int32_t rowCount, int32_t end) {
    const int64_t left = std::max<int64_t>(run.firstX, 0);
    const int64_t right = std::min<int64_t>(end, target.width);
    const int64_t first = std::max<int64_t>(top, 0);
    const int64_t last = std::min<int64_t>(static_cast<int64_t>(top) + static_cast<int64_t>(rowCount) * run.stepY,
                                           target.height);
    if (left >= right || first >= last) return;
    const int64_t span = right - left;
    const int64_t phase = (left - run.firstX) % run.stepX;
    // Rows of the image below its stored part are never on screen: skipped.
    const int64_t storedRows = run.source.height;
    if (phase + span <= run.stepX) {
        // One copy across: the image's own rows are the target's rows.
        for (int64_t y = first; y < last; ++y) {
            const int64_t sourceRow = (y - top) % run.stepY;
            if (sourceRow < storedRows) streamRow(rowOf(target, y) + left, imageRow(sourceRow, phase + span) + phase, span);
        }
        return;
    }
    // A short image keeps all of its built rows; a tall one builds each
    // target row afresh in one place.
    const int64_t kept = std::min<int64_t>(run.stepY, last - first);
    const bool keepAll = kept * span * static_cast<int64_t>(sizeof(uint32_t)) <= builtRowsBytes;
    builtRows.resize(static_cast<size_t>((keepAll ? kept : 1) * span));
    for (int64_t y = first; y < last; ++y) {
        const int64_t sourceRow = (y - top) % run.stepY;
        if (sourceRow >= storedRows) continue;
        uint32_t* built = builtRows.data() + (keepAll ? (y - first) % kept : 0) * span;
        if (!keepAll || y - first < kept)
            repeatRow(imageRow(sourceRow, std::min<int64_t>(run.stepX, phase + span)), built, phase, run.stepX, span);
        streamRow(rowOf(target, y) + left, built, span);
    }
}

// Draws the stored part of one copy with its top-left corner at (x, y).
void drawStoredPart(const PixelView& target, int64_t x, int64_t y) {
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t right = std::min<int64_t>(x + run.source.width, target.width);
    const int64_t first = std::max<int64_t>(y, 0);
    const int64_t last = std::min<int64_t>(y + run.source.height, target.height);
    if (left >= right) return;
    for (int64_t row = first; row < last; ++row)
        streamRow(rowOf(target, row) + left, imageRow(row - y, right - x) + (left - x), right - left);
}

void drawWaitingRun() {
    if (!run.waiting) return;
    const PixelView target = targetView();
    run.waiting = false;
    activePixels = withheldPixels;
    if (!run.whole) {
        // Only part of the image's width is stored: the copies do not join up.
        for (int32_t x = run.firstX; x != run.nextX; x += run.stepX) drawStoredPart(target, x, run.y);
        finishStreaming();
        return;
    }
    if (run.rows > 0 && run.nextX == run.rowEnd) {
        drawRows(target, run.top, run.rows + 1, run.rowEnd);
        finishStreaming();
        return;
    }
    if (run.rows > 0) drawRows(target, run.top, run.rows, run.rowEnd);
    drawRows(target, run.y, 1, run.nextX);
    finishStreaming();
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

// Makes a deferred enlargement's pixels.
void makeScaledPixels(ImageSlot& slot) {
    if (!slot.unscaled) return;
    settleRunOf(slot.surface);
    const PixelView from = viewOf(slot.unscaled);
    const PixelView to = viewOf(slot.surface);
    if (slot.width == from.width && slot.height == from.height)
        copyPixels(from, to, 0, 0);  // the same size: the same picture
    else
        scalePixels(from, to, slot.width, slot.height);
    cairo_surface_mark_dirty(slot.surface);
    cairo_surface_destroy(slot.unscaled);
    slot.unscaled = nullptr;
}

void releaseSlot(ImageSlot& slot) {
    if (drawing.open && drawing.surface && drawing.surface == slot.surface) endDrawing();
    settleRunOf(slot.surface);
    if (slot.unscaled) cairo_surface_destroy(slot.unscaled);
    if (slot.surface) cairo_surface_destroy(slot.surface);
    slot = ImageSlot{};
}

// Pixel memory of the surfaces made here. Screen-sized pictures come and go
// with every tartan; the largest buffer let go is kept for the next one, so
// that its pages need not be faulted in and cleared again.
struct PixelBuffer {
    void* data = nullptr;
    size_t bytes = 0;
};
PixelBuffer spareBuffer;
cairo_user_data_key_t bufferKey;
constexpr size_t smallestKeptBuffer = size_t{1} << 20;

void letGoOfBuffer(void* owned) {
    auto* buffer = static_cast<PixelBuffer*>(owned);
    if (buffer->bytes >= smallestKeptBuffer && buffer->bytes > spareBuffer.bytes) {
        std::free(spareBuffer.data);
        spareBuffer = *buffer;
    } else {
        std::free(buffer->data);
    }
    delete buffer;
}

// Memory for `bytes`: the spare buffer when it fits without wasting more
// than half of itself, else fresh memory (not cleared).
void* takeBuffer(size_t bytes) {
    if (spareBuffer.data && spareBuffer.bytes >= bytes && spareBuffer.bytes / 2 <= bytes) {
        void* data = spareBuffer.data;
        spareBuffer = PixelBuffer{};
        return data;
    }
    return std::malloc(bytes);
}

// A surface of the given size whose pixels are left as they come (the
// caller writes every one), or null when it cannot be made.
cairo_surface_t* newSurface(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > largestSide || height > largestSide) return nullptr;
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
    if (stride <= 0) return nullptr;
    const size_t bytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
    void* data = takeBuffer(bytes);
    if (!data) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(static_cast<unsigned char*>(data),
                                                                   CAIRO_FORMAT_RGB24, width, height, stride);
    auto* owned = new PixelBuffer{data, bytes};
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_set_user_data(surface, &bufferKey, owned, letGoOfBuffer) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        letGoOfBuffer(owned);
        return nullptr;
    }
    return surface;
}

cairo_surface_t* blackSurface(int32_t width, int32_t height) {
    cairo_surface_t* surface = newSurface(width, height);
    if (!surface) return nullptr;
    fillPixels(viewOf(surface), blackPixel);
    cairo_surface_mark_dirty(surface);
    return surface;
}

ImageSlot& growTableFor(int32_t slot) {
    if (static_cast<size_t>(slot) >= imageTable.size()) {
        imageTable.resize(static_cast<size_t>(slot) + 11);
        imageSlotCount = imageTable.size();
    }
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
    if (!s) return nullptr;
    makeScaledPixels(*s);
    return s->surface;
}

cairo_surface_t* liveImageSurface(ImageHandle image) {
    ImageSlot* slot = slotOfHandle(image);
    if (!slot) return nullptr;
    makeScaledPixels(*slot);
    return slot->surface;
}

}  // namespace gtkbackend

void initDrawing() {
    drawing = DrawingState{};
    drawColour = 0;
}

void initImages() {
    imageTable.assign(11, ImageSlot{});
    imageSlotCount = imageTable.size();
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
    makeScaledPixels(*slot);
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
    makeScaledPixels(*s);
    settleRunOf(s->surface);
    cairo_surface_t* old = s->surface;
    const int32_t oldWidth = s->width;
    const int32_t oldHeight = s->height;
    const int32_t storedWidth = clipWidth > 0 ? std::min(width, clipWidth) : width;
    const int32_t storedHeight = clipHeight > 0 ? std::min(height, clipHeight) : height;
    const bool sourceWhole = cairo_image_surface_get_width(old) == oldWidth &&
                             cairo_image_surface_get_height(old) == oldHeight;
    // A whole source stays until the enlargement is needed; a partly stored
    // one is enlarged now, black where it has nothing to give.
    cairo_surface_t* scaled =
        sourceWhole ? newSurface(storedWidth, storedHeight) : blackSurface(storedWidth, storedHeight);
    currentImage = slot;
    s->surface = scaled;
    s->width = scaled ? width : 0;
    s->height = scaled ? height : 0;
    if (!scaled) {
        cairo_surface_destroy(old);
        return nullptr;
    }
    cairo_surface_flush(old);
    if (sourceWhole) {
        s->unscaled = old;
        return scaled;
    }
    const PixelView from = viewOf(old);
    const PixelView to = viewOf(scaled);
    for (int32_t y = 0; y < to.height; ++y) {
        const int64_t sy = static_cast<int64_t>(y) * oldHeight / height;
        if (sy >= from.height) continue;
        for (int32_t x = 0; x < to.width; ++x) {
            const int64_t sx = static_cast<int64_t>(x) * oldWidth / width;
            if (sx < from.width) rowOf(to, y)[x] = rowOf(from, sy)[sx];
        }
    }
    cairo_surface_mark_dirty(scaled);
    cairo_surface_destroy(old);
    return scaled;
}

void setImageClip(int32_t width, int32_t height) {
    clipWidth = std::max(width, 0);
    clipHeight = std::max(height, 0);
}

ImageHandle imageHandle(int32_t slot) {
    // Called for every tile of the screen: one bounds test, one load.
    ImageHandle image = static_cast<size_t>(static_cast<uint32_t>(slot)) < imageSlotCount
                            ? imageTable[static_cast<size_t>(slot)].surface
                            : nullptr;
    currentImage = image ? slot : -1;
    return image;
}

namespace {

// Starts a new row of copies at (x, y): below the rows of the waiting run
// when it lies straight under them, otherwise as a new run, drawing the
// waiting one first.
[[gnu::noinline]] void startRow(ImageHandle image, int32_t x, int32_t y) {
    if (run.waiting && run.whole && image == run.image && x == run.firstX &&
        static_cast<int64_t>(y) == static_cast<int64_t>(run.y) + run.stepY &&
        (run.rows == 0 || run.nextX == run.rowEnd)) {
        run.rowEnd = run.nextX;
        ++run.rows;
        run.y = y;
        run.nextX = x + run.stepX;
        return;
    }
    if (!drawing.open) return;
    ImageSlot* slot = slotOfHandle(image);
    if (!slot || slot->surface == drawing.surface) return;
    drawWaitingRun();
    // Copies join up along a row when the image's full width is stored.
    cairo_surface_flush(slot->surface);
    run.waiting = true;
    run.image = image;
    run.source = viewOf(slot->surface);
    run.stepX = slot->width;
    run.stepY = slot->height;
    run.whole = run.source.width == slot->width;
    run.deferred = slot->unscaled != nullptr;
    if (run.deferred) {
        run.unscaled = viewOf(slot->unscaled);
        run.columns.resize(static_cast<size_t>(run.source.width));
        for (int32_t x = 0; x < run.source.width; ++x)
            run.columns[static_cast<size_t>(x)] =
                static_cast<int32_t>(static_cast<int64_t>(x) * run.unscaled.width / run.stepX);
        run.scaledRow.resize(static_cast<size_t>(run.source.width));
        run.builtFrom = -1;
        run.builtCount = 0;
    }
    run.firstX = x;
    run.top = y;
    run.rows = 0;
    run.rowEnd = 0;
    run.y = y;
    run.nextX = x + slot->width;
    withheldPixels = activePixels;
    activePixels.pixels = nullptr;
}

}  // namespace

void blitImage(ImageHandle image, int32_t x, int32_t y) {
    // The next copy along the row being laid: only remember it. This is the
    // call made for every tile of the screen, so it does nothing else.
    if (x == run.nextX && y == run.y && image == run.image && run.waiting) {
        // Computed from x, not from the stored value, so that successive
        // calls do not wait on each other's store.
        run.nextX = x + run.stepX;
        return;
    }
    startRow(image, x, y);
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
