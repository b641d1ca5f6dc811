// The per-user settings store: named text values under a key path.
#pragma once

#include <string>

enum class SettingsRoot { currentUser };

// The value's text, or "Error Opening Key" / "Error Reading Key".
std::string readSettingText(SettingsRoot root, const std::string& keyPath,
                            const std::string& valueName);

// 0 = the key could not be created or opened, 1 = the value was not
// written, 2 = written.
int writeSettingText(SettingsRoot root, const std::string& keyPath, const std::string& valueName,
                     const std::string& text);

// The running program's folder, ending in the platform's path separator.
std::string programFolder();

// Where an install into PREFIX/bin puts the program's other files, such as
// its help file: a folder under PREFIX, its parts separated by "/"
// ("share/plaidwick" on Linux); empty where they go beside the program.
const char* installedDataFolder();

// True when a file or folder exists at the path.
bool fileExists(const std::string& path);

// The platform's path separator ("\\" on Windows, "/" elsewhere).
const char* pathSeparator();
