#include "show/show.h"

#include "platform/process_services.h"
#include "platform/window_services.h"
#include "show/random.h"
#include "startup/program.h"
#include "startup/settings.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"
#include "tartan/weave.h"

namespace {

// The pointer is polled this often while a picture is held.
constexpr int pollIntervalMs = 10;

// A tile narrower or lower than this is first repeated into a block of whole
// tiles at least this large, so that covering the screen takes a few thousand
// copies rather than a million (a 2 by 4 tile on a 3840 by 2160 screen).
constexpr int32_t minimumBlock = 256;
// The image slot that holds such a block.
constexpr int32_t blockSlot = 2;

// The zoom as used: a hand-edited value below 1 would stop the tiling from
// advancing, so it counts as 1.
int32_t effectiveZoom() {
    const int32_t zoom = saverSettings().zoom;
    return zoom < 1 ? 1 : zoom;
}

// Copies image `slot` over an area in a grid from its top-left corner.
// Positions are kept in 32 bits so that every step advances and the tiling
// always ends, whatever the zoom.
void tileArea(int32_t slot, int32_t width, int32_t height, int32_t stepX, int32_t stepY) {
    for (int32_t y = 0; y < height; y += stepY)
        for (int32_t x = 0; x < width; x += stepX) blitImage(imageHandle(slot), x, y);
}

// Repeats the enlarged tile (slot 0) into a block of whole tiles at least
// minimumBlock pixels each way; the block's slot, or slot 0 when the tile is
// large enough or the block cannot be made.
int32_t blockOfTiles(int32_t& stepX, int32_t& stepY) {
    if (stepX >= minimumBlock && stepY >= minimumBlock) return 0;
    const int32_t across = (minimumBlock + stepX - 1) / stepX;
    const int32_t down = (minimumBlock + stepY - 1) / stepY;
    if (!makeImage(blockSlot, across * stepX, down * stepY)) return 0;
    if (!beginDrawing(imageTarget())) return 0;
    tileArea(0, across * stepX, down * stepY, stepX, stepY);
    endDrawing();
    stepX *= across;
    stepY *= down;
    return blockSlot;
}

// Covers the canvas with the enlarged tile in a grid from the top-left corner.
void tileScreen(const ShowCanvas& canvas, int32_t stepX, int32_t stepY) {
    const int32_t slot = blockOfTiles(stepX, stepY);
    if (!beginDrawing(canvas.target())) return;
    tileArea(slot, canvas.width, canvas.height, stepX, stepY);
    endDrawing();
}

// Writes the name in black on white, its right edge at the canvas's right edge.
void drawTartanName(const ShowCanvas& canvas, const std::string& name) {
    if (!beginDrawing(canvas.target())) return;
    setDrawingFlags(2);
    setDrawColour(0, 0, 0);
    setTextPosition(canvas.width - textWidth(name), 0);
    writeText(name);
    endDrawing();
}

bool cursorMoved() {
    const ShowState& state = showState();
    int32_t x = 0;
    int32_t y = 0;
    if (!cursorPosition(x, y)) return false;
    return x != state.savedCursorX || y != state.savedCursorY;
}

// Holds the picture for the delay, polling the pointer (at least once) and
// sleeping between polls.
void waitForDelay() {
    const uint32_t t0 = tickCount();
    const int32_t delayMs = saverSettings().delayMs;
    for (;;) {
        serviceWindowEvents();
        if (cursorMoved()) {
            showState().quitRequested = true;
            return;
        }
        const uint32_t elapsed = tickCount() - t0;
        if (delayMs < 0 || elapsed > static_cast<uint32_t>(delayMs)) return;
        sleepMilliseconds(pollIntervalMs);
    }
}

DrawingTarget showWindowTarget() { return windowTarget(); }

}  // namespace

ShowState& showState() {
    static ShowState state;
    return state;
}

int16_t chooseNextIndex() {
    ShowState& state = showState();
    if (saverSettings().randomOrder == 0) {
        const int32_t next = state.currentIndex + 1;
        state.currentIndex = static_cast<int16_t>(next == state.lastIndex + 1 ? 0 : next);
    } else {
        state.currentIndex = static_cast<int16_t>(randomUpTo(state.lastIndex));
    }
    return state.currentIndex;
}

void drawTartan(int index, const ShowCanvas& canvas) {
    const TartanRecord& record = tartanCatalogue()[static_cast<size_t>(index)];
    const Palette palette = parsePalette(record.paletteSett);
    const ThreadColours warp = parseThreadSett(record.warpSett, palette, record.warpCount);
    const ThreadColours weft = parseThreadSett(record.weftSett, palette, record.weftCount);
    weaveTile(record, warp, weft);

    const int32_t zoom = effectiveZoom();
    const int32_t width = zoom * record.warpCount;
    const int32_t height = zoom * record.weftCount;
    scaleImage(0, width, height);
    if (width > 0 && height > 0) tileScreen(canvas, width, height);
    if (saverSettings().showNames == 1) drawTartanName(canvas, record.name);
}

void runShow() {
    ShowState& state = showState();
    randomSeed(tickCount());
    loadSaverSettings();
    state.lastIndex = 271;
    initWeavePattern();
    buildCatalogue();
    unscrambleCatalogue();

    setCursorVisible(false);
    cursorPosition(state.savedCursorX, state.savedCursorY);
    state.screenWidth = screenWidth();
    state.screenHeight = screenHeight();
    state.showWindow = openTopWindow(0, 0, 0, state.screenWidth, state.screenHeight, stylePopup, "");
    if (!state.showWindow) {
        // Nothing can be shown: give the pointer back and end cleanly.
        setCursorVisible(true);
        endProgram();
    }
    fillWindowBlack(state.showWindow);
    // No image need be larger than the screen: an enlarged tile keeps only its visible part.
    setImageClip(state.screenWidth, state.screenHeight);

    const ShowCanvas canvas{state.screenWidth, state.screenHeight, showWindowTarget};
    state.currentIndex = -1;
    while (!state.quitRequested) {
        drawTartan(chooseNextIndex(), canvas);
        waitForDelay();
    }
    setCursorVisible(true);
    endProgram();
}
