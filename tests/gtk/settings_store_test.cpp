// The Linux settings store: the real key file in a temporary XDG_CONFIG_HOME,
// real processes for the concurrency cases.
#include "platform/settings_store.h"
#include "startup/settings.h"

#include <gtest/gtest.h>

#include <glib.h>
#include <glib/gstdio.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string errorOpening = "Error Opening Key";
const std::string errorReading = "Error Reading Key";

std::string readValue(const std::string& name) {
    return readSettingText(SettingsRoot::currentUser, settingsKeyPath, name);
}

int writeValue(const std::string& name, const std::string& text) {
    return writeSettingText(SettingsRoot::currentUser, settingsKeyPath, name, text);
}

std::string fileText(const std::string& path) {
    gchar* data = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(path.c_str(), &data, &length, nullptr)) return std::string();
    std::string text(data, length);
    g_free(data);
    return text;
}

void putFile(const std::string& path, const std::string& text) {
    ASSERT_TRUE(g_file_set_contents(path.c_str(), text.data(), static_cast<gssize>(text.size()),
                                    nullptr));
}

bool exists(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_EXISTS); }

// Sets or clears the immutable attribute, which binds root too; false when
// the file system or the process's capabilities do not allow it.
bool setImmutable(const std::string& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadConfigHome_ = old != nullptr;
        if (old) oldConfigHome_ = old;
        gchar* dir = g_dir_make_tmp("plaidwick-store-XXXXXX", nullptr);
        ASSERT_NE(dir, nullptr);
        root_ = dir;
        g_free(dir);
        configHome_ = root_ + "/config";
        setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
    }

    void TearDown() override {
        setImmutable(folder(), false);
        if (hadConfigHome_)
            setenv("XDG_CONFIG_HOME", oldConfigHome_.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        const std::string command = "chmod -R u+rwx '" + root_ + "' && rm -rf '" + root_ + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    std::string folder() const { return configHome_ + "/plaidwick"; }
    std::string file() const { return folder() + "/settings.ini"; }
    void makeFolder() const { ASSERT_EQ(g_mkdir_with_parents(folder().c_str(), 0700), 0); }

    std::string root_;
    std::string configHome_;

  private:
    bool hadConfigHome_ = false;
    std::string oldConfigHome_;
};

TEST_F(SettingsStore, RoundTripsTheFiveValuesInAnEditableFile) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {installPathValue, "/opt/plaid wick/"}, {tartanOrderValue, "0"},
        {tartanInfoValue, "1"},                 {tartanZoomValue, "4"},
        {tartanDelayValue, "30"},
    };
    for (const auto& [name, text] : values) EXPECT_EQ(writeValue(name, text), 2) << name;
    for (const auto& [name, text] : values) EXPECT_EQ(readValue(name), text) << name;

    const std::string saved = fileText(file());
    EXPECT_NE(saved.find("[Software\\Plaidwick ScreenSaver]\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\nInstall Path=/opt/plaid wick/\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\nTartan Zoom=4\n"), std::string::npos) << saved;

    // Rewriting one value changes it alone.
    EXPECT_EQ(writeValue(tartanZoomValue, "7"), 2);
    EXPECT_EQ(readValue(tartanZoomValue), "7");
    EXPECT_EQ(readValue(tartanDelayValue), "30");
    EXPECT_EQ(readValue(installPathValue), "/opt/plaid wick/");
}

TEST_F(SettingsStore, KeepsEveryByteOfAValue) {
    const std::vector<std::string> texts = {
        " 12x",   "12  ",        "  ",           "",
        "a\\sb",  "back\\",      "tab\there",    "two\nlines\r",
        "\x01\x7f", "caf\xc3\xa9", "latin \xe9t\xe9", "cut\xc3",
        "= [x] #", "\\x41",      "%20$(x);'\"",
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(writeValue(tartanDelayValue, text), 2);
        EXPECT_EQ(readValue(tartanDelayValue), text);
        const std::string saved = fileText(file());
        EXPECT_TRUE(g_utf8_validate(saved.data(), static_cast<gssize>(saved.size()), nullptr))
            << "written file is not UTF-8 for " << text;
    }
    // A text ends at its first zero byte, as a zero-terminated text does.
    EXPECT_EQ(writeValue(tartanDelayValue, std::string("12\0" "34", 5)), 2);
    EXPECT_EQ(readValue(tartanDelayValue), "12");
}

