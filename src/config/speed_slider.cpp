#include "config/speed_slider.h"

#include <QMouseEvent>

namespace chronivo {

SpeedSlider::SpeedSlider(QWidget* parent)
    : QSlider(Qt::Horizontal, parent) {}

void SpeedSlider::mouseReleaseEvent(QMouseEvent* event) {
    const bool leftButton = event->button() == Qt::LeftButton;
    // The slider finishes its own move (and stops a groove click's repeat) before the dialog
    // looks at the position.
    QSlider::mouseReleaseEvent(event);
    if (leftButton) {
        Q_EMIT MouseReleased();
    }
}

} // namespace chronivo
