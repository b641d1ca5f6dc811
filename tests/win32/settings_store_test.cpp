// The settings store on the real registry (HKEY_CURRENT_USER of the test's
// Wine prefix), read and written through the store and checked with the
// registry's own calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>

#include "config/dialog.h"
#include "platform/settings_store.h"
#include "platform/window_services.h"
#include "startup/settings.h"
#include "win32_test_support.h"

namespace {

const char* const scratchRoot = "Software\\Plaidwick Tests";
const char* const scratchKey = "Software\\Plaidwick Tests\\Store";

std::string readScratch(const std::string& valueName) {
    return readSettingText(SettingsRoot::currentUser, scratchKey, valueName);
}

// Stores raw bytes of any type, as another writer might.
void storeRaw(const char* keyPath, const char* valueName, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, keyPath, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void storeText(const char* keyPath, const char* valueName, const std::string& text) {
    storeRaw(keyPath, valueName, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// The value as the registry itself holds it: type and bytes.
bool queryRaw(const char* keyPath, const char* valueName, DWORD& type, std::string& bytes) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char buffer[1024];
    DWORD size = sizeof buffer;
    const LONG result =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    bytes.assign(buffer, size);
    return true;
}

// The stored text of a value written as REG_SZ with its terminating zero.
std::string storedText(const char* valueName) {
    DWORD type = 0;
    std::string bytes;
    if (!queryRaw(settingsKeyPath, valueName, type, bytes) || type != REG_SZ || bytes.empty() ||
        bytes.back() != '\0')
        return "<missing or not a terminated string>";
    return bytes.substr(0, bytes.size() - 1);
}

bool valueExists(const char* valueName) {
    DWORD type = 0;
    std::string bytes;
    return queryRaw(settingsKeyPath, valueName, type, bytes);
}

void storeTexts(std::initializer_list<std::pair<const char*, std::string>> values) {
    for (const auto& [name, text] : values) storeText(settingsKeyPath, name, text);
}

std::tuple<int32_t, int32_t, int32_t, int32_t> numbers(const SaverSettings& s) {
    return {s.randomOrder, s.showNames, s.zoom, s.delayMs};
}

std::tuple<int32_t, int32_t, int32_t, int32_t> dialogStates() {
    return {getControlState(randomOrderBox), getControlState(showNamesBox), getControlState(zoomSlider),
            getControlState(delaySlider)};
}

// The stored order, names, zoom and delay texts, space-separated.
std::string storedNumbers() {
    return storedText(tartanOrderValue) + " " + storedText(tartanInfoValue) + " " + storedText(tartanZoomValue) +
           " " + storedText(tartanDelayValue);
}

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, scratchRoot);
        RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath);
        closeAllWindows();
    }
};

TEST_F(RegistryStore, WrittenTextIsATerminatedStringThatReadsBack) {
    EXPECT_EQ(readScratch("Value"), "Error Opening Key");
    for (const std::string text : {"Abercrombie D", ""}) {
        EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, scratchKey, "Value", text), 2);
        DWORD type = 0;
        std::string bytes;
        ASSERT_TRUE(queryRaw(scratchKey, "Value", type, bytes));
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(bytes, text + '\0');
        EXPECT_EQ(readScratch("Value"), text);
    }
    EXPECT_EQ(readScratch("Other"), "Error Reading Key");
}

