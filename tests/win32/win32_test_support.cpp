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
