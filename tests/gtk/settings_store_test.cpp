// The Linux settings store: the real key file in a temporary XDG_CONFIG_HOME,
// real processes for the concurrency cases.
#include "platform/settings_store.h"
#include "startup/settings.h"
#include "test_support.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::fileText;

const std::string errorOpening = "Error Opening Key";
const std::string errorReading = "Error Reading Key";
const std::string group = "[Software\\Plaidwick ScreenSaver]\n";

std::string readValue(const std::string& name) {
    return readSettingText(SettingsRoot::currentUser, settingsKeyPath, name);
}

int writeValue(const std::string& name, const std::string& text) {
    return writeSettingText(SettingsRoot::currentUser, settingsKeyPath, name, text);
}

void putFile(const std::string& path, const std::string& text) {
    ASSERT_TRUE(g_file_set_contents(path.c_str(), text.data(), static_cast<gssize>(text.size()), nullptr));
}

// Sets or clears the immutable attribute (binding root too); false when not allowed.
bool setImmutable(const std::string& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) close(fd);
    return done;
}

// Runs `work` in a child process; the child's exit status is its result.
pid_t runInChild(const std::function<bool()>& work) {
    const pid_t pid = fork();
    if (pid == 0) _exit(work() ? 0 : 1);
    return pid;
}

bool childSucceeded(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class SettingsStore : public testsupport::TempFolderTest {
  protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        setVariable("XDG_CONFIG_HOME", root_ + "/config");
    }

    void TearDown() override {
        setImmutable(folder(), false);
        TempFolderTest::TearDown();
    }

    std::string folder() const { return root_ + "/config/plaidwick"; }
    std::string file() const { return folder() + "/settings.ini"; }
    void makeFolder() const { ASSERT_EQ(g_mkdir_with_parents(folder().c_str(), 0700), 0); }
};

