// Shared helpers of the Win32 platform tests: the platform layer started
// once for the whole test program, pixel read-back, and Wine detection.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// The 0x00RRGGBB words of a bitmap (a DIB section or any other), rows
// top-down; empty when it cannot be read. Inline for the helper programs too.
inline std::vector<uint32_t> bitmapPixels(HANDLE bitmap, int32_t& width, int32_t& height) {
    BITMAP description = {};
    width = height = 0;
    if (!GetObjectA(bitmap, sizeof description, &description)) return {};
    width = description.bmWidth;
    height = description.bmHeight;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    HDC context = CreateCompatibleDC(nullptr);
    const int rows = GetDIBits(context, static_cast<HBITMAP>(bitmap), 0, static_cast<UINT>(height), pixels.data(),
                               &info, DIB_RGB_COLORS);
    DeleteDC(context);
    if (rows != height) return {};
    for (uint32_t& p : pixels) p &= 0x00FFFFFFu;
    return pixels;
}

// The 0x00RRGGBB word at (x, y) of a window's client area.
uint32_t windowPixel(HWND window, int32_t x, int32_t y);

// The 0x00RRGGBB words of a window's client area, width x height from its corner.
std::vector<uint32_t> windowPixels(HWND window, int32_t width, int32_t height);

// Delivers every queued message of this thread.
void pumpMessages();

// True when running under Wine (its ntdll exports wine_get_version).
bool runningUnderWine();

// RGB as 0x00RRGGBB (the order of DIB pixel words without their top byte).
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
