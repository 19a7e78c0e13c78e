#include "saver/surface_buffers.h"

#include "saver/saver_window_base.h"

#include <QGuiApplication>
#include <QPointer>
#include <QSysInfo>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <vector>

namespace chronivo {

namespace {

// At most this many buffers: one on screen, one the compositor may still be reading, one to
// draw into.
constexpr std::size_t kMaxBuffers = 3;

// One wl_shm buffer and the image over its memory.
struct ShmBuffer {
    wl_buffer* buffer = nullptr;
    void* memory = MAP_FAILED;
    std::size_t bytes = 0;
    QImage image;
    bool busy = false; // attached and not yet released by the compositor

    ~ShmBuffer() {
        if (buffer != nullptr) {
            wl_buffer_destroy(buffer);
        }
        if (memory != MAP_FAILED) {
            munmap(memory, bytes);
        }
    }
};

const wl_buffer_listener kBufferListener = {
    [](void* data, wl_buffer* /*buffer*/) { static_cast<ShmBuffer*>(data)->busy = false; },
};

const wl_registry_listener kRegistryListener = {
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
       std::uint32_t /*version*/) {
        if (std::strcmp(interface, wl_shm_interface.name) == 0) {
            *static_cast<wl_shm**>(data) =
                static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        }
    },
    [](void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {},
};

// Whether the Qt running is the one built against, whose platform interface this code calls.
bool SameQt() {
    const QByteArray running(qVersion());
    const QByteArray built(QT_VERSION_STR);
    return running.left(running.lastIndexOf('.')) == built.left(built.lastIndexOf('.'));
}

class WaylandBuffers final : public SurfaceBuffers {
public:
    // The buffers' events (their release) come on a queue of their own, which only this object
    // dispatches, so Qt's handling of its own objects is never involved.
    WaylandBuffers(QWindow& window, wl_display* display)
        : m_window(&window)
        , m_display(display)
        , m_queue(wl_display_create_queue(display)) {
        auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), m_queue);
        wl_registry* registry = wl_display_get_registry(wrapped);
        wl_registry_add_listener(registry, &kRegistryListener, &m_shm);
        wl_display_roundtrip_queue(display, m_queue);
        wl_registry_destroy(registry);
        wl_proxy_wrapper_destroy(wrapped);
    }
    ~WaylandBuffers() override {
        m_buffers.clear();
        if (m_shm != nullptr) {
            wl_shm_destroy(m_shm);
        }
        wl_event_queue_destroy(m_queue);
    }
    WaylandBuffers(const WaylandBuffers&) = delete;
    WaylandBuffers& operator=(const WaylandBuffers&) = delete;

    bool Usable() const { return m_shm != nullptr; }

    QImage* Acquire(QSize size) override {
        m_acquired = nullptr;
        // The compositor's releases that have come in since the last frame.
        wl_display_dispatch_queue_pending(m_display, m_queue);
        for (auto it = m_buffers.begin(); it != m_buffers.end();) {
            ShmBuffer& buffer = **it;
            if (!buffer.busy && buffer.image.size() != size) {
                it = m_buffers.erase(it); // of a size the window no longer has
                continue;
            }
            if (!buffer.busy && m_acquired == nullptr) {
                m_acquired = &buffer;
            }
            ++it;
        }
        if (m_acquired == nullptr && m_buffers.size() < kMaxBuffers) {
            m_acquired = Make(size);
        }
        return m_acquired != nullptr ? &m_acquired->image : nullptr;
    }

    bool Present() override {
        // Asked afresh each time: Qt makes a new surface when it shows the window again.
        auto* surface =
            m_window != nullptr
                ? static_cast<wl_surface*>(
                      QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface",
                                                                                          m_window))
                : nullptr;
        if (surface == nullptr || m_acquired == nullptr) {
            return false;
        }
        wl_surface_attach(surface, m_acquired->buffer, 0, 0);
        wl_surface_damage(surface, 0, 0, INT32_MAX, INT32_MAX);
        wl_surface_commit(surface);
        m_acquired->busy = true;
        m_acquired = nullptr;
        wl_display_flush(m_display);
        return true;
    }

private:
    // A new buffer of `size` device pixels, kept in m_buffers; null when one cannot be made.
    ShmBuffer* Make(QSize size) {
        if (size.isEmpty()) {
            return nullptr;
        }
        const int stride = size.width() * 4;
        auto made = std::make_unique<ShmBuffer>();
        made->bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(size.height());
        const int fd = memfd_create("chronivo-frame", MFD_CLOEXEC);
        if (fd < 0) {
            return nullptr;
        }
        if (ftruncate(fd, static_cast<off_t>(made->bytes)) == 0) {
            made->memory = mmap(nullptr, made->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        }
        if (made->memory == MAP_FAILED) {
            close(fd);
            return nullptr;
        }
        wl_shm_pool* pool = wl_shm_create_pool(m_shm, fd, static_cast<std::int32_t>(made->bytes));
        made->buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride,
                                                 WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        wl_buffer_add_listener(made->buffer, &kBufferListener, made.get());
        // 0xffRRGGBB in the machine's order is XRGB8888 on a little-endian machine.
        made->image = QImage(static_cast<uchar*>(made->memory), size.width(), size.height(), stride,
                             QImage::Format_RGB32);
        m_buffers.push_back(std::move(made));
        return m_buffers.back().get();
    }

    QPointer<QWindow> m_window;
    wl_display* m_display;
    wl_event_queue* m_queue;
    wl_shm* m_shm = nullptr;
    std::vector<std::unique_ptr<ShmBuffer>> m_buffers;
    ShmBuffer* m_acquired = nullptr;
};

} // namespace

std::unique_ptr<SurfaceBuffers> SurfaceBuffers::For(QWindow& window) {
    if (!IsWaylandPlatform(QGuiApplication::platformName()) || !SameQt() ||
        QSysInfo::ByteOrder != QSysInfo::LittleEndian) {
        return nullptr;
    }
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto* display =
        native != nullptr
            ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"))
            : nullptr;
    if (display == nullptr || native->nativeResourceForWindow("surface", &window) == nullptr) {
        return nullptr;
    }
    auto buffers = std::make_unique<WaylandBuffers>(window, display);
    if (!buffers->Usable()) {
        return nullptr;
    }
    return buffers;
}

} // namespace chronivo
