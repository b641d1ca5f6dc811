// What the registry adds to the store: any stored type reads as text, the
// last byte is taken for a terminator, and writes tell where they failed.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "probe.h"

static const std::string key = "Software\\Plaidwick Tests\\Store";

TEST(Registry, StoredBytesOfAnyTypeReadAsTextWithoutTheirLastByte) {
    probe::freshStore();
    const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    const struct { DWORD type; std::string bytes, expected; } cases[] = {{REG_DWORD, std::string("123\0", 4), "123"},
        {REG_BINARY, "abc", "ab"}, {REG_BINARY, std::string("ab\0cd", 6), "ab"}, {REG_BINARY, "q", ""},
        {REG_SZ, "abc", wine ? "abc" : "ab"}};  // Wine adds a missing terminator, Windows does not
    for (const auto& c : cases) {
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "V", c.type, c.bytes.data(), DWORD(c.bytes.size()));
        EXPECT_EQ(readSettingText(SettingsRoot::currentUser, key, "V"), c.expected) << c.type << ", " << c.bytes;
    }
}

// 0: the key did not open (a leading backslash, a 300-character name); 1: the
// value was refused; 2: written, as a string with its terminating zero.
TEST(Registry, WriteResultsTellWhereTheWriteFailed) {
    probe::freshStore();
    const struct { std::string key, value; int result; } cases[] = {{"\\Software\\Plaidwick Tests", "V", 0},
        {key + "\\" + std::string(300, 'k'), "V", 0}, {key, std::string(17000, 'v'), 1}, {key, "V", 2}};
    for (const auto& c : cases)
        EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, c.key, c.value, "Abercrombie D"), c.result) << c.key;
    char data[32] = {};
    DWORD type = 0, size = sizeof data;
    RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "V", RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size);
    EXPECT_TRUE(type == REG_SZ && std::string(data, size) == std::string("Abercrombie D", 14));
}
