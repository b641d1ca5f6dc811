// Help launching on Linux: the real code starts a real (fake) viewer program
// found on PATH, which records the arguments it was given.
#include "config/help.h"
#include "platform/help_services.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string fileText(const std::string& path) {
    gchar* data = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(path.c_str(), &data, &length, nullptr)) return std::string();
    std::string text(data, length);
    g_free(data);
    return text;
}

bool exists(const std::string& path) { return g_file_test(path.c_str(), G_FILE_TEST_EXISTS); }

bool processExists(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

class HelpLaunch : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        oldPath_ = path ? path : "";
        gchar* dir = g_dir_make_tmp("plaidwick-help-XXXXXX", nullptr);
        ASSERT_NE(dir, nullptr);
        root_ = dir;
        g_free(dir);
        bin_ = root_ + "/bin";
        ASSERT_EQ(g_mkdir_with_parents(bin_.c_str(), 0700), 0);
        record_ = root_ + "/argv";
    }

    void TearDown() override {
        closeHelp();
        setenv("PATH", oldPath_.c_str(), 1);
        initHelpViewer();
        const std::string command = "rm -rf '" + root_ + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    // A viewer named `name` in the test's bin folder that writes its
    // arguments, each ended by a zero byte, to the record file, then runs
    // `then` (by default it stays open, as a viewer does).
    void installViewer(const std::string& name,
                       const std::string& then = "exec /bin/sleep 60") const {
        const std::string script = "#!/bin/sh\n"
                                   "printf '%s\\0' \"$@\" > '" + record_ + ".part'\n"
                                   "/bin/mv '" + record_ + ".part' '" + record_ + "'\n" +
                                   then + "\n";
        const std::string path = bin_ + "/" + name;
        ASSERT_TRUE(g_file_set_contents(path.c_str(), script.c_str(), -1, nullptr));
        ASSERT_EQ(chmod(path.c_str(), 0700), 0);
    }

    // Only the test's bin folder on PATH, so no real viewer is found.
    void useViewers() {
        setenv("PATH", bin_.c_str(), 1);
        initHelpViewer();
    }

    // The arguments the viewer recorded, after waiting for it to start.
    std::vector<std::string> recordedArguments() const {
        for (int tries = 0; tries < 250 && !exists(record_); ++tries) g_usleep(20000);
        const std::string text = fileText(record_);
        std::vector<std::string> arguments;
        size_t start = 0;
        for (size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
            arguments.push_back(text.substr(start, end - start));
        return arguments;
    }

    std::string root_;
    std::string bin_;
    std::string record_;

  private:
    std::string oldPath_;
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
        useViewers();
        ASSERT_TRUE(helpViewerLoaded());
        ASSERT_GT(openHelp(c.file, c.topic), 0);
        EXPECT_EQ(recordedArguments(), std::vector<std::string>{c.argument});
    }
    g_usleep(200000);
    EXPECT_FALSE(exists(pwned)) << "part of the path was run as a command";
}

TEST_F(HelpLaunch, NothingHappensWithoutAViewerOrForClassicHelp) {
    installViewer("xchm");
    setenv("PATH", "", 1);
    initHelpViewer();
    EXPECT_FALSE(helpViewerLoaded());
    EXPECT_FALSE(htmlHelpAvailable());
    EXPECT_EQ(openHelp("/srv/help/Plaidwick.chm", "Support.htm"), 0);
    // With a viewer at hand, classic help files still go nowhere.
    useViewers();
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
        useViewers();
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
