// Process, time, cursor and screen services that every platform provides.
#pragma once

#include <cstdint>
#include <string>

// The argument at `index` after the program's own name (0 = the first one
// the host passes), or an empty text when there is none.
std::string programArgument(int index);

// A millisecond counter that wraps modulo 2^32.
uint32_t tickCount();

// Ends the process with exit code 0.
[[noreturn]] void exitProcess();

// The pointer's position in screen pixels; false when it cannot be read.
bool cursorPosition(int32_t& x, int32_t& y);

// Hides (false) or shows again (true) the mouse pointer over the program's windows.
void setCursorVisible(bool visible);

// The primary screen's size in pixels (0 when there is no display).
int32_t screenWidth();
int32_t screenHeight();

// Handles whatever the window system has queued (none of it becomes an event
// of the program), then sleeps until `milliseconds` have passed or more
// arrives, such as the pointer moving over one of the program's windows. With
// 0 it only handles what is queued.
void waitForWindowEvents(int32_t milliseconds);
