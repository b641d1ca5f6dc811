// The help viewers on Linux. HTML help (.chm) goes to a CHM viewer program
// found on PATH, started directly with an argument vector: the help file's
// path comes from the user-editable install path and must never pass through
// a shell. Classic help (.hlp) has no viewer here and does nothing.
#include "platform/help_services.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

enum class Viewer { none, xchm, kchmviewer };

struct StartedViewer {
    std::string file; // the help file it shows
    GPid pid;
};

struct HelpViewerState {
    Viewer viewer = Viewer::none;
    std::string program;                      // the viewer's full path, found at start-up
    std::vector<StartedViewer> startedViewers; // children not yet reaped
};

// How long closing waits, in all, for viewers asked to end before it kills
// those left: long enough for a viewer to close its window, short enough
// not to be noticed.
const gint64 viewersEndMicroseconds = 500000;

HelpViewerState& state() {
    static HelpViewerState s;
    return s;
}

// The program's full path when it is on PATH, else empty.
std::string findProgram(const char* name) {
    gchar* found = g_find_program_in_path(name);
    if (!found) return std::string();
    std::string path(found);
    g_free(found);
    return path;
}

// xchm decodes %-escapes in its "file:" locators; every other byte of the
// path, '#' included, it takes as it is.
std::string escapePercent(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%')
            out += "%25";
        else
            out += c;
    }
    return out;
}

// Relative help paths are made absolute: the viewer may not share our notion
// of the current folder once it starts.
std::string absolutePath(const std::string& file) {
    if (g_path_is_absolute(file.c_str())) return file;
    gchar* full = g_canonicalize_filename(file.c_str(), nullptr);
    std::string path(full);
    g_free(full);
    return path;
}

// The viewer's arguments for a help file and a topic inside it (may be empty).
std::vector<std::string> viewerArguments(Viewer viewer, const std::string& file,
                                         const std::string& topic) {
    const std::string path = absolutePath(file);
    if (viewer == Viewer::xchm) {
        // xchm opens "file:PATH#xchm:/TOPIC" at the topic, and "file:PATH#xchm:/"
        // at the file's default page; it ignores "file:PATH" alone.
        return {"file:" + escapePercent(path) + "#xchm:/" + escapePercent(topic)};
    }
    // kchmviewer takes the plain path and opens the file's default page.
    return {path};
}

// True once the child has ended and been reaped (or is not ours any more).
bool reapIfEnded(GPid pid) {
    int status = 0;
    const pid_t result = waitpid(pid, &status, WNOHANG);
    return result == pid || (result < 0 && errno == ECHILD);
}

// Reaps viewers that have ended (closed by the user, or asked to end).
void reapEndedViewers() {
    std::vector<StartedViewer>& viewers = state().startedViewers;
    viewers.erase(std::remove_if(viewers.begin(), viewers.end(),
                                 [](const StartedViewer& v) { return reapIfEnded(v.pid); }),
                  viewers.end());
}

}  // namespace

void initHelpViewer() {
    HelpViewerState& s = state();
    s.viewer = Viewer::none;
    s.program = findProgram("xchm");
    if (!s.program.empty()) {
        s.viewer = Viewer::xchm;
        return;
    }
    s.program = findProgram("kchmviewer");
    if (!s.program.empty()) s.viewer = Viewer::kchmviewer;
}

// A viewer program, when there is one, always shows HTML help.
HelpLibrary helpLibrary() {
    return state().viewer == Viewer::none ? HelpLibrary::none : HelpLibrary::withHtmlHelp;
}

intptr_t showHtmlHelp(const std::string& locator) {
    HelpViewerState& s = state();
    if (s.viewer == Viewer::none) return 0;
    reapEndedViewers();

    std::string file = locator;
    std::string topic;
    const size_t mark = locator.rfind("::/");
    if (mark != std::string::npos) {
        file = locator.substr(0, mark);
        topic = locator.substr(mark + 3);
    }
    // The viewer already showing this file stays the only one.
    for (const StartedViewer& running : s.startedViewers)
        if (running.file == file) return static_cast<intptr_t>(running.pid);

    std::vector<std::string> arguments = viewerArguments(s.viewer, file, topic);
    std::vector<gchar*> argv;
    argv.push_back(const_cast<gchar*>(s.program.c_str()));
    for (std::string& argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    // No shell: the arguments reach the viewer exactly as given. The child is
    // kept (not reaped by GLib) so that closeHtmlHelp can end it.
    const GSpawnFlags flags = static_cast<GSpawnFlags>(
        G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDOUT_TO_DEV_NULL |
        G_SPAWN_STDERR_TO_DEV_NULL);
    GPid pid = 0;
    if (!g_spawn_async(nullptr, argv.data(), nullptr, flags, nullptr, nullptr, &pid, nullptr))
        return 0;
    s.startedViewers.push_back({file, pid});
    return static_cast<intptr_t>(pid);
}

// Asks every viewer to end at once, waits for them together (one short
// wait, however many there are), then kills and reaps those left.
void closeHtmlHelp() {
    std::vector<StartedViewer>& viewers = state().startedViewers;
    reapEndedViewers();
    for (const StartedViewer& v : viewers)
        kill(v.pid, SIGTERM);
    const gint64 deadline = g_get_monotonic_time() + viewersEndMicroseconds;
    while (!viewers.empty() && g_get_monotonic_time() < deadline) {
        g_usleep(10000);
        reapEndedViewers();
    }
    for (const StartedViewer& v : viewers) {
        kill(v.pid, SIGKILL);
        while (waitpid(v.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    viewers.clear();
}

void showClassicHelp(const std::string&, const std::string&) {}

void closeClassicHelp() {}
