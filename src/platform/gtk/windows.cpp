// Numbered top-level windows, numbered controls and events on GTK 3.
//
// Each top-level window holds a GtkFixed as its client area, so controls sit
// at exact pixel positions, and a drawing area under the controls that shows
// the window's off-screen picture once something has been drawn on it.
// Signal handlers do not act: they leave one pending event that waitEvent
// hands to the program.
#include <algorithm>
#include <cmath>
#include <string>
#include <unistd.h>
#include <vector>

#include <X11/Xlib.h>

#include "picture/images.h"
#include "platform/drawing_services.h"
#include "platform/gtk/gtk_backend.h"
#include "platform/process_services.h"
#include "platform/window_services.h"

namespace {

struct TopWindow {
    GtkWidget* window = nullptr;
    GtkWidget* client = nullptr;  // GtkFixed: the client area, parent of the controls
    GtkWidget* canvas = nullptr;  // shows `buffer`, below every control
    cairo_surface_t* buffer = nullptr;
    int32_t width = 0;  // client size asked for; the buffer's size
    int32_t height = 0;
    int32_t shownWidth = 0;  // client size last allocated, to notice changes
    int32_t shownHeight = 0;
    double scale = 1;  // what the layout given is multiplied by
};

enum class ControlKind { none, button, checkBox, label, slider, picture, panel };

struct ControlSlot {
    GtkWidget* widget = nullptr;  // the control itself
    ControlKind kind = ControlKind::none;
    int32_t minimum = 0;  // sliders
    int32_t maximum = 0;
    bool vertical = false;
};

bool displayReady = false;
std::vector<TopWindow*> windowTable(12, nullptr);
TopWindow* current = nullptr;

std::vector<ControlSlot> controlTable(32);
GtkWidget* controlParent = nullptr;  // a GtkFixed: a window's client area or a tab page
std::vector<GtkWidget*> savedParents;

int32_t pendingEvent = 0;
int32_t latestControl = 0;
// While above 0, what the signal handlers see is the program's own doing (or
// the show's servicing) and raises no event.
int eventsMuted = 0;

struct MuteEvents {
    MuteEvents() { ++eventsMuted; }
    ~MuteEvents() { --eventsMuted; }
    MuteEvents(const MuteEvents&) = delete;
    MuteEvents& operator=(const MuteEvents&) = delete;
};

void raiseEvent(int32_t code, int32_t control) {
    if (eventsMuted > 0) return;
    pendingEvent = code;
    if (code == controlEvent || code == menuEvent) latestControl = control;
}

gpointer numberData(int32_t number) { return GINT_TO_POINTER(number); }
int32_t numberOf(gpointer data) { return GPOINTER_TO_INT(data); }

TopWindow* findWindow(WindowHandle handle) {
    if (!handle) return nullptr;
    for (TopWindow* w : windowTable)
        if (w && w->window == handle) return w;
    return nullptr;
}

// The window that holds a widget.
TopWindow* windowOf(GtkWidget* widget) {
    GtkWidget* top = widget ? gtk_widget_get_toplevel(widget) : nullptr;
    for (TopWindow* w : windowTable)
        if (w && w->window == top) return w;
    return nullptr;
}

// The desktop's text scale: its font resolution (which follows the desktop's
// settings and GDK_DPI_SCALE) over 96 per inch.
double textScale() {
    const double resolution = gdk_screen_get_resolution(gdk_screen_get_default());
    return resolution > 0 ? resolution / 96 : 1;
}

int32_t scaled(int32_t value, double scale) {
    return scale == 1 ? value : static_cast<int32_t>(std::lround(value * scale));
}

bool anyWindowOpen() {
    return std::any_of(windowTable.begin(), windowTable.end(), [](TopWindow* w) { return w != nullptr; });
}

// ---- window signals ----

gboolean onDeleteRequest(GtkWidget*, GdkEvent*, gpointer) {
    raiseEvent(closeEvent, 0);
    return TRUE;  // the window stays open
}

void onClientAllocated(GtkWidget*, GdkRectangle* allocation, gpointer data) {
    TopWindow* w = static_cast<TopWindow*>(data);
    if (allocation->width == w->shownWidth && allocation->height == w->shownHeight) return;
    w->shownWidth = allocation->width;
    w->shownHeight = allocation->height;
    raiseEvent(resizeEvent, 0);
}

gboolean onCanvasDraw(GtkWidget*, cairo_t* cr, gpointer data) {
    TopWindow* w = static_cast<TopWindow*>(data);
    if (!w->buffer) return FALSE;
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, w->buffer, 0, 0);
    cairo_paint(cr);
    return TRUE;
}

