// Numbered top-level windows, numbered controls and the event loop on the
// Win32 API (USER, common controls, and uxtheme when the desktop is themed).
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>
#include <uxtheme.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "picture/images.h"
#include "platform/drawing_services.h"
#include "platform/window_services.h"
#include "platform/win32/win32_private.h"

namespace {

// Private message that brings a size change through the queue.
constexpr UINT deferredSizeMessage = 12504;
// Commands of the Tab and Shift+Tab shortcuts.
constexpr WORD nextControlCommand = 1212;
constexpr WORD previousControlCommand = 1213;
// A WM_COMMAND sender with this identifier stands for a menu.
constexpr int menuSenderIdentifier = -10000;

// Notification codes as signed numbers (the headers give them unsigned).
constexpr int clickCode = -2;              // NM_CLICK
constexpr int doubleClickCode = -3;        // NM_DBLCLK
constexpr int rightClickCode = -5;         // NM_RCLICK
constexpr int rightDoubleClickCode = -6;   // NM_RDBLCLK
constexpr int itemActivateCode = -114;     // LVN_ITEMACTIVATE
constexpr int upDownDeltaCode = -722;      // UDN_DELTAPOS
constexpr int selectionChangingCode = -552;  // TCN_SELCHANGING
constexpr int selectionChangeCode = -551;    // TCN_SELCHANGE

constexpr DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD checkBoxStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD labelStyle = WS_CHILD | WS_VISIBLE | WS_GROUP;
constexpr DWORD sliderStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD pictureStyle = WS_CHILD | WS_VISIBLE | SS_BITMAP;
constexpr DWORD panelContainerStyle = WS_CHILD | WS_VISIBLE | SS_NOTIFY;
constexpr DWORD tabControlStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
constexpr DWORD tabPageStyle = WS_CHILD | SS_NOTIFY;  // hidden until its tab is selected

// ---------------------------------------------------------------- tables

struct WindowSlot {
    HWND window = nullptr;
    int dpi = 96;                    // the resolution its layout is scaled to (96: as given)
    HACCEL shortcutTable = nullptr;  // Tab and Shift+Tab
    PixelSection surface;            // the off-screen picture, made when first drawn on
};

// A kind of control's operations; a kind without one leaves it empty (an
// empty set-text falls back to the window text).
struct ControlOps {
    int32_t (*getState)(HWND) = nullptr;
    void (*setState)(HWND, int32_t) = nullptr;
    void (*setText)(HWND, const std::string&) = nullptr;
};

struct ControlSlot {
    HWND window = nullptr;
    const ControlOps* ops = nullptr;
    WNDPROC previousProc = nullptr;
};

std::vector<WindowSlot> windowTable;
int32_t windowCount = 0;
HWND currentTopWindow = nullptr;

std::vector<ControlSlot> controlTable;
int32_t controlCount = 0;
HWND controlParent = nullptr;
std::vector<HWND> savedParents;

HBRUSH buttonFaceBrush = nullptr;
HFONT guiFont = nullptr;

// Windows that are not numbered controls but whose messages this layer
// takes over (panel containers and tab pages): their previous procedures.
std::map<HWND, WNDPROC> takenOverWindows;

// Event state: the event a dispatched message raised, and the control of
// the latest control or menu event.
int32_t pendingEvent = 0;
int32_t eventControlNumber = 0;

// Themed page backgrounds, decided when the first panel is made.
bool themeChecked = false;
bool themedPages = false;
using DrawThemeParentBackgroundEntry = HRESULT(WINAPI*)(HWND, HDC, RECT*);
DrawThemeParentBackgroundEntry drawThemeParentBackground = nullptr;
struct ThemedBrush {
    HBRUSH brush = nullptr;
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
};
std::map<HWND, ThemedBrush> themedBrushes;

void growWindowTable(int32_t number) {
    if (number < windowCount) return;
    windowCount = number + 30;
    windowTable.resize(static_cast<size_t>(windowCount) + 2);
}

void growControlTable(int32_t number) {
    if (number < controlCount) return;
    controlCount = number + 30;
    controlTable.resize(static_cast<size_t>(controlCount) + 2);
}

ControlSlot* controlSlot(int32_t number) {
    if (number < 0 || static_cast<size_t>(number) >= controlTable.size()) return nullptr;
    ControlSlot& slot = controlTable[static_cast<size_t>(number)];
    return slot.window ? &slot : nullptr;
}

ControlSlot* controlSlotOf(HWND window) {
    for (ControlSlot& slot : controlTable)
        if (slot.window == window) return &slot;
    return nullptr;
}

std::string decimal(long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%ld", value);
    return text;
}

HWND topLevelOf(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    return root ? root : window;
}

// ---------------------------------------------------------------- scaled layouts

// The desktop's text resolution (dots per inch).
int screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// The resolution that the layout of the window holding `window` is scaled to.
int layoutDpi(HWND window) {
    const HWND top = topLevelOf(window);
    for (const WindowSlot& slot : windowTable)
        if (slot.window && slot.window == top) return slot.dpi;
    return 96;
}

int32_t scaled(int32_t value, int dpi) { return dpi == 96 ? value : MulDiv(value, dpi, 96); }

struct Box {
    int32_t x, y, width, height;
};
Box scaledBox(int32_t x, int32_t y, int32_t width, int32_t height, int dpi) {
    return {scaled(x, dpi), scaled(y, dpi), scaled(width, dpi), scaled(height, dpi)};
}

// ---------------------------------------------------------------- focus

void collectTabStops(HWND parent, std::vector<HWND>& stops) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowEnabled(child) && IsWindowVisible(child) &&
            (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP))
            stops.push_back(child);
        collectTabStops(child, stops);
    }
}

