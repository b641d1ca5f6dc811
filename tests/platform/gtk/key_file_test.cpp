// The Linux store's own file: a key file a user may edit, replaced whole
// under a lock, moved aside when nothing in it can be read. Real processes
// write concurrently.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <glib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include "config/dialog.h"
#include "probe.h"
#include "startup/settings.h"

using namespace probe;

struct KeyFile : ::testing::Test {
    void SetUp() override { folder = freshStore() + "/config/plaidwick", file = folder + "/settings.ini"; }
    bool put(const std::string& text, const std::string& path = "") {
        return !g_mkdir_with_parents(folder.c_str(), 0700) &&
               g_file_set_contents((path.empty() ? file : path).c_str(), text.data(), gssize(text.size()), nullptr);
    }
    bool has(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_EXISTS); }
    std::string folder, file;
};

// Two writers in their own processes, each rewriting a value that a reader
// keeps reading, while settings.ini.lock is a folder no one can lock: the
// reader sees the old or the new file, never half of one, and no writer
// loses the other's values.
TEST_F(KeyFile, ConcurrentWritersKeepEveryValueAndReadersSeeWholeFiles) {
    const std::string a(200, 'A'), b(200, 'B');
    ASSERT_TRUE(!g_mkdir_with_parents((file + ".lock").c_str(), 0700) && writeValue("Tartan Delay", a) == 2);
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        if ((writers[w] = fork()) != 0) continue;
        int written = 0;
        for (int i = 0; i < 100; ++i)
            written += writeValue(std::to_string(w * 1000 + i), "x") + writeValue("Tartan Delay", i % 2 ? a : b);
        _exit(written == 400 ? 0 : 1);
    }
    int reads = 0, status[2] = {1, 1};
    for (std::string seen; !waitpid(writers[0], &status[0], WNOHANG); ++reads)
        ASSERT_TRUE((seen = readValue("Tartan Delay")) == a || seen == b) << seen.size() << " bytes: " << seen;
    waitpid(writers[1], &status[1], 0);
    EXPECT_TRUE(status[0] == 0 && status[1] == 0 && reads > 10) << reads;
    for (int i = 0; i < 200; ++i) EXPECT_EQ(readValue(std::to_string(i / 100 * 1000 + i % 100)), "x") << i;
}

// Two shows start while a dialog saves, in 1,000 races of three processes:
// the defaults a show writes back never replace a value the dialog saved.
TEST_F(KeyFile, TheShowsDefaultsNeverReplaceWhatTheDialogSaves) {
    ASSERT_TRUE(openSettingsDialog());
    const int saved[numericSettingCount] = {0, 0, 10, 30};
    for (int i = 0; i < numericSettingCount; ++i) setControlState(numericSettings[i].control, saved[i]);
    int go[3][2], done[2], lost = 0;
    ASSERT_TRUE(!pipe(go[0]) && !pipe(go[1]) && !pipe(go[2]) && !pipe(done));
    for (int c = 0, byte; c < 3; ++c) {
        if (fork() != 0) continue;
        for (auto& pipe : go) close(pipe[1]);
        // Each round: the dialog's save (process 0) or a show's start, on the parent's word.
        while (read(go[c][0], &byte, 1) == 1 && (c ? loadSaverSettings() : saveDialogSettings(), true))
            (void)!write(done[1], &byte, 1);
        _exit(0);
    }
    for (int race = 0; race < 1000; ++race) {
        ASSERT_TRUE(!unlink(file.c_str()) || errno == ENOENT);
        for (auto& pipe : go) (void)!write(pipe[1], "x", 1);
        for (char c = 0, byte; c < 3; ++c) ASSERT_EQ(read(done[0], &byte, 1), 1);
        for (int i = 0; i < numericSettingCount; ++i)
            lost += readSettingText(user, settingsKeyPath, numericSettings[i].valueName) != std::to_string(saved[i]);
    }
    for (auto& pipe : go) close(pipe[1]);
    while (wait(nullptr) > 0) continue;
    closeAllWindows();
    EXPECT_EQ(lost, 0);
}

