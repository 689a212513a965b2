/* Watches the whole X screen and writes one line per change of where its
 * bright pixels are (all three channels above 128, the saver's white text):
 *     <ms since start> <W> <H> <X> <Y>        (0 0 0 0: nothing bright)
 *
 *   bright_boxes SECONDS [WINDOW_ID]
 *
 * With WINDOW_ID it watches that window instead of the root, in its own
 * pixels. Takes a frame every ~20 ms: several per title-card character. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

static int ignore_errors(Display *d, XErrorEvent *e) { (void)d; (void)e; return 0; }

int main(int argc, char **argv) {
    if (argc != 2 && argc != 3) {
        fprintf(stderr, "usage: bright_boxes SECONDS [WINDOW_ID]\n");
        return 2;
    }
    Display *dpy = XOpenDisplay(NULL);
    if (!dpy) return 1;
    XSetErrorHandler(ignore_errors);
    Window win = argc == 3 ? strtoul(argv[2], NULL, 0) : DefaultRootWindow(dpy);
    const double start = now_ms(), end = start + atof(argv[1]) * 1000.0;
    int last[4] = {-1, -1, -1, -1};
    while (now_ms() < end) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(dpy, win, &a)) return 1;
        XImage *img = XGetImage(dpy, win, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
        if (img) {
            int l = a.width, t = a.height, r = -1, b = -1;
            for (int y = 0; y < a.height; ++y)
                for (int x = 0; x < a.width; ++x) {
                    unsigned long p = XGetPixel(img, x, y);
                    if (((p >> 16) & 0xff) > 128 && ((p >> 8) & 0xff) > 128 && (p & 0xff) > 128) {
                        if (x < l) l = x;
                        if (x > r) r = x;
                        if (y < t) t = y;
                        if (y > b) b = y;
                    }
                }
            XDestroyImage(img);
            int box[4] = {0, 0, 0, 0};
            if (r >= 0) { box[0] = r - l + 1; box[1] = b - t + 1; box[2] = l; box[3] = t; }
            if (box[0] != last[0] || box[1] != last[1] || box[2] != last[2] || box[3] != last[3]) {
                printf("%.0f %d %d %d %d\n", now_ms() - start, box[0], box[1], box[2], box[3]);
                fflush(stdout);
                for (int i = 0; i < 4; ++i) last[i] = box[i];
            }
        }
        usleep(20000);
    }
    return 0;
}
