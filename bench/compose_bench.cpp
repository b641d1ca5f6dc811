// Composing a 3840 x 2160 picture for every catalogue tartan, against one
// plain fill of a buffer of that size measured in the same run.
//
// Each tartan is drawn as the show draws it (parse, weave each distinct row
// and lay it, enlarged, across the canvas, name) onto an off-screen image, at
// zoom 1 and zoom 10, with names on and then off (the name is drawn last,
// over the finished picture), the whole catalogue in order a few times over,
// so that every drawing follows another tartan as in the show. As in the
// show, a tartan's name is made ready while the tartan before it is held: here
// before the fill, which stands for that hold. A tartan's time is the median
// of its drawings, its ratio that time over the median of the fills measured
// next to them (the machine's changing load falls on both alike). Prints, per
// zoom and names setting, the worst tartan with its ratio and the mean ratio,
// and the median time of getting a name ready ahead.
//
// Usage: compose_bench [repetitions]   (default 5; the same program for both builds)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "picture/drawing.h"
#include "picture/images.h"
#include "picture/pixels.h"
#include "show/show.h"
#include "startup/settings.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"
#include "tartan/weave.h"

namespace {

constexpr int32_t screenW = 3840;
constexpr int32_t screenH = 2160;
constexpr int32_t canvasSlot = 1;

double millisecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

DrawingTarget canvasTarget() {
    imageHandle(canvasSlot);
    return imageTarget();
}

// A screen-sized buffer, already in place, filled with a new value each time.
struct Baseline {
    std::vector<uint32_t> buffer = std::vector<uint32_t>(static_cast<size_t>(screenW) * screenH, 1u);
    uint32_t value = blackPixel;
    volatile uint32_t sink = 0;
    double fillOnce() {
        const PixelView view{buffer.data(), screenW, screenH, screenW};
        const double ms = millisecondsOf([&] { fillPixels(view, ++value); });
        sink = sink + buffer[buffer.size() / 2];
        return ms;
    }
};

struct Result {
    int worst = -1;
    double worstMs = 0;
    double worstRatio = 0;
    double meanRatio = 0;
    double aheadMs = 0;
};

Result composeAll(int16_t zoom, int repetitions, Baseline& baseline) {
    saverSettings().zoom = zoom;
    const ShowCanvas canvas{screenW, screenH, canvasTarget};
    drawTartan(0, canvas);  // fonts loaded and memory in place before anything is timed
    std::vector<std::vector<double>> fills(tartanCount), times(tartanCount);
    std::vector<double> ahead;
    for (int i = 0; i < repetitions; ++i)
        for (int index = 0; index < tartanCount; ++index) {
            ahead.push_back(millisecondsOf([&] { prepareTartanName(index); }));
            fills[static_cast<size_t>(index)].push_back(baseline.fillOnce());
            times[static_cast<size_t>(index)].push_back(millisecondsOf([&] { drawTartan(index, canvas); }));
        }
    Result result;
    result.aheadMs = median(ahead);
    for (int index = 0; index < tartanCount; ++index) {
        const double ms = median(times[static_cast<size_t>(index)]);
        const double ratio = ms / median(fills[static_cast<size_t>(index)]);
        result.meanRatio += ratio / tartanCount;
        if (ratio > result.worstRatio) {
            result.worst = index;
            result.worstMs = ms;
            result.worstRatio = ratio;
        }
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    initDrawing();
    initImages();
    initWeavePattern();
    buildCatalogue();
    unscrambleCatalogue();
    if (!makeImage(canvasSlot, screenW, screenH)) {
        std::fprintf(stderr, "compose_bench: cannot make the %dx%d canvas\n", screenW, screenH);
        return 1;
    }

    Baseline baseline;
    std::vector<double> fills;
    for (int i = 0; i < 15; ++i) fills.push_back(baseline.fillOnce());
    std::printf("baseline: one plain fill of %dx%d (32-bit pixels): %.3f ms (median of 15)\n", screenW, screenH,
                median(fills));
    std::printf("each tartan: median of %d drawings in show order / median of the fills next to them\n",
                repetitions);
    for (int16_t names : {int16_t{1}, int16_t{0}})
        for (int16_t zoom : {int16_t{1}, int16_t{10}}) {
            saverSettings().showNames = names;
            const Result r = composeAll(zoom, repetitions, baseline);
            const TartanRecord& t = tartanCatalogue()[static_cast<size_t>(r.worst)];
            std::printf("zoom %2d, names %-3s: worst [%d] %s (%dx%d): %.3f ms = %.2f x fill; mean over all "
                        "tartans %.2f x fill",
                        zoom, names ? "on" : "off", r.worst, t.name.c_str(), t.warpCount, t.weftCount, r.worstMs,
                        r.worstRatio, r.meanRatio);
            if (names) std::printf("; name made ready ahead in %.3f ms", r.aheadMs);
            std::printf("\n");
        }
    freeAllImages();
    return 0;
}
