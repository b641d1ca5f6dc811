// Windows, controls and events on real USER windows and common controls.
// Input is posted to the controls as the system would deliver it, and
// events are read back through waitEvent.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/window_services.h"
#include "win32_test_support.h"

namespace {

constexpr DWORD styleMask = ~static_cast<DWORD>(WS_CLIPSIBLINGS);  // the system adds it to top-level windows
constexpr UINT_PTR watchdogTimer = 77;

RECT rectOf(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

SIZE clientSize(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

HWND open(int32_t number, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t flags, const char* title = "") {
    return static_cast<HWND>(openTopWindow(number, x, y, w, h, flags, title));
}

HWND controlWindow(HWND top, int id) {
    // Controls may sit on tab pages: search the whole tree.
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        top,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char name[32];
            GetClassNameA(child, name, sizeof name);
            // The tab control, not its container, carries the panel's number.
            if (GetDlgCtrlID(child) == s->id && !(std::string(name) == "Static" && GetWindow(child, GW_CHILD) &&
                                                  GetDlgCtrlID(GetWindow(child, GW_CHILD)) == s->id)) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs waitEvent until the watchdog timer fires (it comes after every posted
// and input message), collecting the events it gave.
std::vector<int32_t> eventsUntilQuiet(HWND window, UINT milliseconds = 150) {
    std::vector<int32_t> events;
    SetTimer(window, watchdogTimer, milliseconds, nullptr);
    for (int i = 0; i < 10000; ++i) {
        const int32_t event = waitEvent();
        if (event == WM_TIMER) break;
        events.push_back(event);
    }
    KillTimer(window, watchdogTimer);
    return events;
}

bool contains(const std::vector<int32_t>& events, int32_t event) {
    for (int32_t e : events)
        if (e == event) return true;
    return false;
}

void postClick(HWND control, int x, int y) {
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// Holds Shift or not in the thread's key state (which the shortcut table consults).
void holdShift(bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Posts a Tab key press to the focused control.
void postTab(bool shift) {
    holdShift(shift);
    HWND focused = GetFocus();
    PostMessageA(focused, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(focused, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC00F0001u));
}

class Windows : public ::testing::Test {
protected:
    void TearDown() override {
        holdShift(false);
        closeAllWindows();
        pumpMessages();
    }
};

// Style, visibility and client size of each kind of window; only the popup has no frame.
TEST_F(Windows, FlagsGiveTheStyleVisibilityAndClientSize) {
    const struct { uint32_t flags; bool visible, caption; DWORD style; } cases[] = {
        {stylePopup, true, false, 0x90000000u},
        {styleHiddenBit, false, true, 0},  // the hidden bit is inverted
        {0, true, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        HWND window = open(1, 0, 0, 200, 100, c.flags);
        ASSERT_TRUE(window);
        EXPECT_EQ(currentWindow(), window);
        const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & styleMask;
        EXPECT_TRUE(!c.style || style == c.style) << std::hex << style;
        EXPECT_EQ(IsWindowVisible(window) != FALSE, c.visible);
        EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, c.caption);
        EXPECT_EQ(clientSize(window).cx, 200);
        EXPECT_EQ(clientSize(window).cy, 100);
        const RECT r = rectOf(window);
        EXPECT_EQ(r.right - r.left == 200 && r.bottom - r.top == 100, !c.caption) << "outer size";
    }
}

// Where the outer corner lands: as asked, centred on the screen or over the active window,
// clamped at the screen's and the active window's corner.
TEST_F(Windows, PlacementFollowsTheCentringFlags) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const uint32_t over = stylePopup | centreOverActive;
    const struct { RECT active; int32_t x, y, w, h; uint32_t flags; int left, top; } cases[] = {
        {{}, 50, 60, 200, 100, stylePopup, 50, 60},
        {{}, 500, 500, sw + 300, sh + 200, stylePopup | centreOnScreen, 0, 0},
        {{0, 0, 100, 80}, 300, 300, 400, 300, over, 0, 0},
        {{400, 300, 700, 500}, 0, 0, 101, 51, over, 400 + 150 - 50, 300 + 100 - 25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.left);
        if (c.active.right) {
            HWND active = open(1, c.active.left, c.active.top, c.active.right - c.active.left,
                               c.active.bottom - c.active.top, stylePopup);
            SetActiveWindow(active);
            ASSERT_EQ(GetActiveWindow(), active);
        }
        const RECT r = rectOf(open(2, c.x, c.y, c.w, c.h, c.flags));
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
        closeAllWindows();
    }
}

TEST_F(Windows, DialogFrameKeepsTheClientSizeAndIsCentredOnTheScreen) {
    HWND window = open(0, 361, 207, 420, 300, styleCaption | styleSystemMenu | styleSizingBorder | centreOnScreen,
                       "Plaidwick ScreenSaver 1.0");
    ASSERT_TRUE(window);
    EXPECT_EQ(clientSize(window).cx, 420);
    EXPECT_EQ(clientSize(window).cy, 300);
    // As much screen left of the window as right of it (to a pixel).
    const RECT r = rectOf(window);
    EXPECT_LE(std::abs(r.left - (GetSystemMetrics(SM_CXSCREEN) - r.right)), 1);
    EXPECT_LE(std::abs(r.top - (GetSystemMetrics(SM_CYSCREEN) - r.bottom)), 1);
}

TEST_F(Windows, ReopeningANumberReplacesTheWindowAndWithdrawsItsClass) {
    HWND first = open(12, 0, 0, 50, 50, stylePopup);
    ASSERT_TRUE(first);
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "WindowClass_12", &info));
    EXPECT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "TemplateClass", &info));
    HWND second = open(12, 0, 0, 60, 60, stylePopup);
    ASSERT_TRUE(second);
    EXPECT_FALSE(IsWindow(first));
    closeAllWindows();
    EXPECT_FALSE(IsWindow(second));
    EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), "WindowClass_12", &info));
    EXPECT_EQ(currentWindow(), nullptr);
}

