#include "app/saver_app.h"

#include "app/command_line.h"
#include "config/config_dialog.h"
#include "saver/saver_window.h"
#include "saver/screen_cover.h"
#include "settings/profile_store.h"
#include "time/time_sample.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <utility>

namespace chronivo {

SaverApp::SaverApp()
    : SaverApp(QSettingsStore::ForCurrentUser(), SystemClock()) {}

SaverApp::SaverApp(std::unique_ptr<ProfileStore> store, const Clock& clock)
    : m_store(std::move(store))
    , m_clock(clock) {}

SaverApp::~SaverApp() {
    // The saver window deletes itself when it closes; one still open goes with the application,
    // and so do the covers of the other screens.
    for (const QPointer<ScreenCover>& cover : m_covers) {
        delete cover.data();
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
        RunConfigDialog(QApplication::activeWindow(), *m_store, m_clock);
        return false;
    case StartMode::ConfigWithoutParent:
        RunConfigDialog(nullptr, *m_store, m_clock);
        return false;
    }
    return false;
}

bool SaverApp::InitHosted(QWindow& host, QSize size) {
    // The host ends the run (by a signal); no window of ours ever closes.
    QApplication::setQuitOnLastWindowClosed(false);
    m_host = &host;
    m_hostSize = size;
    m_mainWnd = CreateSaverWindow();
    return m_mainWnd != nullptr;
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
    SaverWindow* old = m_mainWnd.data();
    m_mainWnd = fresh;
    old->MarkReplaced();
    old->Retire();
}

SaverWindow* SaverApp::CreateSaverWindow() {
    SaverWindow* window = nullptr;
    try {
        window = new SaverWindow(*this);
    } catch (...) {
        return nullptr;
    }
    // Only the main window can close (a replaced one is deleted without closing), and its
    // closing ends the run with exit code 0.
    QObject::connect(window, &SaverWindowBase::Closed, QCoreApplication::instance(),
                     [] { QCoreApplication::exit(0); });
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
}

void SaverApp::CoverOtherScreens() {
    RetireCovers();
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen == primary) {
            continue;
        }
        auto* cover = new ScreenCover;
        // Input on a cover ends the run exactly as on the saver window.
        QObject::connect(cover, &SaverWindowBase::Closed, QCoreApplication::instance(),
                         [] { QCoreApplication::exit(0); });
        if (!cover->CreateOnScreen(*screen)) {
            // That screen shows the desktop; the saver itself still runs.
            delete cover;
            continue;
        }
        m_covers.emplace_back(cover);
    }
}

void SaverApp::ReplaceSaverWindow() {
    SaverWindow* fresh = CreateSaverWindow();
    if (fresh == nullptr) {
        return;
    }
    if (m_mainWnd) {
        m_mainWnd->MarkReplaced();
    }
    // The process-wide mouse state is left as it is, so the distance is still measured from the
    // position recorded before the replacement.
    m_mainWnd = fresh;
    if (m_host == nullptr) {
        CoverOtherScreens();
    }
}

} // namespace chronivo
