/* Prints what the X server currently draws as the mouse pointer: its size and
 * how many of its pixels are not fully transparent. Screenshots taken with
 * XGetImage never contain the pointer, so the tests ask XFixes instead.
 *
 *   cursor_probe        ->  "<width> <height> <visible pixels>"
 */
#include <stdio.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

int main(void)
{
    Display *dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "cursor_probe: cannot open display\n");
        return 2;
    }
    int event_base, error_base;
    if (!XFixesQueryExtension(dpy, &event_base, &error_base)) {
        fprintf(stderr, "cursor_probe: no XFIXES extension\n");
        return 2;
    }
    XFixesCursorImage *img = XFixesGetCursorImage(dpy);
    if (!img) {
        fprintf(stderr, "cursor_probe: no cursor image\n");
        return 2;
    }
    unsigned long visible = 0;
    for (unsigned long i = 0; i < (unsigned long)img->width * img->height; i++) {
        /* ARGB in the low 32 bits of each long. */
        if (((img->pixels[i] >> 24) & 0xff) != 0)
            visible++;
    }
    printf("%u %u %lu\n", img->width, img->height, visible);
    XFree(img);
    XCloseDisplay(dpy);
    return 0;
}
