// The settings store, the program's folder, the pointer and the clock.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/process_services.h"
#include "platform/settings_store.h"
#include "probe.h"

// Texts come back as written, missing and long values are errors; the
// program's folder (where the Windows build finds its help) holds the program.
TEST(Store, TextsRoundTripMissingAndLongValuesAreErrorsAndTheProgramFolderIsFound) {
    probe::freshStore();
    EXPECT_EQ(probe::readValue("Value"), "Error Opening Key");
    // Each text reads back as written, or as `read`: a text ends at a zero, one too long is missing.
    const struct { std::string text, read = text; } cases[] = {{"Abercrombie D"}, {""}, {" 12x"}, {"12  "},
        {"C:\\S\\"}, {"a\\sb"}, {"tab\there"}, {"two\nlines\r"}, {"\x01\x7f"}, {"latin \xe9t\xe9"}, {"= [x] #"},
        {std::string(254, 'x')}, {std::string("12\0" "34", 5), "12"}, {std::string(255, 'y'), "Error Reading Key"},
        {std::string(255, ' '), "Error Reading Key"}};
    for (const auto& c : cases)
        EXPECT_TRUE(probe::writeValue("Value", c.text) == 2 && probe::readValue("Value") == c.read) << c.text;
    EXPECT_EQ(probe::readValue("Other"), "Error Reading Key");
    // The program's folder holds this program, named as programs are on its platform.
    const std::string folder = programFolder();
    const std::string self = folder + "platform_tests" + (folder.back() == '\\' ? ".exe" : "");
    EXPECT_TRUE(!folder.empty() && folder.back() == pathSeparator()[0] && !probe::fileText(self).empty()) << folder;
    // fileExists finds files and folders, not what is missing.
    EXPECT_TRUE(fileExists(self) && fileExists(folder) && !fileExists(folder + "no such file")) << folder;
}

// The pointer can be hidden over new windows and is read in screen pixels;
// the clock runs against the standard one read round it (16: the coarsest tick).
TEST(Process, ThePointerIsHiddenAndReadInScreenPixelsAndTheClockCountsMilliseconds) {
    setCursorVisible(false);
    WindowHandle window = probe::openShown(0, 0, 0, 200, 100, stylePopup);
    EXPECT_TRUE(probe::pointerHidden(window));
    probe::mouse(window, 123, 45, false);
    int32_t x = -1, y = -1;
    EXPECT_TRUE(probe::pumpUntil([&] { return cursorPosition(x, y) && x == 123 && y == 45; })) << x << "," << y;
    setCursorVisible(true);
    EXPECT_FALSE(probe::pointerHidden(window));
    closeAllWindows();
    const auto before = std::chrono::steady_clock::now();
    const uint32_t start = tickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int64_t ticks = tickCount() - start;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
    EXPECT_TRUE(ticks + 16 >= 200 && ticks <= ms.count() + 16) << ticks << " ticks in " << ms.count() << " ms";
}
