// Process, time, pointer and screen services on GLib and GDK.
#include <cstdlib>
#include <string>
#include <vector>

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

void sleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) g_usleep(static_cast<gulong>(milliseconds) * 1000);
}

void exitProcess() { std::exit(0); }

bool cursorPosition(int32_t& x, int32_t& y) {
    // Each reading is a round trip to the X server. The show asks every few
    // milliseconds while it holds a picture; a reading at most this old is
    // as good to it and keeps the held picture nearly free.
    constexpr uint32_t freshForMs = 40;
    static bool known = false;
    static uint32_t readAt = 0;
    static gint lastX = 0;
    static gint lastY = 0;
    const uint32_t now = tickCount();
    if (!known || now - readAt >= freshForMs) {
        GdkDevice* pointer = pointerDevice();
        if (!pointer) return false;
        gdk_device_get_position(pointer, nullptr, &lastX, &lastY);
        known = true;
        readAt = now;
    }
    x = lastX;
    y = lastY;
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

void serviceWindowEvents() {
    // The show calls this between pointer polls, every few milliseconds while
    // it holds a picture; looking at the window system's queue that often
    // would cost more than the polls themselves, and a few tens of
    // milliseconds are soon enough for repaints and the like.
    constexpr uint32_t serviceIntervalMs = 40;
    static bool serviced = false;
    static uint32_t lastService = 0;
    const uint32_t now = tickCount();
    if (serviced && now - lastService < serviceIntervalMs) return;
    serviced = true;
    lastService = now;
    gtkbackend::dispatchQueuedWithoutEvents();
}
