#include "saver/wayland/wayland_host.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/paths.h"
#include "platform/errors.h"
#include "platform/linux/end_signals.h"
#include "saver/form1.h"
#include "saver/wayland/ft_label.h"
#include "saver/x11/linux_seam.h"
#include "saver/x11/outline_strips.h"
#include "sound/linux/pulse_sound_player.h"
#include "speech/linux/speechd_voice.h"
#include "viewporter-client.h"
#include "wlr-layer-shell-client.h"

namespace kel::wayland {

namespace {

using Clock = std::chrono::steady_clock;

// How long a one-shot run that ends by itself lets its greeting go on.
constexpr std::uint32_t kGreetingFinishMs = 30000;

// ------------------------------------------------------------ buffers

// One wl_shm buffer of 32-bit pixels in a memory file of its own. The pixels
// are mapped only for the output that shows the sayings: a fresh file reads
// as zeros, which is black in this format, so the others never touch their
// memory. A buffer takes a new size within its file's room without a new
// file: the title card's box changes with every character.
struct Buffer {
    wl_buffer* buffer = nullptr;
    wl_shm_pool* pool = nullptr;
    wl_event_queue* queue = nullptr;
    std::uint32_t* pixels = nullptr;
    std::size_t room = 0;  // bytes of the file
    std::uint32_t format = WL_SHM_FORMAT_XRGB8888;
    int width = 0, height = 0;
    bool busy = false;  // the compositor holds it

    void Shape(int newWidth, int newHeight);
    ~Buffer() {
        if (buffer != nullptr) wl_buffer_destroy(buffer);
        if (pool != nullptr) wl_shm_pool_destroy(pool);
        if (pixels != nullptr) munmap(pixels, room);
    }
};

void OnBufferRelease(void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }
const wl_buffer_listener kBufferListener = {OnBufferRelease};

// Buffers report their release on a queue of their own, so that a paint
// can wait for one without delivering anything else.
void Buffer::Shape(int newWidth, int newHeight) {
    if (buffer != nullptr) wl_buffer_destroy(buffer);
    width = newWidth;
    height = newHeight;
    buffer = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, format);
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(buffer), queue);
    wl_buffer_add_listener(buffer, &kBufferListener, this);
}

// `room` pixels at least: a file larger than the buffer costs nothing until
// its pages are written, and lets the buffer grow without a new file.
std::unique_ptr<Buffer> MakeBuffer(wl_shm* shm, wl_event_queue* queue, int width, int height, bool mapped,
                                   std::uint32_t format = WL_SHM_FORMAT_XRGB8888, std::size_t room = 0) {
    auto made = std::make_unique<Buffer>();
    made->queue = queue;
    made->format = format;
    made->room = std::max(room, static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) * 4;
    const int fd = memfd_create("kel", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(made->room)) != 0) {
        if (fd >= 0) close(fd);
        throw KelError(ErrorKind::Io, "preparing to draw the sayings", "a shared memory file");
    }
    if (mapped) {
        void* memory = mmap(nullptr, made->room, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (memory == MAP_FAILED) {
            close(fd);
            throw KelError(ErrorKind::Io, "preparing to draw the sayings", "mapping shared memory");
        }
        made->pixels = static_cast<std::uint32_t*>(memory);
    }
    made->pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(made->room));
    close(fd);
    made->Shape(width, height);
    return made;
}

// ------------------------------------------------------------ the connection

class SaverHost;

// An output and the saver's surface on it: the background one pixel
// stretched over the output, and on the sayings output the labels in a
// subsurface as large as their ink, so that neither a new background colour
// nor a new title card redraws or holds a whole screen of pixels.
struct Output {
    SaverHost* host = nullptr;
    std::uint32_t name = 0;  // the global's
    wl_output* output = nullptr;
    int scale = 1;
    bool described = false;  // its first description is complete
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    int width = 0, height = 0;  // as configured, in surface units
    bool configured = false;
    bool sayings = false;  // this output shows Form1's screen
    wp_viewport* viewport = nullptr;
    wl_surface* text = nullptr;
    wl_subsurface* textPlace = nullptr;
    std::vector<std::unique_ptr<Buffer>> backs;  // 2 x 2, one colour
    std::vector<std::unique_ptr<Buffer>> texts;  // the labels' ink