TEST_F(SettingsStore, RoundTripsValuesInAnEditableFile) {
    const std::pair<std::string, std::string> values[] = {{installPathValue, "/opt/plaid wick/"},
        {tartanOrderValue, "0"}, {tartanInfoValue, "1"}, {tartanZoomValue, "4"}, {tartanDelayValue, "30"}};
    for (const auto& [name, text] : values) EXPECT_EQ(writeValue(name, text), 2) << name;
    const std::string saved = fileText(file());
    for (const char* line : {group.c_str(), "\nInstall Path=/opt/plaid wick/\n", "\nTartan Zoom=4\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << saved;

    EXPECT_EQ(writeValue(tartanZoomValue, "7"), 2);  // changes that value alone
    for (const auto& [name, text] : values) EXPECT_EQ(readValue(name), name == tartanZoomValue ? "7" : text);
}

TEST_F(SettingsStore, KeepsEveryByteOfAValueInAUtf8File) {
    for (const std::string text : {" 12x", "12  ", "", "a\\sb", "back\\", "\\x41", "tab\there", "two\nlines\r",
                                   "\x01\x7f", "caf\xc3\xa9", "latin \xe9t\xe9", "cut\xc3", "= [x] #"}) {
        EXPECT_EQ(writeValue(tartanDelayValue, text), 2);
        EXPECT_EQ(readValue(tartanDelayValue), text);
        const std::string saved = fileText(file());
        EXPECT_TRUE(g_utf8_validate(saved.data(), static_cast<gssize>(saved.size()), nullptr)) << text;
    }
    EXPECT_EQ(writeValue(tartanDelayValue, std::string("12\0" "34", 5)), 2);
    EXPECT_EQ(readValue(tartanDelayValue), "12") << "a text ends at its first zero byte";
}

TEST_F(SettingsStore, ReadsAHandEditedFileAndKeepsItsOtherContent) {
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening) << "no folder";
    makeFolder();
    for (const char* text : {static_cast<const char*>(nullptr), "[Software\\Other]\nTartan Zoom=3\n"}) {
        if (text) putFile(file(), text);
        EXPECT_EQ(readValue(tartanZoomValue), errorOpening) << (text ? text : "no file");
    }
    putFile(file(), "# my notes\n[Software\\Plaidwick ScreenSaver]\r\n  Tartan Zoom =   7  \r\n"
                    "Tartan Delay=\\s12x\nTartan Info=\xe9\n[Other]\nTartan Order=5\n");
    EXPECT_EQ(readValue(tartanZoomValue), "7");
    EXPECT_EQ(readValue(tartanOrderValue), errorReading) << "a value of another group";

    EXPECT_EQ(writeValue(tartanOrderValue, "0"), 2);
    const std::string saved = fileText(file());
    EXPECT_NE(saved.find("# my notes"), std::string::npos) << saved;
    EXPECT_NE(saved.find("[Other]"), std::string::npos) << saved;
    EXPECT_EQ(readValue(tartanOrderValue), "0");
    EXPECT_EQ(readValue(tartanDelayValue), " 12x");
    EXPECT_EQ(readValue(tartanInfoValue), "\xe9");
}

TEST_F(SettingsStore, ValuesOf255BytesOrMoreAreUnreadable) {
    for (const char fill : {'x', ' '}) {  // spaces: the bytes count, not the escapes in the file
        EXPECT_EQ(writeValue(installPathValue, std::string(254, fill)), 2);
        EXPECT_EQ(readValue(installPathValue), std::string(254, fill)) << "'" << fill << "'";
        EXPECT_EQ(writeValue(installPathValue, std::string(255, fill)), 2);
        EXPECT_EQ(readValue(installPathValue), errorReading) << "'" << fill << "'";
    }
    loadSaverSettings();  // as missing: the program's folder is written back
    EXPECT_EQ(saverSettings().installPath, programFolder());
    EXPECT_EQ(readValue(installPathValue), programFolder());
}

// A file (or folder) the store cannot open reads as a missing key, fails a write and is left as it was.
TEST_F(SettingsStore, UnopenableFilesGiveOpenErrorAndAreLeftAlone) {
    const std::string path = file(), text = group + "Tartan Zoom=3\n";
    const struct {
        const char* what;
        std::function<bool()> make, unchanged;  // make: false when this user cannot
    } cases[] = {
        {"link to itself", [&] { return symlink("settings.ini", path.c_str()) == 0; },
         [&] {
             struct stat s {};
             return lstat(path.c_str(), &s) == 0 && S_ISLNK(s.st_mode) && !testsupport::exists(path + ".bad");
         }},
        {"no read permission",
         [&] {
             putFile(path, text);
             chmod(path.c_str(), 0);
             const int probe = open(path.c_str(), O_RDONLY);
             if (probe >= 0) close(probe);
             return probe < 0;
         },
         [&] { chmod(path.c_str(), 0600); return fileText(path) == text; }},
        {"a folder", [&] { return mkdir(path.c_str(), 0700) == 0; },
         [&] { return g_file_test(path.c_str(), G_FILE_TEST_IS_DIR); }},
        {"a file in place of the folder",
         [&] { return rmdir(folder().c_str()) == 0 && g_file_set_contents(folder().c_str(), "x", 1, nullptr); },
         [&] { return fileText(folder()) == "x"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        makeFolder();
        if (!c.make()) {
            std::printf("[ skip ] %s: not possible for this user\n", c.what);
        } else {
            EXPECT_EQ(readValue(tartanZoomValue), errorOpening);
            EXPECT_EQ(writeValue(tartanZoomValue, "4"), 0);
            EXPECT_TRUE(c.unchanged());
        }
        EXPECT_EQ(testsupport::removeAll(folder()), 0);
    }
}

TEST_F(SettingsStore, DamagedFileIsKeptAsideAndAFreshOneStarted) {
    makeFolder();
    const std::string garbage("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe binary", 24);
    putFile(file(), garbage);
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening);
    EXPECT_EQ(writeValue(tartanZoomValue, "3"), 2);
    EXPECT_EQ(fileText(file() + ".bad"), garbage);
    EXPECT_EQ(readValue(tartanZoomValue), "3");

    // Lines the key file format cannot take: the show starts afresh with the defaults.
    putFile(file(), group + "Tartan Zoom=5\n\xff\xfe\xfd\n");
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening);
    loadSaverSettings();
    EXPECT_EQ(saverSettings().zoom, 1);
    EXPECT_EQ(readValue(tartanZoomValue), "1");
}

TEST_F(SettingsStore, ReadOnlyFolderKeepsTheStoredValues) {
    EXPECT_EQ(writeValue(tartanZoomValue, "3"), 2);
    if (!setImmutable(folder(), true)) { ASSERT_EQ(chmod(folder().c_str(), 0500), 0); }
    const int fd = open((folder() + "/probe").c_str(), O_WRONLY | O_CREAT, 0600);
    if (fd >= 0) {
        close(fd);
        GTEST_SKIP() << "cannot make a folder read-only for this user";
    }
    EXPECT_EQ(writeValue(tartanZoomValue, "4"), 1) << "the key exists, the value is not written";
    EXPECT_EQ(readValue(tartanZoomValue), "3");
    loadSaverSettings();
    EXPECT_EQ(saverSettings().zoom, 3);
    EXPECT_EQ(saverSettings().delayMs, 1000) << "the default stays in use in memory";
    EXPECT_EQ(readValue(tartanDelayValue), errorReading);
}

TEST_F(SettingsStore, ProgramFolderHoldsTheRunningProgram) {
    const std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    struct stat self {}, found {};
    ASSERT_EQ(stat("/proc/self/exe", &self), 0);
    ASSERT_EQ(stat((folder + program_invocation_short_name).c_str(), &found), 0);
    EXPECT_TRUE(self.st_ino == found.st_ino && self.st_dev == found.st_dev);
}

// The show reads the stored texts as decimals, takes defaults for missing values and writes them back.
TEST_F(SettingsStore, ShowReadsStoredTextsAsDecimals) {
    const std::string here = programFolder();
    const struct {
        const char* file;  // nullptr: no store at all
        std::string path;
        int32_t order, names, zoom, delay;
        std::vector<std::pair<const char*, std::string>> stored;  // read back afterwards
    } cases[] = {
        {nullptr, here, 1, 1, 1, 1000,
         {{installPathValue, here}, {tartanOrderValue, "1"}, {tartanInfoValue, "1"},
          {tartanZoomValue, "1"}, {tartanDelayValue, "1"}}},
        {"Install Path=\nTartan Order=-5\nTartan Info=Error Reading Key\nTartan Zoom=70000\nTartan Delay=\\s12x\n",
         here, -5, 1, 70000 - 65536, 12000, {{installPathValue, here}, {tartanDelayValue, " 12x"}}},
        {"Install Path=/srv/plaid/\nTartan Order=+7\nTartan Info=99999999999\nTartan Zoom=\nTartan Delay=60\n",
         "/srv/plaid/", 7, static_cast<int32_t>(99999999999ull % 4294967296ull), 0, 60000, {{tartanZoomValue, ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no store");
        if (c.file) {
            makeFolder();
            putFile(file(), group + c.file);
        }
        loadSaverSettings();
        const SaverSettings& s = saverSettings();
        EXPECT_EQ(s.installPath, c.path);
        EXPECT_EQ(std::vector<int32_t>({s.randomOrder, s.showNames, s.zoom, s.delayMs}),
                  std::vector<int32_t>({c.order, c.names, c.zoom, c.delay}));
        for (const auto& [name, text] : c.stored) EXPECT_EQ(readValue(name), text) << name;
    }
}

TEST_F(SettingsStore, ReaderNeverSeesAHalfWrittenFile) {
    const std::string first(200, 'A'), second(200, 'B');
    for (int i = 0; i < 20; ++i) ASSERT_EQ(writeValue("Filler " + std::to_string(i), first), 2);
    ASSERT_EQ(writeValue(tartanDelayValue, first), 2);
    const pid_t writer = runInChild([&] {
        for (int round = 0; round < 300; ++round)
            if (writeValue(tartanDelayValue, round % 2 ? first : second) != 2) return false;
        return true;
    });
    ASSERT_GT(writer, 0);
    int reads = 0, status = 0;
    for (; waitpid(writer, &status, WNOHANG) == 0; ++reads) {
        const std::string seen = readValue(tartanDelayValue);
        ASSERT_TRUE(seen == first || seen == second) << seen.size() << " bytes: " << seen.substr(0, 40);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GT(reads, 10);
}

TEST_F(SettingsStore, ConcurrentWritersKeepEveryValue) {
    auto name = [](int writer, int i) { return "Writer " + std::to_string(writer) + " Value " + std::to_string(i); };
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = runInChild([&, w] {
            for (int i = 0; i < 60; ++i)
                if (writeValue(name(w, i), std::to_string(w * 1000 + i)) != 2) return false;
            return true;
        });
        ASSERT_GT(writers[w], 0);
    }
    for (pid_t pid : writers) EXPECT_TRUE(childSucceeded(pid));
    int missing = 0;
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < 60; ++i) missing += readValue(name(w, i)) != std::to_string(w * 1000 + i);
    EXPECT_EQ(missing, 0);
}

}  // namespace
