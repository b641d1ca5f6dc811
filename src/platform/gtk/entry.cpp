// The Linux program's entry: keeps the arguments and runs the program.
#include "platform/gtk/gtk_backend.h"
#include "startup/program.h"

int main(int argc, char** argv) {
    gtkbackend::setProgramArguments(argc, argv);
    programMain();
}
