// Windows, controls, events and window surfaces of the real backend, driven
// from outside as a user would drive them and read back from the screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "config/dialog.h"
#include "picture/drawing.h"
#include "picture/images.h"
#include "platform/drawing_services.h"
#include "platform/process_services.h"
#include "probe.h"
#include "resources/about_banner.h"

// The platform layer, started once as the program's start-up starts it.
struct StartPlatform : ::testing::Environment {
    void SetUp() override {
        initDrawing(), initWindowServices(), initControlServices(), initImages(), initCommonControls();
    }
};
static auto* const startPlatform = ::testing::AddGlobalTestEnvironment(new StartPlatform);

constexpr uint32_t dialogFlags = styleCaption | styleSystemMenu | styleSizingBorder;

// 0xAARRGGBB colours distinct over small areas, and others.
static uint32_t pattern(int32_t x, int32_t y) { return (0x203040u + x * 7919u + y * 104729u) | 0xFF000000u; }
static uint32_t inverse(int32_t x, int32_t y) { return pattern(y, x) ^ 0xFFFFFFu; }

// Fills a view with `colour`; gives how many of its pixels were not black before.
static int fill(const PixelView& view, uint32_t (*colour)(int32_t, int32_t)) {
    int coloured = 0;
    for (int32_t y = 0; y < view.height; ++y)
        for (int32_t x = 0; x < view.width; ++x) coloured += std::exchange(view.row(y)[x], colour(x, y)) != 0xFF000000u;
    return coloured;
}

// Waits until the corners and the middle of an area of the window show `colour` on screen.
static bool onScreen(WindowHandle window, probe::Rect area, uint32_t (*colour)(int32_t, int32_t)) {
    const probe::Rect c = probe::client(window);
    return probe::pumpUntil([&] {
        bool same = true;
        for (int32_t y : {0, area.height / 2, area.height - 1})
            for (int32_t x : {0, area.width / 3, area.width - 1})
                same = same && probe::screenPixel(c.x + area.x + x, c.y + area.y + y) == (colour(x, y) & 0xFFFFFFu);
        return same;
    });
}

// A popup has no caption and covers the area asked for, the hidden bit is
// inverted; a surface starts black at the client size and shows on screen
// once presented; reopening a number replaces its window; all close at the
// end. Then the centring flags.
TEST(Windows, FlagsGiveCaptionVisibilityClientSizeAndPlaceAndSurfacesShowOnScreen) {
    const struct { uint32_t flags; bool visible, caption; } cases[] = {
        {stylePopup, true, false}, {styleHiddenBit, false, true}, {0, true, true}, {dialogFlags, true, true}};
    for (const auto& c : cases) {
        WindowHandle w = probe::openShown(1, 40, 30, 200, 100, c.flags);
        const probe::Rect r = probe::client(w);
        EXPECT_TRUE(currentWindow() == w && probe::isVisible(w) == c.visible && probe::hasCaption(w) == c.caption &&
                    (!c.visible || (r.width == 200 && r.height == 100 && (c.caption || (r.x == 40 && r.y == 30)))));
        EXPECT_TRUE(probe::pumpUntil([&] { return probe::visibleWindows() == c.visible; })) << c.flags;
        const PixelView surface = windowSurface(w);  // black at first, at the client size
        EXPECT_TRUE(surface.width == 200 && surface.height == 100 && fill(surface, pattern) == 0) << c.flags;
        presentWindow(w);
        EXPECT_TRUE(!c.visible || onScreen(w, {0, 0, 200, 100}, pattern)) << c.flags;
    }
    probe::openShown(45, 0, 0, 50, 50, stylePopup);  // beyond the first table
    EXPECT_TRUE(probe::pumpUntil([] { return probe::visibleWindows() == 2; }));
    closeAllWindows();
    EXPECT_TRUE(probe::pumpUntil([] { return probe::visibleWindows() == 0; }) && !currentWindow() &&
                !windowSurface(nullptr).pixels);
    // Centred on the screen (one larger than the screen starts at 0; so does
    // one over no active window) or over the active window, never off the top-left.
    const int32_t sw = screenWidth(), sh = screenHeight();
    const struct { probe::Rect active; int32_t x, y, w, h; uint32_t flags; int32_t left, top; } placements[] = {
        {{}, 500, 500, sw + 300, sh + 200, stylePopup | centreOnScreen, 0, 0},
        {{}, 361, 207, 421, 301, stylePopup | centreOverActive, (sw >> 1) - 210, (sh >> 1) - 150},  // none active
        {{0, 0, 100, 80}, 300, 300, 400, 300, stylePopup | centreOverActive, 0, 0},
        {{400, 300, 300, 200}, 0, 0, 101, 51, stylePopup | centreOverActive, 500, 375}};
    for (const auto& [a, x, y, w, h, flags, left, top] : placements) {
        if (a.width) probe::activate(probe::openShown(1, a.x, a.y, a.width, a.height, stylePopup));
        const probe::Rect r = probe::client(probe::openShown(2, x, y, w, h, flags));
        EXPECT_EQ(std::make_pair(r.x, r.y), std::make_pair(left, top)) << w;
        closeAllWindows();
    }
}

