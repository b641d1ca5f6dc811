// Numbered images, drawings on images and windows, enlargement, copying and
// text, on cairo image surfaces and pango.
//
// Every image and every window picture is a CAIRO_FORMAT_RGB24 surface whose
// pixels are 0xAARRGGBB words, so an open drawing hands its pixel memory to
// the inline setPixel and copies are row-wise memcpy.
//
// An enlargement is not made when it is asked for: the image keeps the small
// picture it comes from, and each copy of it onto pixel memory is drawn
// straight from that picture. Covering a screen with an enlarged tile thus
// writes every screen pixel once, instead of first writing a screen-sized
// enlargement and then copying it. Whatever else needs the enlarged pixels
// makes them first.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <pango/pangocairo.h>

#include "platform/gtk/gtk_backend.h"
#include "platform/image_services.h"
#include "platform/pixel_ops.h"

PixelSurface activePixels;

namespace {

constexpr uint32_t blackPixel = 0xFF000000u;
// cairo's limit on either side of an image surface.
constexpr int32_t largestSide = 32767;

// An image; its address is its handle. Its stored pixels are the top-left
// part that can ever be shown (the whole image, cut to the image clip);
// width and height are the image's full size, which spaces the copies.
// A pending enlargement has no stored pixels yet: `surface` is then the
// picture it enlarges, and storedWidth x storedHeight the part to be made.
struct Image {
    cairo_surface_t* surface = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    bool pending = false;
    int32_t storedWidth = 0;
    int32_t storedHeight = 0;

    Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    ~Image() {
        if (surface) cairo_surface_destroy(surface);
    }
};

// Slot n holds image n, or null when it is empty.
std::vector<std::unique_ptr<Image>> imageTable;
int32_t currentImage = -1;
int32_t clipWidth = 0;
int32_t clipHeight = 0;

struct DrawingState {
    bool open = false;
    int32_t kind = 0;
    WindowHandle window = nullptr;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;  // made when text or a cairo copy first needs it
    int32_t flags = 0;
    int32_t textColour = 0;
    int32_t positionX = 0;
    int32_t positionY = 0;
};

DrawingState drawing;
int32_t drawColour = 0;  // kept from one drawing to the next

PixelView viewOf(cairo_surface_t* surface) {
    PixelView view;
    view.pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
    view.width = cairo_image_surface_get_width(surface);
    view.height = cairo_image_surface_get_height(surface);
    view.stride = cairo_image_surface_get_stride(surface) / 4;
    return view;
}

uint32_t* rowOf(const PixelView& v, int64_t y) { return v.pixels + y * static_cast<int64_t>(v.stride); }

// The image in `slot`, or null when the slot is empty or outside the table.
Image* imageAt(int32_t slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= imageTable.size()) return nullptr;
    Image* image = imageTable[static_cast<size_t>(slot)].get();
    return image && image->surface ? image : nullptr;
}

// The image of the table that a handle names, or null.
Image* imageOfHandle(ImageHandle handle) {
    if (!handle) return nullptr;
    for (const std::unique_ptr<Image>& image : imageTable)
        if (image.get() == handle) return image->surface ? image.get() : nullptr;
    return nullptr;
}

void releaseSlot(std::unique_ptr<Image>& image) {
    if (image && drawing.open && drawing.surface && drawing.surface == image->surface) endDrawing();
    image.reset();
}

// Pixel memory of the surfaces made here. Large pictures (a woven tile, a
// block of tiles) come and go with every tartan; the largest buffer let go
// is kept for the next one, so that its pages need not be faulted in and
// cleared again.
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

std::unique_ptr<Image>& growTableFor(int32_t slot) {
    if (static_cast<size_t>(slot) >= imageTable.size()) imageTable.resize(static_cast<size_t>(slot) + 11);
    return imageTable[static_cast<size_t>(slot)];
}

// Makes the stored pixels of a pending enlargement, letting go of the
// picture it came from. False when the image is left without pixels (the
// memory could not be had): it then counts as empty.
bool settle(Image& image) {
    if (!image.pending) return image.surface != nullptr;
    cairo_surface_t* source = image.surface;
    cairo_surface_t* made = newSurface(image.storedWidth, image.storedHeight);
    if (made) {
        cairo_surface_flush(source);
        scalePixels(viewOf(source), viewOf(made), image.width, image.height);
        cairo_surface_mark_dirty(made);
    }
    cairo_surface_destroy(source);
    image.surface = made;
    image.pending = false;
    return made != nullptr;
}

