// What the platform tests do to the backend's windows and read back from
// outside the window services: the user's input as the window system
// delivers it, and what the screen shows. Each backend's folder implements it.
// The inline helpers at the end are the same on both.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "platform/settings_store.h"
#include "platform/window_services.h"

namespace probe {

struct Rect { int32_t x, y, width, height; };

// Services the window system until `done` holds; false when `ms` pass first.
bool pumpUntil(const std::function<bool()>& done, int ms = 5000);
// Takes events from waitEvent until one of `code` from `control` (any when
// -1) after which `also` holds; false when `ms` pass first.
bool awaitEvent(int32_t code, int32_t control = -1, const std::function<bool()>& also = {}, int ms = 5000);

Rect client(WindowHandle window);  // the client area in screen pixels
bool hasCaption(WindowHandle window);
bool isVisible(WindowHandle window);
int visibleWindows();  // the program's visible top-level windows
void activate(WindowHandle window);
void requestClose(WindowHandle window);  // as the close box asks
void resize(WindowHandle window, int32_t width, int32_t height);
uint32_t screenPixel(int32_t x, int32_t y);  // 0x00RRGGBB of a screen point

Rect controlRect(WindowHandle window, int32_t number);  // relative to the client area; 0 by 0 when not shown
int32_t focusedControl(WindowHandle window);            // -1 when no control has the focus
// What a control's text needs (at the control's width, for text that wraps)
// and the box it has, in pixels (a backend that grows a control to its
// content shows that in controlRect).
struct TextFit { int32_t needWidth, needHeight, width, height; };
TextFit textFit(WindowHandle window, int32_t number);

enum class Key { tab, shiftTab, right };
void press(WindowHandle window, Key key);
// Moves the pointer to a client point, the left button down or up (pressed
// or released when that changes), as real input.
void mouse(WindowHandle window, int32_t x, int32_t y, bool down);
bool pointerHidden(WindowHandle window);  // over the window

// An empty settings store for the test, and a folder of the test's own for
// files (not made yet; removed at exit).
std::string freshStore();

inline void click(WindowHandle w, int32_t x, int32_t y) { mouse(w, x, y, true), mouse(w, x, y, false); }

// Opens a window and waits until it is on screen (unless asked hidden).
inline WindowHandle openShown(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
    WindowHandle window = openTopWindow(number, x, y, width, height, flags, "Plaidwick");
    if (window && !(flags & styleHiddenBit)) pumpUntil([&] { return isVisible(window); });
    return window;
}

// Values under the tests' own key of the current user's store.
inline const std::string storeKey = "Software\\Plaidwick Tests\\Store";
constexpr SettingsRoot user = SettingsRoot::currentUser;
inline std::string readValue(const std::string& name) { return readSettingText(user, storeKey, name); }
inline int writeValue(const std::string& v, const std::string& t) { return writeSettingText(user, storeKey, v, t); }

// A file's bytes; empty when it cannot be read.
inline std::string fileText(const std::string& path) {
    return std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
}

}  // namespace probe