// Moves the keyboard focus to the next (or previous) tab stop of the active
// window, wrapping at the ends.
void moveFocus(bool forward) {
    HWND active = GetActiveWindow();
    if (!active) return;
    std::vector<HWND> stops;
    collectTabStops(active, stops);
    if (stops.empty()) return;
    const HWND focused = GetFocus();
    int at = -1;
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == focused) at = static_cast<int>(i);
    const int count = static_cast<int>(stops.size());
    int next;
    if (at < 0)
        next = forward ? 0 : count - 1;
    else
        next = forward ? (at + 1) % count : (at + count - 1) % count;
    SetFocus(stops[static_cast<size_t>(next)]);
}

// ---------------------------------------------------------------- events

void raiseEvent(int32_t code, int32_t control) {
    pendingEvent = code;
    eventControlNumber = control;
}

bool classNameStartsWith(HWND window, const char* prefix) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

// Whether a tab control's or list's notification raises a control event.
bool notificationRaisesEvent(int code) {
    switch (code) {
    case clickCode:
    case rightClickCode:
    case doubleClickCode:
    case rightDoubleClickCode:
    case itemActivateCode:
    case -402:
    case -101:
        return true;
    default:
        return false;
    }
}

// The messages that every top-level window and every tab page turns into
// events. True when the message was handled, with its result.
bool handleEventMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
    case WM_COMMAND:
        if (lParam) {
            const int sender = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (sender == menuSenderIdentifier) {
                raiseEvent(menuEvent, LOWORD(wParam));
            } else {
                raiseEvent(controlEvent, sender);
            }
        } else if (LOWORD(wParam) == nextControlCommand) {
            moveFocus(true);
        } else if (LOWORD(wParam) == previousControlCommand) {
            moveFocus(false);
        } else {
            raiseEvent(menuEvent, LOWORD(wParam));
        }
        return true;
    case WM_HSCROLL:
    case WM_VSCROLL:
        raiseEvent(controlEvent, lParam ? GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) : 0);
        return true;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header) return true;
        const int code = static_cast<int>(header->code);
        if (code == upDownDeltaCode ||
            ((classNameStartsWith(header->hwndFrom, "SysT") || classNameStartsWith(header->hwndFrom, "SysL")) &&
             notificationRaisesEvent(code)))
            raiseEvent(controlEvent, static_cast<int32_t>(header->idFrom));
        return true;
    }
    case WM_SIZE:
        PostMessageA(window, deferredSizeMessage, 0, 0);
        return false;
    case deferredSizeMessage:
        raiseEvent(resizeEvent, eventControlNumber);
        return true;
    case WM_CLOSE:
        // The window stays open: the logic decides what a close request means.
        raiseEvent(closeEvent, eventControlNumber);
        return true;
    default:
        return false;
    }
}