// Draws the stored part of a pending enlargement with its top-left corner at
// (x, y) of `target`, clipped to the target, straight from its source.
void drawEnlargement(const Image& image, const PixelView& target, int32_t x, int32_t y) {
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(x) + image.storedWidth, target.width);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(y) + image.storedHeight, target.height);
    if (left >= right || top >= bottom) return;
    // The target cut to where the stored part lands; the enlargement's
    // corner lies at or above and left of the part's.
    const PixelView part{rowOf(target, top) + left, static_cast<int32_t>(right - left),
                         static_cast<int32_t>(bottom - top), target.stride};
    cairo_surface_flush(image.surface);
    scalePixels(viewOf(image.surface), part, image.width, image.height, static_cast<int32_t>(x - left),
                static_cast<int32_t>(y - top));
}

// Writes into `to` (the stored part of the enlargement) the old image of
// full size oldWidth x oldHeight, of which only `from` is stored, enlarged
// to width x height; pixels whose source was never stored stay black.
void scalePartlyStored(const PixelView& from, const PixelView& to, int32_t oldWidth, int32_t oldHeight,
                       int32_t width, int32_t height) {
    for (int32_t y = 0; y < to.height; ++y) {
        const int64_t sy = static_cast<int64_t>(y) * oldHeight / height;
        if (sy >= from.height) continue;
        const uint32_t* in = rowOf(from, sy);
        uint32_t* out = rowOf(to, y);
        for (int32_t x = 0; x < to.width; ++x) {
            const int64_t sx = static_cast<int64_t>(x) * oldWidth / width;
            if (sx < from.width) out[x] = in[sx];
        }
    }
}

cairo_t* drawingContext() {
    if (!drawing.cr) drawing.cr = cairo_create(drawing.surface);
    return drawing.cr;
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
    Image* image = imageAt(slot);
    return image && settle(*image) ? image->surface : nullptr;
}

cairo_surface_t* liveImageSurface(ImageHandle handle) {
    Image* image = imageOfHandle(handle);
    return image && settle(*image) ? image->surface : nullptr;
}

}  // namespace gtkbackend

void initDrawing() {
    drawing = DrawingState{};
    drawColour = 0;
}

void initImages() {
    imageTable.clear();
    imageTable.resize(11);
    currentImage = -1;
}

ImageHandle makeImage(int32_t slot, int32_t width, int32_t height) {
    if (slot < 0) return nullptr;
    std::unique_ptr<Image>& s = growTableFor(slot);
    currentImage = slot;
    releaseSlot(s);
    cairo_surface_t* surface = blackSurface(width, height);
    if (!surface) return nullptr;
    s = std::make_unique<Image>();
    s->surface = surface;
    s->width = width;
    s->height = height;
    return s.get();
}

DrawingTarget imageTarget() {
    Image* image = imageAt(currentImage);
    if (!image || !settle(*image)) return DrawingTarget{};
    return DrawingTarget{2, image};
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
    if (drawing.cr) cairo_destroy(drawing.cr);
    cairo_surface_mark_dirty(drawing.surface);
    cairo_surface_destroy(drawing.surface);
    activePixels = PixelSurface{};
    const bool onWindow = drawing.kind == 1;
    const WindowHandle window = drawing.window;
    drawing = DrawingState{};
    if (onWindow) gtkbackend::presentWindow(window);
}

