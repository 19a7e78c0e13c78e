#pragma once

#include "saver/saver_host.h"

#include <QPointer>
#include <QString>

#include <memory>

namespace chronivo {

class Clock;
class ProfileStore;
class SaverWindow;

// The application's own logic: chooses the mode from the command line, runs the settings dialog
// or starts the saver window, and replaces a saver window whose frame failed. A QApplication
// must exist while it is used.
class SaverApp final : public SaverHost {
public:
    // The current user's settings and the computer's clock.
    SaverApp();
    // Given settings and clock, for tests; `clock` must outlive the object.
    SaverApp(std::unique_ptr<ProfileStore> store, const Clock& clock);
    ~SaverApp() override;

    SaverApp(const SaverApp&) = delete;
    SaverApp& operator=(const SaverApp&) = delete;

    // `commandLine` is the text after the program name. Saver mode ("/s", "-s", "s" in any
    // case): shows the full-screen saver window and returns true; the caller then runs the event
    // loop, which ends with code 0 when the window closes. MainWindow() is null when the window
    // could not be created. Any other text: runs the settings dialog modally (over the active
    // window for "/c", "-c", "c"; on its own otherwise) and returns false once it has closed.
    bool InitInstance(const QString& commandLine);

    // The saver window now on screen; null in configuration mode and once it has gone.
    SaverWindow* MainWindow() const { return m_mainWnd.data(); }

    const ProfileStore& Profile() const override { return *m_store; }
    const Clock& TimeSource() const override { return m_clock; }
    // Shows a fresh saver window built from the settings as stored now, makes it the main window
    // and marks the old one replaced, so that it deletes itself when its paint ends. When the
    // fresh window cannot be built or shown, the old one stays the main window.
    void ReplaceSaverWindow() override;

private:
    // A new saver window on screen, or null (nothing left behind) when it could not be made.
    SaverWindow* CreateSaverWindow();

    std::unique_ptr<ProfileStore> m_store;
    const Clock& m_clock;
    QPointer<SaverWindow> m_mainWnd;
};

} // namespace chronivo
