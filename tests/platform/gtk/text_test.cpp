// Text written by the backend is, pixel for pixel, what pango and cairo draw
// themselves onto the same pixels, though the backend only blends a coverage
// mask it rendered once for the text.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <random>
#include <string>
#include <vector>

#include "platform/drawing_services.h"

// The text drawn by pango and cairo straight onto `view`, in the default
// font, grey-scale smoothed, opaque text on a white rectangle of its cells.
static void cairoText(const PixelView& view, int32_t x, int32_t y, const std::string& text, int32_t colour,
                      bool opaque) {
    cairo_surface_t* surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(view.pixels),
                                                                   CAIRO_FORMAT_RGB24, view.width, view.height,
                                                                   view.stride * 4);
    cairo_t* cr = cairo_create(surface);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    gchar* name = nullptr;
    if (GtkSettings* settings = gtk_settings_get_default()) g_object_get(settings, "gtk-font-name", &name, nullptr);
    PangoFontDescription* font = pango_font_description_from_string(name && *name ? name : "Sans 10");
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, text.c_str(), -1);
    PangoRectangle cells;
    pango_layout_get_pixel_extents(layout, nullptr, &cells);
    if (opaque) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, x + cells.x, y + cells.y, cells.width, cells.height);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, (colour >> 8 & 0xFF) / 255.0, (colour >> 16 & 0xFF) / 255.0);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(font), g_free(name), g_object_unref(layout), cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

// Letters that reach beyond their cells, letters outside ASCII, coloured and
// black, opaque and not, whole and cut at each edge, over random pixels.
TEST(GtkText, WrittenTextIsCairosOwnToTheLastPixel) {
    constexpr int32_t w = 160, h = 40;
    std::mt19937 random(5);
    for (const std::string text : {"Johnston", "AV.W'y,g fj", "\xC3\x85ngstr\xC3\xB6m \xC3\x9F"})
        for (const auto& [x, y, colour, opaque] : {std::tuple{3, 2, 0, true}, {3, 2, 0x3366CC, false},
                                                   {-6, -5, 0x3366CC, true}, {w - measureText(text) + 4, h - 12, 0, true}}) {
            std::vector<uint32_t> expected(w * h);
            for (uint32_t& pixel : expected) pixel = 0xFF000000u | (random() & 0xFFFFFFu);
            std::vector<uint32_t> got = expected;
            cairoText(PixelView{expected.data(), w, h, w}, x, y, text, colour, opaque);
            drawText(PixelView{got.data(), w, h, w}, x, y, text, colour, opaque);
            int differ = 0;
            for (size_t i = 0; i < got.size(); ++i) differ += got[i] != expected[i];
            EXPECT_EQ(differ, 0) << text << " at " << x << "," << y << (opaque ? " opaque" : "");
        }
}
