// Process, time, cursor and screen services on the Win32 API.
#include <windows.h>

#include "platform/host_services.h"
#include "platform/process_services.h"
#include "platform/win32/win32_private.h"
#include "startup/program.h"

std::string programArgument(int index) { return commandLineArgument(GetCommandLineA(), index); }

uint32_t tickCount() { return GetTickCount(); }

void exitProcess() { ExitProcess(0); }

bool cursorPosition(int32_t& x, int32_t& y) {
    POINT p;
    if (!GetCursorPos(&p)) return false;
    x = p.x;
    y = p.y;
    return true;
}

void setCursorVisible(bool visible) { ShowCursor(visible ? TRUE : FALSE); }

int32_t screenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

int32_t screenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

namespace {

// Dispatches what is queued; whatever event a message raises (a close
// request, a resize) is dropped. True when there was something.
bool dispatchQueued() {
    bool any = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        clearPendingEvent();
        any = true;
    }
    return any;
}

} // namespace

// The pointer's motion over the show's window is a message: it ends the sleep.
void waitForWindowEvents(int32_t milliseconds) {
    if (dispatchQueued() || milliseconds <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), QS_ALLINPUT);
    dispatchQueued();
}

// Windows hosts run a screensaver with its own switches; there are no
// adopted windows here.
WindowHandle adoptWindow(uint64_t) { return nullptr; }

HostEvent waitForHostEvent(WindowHandle, int32_t milliseconds) {
    Sleep(static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0));
    return HostEvent::timeout;
}

HINSTANCE programInstance() { return GetModuleHandleA(nullptr); }
