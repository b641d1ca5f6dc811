// The settings dialog.
#pragma once

#include <string>

// The dialog's controls, by number.
enum DialogControl : int {
    okButton = 1,
    helpButton = 2,
    cancelButton = 3,
    settingsPanel = 4,
    showNamesBox = 5,
    zoomSlider = 6,
    zoomLabel = 7,
    randomOrderBox = 8,
    delaySlider = 9,
    delayLabel = 10,
    zoomHeading = 11,
    delayHeading = 12,
    aboutImage = 13,
    aboutTextBox = 14,
};

// Opens the dialog and runs it until OK or Cancel ends the program.
void runSettingsDialog();

// Opens the dialog window with its controls showing the stored settings;
// false when the window cannot be opened.
bool openSettingsDialog();

// Acts on one event; false once OK or Cancel asks the dialog to end (after
// OK has saved the settings).
bool handleDialogEvent(int event, int control);

// The About page's text: four lines joined by carriage returns.
std::string buildAboutText();
