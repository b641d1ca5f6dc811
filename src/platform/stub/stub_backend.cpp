#include "platform/stub/stub_backend.h"

#include <algorithm>
#include <string>
#include <stdexcept>

#include "picture/images.h"
#include "platform/host_services.h"
#include "platform/process_services.h"
#include "platform/settings_store.h"
#include "platform/window_services.h"

namespace stub {

Backend& backend() {
    static Backend state;
    return state;
}

Window* window(int32_t number) {
    for (Window& w : backend().windows)
        if (w.open && w.number == number) return &w;
    return nullptr;
}

Control* control(int32_t number) {
    auto found = backend().controls.find(number);
    return found == backend().controls.end() ? nullptr : &found->second;
}

} // namespace stub

using stub::backend;

namespace {

// Where new controls go: whether a control list is open, the page (-1: the
// window), and the pages to go back to as panels end.
struct ControlParent {
    bool open = false;
    int page = -1;
    std::vector<int> saved;
};
ControlParent parent;

stub::Window* windowOf(WindowHandle handle) {
    for (stub::Window& w : backend().windows)
        if (w.open && &w == handle) return &w;
    return nullptr;
}

void add(int32_t number, stub::Kind kind, int32_t x, int32_t y, int32_t width, int32_t height,
         const std::string& text = "", int32_t flags = 0) {
    if (!parent.open) return;
    stub::Control c;
    c.kind = kind;
    c.x = x, c.y = y, c.width = width, c.height = height;
    c.text = text;
    c.flags = flags;
    c.page = parent.page;
    backend().controls[number] = c;
}

void showPicture(stub::Control& c, const PixelView& pixels) {
    c.picture.clear();
    for (int32_t y = 0; y < pixels.height; ++y)
        c.picture.insert(c.picture.end(), pixels.row(y), pixels.row(y) + pixels.width);
}

} // namespace

void stub::reset() {
    backend() = Backend{};
    parent = ControlParent{};
}

// ---- process ----

std::string programArgument(int index) {
    const auto& list = backend().arguments;
    return index >= 0 && static_cast<size_t>(index) < list.size() ? list[static_cast<size_t>(index)]
                                                                  : "";
}
uint32_t tickCount() {
    const uint32_t now = backend().clock;
    backend().clock += backend().tickStep;
    return now;
}
void exitProcess() {
    throw stub::ProgramEnded{};
}
bool cursorPosition(int32_t& x, int32_t& y) {
    x = backend().pointerX;
    y = backend().pointerY;
    return true;
}
void setCursorVisible(bool visible) {
    backend().cursorVisible = visible;
}
int32_t screenWidth() {
    return backend().screenWidth;
}
int32_t screenHeight() {
    return backend().screenHeight;
}
void waitForWindowEvents(int32_t milliseconds) {
    backend().clock += static_cast<uint32_t>(std::max(milliseconds, 0));
    if (backend().onSleep) backend().onSleep();
}

// ---- store ----

std::string readSettingText(SettingsRoot, const std::string&, const std::string& valueName) {
    auto found = backend().store.find(valueName);
    if (found == backend().store.end()) return "Error Reading Key";
    return found->second.size() >= 255 ? "Error Reading Key" : found->second;
}
int writeSettingText(SettingsRoot, const std::string&, const std::string& valueName,
                     const std::string& text) {
    backend().store[valueName] = text;
    backend().storeWrites.push_back(valueName + "=" + text);
    return 2;
}
int updateSettingTexts(SettingsRoot root, const std::string& keyPath,
                       const std::vector<std::string>& names, const SettingsChange& change) {
    std::vector<std::string> texts;
    for (const std::string& name : names) texts.push_back(readSettingText(root, keyPath, name));
    for (const auto& [name, text] : change(texts)) writeSettingText(root, keyPath, name, text);
    return 2;
}
std::string programFolder() {
    return backend().programFolder;
}
const char* installedDataFolder() {
    return backend().installedDataFolder.c_str();
}
bool fileExists(const std::string& path) {
    return backend().files.count(path) > 0;
}
const char* pathSeparator() {
    return "/";
}

// ---- help ----

void initHelpViewer() {}
HelpLibrary helpLibrary() {
    return backend().help;
}
intptr_t showHtmlHelp(const std::string& locator) {
    backend().helpCalls.push_back("html " + locator);
    return 1;
}
void closeHtmlHelp() {
    backend().helpCalls.push_back("close html");
}
void showClassicHelp(const std::string& file, const std::string& topic) {
    backend().helpCalls.push_back("classic " + file + "|" + topic);
}
void closeClassicHelp() {
    backend().helpCalls.push_back("close classic");
}

// ---- windows and controls ----

void initWindowServices() {}
void initControlServices() {}
void initCommonControls() {}

WindowHandle openTopWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                           uint32_t flags, const std::string& title) {
    if (stub::Window* old = stub::window(number)) old->open = false;
    stub::Window w;
    w.number = number;
    w.x = x, w.y = y, w.width = width, w.height = height;
    w.flags = flags;
    w.title = title;
    backend().windows.reserve(64); // handles are addresses: no reallocation in a test
    backend().windows.push_back(w);
    return &backend().windows.back();
}

WindowHandle currentWindow() {
    for (auto w = backend().windows.rbegin(); w != backend().windows.rend(); ++w)
        if (w->open) return &*w;
    return nullptr;
}

void closeAllWindows() {
    for (stub::Window& w : backend().windows)
        w.open = false;
    parent = ControlParent{};
}

