// Window surfaces are the top-level windows' off-screen buffers (windows.cpp);
// text is laid out and rendered by pango and cairo, then blended onto pixel
// memory as cairo would composite it.
#include <pango/pangocairo.h>

#include <algorithm>
#include <string>

#include "platform/drawing_services.h"
#include "platform/gtk/gtk_backend.h"

namespace {

PangoFontDescription* textFont() {
    static PangoFontDescription* font = nullptr;
    if (font) return font;
    gchar* name = nullptr;
    if (gtkbackend::displayOpen()) {
        if (GtkSettings* settings = gtk_settings_get_default())
            g_object_get(settings, "gtk-font-name", &name, nullptr);
    }
    font = pango_font_description_from_string(name && *name ? name : "Sans 10");
    g_free(name);
    return font;
}

// The text last measured or drawn: its layout, its cells (the logical
// rectangle) and the coverage of its letters, rendered once into an 8-bit
// mask over its ink rectangle. Writing the text blends its colour through
// the mask, so a text prepared ahead of time is written with no pango or
// cairo work at all.
struct TextLayout {
    std::string text;
    PangoLayout* layout = nullptr;
    PangoRectangle logical{};
    PangoRectangle ink{};
    cairo_surface_t* mask = nullptr;
};

PangoLayout* newLayout() {
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    // Grey-scale antialiasing: the coverage of a pixel is one value for all
    // three colours.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    pango_layout_set_font_description(layout, textFont());
    return layout;
}

// Renders the layout's letters, opaque, onto a clear 8-bit surface over its
// ink rectangle: each mask value is the coverage cairo composites the text
// colour with.
cairo_surface_t* coverageOf(PangoLayout* layout, const PangoRectangle& ink) {
    if (ink.width <= 0 || ink.height <= 0) return nullptr;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, ink.width, ink.height);
    if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(mask);
        return nullptr;
    }
    cairo_t* cr = cairo_create(mask);
    pango_cairo_update_layout(cr, layout);
    cairo_move_to(cr, -ink.x, -ink.y);
    pango_cairo_show_layout(cr, layout);
    cairo_destroy(cr);
    cairo_surface_flush(mask);
    return mask;
}

const TextLayout& layoutOf(const std::string& text) {
    static TextLayout last;
    if (!last.layout)
        last.layout = newLayout();
    else if (last.text == text)
        return last;
    last.text = text;
    pango_layout_set_text(last.layout, text.c_str(), static_cast<int>(text.size()));
    pango_layout_get_pixel_extents(last.layout, &last.ink, &last.logical);
    if (last.mask) cairo_surface_destroy(last.mask);
    last.mask = coverageOf(last.layout, last.ink);
    return last;
}

// x * y / 255 for 8-bit values, rounded as pixman rounds it.
inline uint32_t times(uint32_t x, uint32_t y) {
    const uint32_t t = x * y + 0x80;
    return (t + (t >> 8)) >> 8;
}

} // namespace

int32_t measureText(const std::string& text) {
    return text.empty() ? 0 : layoutOf(text).logical.width;
}

// The mask serves every colour, opaque or not.
void prepareText(const std::string& text, int32_t, bool) {
    if (!text.empty()) layoutOf(text);
}

void drawText(const PixelView& target, int32_t x, int32_t y, const std::string& text,
              int32_t colour, bool opaque) {
    if (!target.pixels || text.empty()) return;
    const TextLayout& t = layoutOf(text);
    // The part of rectangle (left, top, width, height) inside the target.
    struct Span { int32_t x0, y0, x1, y1; };
    const auto within = [&](int64_t left, int64_t top, int64_t width, int64_t height) {
        return Span{static_cast<int32_t>(std::clamp<int64_t>(left, 0, target.width)),
                    static_cast<int32_t>(std::clamp<int64_t>(top, 0, target.height)),
                    static_cast<int32_t>(std::clamp<int64_t>(left + width, 0, target.width)),
                    static_cast<int32_t>(std::clamp<int64_t>(top + height, 0, target.height))};
    };
    if (opaque) {
        const Span box = within(int64_t{x} + t.logical.x, int64_t{y} + t.logical.y,
                                t.logical.width, t.logical.height);
        for (int32_t row = box.y0; row < box.y1; ++row)
            std::fill(target.row(row) + box.x0, target.row(row) + box.x1, 0xFFFFFFFFu);
    }
    if (!t.mask) return;
    const int64_t left = int64_t{x} + t.ink.x;
    const int64_t top = int64_t{y} + t.ink.y;
    const Span ink = within(left, top, t.ink.width, t.ink.height);
    const unsigned char* coverage = cairo_image_surface_get_data(t.mask);
    const int stride = cairo_image_surface_get_stride(t.mask);
    const uint32_t red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    for (int32_t row = ink.y0; row < ink.y1; ++row) {
        const unsigned char* m = coverage + (row - top) * stride + (ink.x0 - left);
        uint32_t* p = target.row(row) + ink.x0;
        for (int32_t col = ink.x0; col < ink.x1; ++col, ++m, ++p) {
            const uint32_t a = *m;
            if (!a) continue;
            const uint32_t d = *p, keep = 255 - a;
            *p = 0xFF000000u | (times(red, a) + times((d >> 16) & 0xFF, keep)) << 16 |
                 (times(green, a) + times((d >> 8) & 0xFF, keep)) << 8 |
                 (times(blue, a) + times(d & 0xFF, keep));
        }
    }
}
