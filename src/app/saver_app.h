#pragma once

#include "saver/rainbow.h"
#include "saver/saver_host.h"
#include "time/time_sample.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QScreen;
class QWindow;

namespace chronivo {

class ProfileStore;
class SaverWindow;
class ScreenCover;
class SecondaryWindow;

// The least time between two replacements of the saver window, milliseconds. A window whose
// frames keep failing (a host's window too large for any frame buffer) is then rebuilt once a
// second instead of again and again with no pause.
inline constexpr std::int64_t kReplacementPeriodMs = 1000;

// Milliseconds from `now` until the saver window may be replaced, when it was last replaced at
// `last` (none: never): 0 .. kReplacementPeriodMs. A clock set back before `last` waits the whole
// period, never longer.
std::int64_t ReplacementWaitMs(const std::optional<TimeSample>& last, TimeSample now);

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
    // On a computer with several screens the saver window covers the primary one and each of the
    // others gets a black ScreenCover, or, with the "AllScreens" setting on, a SecondaryWindow
    // that shows the saver's frames composed for that screen; input on any of them ends the run.
    // Screens are looked at when the saver's windows are made: at the start and when they are
    // replaced.
    bool InitInstance(const QString& commandLine);

    // Configuration mode over another program's window `owner` (null: on its own): runs the
    // settings dialog modally, owned by that window, and returns once it has closed.
    void RunConfigOver(QWindow* owner);

    // Hack mode: shows the saver window as a child of `host` (another program's window, which
    // must outlive this object's windows), `size` pixels big, with the frames of saver mode. No
    // input ends the run and no other screen is covered: the host does both. False, with no
    // window left behind, when the window could not be shown.
    bool InitHosted(QWindow& host, QSize size);
    // Hack mode: the host's window is now `size` pixels big. A saver window of another size is
    // replaced by a fresh one of this size, so its frames are composed for the new size from the
    // start (fonts fitted, buffer made) as they are for a new window.
    void FollowHostSize(QSize size);

    // The saver window now on screen; null in configuration mode and once it has gone.
    SaverWindow* MainWindow() const { return m_mainWnd.data(); }
    // The black windows over the screens other than the primary one, in saver mode (still open or
    // retired but not yet deleted; the gone ones are null).
    std::vector<ScreenCover*> Covers() const;
    // The same for the saver's windows on those screens ("AllScreens" on).
    std::vector<SecondaryWindow*> SecondaryWindows() const;

    // The stripes' pace of the run, shared by all its saver windows, replacements included.
    StripePace& Pace() { return m_stripePace; }

    // The idle watcher saw input while the saver shows: the main window ends the run unless it
    // saw the input itself (SaverWindowBase::InputElsewhere).
    void InputElsewhere();

    const ProfileStore& Profile() const override { return *m_store; }
    const Clock& TimeSource() const override { return m_clock; }
    // Shows a fresh saver window built from the settings as stored now, makes it the main window
    // and marks the old one replaced and retired, so that it is deleted once its paint (if one is
    // in progress) has ended. When the fresh window cannot be built or shown, the old one stays
    // the main window. The other screens' windows (covers or secondary windows) are replaced with
    // it, so that a frame failing on any screen makes them all afresh from the same settings.
    //
    // At most one replacement (made or attempted) per kReplacementPeriodMs of the clock: a request
    // that comes sooner is put off, and the replacement timer asks again once the period is over.
    // The old window meanwhile goes on trying its frames, so one that can draw again does so.
    void ReplaceSaverWindow() override;
    // The timer of a put-off replacement: active while one is waiting, single shot.
    const QTimer& ReplacementTimer() const { return m_replacementTimer; }

private:
    // A new saver window on screen, or null (nothing left behind) when it could not be made.
    // Full screen in saver mode, inside the host's window in hack mode.
    SaverWindow* CreateSaverWindow();
    // Retires the other screens' windows and shows fresh ones on every screen but the primary
    // one: secondary windows when the main window's settings ask for them, else black covers (and
    // a cover where a secondary window cannot be shown).
    void CoverOtherScreens();
    void RetireCovers();
    // A secondary window shown on `screen`, or null (nothing left behind).
    SecondaryWindow* CreateSecondaryWindow(QScreen& screen);

    std::unique_ptr<ProfileStore> m_store;
    const Clock& m_clock;
    StripePace m_stripePace;        // handed to every saver window, as the app itself is
    bool m_readProblemSaid = false; // the settings' read problem has been put on stderr
    QPointer<SaverWindow> m_mainWnd;
    std::vector<QPointer<ScreenCover>> m_covers;
    std::vector<QPointer<SecondaryWindow>> m_secondaries;
    QWindow* m_host = nullptr;                   // hack mode: the window drawn into, not owned
    QSize m_hostSize;                            // hack mode: its size, logical pixels
    std::optional<TimeSample> m_lastReplacement; // clock time of the last replacement made or tried
    QTimer m_replacementTimer;                   // asks again for a put-off replacement
};

} // namespace chronivo