// Reached only when the open drawing has no pixel memory of its own (or no
// drawing is open): the pixel is painted through cairo.
void setPixelSlow(int32_t x, int32_t y, int32_t colour) {
    if (!drawing.open) return;
    cairo_t* cr = drawingContext();
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    setSourceColour(cr, colour);
    cairo_rectangle(cr, x, y, 1, 1);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

ImageHandle scaleImage(int32_t slot, int32_t width, int32_t height) {
    Image* old = imageAt(slot);
    if (!old) return nullptr;
    std::unique_ptr<Image>& s = imageTable[static_cast<size_t>(slot)];
    currentImage = slot;
    if (drawing.open && drawing.surface == old->surface) endDrawing();
    // An enlargement of an enlargement starts from the stored pixels of the first.
    if (!settle(*old)) {
        releaseSlot(s);
        return nullptr;
    }
    const int32_t storedWidth = clipWidth > 0 ? std::min(width, clipWidth) : width;
    const int32_t storedHeight = clipHeight > 0 ? std::min(height, clipHeight) : height;
    if (storedWidth <= 0 || storedHeight <= 0 || storedWidth > largestSide || storedHeight > largestSide) {
        releaseSlot(s);
        return nullptr;
    }
    cairo_surface_flush(old->surface);
    const PixelView from = viewOf(old->surface);
    // A source cut by the clip has pixels missing: those parts stay black.
    const bool sourceWhole = from.width == old->width && from.height == old->height;
    auto scaled = std::make_unique<Image>();
    scaled->width = width;
    scaled->height = height;
    // Scaled to its own size, the picture is already the one to store.
    const bool samePicture =
        sourceWhole && width == from.width && height == from.height && storedWidth == width && storedHeight == height;
    if (samePicture || (sourceWhole && int64_t{storedWidth} * storedHeight > int64_t{from.width} * from.height)) {
        // The source becomes the new image's: its picture, or what its pending enlargement is drawn from.
        scaled->surface = old->surface;
        old->surface = nullptr;
        scaled->pending = !samePicture;
        scaled->storedWidth = storedWidth;
        scaled->storedHeight = storedHeight;
    } else {
        // No more pixels than the source: made now, at no greater cost.
        scaled->surface =
            sourceWhole ? newSurface(storedWidth, storedHeight) : blackSurface(storedWidth, storedHeight);
        if (scaled->surface) {
            if (sourceWhole)
                scalePixels(from, viewOf(scaled->surface), width, height);
            else
                scalePartlyStored(from, viewOf(scaled->surface), old->width, old->height, width, height);
            cairo_surface_mark_dirty(scaled->surface);
        }
    }
    releaseSlot(s);
    if (scaled->surface) s = std::move(scaled);
    return s.get();
}

void setImageClip(int32_t width, int32_t height) {
    clipWidth = std::max(width, 0);
    clipHeight = std::max(height, 0);
}

ImageHandle imageHandle(int32_t slot) {
    Image* image = imageAt(slot);
    currentImage = image ? slot : -1;
    return image;
}

PixelSurface imagePixels(int32_t slot) {
    Image* image = imageAt(slot);
    if (!image || !settle(*image)) return PixelSurface{};
    cairo_surface_flush(image->surface);
    const PixelView view = viewOf(image->surface);
    return PixelSurface{view.pixels, view.width, view.height, view.stride};
}

void blitImage(ImageHandle handle, int32_t x, int32_t y) {
    if (!drawing.open) return;
    Image* image = imageOfHandle(handle);
    // An image is not copied onto itself.
    if (!image || image->surface == drawing.surface) return;
    if (activePixels.pixels) {
        const PixelView target{activePixels.pixels, activePixels.width, activePixels.height, activePixels.stride};
        if (image->pending) {
            drawEnlargement(*image, target, x, y);
        } else {
            cairo_surface_flush(image->surface);
            copyPixels(viewOf(image->surface), target, x, y);
        }
        return;
    }
    if (!settle(*image)) return;
    cairo_surface_flush(image->surface);
    cairo_t* cr = drawingContext();
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, image->surface, x, y);
    cairo_rectangle(cr, x, y, cairo_image_surface_get_width(image->surface),
                    cairo_image_surface_get_height(image->surface));
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
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
    cairo_surface_t* surface = imageAt(slot)->surface;
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
    for (std::unique_ptr<Image>& image : imageTable) releaseSlot(image);
    currentImage = -1;
}

void fillWindowBlack(WindowHandle window) {
    cairo_surface_t* buffer = gtkbackend::windowBuffer(window);
    if (!buffer) return;
    cairo_surface_flush(buffer);
    fillPixels(viewOf(buffer), blackPixel);
    cairo_surface_mark_dirty(buffer);
    gtkbackend::presentWindow(window);
}