// A window whose off-screen picture exists repaints from it.
bool paintFromSurface(HWND window) {
    for (const WindowSlot& slot : windowTable) {
        if (slot.window != window || !slot.surface.bitmap) continue;
        PAINTSTRUCT paint;
        if (HDC context = BeginPaint(window, &paint)) {
            copySectionTo(context, slot.surface);
            EndPaint(window, &paint);
        }
        return true;
    }
    return false;
}

LRESULT CALLBACK eventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result;
    if (handleEventMessage(window, message, wParam, lParam, result)) return result;
    if (message == WM_PAINT && paintFromSurface(window)) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---------------------------------------------------------------- themed page backgrounds

void checkTheme() {
    if (themeChecked) return;
    themeChecked = true;
    long version = 1;
    if (HMODULE comctl = GetModuleHandleA("COMCTL32.DLL")) {
        auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
            reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
        if (getVersion) {
            DLLVERSIONINFO info = {};
            info.cbSize = sizeof info;
            if (SUCCEEDED(getVersion(&info)))
                version = static_cast<long>(info.dwMajorVersion * 65536 + info.dwMinorVersion);
        }
    }
    HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
    if (!uxtheme) return;
    using IsAppThemedEntry = BOOL(WINAPI*)();
    auto isAppThemed = reinterpret_cast<IsAppThemedEntry>(
        reinterpret_cast<void*>(GetProcAddress(uxtheme, "IsAppThemed")));
    drawThemeParentBackground = reinterpret_cast<DrawThemeParentBackgroundEntry>(
        reinterpret_cast<void*>(GetProcAddress(uxtheme, "DrawThemeParentBackground")));
    themedPages = isAppThemed && isAppThemed() && drawThemeParentBackground && version >= 6 * 65536;
}

void releaseThemedBrush(HWND control) {
    auto found = themedBrushes.find(control);
    if (found == themedBrushes.end()) return;
    DeleteObject(found->second.brush);
    DeleteObject(found->second.bitmap);
    themedBrushes.erase(found);
}

// A brush holding the tab control's themed background behind `control`.
HBRUSH themedBrushFor(HWND control, HDC reference) {
    RECT area;
    GetClientRect(control, &area);
    auto found = themedBrushes.find(control);
    if (found != themedBrushes.end() && found->second.width == area.right &&
        found->second.height == area.bottom)
        return found->second.brush;
    releaseThemedBrush(control);
    HDC memory = CreateCompatibleDC(reference);
    HBITMAP bitmap = CreateCompatibleBitmap(reference, area.right > 0 ? area.right : 1,
                                            area.bottom > 0 ? area.bottom : 1);
    if (!memory || !bitmap) {
        if (memory) DeleteDC(memory);
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    drawThemeParentBackground(control, memory, &area);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ThemedBrush entry{CreatePatternBrush(bitmap), bitmap, area.right, area.bottom};
    themedBrushes[control] = entry;
    return entry.brush;
}

// ---------------------------------------------------------------- tabbed panels

HWND pageOfTab(HWND tab, int index) {
    if (index < 0) return nullptr;
    TCITEMA item = {};
    item.mask = TCIF_PARAM;
    if (!SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<HWND>(item.lParam);
}

HWND selectedPage(HWND tab) {
    return pageOfTab(tab, static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0)));
}

