/* Times a real show from outside, on the X display it draws on: from its
   launch to its first picture (the top-left pixel of the screen leaving
   black), and, after it has held that picture for SECONDS (2 unless --hold
   says), from a pointer move (or, with --signal, a SIGTERM) to the end of
   the process. Usage: show_timing [--hold SECONDS] [--signal] COMMAND [ARGUMENT...] */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdlib.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
    char** command = argv + 1;
    unsigned hold = 2;
    if (*command && strcmp(*command, "--hold") == 0 && command[1]) {
        hold = (unsigned)atoi(command[1]);
        command += 2;
    }
    const int by_signal = *command && strcmp(*command, "--signal") == 0;
    command += by_signal;
    Display* display = XOpenDisplay(NULL);
    if (!display || argc < 2 || !*command) {
        fprintf(stderr, "usage: show_timing [--hold SECONDS] [--signal] COMMAND [ARGUMENT...] (on an X display)\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XWarpPointer(display, None, root, 0, 0, 0, 0, 300, 300);
    XSync(display, False);
    const double launched = now_ms();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(command[0], command);
        _exit(127);
    }
    unsigned long pixel = 0;
    while (!pixel && now_ms() - launched < 30000) {
        XImage* image = XGetImage(display, root, 0, 0, 1, 1, AllPlanes, ZPixmap);
        pixel = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : 0;
        if (image) XDestroyImage(image);
        if (!pixel) usleep(500);
    }
    printf("launch to first picture: %.1f ms\n", now_ms() - launched);
    fflush(stdout);
    sleep(hold);
    const double asked = now_ms();
    if (by_signal) {
        kill(pid, SIGTERM);
    } else {
        XWarpPointer(display, None, root, 0, 0, 0, 0, 10, 10);
        XSync(display, False);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    printf("%s to the end of the process: %.1f ms (exit code %d)\n", by_signal ? "SIGTERM" : "pointer move",
           now_ms() - asked, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}
