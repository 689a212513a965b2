/* Gives the headless compositor's seat a pointer for as long as it runs: a
 * virtual pointer (wlroots' virtual-pointer protocol), so that the seat
 * offers pointer input and `swaymsg seat seat0 cursor move` reaches clients.
 * Prints "ready" once the pointer exists, then waits to be ended. */
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

/* The two interfaces as far as used here: the manager's first request makes
 * a pointer for a seat; the pointer itself is never asked anything. */
static const struct wl_interface virtual_pointer_interface = {
    "zwlr_virtual_pointer_v1", 1, 0, NULL, 0, NULL};
static const struct wl_interface *create_types[] = {&wl_seat_interface, &virtual_pointer_interface};
static const struct wl_message manager_requests[] = {{"create_virtual_pointer", "?on", create_types}};
static const struct wl_interface manager_interface = {
    "zwlr_virtual_pointer_manager_v1", 1, 1, manager_requests, 0, NULL};

static struct wl_seat *seat;
static struct wl_proxy *manager;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
    if (strcmp(interface, "wl_seat") == 0 && !seat)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, manager_interface.name) == 0)
        manager = wl_registry_bind(registry, name, &manager_interface, 1);
}
static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {}
static const struct wl_registry_listener registry_listener = {global, global_remove};

int main(void) {
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) { fprintf(stderr, "hold_pointer: no compositor\n"); return 1; }
    wl_registry_add_listener(wl_display_get_registry(display), &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!seat || !manager) { fprintf(stderr, "hold_pointer: no virtual pointers offered\n"); return 1; }
    wl_proxy_marshal_constructor(manager, 0, &virtual_pointer_interface, seat, NULL);
    if (wl_display_roundtrip(display) < 0) { fprintf(stderr, "hold_pointer: refused\n"); return 1; }
    printf("ready\n");
    fflush(stdout);
    while (wl_display_dispatch(display) >= 0) {}
    return 0;
}