    int PixelWidth() const { return width * scale; }
    int PixelHeight() const { return height * scale; }
    void DropBuffers() {
        backs.clear();
        texts.clear();
    }
    void Release() {
        DropBuffers();
        if (textPlace != nullptr) wl_subsurface_destroy(textPlace);
        if (text != nullptr) wl_surface_destroy(text);
        if (viewport != nullptr) wp_viewport_destroy(viewport);
        textPlace = nullptr;
        text = nullptr;
        viewport = nullptr;
        if (layer != nullptr) zwlr_layer_surface_v1_destroy(layer);
        if (surface != nullptr) wl_surface_destroy(surface);
        layer = nullptr;
        surface = nullptr;
        configured = false;
    }
    ~Output() {
        Release();
        if (output != nullptr) wl_output_destroy(output);
    }
};

struct Connection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_subcompositor* subcompositor = nullptr;
    wp_viewporter* viewporter = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    wl_event_queue* bufferQueue = nullptr;
    std::uint32_t seatCapabilities = 0;
    std::vector<std::unique_ptr<Output>> outputs;  // in the order announced
    SaverHost* host = nullptr;
};

// ------------------------------------------------------------ the host

class SaverHost : public SaverWindow {
public:
    SaverHost(Connection& connection, double dpi, const x11::Options& options);

    Form1& form() { return form_; }
    // Covers every output described so far and waits until Form1's output
    // has its size.
    void CoverOutputs();
    // After Load: the event loop, Timer1 as its deadline. Never returns.
    [[noreturn]] void Run();

    // SaverWindow
    void SetBackColor(std::uint32_t colour) override;
    void SetLeftTop(float, float) override {}
    void SetSize(float, float) override {}
    void Show() override;
    void EnableTimer(bool enabled) override;
    void MakeTopmost() override {}
    void Unload() override;
    float ScreenWidthTwips() const override { return screen_.width * TwipsPerPixel(); }
    float ScreenHeightTwips() const override { return screen_.height * TwipsPerPixel(); }
    void PumpEvents() override;
    void Sleep(std::uint32_t milliseconds) override;
    void WaitForEvents(std::uint32_t milliseconds) override;

    // From the protocol's listeners.
    void OutputDescribed(Output& output);
    void OutputGone(std::uint32_t name);
    void Configured(Output& output, int width, int height);
    void SurfaceClosed(Output& output);
    void KeyPressed();
    void PointerEntered(wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, double x, double y);
    void PointerMoved(double x, double y);
    void Button(std::uint32_t button, bool pressed);
    void SeatCapabilities(std::uint32_t capabilities);

private:
    float TwipsPerPixel() const { return static_cast<float>(1440.0 / dpi_); }
    void Cover(Output& output);
    Output* SayingsOutput();
    void ChooseSayingsOutput();
    void Invalidate() { textChanged_ = true; }
    // Everything drawn again, whatever was shown before (a new surface or size).
    void RepaintAll() {
        backChanged_ = textChanged_ = true;
        shownKnown_ = false;
    }
    PixelRect TextBox(int scale) const;
    void Present(Output& output);
    void Paint();
    Buffer* FreeBuffer(std::vector<std::unique_ptr<Buffer>>& buffers, int width, int height,
                       std::uint32_t format, std::size_t room = 0);
    void ReadEvents();
    [[noreturn]] void CloseFromSystem();
    [[noreturn]] void ConnectionLost();
    void QueryUnloadOnce();
    void Hide();
    void LetGreetingFinish();
    // Waits until the deadline for the signal pipe, and for the compositor's
    // events too when `withEvents`; true when something is there to read.
    bool WaitUntil(Clock::time_point deadline, bool withEvents);

    Connection& c_;
    double dpi_;
    PixelRect screen_;  // Form1's screen: the sayings output's pixels
    bool backChanged_ = true;  // since the last commit
    bool textChanged_ = true;
    // What the labels' surface shows, as of the last commit.
    bool shownKnown_ = false;
    FreeTypeLabel::Look shown1_, shown2_;

