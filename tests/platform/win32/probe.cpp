// The probe on USER and GDI: mouse messages posted to the window under the
// point (or the one holding the capture), keys given as keyboard input, and
// messages run through waitEvent as the program's loop runs them (Tab and
// Shift+Tab are shortcuts there).
#include <windows.h>

#include "probe.h"

static HWND hwnd(WindowHandle window) { return static_cast<HWND>(window); }

static HWND control(WindowHandle window, int32_t number) {
    std::pair<int32_t, HWND> search{number, nullptr};
    EnumChildWindows(hwnd(window), [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<std::pair<int32_t, HWND>*>(data);
        return GetDlgCtrlID(child) != s->first || !(s->second = child);
    }, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Runs messages through waitEvent until `stop` holds after one; a timer keeps each wait short.
static bool run(const std::function<bool(int32_t)>& stop, int ms) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
    const DWORD start = GetTickCount();
    bool met = stop(0);
    while (!met && GetTickCount() - start < DWORD(ms)) met = stop(waitEvent());
    return KillTimer(nullptr, timer), met;
}

const char* const probe::programFile = "platform_tests.exe";

bool probe::pumpUntil(const std::function<bool()>& done, int ms) { return run([&](int32_t) { return done(); }, ms); }
bool probe::awaitEvent(int32_t code, int32_t control, const std::function<bool()>& also, int ms) {
    return run([&](int32_t e) { return e == code && (control < 0 || eventControl() == control) && (!also || also()); },
               ms);
}

probe::Rect probe::client(WindowHandle window) {
    RECT r{};
    POINT corner{0, 0};
    GetClientRect(hwnd(window), &r), ClientToScreen(hwnd(window), &corner);
    return {corner.x, corner.y, r.right, r.bottom};
}

bool probe::hasCaption(WindowHandle w) { return (GetWindowLongA(hwnd(w), GWL_STYLE) & WS_CAPTION) == WS_CAPTION; }
bool probe::isVisible(WindowHandle window) { return IsWindowVisible(hwnd(window)); }
int probe::visibleWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM n) { return *(int*)n += IsWindowVisible(w), TRUE; },
                      reinterpret_cast<LPARAM>(&count));
    return count;
}
void probe::activate(WindowHandle window) {
    SetForegroundWindow(hwnd(window)), SetActiveWindow(hwnd(window));
    pumpUntil([&] { return GetActiveWindow() == hwnd(window); });
}
void probe::requestClose(WindowHandle window) { PostMessageA(hwnd(window), WM_SYSCOMMAND, SC_CLOSE, 0); }
void probe::resize(WindowHandle w, int32_t cx, int32_t cy) { SetWindowPos(hwnd(w), 0, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER); }

uint32_t probe::screenPixel(WindowHandle window, int32_t x, int32_t y) {
    const Rect c = client(window);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, c.x + x, c.y + y);
    ReleaseDC(nullptr, screen);
    return uint32_t(GetRValue(colour)) << 16 | uint32_t(GetGValue(colour)) << 8 | GetBValue(colour);
}

probe::Rect probe::controlRect(WindowHandle window, int32_t number) {
    RECT r{};
    if (!IsWindowVisible(control(window, number))) return {0, 0, 0, 0};
    GetWindowRect(control(window, number), &r);
    MapWindowPoints(HWND_DESKTOP, hwnd(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

int32_t probe::focusedControl(WindowHandle w) { return IsChild(hwnd(w), GetFocus()) ? GetDlgCtrlID(GetFocus()) : -1; }

void probe::press(WindowHandle window, Key key) {
    activate(window);
    const BYTE code = key == Key::right ? VK_RIGHT : VK_TAB;
    if (key == Key::shiftTab) keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(code, 0, 0, 0), keybd_event(code, 0, KEYEVENTF_KEYUP, 0);
    if (key == Key::shiftTab) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
}

void probe::mouse(WindowHandle window, int32_t x, int32_t y, bool down) {
    static bool held = false;
    POINT p{x, y};
    HWND target = GetCapture() ? GetCapture() : hwnd(window), child;
    MapWindowPoints(hwnd(window), target, &p, 1);
    while (!GetCapture() && (child = ChildWindowFromPointEx(target, p, CWP_SKIPINVISIBLE)) && child != target)
        MapWindowPoints(target, child, &p, 1), target = child;
    PostMessageA(target, WM_MOUSEMOVE, held ? MK_LBUTTON : 0, MAKELPARAM(p.x, p.y));
    if (down != held) PostMessageA(target, down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down, MAKELPARAM(p.x, p.y));
    held = down;
}

void probe::movePointer(int32_t x, int32_t y) { SetCursorPos(x, y); }
bool probe::pointerHidden(WindowHandle) {
    CURSORINFO info{sizeof info, 0, nullptr, {}};
    return GetCursorInfo(&info) && !(info.flags & CURSOR_SHOWING);
}
std::string probe::freshStore() { return RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Plaidwick Tests"), ""; }
