// The outputs: a surface on each, the one that shows the sayings, and what
// is drawn there.
#include <algorithm>
#include <cstring>

#include "platform/errors.h"
#include "saver/layout.h"
#include "saver/wayland/host.h"
#include "saver/x11/outline_strips.h"

namespace kel::wayland {

namespace {

void OnOutputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                      std::int32_t, const char*, const char*, std::int32_t) {}
void OnOutputMode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}
void OnOutputDone(void* data, wl_output*) {
    auto* output = static_cast<Output*>(data);
    const bool first = !output->described;
    output->described = true;
    if (output->host == nullptr) return;
    if (first) {
        output->host->OutputDescribed(*output);
    } else {
        output->host->OutputChanged(*output);
    }
}
void OnOutputScale(void* data, wl_output*, std::int32_t factor) {
    static_cast<Output*>(data)->scale = std::max(1, std::min(factor, 8));
}
void OnOutputText(void*, wl_output*, const char*) {}

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

// The background buffer's top-left pixel stretched over the output. The
// buffer has four pixels of the one colour: a compositor that samples a
// little past the pixel at the far edges still finds the colour there.
void StretchBackground(Output& output) {
    wp_viewport_set_source(output.viewport, 0, 0, wl_fixed_from_int(1), wl_fixed_from_int(1));
    wp_viewport_set_destination(output.viewport, output.width, output.height);
    wl_surface_damage_buffer(output.surface, 0, 0, 2, 2);
}

}  // namespace

const wl_output_listener kOutputListener = {OnOutputGeometry, OnOutputMode, OnOutputDone,
                                            OnOutputScale,    OnOutputText, OnOutputText};

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
            FollowSayingsOutput(*output);
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

// A new scale (or mode) of an output already covered: its configure may
// bring no new size, since the size is counted in surface units. An output
// whose surface the compositor closed but kept is covered again.
void SaverHost::OutputChanged(Output& output) {
    if (output.layer == nullptr) {
        Cover(output);
        return;
    }
    if (!output.sayings || !output.configured) return;
    FollowSayingsOutput(output);
    if (shown_) Paint();
}

// Form1's screen is the sayings output's pixels, and sizes in points become
// pixels at its scale (96 DPI at scale 1), as at the start; what is on
// screen is laid out again for a new size or scale.
void SaverHost::FollowSayingsOutput(const Output& output) {
    const PixelRect screen{0, 0, output.PixelWidth(), output.PixelHeight()};
    const double dpi = 96.0 * output.scale;
    if (screen.width == screen_.width && screen.height == screen_.height && dpi == dpi_) return;
    screen_ = screen;
    if (dpi != dpi_) {
        dpi_ = dpi;
        label1_.SetDpi(dpi);
        label2_.SetDpi(dpi);
    }
    if (shown_) LayOutAgain(form_, label1_, *this);
    RepaintAll();
}

void SaverHost::OutputGone(std::uint32_t name) {
    auto found = std::find_if(c_.outputs.begin(), c_.outputs.end(),
                              [&](const std::unique_ptr<Output>& o) { return o->name == name; });
    if (found == c_.outputs.end()) return;
    const bool hadSayings = (*found)->sayings;
    c_.outputs.erase(found);
    if (hadSayings) ChooseSayingsOutput();
}

void SaverHost::SurfaceClosed(Output& output) {
    // The compositor took the surface away (its output is going): released
    // now, the output itself when its global goes. Should the output stay,
    // its next description covers it again.
    const bool hadSayings = output.sayings;
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
        FollowSayingsOutput(output);
        RepaintAll();
    }
    if (shown_) Present(output);
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
        output->textPlace = wl_subcompositor_get_subsurface(c_.subcompositor, output->text, output->surface);
    }
    if (output->textScale != scale) {
        // Applied with the next buffer, which is drawn at this scale.
        wl_surface_set_buffer_scale(output->text, scale);
        output->textScale = scale;
        textChanged_ = true;
        shownKnown_ = false;
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

}  // namespace kel::wayland
