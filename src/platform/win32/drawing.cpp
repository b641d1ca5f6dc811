// DIB sections for window surfaces and pictures, and text written with GDI.
#include <windows.h>

#include <algorithm>

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

int32_t measureText(const std::string& text) {
    return text.empty() ? 0 : textExtent(text).cx;
}

void drawText(const PixelView& target, int32_t x, int32_t y, const std::string& text,
              int32_t colour, bool opaque) {
    if (!target.pixels || text.empty()) return;
    const SIZE size = textExtent(text);
    const int32_t left = std::max(x, 0);
    const int32_t top = std::max(y, 0);
    const int32_t right =
        static_cast<int32_t>(std::min<int64_t>(int64_t{x} + size.cx, target.width));
    const int32_t bottom =
        static_cast<int32_t>(std::min<int64_t>(int64_t{y} + size.cy, target.height));
    if (left >= right || top >= bottom || !scratchOfSize(size.cx, size.cy)) return;
    // The cells' part of the target goes under the text, GDI writes the
    // text onto it, and the result goes back.
    copyBlock(target, left, top, scratch.pixels, left - x, top - y, right - left, bottom - top, 0);
    HDC context = textContext();
    HGDIOBJ previous = SelectObject(context, scratch.bitmap);
    SetBkMode(context, opaque ? OPAQUE : TRANSPARENT);
    SetBkColor(context, RGB(255, 255, 255));
    SetTextColor(context, static_cast<COLORREF>(colour));
    SetTextAlign(context, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    TextOutA(context, 0, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    SelectObject(context, previous);
    // GDI leaves the top byte of what it writes at 0; pixels keep it at 0xFF.
    copyBlock(scratch.pixels, left - x, top - y, target, left, top, right - left, bottom - top,
              0xFF000000u);
}