TEST_F(SettingsStore, ReadsAHandEditedFile) {
    makeFolder();
    putFile(file(), "# my notes\n"
                    "[Software\\Plaidwick ScreenSaver]\r\n"
                    "  Tartan Zoom =   7  \r\n"
                    "Tartan Delay=\\s12x\n"
                    "Tartan Info=\xe9\n"
                    "Install Path=/home/me/50%/\n"
                    "[Other]\n"
                    "Tartan Order=5\n");
    EXPECT_EQ(readValue(tartanZoomValue), "7");
    EXPECT_EQ(readValue(tartanDelayValue), " 12x");
    EXPECT_EQ(readValue(tartanInfoValue), "\xe9");
    EXPECT_EQ(readValue(installPathValue), "/home/me/50%/");
    EXPECT_EQ(readValue(tartanOrderValue), errorReading) << "a value of another group";

    // A write keeps the user's comments, other groups and untouched values.
    EXPECT_EQ(writeValue(tartanOrderValue, "0"), 2);
    const std::string saved = fileText(file());
    EXPECT_NE(saved.find("# my notes"), std::string::npos) << saved;
    EXPECT_NE(saved.find("[Other]"), std::string::npos) << saved;
    EXPECT_EQ(readValue(tartanOrderValue), "0");
    EXPECT_EQ(readValue(tartanDelayValue), " 12x");
    EXPECT_EQ(readValue(tartanInfoValue), "\xe9");
}

TEST_F(SettingsStore, MissingStoreKeyOrValueGiveTheErrorTexts) {
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening) << "no folder";
    makeFolder();
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening) << "no file";
    putFile(file(), "");
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening) << "empty file";
    putFile(file(), "[Software\\Other]\nTartan Zoom=3\n");
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening) << "no such group";
    putFile(file(), "[Software\\Plaidwick ScreenSaver]\nTartan Delay=3\n");
    EXPECT_EQ(readValue(tartanZoomValue), errorReading) << "no such value";
    EXPECT_EQ(readValue(tartanDelayValue), "3");
}

TEST_F(SettingsStore, ValuesOf255BytesOrMoreAreUnreadable) {
    const std::string longest(254, 'x');
    EXPECT_EQ(writeValue(installPathValue, longest), 2);
    EXPECT_EQ(readValue(installPathValue), longest);

    // The limit counts the value's bytes, not the escapes in the file.
    const std::string spaces(254, ' ');
    EXPECT_EQ(writeValue(tartanZoomValue, spaces), 2);
    EXPECT_EQ(readValue(tartanZoomValue), spaces);
    EXPECT_EQ(writeValue(tartanZoomValue, spaces + " "), 2);
    EXPECT_EQ(readValue(tartanZoomValue), errorReading);

    EXPECT_EQ(writeValue(installPathValue, longest + "y"), 2);
    EXPECT_EQ(readValue(installPathValue), errorReading);
    EXPECT_EQ(writeValue(installPathValue, std::string(1000, 'z')), 2);
    EXPECT_EQ(readValue(installPathValue), errorReading);

    // The show treats it as missing and writes the program's folder back.
    loadSaverSettings();
    EXPECT_EQ(saverSettings().installPath, programFolder());
    EXPECT_EQ(readValue(installPathValue), programFolder());
}

TEST_F(SettingsStore, UnopenableFileGivesOpenErrorAndIsLeftAlone) {
    makeFolder();
    // A link to itself cannot be opened, even by root.
    ASSERT_EQ(symlink("settings.ini", file().c_str()), 0);
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening);
    EXPECT_EQ(writeValue(tartanZoomValue, "3"), 0);
    struct stat info {};
    ASSERT_EQ(lstat(file().c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the unopenable file was replaced";
    EXPECT_FALSE(exists(file() + ".bad"));
}

TEST_F(SettingsStore, FileWithoutReadPermissionGivesOpenError) {
    makeFolder();
    putFile(file(), "[Software\\Plaidwick ScreenSaver]\nTartan Zoom=3\n");
    ASSERT_EQ(chmod(file().c_str(), 0), 0);
    const int probe = open(file().c_str(), O_RDONLY);
    if (probe >= 0) {
        close(probe);
        GTEST_SKIP() << "this user reads files without read permission (root)";
    }
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening);
    EXPECT_EQ(writeValue(tartanZoomValue, "4"), 0);
    chmod(file().c_str(), 0600);
    EXPECT_EQ(readValue(tartanZoomValue), "3") << "the unreadable file was replaced";
}

