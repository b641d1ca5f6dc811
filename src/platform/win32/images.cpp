// Numbered images and drawing on the Win32 graphics service (GDI).
//
// Images are top-down 32-bit DIB sections, so the weave's per-pixel writes
// are plain memory stores through `activePixels`, enlargement is exact
// pixel replication, and copies between images need no GDI call.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/image_services.h"
#include "platform/pixel_ops.h"
#include "platform/window_services.h"

PixelSurface activePixels;

namespace {

constexpr uint32_t opaqueBlack = 0xFF000000u;

struct ImageSlot {
    HANDLE handle = nullptr;  // a DIB section (HBITMAP) or an icon
    int32_t width = 0;        // the size the image stands for, used for placement
    int32_t height = 0;
    uint16_t bitDepth = 0;
    uint32_t* pixels = nullptr;  // the DIB section's memory, rows top-down
    int32_t storedWidth = 0;     // the part held in memory (see setImageClip)
    int32_t storedHeight = 0;
};

std::vector<ImageSlot> imageTable;
int32_t imageCount = 0;
int32_t currentImage = -1;

int32_t clipWidth = 0;
int32_t clipHeight = 0;

// The one image context: a memory context with the current image selected.
HDC imageContext = nullptr;
HGDIOBJ imageContextPrevious = nullptr;
HANDLE imageContextBitmap = nullptr;

// A memory context kept with the last bitmap copied to a window, so that
// tiling a screen does not make a context per tile.
HDC blitContext = nullptr;
HGDIOBJ blitContextPrevious = nullptr;
HANDLE blitContextBitmap = nullptr;

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

bool isBitmap(HANDLE handle) { return handle && GetObjectType(handle) == OBJ_BITMAP; }

ImageSlot* slotAt(int32_t slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= imageTable.size()) return nullptr;
    return &imageTable[static_cast<size_t>(slot)];
}

ImageSlot* slotHolding(HANDLE handle) {
    if (!handle) return nullptr;
    if (ImageSlot* current = slotAt(currentImage))
        if (current->handle == handle) return current;
    for (ImageSlot& slot : imageTable)
        if (slot.handle == handle) return &slot;
    return nullptr;
}

void growImageTable(int32_t slot) {
    if (slot < imageCount) return;
    imageCount = slot + 10;
    imageTable.resize(static_cast<size_t>(imageCount) + 1);
}

// A black top-down 32-bit DIB section of width x height; null on failure.
HBITMAP makePixelBitmap(int32_t width, int32_t height, uint32_t** pixels) {
    *pixels = nullptr;
    if (width <= 0 || height <= 0) return nullptr;
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
        return nullptr;
    }
    *pixels = static_cast<uint32_t*>(bits);
    std::fill_n(*pixels, static_cast<size_t>(width) * static_cast<size_t>(height), opaqueBlack);
    return bitmap;
}

void dropBlitContext() {
    if (!blitContext) return;
    SelectObject(blitContext, blitContextPrevious);
    DeleteDC(blitContext);
    blitContext = nullptr;
    blitContextPrevious = nullptr;
    blitContextBitmap = nullptr;
}

void deleteImageContext() {
    if (!imageContext) return;
    SelectObject(imageContext, imageContextPrevious);
    DeleteDC(imageContext);
    imageContext = nullptr;
    imageContextPrevious = nullptr;
    imageContextBitmap = nullptr;
}

// Takes a bitmap out of every context of this layer, so that it can be
// selected elsewhere or deleted (a selected bitmap cannot be).
void detachBitmap(HANDLE bitmap) {
    if (!bitmap) return;
    if (blitContextBitmap == bitmap) dropBlitContext();
    if (imageContextBitmap == bitmap) {
        if (activeContext && activeContext == imageContext) endDrawing();
        deleteImageContext();
    }
}

void releaseSlot(ImageSlot& slot) {
    if (slot.handle) {
        if (isBitmap(slot.handle)) {
            detachBitmap(slot.handle);
            DeleteObject(slot.handle);
        } else {
            DestroyIcon(static_cast<HICON>(slot.handle));
        }
    }
    slot = ImageSlot{};
}

PixelView viewOf(const ImageSlot& slot) {
    return PixelView{slot.pixels, slot.storedWidth, slot.storedHeight, slot.storedWidth};
}

// Copies an image's pixels to (x, y) of the open drawing on an image.
void copyToActivePixels(const ImageSlot& source, int32_t x, int32_t y) {
    const PixelSurface& target = activePixels;
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(x) + source.storedWidth, target.width);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(y) + source.storedHeight, target.height);
    if (left >= right || top >= bottom) return;
    const size_t count = static_cast<size_t>(right - left);
    const uint32_t* in = source.pixels + static_cast<size_t>(top - y) * static_cast<size_t>(source.storedWidth) +
                         static_cast<size_t>(left - x);
    uint32_t* out = target.pixels + static_cast<size_t>(top) * static_cast<size_t>(target.stride) +
                    static_cast<size_t>(left);
    for (int64_t row = top; row < bottom; ++row) {
        // Tiles of a few pixels are common: copy those without a library call.
        if (count <= 8) {
            for (size_t i = 0; i < count; ++i) out[i] = in[i];
        } else {
            std::memmove(out, in, count * sizeof(uint32_t));
        }
        in += source.storedWidth;
        out += target.stride;
    }
}