// Puts a page under the tabs: (2, tab height + 4), 4 narrower and
// tab height + 6 lower than the tab control's client area.
void placePage(HWND tab, HWND page) {
    if (!page) return;
    const int rows = static_cast<int>(SendMessageA(tab, TCM_GETROWCOUNT, 0, 0));
    RECT itemRect = {};
    SendMessageA(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&itemRect));
    const int tabHeight = rows * (itemRect.bottom - itemRect.top);
    RECT client;
    GetClientRect(tab, &client);
    SetWindowPos(page, nullptr, 2, tabHeight + 4, client.right - 4, client.bottom - tabHeight - 6,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void notifyContainer(HWND tab, int code) {
    NMHDR header = {};
    header.hwndFrom = tab;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tab));
    header.code = static_cast<UINT>(code);
    SendMessageA(GetParent(tab), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void selectTab(HWND tab, int index) {
    notifyContainer(tab, selectionChangingCode);
    SendMessageA(tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    notifyContainer(tab, selectionChangeCode);
}

LRESULT callTakenOver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto found = takenOverWindows.find(window);
    WNDPROC previous = found != takenOverWindows.end() ? found->second : nullptr;
    if (message == WM_NCDESTROY) {
        takenOverWindows.erase(window);
        if (previous) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    return previous ? CallWindowProcA(previous, window, message, wParam, lParam)
                    : DefWindowProcA(window, message, wParam, lParam);
}

// The panel's container: switches pages around a selection change and turns
// the tab control's other notifications into a control event of the panel.
LRESULT CALLBACK panelContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || !classNameStartsWith(header->hwndFrom, "SysTabControl32"))
            return callTakenOver(window, message, wParam, lParam);
        HWND tab = header->hwndFrom;
        const int code = static_cast<int>(header->code);
        if (code == selectionChangingCode) {
            if (HWND page = selectedPage(tab)) {
                ShowWindow(page, SW_HIDE);
                EnableWindow(page, FALSE);
            }
            return FALSE;
        }
        if (code == selectionChangeCode) {
            if (HWND page = selectedPage(tab)) {
                placePage(tab, page);
                ShowWindow(page, SW_SHOW);
                EnableWindow(page, TRUE);
            }
            return 0;
        }
        SetFocus(tab);
        PostMessageA(topLevelOf(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(tab), 0),
                     reinterpret_cast<LPARAM>(tab));
        return 0;
    }
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
        return 0;
    case WM_COMMAND:
        PostMessageA(GetParent(window), WM_COMMAND, wParam, lParam);
        return 0;
    default:
        return callTakenOver(window, message, wParam, lParam);
    }
}

// A tab page: its controls' commands go to the top-level window, their
// other messages become events here; on a themed desktop the controls get
// the tab control's background behind them.
LRESULT CALLBACK tabPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return SendMessageA(topLevelOf(window), WM_COMMAND, wParam, lParam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (themedPages) {
            HDC context = reinterpret_cast<HDC>(wParam);
            SetBkMode(context, TRANSPARENT);
            if (HBRUSH brush = themedBrushFor(reinterpret_cast<HWND>(lParam), context))
                return reinterpret_cast<LRESULT>(brush);
        }
        break;
    default: {
        LRESULT result;
        if (handleEventMessage(window, message, wParam, lParam, result)) return result;
        break;
    }
    }
    return callTakenOver(window, message, wParam, lParam);
}

void takeOver(HWND window, WNDPROC procedure) {
    takenOverWindows[window] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

// ---------------------------------------------------------------- controls

// Every numbered control: frees its slot when the platform destroys it; a
// tab control also re-places its page when its font changes.
LRESULT CALLBACK controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ControlSlot* slot = controlSlotOf(window);
    WNDPROC previous = slot ? slot->previousProc : nullptr;
    if (!previous) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // A picture deletes the bitmap copy it showed.
        if ((GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            DeleteObject(reinterpret_cast<HGDIOBJ>(SendMessageA(window, STM_GETIMAGE, IMAGE_BITMAP, 0)));
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        *slot = ControlSlot{};
        releaseThemedBrush(window);
        return CallWindowProcA(previous, window, message, wParam, lParam);
    }
    const LRESULT result = CallWindowProcA(previous, window, message, wParam, lParam);
    if (message == WM_SETFONT && classNameStartsWith(window, "SysTabControl32"))
        placePage(window, selectedPage(window));
    return result;
}

// The controls' font at a layout's resolution: the default GUI font, and at
// other resolutions its face at the 8 points it has at 96 per inch (Windows
// does not scale the stock font with the resolution). Kept for the process.
HFONT fontFor(int dpi) {
    static std::map<int, HFONT> made;
    if (dpi == 96) return guiFont;
    HFONT& font = made[dpi];
    if (!font) {
        LOGFONTA face{};
        GetObjectA(guiFont, sizeof face, &face);
        face.lfHeight = -MulDiv(8, dpi, 72);
        face.lfWidth = 0;
        font = CreateFontIndirectA(&face);
    }
    return font ? font : guiFont;
}

void setWindowFont(HWND window) {
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(layoutDpi(window))), TRUE);
}

