// Shared by the GTK platform tests: one-time start of the platform layer on
// the test display, event pumping, and pixel access to images, window
// pictures and the real screen.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "platform/gtk/gtk_backend.h"
#include "platform/image_services.h"
#include "platform/window_services.h"

namespace gtktest {

// Starts the platform layer once, as the program's start-up does.
inline void startPlatform() {
    static bool started = false;
    if (started) return;
    started = true;
    initDrawing();
    initWindowServices();
    initControlServices();
    initImages();
    initCommonControls();
}

// Runs GTK's queued work until `done` holds or `ms` milliseconds have passed.
inline bool pumpUntil(const std::function<bool()>& done, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Lets GTK settle for a moment (window mapping, redraws).
inline void settle(int ms = 150) {
    pumpUntil([] { return false; }, ms);
}

// The 0x00RRGGBB colour of pixel (x, y) of an image surface.
inline uint32_t surfacePixel(cairo_surface_t* surface, int x, int y) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0x00FFFFFFu;
}

// The surface of an image of the table, its pixels made if still pending.
inline cairo_surface_t* surfaceOf(ImageHandle image) { return gtkbackend::liveImageSurface(image); }

inline int surfaceWidth(ImageHandle image) { return cairo_image_surface_get_width(surfaceOf(image)); }
inline int surfaceHeight(ImageHandle image) { return cairo_image_surface_get_height(surfaceOf(image)); }

// The 0x00RRGGBB colour that a 0x00BBGGRR colour is stored as.
inline uint32_t rgbOf(int32_t colour) { return pixelFromColour(colour) & 0x00FFFFFFu; }

// A picture of part of the real screen, read back from the X server.
class ScreenGrab {
public:
    ScreenGrab(int x, int y, int width, int height)
        : pixbuf_(gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, width, height)) {}
    ~ScreenGrab() {
        if (pixbuf_) g_object_unref(pixbuf_);
    }
    ScreenGrab(const ScreenGrab&) = delete;
    ScreenGrab& operator=(const ScreenGrab&) = delete;

    bool valid() const { return pixbuf_ != nullptr; }
    uint32_t at(int x, int y) const {
        const guchar* p = gdk_pixbuf_get_pixels(pixbuf_) + y * gdk_pixbuf_get_rowstride(pixbuf_) +
                          x * gdk_pixbuf_get_n_channels(pixbuf_);
        return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
    }

private:
    GdkPixbuf* pixbuf_;
};

// Fills the open drawing with one 0x00BBGGRR colour, pixel by pixel.
inline void paintAll(int width, int height, int32_t colour) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) setPixel(x, y, colour);
}

}  // namespace gtktest
