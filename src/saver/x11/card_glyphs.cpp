#include "saver/x11/card_glyphs.h"

#include <freetype/ftoutln.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>

#include "saver/x11/outline_strips.h"

namespace kel::x11 {

namespace {

// A box coordinate in whole pixels, rounded down, from 26.6 fixed point.
long FloorPixels(FT_Pos value) { return value >= 0 ? value / 64 : -((-value + 63) / 64); }
long CeilPixels(FT_Pos value) { return -FloorPixels(-value); }

// The segment is attached under a handler of its own: a server that cannot
// reach the caller's memory (another host, another namespace) refuses it,
// and that refusal is an answer here, not a fault of the run.
bool attachRefused = false;
int NoteRefusal(Display*, XErrorEvent*) {
    attachRefused = true;
    return 0;
}

// The largest mask drawn this way: a card on a very large screen fits, a
// runaway size does not take the machine's shared memory.
constexpr std::size_t kMaxSegmentBytes = 64u * 1024 * 1024;

}  // namespace

CardGlyphs::CardGlyphs(Display* display) : display_(display) {
    int major = 0, minor = 0;
    Bool sharedPixmaps = False;
    int event = 0, error = 0;
    usable_ = XShmQueryVersion(display_, &major, &minor, &sharedPixmaps) &&
              XRenderQueryExtension(display_, &event, &error) &&
              XRenderFindStandardFormat(display_, PictStandardA8) != nullptr;
    segment_.shmid = -1;
}

CardGlyphs::~CardGlyphs() {
    for (const Mask& mask : kept_) {
        XRenderFreePicture(display_, mask.picture);
        XFreePixmap(display_, mask.pixmap);
    }
    if (gc_ != nullptr) XFreeGC(display_, gc_);
    ReleaseSegment();
}

// The server may still be reading the segment for the last put: the
// completion it sends for it (or any later answer) says it is done. By the
// next card it has long come in with the events; only where it has not is
// there a round trip.
void CardGlyphs::WaitForServer() {
    if (lastPut_ == 0) return;
    if (LastKnownRequestProcessed(display_) < lastPut_) XEventsQueued(display_, QueuedAfterReading);
    if (LastKnownRequestProcessed(display_) < lastPut_) XSync(display_, False);
    lastPut_ = 0;
}

void CardGlyphs::ReleaseSegment() {
    if (segment_.shmaddr == nullptr) return;
    WaitForServer();
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    shmdt(segment_.shmaddr);
    segment_.shmaddr = nullptr;
    segment_.shmid = -1;
    segmentBytes_ = 0;
}

// A segment of at least `bytes`, attached on both sides; marked for removal
// at once, so that it goes with the process however the process ends.
bool CardGlyphs::Segment(std::size_t bytes) {
    if (segment_.shmaddr != nullptr && segmentBytes_ >= bytes) return true;
    if (bytes > kMaxSegmentBytes) return false;
    ReleaseSegment();
    const std::size_t size = std::max<std::size_t>((bytes + 0xFFFF) & ~std::size_t{0xFFFF}, 256 * 1024);
    const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0) {
        usable_ = false;
        return false;
    }
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        usable_ = false;
        return false;
    }
    segment_.shmid = id;
    segment_.shmaddr = static_cast<char*>(address);
    segment_.readOnly = True;
    attachRefused = false;
    XSync(display_, False);  // earlier errors go to the program's handler
    XErrorHandler previous = XSetErrorHandler(NoteRefusal);
    const Bool sent = XShmAttach(display_, &segment_);
    XSync(display_, False);
    XSetErrorHandler(previous);
    shmctl(id, IPC_RMID, nullptr);
    if (!sent || attachRefused) {
        shmdt(address);
        segment_.shmaddr = nullptr;
        segment_.shmid = -1;
        usable_ = false;
        return false;
    }
    segmentBytes_ = size;
    return true;
}

const CardGlyphs::Mask* CardGlyphs::Find(FT_Face face, FT_UInt index, FT_Int32 flags, int pixels) {
    for (Mask& mask : kept_) {
        if (mask.face == face && mask.index == index && mask.flags == flags && mask.pixels == pixels) {
            mask.used = ++clock_;
            return &mask;
        }
    }
    return nullptr;
}

void CardGlyphs::Keep(const Mask& mask) {
    const std::size_t bytes = std::size_t{mask.width} * mask.height;
    while (!kept_.empty() && keptBytes_ + bytes > kKeptBytes) {
        auto oldest = std::min_element(kept_.begin(), kept_.end(),
                                       [](const Mask& a, const Mask& b) { return a.used < b.used; });
        XRenderFreePicture(display_, oldest->picture);
        XFreePixmap(display_, oldest->pixmap);
        keptBytes_ -= std::size_t{oldest->width} * oldest->height;
        kept_.erase(oldest);
    }
    kept_.push_back(mask);
    kept_.back().used = ++clock_;
    keptBytes_ += bytes;
}

