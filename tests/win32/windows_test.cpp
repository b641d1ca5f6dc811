// Windows, controls and events on real USER windows and common controls;
// input is posted as the system would deliver it, events read via waitEvent.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/window_services.h"
#include "win32_test_support.h"

namespace {

RECT rectOf(HWND window, bool client = false) {
    RECT r;
    client ? GetClientRect(window, &r) : GetWindowRect(window, &r);
    return r;
}

HWND open(int32_t number, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t flags, const char* title = "") {
    return static_cast<HWND>(openTopWindow(number, x, y, w, h, flags, title));
}

// Searches the whole tree: controls may sit on tab pages.
HWND controlWindow(HWND top, int id) {
    struct Search { int id; HWND found; } search{id, nullptr};
    EnumChildWindows(
        top,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// waitEvent's events until a watchdog timer fires (after every posted and input message).
std::vector<int32_t> eventsUntilQuiet(HWND window, UINT milliseconds = 150) {
    std::vector<int32_t> events;
    SetTimer(window, 77, milliseconds, nullptr);
    for (int i = 0; i < 10000; ++i) {
        const int32_t event = waitEvent();
        if (event == WM_TIMER) break;
        events.push_back(event);
    }
    KillTimer(window, 77);
    return events;
}

bool contains(const std::vector<int32_t>& events, int32_t event) {
    return std::find(events.begin(), events.end(), event) != events.end();
}

void postKey(HWND window, WPARAM key, UINT scan) {
    PostMessageA(window, WM_KEYDOWN, key, static_cast<LPARAM>(scan << 16 | 1));
    PostMessageA(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u | scan << 16));
}

void postClick(HWND control, int x, int y) {
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// Shift in the thread's key state, which the shortcut table consults.
void holdShift(bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
}

class Windows : public ::testing::Test {
protected:
    void TearDown() override {
        holdShift(false);
        closeAllWindows();
        pumpMessages();
    }
};

// Only the popup has no frame; the client size is as asked either way.
TEST_F(Windows, FlagsGiveTheStyleVisibilityAndClientSize) {
    const struct { uint32_t flags; bool visible, caption; DWORD style; } cases[] = {
        {stylePopup, true, false, 0x90000000u},
        {styleHiddenBit, false, true, 0},  // the hidden bit is inverted
        {0, true, true, 0},
        {styleCaption | styleSystemMenu | styleSizingBorder, true, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        HWND window = open(1, 0, 0, 200, 100, c.flags);
        ASSERT_TRUE(window);
        EXPECT_EQ(currentWindow(), window);
        const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & ~DWORD{WS_CLIPSIBLINGS};
        EXPECT_TRUE(!c.style || style == c.style) << std::hex << style;
        EXPECT_EQ(IsWindowVisible(window) != FALSE, c.visible);
        EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, c.caption);
        const RECT client = rectOf(window, true), r = rectOf(window);
        EXPECT_EQ(client.right, 200);
        EXPECT_EQ(client.bottom, 100);
        EXPECT_EQ(r.right - r.left == 200 && r.bottom - r.top == 100, !c.caption) << "outer size";
    }
}

// The outer corner: as asked, or centred on the screen or over the active window,
// clamped at the screen's and the active window's corner (-1: centred to a pixel).
TEST_F(Windows, PlacementFollowsTheCentringFlags) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const uint32_t over = stylePopup | centreOverActive;
    const struct { RECT active; int32_t x, y, w, h; uint32_t flags; int left, top; } cases[] = {
        {{}, 50, 60, 200, 100, stylePopup, 50, 60},
        {{}, 500, 500, sw + 300, sh + 200, stylePopup | centreOnScreen, 0, 0},
        {{}, 361, 207, 420, 300, styleCaption | styleSystemMenu | centreOnScreen, -1, -1},
        {{0, 0, 100, 80}, 300, 300, 400, 300, over, 0, 0},
        {{400, 300, 700, 500}, 0, 0, 101, 51, over, 400 + 150 - 50, 300 + 100 - 25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        if (c.active.right) {
            HWND active = open(1, c.active.left, c.active.top, c.active.right - c.active.left,
                               c.active.bottom - c.active.top, stylePopup);
            SetActiveWindow(active);
            ASSERT_EQ(GetActiveWindow(), active);
        }
        const RECT r = rectOf(open(2, c.x, c.y, c.w, c.h, c.flags));
        if (c.left < 0) {
            EXPECT_LE(std::abs(r.left - (sw - r.right)), 1);
            EXPECT_LE(std::abs(r.top - (sh - r.bottom)), 1);
        } else {
            EXPECT_EQ(r.left, c.left);
            EXPECT_EQ(r.top, c.top);
        }
        closeAllWindows();
    }
}

TEST_F(Windows, ReopeningANumberReplacesTheWindowAndWithdrawsItsClass) {
    HWND first = open(12, 0, 0, 50, 50, stylePopup);
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "WindowClass_12", &info));
    EXPECT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "TemplateClass", &info));
    HWND second = open(12, 0, 0, 60, 60, stylePopup);
    ASSERT_TRUE(first && second);
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
    addSlider(40, 350, 10, 20, 150, 1, 10, sliderVertical);
    EXPECT_EQ(getControlState(6), 1);  // created at 0, clamped to the minimum
    // Numbers that name no control do nothing and read 0.
    const struct { int32_t id, set, expected; } steps[] = {{6, 25, 10}, {6, -3, 1}, {40, 3, 3}, {99, 5, 0}};
    for (const auto& s : steps) {
        setControlState(s.id, s.set);
        EXPECT_EQ(getControlState(s.id), s.expected) << s.id << " set to " << s.set;
    }
    EXPECT_EQ(SendMessageA(controlWindow(window, 40), TBM_GETPOS, 0, 0), 8);  // vertical counts from the top
    EXPECT_EQ(getControlState(-1), 0);
}

