// Numbered top-level windows, numbered controls in them, and events.
#pragma once

#include <cstdint>
#include <string>

using WindowHandle = void*;
using ControlHandle = void*;
using ImageHandle = void*;

// Event codes that waitEvent gives; any other value is a message the layer
// did not turn into an event.
enum EventCode : int32_t {
    resizeEvent = 5,
    closeEvent = 16,
    controlEvent = 13100,
    menuEvent = 13101,
};

// Window flags: bit 0 centres on the screen, bit 1 over the active window
// (or on the screen when there is none); bit 2 scales the window's client
// size and its controls' positions and sizes, which are then given for a
// text resolution of 96 per inch, to the desktop's text resolution (so that
// text in its default font still fits); the rest is the window style.
enum WindowFlag : uint32_t {
    centreOnScreen = 0x1,
    centreOverActive = 0x2,
    scaledLayout = 0x4,
    styleHiddenBit = 0x10000000,   // inverted: passing it makes a hidden window
    styleCaption = 0x00C00000,
    styleSystemMenu = 0x00080000,
    styleSizingBorder = 0x00040000,
    stylePopup = 0x80000000,
};

// Label flags.
enum LabelFlag : int32_t { labelLeft = 0, labelCentre = 1, labelSunken = 0x20000 };
// Slider flags.
enum SliderFlag : int32_t { sliderTicks = 1, sliderVertical = 2 };
// Picture flags (extended style): a sunken edge.
enum PictureFlag : int32_t { pictureSunken = 0x200 };

void initWindowServices();
void initControlServices();
void initCommonControls();

// Opens window `number` (closing an open one of that number first) with a
// client area of width x height; makes it the current window. 0 on failure.
WindowHandle openTopWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                           uint32_t flags, const std::string& title);
WindowHandle currentWindow();
void closeAllWindows();

// Makes `window` the parent of the controls made next; 0 tells the caller to make none.
WindowHandle beginControlList(WindowHandle window);
void addButton(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
               const std::string& text);
void addCheckBox(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                 const std::string& text);
void addLabel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
              const std::string& text, int32_t flags);
void addSlider(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
               int32_t minimum, int32_t maximum, int32_t flags);
void addPicture(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                ImageHandle image, int32_t flags);
ControlHandle addTabPanel(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height);
// Appends (position -1) or inserts a tab; its page becomes the control parent.
void addTabPage(int32_t panel, int32_t position, const std::string& text);
void endTabPanel();

void setControlText(int32_t number, const std::string& text);
void setControlState(int32_t number, int32_t state);
int32_t getControlState(int32_t number);

// Blocks until the next message and gives its event code.
int32_t waitEvent();
// The control of the latest control or menu event.
int32_t eventControl();
