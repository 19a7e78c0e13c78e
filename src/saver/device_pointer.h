#pragma once

#include <QPoint>
#include <QPointF>

#include <optional>

namespace chronivo {

// The system pointer in device pixels: the screen's own pixels, whatever scale factor Qt puts
// between them and the logical pixels widgets are measured in (QT_SCALE_FACTOR, a screen's
// device pixel ratio). On X11 the server is asked, and moves the pointer pixel by pixel; elsewhere
// Qt's logical position is scaled by the ratio of the screen under it.
class DevicePointer {
public:
    // Where the pointer is, in device pixels of the whole desktop.
    static QPoint Position();

    // Puts the pointer at `devicePixels` (X11). False, and nothing done, where Qt alone can move
    // the pointer, by whole logical pixels.
    static bool MoveTo(QPoint devicePixels);
};

// The platform's own pointer, where it measures in device pixels (the X server's on X11): where
// it is, and putting it somewhere. Nothing, and false, where only Qt knows the pointer. One
// implementation per platform, chosen by the build.
std::optional<QPoint> NativePointerPosition();
bool NativePointerMoveTo(QPoint devicePixels);

// A logical position scaled to device pixels, `ratio` device pixels to each logical one, and
// rounded to the nearest.
QPoint ToDevicePixels(QPointF logical, qreal ratio);

} // namespace chronivo
