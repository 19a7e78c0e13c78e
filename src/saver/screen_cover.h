#pragma once

#include "saver/saver_window_base.h"

namespace chronivo {

// A plain black window over one screen other than the primary one while the saver runs (the
// "AllScreens" setting off; with it on, a SecondaryWindow), so that no screen shows the desktop.
// It is shown with CreateOnScreen and has the saver window's exit rules: input on it closes it
// and ends the run exactly as on the main saver window.
class ScreenCover : public SaverWindowBase {
    Q_OBJECT
public:
    ScreenCover();
    ~ScreenCover() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace chronivo
