#include "saver/surface_buffers.h"

namespace chronivo {

std::unique_ptr<SurfaceBuffers> SurfaceBuffers::For(QWindow& /*window*/) {
    return nullptr;
}

} // namespace chronivo
