/* Makes and shows a plain top-level X window of the given size, as a host's
   preview area, prints its id and keeps it until killed.
   Usage: x_window WIDTH HEIGHT */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: x_window WIDTH HEIGHT\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) return 1;
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, (unsigned)atoi(argv[1]),
                                        (unsigned)atoi(argv[2]), 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
    printf("%lu\n", window);
    fflush(stdout);
    for (;;) pause();
}
