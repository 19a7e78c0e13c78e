#include "saver/device_pointer.h"

namespace chronivo {

// Qt alone knows the pointer here: its logical position, scaled by the caller.
std::optional<QPoint> NativePointerPosition() {
    return std::nullopt;
}

bool NativePointerMoveTo(QPoint /*devicePixels*/) {
    return false;
}

} // namespace chronivo
