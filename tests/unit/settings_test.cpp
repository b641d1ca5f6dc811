// The settings rules of the show: what it reads from the store and writes
// back; the folder part of the program's file name, and the help file's
// installed folder, kept as "Install Path".
#include <map>
#include <set>
#include <string>
#include <vector>

#include "startup/settings.h"
#include "unit_support.h"

using Settings = StubTest;

TEST_F(Settings, ShowSideReadsAndWritesBackWhatIsMissing) {
    const std::map<std::string, std::string> stored{{"Install Path", "/i"}, {"Tartan Order", "0"}, {"Tartan Info", "0"},
                                                    {"Tartan Zoom", "2"}, {"Tartan Delay", "3"}};
    // One stored value changed; the settings read (install path, order, info, zoom, delay in ms); the writes. An
    // empty path counts as missing, an empty number as 0.
    struct Case { const char* name; std::string text; const char* read; std::vector<std::string> writes = {}; };
    for (const Case& c : {Case{"Install Path", "", "/opt/stub/ 0 0 2 3000", {"Install Path=/opt/stub/"}},
                          {"Tartan Zoom", "", "/i 0 0 0 3000"}, {"Tartan Zoom", "70000", "/i 0 0 4464 3000"},
                          {"Tartan Order", "Error Reading Key", "/i 1 0 2 3000", {"Tartan Order=1"}},
                          {"Tartan Delay", " 12a", "/i 0 0 2 12000"}, {"Tartan Info", "-2", "/i 0 -2 2 3000"}}) {
        stub::reset();
        stub::backend().store = stored;
        stub::backend().store[c.name] = c.text;
        loadSaverSettings();
        const SaverSettings& s = saverSettings();
        EXPECT_EQ(s.installPath + " " + std::to_string(s.randomOrder) + " " + std::to_string(s.showNames) + " " +
                      std::to_string(s.zoom) + " " + std::to_string(s.delayMs), c.read) << c.name << " = " << c.text;
        EXPECT_EQ(stub::backend().storeWrites, c.writes) << c.name;
    }
}

TEST_F(Settings, WithoutAStoredPathTheHelpFileIsLookedForWhereAnInstallPutsIt) {
    // The program's folder, the platform's data folder, the files there; the install path the show reads and writes.
    struct Case { const char* folder; const char* data; std::set<std::string> files; const char* expected; };
    const std::set<std::string> installed{"/usr/share/plaidwick/Plaidwick.chm"};
    for (const Case& c : {Case{"/usr/bin/", "share/plaidwick", installed, "/usr/share/plaidwick/"},
                          {"/usr/bin/", "share/plaidwick", {"/usr/share/plaidwick/"}, "/usr/bin/"},
                          {"/usr/bin/", "", installed, "/usr/bin/"}, {"/usr/sbin/", "share/plaidwick", installed, "/usr/sbin/"},
                          {"/bin/", "share/plaidwick", {"/share/plaidwick/Plaidwick.chm"}, "/share/plaidwick/"},
                          {"/opt/bin/x/", "share/plaidwick", {"/opt/share/plaidwick/Plaidwick.chm"}, "/opt/bin/x/"}}) {
        stub::reset();
        stub::backend().programFolder = c.folder;
        stub::backend().installedDataFolder = c.data;
        stub::backend().files = c.files;
        loadSaverSettings();
        EXPECT_EQ(saverSettings().installPath, c.expected) << c.folder << " " << c.data;
        EXPECT_EQ(stub::backend().store["Install Path"], c.expected) << c.folder;
    }
}

TEST(FolderOfPath, KeepsUpToTheLastSeparator) {
    // One leading quote is skipped, a quote left inside cuts the folder there; only the given separator counts.
    struct Case { const char* path; char separator; const char* expected; };
    for (const Case& c : {Case{"C:\\Windows\\System32\\Plaidwick.scr", '\\', "C:\\Windows\\System32\\"},
                          {"\"C:\\Program Files\\Plaidwick.scr\"", '\\', "C:\\Program Files\\"},
                          {"Plaidwick.scr", '\\', ""}, {"/usr/local/bin/plaidwick", '/', "/usr/local/bin/"},
                          {"C:\\odd\"name\\p.scr", '\\', "C:\\odd"}, {"\"\"C:\\x\\p.scr", '\\', ""},
                          {"C:\\dir\\p.scr", '/', ""}})
        EXPECT_EQ(folderOfPath(c.path, c.separator), c.expected) << c.path;
}
