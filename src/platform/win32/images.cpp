// Numbered images and drawing on the Win32 graphics service (GDI).
//
// Images are top-down 32-bit DIB sections, so the weave's per-pixel writes
// are plain memory stores through `activePixels`, enlargement is exact pixel
// replication, and a copy of one image onto another is a row-by-row memory
// copy. Copies onto a window go through BitBlt.
//
// An enlargement is made lazily: the slot keeps the small image it comes
// from, and each copy of it onto another image's memory is drawn straight
// from that small image (scalePixels), so a screen-sized enlargement is never
// written only to be read and copied again. Every other use of such a slot
// (GDI reading its bitmap, a drawing on it, its pixels asked for) makes the
// enlargement first, so GDI never sees an unfilled bitmap.
#include <windows.h>

#include <emmintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/image_services.h"
#include "platform/pixel_ops.h"
#include "platform/window_services.h"

PixelSurface activePixels;

namespace {

constexpr uint32_t opaqueBlack = 0xFF000000u;

// A top-down 32-bit DIB section and its pixel memory.
struct PixelSection {
    HBITMAP bitmap = nullptr;
    uint32_t* pixels = nullptr;
    int32_t width = 0;  // also the row stride, in pixels
    int32_t height = 0;
};

int64_t areaOf(const PixelSection& section) { return static_cast<int64_t>(section.width) * section.height; }

struct ImageSlot {
    PixelSection section;     // null bitmap when the slot is empty
    int32_t width = 0;        // the full size the image stands for, used for placement
    int32_t height = 0;
    uint16_t bitDepth = 0;
    int32_t storedWidth = 0;  // the part held in memory: min(full, clip), top-left
    int32_t storedHeight = 0;
    // While the enlargement is not made yet: the image it is made from (its
    // stored part), and `section`'s pixels are not written yet.
    PixelSection source;
    PixelView sourcePixels;
};

bool isPending(const ImageSlot& slot) { return slot.source.bitmap != nullptr; }

PixelView storedView(const ImageSlot& slot) {
    return PixelView{slot.section.pixels, slot.storedWidth, slot.storedHeight, slot.section.width};
}

// A released section at least this large is kept as the spare.
constexpr int64_t spareMinimumPixels = int64_t{1} << 18;

// The largest large section released so far, kept so that enlarging each
// tartan's tile to the screen's size writes into memory already in place
// instead of faulting in tens of megabytes anew. An enlargement takes it when
// its stored part fits (the rows are then `spare.width` apart).
PixelSection spare;

std::vector<ImageSlot> imageTable;
int32_t imageCount = 0;
int32_t currentImage = -1;

int32_t clipWidth = 0;
int32_t clipHeight = 0;

// The one image context: a memory context with the current image selected.
HDC imageContext = nullptr;
HGDIOBJ imageContextPrevious = nullptr;
HBITMAP imageContextBitmap = nullptr;

// Drawing state.
int32_t targetKind = 0;
HWND targetWindow = nullptr;
HDC activeContext = nullptr;
int32_t drawingFlags = 0;
COLORREF drawColour = 0;
HBRUSH colourBrush = nullptr;
HPEN colourPen = nullptr;
HGDIOBJ previousBrush = nullptr;
HGDIOBJ previousPen = nullptr;
HBRUSH baseBrush = nullptr;
HPEN basePen = nullptr;
// The pixels of the open drawing when it is on an image.
PixelView drawingPixels;

ImageSlot* slotAt(int32_t slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= imageTable.size()) return nullptr;
    return &imageTable[static_cast<size_t>(slot)];
}

ImageSlot* slotHolding(ImageHandle handle) {
    if (!handle) return nullptr;
    for (ImageSlot& slot : imageTable)
        if (slot.section.bitmap == handle) return &slot;
    return nullptr;
}

void growImageTable(int32_t slot) {
    if (slot < imageCount) return;
    imageCount = slot + 10;
    imageTable.resize(static_cast<size_t>(imageCount) + 1);
}

// A new DIB section of width x height; its pixels start zero-filled (black).
PixelSection createSection(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return PixelSection{};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        return PixelSection{};
    }
    return PixelSection{bitmap, static_cast<uint32_t*>(bits), width, height};
}

