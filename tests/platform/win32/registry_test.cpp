// What the registry adds to the store: any stored type reads as text, the
// last byte is taken for a terminator, and writes tell where they failed.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "probe.h"

// Reads: a value of any type without its last byte, up to a zero. Writes: 0
// when the key did not open (a leading backslash, a 300-character name), 1
// when the value was refused, 2 when written, as a string with its zero.
TEST(Registry, StoredBytesOfAnyTypeReadAsTextAndWriteResultsTellWhereTheWriteFailed) {
    probe::freshStore();
    const std::string key = probe::storeKey;
    const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    const struct { DWORD type; std::string bytes, expected; } reads[] = {{REG_DWORD, std::string("123\0", 4), "123"},
        {REG_BINARY, "abc", "ab"}, {REG_BINARY, std::string("ab\0cd", 6), "ab"}, {REG_BINARY, "q", ""},
        {REG_SZ, "abc", wine ? "abc" : "ab"}};  // Wine adds a missing terminator, Windows does not
    for (const auto& c : reads) {
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "V", c.type, c.bytes.data(), DWORD(c.bytes.size()));
        EXPECT_EQ(probe::readValue("V"), c.expected) << c.type << ", " << c.bytes;
    }
    const struct { std::string key, value; int result; } writes[] = {{"\\Software\\Plaidwick Tests", "V", 0},
        {key + "\\" + std::string(300, 'k'), "V", 0}, {key, std::string(17000, 'v'), 1}, {key, "V", 2}};
    for (const auto& c : writes)
        EXPECT_EQ(writeSettingText(SettingsRoot::currentUser, c.key, c.value, "Abercrombie D"), c.result) << c.key;
    char data[32] = {};
    DWORD type = 0, size = sizeof data;
    RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "V", RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size);
    EXPECT_TRUE(type == REG_SZ && std::string(data, size) == std::string("Abercrombie D", 14));
}
