// A platform in memory only, for the unit tests of the portable logic: what
// the logic did to windows, controls, the store, help and the pointer is
// kept here for the test to read, and what a user would do is set here.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/drawing_services.h"
#include "platform/help_services.h"

namespace stub {

// Thrown by exitProcess: the program ended.
struct ProgramEnded {};

struct Window {
    int32_t number = 0;
    int32_t x = 0, y = 0, width = 0, height = 0;
    uint32_t flags = 0;
    std::string title;
    bool open = true;
    std::vector<uint32_t> surface; // width x height, made when first drawn on
    int presents = 0;
    PixelView view() { return PixelView{surface.data(), width, height, width}; }
};

enum class Kind { button, checkBox, label, slider, picture, panel };

struct Control {
    Kind kind = Kind::button;
    int32_t x = 0, y = 0, width = 0, height = 0;
    std::string text;
    int32_t state = 0;
    int32_t minimum = 0, maximum = 0;
    int32_t flags = 0;
    int page = -1; // the tab page it lies on, counted over all panels; -1: on the window
    std::vector<uint32_t> picture; // a picture control's copy of its image
};

// Text metrics: every byte is one cell this wide and high; a letter's
// pixels are the inner block of its cell.
constexpr int32_t cellWidth = 6;
constexpr int32_t cellHeight = 10;

struct Backend {
    std::vector<std::string> arguments;
    uint32_t clock = 1000; // advanced by the time waitForWindowEvents or waitForHostEvent waits
    uint32_t tickStep = 0; // and by this much after every read: time passing between two reads
    int32_t pointerX = 0, pointerY = 0;
    bool cursorVisible = true;
    int32_t screenWidth = 64, screenHeight = 48;
    std::map<std::string, std::string> store; // the one key's values
    std::vector<std::string> storeWrites;     // "name=text", in order
    std::string programFolder = "/opt/stub/";
    std::string installedDataFolder; // empty: other files go beside the program
    std::set<std::string> files;     // the paths fileExists finds
    HelpLibrary help = HelpLibrary::withHtmlHelp;
    std::vector<std::string>
        helpCalls; // "html <locator>", "classic <file>|<topic>", "close html", "close classic"
    std::vector<Window> windows;
    std::map<int32_t, Control> controls;
    int pages = 0;
    std::deque<std::pair<int32_t, int32_t>> events; // event code, control
    int32_t latestControl = 0;
    // What each wait for an adopted window gives, in turn: {0, 0} the time
    // waited for passes, {-1, -1} an exposure, {width, height} a resize;
    // when none is left the host ends the program.
    std::deque<std::pair<int32_t, int32_t>> hostEvents;
    // Called at every sleep and every present (after the count went up).
    std::function<void()> onSleep;
    std::function<void(Window&)> onPresent;
};

Backend& backend();
// Starts every test afresh.
void reset();

Window* window(int32_t number);
Control* control(int32_t number);

} // namespace stub
