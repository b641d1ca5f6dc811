// Window, control and event services on GTK 3, on a real (virtual) display.
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "gtk_test_support.h"
#include "platform/process_services.h"

namespace {

constexpr uint32_t dialogFlags = styleCaption | styleSystemMenu | styleSizingBorder | centreOnScreen | centreOverActive;

bool mapped(WindowHandle window) { return gtk_widget_get_mapped(GTK_WIDGET(window)); }

std::pair<int, int> originOf(WindowHandle window) {
    int x = -1, y = -1;
    gdk_window_get_origin(gtk_widget_get_window(GTK_WIDGET(window)), &x, &y);
    return {x, y};
}

bool haveXdotool() { return std::system("command -v xdotool >/dev/null 2>&1") == 0; }

class WindowServices : public ::testing::Test {
protected:
    void SetUp() override {
        gtktest::startPlatform();
        ASSERT_TRUE(gtkbackend::displayOpen()) << "these tests need a display";
        screenW = screenWidth();
        screenH = screenHeight();
    }
    void TearDown() override { closeAllWindows(); }

    // Opens a top window and waits until it is on the screen.
    WindowHandle openShown(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t flags, int settleMs = 150) {
        WindowHandle window = openTopWindow(0, x, y, w, h, flags, "Plaidwick");
        EXPECT_TRUE(window && gtktest::pumpUntil([&] { return mapped(window); }));
        gtktest::settle(settleMs);
        return window;
    }

    // A captioned window holding controls made by the test.
    WindowHandle openControlWindow() {
        WindowHandle window = openTopWindow(0, 0, 0, 420, 300, dialogFlags, "Controls");
        EXPECT_NE(window, nullptr);
        EXPECT_EQ(beginControlList(window), window);
        return window;
    }

    // OK and Help on the window; a panel whose first page holds a check box and a slider
    // and whose second page a check box; a button back on the window after the panel.
    void addPanelDialog() {
        addButton(1, 110, 265, 80, 30, "OK");
        addButton(2, 305, 265, 80, 30, "Help");
        ASSERT_NE(addTabPanel(4, 10, 15, 400, 245), nullptr);
        addTabPage(4, -1, "General");
        addCheckBox(5, 93, 168, 110, 20, "On the first page");
        addSlider(6, 88, 33, 290, 20, 1, 10, sliderTicks);
        addTabPage(4, -1, "About");
        addCheckBox(8, 33, 18, 110, 20, "On the second page");
        endTabPanel();
        addButton(3, 210, 265, 80, 30, "After the panel");
    }

    // The first widget of `type` under the window with the label given.
    static GtkWidget* findByLabel(GtkWidget* widget, GType type, const std::string& label) {
        if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type) && label == gtk_button_get_label(GTK_BUTTON(widget))) return widget;
        GtkWidget* found = nullptr;
        if (GTK_IS_CONTAINER(widget)) {
            GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
            for (GList* c = children; c && !found; c = c->next) found = findByLabel(GTK_WIDGET(c->data), type, label);
            g_list_free(children);
        }
        return found;
    }

    // The panel dialog on screen.
    WindowHandle openPanelDialog() {
        WindowHandle window = openControlWindow();
        addPanelDialog();
        EXPECT_TRUE(gtktest::pumpUntil([&] { return mapped(window); }));
        return window;
    }

    int32_t screenW = 0;
    int32_t screenH = 0;
};

TEST_F(WindowServices, APopupIsBorderlessBlackAndCoversTheAreaAskedFor) {
    ASSERT_GT(screenW, 0);
    WindowHandle window = openShown(0, 0, screenW, screenH, stylePopup, 300);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(gtk_window_get_decorated(GTK_WINDOW(window)));
    EXPECT_EQ(originOf(window), std::make_pair(0, 0));
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window));
    EXPECT_EQ(std::make_pair(gdk_window_get_width(surface), gdk_window_get_height(surface)), std::make_pair(screenW, screenH));
    gtktest::ScreenGrab screen(0, 0, screenW, screenH);
    ASSERT_TRUE(screen.valid());
    for (int py : {0, screenH / 2, screenH - 1})
        for (int px : {0, screenW / 2, screenW - 1}) EXPECT_EQ(screen.at(px, py), 0u) << px << "," << py;
}

TEST_F(WindowServices, TheVisibilityBitIsInvertedAndBareStylesGetACaption) {
    WindowHandle hidden = openTopWindow(1, 10, 10, 100, 80, styleHiddenBit, "hidden");
    WindowHandle shown = openTopWindow(2, 10, 10, 100, 80, 0, "shown");
    ASSERT_TRUE(hidden && shown);
    EXPECT_FALSE(gtk_widget_get_visible(GTK_WIDGET(hidden)));
    EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(shown)));
    for (WindowHandle w : {hidden, shown}) EXPECT_TRUE(gtk_window_get_decorated(GTK_WINDOW(w)));
    EXPECT_EQ(currentWindow(), shown);
}