int32_t checkBoxState(HWND window) {
    return SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}
void setCheckBoxState(HWND window, int32_t state) {
    SendMessageA(window, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool isVerticalSlider(HWND window) { return (GetWindowLongA(window, GWL_STYLE) & TBS_VERT) != 0; }
int32_t sliderRangeSum(HWND window) {
    return static_cast<int32_t>(SendMessageA(window, TBM_GETRANGEMIN, 0, 0) +
                                SendMessageA(window, TBM_GETRANGEMAX, 0, 0));
}
// A vertical slider counts from its top end, which is its maximum.
int32_t sliderState(HWND window) {
    const int32_t position = static_cast<int32_t>(SendMessageA(window, TBM_GETPOS, 0, 0));
    return isVerticalSlider(window) ? sliderRangeSum(window) - position : position;
}
void setSliderState(HWND window, int32_t state) {
    // The slider clamps a position outside its range itself, but Wine's then
    // repaints only around the unclamped position and the thumb vanishes;
    // clamping first gives the same position and a correct picture.
    const int32_t minimum = static_cast<int32_t>(SendMessageA(window, TBM_GETRANGEMIN, 0, 0));
    const int32_t maximum = static_cast<int32_t>(SendMessageA(window, TBM_GETRANGEMAX, 0, 0));
    int32_t position = isVerticalSlider(window) ? minimum + maximum - state : state;
    if (position < minimum) position = minimum;
    if (position > maximum) position = maximum;
    SendMessageA(window, TBM_SETPOS, TRUE, position);
}

// Draws a view's pixels onto a section of another size, smoothed.
void stretchInto(const PixelSection& target, const PixelView& pixels) {
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory) return;
    HGDIOBJ previous = SelectObject(memory, target.bitmap);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), pixels.stride, -pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetStretchBltMode(memory, HALFTONE);
    SetBrushOrgEx(memory, 0, 0, nullptr);
    StretchDIBits(memory, 0, 0, target.pixels.width, target.pixels.height, 0, 0, pixels.width, pixels.height,
                  pixels.pixels, &info, DIB_RGB_COLORS, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// A picture control shows its own bitmap copy of an image's pixels, scaled
// with its window's layout, and deletes the one it showed before.
void showImage(HWND window, const PixelView& pixels) {
    const int dpi = layoutDpi(window);
    PixelSection copy = createSection(scaled(pixels.width, dpi), scaled(pixels.height, dpi));
    if (copy.bitmap && dpi != 96) stretchInto(copy, pixels);
    for (int32_t y = 0; y < pixels.height && copy.bitmap && dpi == 96; ++y)
        std::memcpy(copy.pixels.row(y), pixels.row(y), static_cast<size_t>(pixels.width) * sizeof(uint32_t));
    const LRESULT old = SendMessageA(window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(copy.bitmap));
    if (old) DeleteObject(reinterpret_cast<HGDIOBJ>(old));
}

// The state of a picture is the image slot it shows.
void setPictureState(HWND window, int32_t slot) { showImage(window, imagePixels(slot)); }

int32_t tabPanelState(HWND window) { return static_cast<int32_t>(SendMessageA(window, TCM_GETCURSEL, 0, 0)); }
void setTabPanelState(HWND window, int32_t index) {
    if (index >= 0 && index < SendMessageA(window, TCM_GETITEMCOUNT, 0, 0)) selectTab(window, index);
}
// A panel's text is the text of its selected tab.
void setTabPanelText(HWND window, const std::string& text) {
    const LRESULT selected = SendMessageA(window, TCM_GETCURSEL, 0, 0);
    if (selected < 0) return;
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(window, TCM_SETITEMA, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&item));
}

const ControlOps buttonOps{};
const ControlOps checkBoxOps{checkBoxState, setCheckBoxState, nullptr};
const ControlOps labelOps{};
const ControlOps sliderOps{sliderState, setSliderState, nullptr};
const ControlOps pictureOps{nullptr, setPictureState, nullptr};
const ControlOps tabPanelOps{tabPanelState, setTabPanelState, setTabPanelText};

HWND makeChild(HWND parent, DWORD extendedStyle, const char* className, const std::string& text,
               DWORD style, int32_t x, int32_t y, int32_t width, int32_t height, int32_t identifier) {
    return CreateWindowExA(extendedStyle, className, text.c_str(), style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(identifier)), programInstance(),
                           nullptr);
}

