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
    for (const std::string& text : std::initializer_list<std::string>{"Abercrombie D", "", " 12x", "12  ", "C:\\S\\",
             "a\\sb", "tab\there", "two\nlines\r", "\x01\x7f", "latin \xe9t\xe9", "= [x] #", std::string(254, 'x')})
        EXPECT_TRUE(probe::writeValue("Value", text) == 2 && probe::readValue("Value") == text) << text;
    // A text ends at a zero.
    EXPECT_TRUE(probe::writeValue("Value", std::string("12\0" "34", 5)) == 2 && probe::readValue("Value") == "12");
    EXPECT_EQ(probe::readValue("Other"), "Error Reading Key");
    for (const std::string& text : {std::string(255, 'y'), std::string(255, ' ')})
        EXPECT_TRUE(probe::writeValue("Long", text) == 2 && probe::readValue("Long") == "Error Reading Key") << text;
    const std::string folder = programFolder();
    EXPECT_TRUE(!folder.empty() && folder.back() == pathSeparator()[0] &&
                !probe::fileText(folder + probe::programFile).empty()) << folder;
}

// The pointer is read in screen pixels and can be hidden over new windows;
// the clock runs against the standard one read round it (16: the coarsest tick).
TEST(Process, ThePointerIsReadInScreenPixelsAndHiddenAndTheClockCountsMilliseconds) {
    probe::movePointer(123, 45);
    int32_t x = -1, y = -1;
    EXPECT_TRUE(probe::pumpUntil([&] { return cursorPosition(x, y) && x == 123 && y == 45; })) << x << "," << y;
    setCursorVisible(false);
    WindowHandle window = probe::openShown(0, 0, 0, 200, 100, stylePopup);
    EXPECT_TRUE(probe::pointerHidden(window));
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