void onWindowRealized(GtkWidget* window, gpointer) { gtkbackend::applyCursor(window); }

// ---- window placement ----

bool screenOrigin(GdkRectangle& area) {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return false;
    gdk_monitor_get_geometry(monitor, &area);
    return true;
}

// The active window among the program's own, other than `except`.
TopWindow* activeWindow(const TopWindow* except) {
    for (TopWindow* w : windowTable)
        if (w && w != except && gtk_window_is_active(GTK_WINDOW(w->window))) return w;
    return nullptr;
}

// Where the window's top-left corner goes: (x, y) as given, or centred on
// the screen or over the active window. Halves are taken by an arithmetic
// shift, so odd sizes round towards minus infinity.
void placement(const TopWindow* w, int32_t x, int32_t y, uint32_t flags, int32_t& left, int32_t& top) {
    left = x;
    top = y;
    if (!(flags & (centreOnScreen | centreOverActive))) return;
    const int32_t width = w->width;
    const int32_t height = w->height;
    if (flags & centreOverActive) {
        if (TopWindow* active = activeWindow(w)) {
            GdkWindow* surface = gtk_widget_get_window(active->window);
            GdkRectangle a{};
            if (surface) gdk_window_get_frame_extents(surface, &a);
            left = std::max(0, a.x + (a.width >> 1) - (width >> 1));
            top = std::max(0, a.y + (a.height >> 1) - (height >> 1));
            return;
        }
    }
    GdkRectangle screen{0, 0, screenWidth(), screenHeight()};
    screenOrigin(screen);
    left = screen.x + (screen.width >> 1) - (std::min(width, screen.width) >> 1);
    top = screen.y + (screen.height >> 1) - (std::min(height, screen.height) >> 1);
}

// A pop-up that covers the whole screen is also asked to be full-screen, so
// that a window manager keeps its panels from being drawn over it.
bool coversScreen(int32_t left, int32_t top, int32_t width, int32_t height) {
    GdkRectangle screen{};
    if (!screenOrigin(screen)) return false;
    return left == screen.x && top == screen.y && width == screen.width && height == screen.height;
}

PixelView viewOf(cairo_surface_t* surface) {
    return PixelView{reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface)),
                     cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface),
                     cairo_image_surface_get_stride(surface) / 4};
}

void makeBuffer(TopWindow* w) {
    if (w->buffer) return;
    w->buffer = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(w->width, 1), std::max(w->height, 1));
    if (cairo_surface_status(w->buffer) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(w->buffer);
        w->buffer = nullptr;
        return;
    }
    const PixelView view = viewOf(w->buffer);
    for (int32_t y = 0; y < view.height; ++y) std::fill_n(view.row(y), view.width, 0xFF000000u);
    cairo_surface_mark_dirty(w->buffer);
    gtk_widget_show(w->canvas);
}