void blitBitmap(HANDLE bitmap, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (blitContextBitmap != bitmap) {
        dropBlitContext();
        if (imageContextBitmap == bitmap) return;  // selected for drawing: not copyable now
        blitContext = CreateCompatibleDC(nullptr);
        if (!blitContext) return;
        blitContextPrevious = SelectObject(blitContext, bitmap);
        if (!blitContextPrevious) {
            DeleteDC(blitContext);
            blitContext = nullptr;
            return;
        }
        blitContextBitmap = bitmap;
    }
    BitBlt(activeContext, x, y, width, height, blitContext, 0, 0, SRCCOPY);
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
    uint32_t* pixels = nullptr;
    HBITMAP bitmap = makePixelBitmap(width, height, &pixels);
    if (!bitmap) return nullptr;
    BITMAP description = {};
    GetObjectA(bitmap, sizeof description, &description);
    image.handle = bitmap;
    image.width = width;
    image.height = height;
    image.bitDepth = description.bmBitsPixel;
    image.pixels = pixels;
    image.storedWidth = width;
    image.storedHeight = height;
    return bitmap;
}

DrawingTarget imageTarget() {
    deleteImageContext();
    ImageSlot* image = slotAt(currentImage);
    if (!image || !isBitmap(image->handle)) return DrawingTarget{};
    if (blitContextBitmap == image->handle) dropBlitContext();
    HDC context = CreateCompatibleDC(nullptr);
    if (!context) return DrawingTarget{};
    HGDIOBJ previous = SelectObject(context, image->handle);
    if (!previous) {
        DeleteDC(context);
        return DrawingTarget{};
    }
    imageContext = context;
    imageContextPrevious = previous;
    imageContextBitmap = image->handle;
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
            GdiFlush();
            activePixels = PixelSurface{image->pixels, image->storedWidth, image->storedHeight, image->storedWidth};
        }
    }
    return reinterpret_cast<intptr_t>(context);
}

void endDrawing() {
    if (!activeContext) return;
    HDC context = activeContext;
    activeContext = nullptr;
    activePixels = PixelSurface{};
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
    if (!image || !image->handle) return nullptr;
    const ImageSlot old = *image;
    if (!old.pixels) return nullptr;
    detachBitmap(old.handle);

    // Only the part an enlarged image can ever show is kept: memory stays
    // bounded by the screen whatever the zoom.
    const int32_t storedWidth = clipWidth > 0 ? std::min(width, clipWidth) : width;
    const int32_t storedHeight = clipHeight > 0 ? std::min(height, clipHeight) : height;
    uint32_t* pixels = nullptr;
    HBITMAP bitmap = makePixelBitmap(storedWidth, storedHeight, &pixels);
    if (bitmap)
        scalePixels(viewOf(old), PixelView{pixels, storedWidth, storedHeight, storedWidth}, width, height);

    *image = ImageSlot{};
    if (bitmap) {
        image->handle = bitmap;
        image->width = width;
        image->height = height;
        image->bitDepth = old.bitDepth;
        image->pixels = pixels;
        image->storedWidth = storedWidth;
        image->storedHeight = storedHeight;
    }
    currentImage = slot;
    DeleteObject(old.handle);
    return bitmap;
}

ImageHandle imageHandle(int32_t slot) {
    ImageSlot* image = slotAt(slot);
    if (!image || !image->handle) {
        currentImage = -1;
        return nullptr;
    }
    currentImage = slot;
    return image->handle;
}

void blitImage(ImageHandle handle, int32_t x, int32_t y) {
    if (!activeContext || !handle) return;
    if (const ImageSlot* image = slotHolding(handle)) {
        if (image->pixels && activePixels.pixels && image->handle != imageContextBitmap) {
            copyToActivePixels(*image, x, y);
            return;
        }
        if (image->pixels) {
            blitBitmap(handle, x, y, image->storedWidth, image->storedHeight);
            return;
        }
    }
    if (isBitmap(handle)) {
        BITMAP description = {};
        GetObjectA(handle, sizeof description, &description);
        HDC source = CreateCompatibleDC(nullptr);
        if (!source) return;
        HGDIOBJ previous = SelectObject(source, handle);
        if (previous) {
            BitBlt(activeContext, x, y, description.bmWidth, description.bmHeight, source, 0, 0, SRCCOPY);
            SelectObject(source, previous);
        }
        DeleteDC(source);
    } else {
        DrawIconEx(activeContext, x, y, static_cast<HICON>(handle), 0, 0, 0, nullptr, DI_NORMAL);
    }
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
    // Later direct pixel copies must not overtake GDI's batched drawing.
    if (activePixels.pixels) GdiFlush();
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
    const size_t count = static_cast<size_t>(image.storedWidth) * static_cast<size_t>(image.storedHeight);
    for (size_t i = 0; i < count; ++i) image.pixels[i] |= opaqueBlack;
    return bitmap;
}

void freeAllImages() {
    endDrawing();
    deleteImageContext();
    dropBlitContext();
    for (ImageSlot& slot : imageTable) releaseSlot(slot);
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
