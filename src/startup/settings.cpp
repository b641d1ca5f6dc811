#include "startup/settings.h"

#include "config/dialog.h"
#include "platform/settings_store.h"
#include "platform/window_services.h"
#include "tartan/text.h"

const char* const settingsKeyPath = "Software\\Plaidwick ScreenSaver";
const char* const installPathValue = "Install Path";
const char* const tartanOrderValue = "Tartan Order";
const char* const tartanInfoValue = "Tartan Info";
const char* const tartanZoomValue = "Tartan Zoom";
const char* const tartanDelayValue = "Tartan Delay";

namespace {

const char* const errorOpening = "Error Opening Key";
const char* const errorReading = "Error Reading Key";

std::string readSetting(const char* valueName) {
    return readSettingText(SettingsRoot::currentUser, settingsKeyPath, valueName);
}

void writeSetting(const char* valueName, const std::string& text) {
    writeSettingText(SettingsRoot::currentUser, settingsKeyPath, valueName, text);
}

bool isErrorText(const std::string& text) { return text == errorOpening || text == errorReading; }

// The stored install path, or the program's folder written back in its place.
std::string loadInstallPath() {
    const std::string text = readSetting(installPathValue);
    if (!isErrorText(text) && !text.empty()) return text;
    const std::string folder = programFolder();
    writeSetting(installPathValue, folder);
    return folder;
}

// A numeric setting for the show: missing ones become 1, written back.
int32_t loadNumber(const char* valueName) {
    const std::string text = readSetting(valueName);
    if (!isErrorText(text)) return parseInteger(text);
    writeSetting(valueName, "1");
    return 1;
}

// A numeric setting for the dialog: missing ones show as 1, nothing is written.
int32_t peekNumber(const char* valueName) {
    const std::string text = readSetting(valueName);
    return isErrorText(text) ? 1 : parseInteger(text);
}

}  // namespace

SaverSettings& saverSettings() {
    static SaverSettings settings;
    return settings;
}

void loadSaverSettings() {
    SaverSettings& s = saverSettings();
    s.installPath = loadInstallPath();
    s.randomOrder = loadNumber(tartanOrderValue);
    s.showNames = loadNumber(tartanInfoValue);
    s.zoom = static_cast<int16_t>(loadNumber(tartanZoomValue));
    s.delayMs = static_cast<int32_t>(static_cast<uint32_t>(loadNumber(tartanDelayValue)) * 1000u);
}

void loadDialogSettings() {
    saverSettings().installPath = loadInstallPath();
    setControlState(randomOrderBox, peekNumber(tartanOrderValue));
    setControlState(showNamesBox, peekNumber(tartanInfoValue));
    setControlState(zoomSlider, peekNumber(tartanZoomValue));
    setControlState(delaySlider, peekNumber(tartanDelayValue));
}

void saveDialogSettings() {
    writeSetting(tartanOrderValue, decimalText(getControlState(randomOrderBox)));
    writeSetting(tartanInfoValue, decimalText(getControlState(showNamesBox)));
    writeSetting(tartanZoomValue, decimalText(getControlState(zoomSlider)));
    writeSetting(tartanDelayValue, decimalText(getControlState(delaySlider)));
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