TEST_F(WindowServices, CentredWindowsKeepTheirClientSizeAndStopAtTheLeftEdge) {
    WindowHandle dialog = openShown(361, 207, 420, 300, dialogFlags);
    ASSERT_NE(dialog, nullptr);
    GtkWidget* client = gtk_bin_get_child(GTK_BIN(dialog));
    EXPECT_EQ(std::make_pair(gtk_widget_get_allocated_width(client), gtk_widget_get_allocated_height(client)),
              std::make_pair(420, 300));
    EXPECT_TRUE(gtk_window_get_decorated(GTK_WINDOW(dialog)) && gtk_window_get_resizable(GTK_WINDOW(dialog)));
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "Plaidwick");
    EXPECT_EQ(originOf(dialog), std::make_pair((screenW >> 1) - 210, (screenH >> 1) - 150));

    WindowHandle wide = openShown(50, 50, screenW + 101, 61, styleCaption | centreOnScreen);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(originOf(wide), std::make_pair(0, (screenH >> 1) - 30));
}

TEST_F(WindowServices, ReopeningANumberClosesTheOldWindowAndClosingAllEmptiesTheTable) {
    std::vector<gpointer> alive;
    alive.reserve(3);
    auto open = [&](int32_t number) {
        WindowHandle w = openTopWindow(number, 0, 0, 50, 50, 0, "w");
        alive.push_back(w);
        if (w) g_object_add_weak_pointer(G_OBJECT(w), &alive.back());
        return w;
    };
    open(3);
    WindowHandle second = open(3);
    EXPECT_EQ(alive[0], nullptr);
    EXPECT_EQ(currentWindow(), second);
    open(45);  // beyond the first table
    ASSERT_TRUE(alive[1] && alive[2]);
    closeAllWindows();
    EXPECT_EQ(alive[1], nullptr);
    EXPECT_EQ(alive[2], nullptr);
    EXPECT_EQ(currentWindow(), nullptr);
    EXPECT_EQ(beginControlList(second), nullptr);
}

TEST_F(WindowServices, ControlStatesAreClampedAndUnknownControlsReadZero) {
    addButton(23, 0, 0, 10, 10, "no parent");  // no control list begun: not made
    EXPECT_EQ(beginControlList(nullptr), nullptr);
    openControlWindow();
    addSlider(20, 10, 10, 290, 20, 1, 10, sliderTicks);
    addSlider(21, 10, 60, 290, 20, -5, 20000, 0);  // the range itself is held to 0 ... 10000
    addCheckBox(22, 10, 100, 140, 20, "Tick");
    EXPECT_EQ(getControlState(20), 1) << "a slider starts at its minimum";
    EXPECT_EQ(getControlState(22), 0);
    const struct { int32_t id, set, expected; } steps[] = {{20, 25, 10}, {20, -3, 1}, {20, 7, 7}, {21, 20000, 10000},
        {21, -5, 0}, {22, 1, 1}, {22, 0, 0}, {22, 2, 1}, {23, 5, 0}, {9999, 1, 0}, {-1, 1, 0}};
    for (const auto& s : steps) {
        setControlState(s.id, s.set);
        EXPECT_EQ(getControlState(s.id), s.expected) << s.id << " set to " << s.set;
    }
}

TEST_F(WindowServices, OnlyTheUsersActionsRaiseEventsAndACloseRequestKeepsTheWindow) {
    WindowHandle window = openPanelDialog();
    for (const auto& [id, state] : {std::make_pair(5, 1), {6, 8}, {4, 1}}) setControlState(id, state);
    setControlText(4, "Renamed");
    gtktest::settle();

    GtkWidget* button = findByLabel(GTK_WIDGET(window), GTK_TYPE_BUTTON, "After the panel");
    ASSERT_NE(button, nullptr);
    gtk_button_clicked(GTK_BUTTON(button));
    EXPECT_EQ(waitEvent(), controlEvent);
    EXPECT_EQ(eventControl(), 3) << "the program's own changes raised an event";
    gtk_window_close(GTK_WINDOW(window));
    EXPECT_EQ(waitEvent(), closeEvent);
    EXPECT_EQ(eventControl(), 3);
    gtktest::settle();
    EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(window)));
    EXPECT_EQ(currentWindow(), window);
    EXPECT_EQ(getControlState(4), 1);
}

