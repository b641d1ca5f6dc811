// The settings store on the real registry (HKEY_CURRENT_USER of the test's
// Wine prefix), read and written through the store and checked with the
// registry's own calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, scratchRoot);
        RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath);
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, scratchRoot);
        RegDeleteTreeA(HKEY_CURRENT_USER, settingsKeyPath);
        closeAllWindows();
    }
};

TEST_F(RegistryStore, MissingKeyAndMissingValueGiveTheTwoErrorTexts) {
    EXPECT_EQ(readScratch("Tartan Zoom"), "Error Opening Key");
    storeText(scratchKey, "Other", "5");
    EXPECT_EQ(readScratch("Tartan Zoom"), "Error Reading Key");
    EXPECT_EQ(readScratch("Other"), "5");
}

TEST_F(RegistryStore, WrittenTextIsATerminatedStringThatReadsBack) {
    EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, scratchKey, "Value", "Abercrombie D"), 2);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(queryRaw(scratchKey, "Value", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string("Abercrombie D", 14));  // the text and its zero
    EXPECT_EQ(readScratch("Value"), "Abercrombie D");

    EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, scratchKey, "Empty", ""), 2);
    EXPECT_EQ(readScratch("Empty"), "");
}

TEST_F(RegistryStore, WriteResultsTellWhereTheWriteFailed) {
    // A key path the registry refuses (it may not begin with a backslash,
    // nor hold a name of 300 characters): the key cannot be made.
    EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, "\\Software\\Plaidwick Tests", "V", "1"), 0);
    EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, std::string(scratchKey) + "\\" + std::string(300, 'k'),
                               "V", "1"),
              0);
    // The key opens but a value name beyond the registry's limit is refused.
    EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, scratchKey, std::string(17000, 'v'), "1"), 1);
    EXPECT_EQ(readScratch("V"), "Error Reading Key");
}

TEST_F(RegistryStore, TextsUpTo254CharactersReadBackLongerOnesAreErrors) {
    const std::string longest(254, 'x');
    storeText(scratchKey, "Longest", longest);
    EXPECT_EQ(readScratch("Longest"), longest);
    storeText(scratchKey, "TooLong", std::string(255, 'y'));
    EXPECT_EQ(readScratch("TooLong"), "Error Reading Key");
    storeText(scratchKey, "FarTooLong", std::string(600, 'z'));
    EXPECT_EQ(readScratch("FarTooLong"), "Error Reading Key");
}

TEST_F(RegistryStore, ValuesOfOtherTypesReadAsTheirBytesLastByteDropped) {
    const DWORD digits = 0x00333231;  // the bytes "123" and a zero
    storeRaw(scratchKey, "Number", REG_DWORD, &digits, sizeof digits);
    EXPECT_EQ(readScratch("Number"), "123");
    // Binary data has no terminating zero: the reader drops its last byte.
    storeRaw(scratchKey, "Binary", REG_BINARY, "abc", 3);
    EXPECT_EQ(readScratch("Binary"), "ab");
    // A zero inside the data ends the text.
    storeRaw(scratchKey, "Inner", REG_BINARY, "ab\0cd", 6);
    EXPECT_EQ(readScratch("Inner"), "ab");
    storeRaw(scratchKey, "OneByte", REG_BINARY, "q", 1);
    EXPECT_EQ(readScratch("OneByte"), "");
}

TEST_F(RegistryStore, StringWithoutTerminatorFromAnotherWriter) {
    storeRaw(scratchKey, "Unterminated", REG_SZ, "abc", 3);
    // Windows hands the three bytes back as they are and the reader drops
    // the last one; Wine adds a terminating zero when it hands a string
    // value back, so nothing is lost there.
    EXPECT_EQ(readScratch("Unterminated"), runningUnderWine() ? "abc" : "ab");
}

TEST_F(RegistryStore, ProgramFolderIsTheTestProgramsFolderWithBackslash) {
    char fileName[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, fileName, MAX_PATH);
    ASSERT_GT(length, 0u);
    const std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(std::string(fileName, length).rfind(folder, 0), 0u) << folder;
    EXPECT_EQ(std::string(fileName, length).find('\\', folder.size()), std::string::npos);
    EXPECT_STREQ(pathSeparator(), "\\");
}