    FreeTypeLabel label1_, label2_;
    posix::PulseSoundPlayer sound_;
    posix::SpeechDispatcherSpeaker speaker_;
    x11::LinuxSeam seam_;
    x11::OverridingProfile profile_;
    SaverPlatform platform_;
    Form1 form_;

    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    wl_surface* pointerSurface_ = nullptr;
    double pointerX_ = -1, pointerY_ = -1;
    unsigned pressedButtons_ = 0;  // pressed over the saver, not yet released

    std::uint32_t background_ = 0;  // 0x00RRGGBB
    bool shown_ = false;
    bool hidden_ = false;
    bool timerOn_ = false;
    Clock::time_point timerDue_;
    bool unloading_ = false;
    bool queryUnloadRan_ = false;
    bool closedBySystem_ = false;
    bool inInput_ = false;  // an input event is being handled
    bool lost_ = false;     // the compositor is gone
};

// --- listeners

void OnOutputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                      std::int32_t, const char*, const char*, std::int32_t) {}
void OnOutputMode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}
void OnOutputDone(void* data, wl_output*) {
    auto* output = static_cast<Output*>(data);
    const bool first = !output->described;
    output->described = true;
    if (first && output->host != nullptr) output->host->OutputDescribed(*output);
}
void OnOutputScale(void* data, wl_output*, std::int32_t factor) {
    static_cast<Output*>(data)->scale = std::max(1, std::min(factor, 8));
}
void OnOutputText(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {OnOutputGeometry, OnOutputMode, OnOutputDone,
                                            OnOutputScale,    OnOutputText, OnOutputText};

void OnLayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                      std::uint32_t height) {
    auto* output = static_cast<Output*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    output->host->Configured(*output, static_cast<int>(std::min<std::uint32_t>(width, 1 << 15)),
                             static_cast<int>(std::min<std::uint32_t>(height, 1 << 15)));
}
void OnLayerClosed(void* data, zwlr_layer_surface_v1*) {
    auto* output = static_cast<Output*>(data);
    output->host->SurfaceClosed(*output);
}
const zwlr_layer_surface_v1_listener kLayerListener = {OnLayerConfigure, OnLayerClosed};

void OnKeymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); }
void OnKeyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void OnKeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void OnKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED) static_cast<SaverHost*>(data)->KeyPressed();
}
void OnModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                 std::uint32_t) {}
void OnRepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
const wl_keyboard_listener kKeyboardListener = {OnKeymap, OnKeyboardEnter, OnKeyboardLeave,
                                                OnKey,    OnModifiers,     OnRepeatInfo};

void OnPointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface,
                    wl_fixed_t x, wl_fixed_t y) {
    static_cast<SaverHost*>(data)->PointerEntered(pointer, serial, surface, wl_fixed_to_double(x),
                                                  wl_fixed_to_double(y));
}
void OnPointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
void OnPointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
    static_cast<SaverHost*>(data)->PointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void OnPointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                     std::uint32_t state) {
    static_cast<SaverHost*>(data)->Button(button, state == WL_POINTER_BUTTON_STATE_PRESSED);
}
void OnPointerAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void OnPointerFrame(void*, wl_pointer*) {}
void OnPointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
void OnPointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void OnPointerAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
const wl_pointer_listener kPointerListener = {
    OnPointerEnter,      OnPointerLeave,    OnPointerMotion,       OnPointerButton,      OnPointerAxis,
    OnPointerFrame,      OnPointerAxisSource, OnPointerAxisStop, OnPointerAxisDiscrete, OnPointerAxisDiscrete};

void OnSeatCapabilities(void* data, wl_seat*, std::uint32_t capabilities) {
    auto* c = static_cast<Connection*>(data);
    c->seatCapabilities = capabilities;
    if (c->host != nullptr) c->host->SeatCapabilities(capabilities);
}
void OnSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {OnSeatCapabilities, OnSeatName};

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

Output* SaverHost::SayingsOutput() {
    for (auto& output : c_.outputs) {
        if (output->sayings) return output.get();
    }
    return nullptr;
}

// The first output that has its surface shows the sayings; should it go,
// the next one takes them over.
void SaverHost::ChooseSayingsOutput() {
    if (SayingsOutput() != nullptr) return;
    for (auto& output : c_.outputs) {
        if (output->layer == nullptr) continue;
        output->sayings = true;
        output->DropBuffers();
        if (output->configured) {
            screen_ = PixelRect{0, 0, output->PixelWidth(), output->PixelHeight()};
            RepaintAll();
            if (shown_) Present(*output);
        }
        return;
    }
    screen_ = PixelRect{};
}