// A section holding at least width x height pixels whose contents the
// caller overwrites. A large one is the spare when it fits in it; a new
// large one is made at the clip's size, which every later enlargement fits,
// so the show faults in such memory once rather than whenever a tile needs
// more than the last.
PixelSection sectionToOverwrite(int32_t width, int32_t height) {
    if (static_cast<int64_t>(width) * height < spareMinimumPixels) return createSection(width, height);
    if (spare.bitmap && width <= spare.width && height <= spare.height) {
        const PixelSection taken = spare;
        spare = PixelSection{};
        return taken;
    }
    if (clipWidth >= width && clipHeight >= height) return createSection(clipWidth, clipHeight);
    return createSection(width, height);
}

// Deletes a released section, or keeps it as the spare when it is large and
// larger than the spare (which is then deleted).
void retireSection(const PixelSection& section) {
    if (!section.bitmap) return;
    if (areaOf(section) >= spareMinimumPixels && areaOf(section) > areaOf(spare)) {
        if (spare.bitmap) DeleteObject(spare.bitmap);
        spare = section;
        return;
    }
    DeleteObject(section.bitmap);
}

void deleteImageContext() {
    if (!imageContext) return;
    SelectObject(imageContext, imageContextPrevious);
    DeleteDC(imageContext);
    imageContext = nullptr;
    imageContextPrevious = nullptr;
    imageContextBitmap = nullptr;
}

// Takes a bitmap out of the image context (ending a drawing open on it), so
// that it can be deleted: a selected bitmap cannot be.
void detachBitmap(HBITMAP bitmap) {
    if (!bitmap || imageContextBitmap != bitmap) return;
    if (activeContext && activeContext == imageContext) endDrawing();
    deleteImageContext();
}

// A target at least this large is written with streaming stores: it is far
// larger than the cache, and writing it through the cache first reads every
// line of it in. Copying tiles onto a 3840 x 2160 image costs about 4 plain
// fills through the cache and about 1.5 streamed. A smaller target (a block
// of tiles) is read again at once and is better left in the cache.
constexpr int64_t streamMinimumPixels = int64_t{1} << 20;

