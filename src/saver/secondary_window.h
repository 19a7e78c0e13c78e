#pragma once

#include "saver/saver_window.h"

#include <QPointer>

namespace chronivo {

// The saver's frames on one screen other than the primary one (the "AllScreens" setting on): a
// saver window of its own, whose frames are composed for its screen's size, dpi and device pixel
// ratio, with fonts fitted to it, each from a time sample of its own as the main window's are.
// It is shown with CreateOnScreen and has the saver window's exit rules: input on it closes it
// and ends the run exactly as on the main saver window. A frame that fails asks the host for a
// replacement as the main window's does: the main window and every other screen's window are made
// afresh together, from one reading of the settings, and the run goes on.
class SecondaryWindow : public SaverWindow {
    Q_OBJECT
public:
    // `main` is the saver window on the primary screen, made from the same settings and with the
    // same `pace`: its frames keep the stripes' pace for both (see PaceRole).
    SecondaryWindow(SaverHost& host, const SaverWindow& main, StripePace& pace);
    ~SecondaryWindow() override;

protected:
    void DrawFrame(const QRect& updateRect) override;

private:
    QPointer<const SaverWindow> m_main;
};

} // namespace chronivo
