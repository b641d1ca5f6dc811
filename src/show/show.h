// The full-screen show: tartan after tartan until the pointer moves.
#pragma once

#include <cstdint>

#include "platform/image_services.h"

struct ShowState {
    int16_t lastIndex = 271;
    int16_t currentIndex = -1;
    int32_t savedCursorX = 0;
    int32_t savedCursorY = 0;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    WindowHandle showWindow = nullptr;
    bool quitRequested = false;
};

ShowState& showState();

// Runs the show; ends the program when the pointer moves.
void runShow();

// The next catalogue index: in order (wrapping after lastIndex) or at random.
int16_t chooseNextIndex();

// Where one tartan's picture is drawn: the area's size and how to open a
// drawing on it (the show's window, or an image for measurements).
struct ShowCanvas {
    int32_t width;
    int32_t height;
    DrawingTarget (*target)();
};

// Parses, weaves, enlarges and tiles catalogue record `index` over the
// canvas, and writes its name when names are on. The catalogue must be built
// and unscrambled, and the weave pattern set.
void drawTartan(int index, const ShowCanvas& canvas);
