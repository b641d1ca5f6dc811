// Help on Linux: the real code starts a (fake) viewer found on PATH, which
// writes down the arguments it was given, one a line.
#include <gtest/gtest.h>

#include <csignal>
#include <glib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

#include "config/help.h"
#include "platform/help_services.h"
#include "probe.h"

struct Help : ::testing::Test {
    void SetUp() override { g_mkdir_with_parents((bin = probe::freshStore() + "/bin").c_str(), 0700); }
    void TearDown() override { closeHelp(), g_setenv("PATH", path.c_str(), TRUE), initHelpViewer(); }
    // The only viewer on PATH (none when `on` is false): it runs `lead`,
    // writes its arguments down, then runs `tail`.
    void useViewer(const std::string& name, const std::string& lead, const std::string& tail, bool on = true) {
        remove((bin + "/xchm").c_str()), remove((bin + "/kchmviewer").c_str()), remove((bin + "/argv").c_str());
        const std::string script = "#!/bin/sh\n" + lead + "\nprintf '%s\\n' \"$@\" >" + bin + "/argv\n" + tail + "\n";
        g_file_set_contents((bin + "/" + name).c_str(), script.c_str(), -1, nullptr);
        chmod((bin + "/" + name).c_str(), 0700), g_setenv("PATH", on ? bin.c_str() : "", TRUE), initHelpViewer();
    }
    std::string recorded() const {
        gchar* text = nullptr;
        const std::string file = bin + "/argv";
        probe::pumpUntil([&] { return g_free(text), g_file_get_contents(file.c_str(), &text, nullptr, nullptr) && *text; });
        const std::string arguments = text ? text : "";
        return g_free(text), arguments;
    }
    std::string bin, path = g_getenv("PATH");
};

// The help file reaches the viewer as one argument in the viewer's own form,
// never through a shell.
TEST_F(Help, TheViewerGetsTheHelpFileAsOneArgument) {
    const std::string pwned = bin + "/pwned", hostile = bin + "/my 'help' $(touch " + pwned + ") `touch " + pwned + "`";
    const struct { const char* viewer; std::string file, topic, argument; } cases[] = {
        {"xchm", hostile, "Support.htm", "file:" + hostile + "#xchm:/Support.htm"},
        {"xchm", "/srv/100% help/a.chm", "Support.htm", "file:/srv/100%25 help/a.chm#xchm:/Support.htm"},
        {"xchm", "/srv/help/a.chm", "", "file:/srv/help/a.chm#xchm:/"},
        {"kchmviewer", "/srv/my help/a.chm", "Support.htm", "/srv/my help/a.chm"}};
    for (const auto& c : cases) {
        useViewer(c.viewer, "", "exit 0");
        EXPECT_GT(openHelp(c.file, c.topic), 0);
        EXPECT_EQ(recorded(), c.argument + "\n");
    }
    EXPECT_FALSE(g_file_test(pwned.c_str(), G_FILE_TEST_EXISTS)) << "part of the path ran as a command";
}

// No viewer on PATH, or a classic help file: no process is started.
TEST_F(Help, NothingStartsWithoutAViewerOrForClassicHelp) {
    useViewer("xchm", "", "exit 0", false);
    EXPECT_TRUE(helpLibrary() == HelpLibrary::none && openHelp("/srv/help/a.chm", "Support.htm") == 0);
    useViewer("xchm", "", "exit 0");
    EXPECT_EQ(openHelp("/srv/help/PLAIDWICK.HLP", "Support"), 0);
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "a viewer was started";
}

// closeHelp ends and reaps every viewer it started, one ignoring SIGTERM too.
TEST_F(Help, CloseHelpEndsEveryViewerItStarted) {
    const struct { const char *lead, *tail; int count; } cases[] = {  // the last one closed by the user
        {"", "exec /bin/sleep 60", 2}, {"trap '' TERM", "exec /bin/sleep 60", 1}, {"", "exit 0", 1}};
    for (const auto& [lead, tail, count] : cases) {
        useViewer("xchm", lead, tail);
        std::vector<pid_t> viewers;
        while (int(viewers.size()) < count) viewers.push_back(pid_t(openHelp("/srv/a.chm", "Support.htm")));
        recorded(), closeHelp();
        for (pid_t pid : viewers) EXPECT_TRUE(pid > 0 && kill(pid, 0) != 0) << lead << ": still running or unreaped";
    }
}