TEST_F(Windows, SlidersShowTheirPositionClampedToTheRange) {
    HWND window = open(0, 0, 0, 400, 200, styleCaption, "sliders");
    ASSERT_TRUE(beginControlList(window));
    addSlider(6, 10, 10, 290, 20, 1, 10, sliderTicks);
    addSlider(9, 10, 40, 290, 20, 1, 60, sliderTicks);
    addSlider(40, 350, 10, 20, 150, 1, 10, sliderVertical);
    EXPECT_EQ(getControlState(6), 1);  // position 0 was set and clamped to the minimum
    // Numbers that name no control do nothing and read 0.
    const struct { int32_t id, set, expected; } steps[] = {{6, 25, 10}, {6, -3, 1}, {9, 30, 30}, {40, 3, 3}, {99, 5, 0}};
    for (const auto& s : steps) {
        setControlState(s.id, s.set);
        EXPECT_EQ(getControlState(s.id), s.expected) << s.id << " set to " << s.set;
    }
    // A vertical slider counts from its top end.
    EXPECT_EQ(SendMessageA(controlWindow(window, 40), TBM_GETPOS, 0, 0), 8);
    EXPECT_EQ(getControlState(-1), 0);
}

TEST_F(Windows, CloseRequestsAndResizesAreEventsAndTheWindowStays) {
    HWND window = open(0, 100, 100, 300, 200, styleCaption | styleSystemMenu | styleSizingBorder, "close");
    ASSERT_TRUE(beginControlList(window));
    addButton(3, 10, 10, 80, 30, "Cancel");
    eventsUntilQuiet(window);

    postClick(controlWindow(window, 3), 5, 5);
    std::vector<int32_t> events = eventsUntilQuiet(window);
    ASSERT_TRUE(contains(events, controlEvent));
    EXPECT_EQ(eventControl(), 3);

    PostMessageA(window, WM_CLOSE, 0, 0);
    events = eventsUntilQuiet(window);
    EXPECT_TRUE(contains(events, closeEvent));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(eventControl(), 3);  // a close event keeps the last control

    SetWindowPos(window, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    events = eventsUntilQuiet(window);
    EXPECT_TRUE(contains(events, resizeEvent));
    EXPECT_TRUE(IsWindow(controlWindow(window, 3)));
}

// A dialog-like window: three buttons, and a panel whose first page holds
// a check box and a slider and whose second page a button.
class Panel : public Windows {
protected:
    void SetUp() override {
        window = open(0, 100, 100, 420, 300, styleCaption | styleSystemMenu, "panel");
        ASSERT_TRUE(beginControlList(window));
        addButton(1, 110, 265, 80, 30, "OK");
        addButton(2, 305, 265, 80, 30, "Help");
        addButton(3, 210, 265, 80, 30, "Cancel");
        tab = static_cast<HWND>(addTabPanel(4, 10, 15, 400, 245));
        ASSERT_TRUE(tab);
        addTabPage(4, -1, "General");
        addCheckBox(5, 93, 168, 110, 20, "Show tartan names");
        addSlider(6, 88, 33, 290, 20, 1, 10, sliderTicks);
        addTabPage(4, -1, "About");
        addButton(13, 33, 18, 80, 30, "About");
        endTabPanel();
        addButton(20, 10, 265, 40, 30, "Last");  // back on the window after the panel
        eventsUntilQuiet(window);
    }
    HWND pageOf(int id) { return GetParent(controlWindow(window, id)); }

    HWND window = nullptr;
    HWND tab = nullptr;
};

TEST_F(Panel, FirstPageShowsWithItsControlsOffsetUnderTheTabs) {
    EXPECT_EQ(GetParent(controlWindow(window, 20)), window);
    HWND general = pageOf(5);
    HWND about = pageOf(13);
    ASSERT_NE(general, window);
    EXPECT_EQ(GetParent(general), tab);
    EXPECT_TRUE(IsWindowVisible(general));
    EXPECT_FALSE(IsWindowVisible(about));
    EXPECT_EQ(getControlState(4), 0);

    RECT item;
    SendMessageA(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const int tabHeight = static_cast<int>(SendMessageA(tab, TCM_GETROWCOUNT, 0, 0)) * (item.bottom - item.top);
    RECT page;
    GetWindowRect(general, &page);
    MapWindowPoints(HWND_DESKTOP, tab, reinterpret_cast<POINT*>(&page), 2);
    RECT client;
    GetClientRect(tab, &client);
    EXPECT_EQ(page.left, 2);
    EXPECT_EQ(page.top, tabHeight + 4);
    EXPECT_EQ(page.right - page.left, client.right - 4);
    EXPECT_EQ(page.bottom - page.top, client.bottom - tabHeight - 6);

    RECT box;
    GetWindowRect(controlWindow(window, 5), &box);
    MapWindowPoints(HWND_DESKTOP, general, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 93);
    EXPECT_EQ(box.top, 168);
}

TEST_F(Panel, SelectingATabSwapsThePagesByStateAndByClick) {
    setControlState(4, 1);
    EXPECT_EQ(getControlState(4), 1);
    EXPECT_FALSE(IsWindowVisible(pageOf(5)));
    EXPECT_TRUE(IsWindowVisible(pageOf(13)));
    EXPECT_FALSE(IsWindowEnabled(pageOf(5)));

    setControlText(4, "Renamed");
    char text[32] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tab, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "Renamed");

    // A click on the first tab, as the mouse would give it.
    RECT first;
    SendMessageA(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    postClick(tab, (first.left + first.right) / 2, (first.top + first.bottom) / 2);
    const std::vector<int32_t> events = eventsUntilQuiet(window);
    EXPECT_EQ(getControlState(4), 0);
    EXPECT_TRUE(IsWindowVisible(pageOf(5)));
    EXPECT_FALSE(IsWindowVisible(pageOf(13)));
    EXPECT_TRUE(contains(events, controlEvent));
    EXPECT_EQ(eventControl(), 4);
}

TEST_F(Panel, ControlsOnAPageRaiseTheirEventsLikeControlsOnTheWindow) {
    HWND box = controlWindow(window, 5);
    postClick(box, 5, 5);
    std::vector<int32_t> events = eventsUntilQuiet(window);
    EXPECT_TRUE(contains(events, controlEvent));
    EXPECT_EQ(eventControl(), 5);
    EXPECT_EQ(getControlState(5), 1);  // an automatic check box ticks itself
    postClick(box, 5, 5);
    eventsUntilQuiet(window);
    EXPECT_EQ(getControlState(5), 0);

    // Each step of the slider is one event.
    HWND slider = controlWindow(window, 6);
    SetFocus(slider);
    PostMessageA(slider, WM_KEYDOWN, VK_RIGHT, 0x004D0001);
    PostMessageA(slider, WM_KEYUP, VK_RIGHT, static_cast<LPARAM>(0xC04D0001u));
    events = eventsUntilQuiet(window);
    EXPECT_EQ(getControlState(6), 2);
    EXPECT_TRUE(contains(events, controlEvent));
    EXPECT_EQ(eventControl(), 6);
}

TEST_F(Panel, TabAndShiftTabCycleThroughTheVisibleTabStops) {
    // Creation order, each window before its children; the hidden page's
    // button (13) is never reached.
    const int order[] = {1, 2, 3, 4, 5, 6, 20};
    SetFocus(controlWindow(window, 1));
    for (int step = 1; step <= 14; ++step) {  // round forwards, then backwards
        const bool back = step > 7;
        postTab(back);
        eventsUntilQuiet(window, 80);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), order[back ? (14 - step) % 7 : step % 7]) << "step " << step;
    }
    // With nothing focused Tab goes to the first stop.
    SetFocus(window);
    postTab(false);
    eventsUntilQuiet(window, 80);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1);
}

}  // namespace
