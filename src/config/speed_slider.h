#pragma once

#include <QSlider>

namespace chronivo {

// The colour-speed slider. The dialog settles the speed when the user lets go of the mouse on
// the slider, whether the handle was dragged or the groove clicked; QSlider's own
// sliderReleased covers a dragged handle only, so the release is reported here for both.
// Keyboard moves report nothing.
class SpeedSlider final : public QSlider {
    Q_OBJECT
public:
    explicit SpeedSlider(QWidget* parent);

Q_SIGNALS:
    // The left mouse button went up after a press on the slider; the slider has taken its new
    // position already.
    void MouseReleased();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace chronivo