// In strips of rows (OutlineStrips), each cleared just before it is
// rendered, while still in the cache.
bool CardGlyphs::RenderInStrips(FT_Library library, const FT_Outline& outline, unsigned char* buffer,
                                unsigned width, unsigned height, int pitch) {
    OutlineStrips strips(outline);
    const std::size_t stride = static_cast<std::size_t>(pitch);
    for (unsigned row = 0; row < height; row += OutlineStrips::kRows) {  // from the bottom, as FreeType counts
        const unsigned rows = std::min<unsigned>(OutlineStrips::kRows, height - row);
        unsigned char* rowsStart = buffer + static_cast<std::size_t>(height - row - rows) * stride;
        std::memset(rowsStart, 0, rows * stride);
        const FT_Pos low = static_cast<FT_Pos>(row) * 64;
        FT_Outline strip = strips.Within(low, static_cast<FT_Pos>(row + rows) * 64, low);
        if (strip.n_contours == 0) continue;
        FT_Bitmap target{};
        target.rows = rows;
        target.width = width;
        target.pitch = pitch;
        target.buffer = rowsStart;
        target.num_grays = 256;
        target.pixel_mode = FT_PIXEL_MODE_GRAY;
        if (FT_Outline_Get_Bitmap(library, &strip, &target) != 0) return false;
    }
    return true;
}

// The glyph's outline rendered as FreeType renders it for Xft: the control
// box rounded out to whole pixels, greyscale coverage, rows top down; then
// put into an 8-bit pixmap of the server's, read from the segment.
bool CardGlyphs::Render(FT_Face face, FT_UInt index, FT_Int32 flags, int pixels, Mask* made) {
    if (FT_Load_Glyph(face, index, flags & ~FT_LOAD_RENDER) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    // FreeType renders overlapping contours oversampled: not this way.
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE || (slot->outline.flags & FT_OUTLINE_OVERLAP) != 0) {
        return false;
    }
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    const long left = FloorPixels(box.xMin), bottom = FloorPixels(box.yMin);
    const long right = CeilPixels(box.xMax), top = CeilPixels(box.yMax);
    if (right - left > 0x7FFF || top - bottom > 0x7FFF) return false;
    *made = Mask{face, index, flags, pixels, 0, 0, static_cast<int>(left), static_cast<int>(top),
                 static_cast<unsigned>(right - left), static_cast<unsigned>(top - bottom), 0};
    if (made->width == 0 || made->height == 0) return true;  // a space: nothing to draw

    XImage* image = XShmCreateImage(display_, DefaultVisual(display_, DefaultScreen(display_)), 8,
                                    ZPixmap, nullptr, &segment_, made->width, made->height);
    if (image == nullptr) return false;
    const std::size_t bytes = static_cast<std::size_t>(image->bytes_per_line) * made->height;
    if (!Segment(bytes)) {
        XFree(image);
        return false;
    }
    WaitForServer();
    image->data = segment_.shmaddr;
    FT_Outline_Translate(&slot->outline, -left * 64, -bottom * 64);
    if (!RenderInStrips(slot->library, slot->outline, reinterpret_cast<unsigned char*>(segment_.shmaddr),
                        made->width, made->height, image->bytes_per_line)) {
        XFree(image);
        return false;
    }
    const Window root = DefaultRootWindow(display_);
    made->pixmap = XCreatePixmap(display_, root, made->width, made->height, 8);
    if (gc_ == nullptr) {
        XGCValues values{};
        values.graphics_exposures = False;
        gc_ = XCreateGC(display_, made->pixmap, GCGraphicsExposures, &values);
    }
    lastPut_ = NextRequest(display_);
    XShmPutImage(display_, made->pixmap, gc_, image, 0, 0, 0, 0, made->width, made->height, True);
    XFree(image);  // the data is the segment's
    made->picture = XRenderCreatePicture(display_, made->pixmap,
                                         XRenderFindStandardFormat(display_, PictStandardA8), 0, nullptr);
    return true;
}

bool CardGlyphs::Draw(FT_Face face, FT_UInt index, FT_Int32 flags, int pixels, Picture source,
                      Picture target, int x, int y) {
    const FT_Render_Mode mode = FT_LOAD_TARGET_MODE(flags);
    if (!usable_ || face == nullptr || source == 0 || target == 0 ||
        (mode != FT_RENDER_MODE_NORMAL && mode != FT_RENDER_MODE_LIGHT)) {
        return false;
    }
    const Mask* mask = Find(face, index, flags, pixels);
    if (mask == nullptr) {
        Mask made{};
        if (!Render(face, index, flags, pixels, &made)) return false;
        if (made.width == 0 || made.height == 0) return true;
        Keep(made);
        mask = &kept_.back();
    }
    XRenderComposite(display_, PictOpOver, source, mask->picture, target, 0, 0, 0, 0, x + mask->left,
                     y - mask->top, mask->width, mask->height);
    return true;
}

}  // namespace kel::x11
