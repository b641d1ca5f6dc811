#include "win32_test_support.h"

#include <gtest/gtest.h>

#include "platform/image_services.h"
#include "platform/window_services.h"

namespace {

// The platform layer is started the way the program starts it, once.
class PlatformEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        initDrawing();
        initWindowServices();
        initControlServices();
        initImages();
        initCommonControls();
    }
    void TearDown() override {
        freeAllImages();
        closeAllWindows();
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new PlatformEnvironment);

}  // namespace

std::vector<uint32_t> bitmapPixels(HANDLE bitmap, int32_t& width, int32_t& height) {
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
    GetDIBits(context, static_cast<HBITMAP>(bitmap), 0, static_cast<UINT>(height), pixels.data(), &info,
              DIB_RGB_COLORS);
    DeleteDC(context);
    for (uint32_t& p : pixels) p &= 0x00FFFFFFu;
    return pixels;
}

uint32_t windowPixel(HWND window, int32_t x, int32_t y) {
    HDC context = GetDC(window);
    const COLORREF c = GetPixel(context, x, y);
    ReleaseDC(window, context);
    return rgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

std::vector<uint32_t> windowPixels(HWND window, int32_t width, int32_t height) {
    HDC source = GetDC(window);
    HDC copy = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ previous = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(copy, previous);
    DeleteDC(copy);
    ReleaseDC(window, source);
    int32_t w, h;
    std::vector<uint32_t> pixels = bitmapPixels(bitmap, w, h);
    DeleteObject(bitmap);
    return pixels;
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