// A picture control's own copy of an image's pixels (null for no image),
// scaled (and smoothed) by `scale`.
cairo_surface_t* surfaceOfImage(const PixelView& pixels, double scale) {
    if (!pixels.pixels) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, scaled(pixels.width, scale),
                                                          scaled(pixels.height, scale));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    const PixelView copy = viewOf(surface);
    for (int32_t y = 0; y < pixels.height && scale == 1; ++y)
        std::copy_n(pixels.row(y), pixels.width, copy.row(y));
    cairo_surface_mark_dirty(surface);
    if (scale != 1) {
        cairo_surface_t* source = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(pixels.pixels), CAIRO_FORMAT_RGB24, pixels.width, pixels.height,
            pixels.stride * 4);
        cairo_t* cr = cairo_create(surface);
        cairo_scale(cr, static_cast<double>(copy.width) / pixels.width,
                    static_cast<double>(copy.height) / pixels.height);
        cairo_set_source_surface(cr, source, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(source);
    }
    return surface;
}

// A picture shows an image scaled with its window's layout.
void showImage(GtkWidget* picture, const PixelView& pixels) {
    const TopWindow* w = windowOf(picture);
    cairo_surface_t* surface = surfaceOfImage(pixels, w ? w->scale : 1);
    gtk_image_set_from_surface(GTK_IMAGE(picture), surface);
    if (surface) cairo_surface_destroy(surface);
}

void forgetControlsOf(GtkWidget* window) {
    for (ControlSlot& slot : controlTable)
        if (slot.widget && gtk_widget_get_toplevel(slot.widget) == window) slot = ControlSlot{};
    if (controlParent && gtk_widget_get_toplevel(controlParent) == window) controlParent = nullptr;
    savedParents.erase(std::remove_if(savedParents.begin(), savedParents.end(),
                                      [window](GtkWidget* p) { return p && gtk_widget_get_toplevel(p) == window; }),
                       savedParents.end());
}

void closeWindowSlot(size_t number) {
    TopWindow* w = windowTable[number];
    if (!w) return;
    windowTable[number] = nullptr;
    if (current == w) current = nullptr;
    forgetControlsOf(w->window);
    gtk_widget_destroy(w->window);
    if (w->buffer) cairo_surface_destroy(w->buffer);
    delete w;
}

// ---- controls ----

// The controls' positions and sizes are laid out for a small dialog font;
// the theme's larger font and paddings would push them past their boxes.
const char* const compactControls = R"css(
.plaidwick-controls { font-size: 8pt; }
.plaidwick-controls button { min-height: 0; min-width: 0; padding: 2px 6px; }
.plaidwick-controls checkbutton { padding: 0; }
.plaidwick-controls checkbutton check { min-width: 12px; min-height: 12px; margin: 0 4px 0 0; }
.plaidwick-controls notebook tab { min-height: 0; padding: 3px 10px; }
.plaidwick-controls scale { padding: 0 6px; min-height: 0; }
.plaidwick-controls scale marks { margin: 0; }
)css";

void useCompactControls(GtkWidget* window) {
    static GtkCssProvider* provider = nullptr;
    if (!provider) {
        provider = gtk_css_provider_new();
        gtk_css_provider_load_from_data(provider, compactControls, -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }
    gtk_style_context_add_class(gtk_widget_get_style_context(window), "plaidwick-controls");
}

ControlSlot* controlSlot(int32_t number) {
    if (number < 0 || static_cast<size_t>(number) >= controlTable.size()) return nullptr;
    ControlSlot& slot = controlTable[static_cast<size_t>(number)];
    return slot.widget ? &slot : nullptr;
}

void onControlDestroyed(GtkWidget* widget, gpointer data) {
    const int32_t number = numberOf(data);
    if (number >= 0 && static_cast<size_t>(number) < controlTable.size() &&
        controlTable[static_cast<size_t>(number)].widget == widget)
        controlTable[static_cast<size_t>(number)] = ControlSlot{};
}

// Keyboard focus follows the order in which the controls were made, each
// container before what it holds; GtkWindow wraps from the last to the first.
void keepCreationFocusOrder(GtkWidget* parent) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(parent));
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(parent), children);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(children);
}

