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

size_t visibleTopWindowCount() {
    size_t count = 0;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(window)) ++*reinterpret_cast<size_t*>(data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(HelpViewer, MissingHelpFileShowsNothingAndClosingIsHarmless) {
    initHelpViewer();
    ASSERT_TRUE(helpViewerLoaded() && htmlHelpAvailable()) << "hhctrl.ocx or its HtmlHelpA is missing";
    const size_t before = visibleTopWindowCount();
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    EXPECT_EQ(openHelp(std::string(folder) + "no such folder\\Plaidwick.chm", "Support.htm"), 0);
    EXPECT_EQ(visibleTopWindowCount(), before);
    closeHelp();
    EXPECT_EQ(visibleTopWindowCount(), before);
}

TEST(ScreensaverResources, IconNameAndVersionAreBuiltIn) {
    // The screensaver, named by the test's environment as a Unix path.
    const char* unixPath = std::getenv("PLAIDWICK_SCR");
    if (!unixPath || !*unixPath) GTEST_SKIP() << "PLAIDWICK_SCR does not name Plaidwick.scr";
    std::string path = unixPath[0] == '/' ? std::string("Z:") + unixPath : std::string(unixPath);
    for (char& c : path)
        if (c == '/') c = '\\';
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module) << path;

    char name[64] = {};
    LoadStringA(module, 1, name, sizeof name);
    EXPECT_STREQ(name, "Plaidwick ScreenSaver");
    HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, 32, 32, 0));
    EXPECT_TRUE(icon);
    DestroyIcon(icon);
    FreeLibrary(module);

    DWORD ignored = 0;
    std::vector<char> version(GetFileVersionInfoSizeA(path.c_str(), &ignored));
    ASSERT_FALSE(version.empty());
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    char* description = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1u);
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\040904B0\\FileDescription",
                               reinterpret_cast<void**>(&description), &length));
    EXPECT_STREQ(description, "Plaidwick ScreenSaver");
}

}  // namespace
