#include "app/saver_app.h"

#include "app/command_line.h"
#include "app/platform_start.h"
#include "config/config_dialog.h"
#include "config/saver_trial.h"
#include "saver/saver_window.h"
#include "saver/screen_cover.h"
#include "saver/secondary_window.h"
#include "settings/profile_store.h"
#include "time/time_sample.h"

#include <QApplication>
#include <QCoreApplication>

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <utility>

namespace chronivo {

namespace {

// Ends the run with exit code 0 once a saver window has closed. On Wayland the process ends here
// and now: Qt 6.4's Wayland plugin can hang for good when the application object goes (its event
// thread waits for a read that never comes), and a closed saver has nothing left to write.
void EndSaverRun() {
    if (IsWaylandPlatform(QGuiApplication::platformName())) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
    QCoreApplication::exit(0);
}

// The settings of this run: the user's own, or those of the INI file the settings dialog names
// when it runs the saver full screen with choices not yet stored.
std::unique_ptr<ProfileStore> StoreOfProcess() {
    const QString file = qEnvironmentVariable(kSettingsFileVariable);
    if (!file.isEmpty()) {
        return std::make_unique<QSettingsStore>(file);
    }
    return CurrentUserStore();
}

} // namespace

std::int64_t ReplacementWaitMs(const std::optional<TimeSample>& last, TimeSample now) {
    if (!last) {
        return 0;
    }
    if (now.seconds < last->seconds) {
        // The clock was set back: how long ago the last one was is unknown.
        return kReplacementPeriodMs;
    }
    // Unsigned, so that no two moments can overflow the difference.
    const std::uint64_t seconds =
        static_cast<std::uint64_t>(now.seconds) - static_cast<std::uint64_t>(last->seconds);
    if (seconds >= 2) {
        return 0;
    }
    const std::int64_t elapsedMs =
        static_cast<std::int64_t>(seconds) * 1000 + now.millis - last->millis;
    return std::clamp<std::int64_t>(kReplacementPeriodMs - elapsedMs, 0, kReplacementPeriodMs);
}

SaverApp::SaverApp()
    : SaverApp(StoreOfProcess(), SystemClock()) {}

SaverApp::SaverApp(std::unique_ptr<ProfileStore> store, const Clock& clock)
    : m_store(std::move(store))
    , m_clock(clock) {
    m_replacementTimer.setSingleShot(true);
    QObject::connect(&m_replacementTimer, &QTimer::timeout, &m_replacementTimer, [this] {
        // A run whose window has closed is ending and needs no fresh one.
        if (m_mainWnd) {
            ReplaceSaverWindow();
        }
    });
}

SaverApp::~SaverApp() {
    // The saver window deletes itself when it closes; one still open goes with the application,
    // and so do the covers of the other screens.
    for (const QPointer<ScreenCover>& cover : m_covers) {
        delete cover.data();
    }
    for (const QPointer<SecondaryWindow>& window : m_secondaries) {
        delete window.data();
    }
    delete m_mainWnd.data();
}

std::vector<ScreenCover*> SaverApp::Covers() const {
    std::vector<ScreenCover*> covers;
    for (const QPointer<ScreenCover>& cover : m_covers) {
        covers.push_back(cover.data());
    }
    return covers;
}

std::vector<SecondaryWindow*> SaverApp::SecondaryWindows() const {
    std::vector<SecondaryWindow*> windows;
    for (const QPointer<SecondaryWindow>& window : m_secondaries) {
        windows.push_back(window.data());
    }
    return windows;
}

bool SaverApp::InitInstance(const QString& commandLine) {
    switch (ClassifyCommandLine(commandLine)) {
    case StartMode::Saver:
        // The run ends when the saver window closes, never because a replaced window went.
        QApplication::setQuitOnLastWindowClosed(false);
        m_mainWnd = CreateSaverWindow();
        if (m_mainWnd) {
            CoverOtherScreens();
        }
        return true;
    case StartMode::ConfigWithParent:
        RunConfigDialog(QApplication::activeWindow(), *m_store, DesktopBlankOfSession(), m_clock,
                        nullptr, QCoreApplication::applicationFilePath());
        return false;
    case StartMode::ConfigWithoutParent:
        RunConfigDialog(nullptr, *m_store, DesktopBlankOfSession(), m_clock, nullptr,
                        QCoreApplication::applicationFilePath());
        return false;
    }
    return false;
}

void SaverApp::RunConfigOver(QWindow* owner) {
    RunConfigDialog(nullptr, *m_store, DesktopBlankOfSession(), m_clock, owner,
                    QCoreApplication::applicationFilePath());
}

bool SaverApp::InitHosted(QWindow& host, QSize size) {
    // The host ends the run (by a signal); no window of ours ever closes.
    QApplication::setQuitOnLastWindowClosed(false);
    m_host = &host;
    m_hostSize = size;
    m_mainWnd = CreateSaverWindow();
    return m_mainWnd != nullptr;
}

void SaverApp::InputElsewhere() {
    if (m_mainWnd) {
        m_mainWnd->InputElsewhere();
    }
}

void SaverApp::FollowHostSize(QSize size) {
    if (m_host == nullptr || size.isEmpty()) {
        return;
    }
    m_hostSize = size;
    if (!m_mainWnd || m_mainWnd->size() == size) {
        return;
    }
    SaverWindow* fresh = CreateSaverWindow();
    if (fresh == nullptr) {
        // Better the old frames stretched than none: the next size check tries again.
        m_mainWnd->resize(size);
        return;
    }
    // The fresh window is made for the new size: a replacement put off for the old one is moot.
    m_replacementTimer.stop();
    SaverWindow* old = m_mainWnd.data();
    m_mainWnd = fresh;
    old->MarkReplaced();
    old->Retire();
}

SaverWindow* SaverApp::CreateSaverWindow() {
    SaverWindow* window = nullptr;
    try {
        window = new SaverWindow(*this, m_stripePace);
    } catch (...) {
        return nullptr;
    }
    // Settings that could not be read at all are said once; the saver runs with the defaults.
    const QString problem = m_store->ReadProblem();
    if (!problem.isEmpty() && !m_readProblemSaid) {
        m_readProblemSaid = true;
        std::fprintf(stderr, "chronivo: %s\n", problem.toLocal8Bit().constData());
    }
    // Only the main window can close (a replaced one is deleted without closing), and its
    // closing ends the run with exit code 0.
    QObject::connect(window, &SaverWindowBase::Closed, QCoreApplication::instance(), EndSaverRun);
    const bool shown =
        m_host != nullptr ? window->CreateInside(*m_host, m_hostSize) : window->CreateFullScreen();
    if (!shown) {
        delete window;
        return nullptr;
    }
    return window;
}

void SaverApp::RetireCovers() {
    for (const QPointer<ScreenCover>& cover : m_covers) {
        if (cover) {
            cover->Retire();
        }
    }
    m_covers.clear();
    for (const QPointer<SecondaryWindow>& window : m_secondaries) {
        if (window) {
            // Marked too, so that a window whose paint is in progress (its frame failed and asked
            // for this replacement) draws nothing more.
            window->MarkReplaced();
            window->Retire();
        }
    }
    m_secondaries.clear();
}

SecondaryWindow* SaverApp::CreateSecondaryWindow(QScreen& screen) {
    SecondaryWindow* window = nullptr;
    try {
        window = new SecondaryWindow(*this, *m_mainWnd, m_stripePace);
    } catch (...) {
        return nullptr;
    }
    // Input on it ends the run exactly as on the main window.
    QObject::connect(window, &SaverWindowBase::Closed, QCoreApplication::instance(), EndSaverRun);
    if (!window->CreateOnScreen(screen)) {
        delete window;
        return nullptr;
    }
    return window;
}

void SaverApp::CoverOtherScreens() {
    RetireCovers();
    // The settings the main window was made with decide, so all the windows follow one reading.
    const bool frames = m_mainWnd && m_mainWnd->Settings().m_allScreens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen == primary) {
            continue;
        }
        if (frames) {
            if (SecondaryWindow* window = CreateSecondaryWindow(*screen)) {
                m_secondaries.emplace_back(window);
                continue;
            }
            // Black is better than the desktop.
        }
        auto* cover = new ScreenCover;
        // Input on a cover ends the run exactly as on the saver window.
        QObject::connect(cover, &SaverWindowBase::Closed, QCoreApplication::instance(),
                         EndSaverRun);
        if (!cover->CreateOnScreen(*screen)) {
            // That screen shows the desktop; the saver itself still runs.
            delete cover;
            continue;
        }
        m_covers.emplace_back(cover);
    }
}

void SaverApp::ReplaceSaverWindow() {
    const TimeSample now = m_clock.Now();
    const std::int64_t waitMs = ReplacementWaitMs(m_lastReplacement, now);
    if (waitMs > 0) {
        // Too soon after the last one: a window that cannot draw would otherwise be rebuilt in a
        // tight loop. Later requests while the timer runs change nothing.
        if (!m_replacementTimer.isActive()) {
            m_replacementTimer.start(static_cast<int>(waitMs));
        }
        return;
    }
    m_replacementTimer.stop();
    m_lastReplacement = now;
    SaverWindow* fresh = CreateSaverWindow();
    if (fresh == nullptr) {
        return;
    }
    if (m_mainWnd) {
        // Retired here too, since a replacement asked for by the timer comes outside the old
        // window's paint, whose end would otherwise retire it.
        m_mainWnd->MarkReplaced();
        m_mainWnd->Retire();
    }
    // The process-wide mouse state is left as it is, so the distance is still measured from the
    // position recorded before the replacement.
    m_mainWnd = fresh;
    if (m_host == nullptr) {
        CoverOtherScreens();
    }
}

} // namespace chronivo
