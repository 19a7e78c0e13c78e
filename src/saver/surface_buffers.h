#pragma once

#include <QImage>
#include <QSize>

#include <memory>

class QWindow;

namespace chronivo {

// Buffers of a window's own that its frames are composed straight into and handed to the
// compositor whole, where the platform lets a program do that: on Wayland, shared memory attached
// to the window's surface. There Qt's own backing store copies the last buffer into the next
// before every paint (33 MB a frame at 3840x2160), though every frame repaints the whole window;
// these buffers are never copied. Elsewhere there are none, and the window paints through Qt.
class SurfaceBuffers {
public:
    virtual ~SurfaceBuffers() = default;

    // The buffers of `window`, which must be shown; null where the platform has none to offer (not
    // Wayland, or a Qt other than the one built against) or they cannot be made.
    static std::unique_ptr<SurfaceBuffers> For(QWindow& window);

    // An image over a buffer of `size` device pixels that the compositor no longer reads,
    // Format_RGB32, for the next frame; null when it still reads every buffer there may be, or
    // one cannot be made (that frame is then left out).
    virtual QImage* Acquire(QSize size) = 0;
    // Shows the buffer Acquire gave, whole, on the window; false when the window has no surface
    // (any more).
    virtual bool Present() = 0;
};

} // namespace chronivo