// A captioned window with three buttons, a panel (page 0: check box 5 and
// slider 6; page 1: button 13 and vertical slider 7), a last button and a
// picture.
struct Dialog : ::testing::Test {
    void SetUp() override {
        beginControlList(window = probe::openShown(0, 100, 100, 420, 300, dialogFlags));
        for (const auto& [number, x] : {std::make_pair(1, 110), {2, 305}, {3, 210}})
            addButton(number, x, 265, 80, 30, "Go");
        ASSERT_NE(addTabPanel(4, 10, 15, 400, 245), nullptr);
        addTabPage(4, -1, "General");
        addCheckBox(5, 93, 168, 110, 20, "Show tartan names");
        addSlider(6, 88, 33, 290, 20, 1, 60, sliderTicks);
        addTabPage(4, -1, "About");
        addButton(13, 33, 18, 80, 30, "About");
        addSlider(7, 350, 10, 20, 150, -5, 20000, sliderVertical);
        endTabPanel();
        addButton(20, 10, 265, 40, 30, "Last");
        makeImage(3, 30, 20), fill(imagePixels(3), pattern);
        makeImage(4, 30, 20), fill(imagePixels(4), inverse);
        addPicture(30, 388, 268, 30, 20, imageHandle(3), 0);
    }
    void TearDown() override { closeAllWindows(); }
    bool pageShown(int page) {
        const auto shown = [&](int32_t number) { return probe::controlRect(window, number).width > 0; };
        return probe::pumpUntil([&] { return getControlState(4) == page && shown(5) == !page && shown(13) == !!page; });
    }
    WindowHandle window = nullptr;
};

// States keep to the range (itself held to 0 ... 10000), both ways for a
// vertical slider; a check box reads 0 or 1; unknown controls read 0; a
// picture shows its image, and the one its state names. A real drag of a
// slider is an event at every move, and the state follows the thumb.
TEST_F(Dialog, StatesKeepToTheirRangeAndADragReportsEveryStep) {
    EXPECT_TRUE(getControlState(6) == 1 && getControlState(5) == 0 && !beginControlList(nullptr));
    const struct { int32_t id, set, expected; } states[] = {{6, 75, 60}, {6, 7, 7}, {6, -3, 1}, {7, 3, 3},
        {7, 20000, 10000}, {7, -5, 0}, {5, 2, 1}, {5, 0, 0}, {99, 5, 0}, {-1, 1, 0}};
    for (const auto& s : states) {
        setControlState(s.id, s.set);
        EXPECT_EQ(getControlState(s.id), s.expected) << s.id << " set to " << s.set;
    }
    EXPECT_TRUE(onScreen(window, {388, 268, 30, 20}, pattern)) << "a picture control";
    setControlState(30, 4);
    EXPECT_TRUE(onScreen(window, {388, 268, 30, 20}, inverse)) << "another image";
    const probe::Rect r = probe::controlRect(window, 6);
    int32_t x = r.x + 9, moves = 0;
    for (probe::mouse(window, x, r.y + 10, true); getControlState(6) < 60 && x < r.x + r.width + 40; ++moves) {
        const int32_t before = getControlState(6);
        probe::mouse(window, x += 14, r.y + 10, true);
        EXPECT_TRUE(probe::awaitEvent(controlEvent, 6, [&] { return getControlState(6) > before; })) << x - r.x;
    }
    probe::mouse(window, x, r.y + 10, false);
    EXPECT_TRUE(getControlState(6) == 60 && moves >= 10) << moves;
}