// Puts `outer` (the control, or the frame around it) at (x, y) of the
// control parent, scaled with its window's layout, and records `widget` as
// control `number`.
bool placeControl(int32_t number, ControlKind kind, GtkWidget* widget, GtkWidget* outer, int32_t x,
                  int32_t y, int32_t width, int32_t height) {
    if (!controlParent || number < 0) {
        g_object_ref_sink(outer);
        g_object_unref(outer);
        return false;
    }
    if (static_cast<size_t>(number) >= controlTable.size())
        controlTable.resize(static_cast<size_t>(number) + 31);
    const TopWindow* w = windowOf(controlParent);
    const double scale = w ? w->scale : 1;
    gtk_widget_set_size_request(outer, std::max(scaled(width, scale), 0), std::max(scaled(height, scale), 0));
    gtk_fixed_put(GTK_FIXED(controlParent), outer, scaled(x, scale), scaled(y, scale));
    gtk_widget_show_all(outer);
    keepCreationFocusOrder(controlParent);
    ControlSlot& slot = controlTable[static_cast<size_t>(number)];
    slot = ControlSlot{};
    slot.widget = widget;
    slot.kind = kind;
    g_signal_connect(widget, "destroy", G_CALLBACK(onControlDestroyed), numberData(number));
    return true;
}

GtkWidget* sunkenFrame(GtkWidget* inner) {
    GtkWidget* frame = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(frame), inner);
    return frame;
}

// Static texts break lines at carriage returns.
std::string displayText(const std::string& text) {
    std::string shown = text;
    std::replace(shown.begin(), shown.end(), '\r', '\n');
    return shown;
}

void onClicked(GtkWidget*, gpointer data) { raiseEvent(controlEvent, numberOf(data)); }
void onSliderMoved(GtkRange*, gpointer data) { raiseEvent(controlEvent, numberOf(data)); }
void onPageSwitched(GtkNotebook*, GtkWidget*, guint, gpointer data) {
    raiseEvent(controlEvent, numberOf(data));
}

constexpr int32_t oneLineHeight = 15;

int32_t clampRange(int32_t value) { return std::clamp(value, 0, 10000); }

int32_t sliderPosition(const ControlSlot& slot) {
    const double value = gtk_range_get_value(GTK_RANGE(slot.widget));
    const int32_t position = static_cast<int32_t>(value < 0 ? value - 0.5 : value + 0.5);
    return slot.vertical ? slot.minimum + slot.maximum - position : position;
}

void setSliderPosition(const ControlSlot& slot, int32_t state) {
    const int32_t position = slot.vertical ? slot.minimum + slot.maximum - state : state;
    gtk_range_set_value(GTK_RANGE(slot.widget), std::clamp(position, slot.minimum, slot.maximum));
}

}  // namespace

