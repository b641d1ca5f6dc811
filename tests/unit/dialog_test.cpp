// The settings dialog: its controls, the stored values in them, and what each event does.
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "config/dialog.h"
#include "resources/about_banner.h"
#include "unit_support.h"

using Dialog = StubTest;
using Texts = std::vector<std::string>;
static const char* const helpCall = "html /opt/stub//Plaidwick.chm::/Support.htm";

// The states of the four setting controls and the two labels, as one text.
static std::string dialogShows() {
    std::string shows;
    for (const int c : {showNamesBox, zoomSlider, randomOrderBox, delaySlider})
        shows += std::to_string(getControlState(c)) + " ";
    return shows + stub::control(zoomLabel)->text + ", " + stub::control(delayLabel)->text;
}

TEST_F(Dialog, OpensWithItsFourteenControls) {
    loadImageFromMemory(0, aboutBannerData, aboutBannerSize);
    ASSERT_TRUE(openSettingsDialog());
    const stub::Window& w = *stub::window(0);
    EXPECT_TRUE(w.title == "Plaidwick ScreenSaver 1.0" && w.width == 420 && w.height == 300 &&
                w.flags == (styleCaption | styleSystemMenu | styleSizingBorder | centreOnScreen | centreOverActive |
                            scaledLayout));
    std::ostringstream controls;  // number, kind, page (-1: the window), x, y, width, height, text; a slider's range
    for (const auto& [number, c] : stub::backend().controls)
        controls << number << " " << static_cast<int>(c.kind) << " " << c.page << " " << c.x << "," << c.y << " "
                 << c.width << "x" << c.height << " " << (number == aboutTextBox ? "about" : c.text)
                 << (c.maximum ? " " + std::to_string(c.minimum) + "-" + std::to_string(c.maximum) : "") << "|";
    // Kinds: 0 button, 1 check box, 2 label, 3 slider (with its range), 4 picture, 5 panel.
    EXPECT_EQ(controls.str(),
              "1 0 -1 110,265 80x30 OK|2 0 -1 305,265 80x30 Help|3 0 -1 210,265 80x30 Cancel|"
              "4 5 -1 10,15 400x245 General|About|5 1 0 93,168 110x20 Show tartan names|6 3 0 88,33 290x20  1-10|"
              "7 2 0 18,33 65x15 Zoom (x): 1|8 1 0 228,168 140x20 Display in random order|9 3 0 88,108 290x20  1-60|"
              "10 2 0 18,108 60x15 Delay (s): 1|11 2 0 88,13 290x15 How should tartans be?|"
              "12 2 0 88,83 290x15 How often should tartans change?|13 4 1 33,18 340x50 |14 2 1 33,83 340x130 about|");
    EXPECT_EQ(stub::control(aboutImage)->picture, pixelsOf(imagePixels(0)));
    // The About text: four readable lines of 25, 30, 31 and 28 characters, each after carriage returns.
    const std::string& about = stub::control(aboutTextBox)->text;
    EXPECT_TRUE(std::regex_match(about, std::regex("\r[ -~]{25}\r\r[ -~]{30}\r\r[ -~]{31}\r\r[ -~]{28}"))) << about;
}

TEST_F(Dialog, StoredValuesComeUpInTheControls) {
    struct Case { std::map<std::string, std::string> store; const char* shows; Texts writes = {}; };
    for (const Case& c : {
             Case{{}, "1 1 1 1 Zoom (x): 1, Delay (s): 1", {"Install Path=/opt/stub/"}},
             {{{"Install Path", "/i"}, {"Tartan Zoom", "25"}, {"Tartan Delay", "30"}, {"Tartan Info", "0"},
               {"Tartan Order", "0"}}, "0 10 0 30 Zoom (x): 10, Delay (s): 30"},
             {{{"Install Path", "/i"}, {"Tartan Zoom", "abc"}, {"Tartan Info", "7"}},
              "1 1 1 1 Zoom (x): 1, Delay (s): 1"}}) {
        stub::reset();
        stub::backend().store = c.store;
        openSettingsDialog();
        EXPECT_EQ(dialogShows(), c.shows);
        EXPECT_EQ(stub::backend().storeWrites, c.writes) << c.shows;
    }
}

TEST_F(Dialog, EachEventUpdatesALabelSavesEndsOrOpensHelp) {
    static const char* const asSet = "1 4 0 30 Zoom (x): 1, Delay (s): 1";  // the controls as set before each event
    struct Case { int event, control; bool goesOn = true; const char* shows = asSet; Texts writes = {}, help = {}; };
    for (const Case& c : {
             Case{controlEvent, zoomSlider, true, "1 4 0 30 Zoom (x): 4, Delay (s): 1"},
             {controlEvent, delaySlider, true, "1 4 0 30 Zoom (x): 1, Delay (s): 30"},
             {controlEvent, okButton, false, asSet,
              {"Tartan Order=0", "Tartan Info=1", "Tartan Zoom=4", "Tartan Delay=30"}},
             {controlEvent, cancelButton, false}, {controlEvent, helpButton, true, asSet, {}, {helpCall}},
             // Other events, and the events of other controls (a check box), change nothing.
             {closeEvent, okButton}, {menuEvent, cancelButton}, {controlEvent, showNamesBox}}) {
        stub::reset();
        // Stored: the install path (so that opening writes nothing) and the order; the sliders set after opening.
        stub::backend().store = {{"Install Path", "/opt/stub/"}, {"Tartan Order", "0"}};
        openSettingsDialog();
        setControlState(zoomSlider, 4);
        setControlState(delaySlider, 30);
        const std::string where = std::to_string(c.event) + " on " + std::to_string(c.control);
        EXPECT_EQ(handleDialogEvent(c.event, c.control), c.goesOn) << where;
        EXPECT_EQ(dialogShows(), c.shows) << where;
        EXPECT_TRUE(stub::backend().storeWrites == c.writes && stub::backend().helpCalls == c.help) << where;
    }
}

TEST_F(Dialog, RunEndsThroughEndProgramAfterOk) {
    stub::backend().events = {{controlEvent, helpButton}, {closeEvent, 0}, {controlEvent, okButton}};
    EXPECT_THROW(runSettingsDialog(), stub::ProgramEnded);
    EXPECT_EQ(stub::backend().helpCalls, (Texts{helpCall, "close html"}));
    EXPECT_TRUE(stub::backend().storeWrites.back() == "Tartan Delay=1" && !stub::backend().windows[0].open);
}
