// Writes the woven tile of one catalogue record, unscaled, as a binary PPM
// on standard output, so that the end-to-end scripts can check a screenshot
// of the show against it.
// Usage: expected_tile INDEX
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "picture/drawing.h"
#include "picture/images.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"
#include "tartan/weave.h"

int main(int argc, char** argv) {
    const int index = argc == 2 ? std::atoi(argv[1]) : -1;
    if (index < 0 || index >= tartanCount) {
        std::fprintf(stderr, "usage: expected_tile INDEX (0 to %d)\n", tartanCount - 1);
        return 2;
    }
    initDrawing();
    initImages();
    initWeavePattern();
    buildCatalogue();
    unscrambleCatalogue();
    const TartanRecord& record = tartanCatalogue()[static_cast<size_t>(index)];
    const Palette palette = parsePalette(record.paletteSett);
    weaveTile(record, parseThreadSett(record.warpSett, palette, record.warpCount),
              parseThreadSett(record.weftSett, palette, record.weftCount));

    const PixelView tile = imagePixels(0);
    if (tile.width != record.warpCount || tile.height != record.weftCount) {
        std::fprintf(stderr, "the tile could not be read\n");
        return 1;
    }

    _setmode(_fileno(stdout), _O_BINARY);
    std::printf("P6\n%d %d\n255\n", tile.width, tile.height);
    for (int32_t y = 0; y < tile.height; ++y)
        for (int32_t x = 0; x < tile.width; ++x) {
            const uint32_t p = tile.row(y)[x];
            const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                          static_cast<unsigned char>(p)};
            std::fwrite(rgb, 1, 3, stdout);
        }
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", record.name.c_str());
    return 0;
}
