// The settings store on the registry's per-user branch.
#include <windows.h>

#include "platform/settings_store.h"
#include "startup/settings.h"

namespace {

HKEY rootKey(SettingsRoot) { return HKEY_CURRENT_USER; }

// The longest value read: 254 characters and the terminating zero.
constexpr DWORD readBufferSize = 255;

}  // namespace

std::string readSettingText(SettingsRoot root, const std::string& keyPath,
                            const std::string& valueName) {
    char buffer[readBufferSize + 1];
    FillMemory(buffer, readBufferSize, ' ');
    buffer[readBufferSize] = 0;
    DWORD size = readBufferSize;

    HKEY key;
    if (RegOpenKeyExA(rootKey(root), keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "Error Opening Key";
    const LONG result = RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return "Error Reading Key";

    // The returned size counts the terminating zero, which is dropped; the
    // type is not checked, so any value's bytes read as text up to a zero.
    std::string text;
    for (DWORD i = 0; i + 1 < size && i < readBufferSize && buffer[i] != 0; ++i) text += buffer[i];
    return text;
}

int writeSettingText(SettingsRoot root, const std::string& keyPath, const std::string& valueName,
                     const std::string& text) {
    HKEY key;
    if (RegCreateKeyA(rootKey(root), keyPath.c_str(), &key) != ERROR_SUCCESS) return 0;
    const LONG result = RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 2 : 1;
}

std::string programFolder() {
    char fileName[1000];
    const DWORD length = GetModuleFileNameA(nullptr, fileName, sizeof fileName);
    if (length == 0) return std::string();
    return folderOfPath(std::string(fileName, length < sizeof fileName ? length : sizeof fileName - 1),
                        '\\');
}

// An installer puts the help file beside the screensaver.
const char* installedDataFolder() { return ""; }

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

const char* pathSeparator() { return "\\"; }
