// The Wayland host: the compositor's globals, the host made on them, and the
// start of the run.
#include "saver/wayland/wayland_host.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "data/paths.h"
#include "platform/errors.h"
#include "platform/linux/end_signals.h"
#include "saver/wayland/host.h"

namespace kel::wayland {

namespace {

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    auto* c = static_cast<Connection*>(data);
    auto bind = [&](const wl_interface* wanted, std::uint32_t highest) {
        return wl_registry_bind(registry, name, wanted, std::min(version, highest));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= 4) {
        c->compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_subcompositor_interface.name) == 0) {
        c->subcompositor = static_cast<wl_subcompositor*>(bind(&wl_subcompositor_interface, 1));
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
        c->viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        c->shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        c->layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && c->seat == nullptr && version >= 2) {
        c->seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
        wl_seat_add_listener(c->seat, &kSeatListener, c);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= 2) {
        auto output = std::make_unique<Output>();
        output->host = c->host;
        output->name = name;
        output->output = static_cast<wl_output*>(bind(&wl_output_interface, 2));
        wl_output_add_listener(output->output, &kOutputListener, output.get());
        c->outputs.push_back(std::move(output));
    }
}
void OnGlobalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* c = static_cast<Connection*>(data);
    if (c->host != nullptr) {
        c->host->OutputGone(name);
        return;
    }
    c->outputs.erase(std::remove_if(c->outputs.begin(), c->outputs.end(),
                                    [&](const std::unique_ptr<Output>& o) { return o->name == name; }),
                     c->outputs.end());
}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

// --- the host

SaverHost::SaverHost(Connection& connection, double dpi, const x11::Options& options)
    : c_(connection),
      dpi_(dpi),
      label1_(dpi, [this](const PixelRect&) { Invalidate(); }),
      label2_(dpi, [this](const PixelRect&) { Invalidate(); }),
      profile_(seam_.profile, options.overrides),
      platform_{label1_, label2_, *this, sound_, speaker_, seam_.files, profile_, seam_.codec,
                seam_.process},
      form_(platform_) {
    c_.host = this;
    for (auto& output : c_.outputs) output->host = this;
    SeatCapabilities(c_.seatCapabilities);
}

Compositor ProbeCompositor() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (name == nullptr || *name == '\0') return Compositor::Unreachable;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return Compositor::Unreachable;
    bool layerShell = false;
    wl_registry* registry = wl_display_get_registry(display);
    const wl_registry_listener listener = {
        [](void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
            if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) *static_cast<bool*>(data) = true;
        },
        [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry_add_listener(registry, &listener, &layerShell);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!answered) return Compositor::Unreachable;
    return layerShell ? Compositor::LayerShell : Compositor::NoLayerShell;
}

int RunSaver(const x11::Options& options) {
    static Connection c;  // lives until the process ends
    c.display = wl_display_connect(nullptr);
    if (c.display == nullptr) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        throw KelError(ErrorKind::Io, "connecting to the Wayland compositor",
                       std::string("display ") + (name && *name ? name : "(none: WAYLAND_DISPLAY is not set)"),
                       "cannot connect to the compositor");
    }
    c.bufferQueue = wl_display_create_queue(c.display);
    c.registry = wl_display_get_registry(c.display);
    wl_registry_add_listener(c.registry, &kRegistryListener, &c);
    // The globals, then the outputs' descriptions.
    if (wl_display_roundtrip(c.display) < 0 || wl_display_roundtrip(c.display) < 0) {
        throw KelError(ErrorKind::Io, "connecting to the Wayland compositor", "the connection failed");
    }
    if (c.compositor == nullptr || c.subcompositor == nullptr || c.viewporter == nullptr ||
        c.shm == nullptr) {
        throw KelError(ErrorKind::Io, "connecting to the Wayland compositor",
                       "the compositor offers no surfaces in shared memory, subsurfaces or viewports");
    }
    if (c.layerShell == nullptr) {
        throw KelError(ErrorKind::Io, "connecting to the Wayland compositor",
                       "the compositor offers no layer-shell surfaces (zwlr_layer_shell_v1)");
    }
    if (c.outputs.empty()) {
        throw KelError(ErrorKind::Io, "covering the outputs", "the compositor reports no output");
    }
    posix::CatchEndSignals();
    // Sizes in points become pixels as on a 96 DPI screen at the first
    // output's scale.
    const double dpi = 96.0 * c.outputs.front()->scale;
    SaverHost* host = new SaverHost(c, dpi, options);
    host->CoverOutputs();
    // The settings folder is made only once the saver has somewhere to show.
    SetDataDirectory(posix::PrepareDataDirectory(), '/');
    host->form().Load();
    host->Run();
}

}  // namespace kel::wayland