// Makes control `number` on the control parent, placed with its window's
// layout scale, and takes its messages over.
HWND makeControl(int32_t number, DWORD extendedStyle, const char* className, const std::string& text,
                 DWORD style, int32_t x, int32_t y, int32_t width, int32_t height, const ControlOps& ops) {
    if (number < 0 || !controlParent) return nullptr;
    growControlTable(number);
    if (ControlSlot* old = controlSlot(number)) DestroyWindow(old->window);
    const Box box = scaledBox(x, y, width, height, layoutDpi(controlParent));
    HWND window = makeChild(controlParent, extendedStyle, className, text, style, box.x, box.y, box.width,
                            box.height, number);
    if (!window) return nullptr;
    ControlSlot& slot = controlTable[static_cast<size_t>(number)];
    slot.window = window;
    slot.ops = &ops;
    slot.previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc)));
    return window;
}

// ---------------------------------------------------------------- window classes

WNDCLASSEXA classAttributes(const char* name) {
    WNDCLASSEXA attributes = {};
    attributes.cbSize = sizeof attributes;
    attributes.style = 0;
    attributes.lpfnWndProc = eventWindowProc;
    attributes.hInstance = programInstance();
    attributes.hIcon = LoadIconA(programInstance(), MAKEINTRESOURCEA(1));
    attributes.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    attributes.hbrBackground = buttonFaceBrush;
    attributes.lpszClassName = name;
    return attributes;
}

std::string windowClassName(int32_t number) { return "WindowClass_" + decimal(number); }

void closeWindowSlot(int32_t number) {
    if (number < 0 || static_cast<size_t>(number) >= windowTable.size()) return;
    WindowSlot& slot = windowTable[static_cast<size_t>(number)];
    if (slot.window) {
        if (slot.window == currentTopWindow) currentTopWindow = nullptr;
        DestroyWindow(slot.window);
        UnregisterClassA(windowClassName(number).c_str(), programInstance());
    }
    if (slot.shortcutTable) DestroyAcceleratorTable(slot.shortcutTable);
    deleteSection(slot.surface);
    slot = WindowSlot{};
}

// Turns the caller's flags into a window style: the centring and scaling
// bits go, a bare (or only "hidden") style gets a caption, and the
// visibility bit is inverted.
DWORD styleFromFlags(uint32_t flags) {
    uint32_t style = flags & ~static_cast<uint32_t>(centreOnScreen | centreOverActive | scaledLayout);
    if (style == 0 || style == styleHiddenBit) style |= styleCaption;
    return style ^ styleHiddenBit;
}

// An arithmetic halving, towards minus infinity.
int32_t half(int32_t value) { return value >> 1; }

void giveShortcuts(WindowSlot& slot) {
    ACCEL shortcuts[] = {{FVIRTKEY, VK_TAB, nextControlCommand}, {FVIRTKEY | FSHIFT, VK_TAB, previousControlCommand}};
    slot.shortcutTable = CreateAcceleratorTableA(shortcuts, 2);
}

HACCEL shortcutsOf(HWND window) {
    if (!window) return nullptr;
    for (const WindowSlot& slot : windowTable)
        if (slot.window == window) return slot.shortcutTable;
    return nullptr;
}

}  // namespace

void clearPendingEvent() { pendingEvent = 0; }

void initWindowServices() {
    windowTable.clear();
    windowCount = 10;
    windowTable.resize(static_cast<size_t>(windowCount) + 2);
    currentTopWindow = nullptr;
    if (!buttonFaceBrush) buttonFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    const WNDCLASSEXA templateClass = classAttributes("TemplateClass");
    RegisterClassExA(&templateClass);
}