// Copies n pixels with streaming stores only (the caller ends with
// _mm_sfence). The pixels before the first 16-byte boundary and after the
// last are streamed one by one too: a tile whose edge falls inside a cache
// line (291 pixels wide, say) would otherwise write that line through the
// cache on every row and then stream into it, which costs the copy about
// five times as much (7 plain fills instead of 1.5 for such tiles).
void streamRow(const uint32_t* in, uint32_t* out, int64_t n) {
    for (; n > 0 && (reinterpret_cast<uintptr_t>(out) & 15); --n)
        _mm_stream_si32(reinterpret_cast<int*>(out++), static_cast<int>(*in++));
    for (; n >= 4; n -= 4, in += 4, out += 4)
        _mm_stream_si128(reinterpret_cast<__m128i*>(out), _mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
    for (; n > 0; --n) _mm_stream_si32(reinterpret_cast<int*>(out++), static_cast<int>(*in++));
}

// The part of a width x height image placed at (x, y) that falls inside dst.
struct Overlap {
    int64_t left, top, right, bottom;
    bool empty() const { return left >= right || top >= bottom; }
};
Overlap overlapOf(const PixelView& dst, int32_t x, int32_t y, int32_t width, int32_t height) {
    return Overlap{std::max<int64_t>(x, 0), std::max<int64_t>(y, 0),
                   std::min<int64_t>(static_cast<int64_t>(x) + width, dst.width),
                   std::min<int64_t>(static_cast<int64_t>(y) + height, dst.height)};
}

// Copies `src` to (x, y) of `dst`, clipped to dst, as copyPixels does but
// with streaming stores.
void streamPixels(const PixelView& src, const PixelView& dst, int32_t x, int32_t y) {
    const Overlap o = overlapOf(dst, x, y, src.width, src.height);
    if (o.empty()) return;
    for (int64_t row = o.top; row < o.bottom; ++row)
        streamRow(src.pixels + (row - y) * src.stride + (o.left - x), dst.pixels + row * dst.stride + o.left,
                  o.right - o.left);
    _mm_sfence();
}

// The rows of a pending enlargement's small image that its stored part
// uses, each enlarged across to the stored width: every row of the
// enlargement is then one of these, so a copy onto a large target is a
// streamed row copy. Made at the first such copy and kept while the image
// stays pending (`source` tells whose rows they are).
struct WidenedRows {
    HBITMAP source = nullptr;
    int32_t width = 0;
    std::vector<uint32_t> pixels;
};
WidenedRows widened;

// Lets a pending enlargement's small image go.
void releaseSource(ImageSlot& slot) {
    if (widened.source && widened.source == slot.source.bitmap) widened.source = nullptr;
    retireSection(slot.source);
    slot.source = PixelSection{};
    slot.sourcePixels = PixelView{};
}

const WidenedRows& widenedRowsOf(const ImageSlot& image) {
    if (widened.source == image.source.bitmap) return widened;
    const PixelView& src = image.sourcePixels;
    const int32_t rows = static_cast<int32_t>(
        (static_cast<int64_t>(image.storedHeight) - 1) * src.height / image.height + 1);
    widened.source = image.source.bitmap;
    widened.width = image.storedWidth;
    widened.pixels.resize(static_cast<size_t>(widened.width) * static_cast<size_t>(rows));
    scalePixels(PixelView{src.pixels, src.width, rows, src.stride},
                PixelView{widened.pixels.data(), widened.width, rows, widened.width}, image.width, rows);
    return widened;
}

// Draws the image's stored part with its top-left corner at (x, y) of
// `dst`, clipped to dst. A pending enlargement is drawn from its small image
// into the rectangle its stored part covers, with the same pixels as when
// made first.
void drawImagePixels(const ImageSlot& image, const PixelView& dst, int32_t x, int32_t y) {
    const bool stream = static_cast<int64_t>(dst.width) * dst.height >= streamMinimumPixels;
    const PixelView& src = image.sourcePixels;
    if (!isPending(image) || (image.width == src.width && image.height == src.height)) {
        // Made, or enlarged to its own size: a copy of the stored pixels.
        const PixelView from = isPending(image)
                                   ? PixelView{src.pixels, image.storedWidth, image.storedHeight, src.stride}
                                   : storedView(image);
        if (stream)
            streamPixels(from, dst, x, y);
        else
            copyPixels(from, dst, x, y);
        return;
    }
    const Overlap o = overlapOf(dst, x, y, image.storedWidth, image.storedHeight);
    if (o.empty()) return;
    if (!stream) {
        const PixelView part{dst.pixels + o.top * dst.stride + o.left, static_cast<int32_t>(o.right - o.left),
                             static_cast<int32_t>(o.bottom - o.top), dst.stride};
        scalePixels(src, part, image.width, image.height, static_cast<int32_t>(x - o.left),
                    static_cast<int32_t>(y - o.top));
        return;
    }
    const WidenedRows& rows = widenedRowsOf(image);
    for (int64_t row = o.top; row < o.bottom; ++row) {
        const int64_t sourceRow = (row - y) * src.height / image.height;
        streamRow(rows.pixels.data() + sourceRow * rows.width + (o.left - x), dst.pixels + row * dst.stride + o.left,
                  o.right - o.left);
    }
    _mm_sfence();
}

void releaseSlot(ImageSlot& slot) {
    detachBitmap(slot.section.bitmap);
    retireSection(slot.section);
    releaseSource(slot);
    slot = ImageSlot{};
}

// Makes a pending enlargement: writes its stored pixels and lets the small
// image go.
void settle(ImageSlot& slot) {
    if (!isPending(slot)) return;
    scalePixels(slot.sourcePixels, storedView(slot), slot.width, slot.height);
    releaseSource(slot);
}

// BitBlt of width x height from `bitmap` to (x, y) of the open drawing.
void bitBltBitmap(HBITMAP bitmap, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (bitmap == imageContextBitmap) {  // already selected: copy from its context
        BitBlt(activeContext, x, y, width, height, imageContext, 0, 0, SRCCOPY);
        return;
    }
    HDC source = CreateCompatibleDC(nullptr);
    if (!source) return;
    HGDIOBJ previous = SelectObject(source, bitmap);
    if (previous) {
        BitBlt(activeContext, x, y, width, height, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
    }
    DeleteDC(source);
}

}  // namespace

void initDrawing() {
    if (!baseBrush) baseBrush = CreateSolidBrush(0);
    if (!basePen) basePen = CreatePen(PS_SOLID, 0, drawColour);
}

void initImages() {
    imageTable.clear();
    imageCount = 10;
    imageTable.resize(static_cast<size_t>(imageCount) + 1);
    currentImage = -1;
    deleteImageContext();
}

ImageHandle makeImage(int32_t slot, int32_t width, int32_t height) {
    if (slot < 0) return nullptr;
    growImageTable(slot);
    currentImage = slot;
    ImageSlot& image = imageTable[static_cast<size_t>(slot)];
    releaseSlot(image);
    const PixelSection section = createSection(width, height);
    if (!section.bitmap) return nullptr;
    BITMAP description = {};
    GetObjectA(section.bitmap, sizeof description, &description);
    image.section = section;
    image.width = width;
    image.height = height;
    image.bitDepth = description.bmBitsPixel;
    image.storedWidth = width;
    image.storedHeight = height;
    return section.bitmap;
}

DrawingTarget imageTarget() {
    // The old image context goes; a drawing still open on it ends first.
    if (activeContext && activeContext == imageContext) endDrawing();
    deleteImageContext();
    ImageSlot* image = slotAt(currentImage);
    if (!image || !image->section.bitmap) return DrawingTarget{};
    settle(*image);
    HDC context = CreateCompatibleDC(nullptr);
    if (!context) return DrawingTarget{};
    HGDIOBJ previous = SelectObject(context, image->section.bitmap);
    if (!previous) {
        DeleteDC(context);
        return DrawingTarget{};
    }
    imageContext = context;
    imageContextPrevious = previous;
    imageContextBitmap = image->section.bitmap;
    return DrawingTarget{2, context};
}

DrawingTarget windowTarget() { return DrawingTarget{1, currentWindow()}; }

intptr_t beginDrawing(const DrawingTarget& target) {
    endDrawing();
    if (target.kind == 0 || !target.handle) return 0;
    // Only the newest image context can be drawn on; an older target is gone.
    if (target.kind == 2 && target.handle != imageContext) return 0;
    targetKind = target.kind;
    drawingFlags = 0;
    HDC context;
    if (target.kind == 1) {
        targetWindow = static_cast<HWND>(target.handle);
        context = GetDC(targetWindow);
    } else {
        targetWindow = nullptr;
        context = static_cast<HDC>(target.handle);
    }
    if (!context) return 0;
    SetTextAlign(context, TA_UPDATECP | TA_LEFT | TA_TOP);
    previousBrush = SelectObject(context, baseBrush);
    previousPen = SelectObject(context, basePen);
    SetTextColor(context, 0);
    activeContext = context;
    if (target.kind == 2) {
        if (const ImageSlot* image = slotHolding(imageContextBitmap)) {
            GdiFlush();  // GDI's earlier drawing is in memory before memory is written
            drawingPixels = storedView(*image);
            activePixels = PixelSurface{drawingPixels.pixels, drawingPixels.width, drawingPixels.height,
                                        drawingPixels.stride};
        }
    }
    return reinterpret_cast<intptr_t>(context);
}

void endDrawing() {
    if (!activeContext) return;
    HDC context = activeContext;
    activeContext = nullptr;
    activePixels = PixelSurface{};
    drawingPixels = PixelView{};
    SelectObject(context, previousBrush);
    SelectObject(context, previousPen);
    if (colourBrush) DeleteObject(colourBrush);
    if (colourPen) DeleteObject(colourPen);
    colourBrush = nullptr;
    colourPen = nullptr;
    if (targetKind == 1) {
        ReleaseDC(targetWindow, context);
    } else if (targetKind == 2) {
        GdiFlush();
        if (context == imageContext) deleteImageContext();
    } else {
        DeleteDC(context);
    }
    targetWindow = nullptr;
}

void setPixelSlow(int32_t x, int32_t y, int32_t colour) {
    if (activeContext) SetPixelV(activeContext, x, y, static_cast<COLORREF>(colour));
}

void setImageClip(int32_t width, int32_t height) {
    clipWidth = width;
    clipHeight = height;
}

ImageHandle scaleImage(int32_t slot, int32_t width, int32_t height) {
    ImageSlot* image = slotAt(slot);
    if (!image || !image->section.bitmap) return nullptr;
    settle(*image);
    const ImageSlot old = *image;
    detachBitmap(old.section.bitmap);
    *image = ImageSlot{};
    currentImage = slot;

    // Only the part an enlarged image can ever show is kept: memory stays
    // bounded by the screen whatever the zoom.
    const int32_t storedWidth = clipWidth > 0 ? std::min(width, clipWidth) : width;
    const int32_t storedHeight = clipHeight > 0 ? std::min(height, clipHeight) : height;
    const PixelSection section = sectionToOverwrite(storedWidth, storedHeight);
    if (!section.bitmap) {
        retireSection(old.section);
        return nullptr;
    }
    // The bitmap is made now, so that its handle stays the image's; its
    // pixels are written when first needed.
    image->section = section;
    image->width = width;
    image->height = height;
    image->bitDepth = old.bitDepth;
    image->storedWidth = storedWidth;
    image->storedHeight = storedHeight;
    image->source = old.section;
    image->sourcePixels = storedView(old);
    return section.bitmap;
}

ImageHandle imageHandle(int32_t slot) {
    ImageSlot* image = slotAt(slot);
    if (!image || !image->section.bitmap) {
        currentImage = -1;
        return nullptr;
    }
    currentImage = slot;
    // The handle may go to GDI (a picture control, a copy onto a window);
    // only a drawing on an image's memory draws a pending enlargement itself.
    if (!drawingPixels.pixels) settle(*image);
    return image->section.bitmap;
}

PixelSurface imagePixels(int32_t slot) {
    ImageSlot* image = slotAt(slot);
    if (!image || !image->section.bitmap) return PixelSurface{};
    settle(*image);
    GdiFlush();  // GDI's drawing on the image is in memory
    return PixelSurface{image->section.pixels, image->storedWidth, image->storedHeight, image->section.width};
}

void blitImage(ImageHandle handle, int32_t x, int32_t y) {
    if (!activeContext || !handle) return;
    if (ImageSlot* image = slotHolding(handle)) {
        // Image onto another image: drawn in memory, clipped to the target.
        if (drawingPixels.pixels && image->section.bitmap != imageContextBitmap) {
            drawImagePixels(*image, drawingPixels, x, y);
            return;
        }
        settle(*image);
        bitBltBitmap(image->section.bitmap, x, y, image->storedWidth, image->storedHeight);
    } else if (GetObjectType(handle) == OBJ_BITMAP) {
        BITMAP description = {};
        GetObjectA(handle, sizeof description, &description);
        bitBltBitmap(static_cast<HBITMAP>(handle), x, y, description.bmWidth, description.bmHeight);
    } else {
        DrawIconEx(activeContext, x, y, static_cast<HICON>(handle), 0, 0, 0, nullptr, DI_NORMAL);
    }
    // Later memory writes to the target must not overtake GDI's batched drawing.
    if (drawingPixels.pixels) GdiFlush();
}

void setDrawingFlags(int32_t flags) {
    if (!activeContext) return;
    drawingFlags = flags;
    SetBkMode(activeContext, (flags & 1) ? TRANSPARENT : OPAQUE);
    SetROP2(activeContext, (flags & 2) ? R2_NOT : R2_COPYPEN);
    if (flags & 4)
        SelectObject(activeContext, GetStockObject(NULL_BRUSH));
    else if (colourBrush)
        SelectObject(activeContext, colourBrush);
}

void setDrawColour(int32_t red, int32_t green, int32_t blue) {
    if (!activeContext) return;
    drawColour = static_cast<COLORREF>(red + green * 256 + blue * 65536);
    if (!(drawingFlags & 4)) {
        HBRUSH brush = CreateSolidBrush(drawColour);
        if (brush) {
            SelectObject(activeContext, brush);
            if (colourBrush) DeleteObject(colourBrush);
            colourBrush = brush;
        }
    }
    HPEN pen = CreatePen(PS_SOLID, 0, drawColour);
    if (pen) {
        SelectObject(activeContext, pen);
        if (colourPen) DeleteObject(colourPen);
        colourPen = pen;
    }
    SetTextColor(activeContext, drawColour);
}

int32_t textWidth(const std::string& text) {
    if (!activeContext || text.empty()) return 0;
    SIZE size = {};
    if (!GetTextExtentPoint32A(activeContext, text.c_str(), static_cast<int>(text.size()), &size)) return 0;
    return size.cx;
}

void setTextPosition(int32_t x, int32_t y) {
    if (activeContext) MoveToEx(activeContext, x, y, nullptr);
}

void writeText(const std::string& text) {
    if (!activeContext || text.empty()) return;
    TextOutA(activeContext, 0, 0, text.c_str(), static_cast<int>(text.size()));
    // Later memory writes to the target must not overtake GDI's batched drawing.
    if (drawingPixels.pixels) GdiFlush();
}

ImageHandle loadImageFromMemory(int32_t slot, const uint8_t* data, size_t size) {
    constexpr size_t fileHeaderSize = 14;
    constexpr size_t infoHeaderSize = 40;
    if (!data || size < fileHeaderSize + infoHeaderSize || data[0] != 'B' || data[1] != 'M') return nullptr;
    auto u16 = [data](size_t at) { return static_cast<uint32_t>(data[at] | (data[at + 1] << 8)); };
    auto u32 = [data](size_t at) {
        return static_cast<uint32_t>(data[at]) | (static_cast<uint32_t>(data[at + 1]) << 8) |
               (static_cast<uint32_t>(data[at + 2]) << 16) | (static_cast<uint32_t>(data[at + 3]) << 24);
    };
    const uint32_t pixelOffset = u32(10);
    const uint32_t headerSize = u32(14);
    const int32_t width = static_cast<int32_t>(u32(18));
    const int32_t height = static_cast<int32_t>(u32(22));
    const uint32_t planes = u16(26);
    const uint32_t bitCount = u16(28);
    const uint32_t compression = u32(30);
    const uint32_t coloursUsed = u32(46);

    // The header, colour table and pixel rows must all lie within the data.
    if (headerSize < infoHeaderSize || headerSize > size - fileHeaderSize) return nullptr;
    if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1) return nullptr;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return nullptr;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bitCount == 16 || bitCount == 32)))
        return nullptr;
    const uint64_t maximumColours = bitCount <= 8 ? (1u << bitCount) : 0;
    if (bitCount <= 8 && coloursUsed > maximumColours) return nullptr;
    const uint64_t colours = coloursUsed ? coloursUsed : maximumColours;
    const uint64_t masks = (compression == BI_BITFIELDS && headerSize == infoHeaderSize) ? 12 : 0;
    const uint64_t tableEnd = fileHeaderSize + headerSize + masks + colours * 4;
    const int32_t rows = height < 0 ? -height : height;
    const uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    if (tableEnd > size || pixelOffset < tableEnd || pixelOffset + stride * static_cast<uint64_t>(rows) > size)
        return nullptr;

    // An aligned copy of the header and colour table, as SetDIBits reads them.
    std::vector<uint32_t> header(static_cast<size_t>((tableEnd - fileHeaderSize + 3) / 4));
    std::memcpy(header.data(), data + fileHeaderSize, static_cast<size_t>(tableEnd - fileHeaderSize));

    HBITMAP bitmap = static_cast<HBITMAP>(makeImage(slot, width, rows));
    if (!bitmap) return nullptr;
    ImageSlot& image = imageTable[static_cast<size_t>(slot)];
    HDC context = CreateCompatibleDC(nullptr);
    const int lines = context ? SetDIBits(context, bitmap, 0, static_cast<UINT>(rows), data + pixelOffset,
                                          reinterpret_cast<const BITMAPINFO*>(header.data()), DIB_RGB_COLORS)
                              : 0;
    if (context) DeleteDC(context);
    if (lines <= 0) {
        releaseSlot(image);
        return nullptr;
    }
    GdiFlush();
    // SetDIBits leaves the unused byte at 0; images hold opaque pixels.
    const size_t count = static_cast<size_t>(image.section.width) * static_cast<size_t>(image.section.height);
    for (size_t i = 0; i < count; ++i) image.section.pixels[i] |= opaqueBlack;
    return bitmap;
}

void freeAllImages() {
    endDrawing();
    deleteImageContext();
    for (ImageSlot& slot : imageTable) releaseSlot(slot);
    if (spare.bitmap) DeleteObject(spare.bitmap);
    spare = PixelSection{};
    currentImage = -1;
}

void fillWindowBlack(WindowHandle window) {
    if (!window) return;
    HWND handle = static_cast<HWND>(window);
    HDC context = GetDC(handle);
    if (!context) return;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    FillRect(context, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(handle, context);
}