WindowHandle beginControlList(WindowHandle window) {
    parent = ControlParent{};
    parent.open = windowOf(window) != nullptr;
    return parent.open ? window : nullptr;
}

void addButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
               const std::string& text) {
    add(number, stub::Kind::button, x, y, width, height, text);
}
void addCheckBox(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                 const std::string& text) {
    add(number, stub::Kind::checkBox, x, y, width, height, text);
}
void addLabel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
              const std::string& text, int32_t flags) {
    add(number, stub::Kind::label, x, y, width, height, text, flags);
}
void addSlider(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, int32_t minimum,
               int32_t maximum, int32_t flags) {
    add(number, stub::Kind::slider, x, y, width, height, "", flags);
    if (stub::Control* c = stub::control(number)) {
        c->minimum = minimum;
        c->maximum = maximum;
        c->state = minimum;
    }
}
void addPicture(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                ImageHandle image, int32_t flags) {
    add(number, stub::Kind::picture, x, y, width, height, "", flags);
    if (stub::Control* c = stub::control(number)) showPicture(*c, pixelsOfImage(image));
}
ControlHandle addTabPanel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height) {
    add(number, stub::Kind::panel, x, y, width, height);
    parent.saved.push_back(parent.page);
    return stub::control(number);
}
void addTabPage(int32_t panel, int32_t, const std::string& text) {
    stub::Control* c = stub::control(panel);
    if (!c || c->kind != stub::Kind::panel) return;
    c->text += (c->text.empty() ? "" : "|") + text;
    parent.page = backend().pages++;
}
void endTabPanel() {
    if (parent.saved.empty()) return;
    parent.page = parent.saved.back();
    parent.saved.pop_back();
}

void setControlText(int32_t number, const std::string& text) {
    if (stub::Control* c = stub::control(number)) c->text = text;
}
void setControlState(int32_t number, int32_t state) {
    stub::Control* c = stub::control(number);
    if (!c) return;
    switch (c->kind) {
    case stub::Kind::checkBox:
        c->state = state != 0;
        break;
    case stub::Kind::slider:
        c->state = std::clamp(state, c->minimum, c->maximum);
        break;
    case stub::Kind::panel:
        c->state = state;
        break;
    case stub::Kind::picture:
        showPicture(*c, imagePixels(state));
        break;
    default:
        break;
    }
}
int32_t getControlState(int32_t number) {
    const stub::Control* c = stub::control(number);
    return c && c->kind != stub::Kind::button && c->kind != stub::Kind::label ? c->state : 0;
}

int32_t waitEvent() {
    auto& events = backend().events;
    if (events.empty()) throw std::logic_error("waitEvent: no event queued");
    const auto [code, control] = events.front();
    events.pop_front();
    if (code == controlEvent || code == menuEvent) backend().latestControl = control;
    return code;
}
int32_t eventControl() {
    return backend().latestControl;
}

// ---- adopted windows ----

// An adopted window is a stub window numbered -1, of the screen's size,
// titled with its id; id 0xBAD cannot be adopted.
WindowHandle adoptWindow(uint64_t id) {
    if (id == 0xBAD) return nullptr;
    WindowHandle window = openTopWindow(-1, 0, 0, backend().screenWidth, backend().screenHeight, 0, "");
    stub::window(-1)->title = std::to_string(id);
    return window;
}

HostEvent waitForHostEvent(WindowHandle window, int32_t milliseconds) {
    stub::Window* w = windowOf(window);
    if (backend().hostEvents.empty()) exitProcess();
    const auto [width, height] = backend().hostEvents.front();
    backend().hostEvents.pop_front();
    if (width == 0) {
        waitForWindowEvents(milliseconds);
        return HostEvent::timeout;
    }
    if (width < 0) return HostEvent::exposed;
    w->width = width, w->height = height;
    w->surface.clear();
    return HostEvent::resized;
}

// ---- drawing ----

PixelView windowSurface(WindowHandle handle) {
    stub::Window* w = windowOf(handle);
    if (!w) return PixelView{};
    if (w->surface.empty())
        w->surface.assign(static_cast<size_t>(w->width) * static_cast<size_t>(w->height),
                          0xFF000000u);
    return w->view();
}

void presentWindow(WindowHandle handle) {
    stub::Window* w = windowOf(handle);
    if (!w) return;
    ++w->presents;
    if (backend().onPresent) backend().onPresent(*w);
}

int32_t measureText(const std::string& text) {
    return static_cast<int32_t>(text.size()) * stub::cellWidth;
}

void prepareText(const std::string&, int32_t, bool) {}

void drawText(const PixelView& target, int32_t x, int32_t y, const std::string& text,
              int32_t colour, bool opaque) {
    const uint32_t ink =
        0xFF000000u | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    for (size_t i = 0; i < text.size(); ++i)
        for (int32_t dy = 0; dy < stub::cellHeight; ++dy)
            for (int32_t dx = 0; dx < stub::cellWidth; ++dx) {
                const int64_t px = x + static_cast<int64_t>(i) * stub::cellWidth + dx, py = y + dy;
                if (px < 0 || py < 0 || px >= target.width || py >= target.height) continue;
                const bool letter = text[i] != ' ' && dx >= 1 && dx <= 4 && dy >= 2 && dy <= 7;
                if (letter || opaque)
                    target.row(static_cast<int32_t>(py))[px] = letter ? ink : 0xFFFFFFFFu;
            }
}