void initControlServices() {
    controlTable.clear();
    controlCount = 30;
    controlTable.resize(static_cast<size_t>(controlCount) + 2);
    controlParent = nullptr;
    savedParents.clear();
    guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void initCommonControls() { InitCommonControls(); }

WindowHandle openTopWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                           uint32_t flags, const std::string& title) {
    if (number < 0) return nullptr;
    growWindowTable(number);
    closeWindowSlot(number);

    const std::string className = windowClassName(number);
    const WNDCLASSEXA attributes = classAttributes(className.c_str());
    RegisterClassExA(&attributes);

    const DWORD style = styleFromFlags(flags);
    const int dpi = (flags & scaledLayout) ? screenDpi() : 96;
    const Box box = scaledBox(x, y, width, height, dpi);
    RECT frame{box.x, box.y, box.x + box.width, box.y + box.height};
    AdjustWindowRect(&frame, style, FALSE);
    const int32_t outerWidth = frame.right - frame.left;
    const int32_t outerHeight = frame.bottom - frame.top;
    int32_t left = box.x;
    int32_t top = box.y;
    HWND active = (flags & centreOverActive) ? GetActiveWindow() : nullptr;
    if (active) {
        RECT area;
        GetWindowRect(active, &area);
        left = area.left + half(area.right - area.left) - half(outerWidth);
        top = area.top + half(area.bottom - area.top) - half(outerHeight);
        if (left < 0) left = 0;
        if (top < 0) top = 0;
    } else if (flags & (centreOnScreen | centreOverActive)) {
        const int32_t screenW = GetSystemMetrics(SM_CXSCREEN);
        const int32_t screenH = GetSystemMetrics(SM_CYSCREEN);
        left = half(screenW) - half(outerWidth < screenW ? outerWidth : screenW);
        top = half(screenH) - half(outerHeight < screenH ? outerHeight : screenH);
    }

    HWND window = CreateWindowExA(0, className.c_str(), title.c_str(), style, left, top, outerWidth,
                                  outerHeight, nullptr, nullptr, programInstance(), nullptr);
    if (!window) {
        UnregisterClassA(className.c_str(), programInstance());
        return nullptr;
    }
    WindowSlot& slot = windowTable[static_cast<size_t>(number)];
    slot.window = window;
    slot.dpi = dpi;
    giveShortcuts(slot);
    currentTopWindow = window;
    return window;
}

WindowHandle currentWindow() { return currentTopWindow; }

PixelView windowSurface(WindowHandle window) {
    if (!window) return PixelView{};
    for (WindowSlot& slot : windowTable) {
        if (slot.window != window) continue;
        if (!slot.surface.bitmap) {
            RECT client{};
            GetClientRect(slot.window, &client);
            slot.surface = createSection(client.right, client.bottom);
        }
        return slot.surface.pixels;
    }
    return PixelView{};
}

void presentWindow(WindowHandle window) {
    for (const WindowSlot& slot : windowTable) {
        if (slot.window != window || !slot.surface.bitmap) continue;
        if (HDC context = GetDC(slot.window)) {
            copySectionTo(context, slot.surface);
            ReleaseDC(slot.window, context);
        }
        ValidateRect(slot.window, nullptr);
    }
}

void closeAllWindows() {
    for (size_t number = windowTable.size(); number-- > 0;) closeWindowSlot(static_cast<int32_t>(number));
}

WindowHandle beginControlList(WindowHandle window) {
    controlParent = static_cast<HWND>(window);
    return window;
}

void addButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
               const std::string& text) {
    if (HWND window = makeControl(number, 0, "BUTTON", text, buttonStyle, x, y, width, height, buttonOps))
        setWindowFont(window);
}

void addCheckBox(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                 const std::string& text) {
    if (HWND window = makeControl(number, 0, "BUTTON", text, checkBoxStyle, x, y, width, height, checkBoxOps))
        setWindowFont(window);
}

