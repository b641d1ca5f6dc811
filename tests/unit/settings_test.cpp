// The settings rules: what the show reads from the store and writes back,
// and what the dialog's controls store.
#include <map>
#include <string>
#include <vector>

#include "config/dialog.h"
#include "startup/settings.h"
#include "unit_support.h"

using Settings = StubTest;
using Writes = std::vector<std::string>;

TEST_F(Settings, ShowSideReadsAndWritesBackWhatIsMissing) {
    const std::map<std::string, std::string> stored = {{"Install Path", "/i/"}, {"Tartan Order", "0"},
                                                       {"Tartan Info", "0"}, {"Tartan Zoom", "2"}, {"Tartan Delay", "3"}};
    // One stored value changed; the settings read (install path, order, info, zoom, delay in ms); the writes.
    struct Case { const char* name; std::string text; const char* read; Writes writes; };
    for (const Case& c : {Case{"", "", "/i/ 0 0 2 3000", {}},
                          {"Install Path", "", "/opt/stub/ 0 0 2 3000", {"Install Path=/opt/stub/"}},
                          {"Tartan Zoom", "", "/i/ 0 0 0 3000", {}}, {"Tartan Zoom", "70000", "/i/ 0 0 4464 3000", {}},
                          {"Tartan Order", "Error Reading Key", "/i/ 1 0 2 3000", {"Tartan Order=1"}},
                          {"Tartan Delay", " 12a", "/i/ 0 0 2 12000", {}}, {"Tartan Info", "-2", "/i/ 0 -2 2 3000", {}},
                          {"Tartan Delay", std::string(255, '7'), "/i/ 0 0 2 1000", {"Tartan Delay=1"}}}) {
        stub::reset();
        stub::backend().store = stored;
        if (*c.name) stub::backend().store[c.name] = c.text;
        loadSaverSettings();
        const SaverSettings& s = saverSettings();
        EXPECT_EQ(s.installPath + " " + std::to_string(s.randomOrder) + " " + std::to_string(s.showNames) + " " +
                      std::to_string(s.zoom) + " " + std::to_string(s.delayMs), c.read) << c.name << " = " << c.text;
        EXPECT_EQ(stub::backend().storeWrites, c.writes) << c.name;
    }
}

TEST_F(Settings, DialogStoresWhatItsControlsShow) {
    stub::backend().store = {{"Tartan Order", "-2"}, {"Tartan Info", "0"}, {"Tartan Zoom", "25"},
                             {"Tartan Delay", "x"}};
    openSettingsDialog();
    stub::backend().storeWrites.clear();
    saveDialogSettings();
    EXPECT_EQ(stub::backend().storeWrites,
              (Writes{"Tartan Order=1", "Tartan Info=0", "Tartan Zoom=10", "Tartan Delay=1"}));
}
