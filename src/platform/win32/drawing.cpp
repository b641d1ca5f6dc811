// DIB sections for window surfaces and pictures, and text written with GDI.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/drawing_services.h"
#include "platform/win32/win32_private.h"

namespace {

// A memory context with its default font, the system font, as a window's
// context has: text is measured and written through it.
HDC textContext() {
    static HDC context = CreateCompatibleDC(nullptr);
    return context;
}

SIZE textExtent(const std::string& text) {
    SIZE size{};
    if (!GetTextExtentPoint32A(textContext(), text.c_str(), static_cast<int>(text.size()), &size))
        size = SIZE{};
    return size;
}

// Where GDI writes text: a section at least as large as the text's cells,
// kept for the next text.
PixelSection scratch;

bool scratchOfSize(int32_t width, int32_t height) {
    if (scratch.bitmap && scratch.pixels.width >= width && scratch.pixels.height >= height)
        return true;
    deleteSection(scratch);
    scratch = createSection(std::max(width, scratch.pixels.width),
                            std::max(height, scratch.pixels.height));
    return scratch.bitmap != nullptr;
}

// Copies a width x height block from (fromX, fromY) of one view to (toX, toY) of another.
void copyBlock(const PixelView& from, int32_t fromX, int32_t fromY, const PixelView& to,
               int32_t toX, int32_t toY, int32_t width, int32_t height, uint32_t setBits) {
    for (int32_t row = 0; row < height; ++row) {
        const uint32_t* in = from.row(fromY + row) + fromX;
        uint32_t* out = to.row(toY + row) + toX;
        for (int32_t i = 0; i < width; ++i)
            out[i] = in[i] | setBits;
    }
}

} // namespace

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
    const PixelView view{static_cast<uint32_t*>(bits), width, height, width};
    for (int32_t y = 0; y < height; ++y)
        std::fill_n(view.row(y), width, 0xFF000000u);
    return PixelSection{bitmap, view};
}

void deleteSection(PixelSection& section) {
    if (section.bitmap) DeleteObject(section.bitmap);
    section = PixelSection{};
}

void copySectionTo(HDC target, const PixelSection& section) {
    HDC source = CreateCompatibleDC(nullptr);
    if (!source) return;
    HGDIOBJ previous = SelectObject(source, section.bitmap);
    if (previous) {
        BitBlt(target, 0, 0, section.pixels.width, section.pixels.height, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
    }
    DeleteDC(source);
}

namespace {

// Writes `text` with GDI at (0, 0) of the scratch, which must hold its cells.
void writeOnScratch(const std::string& text, int32_t colour, bool opaque) {
    HDC context = textContext();
    HGDIOBJ previous = SelectObject(context, scratch.bitmap);
    SetBkMode(context, opaque ? OPAQUE : TRANSPARENT);
    SetBkColor(context, RGB(255, 255, 255));
    SetTextColor(context, static_cast<COLORREF>(colour));
    SetTextAlign(context, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    TextOutA(context, 0, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    SelectObject(context, previous);
}

// The cells of the opaque text last prepared or written, as GDI wrote them.
// Opaque text covers its cells whole, so they are the same over any pixels,
// and writing that text again in that colour is a copy.
struct OpaqueCells {
    std::string text;
    int32_t colour = -1;
    std::vector<uint32_t> pixels;
    PixelView view;
};

const OpaqueCells* opaqueCells(const std::string& text, int32_t colour) {
    static OpaqueCells cells;
    if (cells.view.pixels && cells.text == text && cells.colour == colour) return &cells;
    cells = OpaqueCells{};
    const SIZE size = textExtent(text);
    if (size.cx <= 0 || size.cy <= 0 || !scratchOfSize(size.cx, size.cy)) return nullptr;
    writeOnScratch(text, colour, true);
    cells.pixels.resize(static_cast<size_t>(size.cx) * size.cy);
    cells.view = PixelView{cells.pixels.data(), size.cx, size.cy, size.cx};
    // GDI leaves the top byte of what it writes at 0; pixels keep it at 0xFF.
    copyBlock(scratch.pixels, 0, 0, cells.view, 0, 0, size.cx, size.cy, 0xFF000000u);
    cells.text = text;
    cells.colour = colour;
    return &cells;
}

} // namespace

int32_t measureText(const std::string& text) {
    return text.empty() ? 0 : textExtent(text).cx;
}

void prepareText(const std::string& text, int32_t colour, bool opaque) {
    // Transparent text depends on the pixels it is written over.
    if (opaque && !text.empty()) opaqueCells(text, colour);
}

void drawText(const PixelView& target, int32_t x, int32_t y, const std::string& text,
              int32_t colour, bool opaque) {
    if (!target.pixels || text.empty()) return;
    const OpaqueCells* cells = opaque ? opaqueCells(text, colour) : nullptr;
    const SIZE size = cells ? SIZE{cells->view.width, cells->view.height} : textExtent(text);
    const int32_t left = std::max(x, 0);
    const int32_t top = std::max(y, 0);
    const int32_t right =
        static_cast<int32_t>(std::min<int64_t>(int64_t{x} + size.cx, target.width));
    const int32_t bottom =
        static_cast<int32_t>(std::min<int64_t>(int64_t{y} + size.cy, target.height));
    if (left >= right || top >= bottom) return;
    if (cells) {
        copyBlock(cells->view, left - x, top - y, target, left, top, right - left, bottom - top, 0);
        return;
    }
    if (opaque || !scratchOfSize(size.cx, size.cy)) return;
    // The cells' part of the target goes under the text, GDI writes the
    // text onto it, and the result goes back.
    copyBlock(target, left, top, scratch.pixels, left - x, top - y, right - left, bottom - top, 0);
    writeOnScratch(text, colour, false);
    copyBlock(scratch.pixels, left - x, top - y, target, left, top, right - left, bottom - top,
              0xFF000000u);
}
