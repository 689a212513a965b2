// The shared-memory buffers the saver draws in, and the choice of one the
// compositor does not hold.
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "platform/errors.h"
#include "saver/wayland/host.h"

namespace kel::wayland {

namespace {

void OnBufferRelease(void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }
const wl_buffer_listener kBufferListener = {OnBufferRelease};

}  // namespace

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

std::unique_ptr<Buffer> MakeBuffer(wl_shm* shm, wl_event_queue* queue, int width, int height, bool mapped,
                                   std::uint32_t format, std::size_t room) {
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

}  // namespace kel::wayland