TEST_F(SettingsStore, FolderInPlaceOfTheFile) {
    ASSERT_EQ(g_mkdir_with_parents(file().c_str(), 0700), 0);
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening);
    EXPECT_EQ(writeValue(tartanZoomValue, "3"), 0);
    EXPECT_TRUE(g_file_test(file().c_str(), G_FILE_TEST_IS_DIR));
}

TEST_F(SettingsStore, DamagedFileIsKeptAsideAndAFreshOneStarted) {
    makeFolder();
    const std::string garbage("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe binary", 24);
    putFile(file(), garbage);
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening);

    EXPECT_EQ(writeValue(tartanZoomValue, "3"), 2);
    EXPECT_EQ(fileText(file() + ".bad"), garbage);
    EXPECT_EQ(readValue(tartanZoomValue), "3");

    // Lines the key file format cannot take, with bytes that are not UTF-8.
    putFile(file(), "[Software\\Plaidwick ScreenSaver]\nTartan Zoom=5\n\xff\xfe\xfd\n");
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening);
    loadSaverSettings();
    EXPECT_EQ(saverSettings().zoom, 1);
    EXPECT_EQ(readValue(tartanZoomValue), "1");
    EXPECT_EQ(readValue(tartanDelayValue), "1");
    EXPECT_EQ(readValue(installPathValue), programFolder());
}

TEST_F(SettingsStore, UnwritablePlacesFailWithoutHarm) {
    // A plain file where the store's folder belongs: nothing can be created.
    ASSERT_EQ(g_mkdir_with_parents(configHome_.c_str(), 0700), 0);
    putFile(folder(), "not a folder");
    EXPECT_EQ(writeValue(tartanZoomValue, "3"), 0);
    EXPECT_EQ(readValue(tartanZoomValue), errorOpening);
    loadSaverSettings();
    EXPECT_EQ(saverSettings().zoom, 1);
    EXPECT_EQ(saverSettings().delayMs, 1000);
    EXPECT_EQ(saverSettings().installPath, programFolder());
    EXPECT_EQ(fileText(folder()), "not a folder");
}

TEST_F(SettingsStore, ReadOnlyFolderKeepsTheStoredValues) {
    EXPECT_EQ(writeValue(tartanZoomValue, "3"), 2);
    if (!setImmutable(folder(), true)) {
        ASSERT_EQ(chmod(folder().c_str(), 0500), 0);
    }
    const std::string probe = folder() + "/probe";
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT, 0600);
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

TEST_F(SettingsStore, ShowOnAnEmptyStoreTakesAndWritesTheDefaults) {
    loadSaverSettings();
    const SaverSettings& s = saverSettings();
    EXPECT_EQ(s.installPath, programFolder());
    EXPECT_EQ(s.randomOrder, 1);
    EXPECT_EQ(s.showNames, 1);
    EXPECT_EQ(s.zoom, 1);
    EXPECT_EQ(s.delayMs, 1000);
    EXPECT_EQ(readValue(installPathValue), programFolder());
    for (const char* name : {tartanOrderValue, tartanInfoValue, tartanZoomValue, tartanDelayValue})
        EXPECT_EQ(readValue(name), "1") << name;
}

TEST_F(SettingsStore, ProgramFolderHoldsTheRunningProgram) {
    const std::string folder = programFolder();
    ASSERT_GE(folder.size(), 2u);
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
    EXPECT_STREQ(pathSeparator(), "/");
    struct stat self {}, found {};
    ASSERT_EQ(stat("/proc/self/exe", &self), 0);
    ASSERT_EQ(stat((folder + program_invocation_short_name).c_str(), &found), 0);
    EXPECT_EQ(self.st_ino, found.st_ino);
    EXPECT_EQ(self.st_dev, found.st_dev);
}

