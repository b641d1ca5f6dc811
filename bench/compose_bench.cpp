// Composing a 3840 x 2160 screen for every catalogue tartan, against one
// plain fill of the same screen buffer measured in the same run.
//
// Each tartan is drawn as the show draws it (parse, weave, enlarge, tile,
// name) into an off-screen image, at zoom 1 and zoom 10 with names on. The
// time of a tartan is the median of a few repetitions; the worst tartan of
// each zoom is reported as a ratio to the fill. The weave of the largest tile
// is compared with a plain fill of the same number of pixels.
//
// Usage: compose_bench [repetitions]   (default 5; run on a display or not)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/image_services.h"
#include "platform/window_services.h"
#include "show/show.h"
#include "startup/settings.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"
#include "tartan/weave.h"

namespace {

constexpr int32_t screenW = 3840;
constexpr int32_t screenH = 2160;
constexpr int32_t canvasSlot = 1;

using Clock = std::chrono::steady_clock;

double millisecondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double medianOf(int repetitions, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) times.push_back(millisecondsOf(work));
    return median(times);
}

// Defeats dead-store elimination of the baseline fills.
volatile uint32_t sink = 0;

double plainFill(size_t pixels, int repetitions) {
    std::vector<uint32_t> buffer(pixels);
    uint32_t value = 0xFF000000u;
    const double ms = medianOf(repetitions, [&] {
        std::fill_n(buffer.data(), pixels, ++value);
        sink = sink + buffer[pixels / 2];
    });
    return ms;
}

DrawingTarget canvasTarget() {
    imageHandle(canvasSlot);
    return imageTarget();
}

struct Worst {
    int index = -1;
    double ms = 0;
    double ratio = 0;
};

// The screen-sized buffer of the baseline, filled with a new value each time.
struct Baseline {
    std::vector<uint32_t> buffer = std::vector<uint32_t>(static_cast<size_t>(screenW) * screenH);
    uint32_t value = 0xFF000000u;
    double fillOnce() {
        return millisecondsOf([&] {
            std::fill_n(buffer.data(), buffer.size(), ++value);
            sink = sink + buffer[buffer.size() / 2];
        });
    }
};

// Every tartan's median time, and its ratio to the median of the plain fills
// measured between its repetitions, so that the machine's changing load
// falls on both alike.
Worst composeAll(int16_t zoom, int repetitions, Baseline& baseline, double& meanRatio) {
    saverSettings().zoom = zoom;
    const ShowCanvas canvas{screenW, screenH, canvasTarget};
    // The first drawing loads fonts and warms the caches: not part of any tartan's time.
    drawTartan(0, canvas);
    Worst worst;
    double ratioSum = 0;
    for (int index = 0; index < tartanCount; ++index) {
        std::vector<double> fills;
        std::vector<double> times;
        for (int i = 0; i < repetitions; ++i) {
            fills.push_back(baseline.fillOnce());
            times.push_back(millisecondsOf([&] { drawTartan(index, canvas); }));
        }
        const double ms = median(times);
        const double ratio = ms / median(fills);
        ratioSum += ratio;
        if (ratio > worst.ratio) worst = Worst{index, ms, ratio};
    }
    meanRatio = ratioSum / tartanCount;
    return worst;
}

int largestTile() {
    int largest = 0;
    int64_t area = 0;
    for (int i = 0; i < tartanCount; ++i) {
        const TartanRecord& r = tartanCatalogue()[static_cast<size_t>(i)];
        const int64_t a = static_cast<int64_t>(r.warpCount) * r.weftCount;
        if (a > area) {
            area = a;
            largest = i;
        }
    }
    return largest;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    initDrawing();
    initWindowServices();
    initImages();
    initWeavePattern();
    buildCatalogue();
    unscrambleCatalogue();
    saverSettings().showNames = 1;

    if (!makeImage(canvasSlot, screenW, screenH)) {
        std::fprintf(stderr, "compose_bench: cannot make the %dx%d canvas\n", screenW, screenH);
        return 1;
    }
    setImageClip(screenW, screenH);

    Baseline baseline;
    std::vector<double> fills;
    for (int i = 0; i < 15; ++i) fills.push_back(baseline.fillOnce());
    std::printf("baseline: one plain fill of %dx%d (32-bit pixels): %.3f ms (median of 15)\n", screenW,
                screenH, median(fills));
    std::printf("each tartan: median of %d compositions / median of the %d fills between them\n", repetitions,
                repetitions);

    for (int16_t zoom : {int16_t{1}, int16_t{10}}) {
        double meanRatio = 0;
        const Worst worst = composeAll(zoom, repetitions, baseline, meanRatio);
        const TartanRecord& r = tartanCatalogue()[static_cast<size_t>(worst.index)];
        std::printf("zoom %2d: worst [%d] %s (%dx%d): %.3f ms = %.2f x fill; mean over all tartans %.2f x fill\n",
                    zoom, worst.index, r.name.c_str(), r.warpCount, r.weftCount, worst.ms, worst.ratio, meanRatio);
    }

    const int big = largestTile();
    const TartanRecord& r = tartanCatalogue()[static_cast<size_t>(big)];
    const Palette palette = parsePalette(r.paletteSett);
    const ThreadColours warp = parseThreadSett(r.warpSett, palette, r.warpCount);
    const ThreadColours weft = parseThreadSett(r.weftSett, palette, r.weftCount);
    const double weave = medianOf(15, [&] { weaveTile(r, warp, weft); });
    const size_t tilePixels = static_cast<size_t>(r.warpCount) * r.weftCount;
    const double tileFill = plainFill(tilePixels, 15);
    std::printf("weave of the largest tile [%d] %s (%dx%d): %.3f ms; plain fill of %zu pixels %.3f ms; ratio %.2f\n",
                big, r.name.c_str(), r.warpCount, r.weftCount, weave, tilePixels, tileFill, weave / tileFill);
    freeAllImages();
    return 0;
}
