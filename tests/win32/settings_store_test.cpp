// The settings store on the real registry (HKEY_CURRENT_USER of the test's
// Wine prefix), checked with the registry's own calls.
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
const char* const numberValues[] = {tartanOrderValue, tartanInfoValue, tartanZoomValue, tartanDelayValue};

std::string readScratch(const std::string& valueName) {
    return readSettingText(SettingsRoot::currentUser, scratchKey, valueName);
}

// Stores raw bytes of any type, as another writer might.
void storeRaw(const char* keyPath, const char* valueName, DWORD type, const std::string& bytes) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, keyPath, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, valueName, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())), ERROR_SUCCESS);
    RegCloseKey(key);
}

void storeTexts(std::initializer_list<std::pair<const char*, std::string>> values) {
    for (const auto& [name, text] : values) storeRaw(settingsKeyPath, name, REG_SZ, text + '\0');
}

// The value's text if the registry holds it as a terminated REG_SZ.
std::string storedText(const char* valueName, const char* keyPath = settingsKeyPath) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
    char buffer[1024];
    DWORD size = sizeof buffer, type = 0;
    const LONG result = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return "<missing>";
    if (type != REG_SZ || size == 0 || buffer[size - 1] != '\0') return "<not a terminated string>";
    return std::string(buffer, size - 1);
}

// The stored order, names, zoom and delay texts, space-separated.
std::string storedNumbers() {
    std::string all;
    for (const char* name : numberValues) all += (all.empty() ? "" : " ") + storedText(name);
    return all;
}

std::tuple<int32_t, int32_t, int32_t, int32_t> numbers(const SaverSettings& s) {
    return {s.randomOrder, s.showNames, s.zoom, s.delayMs};
}

std::tuple<int32_t, int32_t, int32_t, int32_t> dialogStates() {
    return {getControlState(randomOrderBox), getControlState(showNamesBox), getControlState(zoomSlider),
            getControlState(delaySlider)};
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
        EXPECT_EQ(storedText("Value", scratchKey), text);
        EXPECT_EQ(readScratch("Value"), text);
    }
    EXPECT_EQ(readScratch("Other"), "Error Reading Key");
}

// Any stored type reads as its bytes, the last dropped, up to a zero byte;
// 255 characters or more are an error.
TEST_F(RegistryStore, StoredBytesOfAnyTypeReadAsText) {
    const std::string longest(254, 'x');
    const struct { DWORD type; std::string bytes, expected; } cases[] = {
        {REG_SZ, longest + '\0', longest},
        {REG_SZ, std::string(255, 'y') + '\0', "Error Reading Key"},
        {REG_DWORD, std::string("123\0", 4), "123"},
        {REG_BINARY, "abc", "ab"},
        {REG_BINARY, std::string("ab\0cd", 6), "ab"},
        {REG_BINARY, "q", ""},
        // Wine adds the missing terminator when it hands a string back; Windows does not.
        {REG_SZ, "abc", runningUnderWine() ? "abc" : "ab"},
    };
    for (const auto& c : cases) {
        storeRaw(scratchKey, "V", c.type, c.bytes);
        EXPECT_EQ(readScratch("V"), c.expected) << "type " << c.type << ", " << c.bytes.size() << " bytes";
    }
}

// 0: the key did not open (a leading backslash, a 300-character name); 1: the value was refused.
TEST_F(RegistryStore, WriteResultsTellWhereTheWriteFailed) {
    const std::string root = scratchKey;
    const struct { std::string key, value; int32_t result; } cases[] = {
        {"\\Software\\Plaidwick Tests", "V", 0},
        {root + "\\" + std::string(300, 'k'), "V", 0},
        {root, std::string(17000, 'v'), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, c.key, c.value, "1"), c.result) << c.key.size();
    EXPECT_EQ(readScratch("V"), "Error Reading Key");
}

TEST_F(RegistryStore, FirstShowWritesEveryDefaultBack) {
    loadSaverSettings();
    EXPECT_EQ(saverSettings().installPath, programFolder());
    EXPECT_EQ(numbers(saverSettings()), std::make_tuple(1, 1, 1, 1000));
    EXPECT_EQ(storedText(installPathValue), programFolder());
    EXPECT_EQ(storedNumbers(), "1 1 1 1");
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

}  // namespace