TEST_F(SettingsStore, ShowReadsStoredTextsAsDecimals) {
    makeFolder();
    putFile(file(), "[Software\\Plaidwick ScreenSaver]\n"
                    "Install Path=\n"
                    "Tartan Order=-5\n"
                    "Tartan Info=Error Reading Key\n"
                    "Tartan Zoom=70000\n"
                    "Tartan Delay=\\s12x\n");
    loadSaverSettings();
    const SaverSettings& s = saverSettings();
    EXPECT_EQ(s.installPath, programFolder()) << "an empty install path is replaced";
    EXPECT_EQ(readValue(installPathValue), programFolder());
    EXPECT_EQ(s.randomOrder, -5);
    EXPECT_EQ(s.showNames, 1) << "the error text stored as a value counts as missing";
    EXPECT_EQ(readValue(tartanInfoValue), "1");
    EXPECT_EQ(s.zoom, 70000 - 65536);
    EXPECT_EQ(s.delayMs, 12000);
    EXPECT_EQ(readValue(tartanDelayValue), " 12x") << "a readable value is not rewritten";

    putFile(file(), "[Software\\Plaidwick ScreenSaver]\n"
                    "Install Path=/srv/plaid/\n"
                    "Tartan Order=+7\n"
                    "Tartan Info=99999999999\n"
                    "Tartan Zoom=\n"
                    "Tartan Delay=60\n");
    loadSaverSettings();
    EXPECT_EQ(s.installPath, "/srv/plaid/");
    EXPECT_EQ(s.randomOrder, 7);
    EXPECT_EQ(s.showNames, static_cast<int32_t>(99999999999ull % 4294967296ull));
    EXPECT_EQ(s.zoom, 0) << "an empty text is a stored value";
    EXPECT_EQ(readValue(tartanZoomValue), "");
    EXPECT_EQ(s.delayMs, 60000);
}

// Runs `work` in a child process; the child's exit status is its result.
pid_t runInChild(const std::function<bool()>& work) {
    const pid_t pid = fork();
    if (pid == 0) _exit(work() ? 0 : 1);
    return pid;
}

bool childSucceeded(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(SettingsStore, ReaderNeverSeesAHalfWrittenFile) {
    const std::string first(200, 'A');
    const std::string second(200, 'B');
    for (int i = 0; i < 20; ++i) ASSERT_EQ(writeValue("Filler " + std::to_string(i), first), 2);
    ASSERT_EQ(writeValue(tartanDelayValue, first), 2);

    const pid_t writer = runInChild([&] {
        for (int round = 0; round < 300; ++round)
            if (writeValue(tartanDelayValue, round % 2 ? first : second) != 2) return false;
        return true;
    });
    ASSERT_GT(writer, 0);
    int reads = 0;
    int status = 0;
    while (waitpid(writer, &status, WNOHANG) == 0) {
        const std::string seen = readValue(tartanDelayValue);
        ASSERT_TRUE(seen == first || seen == second) << "read " << seen.size() << " bytes: "
                                                     << seen.substr(0, 40);
        ++reads;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GT(reads, 10);
}

TEST_F(SettingsStore, ConcurrentWritersKeepEveryValue) {
    const int perWriter = 60;
    auto writerWork = [&](int writer) {
        return [=] {
            for (int i = 0; i < perWriter; ++i) {
                const std::string name =
                    "Writer " + std::to_string(writer) + " Value " + std::to_string(i);
                if (writeValue(name, std::to_string(writer * 1000 + i)) != 2) return false;
            }
            return true;
        };
    };
    const pid_t one = runInChild(writerWork(1));
    const pid_t two = runInChild(writerWork(2));
    ASSERT_GT(one, 0);
    ASSERT_GT(two, 0);
    EXPECT_TRUE(childSucceeded(one));
    EXPECT_TRUE(childSucceeded(two));

    int missing = 0;
    for (int writer = 1; writer <= 2; ++writer)
        for (int i = 0; i < perWriter; ++i) {
            const std::string name =
                "Writer " + std::to_string(writer) + " Value " + std::to_string(i);
            if (readValue(name) != std::to_string(writer * 1000 + i)) ++missing;
        }
    EXPECT_EQ(missing, 0);
}

}  // namespace
