// Windows, controls and events of the real backend, driven from outside as
// a user would drive them.
#include <gtest/gtest.h>

#include <utility>

#include "picture/drawing.h"
#include "picture/images.h"
#include "platform/process_services.h"
#include "probe.h"

// The platform layer, started once as the program's start-up starts it.
struct StartPlatform : ::testing::Environment {
    void SetUp() override {
        initDrawing(), initWindowServices(), initControlServices(), initImages(), initCommonControls();
    }
};
static auto* const startPlatform = ::testing::AddGlobalTestEnvironment(new StartPlatform);

constexpr uint32_t dialogFlags = styleCaption | styleSystemMenu | styleSizingBorder;

// A captioned window that takes the controls made next.
struct Controls : ::testing::Test {
    void SetUp() override { beginControlList(window = probe::openShown(0, 100, 100, 420, 300, dialogFlags)); }
    void TearDown() override { closeAllWindows(); }
    void clickControl(int32_t number) {
        const probe::Rect r = probe::controlRect(window, number);
        probe::click(window, r.x + 6, r.y + r.height / 2);
    }
    WindowHandle window = nullptr;
};

// A popup has no caption and covers the area asked for, the hidden bit is
// inverted; reopening a number replaces its window; all close at the end.
TEST(Windows, FlagsGiveCaptionVisibilityAndClientSizeAndNumbersReplaceWindows) {
    const struct { uint32_t flags; bool visible, caption; } cases[] = {
        {stylePopup, true, false}, {styleHiddenBit, false, true}, {0, true, true}, {dialogFlags, true, true}};
    for (const auto& c : cases) {
        WindowHandle w = probe::openShown(1, 40, 30, 200, 100, c.flags);
        const probe::Rect r = probe::client(w);
        EXPECT_TRUE(currentWindow() == w && probe::isVisible(w) == c.visible && probe::hasCaption(w) == c.caption &&
                    (!c.visible || (r.width == 200 && r.height == 100 && (c.caption || (r.x == 40 && r.y == 30)))));
        EXPECT_TRUE(probe::pumpUntil([&] { return probe::visibleWindows() == c.visible; })) << c.flags;
    }
    probe::openShown(45, 0, 0, 50, 50, stylePopup);  // beyond the first table
    EXPECT_TRUE(probe::pumpUntil([] { return probe::visibleWindows() == 2; }));
    closeAllWindows();
    EXPECT_TRUE(probe::pumpUntil([] { return probe::visibleWindows() == 0; }) && !currentWindow());
}

// The corner as asked, or centred on the screen (one larger than the screen
// starts at 0) or over the active window, never off the top-left.
TEST(Windows, CentringOnTheScreenAndOverTheActiveWindow) {
    const int32_t sw = screenWidth(), sh = screenHeight();
    const uint32_t onScreen = stylePopup | centreOnScreen, overActive = stylePopup | centreOverActive;
    const struct { probe::Rect active; int32_t x, y, w, h; uint32_t flags; int32_t left, top; } cases[] = {
        {{}, 50, 60, 200, 100, stylePopup, 50, 60}, {{}, 500, 500, sw + 300, sh + 200, onScreen, 0, 0},
        {{}, 361, 207, 420, 300, onScreen, (sw >> 1) - 210, (sh >> 1) - 150},
        {{}, 361, 207, 421, 301, overActive, (sw >> 1) - 210, (sh >> 1) - 150},  // none active
        {{0, 0, 100, 80}, 300, 300, 400, 300, overActive, 0, 0},
        {{400, 300, 300, 200}, 0, 0, 101, 51, overActive, 500, 375}};
    for (const auto& c : cases) {
        const probe::Rect a = c.active;
        if (a.width) probe::activate(probe::openShown(1, a.x, a.y, a.width, a.height, stylePopup));
        const probe::Rect r = probe::client(probe::openShown(2, c.x, c.y, c.w, c.h, c.flags));
        EXPECT_EQ(std::make_pair(r.x, r.y), std::make_pair(c.left, c.top)) << c.w;
        closeAllWindows();
    }
}

