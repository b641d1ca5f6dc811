// The probe on USER and GDI: pointer and keys given as real input, and
// messages run through waitEvent as the program's loop runs them (Tab and
// Shift+Tab are shortcuts there).
#include <windows.h>

#include "probe.h"

static HWND hwnd(WindowHandle window) { return static_cast<HWND>(window); }

// A control of the window, or of a window in it (a tab page).
static HWND control(HWND parent, int32_t number) {
    HWND found = GetDlgItem(parent, number);
    for (HWND child = GetWindow(parent, GW_CHILD); child && !found; child = GetWindow(child, GW_HWNDNEXT))
        found = control(child, number);
    return found;
}

// Runs messages through waitEvent until `stop` holds after one; a timer keeps each wait short.
static bool run(const std::function<bool(int32_t)>& stop, int ms) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
    const DWORD start = GetTickCount();
    bool met = stop(0);
    while (!met && GetTickCount() - start < DWORD(ms)) met = stop(waitEvent());
    return KillTimer(nullptr, timer), met;
}

bool probe::pumpUntil(const std::function<bool()>& done, int ms) { return run([&](int32_t) { return done(); }, ms); }
bool probe::awaitEvent(int32_t code, int32_t id, const std::function<bool()>& also, int ms) {
    return run([&](int32_t e) { return e == code && (id < 0 || eventControl() == id) && (!also || also()); }, ms);
}

probe::Rect probe::client(WindowHandle window) {
    RECT r{};
    GetClientRect(hwnd(window), &r);
    MapWindowPoints(hwnd(window), HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
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
void probe::resize(WindowHandle w, int32_t cx, int32_t cy) { SetWindowPos(hwnd(w), nullptr, 0, 0, cx, cy, SWP_NOMOVE); }

uint32_t probe::screenPixel(int32_t x, int32_t y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return uint32_t(GetRValue(colour)) << 16 | uint32_t(GetGValue(colour)) << 8 | GetBValue(colour);
}

probe::Rect probe::controlRect(WindowHandle window, int32_t number) {
    RECT r{};
    if (!IsWindowVisible(control(hwnd(window), number))) return {0, 0, 0, 0};
    GetWindowRect(control(hwnd(window), number), &r);
    MapWindowPoints(HWND_DESKTOP, hwnd(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// A button's or check box's text is one line; a check box's follows its box
// and a gap, a button's stands inside its edges. A control without text needs nothing.
probe::TextFit probe::textFit(WindowHandle window, int32_t number) {
    HWND c = control(hwnd(window), number);
    char text[256] = {}, kind[16] = {};
    GetWindowTextA(c, text, sizeof text), GetClassNameA(c, kind, sizeof kind);
    const bool button = lstrcmpiA(kind, "Button") == 0, box = (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    const int besides = !button ? 0 : box ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 4 * GetSystemMetrics(SM_CXEDGE);
    RECT area{}, need{};
    GetClientRect(c, &area);
    need.right = area.right - besides;
    HDC dc = GetDC(c);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(c, WM_GETFONT, 0, 0)));
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK));
    SelectObject(dc, font), ReleaseDC(c, dc);
    return {need.right + besides, need.bottom, area.right, area.bottom};
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
    const Rect c = client(window);
    SetCursorPos(c.x + x, c.y + y);
    mouse_event(down == held ? MOUSEEVENTF_MOVE : down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    held = down;
}

bool probe::pointerHidden(WindowHandle) {
    CURSORINFO info{sizeof info, 0, nullptr, {}};
    return GetCursorInfo(&info) && !(info.flags & CURSOR_SHOWING);
}
std::string probe::freshStore() { return RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Plaidwick Tests"), ""; }
