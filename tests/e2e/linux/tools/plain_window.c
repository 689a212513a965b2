/* A plain window for the saver to draw in, as XScreenSaver gives its hacks
 * one: 640 x 480 at 100,50, mapped, black, nothing drawn. Prints its id once it
 * is on screen, then waits until it is ended. `plain_window argb` makes it in a
 * 32-bit visual with alpha, as a compositing owner may hand out;
 * `plain_window pixel ID X Y` prints the window's pixel there, in hex. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

int main(int argc, char **argv)
{
    Display *dpy = XOpenDisplay(NULL);
    if (!dpy) return 2;
    if (argc == 5 && strcmp(argv[1], "pixel") == 0) {
        XImage *image = XGetImage(dpy, strtoul(argv[2], NULL, 0), atoi(argv[3]), atoi(argv[4]), 1, 1,
                                  AllPlanes, ZPixmap);
        if (!image) return 1;
        printf("%08lx\n", XGetPixel(image, 0, 0));
        return 0;
    }
    XSetWindowAttributes a = {0};
    unsigned long mask = CWOverrideRedirect | CWBackPixel;
    int depth = CopyFromParent;
    Visual *visual = CopyFromParent;
    a.override_redirect = True;
    a.background_pixel = BlackPixel(dpy, DefaultScreen(dpy));
    XVisualInfo argb;
    if (argc == 2 && strcmp(argv[1], "argb") == 0) {
        if (!XMatchVisualInfo(dpy, DefaultScreen(dpy), 32, TrueColor, &argb)) return 3;
        depth = 32, visual = argb.visual, a.background_pixel = 0xFF000000, a.border_pixel = 0;
        a.colormap = XCreateColormap(dpy, DefaultRootWindow(dpy), visual, AllocNone);
        mask |= CWColormap | CWBorderPixel;
    }
    Window w = XCreateWindow(dpy, DefaultRootWindow(dpy), 100, 50, 640, 480, 0, depth, InputOutput,
                             visual, mask, &a);
    XSelectInput(dpy, w, StructureNotifyMask);
    XMapWindow(dpy, w);
    for (XEvent e;;) { XNextEvent(dpy, &e); if (e.type == MapNotify) break; }
    printf("0x%lx\n", w);
    fflush(stdout);
    for (;;) pause();
}