// Whatever another writer stored reads as its bytes, the last one dropped, up to a zero
// byte; 255 characters or more are an error.
TEST_F(RegistryStore, StoredBytesOfAnyTypeReadAsText) {
    const DWORD digits = 0x00333231;  // "123" and a zero
    const std::string longest(254, 'x');
    const struct { DWORD type; std::string bytes, expected; } cases[] = {
        {REG_SZ, longest + '\0', longest},
        {REG_SZ, std::string(255, 'y') + '\0', "Error Reading Key"},
        {REG_DWORD, std::string(reinterpret_cast<const char*>(&digits), 4), "123"},
        {REG_BINARY, "abc", "ab"},
        {REG_BINARY, std::string("ab\0cd", 6), "ab"},
        {REG_BINARY, "q", ""},
        // Wine adds the missing terminator when it hands a string back; Windows does not.
        {REG_SZ, "abc", runningUnderWine() ? "abc" : "ab"},
    };
    for (const auto& c : cases) {
        storeRaw(scratchKey, "V", c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
        EXPECT_EQ(readScratch("V"), c.expected) << "type " << c.type << ", " << c.bytes.size() << " bytes";
    }
}

TEST_F(RegistryStore, WriteResultsTellWhereTheWriteFailed) {
    // Key paths the registry refuses: a leading backslash, a 300-character name.
    EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, "\\Software\\Plaidwick Tests", "V", "1"), 0);
    EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, std::string(scratchKey) + "\\" + std::string(300, 'k'),
                               "V", "1"), 0);
    // The key opens but the value name is beyond the registry's limit.
    EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, scratchKey, std::string(17000, 'v'), "1"), 1);
    EXPECT_EQ(readScratch("V"), "Error Reading Key");
}

TEST_F(RegistryStore, ProgramFolderIsTheTestProgramsFolderWithBackslash) {
    char fileName[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, fileName, MAX_PATH);
    ASSERT_GT(length, 0u);
    const std::string folder = programFolder(), path(fileName, length);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(path.rfind(folder, 0), 0u) << folder;
    EXPECT_EQ(path.find('\\', folder.size()), std::string::npos);
    EXPECT_STREQ(pathSeparator(), "\\");
}

TEST_F(RegistryStore, FirstShowWritesEveryDefaultBack) {
    loadSaverSettings();
    const SaverSettings& s = saverSettings();
    EXPECT_EQ(s.installPath, programFolder());
    EXPECT_EQ(numbers(s), std::make_tuple(1, 1, 1, 1000));
    EXPECT_EQ(storedText(installPathValue), programFolder());
    for (const char* name : {tartanOrderValue, tartanInfoValue, tartanZoomValue, tartanDelayValue})
        EXPECT_EQ(storedText(name), "1") << name;
}

TEST_F(RegistryStore, ShowReadsStoredTextsAsDecimalNumbers) {
    storeTexts({{installPathValue, "D:\\Savers\\"}, {tartanOrderValue, "0"}, {tartanInfoValue, "2"},
                {tartanZoomValue, "70000"}, {tartanDelayValue, " 12x"}});
    loadSaverSettings();
    EXPECT_EQ(saverSettings().installPath, "D:\\Savers\\");
    EXPECT_EQ(numbers(saverSettings()), std::make_tuple(0, 2, 4464, 12000));  // 4464: the low 16 bits of 70000

    // An empty install path is replaced and written back; an empty number is 0.
    storeTexts({{installPathValue, ""}, {tartanZoomValue, ""}});
    loadSaverSettings();
    EXPECT_EQ(saverSettings().installPath, programFolder());
    EXPECT_EQ(storedText(installPathValue), programFolder());
    EXPECT_EQ(saverSettings().zoom, 0);
}

TEST_F(RegistryStore, DialogShowsStoredValuesAndOkWritesWhatItShows) {
    storeTexts({{tartanOrderValue, "0"}, {tartanInfoValue, "1"}, {tartanZoomValue, "25"}, {tartanDelayValue, "30"}});
    ASSERT_TRUE(openSettingsDialog());
    EXPECT_EQ(dialogStates(), std::make_tuple(0, 1, 10, 30));  // 25 is past the zoom slider's end
    saveDialogSettings();
    EXPECT_EQ(storedNumbers(), "0 1 10 30");

    setControlState(zoomSlider, 4);
    setControlState(showNamesBox, 0);
    setControlState(randomOrderBox, 1);
    saveDialogSettings();
    EXPECT_EQ(storedNumbers(), "1 0 4 30");
}

TEST_F(RegistryStore, DialogWithNoKeyWritesOnlyTheInstallPath) {
    ASSERT_TRUE(openSettingsDialog());
    EXPECT_EQ(dialogStates(), std::make_tuple(1, 1, 1, 1));
    EXPECT_EQ(storedText(installPathValue), programFolder());
    for (const char* name : {tartanOrderValue, tartanInfoValue, tartanZoomValue, tartanDelayValue})
        EXPECT_FALSE(valueExists(name)) << name;
}

}  // namespace
