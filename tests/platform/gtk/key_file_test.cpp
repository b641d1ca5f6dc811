// The Linux store's own file: a key file a user may edit, replaced whole
// under a lock, moved aside when damaged. Real processes write concurrently.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "probe.h"

using namespace probe;

struct KeyFile : ::testing::Test {
    void SetUp() override { folder = freshStore() + "/config/plaidwick", file = folder + "/settings.ini"; }
    bool put(const std::string& text) {
        return !g_mkdir_with_parents(folder.c_str(), 0700) &&
               g_file_set_contents(file.c_str(), text.data(), gssize(text.size()), nullptr);
    }
    std::string folder, file;
};

// Two writers in their own processes, each rewriting a value that a reader
// keeps reading: the reader sees the old or the new file, never half of one,
// and no writer loses the other's values.
TEST_F(KeyFile, ConcurrentWritersKeepEveryValueAndReadersSeeWholeFiles) {
    const std::string a(200, 'A'), b(200, 'B');
    ASSERT_EQ(writeValue("Tartan Delay", a), 2);
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

// A file that cannot be opened (a link to itself), or a file in place of the
// folder, reads as a missing key, fails a write and is left as it was; a
// damaged file is moved aside by the next write; a hand-edited one is read
// (spaces round '=', escapes, CRLF; not another group's values) and keeps its
// comments and other groups; written bytes keep the file UTF-8; in a
// read-only folder the stored values stay.
TEST_F(KeyFile, UnusableFilesAreLeftAloneDamagedOnesMovedAsideAndHandEditsKept) {
    auto leftAlone = [] { return readValue("Tartan Zoom") == "Error Opening Key" && writeValue("V", "4") == 0; };
    ASSERT_TRUE(put("") && !unlink(file.c_str()) && !symlink("settings.ini", file.c_str()));
    EXPECT_TRUE(leftAlone() && g_file_test(file.c_str(), G_FILE_TEST_IS_SYMLINK));
    SetUp();
    ASSERT_TRUE(put("") && !unlink(file.c_str()) && !rmdir(folder.c_str()) && !close(creat(folder.c_str(), 0)));
    EXPECT_TRUE(leftAlone() && g_file_test(folder.c_str(), G_FILE_TEST_IS_REGULAR));
    SetUp();
    const std::string damaged = "[" + storeKey + "]\nTartan Zoom=5\n\xff\xfe\n";
    EXPECT_TRUE(put(damaged) && readValue("Tartan Zoom") == "Error Opening Key" && writeValue("Tartan Zoom", "3") == 2);
    EXPECT_TRUE(fileText(file + ".bad") == damaged && readValue("Tartan Zoom") == "3");
    put("# notes\n[" + storeKey + "]\n  Tartan Zoom =   7  \r\nTartan Delay=\\s12x\n[Other]\nTartan Order=5\n");
    EXPECT_EQ(readValue("Tartan Order"), "Error Reading Key") << "a value of another group";
    EXPECT_EQ(writeValue("Tartan Order", "0"), 2);
    for (const char* kept : {"# notes\n", "[Other]\nTartan Order=5\n", "\nTartan Order=0\n"})
        EXPECT_NE(fileText(file).find(kept), std::string::npos) << fileText(file);
    for (const auto& [name, text] : {std::pair("Tartan Zoom", "7"), {"Tartan Delay", " 12x"}, {"Tartan Order", "0"}})
        EXPECT_EQ(readValue(name), text);
    EXPECT_TRUE(writeValue("Tartan Info", "\xe9") == 2 && g_utf8_validate(fileText(file).c_str(), -1, nullptr));
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