// A file that cannot be opened (a link to itself), or a file in place of the
// folder, reads as a missing key, fails a write and is left as it was. A
// hand-edited file is read as far as it can be (a byte-order mark, spaces
// round '=', names in any case, escapes, CRLF; not another group's values)
// and keeps its comments, other groups and unreadable lines; written bytes
// keep the file UTF-8. Files with nothing readable are moved aside, each to
// a name of its own. In a read-only folder the stored values stay.
TEST_F(KeyFile, UnusableFilesAreLeftAloneUnreadableOnesMovedAsideAndHandEditsKept) {
    auto leftAlone = [] { return readValue("Tartan Zoom") == "Error Opening Key" && writeValue("V", "4") == 0; };
    ASSERT_TRUE(put("") && !unlink(file.c_str()) && !symlink("settings.ini", file.c_str()));
    EXPECT_TRUE(leftAlone() && g_file_test(file.c_str(), G_FILE_TEST_IS_SYMLINK));
    SetUp();
    ASSERT_TRUE(put("") && !unlink(file.c_str()) && !rmdir(folder.c_str()) && !close(creat(folder.c_str(), 0)));
    EXPECT_TRUE(leftAlone() && g_file_test(folder.c_str(), G_FILE_TEST_IS_REGULAR));
    SetUp();
    for (const std::string damaged : {"\xff\xfe\n", "Tartan Zoom=5\n"})
        EXPECT_TRUE(put(damaged) && readValue("Tartan Zoom") == "Error Opening Key" && writeValue("Tartan Zoom", "3") == 2);
    EXPECT_TRUE(fileText(file + ".bad") == "\xff\xfe\n" && fileText(file + ".bad.1") == "Tartan Zoom=5\n");
    EXPECT_TRUE(readValue("Tartan Zoom") == "3" && writeValue("Tartan Info", "\xe9") == 2 &&
                g_utf8_validate(fileText(file).c_str(), -1, nullptr));
    const std::string bad = "\xff\xfe junk\n", other = "[Other]\nTartan Order=5\n";
    put("\xef\xbb\xbf# notes\n[" + storeKey + "]\n  tartan zoom =   7  \r\n" + bad + "Tartan Delay=\\s12x\n" + other);
    EXPECT_EQ(readValue("Tartan Order"), "Error Reading Key") << "a value of another group";
    EXPECT_TRUE(writeValue("Tartan Order", "0") == 2 && writeValue("Tartan Zoom", "7") == 2);
    EXPECT_EQ(fileText(file), "\xef\xbb\xbf# notes\n[" + storeKey + "]\ntartan zoom=7\n" + bad +
                                  "Tartan Delay=\\s12x\nTartan Order=0\n" + other);
    for (const auto& [name, text] : {std::pair("Tartan Zoom", "7"), {"TARTAN DELAY", " 12x"}, {"Tartan Order", "0"}})
        EXPECT_EQ(readValue(name), text);
    // The immutable attribute binds root too.
    auto chattr = [&](const std::string& flag) {
        return !std::system(("chattr " + flag + " " + folder + " 2>/dev/null").c_str());
    };
    if (!chattr("+i") && (chmod(folder.c_str(), 0500) || !access(folder.c_str(), W_OK))) GTEST_SKIP();
    EXPECT_EQ(writeValue("Tartan Zoom", "4"), 1) << "a read-only folder: the key exists, the value is not written";
    EXPECT_TRUE(readValue("Tartan Zoom") == "7" && writeValue("Tartan Speed", "4") == 1 &&
                readValue("Tartan Speed") == "Error Reading Key");
    chattr("-i");
}

// A linked settings file is written through to its target, which keeps its
// mode; a save removes the temporary copies beside it that killed saves left
// (older than a few seconds and locked by no one), and nothing else.
TEST_F(KeyFile, LinksAreWrittenThroughModesKeptAndOnlyStaleCopiesRemoved) {
    const std::string target = folder + "/kept/settings.ini", copy = target + ".";
    ASSERT_TRUE(put("") && !g_mkdir_with_parents((folder + "/kept").c_str(), 0700) && put("[x]\n", target) &&
                !chmod(target.c_str(), 0640) && !unlink(file.c_str()) && !symlink("kept/settings.ini", file.c_str()));
    const utimbuf old{time(nullptr) - 60, time(nullptr) - 60};
    for (const char* tail : {"Ab12Cd", "Xy34Zw", "Qr56St", "backup"})
        ASSERT_TRUE(put("", copy + tail) && (tail[0] == 'Q' || !utime((copy + tail).c_str(), &old)));
    const int held = open((copy + "Xy34Zw").c_str(), O_RDONLY);
    ASSERT_TRUE(held >= 0 && !flock(held, LOCK_EX) && writeValue("Tartan Zoom", "6") == 2);
    struct stat status {};
    EXPECT_TRUE(g_file_test(file.c_str(), G_FILE_TEST_IS_SYMLINK) && !stat(target.c_str(), &status) &&
                (status.st_mode & 07777) == 0640 && readValue("Tartan Zoom") == "6");
    EXPECT_TRUE(!has(copy + "Ab12Cd") && has(copy + "Xy34Zw") && has(copy + "Qr56St") && has(copy + "backup"));
    close(held);
}
