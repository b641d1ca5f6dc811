// Composing a 3840 x 2160 screen for every catalogue tartan, against one
// plain fill of the same screen buffer measured in the same run.
//
// Each tartan is drawn as the show draws it (parse, weave, enlarge, tile,
// name) into an off-screen image, at zoom 1 and zoom 10 with names on, the
// whole catalogue in order a few times over. The time of a tartan is the
// median of its drawings; the worst tartan of each zoom is reported as a
// ratio to the fill. (Weaving alone is measured by weave_bench.)
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

// Defeats dead-store elimination of the baseline fills.
volatile uint32_t sink = 0;

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
// measured next to its drawings, so that the machine's changing load falls
// on both alike. The catalogue is drawn in order, as the show draws it, once
// per repetition: every drawing of a tartan follows a different tartan and
// pays what the show pays when the picture changes.
Worst composeAll(int16_t zoom, int repetitions, Baseline& baseline, double& meanRatio) {
    saverSettings().zoom = zoom;
    const ShowCanvas canvas{screenW, screenH, canvasTarget};
    // The first drawing loads fonts and warms the caches: not part of any tartan's time.
    drawTartan(0, canvas);
    std::vector<std::vector<double>> fills(tartanCount);
    std::vector<std::vector<double>> times(tartanCount);
    for (int i = 0; i < repetitions; ++i) {
        for (int index = 0; index < tartanCount; ++index) {
            fills[static_cast<size_t>(index)].push_back(baseline.fillOnce());
            times[static_cast<size_t>(index)].push_back(millisecondsOf([&] { drawTartan(index, canvas); }));
        }
    }
    Worst worst;
    double ratioSum = 0;
    for (int index = 0; index < tartanCount; ++index) {
        const double ms = median(times[static_cast<size_t>(index)]);
        const double ratio = ms / median(fills[static_cast<size_t>(index)]);
        ratioSum += ratio;
        if (ratio > worst.ratio) worst = Worst{index, ms, ratio};
    }
    meanRatio = ratioSum / tartanCount;
    return worst;
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
    std::printf("each tartan: median of %d compositions in show order / median of the %d fills next to them\n",
                repetitions, repetitions);

    for (int16_t zoom : {int16_t{1}, int16_t{10}}) {
        double meanRatio = 0;
        const Worst worst = composeAll(zoom, repetitions, baseline, meanRatio);
        const TartanRecord& r = tartanCatalogue()[static_cast<size_t>(worst.index)];
        std::printf("zoom %2d: worst [%d] %s (%dx%d): %.3f ms = %.2f x fill; mean over all tartans %.2f x fill\n",
                    zoom, worst.index, r.name.c_str(), r.warpCount, r.weftCount, worst.ms, worst.ratio, meanRatio);
    }

    freeAllImages();
    return 0;
}
