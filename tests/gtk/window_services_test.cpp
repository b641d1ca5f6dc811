// Window, control and event services on GTK 3, on a real (virtual) display.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "gtk_test_support.h"
#include "platform/process_services.h"

namespace {

constexpr uint32_t dialogFlags = styleCaption | styleSystemMenu | styleSizingBorder | centreOnScreen | centreOverActive;

bool mapped(WindowHandle window) { return gtk_widget_get_mapped(GTK_WIDGET(window)); }

void originOf(WindowHandle window, int& x, int& y) {
    gdk_window_get_origin(gtk_widget_get_window(GTK_WIDGET(window)), &x, &y);
}

class WindowServices : public ::testing::Test {
protected:
    void SetUp() override {
        gtktest::startPlatform();
        ASSERT_TRUE(gtkbackend::displayOpen()) << "these tests need a display";
        screenW = screenWidth();
        screenH = screenHeight();
    }
    void TearDown() override { closeAllWindows(); }

    // A captioned window holding controls made by the test.
    WindowHandle openControlWindow(int32_t width = 420, int32_t height = 300) {
        WindowHandle window = openTopWindow(0, 0, 0, width, height, dialogFlags, "Controls");
        EXPECT_NE(window, nullptr);
        EXPECT_EQ(beginControlList(window), window);
        return window;
    }

    // Every widget of the window, in GTK's order (each container before its children).
    static void collect(GtkWidget* widget, std::vector<GtkWidget*>& all) {
        all.push_back(widget);
        if (GTK_IS_CONTAINER(widget)) {
            GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
            for (GList* c = children; c; c = c->next) collect(GTK_WIDGET(c->data), all);
            g_list_free(children);
        }
    }

    static GtkWidget* findByLabel(WindowHandle window, GType type, const std::string& label) {
        std::vector<GtkWidget*> all;
        collect(GTK_WIDGET(window), all);
        for (GtkWidget* w : all)
            if (G_TYPE_CHECK_INSTANCE_TYPE(w, type) && GTK_IS_BUTTON(w) &&
                label == gtk_button_get_label(GTK_BUTTON(w)))
                return w;
        return nullptr;
    }

    int32_t screenW = 0;
    int32_t screenH = 0;
};

// ---- windows ----

TEST_F(WindowServices, APopupIsBorderlessBlackAndCoversTheAreaAskedFor) {
    ASSERT_GT(screenW, 0);
    WindowHandle window = openTopWindow(0, 0, 0, screenW, screenH, stylePopup, "");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(currentWindow(), window);
    EXPECT_FALSE(gtk_window_get_decorated(GTK_WINDOW(window)));
    ASSERT_TRUE(gtktest::pumpUntil([&] { return mapped(window); }));
    gtktest::settle(300);
    int x = -1;
    int y = -1;
    originOf(window, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window));
    EXPECT_EQ(gdk_window_get_width(surface), screenW);
    EXPECT_EQ(gdk_window_get_height(surface), screenH);
    gtktest::ScreenGrab screen(0, 0, screenW, screenH);
    ASSERT_TRUE(screen.valid());
    for (int py : {0, screenH / 2, screenH - 1})
        for (int px : {0, screenW / 2, screenW - 1}) EXPECT_EQ(screen.at(px, py), 0u) << px << "," << py;
}

TEST_F(WindowServices, TheVisibilityBitIsInvertedAndBareStylesGetACaption) {
    WindowHandle hidden = openTopWindow(1, 10, 10, 100, 80, styleHiddenBit, "hidden");
    WindowHandle shown = openTopWindow(2, 10, 10, 100, 80, 0, "shown");
    ASSERT_NE(hidden, nullptr);
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(gtk_widget_get_visible(GTK_WIDGET(hidden)));
    EXPECT_TRUE(gtk_window_get_decorated(GTK_WINDOW(hidden)));
    EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(shown)));
    EXPECT_TRUE(gtk_window_get_decorated(GTK_WINDOW(shown)));
    EXPECT_EQ(currentWindow(), shown);
}

