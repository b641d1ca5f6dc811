#include "startup/settings.h"

#include "config/dialog.h"
#include "platform/settings_store.h"
#include "platform/window_services.h"
#include "tartan/text.h"

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

std::string readSetting(const char* valueName) {
    return readSettingText(SettingsRoot::currentUser, settingsKeyPath, valueName);
}

void writeSetting(const char* valueName, const std::string& text) {
    writeSettingText(SettingsRoot::currentUser, settingsKeyPath, valueName, text);
}

bool isErrorText(const std::string& text) { return text == errorOpening || text == errorReading; }

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

// The stored install path, or the default written back in its place.
std::string loadInstallPath() {
    const std::string text = readSetting(installPathValue);
    if (!isErrorText(text) && !text.empty()) return text;
    const std::string folder = defaultInstallPath();
    writeSetting(installPathValue, folder);
    return folder;
}

// A numeric setting for the show: a missing one takes the default, written back.
int32_t loadNumber(NumericSettingIndex setting) {
    const char* name = numericSettings[setting].valueName;
    const std::string text = readSetting(name);
    if (!isErrorText(text)) return parseInteger(text);
    writeSetting(name, decimalText(numericSettingDefault));
    return numericSettingDefault;
}

// A numeric setting for the dialog: a missing one shows the default; nothing is written.
int32_t peekNumber(NumericSettingIndex setting) {
    const std::string text = readSetting(numericSettings[setting].valueName);
    return isErrorText(text) ? numericSettingDefault : parseInteger(text);
}

}  // namespace

SaverSettings& saverSettings() {
    static SaverSettings settings;
    return settings;
}

void loadSaverSettings() {
    SaverSettings& s = saverSettings();
    s.installPath = loadInstallPath();
    s.randomOrder = loadNumber(tartanOrder);
    s.showNames = loadNumber(tartanInfo);
    s.zoom = static_cast<int16_t>(loadNumber(tartanZoom));
    s.delayMs = static_cast<int32_t>(static_cast<uint32_t>(loadNumber(tartanDelay)) * 1000u);
}

void loadDialogSettings() {
    saverSettings().installPath = loadInstallPath();
    for (int setting = 0; setting < numericSettingCount; ++setting)
        setControlState(numericSettings[setting].control, peekNumber(static_cast<NumericSettingIndex>(setting)));
}

void saveDialogSettings() {
    for (const NumericSetting& setting : numericSettings)
        writeSetting(setting.valueName, decimalText(getControlState(setting.control)));
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
