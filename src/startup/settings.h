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

// The four numeric settings, in the order they are read and written: the
// value's name in the store, the dialog control that shows it, and the
// range the dialog offers. A missing one counts as 1.
struct NumericSetting {
    const char* valueName;
    int control;
    int32_t minimum;
    int32_t maximum;
};
enum NumericSettingIndex { tartanOrder, tartanInfo, tartanZoom, tartanDelay, numericSettingCount };
extern const NumericSetting numericSettings[numericSettingCount];
constexpr int32_t numericSettingDefault = 1;

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
