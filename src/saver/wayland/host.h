// The Wayland host's parts, shared by its files: the shared-memory buffers,
// the outputs and their surfaces, the connection and the host itself.
#pragma once

#include <sys/mman.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/pixel_rect.h"
#include "saver/form1.h"
#include "saver/wayland/ft_label.h"
#include "saver/x11/linux_seam.h"
#include "saver/x11/options.h"
#include "saver/x11/tick_timer.h"
#include "sound/linux/pulse_sound_player.h"
#include "speech/linux/speechd_voice.h"
#include "viewporter-client.h"
#include "wlr-layer-shell-client.h"

namespace kel::wayland {

using Clock = std::chrono::steady_clock;

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

// A buffer of `width` x `height` pixels whose file has room for `room`
// pixels at least: a file larger than the buffer costs nothing until its
// pages are written, and lets the buffer grow without a new file. Its
// release is reported on `queue`.
std::unique_ptr<Buffer> MakeBuffer(wl_shm* shm, wl_event_queue* queue, int width, int height, bool mapped,
                                   std::uint32_t format = WL_SHM_FORMAT_XRGB8888, std::size_t room = 0);

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
    int textScale = 0;  // the buffer scale the text surface was told

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
        textScale = 0;
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
    void EnableTimer(bool enabled) override { timer_.Enable(enabled); }
    void MakeTopmost() override {}
    void Unload() override;
    float ScreenWidthTwips() const override { return screen_.width * TwipsPerPixel(); }
    float ScreenHeightTwips() const override { return screen_.height * TwipsPerPixel(); }
    void PumpEvents() override;
    void Sleep(std::uint32_t milliseconds) override;
    void WaitForEvents(std::uint32_t milliseconds) override;

    // From the protocol's listeners.
    void OutputDescribed(Output& output);
    void OutputChanged(Output& output);
    void OutputGone(std::uint32_t name);
    void Configured(Output& output, int width, int height);
    void SurfaceClosed(Output& output);
    void KeyPressed();
    void PointerEntered(wl_pointer* pointer, std::uint32_t serial, double x, double y);
    void PointerMoved(double x, double y);
    void Button(std::uint32_t button, bool pressed);
    void SeatCapabilities(std::uint32_t capabilities);

private:
    float TwipsPerPixel() const { return static_cast<float>(1440.0 / dpi_); }
    void Cover(Output& output);
    Output* SayingsOutput();
    void ChooseSayingsOutput();
    void FollowSayingsOutput(const Output& output);
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
    void DeliverEvents(bool read);
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
    double pointerX_ = -1, pointerY_ = -1;
    unsigned pressedButtons_ = 0;  // pressed over the saver, not yet released

    std::uint32_t background_ = 0;  // 0x00RRGGBB
    bool shown_ = false;
    bool hidden_ = false;
    x11::TickTimer timer_;
    Clock::time_point lastRead_;  // when PumpEvents last read the connection
    bool unloading_ = false;
    bool queryUnloadRan_ = false;
    bool closedBySystem_ = false;
    bool inInput_ = false;  // an input event is being handled
    bool lost_ = false;     // the compositor is gone
};

// The listeners that one part sets up for another's objects.
extern const wl_output_listener kOutputListener;
extern const wl_seat_listener kSeatListener;

}  // namespace kel::wayland
