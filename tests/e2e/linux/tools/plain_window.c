/* A plain window for the saver to draw in, as XScreenSaver gives its hacks
 * one: 640 x 480 at 100,50, mapped, black, nothing drawn. Prints its id once it
 * is on screen, then waits until it is ended. */
#include <stdio.h>
#include <unistd.h>
#include <X11/Xlib.h>

int main(void)
{
    Display *dpy = XOpenDisplay(NULL);
    if (!dpy) return 2;
    XSetWindowAttributes a = {0};
    a.override_redirect = True;
    a.background_pixel = BlackPixel(dpy, DefaultScreen(dpy));
    Window w = XCreateWindow(dpy, DefaultRootWindow(dpy), 100, 50, 640, 480, 0, CopyFromParent,
                             InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
    XSelectInput(dpy, w, StructureNotifyMask);
    XMapWindow(dpy, w);
    for (XEvent e;;) { XNextEvent(dpy, &e); if (e.type == MapNotify) break; }
    printf("0x%lx\n", w);
    fflush(stdout);
    for (;;) pause();
}
