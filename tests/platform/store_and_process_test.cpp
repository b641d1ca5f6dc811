// The settings store, the program's folder, the pointer and the clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/process_services.h"
#include "platform/settings_store.h"
#include "probe.h"

// Texts come back as written, missing and long values are errors; the
// program's folder (where the Windows build finds its help) holds the program.
TEST(Store, TextsRoundTripMissingAndLongValuesAreErrorsAndTheProgramFolderIsFound) {
    probe::freshStore();
    const std::string key = "Software\\Plaidwick Tests\\Store";
    auto read = [&](const char* name) { return readSettingText(SettingsRoot::currentUser, key, name); };
    auto write = [&](const char* name, const std::string& text) {
        return writeSettingText(SettingsRoot::currentUser, key, name, text);
    };
    EXPECT_EQ(read("Value"), "Error Opening Key");
    for (const std::string& text : std::initializer_list<std::string>{"Abercrombie D", "", " 12x", "12  ", "C:\\S\\",
             "a\\sb", "tab\there", "two\nlines\r", "\x01\x7f", "latin \xe9t\xe9", "= [x] #", std::string(254, 'x')})
        EXPECT_TRUE(write("Value", text) == 2 && read("Value") == text) << text;
    EXPECT_TRUE(write("Value", std::string("12\0" "34", 5)) == 2 && read("Value") == "12") << "a text ends at a zero";
    EXPECT_EQ(read("Other"), "Error Reading Key");
    for (const char fill : {'y', ' '})
        EXPECT_TRUE(write("Long", std::string(255, fill)) == 2 && read("Long") == "Error Reading Key") << fill;
    const std::string folder = programFolder();
    std::FILE* self = std::fopen((folder + probe::programFile).c_str(), "rb");
    EXPECT_TRUE(self && !folder.empty() && folder.back() == pathSeparator()[0]) << folder;
    if (self) std::fclose(self);
}

// The pointer can be hidden over new windows; the clock runs against the
// standard one read round each tick reading (16: the coarsest tick).
TEST(Process, ThePointerIsReadInScreenPixelsAndHiddenAndTheClockCountsMilliseconds) {
    for (const auto& [x, y] : {std::make_pair(123, 45), {7, 300}}) {
        probe::movePointer(x, y);
        int32_t readX = -1, readY = -1;
        EXPECT_TRUE(probe::pumpUntil([&] { return cursorPosition(readX, readY) && readX == x && readY == y; }));
    }
    setCursorVisible(false);
    WindowHandle window = probe::openShown(0, 0, 0, 200, 100, stylePopup);
    EXPECT_TRUE(probe::pointerHidden(window));
    setCursorVisible(true);
    EXPECT_FALSE(probe::pointerHidden(window));
    closeAllWindows();
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration t) { return std::chrono::duration_cast<std::chrono::milliseconds>(t).count(); };
    const auto a = Clock::now();
    const uint32_t start = tickCount();
    const auto b = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto c = Clock::now();
    const int64_t ticks = tickCount() - start;
    EXPECT_TRUE(ticks + 16 >= ms(c - b) && ticks <= ms(Clock::now() - a) + 16) << ticks;
}
