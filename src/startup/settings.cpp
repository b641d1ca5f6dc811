#include "startup/settings.h"

#include "config/dialog.h"
#include "platform/settings_store.h"
#include "platform/window_services.h"
#include "tartan/text.h"

#include <vector>

const char* const settingsKeyPath = "Software\\Plaidwick ScreenSaver";
const char* const installPathValue = "Install Path";

const NumericSetting numericSettings[numericSettingCount] = {
    {"Tartan Order", randomOrderBox, 0, 1},
    {"Tartan Info", showNamesBox, 0, 1},
    {"Tartan Zoom", zoomSlider, 1, 10},
    {"Tartan Delay", delaySlider, 1, 60},
};

namespace {

const char* const errorOpening = "Error Opening Key";
const char* const errorReading = "Error Reading Key";
// The help file the dialog opens from the install path's folder.
const char* const helpFileName = "Plaidwick.chm";

bool isErrorText(const std::string& text) {
    return text == errorOpening || text == errorReading;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The folder that holds the help file when no install path is stored: for a
// program installed in PREFIX/bin, the platform's data folder under PREFIX
// when the help file is there; otherwise the program's own folder.
std::string defaultInstallPath() {
    const std::string folder = programFolder();
    const std::string separator = pathSeparator();
    const std::string binFolder = separator + "bin" + separator;
    const std::string dataFolder = installedDataFolder();
    if (dataFolder.empty() || !endsWith(folder, binFolder)) return folder;
    std::string installed = folder.substr(0, folder.size() - binFolder.size() + separator.size());
    for (char c : dataFolder) installed += c == '/' ? separator : std::string(1, c);
    installed += separator;
    return fileExists(installed + helpFileName) ? installed : folder;
}

struct StoredSettings {
    std::string installPath;
    int32_t numbers[numericSettingCount];
};

// Reads the five values and writes back, in the same step with the store,
// the defaults of missing ones: the program's folder for a missing or empty
// install path; 1 for a missing number when `writeNumbers` (the show's side).
StoredSettings loadSettings(bool writeNumbers) {
    std::vector<std::string> names{installPathValue};
    for (const NumericSetting& setting : numericSettings)
        names.push_back(setting.valueName);
    StoredSettings stored;
    updateSettingTexts(SettingsRoot::currentUser, settingsKeyPath, names,
                       [&](const std::vector<std::string>& texts) {
                           SettingTexts writes;
                           stored.installPath = texts[0];
                           if (isErrorText(texts[0]) || texts[0].empty())
                               writes.emplace_back(names[0], stored.installPath = defaultInstallPath());
                           for (int i = 0; i < numericSettingCount; ++i) {
                               const std::string& text = texts[static_cast<size_t>(i) + 1];
                               stored.numbers[i] =
                                   isErrorText(text) ? numericSettingDefault : parseInteger(text);
                               if (isErrorText(text) && writeNumbers)
                                   writes.emplace_back(names[static_cast<size_t>(i) + 1],
                                                       decimalText(numericSettingDefault));
                           }
                           return writes;
                       });
    return stored;
}

} // namespace

SaverSettings& saverSettings() {
    static SaverSettings settings;
    return settings;
}

void loadSaverSettings() {
    const StoredSettings stored = loadSettings(true);
    SaverSettings& s = saverSettings();
    s.installPath = stored.installPath;
    s.randomOrder = stored.numbers[tartanOrder];
    s.showNames = stored.numbers[tartanInfo];
    s.zoom = static_cast<int16_t>(stored.numbers[tartanZoom]);
    s.delayMs = static_cast<int32_t>(static_cast<uint32_t>(stored.numbers[tartanDelay]) * 1000u);
}

void loadDialogSettings() {
    const StoredSettings stored = loadSettings(false);
    saverSettings().installPath = stored.installPath;
    for (int setting = 0; setting < numericSettingCount; ++setting)
        setControlState(numericSettings[setting].control, stored.numbers[setting]);
}

// All four values in one write, so a show starting meanwhile reads all of
// them or none.
void saveDialogSettings() {
    SettingTexts writes;
    for (const NumericSetting& setting : numericSettings)
        writes.emplace_back(setting.valueName, decimalText(getControlState(setting.control)));
    updateSettingTexts(SettingsRoot::currentUser, settingsKeyPath, {},
                       [&](const std::vector<std::string>&) { return writes; });
}

std::string folderOfPath(const std::string& fileName, char separator) {
    std::string path = fileName;
    if (!path.empty() && path[0] == '"') path.erase(0, 1);
    const size_t last = path.rfind(separator);
    if (last == std::string::npos) return std::string();
    path.resize(last + 1);
    const size_t quote = path.find('"');
    if (quote != std::string::npos) path.resize(quote);
    return path;
}
