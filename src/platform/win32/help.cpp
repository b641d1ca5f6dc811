// The Windows help viewers: HTML Help (hhctrl.ocx, loaded at run time) and
// the classic WinHelp viewer.
#include <windows.h>

#include "platform/help_services.h"

namespace {

constexpr UINT htmlHelpDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT htmlHelpCloseAll = 0x0012;      // HH_CLOSE_ALL

using HtmlHelpEntry = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

HMODULE helpModule = nullptr;
HtmlHelpEntry htmlHelpEntry = nullptr;

}  // namespace

void initHelpViewer() {
    helpModule = LoadLibraryA("hhctrl.ocx");
    if (helpModule)
        htmlHelpEntry = reinterpret_cast<HtmlHelpEntry>(
            reinterpret_cast<void*>(GetProcAddress(helpModule, "HtmlHelpA")));
}

HelpLibrary helpLibrary() {
    if (!helpModule) return HelpLibrary::none;
    return htmlHelpEntry ? HelpLibrary::withHtmlHelp : HelpLibrary::withoutHtmlHelp;
}

intptr_t showHtmlHelp(const std::string& locator) {
    if (!htmlHelpEntry) return 0;
    return reinterpret_cast<intptr_t>(htmlHelpEntry(nullptr, locator.c_str(), htmlHelpDisplayTopic, 0));
}

void closeHtmlHelp() {
    if (htmlHelpEntry) htmlHelpEntry(nullptr, nullptr, htmlHelpCloseAll, 0);
}

void showClassicHelp(const std::string& file, const std::string& topic) {
    if (topic.empty())
        WinHelpA(GetActiveWindow(), file.c_str(), HELP_CONTENTS, 0);
    else
        WinHelpA(GetActiveWindow(), file.c_str(), HELP_KEY, reinterpret_cast<ULONG_PTR>(topic.c_str()));
}

void closeClassicHelp() { WinHelpA(GetActiveWindow(), nullptr, HELP_QUIT, 0); }
