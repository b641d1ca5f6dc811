// Numbered images and drawing on the Win32 graphics service (GDI).
//
// Images are top-down 32-bit DIB sections, so the weave's per-pixel writes
// are plain memory stores through `activePixels`, enlargement is exact
// pixel replication, and copies between images need no GDI call. Copies of
// one image laid out as a grid are collected and drawn as one (blit_grid.h).
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/image_services.h"
#include "platform/pixel_ops.h"
#include "platform/win32/blit_grid.h"
#include "platform/window_services.h"

PixelSurface activePixels;

namespace {

constexpr uint32_t opaqueBlack = 0xFF000000u;

// A grid of at least this many tiles is composed off-screen and copied to a
// window at once; fewer are copied one by one.
constexpr int64_t composedGridTiles = 64;

// Released pixel bitmaps at least this large are kept for reuse.
constexpr int64_t spareBitmapPixels = int64_t{1} << 18;

struct ImageSlot {
    HANDLE handle = nullptr;  // a DIB section (HBITMAP) or an icon
    int32_t width = 0;        // the size the image stands for, used for placement
    int32_t height = 0;
    uint16_t bitDepth = 0;
    uint32_t* pixels = nullptr;  // the DIB section's memory, rows top-down
    int32_t storedWidth = 0;     // the part held in memory (see setImageClip)
    int32_t storedHeight = 0;
    // A large enlarged image keeps the picture it was enlarged from, so a
    // grid of its copies can be drawn from that small picture (blit_grid.h).
    std::shared_ptr<const std::vector<uint32_t>> original;
    int32_t originalWidth = 0;
    int32_t originalHeight = 0;
};

// Enlarged images at least this large keep their original picture.
constexpr int64_t keepOriginalPixels = int64_t{1} << 16;

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

// The pixels of the open drawing when it is on an image. `activePixels`
// mirrors them, except while a grid of copies is being collected: then it is
// empty, so that a pixel set meanwhile first has the grid drawn.
PixelSurface drawingPixels;
BlitGrid pendingGrid;

// The last large pixel bitmaps released, kept so that enlarging every tile
// to the screen's size reuses memory instead of faulting in tens of
// megabytes anew. Two: a large woven tile released meanwhile does not push
// out the screen-sized one.
struct SpareBitmap {
    HBITMAP bitmap = nullptr;
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};
SpareBitmap spares[2];  // the newest first

// The off-screen picture of a grid of copies bound for a window.
struct ComposeBuffer {
    HDC context = nullptr;
    HGDIOBJ previous = nullptr;
    HBITMAP bitmap = nullptr;
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
} compose;

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

// A top-down 32-bit DIB section of width x height, and its pixels.
HBITMAP createPixelBitmap(int32_t width, int32_t height, uint32_t** pixels) {
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
    return bitmap;
}

void deleteSpares() {
    for (SpareBitmap& spare : spares) {
        if (spare.bitmap) DeleteObject(spare.bitmap);
        spare = SpareBitmap{};
    }
}

// A pixel bitmap of width x height, a spare one when one has that size (so
// no fresh memory need be faulted in). Its pixels are black when `black` is
// asked for (a new DIB section starts zero-filled); otherwise the caller
// writes every one of them.
HBITMAP makePixelBitmap(int32_t width, int32_t height, bool black, uint32_t** pixels) {
    for (SpareBitmap& spare : spares) {
        if (!spare.bitmap || spare.width != width || spare.height != height) continue;
        HBITMAP bitmap = spare.bitmap;
        *pixels = spare.pixels;
        spare = SpareBitmap{};
        if (black) std::fill_n(*pixels, static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
        return bitmap;
    }
    return createPixelBitmap(width, height, pixels);
}

// Deletes a pixel bitmap, or keeps it as a spare when it is large (the
// oldest spare then goes).
void retirePixelBitmap(HANDLE bitmap, uint32_t* pixels, int32_t width, int32_t height) {
    if (static_cast<int64_t>(width) * height >= spareBitmapPixels) {
        if (spares[1].bitmap) DeleteObject(spares[1].bitmap);
        spares[1] = spares[0];
        spares[0] = SpareBitmap{static_cast<HBITMAP>(bitmap), pixels, width, height};
        return;
    }
    DeleteObject(bitmap);
}

void deleteComposeBuffer() {
    if (compose.context) {
        SelectObject(compose.context, compose.previous);
        DeleteDC(compose.context);
    }
    if (compose.bitmap) DeleteObject(compose.bitmap);
    compose = ComposeBuffer{};
}

bool prepareComposeBuffer(int32_t width, int32_t height) {
    if (compose.bitmap && compose.width == width && compose.height == height) return true;
    deleteComposeBuffer();
    compose.bitmap = createPixelBitmap(width, height, &compose.pixels);
    compose.context = compose.bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    compose.previous = compose.context ? SelectObject(compose.context, compose.bitmap) : nullptr;
    if (!compose.previous) {
        deleteComposeBuffer();
        return false;
    }
    compose.width = width;
    compose.height = height;
    return true;
}

void flushGrid();

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
    if (pendingGrid.image == bitmap) flushGrid();
    if (blitContextBitmap == bitmap) dropBlitContext();
    if (imageContextBitmap == bitmap) {
        if (activeContext && activeContext == imageContext) endDrawing();
        deleteImageContext();
    }
}

void releaseSlot(ImageSlot& slot) {
    if (slot.handle) {
        if (slot.pixels) {
            detachBitmap(slot.handle);
            retirePixelBitmap(slot.handle, slot.pixels, slot.storedWidth, slot.storedHeight);
        } else if (isBitmap(slot.handle)) {
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

BlitTile tileOf(const ImageSlot& slot) {
    BlitTile tile;
    tile.stored = viewOf(slot);
    if (slot.original) {
        tile.original = PixelView{const_cast<uint32_t*>(slot.original->data()), slot.originalWidth,
                                  slot.originalHeight, slot.originalWidth};
        tile.fullWidth = slot.width;
        tile.fullHeight = slot.height;
    }
    return tile;
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

// Composes a grid that covers one rectangle off-screen and copies the part
// inside the window in one go; false when it cannot.
bool composeGridOntoWindow(const BlitGrid& grid, const BlitTile& tile) {
    int64_t left, top, right, bottom;
    if (!blitGridRectangle(grid, tile.stored.width, tile.stored.height, left, top, right, bottom)) return false;
    RECT client;
    if (!GetClientRect(targetWindow, &client)) return false;
    left = std::max<int64_t>(left, client.left);
    top = std::max<int64_t>(top, client.top);
    right = std::min<int64_t>(right, client.right);
    bottom = std::min<int64_t>(bottom, client.bottom);
    if (left >= right || top >= bottom) return true;
    const int32_t width = static_cast<int32_t>(right - left);
    const int32_t height = static_cast<int32_t>(bottom - top);
    if (!prepareComposeBuffer(width, height)) return false;
    drawBlitGrid(grid, tile, PixelView{compose.pixels, width, height, width}, static_cast<int32_t>(left),
                 static_cast<int32_t>(top));
    BitBlt(activeContext, static_cast<int32_t>(left), static_cast<int32_t>(top), width, height, compose.context, 0,
           0, SRCCOPY);
    return true;
}

// Draws the collected grid of copies, if any.
void flushGrid() {
    if (!pendingGrid.image) return;
    const BlitGrid grid = pendingGrid;
    pendingGrid = BlitGrid{};
    activePixels = drawingPixels;
    const ImageSlot* source = slotHolding(const_cast<void*>(grid.image));
    if (!activeContext || !source || !source->pixels) return;
    const BlitTile tile = tileOf(*source);
    if (drawingPixels.pixels) {
        drawBlitGrid(grid, tile,
                     PixelView{drawingPixels.pixels, drawingPixels.width, drawingPixels.height, drawingPixels.stride}, 0,
                     0);
        return;
    }
    if (blitGridTileCount(grid) >= composedGridTiles && composeGridOntoWindow(grid, tile)) return;
    const int64_t count = blitGridTileCount(grid);
    for (int64_t i = 0; i < count; ++i) {
        int32_t x, y;
        blitGridTilePosition(grid, i, x, y);
        blitBitmap(source->handle, x, y, source->storedWidth, source->storedHeight);
    }
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
    HBITMAP bitmap = makePixelBitmap(width, height, true, &pixels);
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
    // The old image context goes; a drawing still open on it ends first.
    if (activeContext && activeContext == imageContext) endDrawing();
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
            drawingPixels = PixelSurface{image->pixels, image->storedWidth, image->storedHeight, image->storedWidth};
            activePixels = drawingPixels;
        }
    }
    return reinterpret_cast<intptr_t>(context);
}

void endDrawing() {
    if (!activeContext) return;
    flushGrid();
    HDC context = activeContext;
    activeContext = nullptr;
    activePixels = PixelSurface{};
    drawingPixels = PixelSurface{};
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
    if (!activeContext) return;
    if (pendingGrid.image) {
        flushGrid();
        if (activePixels.pixels) {
            setPixel(x, y, colour);
            return;
        }
    }
    SetPixelV(activeContext, x, y, static_cast<COLORREF>(colour));
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
    HBITMAP bitmap = makePixelBitmap(storedWidth, storedHeight, false, &pixels);
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
        // Only for an enlargement by two or more: each line then serves
        // several rows, while at the same size reading it back is as cheap.
        if (old.storedWidth == old.width && old.storedHeight == old.height && width >= 2 * old.width &&
            height >= 2 * old.height && static_cast<int64_t>(storedWidth) * storedHeight >= keepOriginalPixels) {
            image->original = std::make_shared<const std::vector<uint32_t>>(
                old.pixels, old.pixels + static_cast<size_t>(old.width) * static_cast<size_t>(old.height));
            image->originalWidth = old.width;
            image->originalHeight = old.height;
        }
    }
    currentImage = slot;
    retirePixelBitmap(old.handle, old.pixels, old.storedWidth, old.storedHeight);
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
    // The next copy along a grid's row: counted and nothing else (a grid is
    // only collected while a drawing is open).
    if (extendBlitGridRow(pendingGrid, handle, x, y)) return;
    if (!activeContext || !handle) return;
    const ImageSlot* image = slotHolding(handle);
    // Copies of one of this layer's pixel images are collected while they
    // form a grid, and drawn when anything else happens.
    if (image && image->pixels && handle != imageContextBitmap && (drawingPixels.pixels || targetKind == 1)) {
        if (extendBlitGrid(pendingGrid, handle, x, y)) return;
        flushGrid();
        startBlitGrid(pendingGrid, handle, x, y);
        activePixels = PixelSurface{};
        return;
    }
    flushGrid();
    if (image && image->pixels) {
        blitBitmap(handle, x, y, image->storedWidth, image->storedHeight);
        return;
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
    flushGrid();
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
    deleteSpares();
    deleteComposeBuffer();
    currentImage = -1;
}

void fillWindowBlack(WindowHandle window) {
    if (!window) return;
    flushGrid();
    HWND handle = static_cast<HWND>(window);
    HDC context = GetDC(handle);
    if (!context) return;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    FillRect(context, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(handle, context);
}