void addLabel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
              const std::string& text, int32_t flags) {
    const DWORD extendedStyle = (flags & labelSunken) ? WS_EX_CLIENTEDGE : 0;
    if (HWND window = makeControl(number, extendedStyle, "STATIC", text,
                                  labelStyle | static_cast<DWORD>(flags), x, y, width, height, labelOps))
        setWindowFont(window);
}

void addSlider(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
               int32_t minimum, int32_t maximum, int32_t flags) {
    HWND window = makeControl(number, 0, TRACKBAR_CLASSA, "", sliderStyle | static_cast<DWORD>(flags), x, y,
                              width, height, sliderOps);
    if (!window) return;
    auto clampRange = [](int32_t value) { return value < 0 ? 0 : value > 10000 ? 10000 : value; };
    SendMessageA(window, TBM_SETRANGE, TRUE, MAKELPARAM(clampRange(minimum), clampRange(maximum)));
    SendMessageA(window, TBM_SETPOS, TRUE, 0);
}

void addPicture(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                ImageHandle image, int32_t flags) {
    HWND window = makeControl(number, static_cast<DWORD>(flags), "STATIC", "", pictureStyle, x, y, width, height,
                              pictureOps);
    if (window) showImage(window, pixelsOfImage(image));
}

ControlHandle addTabPanel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (number < 0 || !controlParent) return nullptr;
    checkTheme();
    // The container is placed as makeControl places the tab control in it.
    const Box box = scaledBox(x, y, width, height, layoutDpi(controlParent));
    HWND container = makeChild(controlParent, 0, "STATIC", "", panelContainerStyle, box.x, box.y, box.width,
                               box.height, number);
    if (!container) return nullptr;
    takeOver(container, panelContainerProc);
    const HWND parent = controlParent;
    controlParent = container;
    HWND tab = makeControl(number, 0, WC_TABCONTROLA, "", tabControlStyle, 0, 0, width, height, tabPanelOps);
    controlParent = parent;
    if (!tab) return nullptr;
    setWindowFont(tab);
    savedParents.push_back(parent);
    return tab;
}

void addTabPage(int32_t panel, int32_t position, const std::string& text) {
    ControlSlot* slot = controlSlot(panel);
    if (!slot || slot->ops != &tabPanelOps) return;
    HWND tab = slot->window;
    HWND page = makeChild(tab, 0, "STATIC", "", tabPageStyle, 0, 0, 0, 0, 0);
    if (!page) return;
    takeOver(page, tabPageProc);

    TCITEMA item = {};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = reinterpret_cast<LPARAM>(page);
    const LRESULT count = SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0);
    const WPARAM at = static_cast<WPARAM>(position < 0 || position > count ? count : position);
    SendMessageA(tab, TCM_INSERTITEMA, at, reinterpret_cast<LPARAM>(&item));
    controlParent = page;
    if (SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0) == 1) selectTab(tab, 0);

    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void endTabPanel() {
    if (savedParents.empty()) return;
    controlParent = savedParents.back();
    savedParents.pop_back();
}

void setControlText(int32_t number, const std::string& text) {
    ControlSlot* slot = controlSlot(number);
    if (!slot) return;
    if (slot->ops && slot->ops->setText)
        slot->ops->setText(slot->window, text);
    else
        SetWindowTextA(slot->window, text.c_str());
}

void setControlState(int32_t number, int32_t state) {
    ControlSlot* slot = controlSlot(number);
    if (slot && slot->ops && slot->ops->setState) slot->ops->setState(slot->window, state);
}

int32_t getControlState(int32_t number) {
    ControlSlot* slot = controlSlot(number);
    return slot && slot->ops && slot->ops->getState ? slot->ops->getState(slot->window) : 0;
}

int32_t waitEvent() {
    MSG msg;
    if (GetMessageA(&msg, nullptr, 0, 0) == -1) return 0;
    HWND active = GetActiveWindow();
    HACCEL shortcuts = shortcutsOf(active);
    if (!shortcuts || !TranslateAcceleratorA(active, shortcuts, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    const int32_t result = pendingEvent ? pendingEvent : static_cast<int32_t>(msg.message);
    pendingEvent = 0;
    return result;
}

int32_t eventControl() { return eventControlNumber; }
