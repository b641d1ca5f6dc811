// The probe on GTK: pointer and keys as real input through the X server
// (xdotool's XTest), pixels read back from the X server's root window.
#include "probe.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>

static void xdotool(const std::string& what) { EXPECT_EQ(std::system(("xdotool " + what).c_str()), 0) << what; }

// The backend connects each control's signals with the control's number for
// their data (and no other handler in a window has a small number for its data).
static GtkWidget* findControl(gpointer w, int32_t n) {
    if (g_signal_handler_find(w, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, GINT_TO_POINTER(n))) return GTK_WIDGET(w);
    g_autoptr(GList) children = GTK_IS_CONTAINER(w) ? gtk_container_get_children(GTK_CONTAINER(w)) : nullptr;
    GtkWidget* found = nullptr;
    for (GList* c = children; c && !found; c = c->next) found = findControl(c->data, n);
    return found;
}

bool probe::pumpUntil(const std::function<bool()>& done, int ms) {
    const gint64 end = g_get_monotonic_time() + ms * 1000;
    while (!done() && g_get_monotonic_time() < end)
        for (g_usleep(2000); gtk_events_pending();) gtk_main_iteration_do(FALSE);
    return done();
}

// waitEvent blocks until an event: a watchdog ends the wait with a close
// request to a hidden window made for it.
static gboolean watchdog(gpointer late) {
    *static_cast<bool*>(late) = true;
    gtk_window_close(GTK_WINDOW(openTopWindow(99, 0, 0, 1, 1, styleHiddenBit, "")));
    return G_SOURCE_REMOVE;
}

bool probe::awaitEvent(int32_t code, int32_t control, const std::function<bool()>& also, int ms) {
    bool late = false, met = false;
    const guint timer = g_timeout_add(ms, watchdog, &late);
    for (int32_t event; !met && !late && (event = waitEvent()) != 0;)
        met = !late && event == code && (control < 0 || eventControl() == control) && (!also || also());
    if (!late) g_source_remove(timer);
    return met;
}

probe::Rect probe::client(WindowHandle window) {
    int x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(GTK_WIDGET(window)), &x, &y);
    GtkAllocation a{};
    gtk_widget_get_allocation(gtk_bin_get_child(GTK_BIN(window)), &a);
    return {x + a.x, y + a.y, a.width, a.height};
}

bool probe::hasCaption(WindowHandle window) { return gtk_window_get_decorated(GTK_WINDOW(window)); }
bool probe::isVisible(WindowHandle window) { return gtk_widget_get_mapped(GTK_WIDGET(window)); }
int probe::visibleWindows() {
    g_autoptr(GList) windows = gtk_window_list_toplevels();
    int count = 0;
    for (GList* w = windows; w; w = w->next) count += gtk_widget_get_visible(GTK_WIDGET(w->data));
    return count;
}
void probe::activate(WindowHandle window) {
    gtk_window_present(GTK_WINDOW(window));
    pumpUntil([&] { return gtk_window_is_active(GTK_WINDOW(window)); });
}
void probe::requestClose(WindowHandle window) { gtk_window_close(GTK_WINDOW(window)); }
void probe::resize(WindowHandle w, int32_t width, int32_t height) { gtk_window_resize(GTK_WINDOW(w), width, height); }

uint32_t probe::screenPixel(int32_t x, int32_t y) {
    g_autoptr(GdkPixbuf) pixel = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, 1, 1);
    const guchar* rgb = pixel ? gdk_pixbuf_get_pixels(pixel) : nullptr;
    return rgb ? uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2] : 0xFFFFFFFFu;
}

// Controls made last are placed at the next frame.
probe::Rect probe::controlRect(WindowHandle window, int32_t number) {
    GtkWidget* control = findControl(window, number);
    int x = 0, y = 0;
    if (!control || !gtk_widget_is_drawable(control) ||
        !pumpUntil([&] { return gtk_widget_get_allocated_width(control) > 1; }, 2000) ||
        !gtk_widget_translate_coordinates(control, gtk_bin_get_child(GTK_BIN(window)), 0, 0, &x, &y))
        return {0, 0, 0, 0};
    return {x, y, gtk_widget_get_allocated_width(control), gtk_widget_get_allocated_height(control)};
}

// The control's own minimum (what its class asks for, without the size
// asked of it) in the box it was given: what holds it in the layout.
probe::TextFit probe::textFit(WindowHandle window, int32_t number) {
    GtkWidget* outer = findControl(window, number);
    while (outer && !GTK_IS_FIXED(gtk_widget_get_parent(outer))) outer = gtk_widget_get_parent(outer);
    if (!outer) return {};
    int needWidth = 0, needHeight = 0, natural = 0;
    GTK_WIDGET_GET_CLASS(outer)->get_preferred_width(outer, &needWidth, &natural);
    // A new text is laid out at the next frame.
    pumpUntil([&] { return gtk_widget_get_allocated_width(outer) >= needWidth; }, 500);
    const int width = gtk_widget_get_allocated_width(outer), height = gtk_widget_get_allocated_height(outer);
    GTK_WIDGET_GET_CLASS(outer)->get_preferred_height_for_width(outer, width, &needHeight, &natural);
    return {needWidth, needHeight, width, height};
}

int32_t probe::focusedControl(WindowHandle window) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    for (int32_t number = 1; focus && number < 100; ++number) if (findControl(focus, number) == focus) return number;
    return -1;
}

void probe::press(WindowHandle window, Key key) {
    activate(window);
    xdotool(key == Key::tab ? "key Tab" : key == Key::shiftTab ? "key shift+Tab" : "key Right");
}

void probe::mouse(WindowHandle window, int32_t x, int32_t y, bool down) {
    static bool held = false;
    const Rect c = client(window);
    xdotool("mousemove " + std::to_string(c.x + x) + " " + std::to_string(c.y + y));
    if (down != held) xdotool(down ? "mousedown 1" : "mouseup 1");
    held = down;
}

bool probe::pointerHidden(WindowHandle window) {
    GdkCursor* cursor = gdk_window_get_cursor(gtk_widget_get_window(GTK_WIDGET(window)));
    return cursor && gdk_cursor_get_cursor_type(cursor) == GDK_BLANK_CURSOR;
}

std::string probe::freshStore() {
    static char root[] = "/tmp/plaidwick-test-XXXXXX";
    static int tests = 0;
    if (tests++ == 0 && mkdtemp(root))
        std::atexit([] { (void)!std::system(("chmod -R u+rwx " + std::string(root) + "; rm -rf " + root).c_str()); });
    const std::string folder = root + ("/" + std::to_string(tests));
    g_setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), TRUE);
    return folder;
}
