// Help on Linux: the real code starts a (fake) viewer found on PATH, which
// writes down the arguments it was given, one a line.
#include <gtest/gtest.h>

#include <chrono>
#include <glib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "config/help.h"
#include "platform/help_services.h"
#include "probe.h"

// No viewer on PATH: no process is started. The help file reaches the viewer
// as one argument in the viewer's own form, never through a shell; while it
// runs, Help for the same file starts no other. closeHelp ends and reaps
// every viewer it started, within a second: those still running, two
// ignoring SIGTERM, and the last, closed by the user. A classic help file
// starts none.
TEST(Help, OnlyAViewerStartsWithTheFileAsOneArgumentAndCloseHelpEndsEveryViewer) {
    std::string path = g_getenv("PATH"), bin;
    // The only viewer on PATH (none when `on` is false), in a folder of its
    // own: it runs `lead`, writes its arguments down, then runs `tail`.
    auto useViewer = [&](const std::string& name, const std::string& lead, const std::string& tail, bool on = true) {
        g_mkdir_with_parents((bin = probe::freshStore() + "/bin").c_str(), 0700);
        const std::string script = "#!/bin/sh\n" + lead + "\nprintf '%s\\n' \"$@\" >" + bin + "/argv\n" + tail + "\n";
        g_file_set_contents((bin + "/" + name).c_str(), script.c_str(), -1, nullptr);
        chmod((bin + "/" + name).c_str(), 0700), g_setenv("PATH", on ? bin.c_str() : "", TRUE), initHelpViewer();
    };
    useViewer("xchm", "", "exit 0", false);
    EXPECT_TRUE(helpLibrary() == HelpLibrary::none && openHelp("/srv/help/a.chm", "Support.htm") == 0);

    const std::string pwned = bin + "/pwned", hostile = bin + "/my 'help' $(touch " + pwned + ") `touch " + pwned + "`";
    const struct { const char *viewer, *lead, *tail; std::string file, topic, argument; } cases[] = {
        {"xchm", "trap '' TERM", "exec /bin/sleep 60", hostile, "Support.htm", "file:" + hostile + "#xchm:/Support.htm"},
        {"xchm", "trap '' TERM", "exec /bin/sleep 60", "/srv/100% help/a.chm", "Support.htm",
         "file:/srv/100%25 help/a.chm#xchm:/Support.htm"},
        {"xchm", "", "exec /bin/sleep 60", "/srv/help/a.chm", "", "file:/srv/help/a.chm#xchm:/"},
        {"kchmviewer", "", "exit 0", "/srv/my help/a.chm", "Support.htm", "/srv/my help/a.chm"}};
    for (const auto& c : cases) {
        useViewer(c.viewer, c.lead, c.tail);
        const intptr_t viewer = openHelp(c.file, c.topic);
        EXPECT_TRUE(probe::pumpUntil([&] { return probe::fileText(bin + "/argv") == c.argument + "\n"; }))
            << probe::fileText(bin + "/argv");
        EXPECT_TRUE(viewer > 0 && (c.tail == std::string("exit 0") || openHelp(c.file, c.topic) == viewer)) << viewer;
    }
    EXPECT_FALSE(g_file_test(pwned.c_str(), G_FILE_TEST_EXISTS)) << "part of the path ran as a command";
    const auto start = std::chrono::steady_clock::now();
    closeHelp();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(openHelp("/srv/help/PLAIDWICK.HLP", "Support"), 0);
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "a viewer still running or unreaped, or one started for .hlp";
    g_setenv("PATH", path.c_str(), TRUE);
}
