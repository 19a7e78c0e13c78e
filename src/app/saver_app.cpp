#include "app/saver_app.h"

#include "app/command_line.h"
#include "config/config_dialog.h"
#include "saver/saver_window.h"
#include "settings/profile_store.h"
#include "time/time_sample.h"

#include <QApplication>
#include <QCoreApplication>

#include <utility>

namespace chronivo {

SaverApp::SaverApp()
    : SaverApp(QSettingsStore::ForCurrentUser(), SystemClock()) {}

SaverApp::SaverApp(std::unique_ptr<ProfileStore> store, const Clock& clock)
    : m_store(std::move(store))
    , m_clock(clock) {}

SaverApp::~SaverApp() {
    // The saver window deletes itself when it closes; one still open goes with the application.
    delete m_mainWnd.data();
}

bool SaverApp::InitInstance(const QString& commandLine) {
    switch (ClassifyCommandLine(commandLine)) {
    case StartMode::Saver:
        // The run ends when the saver window closes, never because a replaced window went.
        QApplication::setQuitOnLastWindowClosed(false);
        m_mainWnd = CreateSaverWindow();
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
    if (!window->CreateFullScreen()) {
        delete window;
        return nullptr;
    }
    return window;
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
}

} // namespace chronivo