void SaverHost::Cover(Output& output) {
    if (output.layer != nullptr || hidden_) return;
    output.surface = wl_compositor_create_surface(c_.compositor);
    output.viewport = wp_viewporter_get_viewport(c_.viewporter, output.surface);
    output.layer = zwlr_layer_shell_v1_get_layer_surface(c_.layerShell, output.surface, output.output,
                                                         ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "kel");
    zwlr_layer_surface_v1_add_listener(output.layer, &kLayerListener, &output);
    zwlr_layer_surface_v1_set_anchor(output.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT |
                                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(output.layer, 0, 0);
    // Over panels too: no other surface's exclusive zone moves it.
    zwlr_layer_surface_v1_set_exclusive_zone(output.layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(output.layer,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    wl_surface_commit(output.surface);
    ChooseSayingsOutput();
}

void SaverHost::CoverOutputs() {
    for (auto& output : c_.outputs) {
        if (output->described) Cover(*output);
    }
    for (int i = 0; i < 50; ++i) {
        Output* sayings = SayingsOutput();
        if (sayings != nullptr && sayings->configured) return;
        if (wl_display_roundtrip(c_.display) < 0) break;
    }
    throw KelError(ErrorKind::Io, "covering the outputs", "the compositor gave the saver no surface");
}

void SaverHost::OutputDescribed(Output& output) { Cover(output); }

void SaverHost::OutputGone(std::uint32_t name) {
    auto found = std::find_if(c_.outputs.begin(), c_.outputs.end(),
                              [&](const std::unique_ptr<Output>& o) { return o->name == name; });
    if (found == c_.outputs.end()) return;
    const bool hadSayings = (*found)->sayings;
    if ((*found)->surface == pointerSurface_) pointerSurface_ = nullptr;
    c_.outputs.erase(found);
    if (hadSayings) ChooseSayingsOutput();
}

void SaverHost::SurfaceClosed(Output& output) {
    // The compositor took the surface away (its output is going): released
    // now, the output itself when its global goes.
    const bool hadSayings = output.sayings;
    if (output.surface == pointerSurface_) pointerSurface_ = nullptr;
    output.Release();
    output.sayings = false;
    if (hadSayings) ChooseSayingsOutput();
}

void SaverHost::Configured(Output& output, int width, int height) {
    if (width <= 0 || height <= 0) return;
    const bool resized = !output.configured || width != output.width || height != output.height;
    output.width = width;
    output.height = height;
    output.configured = true;
    if (!resized) return;
    output.DropBuffers();
    if (output.sayings) {
        screen_ = PixelRect{0, 0, output.PixelWidth(), output.PixelHeight()};
        RepaintAll();
    }
    if (shown_) Present(output);
}

// The background buffer's top-left pixel stretched over the output. The
// buffer has four pixels of the one colour: a compositor that samples a
// little past the pixel at the far edges still finds the colour there.
void StretchBackground(Output& output) {
    wp_viewport_set_source(output.viewport, 0, 0, wl_fixed_from_int(1), wl_fixed_from_int(1));
    wp_viewport_set_destination(output.viewport, output.width, output.height);
    wl_surface_damage_buffer(output.surface, 0, 0, 2, 2);
}

// An output without the sayings shows one black pixel, stretched; the
// sayings output its drawing.
void SaverHost::Present(Output& output) {
    if (!output.configured || hidden_ || output.layer == nullptr) return;
    if (output.sayings) {
        RepaintAll();
        Paint();
        return;
    }
    if (output.backs.empty()) output.backs.push_back(MakeBuffer(c_.shm, c_.bufferQueue, 2, 2, false));
    wl_surface_attach(output.surface, output.backs[0]->buffer, 0, 0);
    StretchBackground(output);
    wl_surface_commit(output.surface);
}

void SaverHost::SetBackColor(std::uint32_t colour) {
    const std::uint32_t pixel = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    if (pixel == background_) return;
    background_ = pixel;
    backChanged_ = true;  // the labels are drawn on a transparent buffer
}

// A buffer of this size that the compositor does not hold (one of another
// size is reshaped). Two are made; with both held, the compositor gives one
// back by its next frame, which is waited for a little; a third is made
// only when that does not come. Their files have room for `room` pixels:
// the labels' for the whole screen, so that a larger title card never needs
// a new file, whose every page the system would fault in and clear again.
Buffer* SaverHost::FreeBuffer(std::vector<std::unique_ptr<Buffer>>& buffers, int width, int height,
                              std::uint32_t format, std::size_t room) {
    auto find = [&]() -> Buffer* {
        if (wl_display_dispatch_queue_pending(c_.display, c_.bufferQueue) < 0) return nullptr;
        for (auto& buffer : buffers) {
            if (!buffer->busy && buffer->width == width && buffer->height == height) return buffer.get();
        }
        const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
        for (auto& buffer : buffers) {
            if (buffer->busy) continue;
            if (bytes <= buffer->room) {
                buffer->Shape(width, height);
            } else {
                buffer = MakeBuffer(c_.shm, c_.bufferQueue, width, height, true, format, room);
            }
            return buffer.get();
        }
        return nullptr;
    };
    auto make = [&]() {
        buffers.push_back(MakeBuffer(c_.shm, c_.bufferQueue, width, height, true, format, room));
        return buffers.back().get();
    };
    Buffer* free = find();
    if (free != nullptr) return free;
    if (buffers.size() < 2) return make();
    const auto deadline = Clock::now() + std::chrono::milliseconds(50);
    pollfd fd{wl_display_get_fd(c_.display), POLLIN, 0};
    while (free == nullptr && Clock::now() < deadline) {
        while (wl_display_prepare_read_queue(c_.display, c_.bufferQueue) != 0) {
            if (wl_display_dispatch_queue_pending(c_.display, c_.bufferQueue) < 0) return nullptr;
        }
        wl_display_flush(c_.display);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (poll(&fd, 1, static_cast<int>(std::max<long long>(left, 0))) > 0) {
            if (wl_display_read_events(c_.display) < 0) return nullptr;
        } else {
            wl_display_cancel_read(c_.display);
        }
        free = find();
    }
    if (free == nullptr && buffers.size() < 3) free = make();
    return free;
}

// The shown labels' ink on screen, in whole surface units of this scale.
PixelRect SaverHost::TextBox(int scale) const {
    PixelRect box = Intersect(Union(label1_.InkBounds(), label2_.InkBounds()), screen_);
    if (box.width <= 0 || box.height <= 0) return PixelRect{};
    const int left = box.x / scale * scale, top = box.y / scale * scale;
    const int right = (box.x + box.width + scale - 1) / scale * scale;
    const int bottom = (box.y + box.height + scale - 1) / scale * scale;
    return PixelRect{left, top, right - left, bottom - top};
}

// Shows what changed in one commit: the background pixel, and the labels
// drawn anew in a transparent buffer as large as their ink, which the
// compositor lays over the background.
// With a buffer not to be had, the drawing waits for the next paint.
void SaverHost::Paint() {
    Output* output = SayingsOutput();
    if (!shown_ || hidden_ || output == nullptr || !output->configured) return;
    // A label hidden and shown again as it was (the same character on the
    // next card, a hidden label moved) leaves the screen as it is.
    const FreeTypeLabel::Look look1 = label1_.Shown(), look2 = label2_.Shown();
    if (textChanged_ && shownKnown_ && look1 == shown1_ && look2 == shown2_) textChanged_ = false;
    if (!backChanged_ && !textChanged_) return;
    const int scale = output->scale;
    if (output->text == nullptr) {
        output->text = wl_compositor_create_surface(c_.compositor);
        wl_surface_set_buffer_scale(output->text, scale);
        output->textPlace = wl_subcompositor_get_subsurface(c_.subcompositor, output->text, output->surface);
    }
    const PixelRect box = textChanged_ ? TextBox(scale) : PixelRect{};
    const std::size_t room = std::min<std::size_t>(
        static_cast<std::size_t>(screen_.width) * static_cast<std::size_t>(screen_.height), 1u << 28);
    Buffer* text = box.width > 0
                       ? FreeBuffer(output->texts, box.width, box.height, WL_SHM_FORMAT_ARGB8888, room)
                       : nullptr;
    Buffer* back = backChanged_ ? FreeBuffer(output->backs, 2, 2, WL_SHM_FORMAT_XRGB8888) : nullptr;
    if ((box.width > 0 && text == nullptr) || (backChanged_ && back == nullptr)) return;
    if (textChanged_) {
        if (text == nullptr) {
            wl_surface_attach(output->text, nullptr, 0, 0);
        } else {
            // Strip by strip, each cleared just before it is drawn, while
            // still in the cache (the labels render only the contours that
            // reach into a strip).
            const PixelBuffer target{text->pixels, box.width, box.height, box.width};
            for (int row = 0; row < box.height; row += x11::OutlineStrips::kRows) {
                const int rows = std::min(x11::OutlineStrips::kRows, box.height - row);
                std::memset(text->pixels + static_cast<std::size_t>(row) * box.width, 0,
                            static_cast<std::size_t>(box.width) * rows * 4);
                const PixelRect strip{0, row, box.width, rows};
                label2_.Paint(target, strip, -box.x, -box.y);
                label1_.Paint(target, strip, -box.x, -box.y);
            }
            text->busy = true;
            wl_surface_attach(output->text, text->buffer, 0, 0);
            wl_surface_damage_buffer(output->text, 0, 0, box.width, box.height);
            wl_subsurface_set_position(output->textPlace, box.x / scale, box.y / scale);
        }
        wl_surface_commit(output->text);  // applied with the output's surface
    }
    if (back != nullptr) {
        std::fill_n(back->pixels, 4, background_);
        back->busy = true;
        wl_surface_attach(output->surface, back->buffer, 0, 0);
        StretchBackground(*output);
    }
    wl_surface_commit(output->surface);
    if (textChanged_) {
        shown1_ = look1;
        shown2_ = look2;
        shownKnown_ = true;
    }
    backChanged_ = textChanged_ = false;
    wl_display_flush(c_.display);
}

void SaverHost::Show() {
    shown_ = true;
    for (auto& output : c_.outputs) Present(*output);
    wl_display_flush(c_.display);
}

// SetTimer's meaning: the first expiry one interval from now.
void SaverHost::EnableTimer(bool enabled) {
    if (enabled && !timerOn_) timerDue_ = Clock::now() + std::chrono::milliseconds(Form1::kTimerIntervalMs);
    timerOn_ = enabled;
}

void SaverHost::QueryUnloadOnce() {
    if (queryUnloadRan_) return;
    queryUnloadRan_ = true;
    form_.QueryUnload();
}

// The surfaces go; the outputs show what they showed before.
void SaverHost::Hide() {
    if (hidden_ || lost_) return;
    hidden_ = true;
    for (auto& output : c_.outputs) output->Release();
    wl_display_flush(c_.display);
}

// The window's QueryUnload runs; the caller ends the process right after.
void SaverHost::Unload() {
    if (unloading_) return;
    unloading_ = true;
    timerOn_ = false;
    QueryUnloadOnce();
    LetGreetingFinish();
}

// A one-shot run that ends by itself lets its greeting finish, for a bounded
// time, with the surfaces gone; input or the system's close stops the voice
// at once, and a signal ends the wait.
void SaverHost::LetGreetingFinish() {
    const bool byItself = !(closedBySystem_ || inInput_);
    speaker_.session().EndOfRun(
        byItself && form_.OneShot == 1, kGreetingFinishMs, [this] { Hide(); },
        [this] {
            if (!posix::EndSignalArrived()) return;
            speaker_.Stop();
            seam_.process.EndProgram();
        });
}

void SaverHost::CloseFromSystem() {
    closedBySystem_ = true;
    Unload();
    seam_.process.EndProgram();
}

// The compositor is gone (the session ended): the close step, then the end.
void SaverHost::ConnectionLost() {
    lost_ = true;
    closedBySystem_ = true;
    QueryUnloadOnce();
    speaker_.Stop();
    seam_.process.EndProgram();
}

void SaverHost::SeatCapabilities(std::uint32_t capabilities) {
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (keyboard && keyboard_ == nullptr) {
        keyboard_ = wl_seat_get_keyboard(c_.seat);
        wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
    } else if (!keyboard && keyboard_ != nullptr) {
        wl_keyboard_release(keyboard_);
        keyboard_ = nullptr;
    }
    if (pointer && pointer_ == nullptr) {
        pointer_ = wl_seat_get_pointer(c_.seat);
        wl_pointer_add_listener(pointer_, &kPointerListener, this);
    } else if (!pointer && pointer_ != nullptr) {
        wl_pointer_release(pointer_);
        pointer_ = nullptr;
        pointerSurface_ = nullptr;
    }
}

void SaverHost::KeyPressed() { form_.KeyDown(); }

// The pointer is not drawn over the saver. Its arrival (the surface
// appearing under it) is no movement.
void SaverHost::PointerEntered(wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, double x,
                               double y) {
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    pointerSurface_ = surface;
    pointerX_ = x;
    pointerY_ = y;
}

// Only a changed position is a movement.
void SaverHost::PointerMoved(double x, double y) {
    if (x == pointerX_ && y == pointerY_) return;
    pointerX_ = x;
    pointerY_ = y;
    form_.MouseMove();
}

// A click is a press and the release of the same button over the saver; it
// ends the saver on the release, as on Windows.
void SaverHost::Button(std::uint32_t button, bool pressed) {
    const unsigned bit = 1u << (button & 31);
    if (pressed) {
        pressedButtons_ |= bit;
    } else if ((pressedButtons_ & bit) != 0) {
        pressedButtons_ &= ~bit;
        form_.Click();
    }
}

// Reads what the compositor has sent, without waiting, and delivers it. A
// handler that fails ends the program with the report, as an error in a
// window procedure does on Windows.
void SaverHost::ReadEvents() {
    wl_display* display = c_.display;
    while (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0) ConnectionLost();
    }
    wl_display_flush(display);
    // Reads what is there without waiting (nothing there is no error).
    if (wl_display_read_events(display) < 0) ConnectionLost();
    inInput_ = true;  // whatever ends the saver from here is no natural end
    try {
        if (wl_display_dispatch_pending(display) < 0) ConnectionLost();
    } catch (const KelError& error) {
        x11::ReportError(error);
        _exit(1);
    } catch (const std::exception& error) {
        x11::ReportUnexpected(error.what());
        _exit(1);
    }
    inInput_ = false;
}

void SaverHost::PumpEvents() {
    if (posix::EndSignalArrived()) CloseFromSystem();
    ReadEvents();
    Paint();
}

bool SaverHost::WaitUntil(Clock::time_point deadline, bool withEvents) {
    pollfd fds[2] = {{posix::EndSignalPipe(), POLLIN, 0}, {wl_display_get_fd(c_.display), POLLIN, 0}};
    for (;;) {
        if (withEvents) {
            // Events already read are queued where poll cannot see them.
            if (wl_display_prepare_read(c_.display) != 0) return true;
            wl_display_cancel_read(c_.display);
        }
        wl_display_flush(c_.display);
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return false;
        // Whole milliseconds, rounded up: never wakes early to spin.
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        const int ready = poll(fds, withEvents ? 2 : 1, static_cast<int>(std::min<long long>(ms, 1 << 30)));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

// No events are delivered during a sleep (input waits for the next pump);
// only a signal ends it, since the saver must close within moments then.
void SaverHost::Sleep(std::uint32_t milliseconds) {
    wl_display_flush(c_.display);
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (WaitUntil(deadline, false)) {
        if (posix::EndSignalArrived()) CloseFromSystem();
    }
}

// Lasts `milliseconds` from the call by the monotonic clock: one poll to
// the deadline, whatever arrives meanwhile delivered at once, then the poll
// again to the same deadline.
void SaverHost::WaitForEvents(std::uint32_t milliseconds) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    PumpEvents();
    while (WaitUntil(deadline, true)) PumpEvents();
}

void SaverHost::Run() {
    for (;;) {
        PumpEvents();
        if (timerOn_ && Clock::now() >= timerDue_) {
            form_.Timer1_Timer();
            // Expiries that fell due during the tick are dropped; the next
            // one keeps the timer's own rhythm, within one interval.
            const auto interval = std::chrono::milliseconds(Form1::kTimerIntervalMs);
            const auto now = Clock::now();
            while (timerDue_ <= now) timerDue_ += interval;
            continue;
        }
        WaitUntil(timerOn_ ? timerDue_ : Clock::now() + std::chrono::hours(24), true);
    }
}

}  // namespace

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
