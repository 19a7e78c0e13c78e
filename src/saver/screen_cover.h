#pragma once

#include "saver/saver_window_base.h"

class QScreen;

namespace chronivo {

// A plain black window over one screen other than the primary one, so that while the saver runs
// no screen shows the desktop. It has the saver window's exit rules (it is one of them, drawing
// nothing but black): input on it closes it and ends the run exactly as on the saver window. It
// never takes the focus from the saver window and grabs nothing; the saver window holds the
// grabs.
class ScreenCover : public SaverWindowBase {
    Q_OBJECT
public:
    ScreenCover();
    ~ScreenCover() override;

    // Shows the window frameless, on top, over the whole of `screen` (on Wayland: full screen on
    // its output), pointer invisible. True when the window is on screen.
    bool CreateOnScreen(QScreen& screen);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace chronivo