TEST_F(Windows, CloseRequestsAndResizesAreEventsAndTheWindowStays) {
    HWND window = open(0, 100, 100, 300, 200, styleCaption | styleSystemMenu | styleSizingBorder, "close");
    ASSERT_TRUE(beginControlList(window));
    addButton(3, 10, 10, 80, 30, "Cancel");
    eventsUntilQuiet(window);
    postClick(controlWindow(window, 3), 5, 5);
    ASSERT_TRUE(contains(eventsUntilQuiet(window), controlEvent));
    EXPECT_EQ(eventControl(), 3);

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(contains(eventsUntilQuiet(window), closeEvent));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(eventControl(), 3);  // a close event keeps the last control

    SetWindowPos(window, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(contains(eventsUntilQuiet(window), resizeEvent));
    EXPECT_TRUE(IsWindow(controlWindow(window, 3)));
}

// Three buttons, a panel (page 1: check box and slider; page 2: a button), a last button.
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
        addButton(20, 10, 265, 40, 30, "Last");
        eventsUntilQuiet(window);
    }
    HWND pageOf(int id) { return GetParent(controlWindow(window, id)); }
    // Whether page 1 shows and page 2 is hidden (or the reverse), and the selected tab.
    void expectPage(int selected) {
        EXPECT_EQ(getControlState(4), selected);
        EXPECT_EQ(IsWindowVisible(pageOf(5)) != FALSE, selected == 0);
        EXPECT_EQ(IsWindowVisible(pageOf(13)) != FALSE, selected == 1);
    }
    RECT inParent(HWND child, HWND parent) {
        RECT r = rectOf(child);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    HWND window = nullptr;
    HWND tab = nullptr;
};

TEST_F(Panel, FirstPageShowsWithItsControlsOffsetUnderTheTabs) {
    EXPECT_EQ(GetParent(controlWindow(window, 20)), window);
    HWND general = pageOf(5);
    EXPECT_EQ(GetParent(general), tab);
    expectPage(0);

    RECT item;
    SendMessageA(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const int tabHeight = static_cast<int>(SendMessageA(tab, TCM_GETROWCOUNT, 0, 0)) * (item.bottom - item.top);
    const RECT page = inParent(general, tab), client = rectOf(tab, true), box = inParent(controlWindow(window, 5), general);
    EXPECT_EQ(page.left, 2);
    EXPECT_EQ(page.top, tabHeight + 4);
    EXPECT_EQ(page.right - page.left, client.right - 4);
    EXPECT_EQ(page.bottom - page.top, client.bottom - tabHeight - 6);
    EXPECT_EQ(box.left, 93);
    EXPECT_EQ(box.top, 168);
}

TEST_F(Panel, SelectingATabSwapsThePagesByStateAndByClick) {
    setControlState(4, 1);
    expectPage(1);
    EXPECT_FALSE(IsWindowEnabled(pageOf(5)));

    setControlText(4, "Renamed");
    char text[32] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tab, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "Renamed");

    RECT first;
    SendMessageA(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    postClick(tab, (first.left + first.right) / 2, (first.top + first.bottom) / 2);
    EXPECT_TRUE(contains(eventsUntilQuiet(window), controlEvent));
    EXPECT_EQ(eventControl(), 4);
    expectPage(0);
}

// A check box ticks itself; each slider step is one event.
TEST_F(Panel, ControlsOnAPageRaiseTheirEventsLikeControlsOnTheWindow) {
    for (int expected : {1, 0}) {
        postClick(controlWindow(window, 5), 5, 5);
        EXPECT_TRUE(contains(eventsUntilQuiet(window), controlEvent));
        EXPECT_EQ(eventControl(), 5);
        EXPECT_EQ(getControlState(5), expected);
    }
    HWND slider = controlWindow(window, 6);
    SetFocus(slider);
    postKey(slider, VK_RIGHT, 0x4D);
    EXPECT_TRUE(contains(eventsUntilQuiet(window), controlEvent));
    EXPECT_EQ(getControlState(6), 2);
    EXPECT_EQ(eventControl(), 6);
}

// Creation order, each window before its children; the hidden page's button
// (13) is never reached. Both directions wrap; from no stop Tab goes to the first.
TEST_F(Panel, TabAndShiftTabCycleThroughTheVisibleTabStops) {
    const int order[] = {1, 2, 3, 4, 5, 6, 20};
    SetFocus(controlWindow(window, 1));
    for (int step = 1; step <= 15; ++step) {
        const bool back = step > 7 && step < 15;
        if (step == 15) SetFocus(window);
        holdShift(back);
        postKey(GetFocus(), VK_TAB, 0x0F);
        eventsUntilQuiet(window, 80);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), order[step == 15 ? 0 : back ? (14 - step) % 7 : step % 7]) << step;
    }
}

}  // namespace