namespace gtkbackend {

bool displayOpen() { return displayReady; }

void dispatchQueuedWithoutEvents() {
    if (!displayReady) return;
    MuteEvents mute;
    // A bound keeps a stream of new work from holding the caller forever.
    for (int i = 0; i < 1000 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

void waitWithoutEvents(int32_t milliseconds) {
    dispatchQueuedWithoutEvents();
    if (milliseconds <= 0) return;
    if (!displayReady) {
        g_usleep(static_cast<gulong>(milliseconds) * 1000);
        return;
    }
    // One blocking turn of the main loop: it returns when the timer fires
    // or the window system has something, such as the pointer's motion.
    bool fired = false;
    const guint timer = g_timeout_add(static_cast<guint>(milliseconds), [](gpointer flag) -> gboolean {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
    }, &fired);
    {
        MuteEvents mute;
        gtk_main_iteration_do(TRUE);
    }
    if (!fired) g_source_remove(timer);
    dispatchQueuedWithoutEvents();
}

}  // namespace gtkbackend

PixelView windowSurface(WindowHandle handle) {
    if (gtkbackend::isHostWindow(handle)) return gtkbackend::hostWindowSurface();
    TopWindow* w = findWindow(handle);
    if (!w) return PixelView{};
    makeBuffer(w);
    if (!w->buffer) return PixelView{};
    cairo_surface_flush(w->buffer);
    return viewOf(w->buffer);
}

void presentWindow(WindowHandle handle) {
    if (gtkbackend::isHostWindow(handle)) return gtkbackend::presentHostWindow();
    TopWindow* w = findWindow(handle);
    if (!w || !w->buffer) return;
    cairo_surface_mark_dirty(w->buffer);
    gtk_widget_queue_draw(w->canvas);
    gtkbackend::dispatchQueuedWithoutEvents();
    gdk_display_flush(gdk_display_get_default());
}

void initWindowServices() {
    static bool tried = false;
    if (tried) return;
    tried = true;
    g_set_prgname("plaidwick");
    // Nothing here draws with OpenGL; without this GTK probes for it on the
    // first window, which costs tens of megabytes and milliseconds.
    g_setenv("GDK_GL", "disable", FALSE);
    displayReady = gtk_init_check(nullptr, nullptr);
    // GDK's own handler for a lost display (the X server gone, the
    // connection broken) exits with code 1; the program's ends are all 0.
    // Nothing can be restored on a display that is gone.
    if (displayReady) XSetIOErrorHandler([](Display*) -> int { _exit(0); });
}

void initControlServices() {}

void initCommonControls() {}

WindowHandle openTopWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                           uint32_t flags, const std::string& title) {
    if (!displayReady || number < 0) return nullptr;
    if (static_cast<size_t>(number) >= windowTable.size())
        windowTable.resize(static_cast<size_t>(number) + 31, nullptr);
    closeWindowSlot(static_cast<size_t>(number));

    uint32_t style = flags & ~static_cast<uint32_t>(centreOnScreen | centreOverActive | scaledLayout);
    if (style == 0 || style == styleHiddenBit) style |= styleCaption;
    const bool visible = !(style & styleHiddenBit);
    const bool captioned = (style & styleCaption) == styleCaption;

    auto* w = new TopWindow;
    if (flags & scaledLayout) w->scale = textScale();
    w->width = std::max(scaled(width, w->scale), 1);
    w->height = std::max(scaled(height, w->scale), 1);
    w->shownWidth = w->width;
    w->shownHeight = w->height;
    w->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    // The pointer's motion over a window wakes a show that waits for it.
    gtk_widget_add_events(w->window, GDK_POINTER_MOTION_MASK);
    GtkWindow* window = GTK_WINDOW(w->window);
    gtk_window_set_title(window, title.c_str());
    gtk_window_set_decorated(window, captioned);
    gtk_window_set_resizable(window, (style & styleSizingBorder) != 0);

    w->client = gtk_fixed_new();
    gtk_widget_set_size_request(w->client, w->width, w->height);
    w->canvas = gtk_drawing_area_new();
    gtk_widget_set_size_request(w->canvas, w->width, w->height);
    gtk_widget_set_no_show_all(w->canvas, TRUE);
    gtk_fixed_put(GTK_FIXED(w->client), w->canvas, 0, 0);
    gtk_container_add(GTK_CONTAINER(w->window), w->client);
    gtk_widget_show(w->client);

    g_signal_connect(w->window, "delete-event", G_CALLBACK(onDeleteRequest), nullptr);
    g_signal_connect_after(w->window, "realize", G_CALLBACK(onWindowRealized), nullptr);
    g_signal_connect(w->client, "size-allocate", G_CALLBACK(onClientAllocated), w);
    g_signal_connect(w->canvas, "draw", G_CALLBACK(onCanvasDraw), w);

    windowTable[static_cast<size_t>(number)] = w;
    int32_t left = 0;
    int32_t top = 0;
    placement(w, scaled(x, w->scale), scaled(y, w->scale), flags, left, top);
    gtk_window_set_default_size(window, w->width, w->height);
    gtk_window_move(window, left, top);
    // A window without a caption starts black: it is the show's surface.
    if (!captioned) makeBuffer(w);
    if (!captioned && coversScreen(left, top, w->width, w->height)) gtk_window_fullscreen(window);
    if (visible)
        gtk_widget_show(w->window);
    else
        gtk_widget_realize(w->window);
    current = w;
    gtkbackend::dispatchQueuedWithoutEvents();
    return w->window;
}

WindowHandle currentWindow() { return current ? current->window : nullptr; }

void closeAllWindows() {
    for (size_t number = windowTable.size(); number-- > 0;) closeWindowSlot(number);
    current = nullptr;
    controlParent = nullptr;
    savedParents.clear();
    if (displayReady) gdk_display_flush(gdk_display_get_default());
}

WindowHandle beginControlList(WindowHandle window) {
    TopWindow* w = findWindow(window);
    if (!w) return nullptr;
    controlParent = w->client;
    useCompactControls(w->window);
    return window;
}

void addButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, const std::string& text) {
    if (!controlParent) return;
    GtkWidget* button = gtk_button_new_with_label(text.c_str());
    if (placeControl(number, ControlKind::button, button, button, x, y, width, height))
        g_signal_connect(button, "clicked", G_CALLBACK(onClicked), numberData(number));
}