TEST_F(WindowServices, TheDialogHasA420By300ClientAreaCentredOnTheScreen) {
    WindowHandle window = openTopWindow(0, 361, 207, 420, 300, dialogFlags, "Plaidwick ScreenSaver 1.0");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(gtktest::pumpUntil([&] { return mapped(window); }));
    gtktest::settle();
    GtkWidget* client = gtk_bin_get_child(GTK_BIN(window));
    EXPECT_EQ(gtk_widget_get_allocated_width(client), 420);
    EXPECT_EQ(gtk_widget_get_allocated_height(client), 300);
    EXPECT_TRUE(gtk_window_get_decorated(GTK_WINDOW(window)));
    EXPECT_TRUE(gtk_window_get_resizable(GTK_WINDOW(window)));
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(window)), "Plaidwick ScreenSaver 1.0");
    int x = -1;
    int y = -1;
    originOf(window, x, y);
    EXPECT_EQ(x, (screenW >> 1) - (420 >> 1));
    EXPECT_EQ(y, (screenH >> 1) - (300 >> 1));
}

TEST_F(WindowServices, AWindowWiderThanTheScreenIsCentredToItsLeftEdge) {
    WindowHandle window = openTopWindow(0, 50, 50, screenW + 101, 61, styleCaption | centreOnScreen, "wide");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(gtktest::pumpUntil([&] { return mapped(window); }));
    gtktest::settle();
    int x = -1;
    int y = -1;
    originOf(window, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, (screenH >> 1) - (61 >> 1));
}

TEST_F(WindowServices, ReopeningANumberClosesTheOldWindowAndClosingAllEmptiesTheTable) {
    WindowHandle first = openTopWindow(3, 0, 0, 50, 50, 0, "first");
    ASSERT_NE(first, nullptr);
    gpointer firstAlive = first;
    g_object_add_weak_pointer(G_OBJECT(first), &firstAlive);
    WindowHandle second = openTopWindow(3, 0, 0, 60, 60, 0, "second");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(firstAlive, nullptr);
    EXPECT_EQ(currentWindow(), second);

    WindowHandle high = openTopWindow(45, 0, 0, 30, 30, 0, "beyond the first table");
    ASSERT_NE(high, nullptr);
    gpointer secondAlive = second;
    gpointer highAlive = high;
    g_object_add_weak_pointer(G_OBJECT(second), &secondAlive);
    g_object_add_weak_pointer(G_OBJECT(high), &highAlive);
    closeAllWindows();
    EXPECT_EQ(secondAlive, nullptr);
    EXPECT_EQ(highAlive, nullptr);
    EXPECT_EQ(currentWindow(), nullptr);
    EXPECT_EQ(beginControlList(second), nullptr);
}

// ---- controls ----

TEST_F(WindowServices, SlidersStartAtTheirMinimumAndClampEveryPosition) {
    openControlWindow();
    addSlider(20, 10, 10, 290, 20, 1, 10, sliderTicks);
    EXPECT_EQ(getControlState(20), 1);
    setControlState(20, 25);
    EXPECT_EQ(getControlState(20), 10);
    setControlState(20, -3);
    EXPECT_EQ(getControlState(20), 1);
    setControlState(20, 7);
    EXPECT_EQ(getControlState(20), 7);

    // The range itself is held to 0 ... 10000.
    addSlider(21, 10, 60, 290, 20, -5, 20000, 0);
    setControlState(21, 20000);
    EXPECT_EQ(getControlState(21), 10000);
    setControlState(21, -5);
    EXPECT_EQ(getControlState(21), 0);
}

TEST_F(WindowServices, CheckBoxesHoldZeroOrOne) {
    openControlWindow();
    addCheckBox(22, 10, 10, 140, 20, "Tick");
    EXPECT_EQ(getControlState(22), 0);
    setControlState(22, 1);
    EXPECT_EQ(getControlState(22), 1);
    setControlState(22, 0);
    EXPECT_EQ(getControlState(22), 0);
    setControlState(22, 2);  // any other value ticks it
    EXPECT_EQ(getControlState(22), 1);
}

TEST_F(WindowServices, ControlsWithoutAWindowOrNumberDoNothing) {
    addButton(23, 0, 0, 10, 10, "no parent");  // no control list begun
    EXPECT_EQ(getControlState(23), 0);
    setControlState(23, 5);
    setControlText(23, "still nothing");
    setControlState(9999, 1);
    EXPECT_EQ(getControlState(-1), 0);
    EXPECT_EQ(beginControlList(nullptr), nullptr);
}

