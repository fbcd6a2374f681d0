/* Starts a program and waits, without polling, for the X server to map its top-level window
 * with the given title; prints the time from the start to that MapNotify in milliseconds.
 *   mapwait TITLE PROGRAM [ARGS...]
 * The root window's SubstructureNotify events are selected before the program starts, so no map
 * is missed; between events this process sleeps in the X connection's read. The program is
 * ended with SIGTERM once its window is mapped. Exit status 1 when no such window comes within
 * 20 s. Needs a display without a window manager (Xvfb): top-level windows are then children of
 * the root window. */
#define _DEFAULT_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static int has_title(Display *dpy, Window w, const char *title)
{
    Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = NULL;
    int match = 0;
    if (XGetWindowProperty(dpy, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        match = strcmp((const char *)data, title) == 0;
        XFree(data);
        if (match)
            return 1;
    }
    char *name = NULL;
    if (XFetchName(dpy, w, &name) && name) {
        match = strcmp(name, title) == 0;
        XFree(name);
    }
    return match;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: mapwait TITLE PROGRAM [ARGS...]\n");
        return 2;
    }
    /* A busy server now and then refuses a connection; the clock has not started yet. */
    Display *dpy = NULL;
    for (int attempt = 0; attempt < 50 && !dpy; ++attempt) {
        dpy = XOpenDisplay(NULL);
        if (!dpy)
            usleep(20000);
    }
    if (!dpy) {
        fprintf(stderr, "mapwait: cannot open display\n");
        return 2;
    }
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const double start = now_ms();
    pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(dpy));
        /* Only the time goes to standard output. */
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    if (child < 0) {
        perror("mapwait: fork");
        return 2;
    }

    int found = 0;
    double mapped = 0;
    struct pollfd pfd = {ConnectionNumber(dpy), POLLIN, 0};
    while (!found) {
        while (!found && XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify && has_title(dpy, ev.xmap.window, argv[1])) {
                mapped = now_ms();
                found = 1;
            }
        }
        if (found)
            break;
        const int left = (int)(start + 20000 - now_ms());
        if (left <= 0)
            break;
        if (poll(&pfd, 1, left) < 0 && errno != EINTR) {
            perror("mapwait: poll");
            break;
        }
    }
    kill(child, SIGTERM);
    waitpid(child, NULL, 0);
    XCloseDisplay(dpy);
    if (!found) {
        fprintf(stderr, "mapwait: no window \"%s\" within 20 s\n", argv[1]);
        return 1;
    }
    printf("%.1f\n", mapped - start);
    return 0;
}
