/* Moves the X pointer to X Y and prints, in microseconds of the real-time
 * clock, when the move was sent. The bench times a program's reaction from
 * there: the connection to the display is made before the clock is read, so
 * a tool's own start-up (several milliseconds, more under load) is not
 * counted.
 *   pointer_move X Y */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    Display *d = XOpenDisplay(NULL);
    if (d == NULL) return 1;
    XSync(d, False);
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, atoi(argv[1]), atoi(argv[2]));
    XSync(d, False);
    printf("%lld\n", (long long)t.tv_sec * 1000000LL + t.tv_nsec / 1000);
    XCloseDisplay(d);
    return 0;
}
