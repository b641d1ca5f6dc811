// plaidwick-catalogue: lists the built-in tartans, shows their plain sett
// strings, and writes woven tiles or a contact sheet of all of them as PNG.
//
// The tiles are woven exactly as the show weaves them (the catalogue, the
// sett parsing, weaveTile and scaleImage of the program's own library); the
// tile's pixels are read through imagePixels and handed to cairo as they are.
#include <cairo.h>
#include <pango/pangocairo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "picture/drawing.h"
#include "picture/images.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"
#include "tartan/weave.h"

namespace {

const char* const program = "plaidwick-catalogue";
const char* const commands =
    "list | show INDEX | tile INDEX [--zoom Z] -o FILE.png | "
    "sheet [--zoom Z | --fit] [--range FIRST-LAST] [--columns N] -o FILE.png";

constexpr int maxZoom = 10;
constexpr int cellSize = 160;     // the woven part of a sheet cell
constexpr int labelHeight = 18;
constexpr int cellGap = 6;
constexpr int defaultColumns = 16;

struct Failure {
    std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw Failure{message}; }

// A whole number made of digits only, within [low, high].
int parseNumber(const std::string& text, int low, int high, const char* what) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        fail(std::string(what) + " \"" + text + "\" is not a whole number");
    const int value = std::atoi(text.c_str());
    if (value < low || value > high)
        fail(std::string(what) + " " + text + " is outside " + std::to_string(low) + ".." +
             std::to_string(high));
    return value;
}

struct Options {
    std::string command;
    std::vector<std::string> operands;
    int zoom = 1;
    std::string output;
    int first = 0;
    int last = tartanCount - 1;
    int columns = defaultColumns;
    bool fit = false;  // sheet: shrink wide tiles so a whole repeat shows
};

Options parseArguments(int argc, char** argv) {
    if (argc < 2) fail(std::string("no command given: ") + commands);
    Options options;
    options.command = argv[1];
    bool zoomGiven = false, sheetOptionGiven = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) fail(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "-o" || arg == "--output") {
            options.output = value();
            if (options.output.empty()) fail("the output file name is empty");
        } else if (arg == "--zoom") {
            options.zoom = parseNumber(value(), 1, maxZoom, "zoom");
            zoomGiven = true;
        } else if (arg == "--range") {
            const std::string range = value();
            const size_t dash = range.find('-');
            if (dash == std::string::npos) fail("range \"" + range + "\" is not FIRST-LAST");
            options.first = parseNumber(range.substr(0, dash), 0, tartanCount - 1, "index");
            options.last = parseNumber(range.substr(dash + 1), 0, tartanCount - 1, "index");
            if (options.first > options.last) fail("range \"" + range + "\" runs backwards");
            sheetOptionGiven = true;
        } else if (arg == "--fit") {
            options.fit = true;
            sheetOptionGiven = true;
        } else if (arg == "--columns") {
            options.columns = parseNumber(value(), 1, tartanCount, "columns");
            sheetOptionGiven = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            fail("unknown option " + arg);
        } else {
            options.operands.push_back(arg);
        }
    }

    const std::string& c = options.command;
    const size_t wantedOperands = (c == "show" || c == "tile") ? 1 : 0;
    if (c != "list" && c != "show" && c != "tile" && c != "sheet")
        fail("unknown command \"" + c + "\": " + commands);
    if (options.operands.size() != wantedOperands)
        fail(c + (wantedOperands ? " takes one index" : " takes no operands"));
    const bool writes = c == "tile" || c == "sheet";
    if (writes && options.output.empty()) fail(c + " needs -o FILE.png");
    if (!writes && !options.output.empty()) fail(c + " writes no file");
    if (zoomGiven && !writes) fail(c + " takes no --zoom");
    if (sheetOptionGiven && c != "sheet") fail(c + " takes no --range, --columns or --fit");
    if (options.fit && zoomGiven) fail("--fit and --zoom exclude each other");
    return options;
}

void loadCatalogue() {
    initDrawing();
    initImages();
    initWeavePattern();
    buildCatalogue();
    unscrambleCatalogue();
}

// Weaves a record into image slot 0 and enlarges it by the zoom; a surface
// over the slot's pixels, valid until the slot changes, for the caller to destroy.
cairo_surface_t* wovenTile(const TartanRecord& record, int zoom) {
    const Palette palette = parsePalette(record.paletteSett);
    weaveTile(record, parseThreadSett(record.warpSett, palette, record.warpCount),
              parseThreadSett(record.weftSett, palette, record.weftCount));
    if (zoom != 1) scaleImage(0, record.warpCount * zoom, record.weftCount * zoom);
    const PixelView pixels = imagePixels(0);
    if (!pixels.pixels) fail("cannot make the tile of " + record.name);
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.pixels), CAIRO_FORMAT_RGB24,
                                            pixels.width, pixels.height, pixels.stride * 4);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        fail("cannot make the tile of " + record.name);
    }
    return surface;
}

