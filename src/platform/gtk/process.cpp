// Process, time, pointer and screen services on GLib and GDK.
#include <cstdlib>
#include <string>
#include <vector>

#include <gdk/gdkx.h>

#include "platform/gtk/gtk_backend.h"
#include "platform/process_services.h"

namespace {

std::vector<std::string>& arguments() {
    static std::vector<std::string> list;
    return list;
}

bool cursorHidden = false;

GdkDevice* pointerDevice() {
    if (!gtkbackend::displayOpen()) return nullptr;
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return nullptr;
    GdkSeat* seat = gdk_display_get_default_seat(display);
    return seat ? gdk_seat_get_pointer(seat) : nullptr;
}

// The primary monitor's area; the first monitor, or the default screen,
// when no monitor is marked primary.
bool screenArea(GdkRectangle& area) {
    if (!gtkbackend::displayOpen()) return false;
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return false;
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    if (monitor) {
        gdk_monitor_get_geometry(monitor, &area);
        return area.width > 0 && area.height > 0;
    }
    GdkScreen* screen = gdk_display_get_default_screen(display);
    if (!screen) return false;
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    area = GdkRectangle{0, 0, gdk_screen_get_width(screen), gdk_screen_get_height(screen)};
    G_GNUC_END_IGNORE_DEPRECATIONS
    return true;
}

void applyCursorToAll() {
    if (!gtkbackend::displayOpen()) return;
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item; item = item->next)
        gtkbackend::applyCursor(GTK_WIDGET(item->data));
    g_list_free(windows);
    gdk_display_flush(gdk_display_get_default());
}

}  // namespace

namespace gtkbackend {

void setProgramArguments(int argc, char** argv) {
    arguments().clear();
    for (int i = 0; i < argc; ++i) arguments().emplace_back(argv[i] ? argv[i] : "");
}

void applyCursor(GtkWidget* window) {
    GdkWindow* surface = gtk_widget_get_window(window);
    if (!surface) return;
    if (!cursorHidden) {
        gdk_window_set_cursor(surface, nullptr);
        return;
    }
    GdkCursor* blank = gdk_cursor_new_for_display(gdk_window_get_display(surface), GDK_BLANK_CURSOR);
    gdk_window_set_cursor(surface, blank);
    if (blank) g_object_unref(blank);
}

}  // namespace gtkbackend

std::string programArgument(int index) {
    const auto& list = arguments();
    if (index < 0 || static_cast<size_t>(index) + 1 >= list.size()) return "";
    return list[static_cast<size_t>(index) + 1];
}

uint32_t tickCount() { return static_cast<uint32_t>(g_get_monotonic_time() / 1000); }

void exitProcess() { std::exit(0); }

bool cursorPosition(int32_t& x, int32_t& y) {
    // On X11 one core-protocol query is the cheapest reading, which matters
    // because the show polls the pointer a hundred times a second.
    GdkDisplay* display = gdk_display_get_default();
    if (display && GDK_IS_X11_DISPLAY(display)) {
        Display* xdisplay = gdk_x11_display_get_xdisplay(display);
        Window root = 0;
        Window child = 0;
        int rootX = 0;
        int rootY = 0;
        int winX = 0;
        int winY = 0;
        unsigned int mask = 0;
        if (XQueryPointer(xdisplay, DefaultRootWindow(xdisplay), &root, &child, &rootX, &rootY,
                          &winX, &winY, &mask)) {
            x = rootX;
            y = rootY;
            return true;
        }
    }
    GdkDevice* pointer = pointerDevice();
    if (!pointer) return false;
    gint px = 0;
    gint py = 0;
    gdk_device_get_position(pointer, nullptr, &px, &py);
    x = px;
    y = py;
    return true;
}

void setCursorVisible(bool visible) {
    cursorHidden = !visible;
    applyCursorToAll();
}

int32_t screenWidth() {
    GdkRectangle area{};
    return screenArea(area) ? area.width : 0;
}

int32_t screenHeight() {
    GdkRectangle area{};
    return screenArea(area) ? area.height : 0;
}

void waitForWindowEvents(int32_t milliseconds) { gtkbackend::waitWithoutEvents(milliseconds); }
