#include "show/show.h"

#include <algorithm>

#include "picture/pixels.h"
#include "platform/host_services.h"
#include "platform/process_services.h"
#include "platform/window_services.h"
#include "show/random.h"
#include "startup/program.h"
#include "startup/settings.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"
#include "tartan/weave.h"

namespace {

// The name is written on opaque cells (bit 0 clear); the inverting line mode
// that the show has always asked for here has no effect on text.
constexpr int32_t nameDrawingFlags = invertingLines;

// The zoom as used: a hand-edited value below 1 would leave nothing to
// tile, so it counts as 1.
int32_t effectiveZoom() {
    const int32_t zoom = saverSettings().zoom;
    return zoom < 1 ? 1 : zoom;
}

// The name in black on white, its right edge at the canvas's right edge.
void writeTartanName(const ShowCanvas& canvas, const std::string& name, int32_t nameWidth) {
    setDrawingFlags(nameDrawingFlags);
    setDrawColour(0, 0, 0);
    setTextPosition(canvas.width - nameWidth, 0);
    writeText(name);
}

// What the screen shows while the first tile is woven.
void fillScreenBlack() {
    if (!beginDrawing(windowTarget())) return;
    fillPixels(drawingPixels(), blackPixel);
    endDrawing();
}

bool cursorMoved() {
    const ShowState& state = showState();
    int32_t x = 0;
    int32_t y = 0;
    if (!cursorPosition(x, y)) return false;
    return x != state.savedCursorX || y != state.savedCursorY;
}

// Holds the picture for the delay. The pointer is read at once (so at least
// once for every tartan) and again whenever the window system wakes the
// program, as the pointer moving over the show's window does, until the
// delay has passed.
void waitForDelay() {
    const uint32_t t0 = tickCount();
    const int32_t delayMs = saverSettings().delayMs;
    for (int32_t wait = 0;;) {
        waitForWindowEvents(wait);
        if (cursorMoved()) {
            showState().quitRequested = true;
            return;
        }
        const uint32_t elapsed = tickCount() - t0;
        if (delayMs < 0 || elapsed > static_cast<uint32_t>(delayMs)) return;
        wait = static_cast<int32_t>(static_cast<uint32_t>(delayMs) - elapsed) + 1;
    }
}

DrawingTarget showWindowTarget() {
    return windowTarget();
}

// Chooses the tartan after `index` and gets its name ready: the show does it
// while `index` is held.
int16_t readyNextTartan(int16_t index) {
    const int16_t next = chooseIndexAfter(index);
    prepareTartanName(next);
    return next;
}

} // namespace

ShowState& showState() {
    static ShowState state;
    return state;
}

void prepareShow() {
    ShowState& state = showState();
    randomSeed(tickCount());
    loadSaverSettings();
    state.lastIndex = tartanCount - 1;
    initWeavePattern();
    buildCatalogue();
    unscrambleCatalogue();
    state.currentIndex = -1;
    state.quitRequested = false;
}

int16_t chooseIndexAfter(int16_t index) {
    if (saverSettings().randomOrder == 0) {
        const int32_t next = index + 1;
        return static_cast<int16_t>(next == showState().lastIndex + 1 ? 0 : next);
    }
    return static_cast<int16_t>(randomUpTo(showState().lastIndex));
}

void prepareTartanName(int index) {
    if (saverSettings().showNames == 1)
        prepareText(tartanCatalogue()[static_cast<size_t>(index)].name, 0 /* black */,
                    !(nameDrawingFlags & transparentText));
}

void drawTartan(int index, const ShowCanvas& canvas) {
    const TartanRecord& record = tartanCatalogue()[static_cast<size_t>(index)];
    const Palette palette = parsePalette(record.paletteSett);
    const ThreadColours warp = parseThreadSett(record.warpSett, palette, record.warpCount);
    const ThreadColours weft = parseThreadSett(record.weftSett, palette, record.weftCount);
    const int32_t zoom = effectiveZoom();
    if (!beginDrawing(canvas.target())) return;
    // Measured before the tiling fills the caches with pixels.
    const bool named = saverSettings().showNames == 1;
    const int32_t nameWidth = named ? textWidth(record.name) : 0;
    weaveRepeated(record, warp, weft, zoom, drawingPixels());
    if (named) writeTartanName(canvas, record.name, nameWidth);
    endDrawing();
}

void runShow() {
    prepareShow();
    ShowState& state = showState();
    setCursorVisible(false);
    cursorPosition(state.savedCursorX, state.savedCursorY);
    state.screenWidth = screenWidth();
    state.screenHeight = screenHeight();
    state.showWindow =
        openTopWindow(0, 0, 0, state.screenWidth, state.screenHeight, stylePopup, "");
    if (!state.showWindow) {
        // Nothing can be shown: give the pointer back and end cleanly.
        setCursorVisible(true);
        endProgram();
    }
    fillScreenBlack();

    const ShowCanvas canvas{state.screenWidth, state.screenHeight, showWindowTarget};
    for (int16_t next = chooseIndexAfter(state.currentIndex); !state.quitRequested;) {
        state.currentIndex = next;
        drawTartan(next, canvas);
        next = readyNextTartan(next);
        waitForDelay();
    }
    setCursorVisible(true);
    endProgram();
}

namespace {

WindowHandle hostWindow = nullptr;

DrawingTarget hostWindowTarget() {
    return DrawingTarget{DrawingKind::window, hostWindow};
}

// Draws a tartan at the host window's present size.
void drawInHostWindow(int index) {
    const PixelView surface = windowSurface(hostWindow);
    drawTartan(index, ShowCanvas{surface.width, surface.height, hostWindowTarget});
}

} // namespace

void runHostedShow(const HostRequest& request) {
    prepareShow();
    applyHostSettings(request);
    hostWindow = request.usable ? adoptWindow(request.window) : nullptr;
    if (!hostWindow) endProgram();
    ShowState& state = showState();
    state.currentIndex = chooseIndexAfter(state.currentIndex);
    drawInHostWindow(state.currentIndex);
    uint32_t shownAt = tickCount();
    int16_t next = readyNextTartan(state.currentIndex);
    for (;;) {
        // The delay counts from the end of a tartan's drawing; a redraw after
        // a resize keeps the tartan and its time. Even without a delay the
        // window's news is looked at once for every tartan.
        const int64_t delayMs = std::max(saverSettings().delayMs, 0);
        const int64_t left = delayMs - static_cast<int64_t>(tickCount() - shownAt);
        switch (waitForHostEvent(hostWindow, static_cast<int32_t>(std::max<int64_t>(left, 0)))) {
        case HostEvent::resized:
            drawInHostWindow(state.currentIndex);
            prepareTartanName(next);
            break;
        case HostEvent::exposed:
            presentWindow(hostWindow);
            break;
        case HostEvent::timeout:
            if (static_cast<int64_t>(tickCount() - shownAt) < delayMs) break;
            state.currentIndex = next;
            drawInHostWindow(next);
            shownAt = tickCount();
            next = readyNextTartan(next);
            break;
        }
    }
}