TEST_F(WindowServices, TheProgramsOwnChangesRaiseNoEventButACloseRequestDoes) {
    WindowHandle window = openControlWindow();
    addCheckBox(5, 10, 10, 140, 20, "Names");
    addSlider(6, 10, 40, 290, 20, 1, 10, sliderTicks);
    addTabPanel(4, 10, 80, 400, 150);
    addTabPage(4, -1, "General");
    addTabPage(4, -1, "About");
    endTabPanel();
    setControlState(5, 1);
    setControlState(6, 8);
    setControlState(4, 1);
    setControlText(4, "Renamed");
    ASSERT_TRUE(gtktest::pumpUntil([&] { return mapped(window); }));

    gtk_window_close(GTK_WINDOW(window));
    EXPECT_EQ(waitEvent(), closeEvent);
    gtktest::settle();
    EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(window)));
    EXPECT_EQ(currentWindow(), window);
    EXPECT_EQ(getControlState(4), 1);
}

TEST_F(WindowServices, TheLatestControlIsStillKnownAfterACloseEvent) {
    WindowHandle window = openControlWindow();
    addButton(1, 110, 265, 80, 30, "OK");
    addButton(3, 210, 265, 80, 30, "Cancel");
    GtkWidget* cancel = findByLabel(window, GTK_TYPE_BUTTON, "Cancel");
    ASSERT_NE(cancel, nullptr);
    gtk_button_clicked(GTK_BUTTON(cancel));
    EXPECT_EQ(waitEvent(), controlEvent);
    EXPECT_EQ(eventControl(), 3);
    gtk_window_close(GTK_WINDOW(window));
    EXPECT_EQ(waitEvent(), closeEvent);
    EXPECT_EQ(eventControl(), 3);
}

TEST_F(WindowServices, ControlsOnTabPagesSitOnTheFirstPageUntilAnotherTabIsChosen) {
    WindowHandle window = openControlWindow();
    ControlHandle panel = addTabPanel(4, 10, 15, 400, 245);
    ASSERT_NE(panel, nullptr);
    addTabPage(4, -1, "General");
    addCheckBox(5, 93, 168, 110, 20, "On the first page");
    addTabPage(4, -1, "About");
    addCheckBox(8, 33, 18, 110, 20, "On the second page");
    endTabPanel();
    addButton(1, 110, 265, 80, 30, "After the panel");
    ASSERT_TRUE(gtktest::pumpUntil([&] { return mapped(window); }));
    gtktest::settle();

    GtkWidget* first = findByLabel(window, GTK_TYPE_CHECK_BUTTON, "On the first page");
    GtkWidget* second = findByLabel(window, GTK_TYPE_CHECK_BUTTON, "On the second page");
    GtkWidget* after = findByLabel(window, GTK_TYPE_BUTTON, "After the panel");
    ASSERT_TRUE(first && second && after);
    EXPECT_EQ(getControlState(4), 0);
    EXPECT_TRUE(gtk_widget_is_drawable(first));
    EXPECT_FALSE(gtk_widget_is_drawable(second));
    // The button made after endTabPanel is back on the window, not on a page.
    EXPECT_EQ(gtk_widget_get_parent(after), gtk_bin_get_child(GTK_BIN(window)));
    // Page controls are placed relative to their page.
    int px = -1;
    int py = -1;
    gtk_widget_translate_coordinates(first, gtk_widget_get_parent(first), 0, 0, &px, &py);
    EXPECT_EQ(px, 93);
    EXPECT_EQ(py, 168);

    setControlState(4, 1);
    gtktest::settle();
    EXPECT_FALSE(gtk_widget_is_drawable(first));
    EXPECT_TRUE(gtk_widget_is_drawable(second));
}

