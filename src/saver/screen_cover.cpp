#include "saver/screen_cover.h"

#include <QPaintEvent>
#include <QPainter>

namespace chronivo {

ScreenCover::ScreenCover() {
    // Black is painted over the whole window on every paint; nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

ScreenCover::~ScreenCover() = default;

void ScreenCover::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
}

} // namespace chronivo
