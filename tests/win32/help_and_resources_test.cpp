// The HTML help viewer as the platform provides it, and the resources built
// into Plaidwick.scr read back through the platform's resource calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "config/help.h"
#include "platform/help_services.h"

namespace {

// The windows of this process that are visible and top-level.
std::vector<HWND> visibleTopWindows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(window))
                reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(HelpViewer, MissingHelpFileShowsNothingAndClosingIsHarmless) {
    initHelpViewer();
    ASSERT_TRUE(helpViewerLoaded()) << "hhctrl.ocx did not load";
    ASSERT_TRUE(htmlHelpAvailable()) << "hhctrl.ocx has no HtmlHelpA";
    const size_t before = visibleTopWindows().size();
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string missing = std::string(folder) + "no such folder\\Plaidwick.chm";
    EXPECT_EQ(openHelp(missing, "Support.htm"), 0);
    EXPECT_EQ(visibleTopWindows().size(), before);
    closeHelp();
    EXPECT_EQ(visibleTopWindows().size(), before);
}

// The screensaver file, named by the test's environment as a Unix path.
std::string screensaverPath() {
    const char* path = std::getenv("PLAIDWICK_SCR");
    if (!path || !*path) return std::string();
    std::string windowsPath = path[0] == '/' ? std::string("Z:") + path : std::string(path);
    for (char& c : windowsPath)
        if (c == '/') c = '\\';
    return windowsPath;
}

TEST(ScreensaverResources, IconNameAndVersionAreBuiltIn) {
    const std::string path = screensaverPath();
    if (path.empty()) GTEST_SKIP() << "PLAIDWICK_SCR does not name Plaidwick.scr";
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module) << path;

    char name[64] = {};
    EXPECT_GT(LoadStringA(module, 1, name, sizeof name), 0);
    EXPECT_STREQ(name, "Plaidwick ScreenSaver");

    HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, 32, 32, 0));
    ASSERT_TRUE(icon);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour = {};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    FreeLibrary(module);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> version(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, version.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1u);
    char* description = nullptr;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\040904B0\\FileDescription",
                               reinterpret_cast<void**>(&description), &length));
    EXPECT_STREQ(description, "Plaidwick ScreenSaver");
}

}  // namespace