TEST_F(RegistryStore, FirstShowWritesEveryDefaultBack) {
    loadSaverSettings();
    const SaverSettings& s = saverSettings();
    EXPECT_EQ(s.installPath, programFolder());
    EXPECT_EQ(s.randomOrder, 1);
    EXPECT_EQ(s.showNames, 1);
    EXPECT_EQ(s.zoom, 1);
    EXPECT_EQ(s.delayMs, 1000);
    EXPECT_EQ(storedText(installPathValue), programFolder());
    for (const char* name : {tartanOrderValue, tartanInfoValue, tartanZoomValue, tartanDelayValue})
        EXPECT_EQ(storedText(name), "1") << name;
}

TEST_F(RegistryStore, ShowReadsStoredTextsAsDecimalNumbers) {
    storeText(settingsKeyPath, installPathValue, "D:\\Savers\\");
    storeText(settingsKeyPath, tartanOrderValue, "0");
    storeText(settingsKeyPath, tartanInfoValue, "2");
    storeText(settingsKeyPath, tartanZoomValue, "70000");
    storeText(settingsKeyPath, tartanDelayValue, " 12x");
    loadSaverSettings();
    const SaverSettings& s = saverSettings();
    EXPECT_EQ(s.installPath, "D:\\Savers\\");
    EXPECT_EQ(s.randomOrder, 0);
    EXPECT_EQ(s.showNames, 2);
    EXPECT_EQ(s.zoom, 4464);  // the low 16 bits of 70000
    EXPECT_EQ(s.delayMs, 12000);

    // An empty install path is replaced and written back; an empty number is 0.
    storeText(settingsKeyPath, installPathValue, "");
    storeText(settingsKeyPath, tartanZoomValue, "");
    loadSaverSettings();
    EXPECT_EQ(saverSettings().installPath, programFolder());
    EXPECT_EQ(storedText(installPathValue), programFolder());
    EXPECT_EQ(saverSettings().zoom, 0);
}

TEST_F(RegistryStore, DialogShowsStoredValuesAndOkWritesWhatItShows) {
    storeText(settingsKeyPath, tartanOrderValue, "0");
    storeText(settingsKeyPath, tartanInfoValue, "1");
    storeText(settingsKeyPath, tartanZoomValue, "25");
    storeText(settingsKeyPath, tartanDelayValue, "30");
    ASSERT_TRUE(openSettingsDialog());
    EXPECT_EQ(getControlState(randomOrderBox), 0);
    EXPECT_EQ(getControlState(showNamesBox), 1);
    EXPECT_EQ(getControlState(zoomSlider), 10);  // 25 is past the slider's end
    EXPECT_EQ(getControlState(delaySlider), 30);

    saveDialogSettings();
    EXPECT_EQ(storedText(tartanOrderValue), "0");
    EXPECT_EQ(storedText(tartanInfoValue), "1");
    EXPECT_EQ(storedText(tartanZoomValue), "10");
    EXPECT_EQ(storedText(tartanDelayValue), "30");

    setControlState(zoomSlider, 4);
    setControlState(showNamesBox, 0);
    setControlState(randomOrderBox, 1);
    saveDialogSettings();
    EXPECT_EQ(storedText(tartanZoomValue), "4");
    EXPECT_EQ(storedText(tartanInfoValue), "0");
    EXPECT_EQ(storedText(tartanOrderValue), "1");
}

TEST_F(RegistryStore, DialogWithNoKeyWritesOnlyTheInstallPath) {
    ASSERT_TRUE(openSettingsDialog());
    EXPECT_EQ(getControlState(randomOrderBox), 1);
    EXPECT_EQ(getControlState(showNamesBox), 1);
    EXPECT_EQ(getControlState(zoomSlider), 1);
    EXPECT_EQ(getControlState(delaySlider), 1);
    EXPECT_EQ(storedText(installPathValue), programFolder());
    for (const char* name : {tartanOrderValue, tartanInfoValue, tartanZoomValue, tartanDelayValue})
        EXPECT_FALSE(valueExists(name)) << name;
}

}  // namespace
