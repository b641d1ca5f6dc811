// The show: tartan after tartan over a canvas, until the pointer moves.
#pragma once

#include <cstdint>

#include "picture/drawing.h"
#include "show/host_request.h"

struct ShowState {
    int16_t lastIndex = 0;
    int16_t currentIndex = -1;
    int32_t savedCursorX = 0;
    int32_t savedCursorY = 0;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    WindowHandle showWindow = nullptr;
    bool quitRequested = false;
};

ShowState& showState();

// Where the tartans are drawn: the area's size and how to open a drawing on
// it (the show's window, or an image for measurements).
struct ShowCanvas {
    int32_t width;
    int32_t height;
    DrawingTarget (*target)();
};

// The show's start, before anything is shown: the random generator seeded,
// the settings read (missing ones written back), the weave pattern set, the
// catalogue built and unscrambled, the order started afresh.
void prepareShow();

// The catalogue index shown after `index`: the next in order (wrapping after
// lastIndex; -1, before the first, is followed by 0) or one at random.
int16_t chooseIndexAfter(int16_t index);

// Gets the name of catalogue record `index` ready to be written when names
// are on. The show does it for the next tartan while the current one is
// held, so that the picture's drawing finds the name laid out and rendered.
void prepareTartanName(int index);

// Parses, weaves, enlarges and tiles catalogue record `index` over the
// canvas and writes its name when names are on, in one drawing: a window
// shows the finished picture at once.
void drawTartan(int index, const ShowCanvas& canvas);

// Runs the full-screen show; ends the program when the pointer moves.
[[noreturn]] void runShow();

// Runs the show in a window a host gave it, at that window's size, tartan
// after tartan, until the host ends the process. The pointer and input are
// left alone; settings the request gives hold for this run only.
[[noreturn]] void runHostedShow(const HostRequest& request);
