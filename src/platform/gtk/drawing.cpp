// Window surfaces are the top-level windows' off-screen buffers (windows.cpp);
// text is laid out by pango and drawn by cairo straight onto pixel memory.
#include <pango/pangocairo.h>

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

// The layout of the text last measured or drawn, so that measuring a name
// and then writing it lays it out once. It is made on an image surface, as
// every drawing target is, and so renders as it measured.
struct TextLayout {
    std::string text;
    PangoLayout* layout = nullptr;
    PangoRectangle logical{};
};

PangoLayout* newLayout() {
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    // Grey-scale antialiasing keeps text pixels in shades of the text colour.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    pango_layout_set_font_description(layout, textFont());
    return layout;
}

const TextLayout& layoutOf(const std::string& text) {
    static TextLayout last;
    if (!last.layout)
        last.layout = newLayout();
    else if (last.text == text)
        return last;
    last.text = text;
    pango_layout_set_text(last.layout, text.c_str(), static_cast<int>(text.size()));
    pango_layout_get_pixel_extents(last.layout, nullptr, &last.logical);
    return last;
}

} // namespace

int32_t measureText(const std::string& text) {
    return text.empty() ? 0 : layoutOf(text).logical.width;
}

void drawText(const PixelView& target, int32_t x, int32_t y, const std::string& text,
              int32_t colour, bool opaque) {
    if (!target.pixels || text.empty()) return;
    const TextLayout& t = layoutOf(text);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(target.pixels), CAIRO_FORMAT_RGB24, target.width,
        target.height, target.stride * 4);
    cairo_t* cr = cairo_create(surface);
    pango_cairo_update_layout(cr, t.layout);
    if (opaque) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, x + t.logical.x, y + t.logical.y, t.logical.width, t.logical.height);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                         ((colour >> 16) & 0xFF) / 255.0);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, t.layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
}
