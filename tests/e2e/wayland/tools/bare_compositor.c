/* A compositor that offers surfaces and nothing else (no layer-shell), as
 * some desktops' compositors do: enough for a client to ask what it offers.
 * Listens on $XDG_RUNTIME_DIR/wayland-bare until ended. */
#include <stdio.h>
#include <wayland-server.h>

static void bind_compositor(struct wl_client *client, void *data, uint32_t version, uint32_t id) {
    struct wl_resource *resource = wl_resource_create(client, &wl_compositor_interface, version, id);
    if (!resource) wl_client_post_no_memory(client);
}

int main(void) {
    struct wl_display *display = wl_display_create();
    if (!display || wl_display_add_socket(display, "wayland-bare") != 0) {
        fprintf(stderr, "bare_compositor: cannot listen\n");
        return 1;
    }
    wl_global_create(display, &wl_compositor_interface, 4, NULL, bind_compositor);
    printf("ready\n");
    fflush(stdout);
    wl_display_run(display);
    return 0;
}