// The first page shows, its controls under the tabs; the program's own
// changes raise no event; a close request and a resize are events and the
// window stays; tabs switch by state and by click; controls on a page raise
// their events like those on the window. Shift+Tab and Tab go through the
// shown controls in creation order, each window before its children (never
// to the hidden page's), and wrap both ways.
TEST_F(Dialog, PagesEventsAndTheTabOrder) {
    EXPECT_TRUE(pageShown(0));
    const probe::Rect panel = probe::controlRect(window, 4), box = probe::controlRect(window, 5);
    const int32_t dx = box.x - panel.x - 93, dy = box.y - panel.y - 168;
    const probe::Rect slider = probe::controlRect(window, 6);
    EXPECT_TRUE(dx >= 0 && dx <= 4 && dy >= 12 && dy <= 40 && slider.x - box.x == -5 && slider.y - box.y == -135);
    setControlState(5, 1), setControlState(4, 1), setControlText(3, "Renamed");
    EXPECT_TRUE(pageShown(1));
    probe::click(window, 216, 280);  // button 3, placed where it was asked on the window
    EXPECT_TRUE(probe::awaitEvent(controlEvent) && eventControl() == 3);
    probe::requestClose(window);
    EXPECT_TRUE(probe::awaitEvent(closeEvent) && eventControl() == 3);
    probe::resize(window, 500, 400);
    EXPECT_TRUE(probe::awaitEvent(resizeEvent) && probe::isVisible(window) && currentWindow() == window);
    probe::click(window, panel.x + 15, panel.y + 8);
    EXPECT_TRUE(probe::awaitEvent(controlEvent, 4) && pageShown(0));
    for (int expected : {0, 1}) {
        probe::click(window, box.x + 6, box.y + box.height / 2);
        EXPECT_TRUE(probe::awaitEvent(controlEvent, 5, [&] { return getControlState(5) == expected; }));
    }
    // From the check box just clicked: seven steps back round to it, then eight on to the slider.
    const int32_t order[] = {5, 6, 20, 1, 2, 3, 4};
    for (int step = 1; step <= 15; ++step) {
        probe::press(window, step <= 7 ? probe::Key::shiftTab : probe::Key::tab);
        const int32_t expected = order[std::abs(7 - step) % 7];
        EXPECT_TRUE(probe::pumpUntil([&] { return probe::focusedControl(window) == expected; }, 2000)) << step;
    }
    probe::press(window, probe::Key::right);
    EXPECT_TRUE(probe::awaitEvent(controlEvent, 6, [] { return getControlState(6) == 2; }));
}

// The settings dialog's texts, at their longest, fit their controls, and the
// controls neither overlap nor leave the panel, at the desktop's text scale
// (the suite is also run at larger ones).
TEST(SettingsDialog, EachTextFitsItsControlAndNoControlsOverlap) {
    probe::freshStore();
    loadImageFromMemory(0, aboutBannerData, aboutBannerSize);
    ASSERT_TRUE(openSettingsDialog());
    WindowHandle w = currentWindow();
    setControlState(zoomSlider, 10), setControlState(delaySlider, 60);
    handleDialogEvent(controlEvent, zoomSlider), handleDialogEvent(controlEvent, delaySlider);
    const auto apart = [](probe::Rect a, probe::Rect b) {
        return a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y || b.y + b.height <= a.y;
    };
    const probe::Rect panel = probe::controlRect(w, settingsPanel);
    std::vector<probe::Rect> seen;
    for (int32_t n : {okButton, helpButton, cancelButton, showNamesBox, zoomSlider, zoomLabel, randomOrderBox,
                      delaySlider, delayLabel, zoomHeading, delayHeading, aboutImage, aboutTextBox}) {
        if (n == aboutImage) setControlState(settingsPanel, 1), seen.resize(3);  // the About page
        const probe::TextFit f = probe::textFit(w, n);  // before the size: a new text's is known at the next frame
        const probe::Rect r = probe::controlRect(w, n);
        EXPECT_TRUE(r.width > 0 && f.needWidth <= f.width && f.needHeight <= f.height)
            << n << " needs " << f.needWidth << "x" << f.needHeight << " in " << f.width << "x" << f.height;
        const bool inPanel = r.x >= panel.x && r.y >= panel.y && r.x + r.width <= panel.x + panel.width &&
                             r.y + r.height <= panel.y + panel.height;
        EXPECT_TRUE(n <= cancelButton ? apart(r, panel) : inPanel) << n << " and the panel";
        for (const probe::Rect& o : seen) EXPECT_TRUE(apart(r, o)) << n << " overlaps " << o.x << "," << o.y;
        seen.push_back(r);
    }
    closeAllWindows();
}