TEST_F(WindowServices, TabWrapsAroundTheVisibleControlsOnly) {
    WindowHandle window = openControlWindow();
    addButton(1, 110, 265, 80, 30, "OK");
    addButton(2, 305, 265, 80, 30, "Help");
    addTabPanel(4, 10, 15, 400, 245);
    addTabPage(4, -1, "General");
    addCheckBox(5, 93, 168, 110, 20, "Names");
    addSlider(6, 88, 33, 290, 20, 1, 10, sliderTicks);
    addTabPage(4, -1, "About");
    addCheckBox(8, 33, 18, 110, 20, "Hidden");
    endTabPanel();
    ASSERT_TRUE(gtktest::pumpUntil([&] { return mapped(window); }));
    gtktest::settle();
    GtkWidget* hidden = findByLabel(window, GTK_TYPE_CHECK_BUTTON, "Hidden");
    ASSERT_NE(hidden, nullptr);

    // Tab round the window twice: the focus must come back to where it
    // started, and never reach the control of the hidden page.
    std::vector<GtkWidget*> forward;
    for (int i = 0; i < 12; ++i) {
        g_signal_emit_by_name(window, "move-focus", GTK_DIR_TAB_FORWARD);
        forward.push_back(gtk_window_get_focus(GTK_WINDOW(window)));
    }
    const std::set<GtkWidget*> distinct(forward.begin(), forward.end());
    EXPECT_EQ(distinct.count(nullptr), 0u) << "Tab left the window without a focus";
    EXPECT_EQ(distinct.count(hidden), 0u);
    const size_t cycle = distinct.size();
    ASSERT_GE(cycle, 4u);  // OK, Help, the tabs, the check box, the slider
    ASSERT_LT(cycle, forward.size());
    EXPECT_EQ(forward[cycle], forward[0]);

    // Shift+Tab walks the same cycle backwards.
    g_signal_emit_by_name(window, "move-focus", GTK_DIR_TAB_BACKWARD);
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(window)), forward[forward.size() - 2]);
}

// A real drag with the pointer, through the X server: the slider reports
// every step, so a label can follow the thumb.
TEST_F(WindowServices, DraggingASliderReportsEveryStep) {
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    WindowHandle window = openControlWindow();
    addSlider(9, 88, 108, 290, 20, 1, 60, sliderTicks);
    ASSERT_TRUE(gtktest::pumpUntil([&] { return mapped(window); }));
    gtktest::settle(300);
    int wx = 0;
    int wy = 0;
    originOf(window, wx, wy);
    // From the thumb at the left end to the right end, in small steps, in
    // the background while this process takes the events.
    const int y = wy + 108 + 8;
    std::string script = "(xdotool mousemove " + std::to_string(wx + 95) + " " + std::to_string(y) +
                         "; sleep 0.2; xdotool mousedown 1";
    for (int x = wx + 100; x <= wx + 390; x += 15) script += "; sleep 0.03; xdotool mousemove " + std::to_string(x) + " " + std::to_string(y);
    script += "; sleep 0.1; xdotool mouseup 1) >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(script.c_str()), 0);

    std::set<int32_t> positions;
    int events = 0;
    while (getControlState(9) < 60 && events < 500) {
        if (waitEvent() != controlEvent) continue;
        ++events;
        EXPECT_EQ(eventControl(), 9);
        positions.insert(getControlState(9));
    }
    EXPECT_EQ(getControlState(9), 60);
    EXPECT_GE(positions.size(), 5u) << "the slider reported only the end of the drag";
    gtktest::settle(600);  // let the button come up before the next test
}

// ---- process services ----

TEST_F(WindowServices, ThePointerIsReadInScreenPixelsAndCanBeHiddenOverNewWindows) {
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    ASSERT_EQ(std::system("xdotool mousemove 123 45"), 0);
    int32_t x = -1;
    int32_t y = -1;
    ASSERT_TRUE(cursorPosition(x, y));
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, 45);

    setCursorVisible(false);
    WindowHandle window = openTopWindow(0, 0, 0, 200, 100, stylePopup, "");
    ASSERT_NE(window, nullptr);
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window));
    ASSERT_NE(surface, nullptr);
    GdkCursor* cursor = gdk_window_get_cursor(surface);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(gdk_cursor_get_cursor_type(cursor), GDK_BLANK_CURSOR);
    setCursorVisible(true);
    EXPECT_EQ(gdk_window_get_cursor(surface), nullptr);
}

TEST_F(WindowServices, TheTickCounterCountsMilliseconds) {
    const uint32_t before = tickCount();
    sleepMilliseconds(50);
    const uint32_t elapsed = tickCount() - before;
    EXPECT_GE(elapsed, 49u);
    EXPECT_LT(elapsed, 10000u);  // milliseconds, not microseconds
}

}  // namespace