// States keep to the range (itself held to 0 ... 10000), both ways for a
// vertical slider; unknown controls read 0. A real drag of a slider is an
// event at every move, and the state follows the thumb.
TEST_F(Controls, StatesKeepToTheirRangeAndADragReportsEveryStep) {
    EXPECT_EQ(beginControlList(nullptr), nullptr);
    beginControlList(window);
    addSlider(20, 10, 10, 290, 20, 1, 10, sliderTicks);
    addSlider(21, 10, 40, 290, 20, -5, 20000, 0);
    addSlider(22, 390, 10, 20, 150, 1, 10, sliderVertical);
    addCheckBox(23, 10, 70, 140, 20, "Tick");
    addSlider(9, 88, 108, 290, 20, 1, 60, sliderTicks);
    EXPECT_EQ(std::make_pair(getControlState(20), getControlState(23)), std::make_pair(1, 0));
    const struct { int32_t id, set, expected; } states[] = {{20, 25, 10}, {20, -3, 1}, {20, 7, 7}, {21, 20000, 10000},
        {21, -5, 0}, {22, 3, 3}, {22, 12, 10}, {22, -4, 1}, {23, 1, 1}, {23, 0, 0}, {23, 2, 1}, {99, 5, 0}, {-1, 1, 0}};
    for (const auto& s : states) {
        setControlState(s.id, s.set);
        EXPECT_EQ(getControlState(s.id), s.expected) << s.id << " set to " << s.set;
    }
    const probe::Rect r = probe::controlRect(window, 9);
    int32_t x = r.x + 9, moves = 0;
    for (probe::mouse(window, x, r.y + 10, true); getControlState(9) < 60 && x < r.x + r.width + 40; ++moves) {
        const int32_t before = getControlState(9);
        probe::mouse(window, x += 14, r.y + 10, true);
        EXPECT_TRUE(probe::awaitEvent(controlEvent, 9, [&] { return getControlState(9) > before; })) << x - r.x;
    }
    probe::mouse(window, x, r.y + 10, false);
    EXPECT_TRUE(getControlState(9) == 60 && moves >= 10) << moves;
}

// Three buttons, a panel (page 0: check box and slider; page 1: a button), a last button.
struct Panel : Controls {
    void SetUp() override {
        Controls::SetUp();
        for (const auto& [number, x] : {std::make_pair(1, 110), {2, 305}, {3, 210}})
            addButton(number, x, 265, 80, 30, "Go");
        ASSERT_NE(addTabPanel(4, 10, 15, 400, 245), nullptr);
        addTabPage(4, -1, "General");
        addCheckBox(5, 93, 168, 110, 20, "Show tartan names");
        addSlider(6, 88, 33, 290, 20, 1, 10, sliderTicks);
        addTabPage(4, -1, "About");
        addButton(13, 33, 18, 80, 30, "About");
        endTabPanel();
        addButton(20, 10, 265, 40, 30, "Last");
    }
    bool pageShown(int page) {
        return probe::pumpUntil([&] {
            return getControlState(4) == page && probe::controlShown(window, 5) == !page &&
                   probe::controlShown(window, 13) == !!page;
        });
    }
};

// The first page shows, its controls under the tabs; the program's own
// changes raise no event; a close request and a resize are events and the
// window stays; tabs switch by state and by click; controls on a page raise
// their events like those on the window.
TEST_F(Panel, PagesAndTheEventsOfControls) {
    EXPECT_TRUE(pageShown(0));
    const probe::Rect panel = probe::controlRect(window, 4), box = probe::controlRect(window, 5);
    const int32_t dx = box.x - panel.x - 93, dy = box.y - panel.y - 168;
    const probe::Rect slider = probe::controlRect(window, 6);
    EXPECT_TRUE(dx >= 0 && dx <= 4 && dy >= 12 && dy <= 40 && slider.x - box.x == -5 && slider.y - box.y == -135);
    setControlState(5, 1), setControlState(4, 1), setControlText(3, "Renamed");
    EXPECT_TRUE(pageShown(1));
    clickControl(3);
    EXPECT_TRUE(probe::awaitEvent(controlEvent) && eventControl() == 3);
    probe::requestClose(window);
    EXPECT_TRUE(probe::awaitEvent(closeEvent) && eventControl() == 3);
    probe::resize(window, 500, 400);
    EXPECT_TRUE(probe::awaitEvent(resizeEvent) && probe::isVisible(window) && currentWindow() == window);
    probe::click(window, panel.x + 15, panel.y + 8);
    EXPECT_TRUE(probe::awaitEvent(controlEvent, 4) && pageShown(0));
    for (int expected : {0, 1}) {
        clickControl(5);
        EXPECT_TRUE(probe::awaitEvent(controlEvent, 5, [&] { return getControlState(5) == expected; }));
    }
    probe::press(window, probe::Key::tab);
    EXPECT_TRUE(probe::pumpUntil([&] { return probe::focusedControl(window) == 6; }));
    for (int expected : {2, 3}) {
        probe::press(window, probe::Key::right);
        EXPECT_TRUE(probe::awaitEvent(controlEvent, 6, [&] { return getControlState(6) == expected; }));
    }
}

// Creation order, each window before its children; the hidden page's button
// (13) is never reached; both ways wrap.
TEST_F(Panel, TabAndShiftTabCycleThroughTheVisibleTabStops) {
    const int32_t order[] = {1, 2, 3, 4, 5, 6, 20};
    clickControl(1);
    EXPECT_TRUE(probe::awaitEvent(controlEvent, 1));
    for (int step = 1; step <= 14; ++step) {
        probe::press(window, step > 7 ? probe::Key::shiftTab : probe::Key::tab);
        const int32_t expected = order[step > 7 ? (14 - step) % 7 : step % 7];
        EXPECT_TRUE(probe::pumpUntil([&] { return probe::focusedControl(window) == expected; }, 2000)) << step;
    }
}
