// Shared helpers of the Win32 platform tests: the platform layer started
// once for the whole test program, pixel read-back, and Wine detection.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// The 0x00RRGGBB words of a bitmap (a DIB section or any other), rows top-down.
std::vector<uint32_t> bitmapPixels(HANDLE bitmap, int32_t& width, int32_t& height);

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
