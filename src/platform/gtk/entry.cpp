// The Linux program's entry: keeps the arguments and runs the program, or,
// when a host such as XScreenSaver names a window to draw in (--root,
// --window-id), the show in that window.
#include <cstdlib>
#include <string>
#include <vector>

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
    programMain();
}