void addCheckBox(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                 const std::string& text) {
    if (!controlParent) return;
    GtkWidget* box = gtk_check_button_new_with_label(text.c_str());
    if (placeControl(number, ControlKind::checkBox, box, box, x, y, width, height))
        g_signal_connect(box, "toggled", G_CALLBACK(onClicked), numberData(number));
}

void addLabel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, const std::string& text,
              int32_t flags) {
    if (!controlParent) return;
    GtkWidget* label = gtk_label_new(displayText(text).c_str());
    const bool centred = (flags & labelCentre) != 0;
    gtk_label_set_xalign(GTK_LABEL(label), centred ? 0.5f : 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_justify(GTK_LABEL(label), centred ? GTK_JUSTIFY_CENTER : GTK_JUSTIFY_LEFT);
    // A box with room for more than one line breaks long text into lines.
    if (height > 2 * oneLineHeight) {
        gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
        gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    }
    GtkWidget* outer = (flags & labelSunken) ? sunkenFrame(label) : label;
    placeControl(number, ControlKind::label, label, outer, x, y, width, height);
}

void addSlider(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, int32_t minimum,
               int32_t maximum, int32_t flags) {
    if (!controlParent) return;
    const int32_t low = clampRange(minimum);
    const int32_t high = std::max(low, clampRange(maximum));
    const double page = std::max(1, (high - low) / 5);
    GtkAdjustment* range = gtk_adjustment_new(low, low, high, 1, page, 0);
    const bool vertical = (flags & sliderVertical) != 0;
    GtkWidget* scale =
        gtk_scale_new(vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL, range);
    gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
    gtk_scale_set_digits(GTK_SCALE(scale), 0);
    if (flags & sliderTicks)
        for (int32_t mark = low; mark <= high; ++mark)
            gtk_scale_add_mark(GTK_SCALE(scale), mark, vertical ? GTK_POS_RIGHT : GTK_POS_BOTTOM, nullptr);
    if (!placeControl(number, ControlKind::slider, scale, scale, x, y, width, height)) return;
    ControlSlot& slot = controlTable[static_cast<size_t>(number)];
    slot.minimum = low;
    slot.maximum = high;
    slot.vertical = vertical;
    gtk_range_set_value(GTK_RANGE(scale), 0);  // clamps to the minimum
    g_signal_connect(scale, "value-changed", G_CALLBACK(onSliderMoved), numberData(number));
}

void addPicture(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, ImageHandle image,
                int32_t flags) {
    if (!controlParent) return;
    GtkWidget* picture = gtk_image_new();
    gtk_widget_set_halign(picture, GTK_ALIGN_START);
    gtk_widget_set_valign(picture, GTK_ALIGN_START);
    GtkWidget* outer = (flags & pictureSunken) ? sunkenFrame(picture) : picture;
    if (placeControl(number, ControlKind::picture, picture, outer, x, y, width, height))
        showImage(picture, pixelsOfImage(image));
}

ControlHandle addTabPanel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!controlParent) return nullptr;
    GtkWidget* panel = gtk_notebook_new();
    gtk_notebook_set_scrollable(GTK_NOTEBOOK(panel), TRUE);
    if (!placeControl(number, ControlKind::panel, panel, panel, x, y, width, height)) return nullptr;
    g_signal_connect(panel, "switch-page", G_CALLBACK(onPageSwitched), numberData(number));
    savedParents.push_back(controlParent);
    return panel;
}

