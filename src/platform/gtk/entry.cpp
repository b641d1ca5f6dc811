// The Linux program's entry: keeps the arguments and runs the program, or,
// when a host such as XScreenSaver names a window to draw in (--root,
// --window-id), the show in that window.
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <glib-unix.h>

#include "platform/gtk/gtk_backend.h"
#include "show/host_request.h"
#include "startup/program.h"

int main(int argc, char** argv) {
    gtkbackend::setProgramArguments(argc, argv);
    const char* hostWindow = std::getenv("XSCREENSAVER_WINDOW");
    const HostRequest host =
        hostRequestFrom(std::vector<std::string>(argv + 1, argv + argc), hostWindow ? hostWindow : "");
    if (host.hosted) {
        gtkbackend::endOnHostSignals();
        hostedProgramMain(host);
    }
    // SIGTERM, SIGINT and SIGHUP (a session's or a terminal's end) end the
    // show and the dialog through the one end sequence, which also ends the
    // help viewers they started, at the main loop's next turn.
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        g_unix_signal_add(signal, [](gpointer) -> gboolean { endProgram(); }, nullptr);
    programMain();
}
