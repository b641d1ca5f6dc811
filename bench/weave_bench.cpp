// Weaving the tallest tile against a plain fill of as many pixels, measured
// in the same run, and the per-record cost of unscrambling and parsing.
//
// Prints times and the ratio weave / fill; the weave should stay within three
// times the fill, the cheapest way the image services can cover those pixels.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "picture/drawing.h"
#include "picture/images.h"
#include "picture/pixels.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"
#include "tartan/weave.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int tallestIndex = 261;  // MacPherson Of Cluny, 686 by 1372
constexpr int rounds = 31;

// Median wall time of `rounds` calls, in microseconds.
template <typename Work>
double medianMicroseconds(Work work) {
    std::vector<double> times;
    work();  // warm-up: first-touch page faults are not what is measured
    for (int i = 0; i < rounds; ++i) {
        const Clock::time_point start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + rounds / 2, times.end());
    return times[rounds / 2];
}

// A fresh image of the same size, every pixel written with one colour.
void plainFill(int32_t width, int32_t height, int32_t colour) {
    makeImageToOverwrite(0, width, height);
    if (!beginDrawing(imageTarget())) return;
    fillPixels(drawingPixels(), pixelFromColour(colour));
    endDrawing();
}

}  // namespace

int main() {
    initDrawing();
    initImages();
    initWeavePattern();
    buildCatalogue();
    unscrambleCatalogue();

    const TartanRecord& tallest = tartanCatalogue()[tallestIndex];
    const Palette palette = parsePalette(tallest.paletteSett);
    const ThreadColours warp = parseThreadSett(tallest.warpSett, palette, tallest.warpCount);
    const ThreadColours weft = parseThreadSett(tallest.weftSett, palette, tallest.weftCount);
    const long pixels = static_cast<long>(tallest.warpCount) * tallest.weftCount;

    const double weave = medianMicroseconds([&] { weaveTile(tallest, warp, weft); });
    const double fill =
        medianMicroseconds([&] { plainFill(tallest.warpCount, tallest.weftCount, palette[0]); });

    std::printf("weave %s (%d x %d): %.3f ms, median of %d\n", tallest.name.c_str(),
                tallest.warpCount, tallest.weftCount, weave / 1000.0, rounds);
    std::printf("plain fill of the same %ld pixels: %.3f ms\n", pixels, fill / 1000.0);
    std::printf("ratio weave / fill: %.2f (target <= 3)\n", weave / fill);

    // The show unscrambles the whole catalogue once and parses one record per tartan.
    const double unscramble = medianMicroseconds([] {
        buildCatalogue();
        unscrambleCatalogue();
    });
    const double parse = medianMicroseconds([] {
        for (const TartanRecord& record : tartanCatalogue()) {
            const Palette p = parsePalette(record.paletteSett);
            const ThreadColours w = parseThreadSett(record.warpSett, p, record.warpCount);
            const ThreadColours f = parseThreadSett(record.weftSett, p, record.weftCount);
            if (w.empty() || f.empty()) std::printf("empty thread list for %s\n", record.name.c_str());
        }
    });
    std::printf("build + unscramble: %.2f us per record (%d records)\n", unscramble / tartanCount,
                tartanCount);
    std::printf("parse palette, warp and weft: %.2f us per record\n", parse / tartanCount);
    freeAllImages();
    return 0;
}
