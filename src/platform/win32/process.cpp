// Process, time, cursor and screen services on the Win32 API.
#include <windows.h>

#include "platform/process_services.h"
#include "platform/win32/win32_private.h"
#include "startup/program.h"

std::string programArgument(int index) { return commandLineArgument(GetCommandLineA(), index); }

uint32_t tickCount() { return GetTickCount(); }

void sleepMilliseconds(int milliseconds) { Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds)); }

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

void serviceWindowEvents() {
    // Dispatching keeps the show window painted and answered; whatever
    // event a message raises (a close request, a resize) is dropped.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        clearPendingEvent();
    }
}

HINSTANCE programInstance() { return GetModuleHandleA(nullptr); }
