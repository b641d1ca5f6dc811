// The saver's settings: defaults, and their way into and out of the store.
#pragma once

#include <cstdint>
#include <string>

struct SaverSettings {
    std::string installPath;
    int32_t randomOrder = 0;
    int32_t showNames = 0;
    int16_t zoom = 0;
    int32_t delayMs = 0;
};

extern const char* const settingsKeyPath;
extern const char* const installPathValue;
extern const char* const tartanOrderValue;
extern const char* const tartanInfoValue;
extern const char* const tartanZoomValue;
extern const char* const tartanDelayValue;

// The program's settings for this run.
SaverSettings& saverSettings();

// Reads all five settings; each missing one takes its default, written back.
void loadSaverSettings();

// The dialog's side: sets installPath and the states of the four setting controls.
void loadDialogSettings();
// Writes the four settings from the dialog's controls.
void saveDialogSettings();

// The folder part of a module's file name: up to and including the last
// separator, without a leading quote, cut at the first quote left.
std::string folderOfPath(const std::string& fileName, char separator);