void addTabPage(int32_t panel, int32_t position, const std::string& text) {
    MuteEvents mute;
    ControlSlot* slot = controlSlot(panel);
    if (!slot || slot->kind != ControlKind::panel) {
        controlParent = nullptr;
        return;
    }
    GtkWidget* page = gtk_fixed_new();
    gtk_widget_show(page);
    gtk_notebook_insert_page(GTK_NOTEBOOK(slot->widget), page, gtk_label_new(text.c_str()), position);
    controlParent = page;
    gtkbackend::dispatchQueuedWithoutEvents();
}

void endTabPanel() {
    if (savedParents.empty()) return;
    controlParent = savedParents.back();
    savedParents.pop_back();
}

void setControlText(int32_t number, const std::string& text) {
    ControlSlot* slot = controlSlot(number);
    if (!slot) return;
    MuteEvents mute;
    switch (slot->kind) {
    case ControlKind::button:
    case ControlKind::checkBox:
        gtk_button_set_label(GTK_BUTTON(slot->widget), text.c_str());
        break;
    case ControlKind::label:
        gtk_label_set_text(GTK_LABEL(slot->widget), displayText(text).c_str());
        break;
    case ControlKind::panel: {
        GtkNotebook* notebook = GTK_NOTEBOOK(slot->widget);
        GtkWidget* page = gtk_notebook_get_nth_page(notebook, gtk_notebook_get_current_page(notebook));
        if (page) gtk_notebook_set_tab_label_text(notebook, page, text.c_str());
        break;
    }
    default:
        break;  // sliders and pictures show no text
    }
}

void setControlState(int32_t number, int32_t state) {
    ControlSlot* slot = controlSlot(number);
    if (!slot) return;
    MuteEvents mute;
    switch (slot->kind) {
    case ControlKind::checkBox:
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(slot->widget), state != 0);
        break;
    case ControlKind::slider:
        setSliderPosition(*slot, state);
        break;
    case ControlKind::panel:
        if (state >= 0 && state < gtk_notebook_get_n_pages(GTK_NOTEBOOK(slot->widget)))
            gtk_notebook_set_current_page(GTK_NOTEBOOK(slot->widget), state);
        break;
    case ControlKind::picture:
        // The state of a picture is the image slot it shows.
        showImage(slot->widget, imagePixels(state));
        break;
    default:
        break;
    }
}

int32_t getControlState(int32_t number) {
    ControlSlot* slot = controlSlot(number);
    if (!slot) return 0;
    switch (slot->kind) {
    case ControlKind::checkBox:
        return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(slot->widget)) ? 1 : 0;
    case ControlKind::slider:
        return sliderPosition(*slot);
    case ControlKind::panel:
        return gtk_notebook_get_current_page(GTK_NOTEBOOK(slot->widget));
    default:
        return 0;
    }
}

int32_t waitEvent() {
    if (!displayReady) return 0;
    while (pendingEvent == 0) {
        // With no window left nothing could ever raise an event.
        if (!anyWindowOpen()) return 0;
        gtk_main_iteration();
    }
    const int32_t event = pendingEvent;
    pendingEvent = 0;
    return event;
}

int32_t eventControl() { return latestControl; }
