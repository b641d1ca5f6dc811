// A window another program made (XScreenSaver's window for a display mode,
// its preview, or the root window), drawn into with plain Xlib: host mode
// needs no toolkit, so GTK is never started and the process stays small.
// The picture is kept in client memory at the window's size and sent whole
// with XPutImage.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <csignal>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/gtk/gtk_backend.h"
#include "platform/host_services.h"
#include "platform/process_services.h"

namespace {

struct HostWindow {
    Display* display = nullptr;
    Window window = 0;
    Visual* visual = nullptr;
    int depth = 0;
    GC gc = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

HostWindow host;

// The host ends a display mode with a signal; nothing of ours needs saving.
void endAtOnce(int) { _exit(0); }

// The window going away under us (destroyed between two requests) is an
// end like any other.
int endOnError(Display*, XErrorEvent*) { _exit(0); }

// So is the display's end (Xlib's own handler exits with code 1).
int endOnLostDisplay(Display*) { _exit(0); }

void makeSurface(int32_t width, int32_t height) {
    host.width = std::max(width, 1);
    host.height = std::max(height, 1);
    host.pixels.assign(static_cast<size_t>(host.width) * static_cast<size_t>(host.height), 0xFF000000u);
}

// Pixel words are 0x00RRGGBB in this machine's byte order, which Xlib
// converts for the server; only a true-colour visual of that layout is drawn on.
bool drawableVisual(const XWindowAttributes& a) {
    return (a.depth == 24 || a.depth == 32) && a.visual->c_class == TrueColor &&
           a.visual->red_mask == 0xFF0000 && a.visual->green_mask == 0xFF00 && a.visual->blue_mask == 0xFF;
}

} // namespace

namespace gtkbackend {

void endOnHostSignals() {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) std::signal(signal, endAtOnce);
}

bool isHostWindow(void* handle) {
    return handle && handle == &host && host.display;
}

PixelView hostWindowSurface() {
    return PixelView{host.pixels.data(), host.width, host.height, host.width};
}

void presentHostWindow() {
    XImage* image = XCreateImage(host.display, host.visual, static_cast<unsigned>(host.depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(host.pixels.data()), static_cast<unsigned>(host.width),
                                 static_cast<unsigned>(host.height), 32, host.width * 4);
    if (!image) return;
    const uint32_t one = 1;
    image->byte_order = *reinterpret_cast<const unsigned char*>(&one) ? LSBFirst : MSBFirst;
    XPutImage(host.display, host.window, host.gc, image, 0, 0, 0, 0, static_cast<unsigned>(host.width),
              static_cast<unsigned>(host.height));
    image->data = nullptr;  // the pixels are ours
    XDestroyImage(image);
    XFlush(host.display);
}

} // namespace gtkbackend

WindowHandle adoptWindow(uint64_t id) {
    if (host.display) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    XSetErrorHandler(endOnError);
    XSetIOErrorHandler(endOnLostDisplay);
    const Window window = id ? static_cast<Window>(id) : DefaultRootWindow(display);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || !drawableVisual(attributes)) {
        XCloseDisplay(display);
        return nullptr;
    }
    XSelectInput(display, window, StructureNotifyMask | ExposureMask);
    host.display = display;
    host.window = window;
    host.visual = attributes.visual;
    host.depth = attributes.depth;
    host.gc = XCreateGC(display, window, 0, nullptr);
    makeSurface(attributes.width, attributes.height);
    return &host;
}

HostEvent waitForHostEvent(WindowHandle window, int32_t milliseconds) {
    if (!gtkbackend::isHostWindow(window)) return HostEvent::timeout;
    const uint32_t start = tickCount();
    bool exposed = false;
    for (;;) {
        while (XPending(host.display)) {
            XEvent event;
            XNextEvent(host.display, &event);
            if (event.type == DestroyNotify && event.xdestroywindow.window == host.window) exitProcess();
            if (event.type == ConfigureNotify && event.xconfigure.window == host.window &&
                (event.xconfigure.width != host.width || event.xconfigure.height != host.height)) {
                makeSurface(event.xconfigure.width, event.xconfigure.height);
                return HostEvent::resized;
            }
            if (event.type == Expose && event.xexpose.count == 0) exposed = true;
        }
        if (exposed) return HostEvent::exposed;
        const int64_t left = int64_t{milliseconds} - static_cast<int64_t>(tickCount() - start);
        pollfd connection{ConnectionNumber(host.display), POLLIN, 0};
        if (left <= 0 || poll(&connection, 1, static_cast<int>(left)) <= 0) return HostEvent::timeout;
    }
}