// The first page shows until another tab is chosen; Tab wraps round the visible controls only.
TEST_F(WindowServices, TabPagesAndTheTabKey) {
    WindowHandle window = openPanelDialog();
    gtktest::settle();
    GtkWidget* first = findByLabel(GTK_WIDGET(window), GTK_TYPE_CHECK_BUTTON, "On the first page");
    GtkWidget* hidden = findByLabel(GTK_WIDGET(window), GTK_TYPE_CHECK_BUTTON, "On the second page");
    GtkWidget* after = findByLabel(GTK_WIDGET(window), GTK_TYPE_BUTTON, "After the panel");
    ASSERT_TRUE(first && hidden && after);
    EXPECT_EQ(getControlState(4), 0);
    EXPECT_TRUE(gtk_widget_is_drawable(first));
    EXPECT_FALSE(gtk_widget_is_drawable(hidden));
    EXPECT_EQ(gtk_widget_get_parent(after), gtk_bin_get_child(GTK_BIN(window)));
    int px = -1, py = -1;  // relative to the page
    gtk_widget_translate_coordinates(first, gtk_widget_get_parent(first), 0, 0, &px, &py);
    EXPECT_EQ(std::make_pair(px, py), std::make_pair(93, 168));

    std::vector<GtkWidget*> forward;  // twice round the window
    for (int i = 0; i < 14; ++i) {
        g_signal_emit_by_name(window, "move-focus", GTK_DIR_TAB_FORWARD);
        forward.push_back(gtk_window_get_focus(GTK_WINDOW(window)));
    }
    const std::set<GtkWidget*> distinct(forward.begin(), forward.end());
    EXPECT_EQ(distinct.count(nullptr), 0u) << "Tab left the window without a focus";
    EXPECT_EQ(distinct.count(hidden), 0u);
    const size_t cycle = distinct.size();
    ASSERT_GE(cycle, 5u);  // three buttons, the tabs, the check box, the slider
    ASSERT_LT(cycle, forward.size());
    EXPECT_EQ(forward[cycle], forward[0]);
    g_signal_emit_by_name(window, "move-focus", GTK_DIR_TAB_BACKWARD);
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(window)), forward[forward.size() - 2]);

    setControlState(4, 1);
    gtktest::settle();
    EXPECT_FALSE(gtk_widget_is_drawable(first));
    EXPECT_TRUE(gtk_widget_is_drawable(hidden));
}

// A real drag through the X server: the slider reports every step.
TEST_F(WindowServices, DraggingASliderReportsEveryStep) {
    if (!haveXdotool()) GTEST_SKIP() << "xdotool is not installed";
    WindowHandle window = openControlWindow();
    addSlider(9, 88, 108, 290, 20, 1, 60, sliderTicks);
    ASSERT_TRUE(gtktest::pumpUntil([&] { return mapped(window); }));
    gtktest::settle(300);
    const auto [wx, wy] = originOf(window);
    const std::string y = " " + std::to_string(wy + 116);
    std::string script = "(xdotool mousemove " + std::to_string(wx + 95) + y + "; sleep 0.2; xdotool mousedown 1";
    for (int x = wx + 100; x <= wx + 390; x += 15) script += "; sleep 0.03; xdotool mousemove " + std::to_string(x) + y;
    script += "; sleep 0.1; xdotool mouseup 1) >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(script.c_str()), 0);

    std::set<int32_t> positions;
    for (int events = 0; getControlState(9) < 60 && events < 500;) {
        if (waitEvent() != controlEvent) continue;
        EXPECT_EQ(eventControl(), 9) << "event " << ++events;
        positions.insert(getControlState(9));
    }
    EXPECT_EQ(getControlState(9), 60);
    EXPECT_GE(positions.size(), 5u) << "the slider reported only the end of the drag";
    gtktest::settle(600);  // let the button come up before the next test
}

TEST_F(WindowServices, ThePointerIsReadInScreenPixelsAndCanBeHiddenOverNewWindows) {
    if (!haveXdotool()) GTEST_SKIP() << "xdotool is not installed";
    ASSERT_EQ(std::system("xdotool mousemove 123 45"), 0);
    int32_t x = -1, y = -1;
    ASSERT_TRUE(cursorPosition(x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(123, 45));

    setCursorVisible(false);
    WindowHandle window = openTopWindow(0, 0, 0, 200, 100, stylePopup, "");
    ASSERT_NE(window, nullptr);
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window));
    GdkCursor* cursor = surface ? gdk_window_get_cursor(surface) : nullptr;
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(gdk_cursor_get_cursor_type(cursor), GDK_BLANK_CURSOR);
    setCursorVisible(true);
    EXPECT_EQ(gdk_window_get_cursor(surface), nullptr);
}

TEST_F(WindowServices, TheTickCounterCountsMilliseconds) {
    const uint32_t before = tickCount();
    sleepMilliseconds(50);
    const uint32_t elapsed = tickCount() - before;
    EXPECT_TRUE(elapsed >= 49 && elapsed < 10000) << elapsed << ": not milliseconds";
}

}  // namespace
