// What only the Windows build has: window classes, native slider positions,
// HTML Help, the resources built into Plaidwick.scr, and GDI objects that do
// not pile up as the show runs.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "config/help.h"
#include "picture/images.h"
#include "platform/help_services.h"
#include "platform/process_services.h"
#include "probe.h"
#include "show/show.h"
#include "startup/settings.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"
#include "tartan/weave.h"

// Each window has a class of its own while it is open; a vertical slider's
// native position counts from its top end. With every window closed, HTML
// Help is there, a missing help file shows no window and closing is harmless.
TEST(Windows, AWindowsClassLastsAsLongAsItVerticalSlidersRunUpwardsAndMissingHelpShowsNoWindow) {
    WNDCLASSA info{};
    const HINSTANCE self = GetModuleHandleA(nullptr);
    HWND window = HWND(probe::openShown(12, 0, 0, 100, 200, stylePopup));
    beginControlList(window), addSlider(40, 10, 10, 20, 150, 1, 10, sliderVertical), setControlState(40, 3);
    EXPECT_EQ(SendDlgItemMessageA(window, 40, TBM_GETPOS, 0, 0), 8);
    EXPECT_TRUE(GetClassInfoA(self, "WindowClass_12", &info) && GetClassInfoA(self, "TemplateClass", &info));
    closeAllWindows();
    initHelpViewer();
    ASSERT_EQ(helpLibrary(), HelpLibrary::withHtmlHelp) << "hhctrl.ocx or its HtmlHelpA is missing";
    EXPECT_EQ(openHelp("C:\\no such folder\\Plaidwick.chm", "Support.htm"), 0);
    closeHelp();
    EXPECT_TRUE(!GetClassInfoA(self, "WindowClass_12", &info) && probe::visibleWindows() == 0);
}

// PLAIDWICK_SCR names Plaidwick.scr as a Unix path. Its resources are read
// in place: the version queries are of Unicode text, which needs no copy.
TEST(Resources, IconsNameVersionAndManifestAreBuiltIntoTheScreensaver) {
    const char* unixPath = std::getenv("PLAIDWICK_SCR");
    if (!unixPath || !*unixPath) GTEST_SKIP() << "PLAIDWICK_SCR does not name Plaidwick.scr";
    const std::string path = (unixPath[0] == '/' ? "Z:" : "") + std::string(unixPath);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char name[64] = {};
    ASSERT_TRUE(module && LoadStringA(module, 1, name, sizeof name) && std::string(name) == "Plaidwick ScreenSaver");
    const auto resource = [&](int id, LPCSTR type) {
        return static_cast<BYTE*>(LockResource(LoadResource(module, FindResourceA(module, MAKEINTRESOURCEA(id), type))));
    };
    for (int size : {32, 16}) {  // each size is an image of its own, not one scaled
        const auto* image = reinterpret_cast<BITMAPINFOHEADER*>(
            resource(LookupIconIdFromDirectoryEx(resource(1, RT_GROUP_ICON), TRUE, size, size, 0), RT_ICON));
        EXPECT_TRUE(image && image->biWidth == size) << size;
    }
    const std::string manifest(reinterpret_cast<char*>(resource(1, RT_MANIFEST)),
                               SizeofResource(module, FindResourceA(module, MAKEINTRESOURCEA(1), RT_MANIFEST)));
    EXPECT_TRUE(manifest.find("\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"") != std::string::npos &&
                manifest.find(">true</dpiAware>") != std::string::npos) << manifest;
    void* version = LockResource(LoadResource(module, FindResourceA(module, MAKEINTRESOURCEA(1), RT_VERSION)));
    void *fixed = nullptr, *description = nullptr;
    UINT length = 0;
    ASSERT_TRUE(version && VerQueryValueW(version, L"\\", &fixed, &length) &&
                VerQueryValueW(version, L"\\StringFileInfo\\040904B0\\FileDescription", &description, &length));
    EXPECT_EQ(HIWORD(static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS), 1);
    EXPECT_EQ(std::wstring(static_cast<wchar_t*>(description)), L"Plaidwick ScreenSaver");
    FreeLibrary(module);
}

// The process's live GDI objects. Wine's GetGuiResources answers 0, so there
// the GDI handle table is counted: the TEB holds the PEB at 0x60, the PEB the
// table at 0xF8; x64 entries of 24 bytes, the type at byte 14. (GCC misreads
// mingw-w64's segment-register read behind NtCurrentTeb.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
static long gdiObjects() {
    if (const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return long(reported);
    const auto* peb = *reinterpret_cast<const uint8_t* const*>(reinterpret_cast<const uint8_t*>(NtCurrentTeb()) + 0x60);
    const auto* table = *reinterpret_cast<const uint8_t* const*>(peb + 0xF8);
    long live = 0;
    for (size_t i = 0; table && i < 65536; ++i) live += table[i * 24 + 14] != 0;
    return live;
}
#pragma GCC diagnostic pop

// drawTartan draws every tartan of the catalogue, named, on a real window.
TEST(ShowCycle, ASecondPassThroughTheCatalogueHoldsNoMoreGdiObjects) {
    initWeavePattern(), buildCatalogue(), unscrambleCatalogue();
    saverSettings().zoom = 10, saverSettings().showNames = 1;
    probe::openShown(0, 0, 0, 640, 400, stylePopup);
    setImageClip(640, 400);
    long counts[3] = {gdiObjects()};
    for (int pass = 1; pass <= 2; ++pass) {
        for (int index = 0; index < tartanCount; ++index)
            drawTartan(index, {640, 400, windowTarget}), waitForWindowEvents(0);
        counts[pass] = gdiObjects();
    }
    setImageClip(0, 0), freeAllImages(), closeAllWindows();
    EXPECT_TRUE(counts[1] > 0 && counts[2] == counts[1]) << counts[0] << ", " << counts[1] << ", " << counts[2];
}
