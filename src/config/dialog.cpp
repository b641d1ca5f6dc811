#include "config/dialog.h"

#include "config/help.h"
#include "picture/images.h"
#include "platform/settings_store.h"
#include "platform/window_services.h"
#include "startup/program.h"
#include "startup/settings.h"
#include "tartan/sett.h"
#include "tartan/text.h"

namespace {

const char* const dialogTitle = "Plaidwick ScreenSaver 1.0";

// The four About lines, scrambled under aboutKey (25, 30, 31 and 28 bytes).
const char aboutKey[] = "Pwk";
const unsigned char aboutLine1[] = {0xFF, 0xE4, 0xF5, 0xC6, 0xEC, 0xE3, 0xC6, 0xEB, 0xFF, 0x8F, 0xDB, 0xF7, 0xDD, 0xED, 0xF1, 0xC1, 0xDB, 0xF5, 0xD9, 0xED, 0xE6, 0x8F, 0xB9, 0xBA, 0x9F, 0};
const unsigned char aboutLine2[] = {0xFB, 0xE9, 0xE6, 0xDB, 0xE9, 0xFA, 0xDC, 0xA8, 0xE3, 0xC0, 0xFE, 0xF1, 0xC1, 0xA8, 0xE0, 0xC7, 0xFA, 0xF1, 0xCE, 0xEC, 0xB4, 0xCD, 0xF1, 0xB4, 0xDB, 0xE0, 0xE6, 0xCA, 0xE9, 0xF0, 0};
const unsigned char aboutLine3[] = {0x9D, 0xBF, 0xA6, 0x8F, 0xFC, 0xF5, 0xDD, 0xFC, 0xF5, 0xC1, 0xFB, 0xB8, 0x8F, 0xFF, 0xFB, 0xD9, 0xED, 0xFA, 0x8F, 0xE1, 0xFA, 0x8F, 0xBA, 0xBB, 0x9D, 0xA8, 0xE0, 0xD8, 0xE1, 0xF8, 0xC3, 0};
const unsigned char aboutLine4[] = {0xE2, 0xE7, 0xE2, 0xCA, 0xA8, 0xE0, 0xC7, 0xED, 0xB4, 0xC2, 0xE7, 0xE1, 0xDC, 0xED, 0xB4, 0xDB, 0xE7, 0xB4, 0xCA, 0xE6, 0xF0, 0x8F, 0xE9, 0xB4, 0xDC, 0xE0, 0xFB, 0xD8, 0};

std::string storedText(const unsigned char* bytes) { return reinterpret_cast<const char*>(bytes); }

void showSliderValue(int label, const char* caption, int slider) {
    setControlText(label, std::string(caption) + decimalText(getControlState(slider)));
}

void addSettingSlider(NumericSettingIndex setting, int32_t y) {
    const NumericSetting& s = numericSettings[setting];
    addSlider(s.control, 88, y, 290, 20, s.minimum, s.maximum, sliderTicks);
}

void addGeneralPage() {
    addTabPage(settingsPanel, -1, "General");
    addCheckBox(showNamesBox, 93, 168, 110, 20, "Show tartan names");
    addSettingSlider(tartanZoom, 33);
    addLabel(zoomLabel, 18, 33, 65, 15, "Zoom (x): 1", labelLeft);
    addCheckBox(randomOrderBox, 228, 168, 140, 20, "Display in random order");
    addSettingSlider(tartanDelay, 108);
    addLabel(delayLabel, 18, 108, 60, 15, "Delay (s): 1", labelLeft);
    addLabel(zoomHeading, 88, 13, 290, 15, "How should tartans be?", labelCentre);
    addLabel(delayHeading, 88, 83, 290, 15, "How often should tartans change?", labelCentre);
}

void addAboutPage() {
    addTabPage(settingsPanel, -1, "About");
    addPicture(aboutImage, 33, 18, 340, 50, imageHandle(0), pictureSunken);
    addLabel(aboutTextBox, 33, 83, 340, 130, "", labelCentre | labelSunken);
}

void addControls() {
    addButton(okButton, 110, 265, 80, 30, "OK");
    addButton(helpButton, 305, 265, 80, 30, "Help");
    addButton(cancelButton, 210, 265, 80, 30, "Cancel");
    addTabPanel(settingsPanel, 10, 15, 400, 245);
    addGeneralPage();
    addAboutPage();
    endTabPanel();
}

}  // namespace

std::string buildAboutText() {
    const std::string cr = "\r";
    const std::string key = aboutKey;
    return cr + unscrambleSett(storedText(aboutLine1), key) + cr + cr +
           unscrambleSett(storedText(aboutLine2), key) + cr + cr +
           unscrambleSett(storedText(aboutLine3), key) + cr + cr +
           unscrambleSett(storedText(aboutLine4), key);
}

bool openSettingsDialog() {
    const uint32_t flags = styleCaption | styleSystemMenu | styleSizingBorder | centreOnScreen |
                           centreOverActive | scaledLayout;
    WindowHandle window = openTopWindow(0, 361, 207, 420, 300, flags, dialogTitle);
    if (!window) return false;
    if (beginControlList(window)) addControls();
    loadDialogSettings();
    showSliderValue(zoomLabel, "Zoom (x): ", zoomSlider);
    showSliderValue(delayLabel, "Delay (s): ", delaySlider);
    setControlText(aboutTextBox, buildAboutText());
    return true;
}

bool handleDialogEvent(int event, int control) {
    if (event != controlEvent) return true;
    switch (control) {
    case delaySlider:
        showSliderValue(delayLabel, "Delay (s): ", delaySlider);
        return true;
    case zoomSlider:
        showSliderValue(zoomLabel, "Zoom (x): ", zoomSlider);
        return true;
    case okButton:
        saveDialogSettings();
        return false;
    case cancelButton:
        return false;
    case helpButton:
        openHelp(saverSettings().installPath + pathSeparator() + "Plaidwick.chm", "Support.htm");
        return true;
    default:
        return true;
    }
}

void runSettingsDialog() {
    // Without a window no event could ever arrive: end at once.
    if (!openSettingsDialog()) endProgram();
    for (;;) {
        // The event first: its control is known only once it has arrived
        // (the order in which call arguments are evaluated is unspecified).
        const int event = waitEvent();
        if (!handleDialogEvent(event, eventControl())) break;
    }
    endProgram();
}
