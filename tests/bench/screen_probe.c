/* Watches a few rows across the middle of the X screen and writes one line
 * per change of what they show:
 *     <realtime ms> <bright extent px> <bright pixels> <background RRGGBB>
 * "bright" is a pixel whose three channels are all above 128 (the saver's
 * white text); the extent is from the leftmost to the rightmost bright pixel
 * of any watched row; the background is the pixel at (2, 2).
 *
 *   screen_probe OUT_FILE SECONDS [ROOT_RRGGBB]
 *
 * With ROOT_RRGGBB it first gives the root window that background colour, so
 * that a black full-screen window is seen the moment it is painted.
 *
 * Polls about once a millisecond: often enough to time a change to the
 * millisecond, seldom enough not to load the X server the saver draws on. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static double now_ms(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

int main(int argc, char **argv) {
    if (argc != 3 && argc != 4) {
        fprintf(stderr, "usage: screen_probe OUT_FILE SECONDS [ROOT_RRGGBB]\n");
        return 2;
    }
    FILE *out = fopen(argv[1], "w");
    if (!out) return 1;
    const double seconds = atof(argv[2]);
    Display *dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "screen_probe: no display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(dpy);
    const int width = DisplayWidth(dpy, DefaultScreen(dpy));
    const int height = DisplayHeight(dpy, DefaultScreen(dpy));
    if (argc == 4) {
        XSetWindowBackground(dpy, root, strtoul(argv[3], NULL, 16));
        XClearWindow(dpy, root);
        XSync(dpy, False);
    }
    /* Rows through the middle third, where the saver centres its text. */
    int rows[5];
    for (int i = 0; i < 5; ++i) rows[i] = height / 2 - 48 + 24 * i;

    const double end = now_ms(CLOCK_MONOTONIC) + seconds * 1000.0;
    uint64_t last_hash = 0;
    int first = 1;
    while (now_ms(CLOCK_MONOTONIC) < end) {
        uint64_t hash = 1469598103934665603ull;
        long bright = 0;
        int left = width, right = -1;
        for (int r = 0; r < 5; ++r) {
            XImage *img = XGetImage(dpy, root, 0, rows[r], (unsigned)width, 1, AllPlanes, ZPixmap);
            if (!img) continue;
            for (int x = 0; x < width; ++x) {
                const unsigned long p = XGetPixel(img, x, 0);
                hash = (hash ^ p) * 1099511628211ull;
                if (((p >> 16) & 0xFF) > 128 && ((p >> 8) & 0xFF) > 128 && (p & 0xFF) > 128) {
                    ++bright;
                    if (x < left) left = x;
                    if (x > right) right = x;
                }
            }
            XDestroyImage(img);
        }
        XImage *corner = XGetImage(dpy, root, 2, 2, 1, 1, AllPlanes, ZPixmap);
        const unsigned long bg = corner ? XGetPixel(corner, 0, 0) & 0xFFFFFF : 0;
        if (corner) XDestroyImage(corner);
        hash = (hash ^ bg) * 1099511628211ull;
        if (first || hash != last_hash) {
            fprintf(out, "%.3f %d %ld %06lx\n", now_ms(CLOCK_REALTIME),
                    right >= left ? right - left + 1 : 0, bright, bg);
            fflush(out);
            last_hash = hash;
            first = 0;
        }
        usleep(1000);
    }
    fclose(out);
    XCloseDisplay(dpy);
    return 0;
}