// Writes the PNG beside its destination first, so a failure leaves no partial file.
void writePng(cairo_surface_t* surface, const std::string& path) {
    std::string temporary = path + ".XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) fail("cannot write " + path + ": " + std::strerror(errno));
    // mkstemp makes the file private; give it the permissions a new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    const cairo_status_t status = cairo_surface_write_to_png(surface, name.data());
    if (status != CAIRO_STATUS_SUCCESS) {
        std::remove(name.data());
        fail("cannot write " + path + ": " + cairo_status_to_string(status));
    }
    if (std::rename(name.data(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(name.data());
        fail("cannot write " + path + ": " + std::strerror(error));
    }
}

void listCommand() {
    for (int i = 0; i < tartanCount; ++i) {
        const StoredTartan& t = storedTartans[i];
        std::printf("%d\t%s\t%d\t%d\n", i, t.name, t.warpCount, t.weftCount);
    }
}

void showCommand(int index) {
    const TartanRecord& record = tartanCatalogue()[static_cast<size_t>(index)];
    std::printf("name\t%s\npalette\t%s\nwarp\t%s\nweft\t%s\n", record.name.c_str(),
                record.paletteSett.c_str(), record.warpSett.c_str(), record.weftSett.c_str());
}

void tileCommand(int index, int zoom, const std::string& output) {
    cairo_surface_t* tile = wovenTile(tartanCatalogue()[static_cast<size_t>(index)], zoom);
    try {
        writePng(tile, output);
    } catch (...) {
        cairo_surface_destroy(tile);
        throw;
    }
    cairo_surface_destroy(tile);
}

void drawLabel(cairo_t* cr, const std::string& text, double x, double y) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Sans 8");
    pango_layout_set_font_description(layout, font);
    pango_layout_set_width(layout, cellSize * PANGO_SCALE);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    pango_layout_set_text(layout, text.c_str(), -1);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(font);
    g_object_unref(layout);
}

// Every tartan of the range in a cell of its own: the tile from its top-left
// corner, cut at the cell's edge or repeated to fill it, with "index name" below.
// With --fit a tile wider than the cell is shrunk to the cell's width, so the
// whole sett shows (its twill then blurs).
void sheetCommand(const Options& options) {
    const int first = options.first, last = options.last, zoom = options.zoom;
    const int count = last - first + 1;
    const int columns = count < options.columns ? count : options.columns;
    const int rows = (count + columns - 1) / columns;
    const int pitchX = cellSize + cellGap, pitchY = cellSize + labelHeight + cellGap;
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, columns * pitchX + cellGap,
                                                        rows * pitchY + cellGap);
    if (cairo_surface_status(sheet) != CAIRO_STATUS_SUCCESS) fail("cannot make the sheet image");
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    // Only the part of an enlarged tile that a cell shows is kept.
    if (!options.fit) setImageClip(cellSize, cellSize);
    for (int i = first; i <= last; ++i) {
        const TartanRecord& record = tartanCatalogue()[static_cast<size_t>(i)];
        const double x = cellGap + ((i - first) % columns) * pitchX;
        const double y = cellGap + ((i - first) / columns) * pitchY;
        cairo_surface_t* tile = wovenTile(record, zoom);
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
        cairo_surface_destroy(tile);  // the pattern holds it while it is used
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
        const double shrink =
            options.fit && record.warpCount > cellSize ? double(record.warpCount) / cellSize : 1.0;
        cairo_pattern_set_filter(pattern, shrink > 1.0 ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
        // Maps the sheet onto the tile: the cell's top-left corner is the tile's.
        cairo_matrix_t toTile;
        cairo_matrix_init_scale(&toTile, shrink, shrink);
        cairo_matrix_translate(&toTile, -x, -y);
        cairo_pattern_set_matrix(pattern, &toTile);
        cairo_set_source(cr, pattern);
        cairo_rectangle(cr, x, y, cellSize, cellSize);
        cairo_fill(cr);
        cairo_pattern_destroy(pattern);
        drawLabel(cr, std::to_string(i) + " " + record.name, x, y + cellSize + 2);
    }
    setImageClip(0, 0);
    cairo_destroy(cr);
    cairo_surface_flush(sheet);
    try {
        writePng(sheet, options.output);
    } catch (...) {
        cairo_surface_destroy(sheet);
        throw;
    }
    cairo_surface_destroy(sheet);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options options = parseArguments(argc, argv);
        const std::string& c = options.command;
        if (c == "list") {
            listCommand();
            return 0;
        }
        const int index =
            options.operands.empty() ? 0 : parseNumber(options.operands[0], 0, tartanCount - 1, "index");
        loadCatalogue();
        if (c == "show") showCommand(index);
        else if (c == "tile") tileCommand(index, options.zoom, options.output);
        else sheetCommand(options);
        freeAllImages();
        return 0;
    } catch (const Failure& failure) {
        freeAllImages();
        std::fprintf(stderr, "%s: %s\n", program, failure.message.c_str());
        return 2;
    }
}
