// Help launching on Linux: the real code starts a real (fake) viewer program
// found on PATH, which records the arguments it was given.
#include "config/help.h"
#include "platform/help_services.h"
#include "test_support.h"

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::exists;

bool processExists(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

class HelpLaunch : public testsupport::TempFolderTest {
  protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        bin_ = root_ + "/bin";
        record_ = root_ + "/argv";
        ASSERT_EQ(g_mkdir_with_parents(bin_.c_str(), 0700), 0);
    }

    void TearDown() override {
        closeHelp();
        TempFolderTest::TearDown();
        initHelpViewer();
    }

    // A viewer `name` that records its arguments, each ended by a zero byte, then runs `then`.
    void installViewer(const std::string& name, const std::string& then = "exec /bin/sleep 60") const {
        const std::string script = "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + record_ + ".part'\n/bin/mv '" +
                                   record_ + ".part' '" + record_ + "'\n" + then + "\n";
        const std::string path = bin_ + "/" + name;
        ASSERT_TRUE(g_file_set_contents(path.c_str(), script.c_str(), -1, nullptr));
        ASSERT_EQ(chmod(path.c_str(), 0700), 0);
    }

    // PATH holds only `path`, so no real viewer is found.
    void useViewers(const std::string& path) {
        setVariable("PATH", path);
        initHelpViewer();
    }

    // The arguments the viewer recorded, after waiting for it to start.
    std::vector<std::string> recordedArguments() const {
        for (int tries = 0; tries < 250 && !exists(record_); ++tries) g_usleep(20000);
        const std::string text = testsupport::fileText(record_);
        std::vector<std::string> arguments;
        for (size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
            arguments.push_back(text.substr(start, end - start));
        return arguments;
    }

    std::string bin_, record_;
};

// Each viewer gets the help file as one literal argument, in its own form.
TEST_F(HelpLaunch, ViewerArgumentForms) {
    const std::string pwned = root_ + "/pwned";
    const std::string hostile =
        root_ + "/my 'help' \"files\" $(touch " + pwned + ") ; `touch " + pwned + "` & #x/Plaidwick.chm";
    gchar* cwd = g_get_current_dir();
    const std::string here = cwd;
    g_free(cwd);
    const struct {
        const char *viewer, *absent;
        std::string file, topic, argument;
    } cases[] = {
        {"xchm", "kchmviewer", hostile, "Support.htm", "file:" + hostile + "#xchm:/Support.htm"},
        // xchm decodes %-escapes: a literal % must reach it encoded.
        {"xchm", "kchmviewer", "/srv/100% help/Plaidwick.chm", "Support.htm",
         "file:/srv/100%25 help/Plaidwick.chm#xchm:/Support.htm"},
        {"xchm", "kchmviewer", "/srv/help/Plaidwick.chm", "", "file:/srv/help/Plaidwick.chm#xchm:/"},
        {"xchm", "kchmviewer", "docs/Plaidwick.chm", "Support.htm",
         "file:" + here + "/docs/Plaidwick.chm#xchm:/Support.htm"},
        {"kchmviewer", "xchm", "/srv/my help/Plaidwick.chm", "Support.htm", "/srv/my help/Plaidwick.chm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        unlink((bin_ + "/" + c.absent).c_str());
        unlink(record_.c_str());
        installViewer(c.viewer, "exit 0");
        useViewers(bin_);
        ASSERT_TRUE(helpViewerLoaded());
        ASSERT_GT(openHelp(c.file, c.topic), 0);
        EXPECT_EQ(recordedArguments(), std::vector<std::string>{c.argument});
    }
    g_usleep(200000);
    EXPECT_FALSE(exists(pwned)) << "part of the path was run as a command";
}

TEST_F(HelpLaunch, NothingHappensWithoutAViewerOrForClassicHelp) {
    installViewer("xchm");
    useViewers("");
    EXPECT_FALSE(helpViewerLoaded());
    EXPECT_FALSE(htmlHelpAvailable());
    EXPECT_EQ(openHelp("/srv/help/Plaidwick.chm", "Support.htm"), 0);
    // With a viewer at hand, classic help files still go nowhere.
    useViewers(bin_);
    EXPECT_EQ(openHelp("/srv/help/PLAIDWICK.HLP", "Support"), 0);
    closeHelp();
    g_usleep(300000);
    EXPECT_FALSE(exists(record_)) << "a viewer was started";
}

// closeHelp ends and reaps every viewer it started, however the viewer behaves.
TEST_F(HelpLaunch, CloseHelpEndsEveryViewerItStarted) {
    const struct { const char *what, *then; int viewers; bool lingers; } cases[] = {
        {"stays open", "exec /bin/sleep 60", 2, true},
        {"ignores terminate", "trap '' TERM\nexec /bin/sleep 60", 1, true},
        {"closed by the user", "exit 0", 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        unlink(record_.c_str());
        installViewer("xchm", c.then);
        useViewers(bin_);
        std::vector<pid_t> pids;
        for (int i = 0; i < c.viewers; ++i) {
            pids.push_back(static_cast<pid_t>(openHelp("/srv/a.chm", "Support.htm")));
            ASSERT_GT(pids.back(), 0);
        }
        recordedArguments();
        g_usleep(200000);
        for (pid_t pid : pids) EXPECT_TRUE(processExists(pid) || !c.lingers) << "the viewer ended early";
        const gint64 start = g_get_monotonic_time();
        closeHelp();
        EXPECT_LT(g_get_monotonic_time() - start, 10 * G_USEC_PER_SEC) << "waited for the viewer";
        for (pid_t pid : pids) EXPECT_FALSE(processExists(pid)) << "still running or left unreaped";
    }
}

}  // namespace
