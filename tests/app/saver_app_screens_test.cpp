#include "app/saver_app.h"

#include "saver/frame_composer.h"
#include "saver/rainbow.h"
#include "saver/saver_window.h"
#include "saver/screen_cover.h"
#include "saver/secondary_window.h"
#include "settings/settings_keys.h"
#include "support/memory_profile_store.h"
#include "support/pump_events.h"
#include "time/time_sample.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <vector>

// These tests need two screens: they run in a QApplication of their own on the offscreen platform
// configured with screen A (800 x 600 at 0,0, the primary, 96 dpi) and screen B (640 x 480 at
// 800,0, 120 dpi at scale factor 1), in UTC.

namespace chronivo {
namespace {

using test::PumpEvents;

const QRect kScreenA(0, 0, 800, 600);
const QRect kScreenB(800, 0, 640, 480);

class TwoScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), kScreenA);
        SaverWindowBase::ResetMouseStateForTesting();
    }
    void TearDown() override {
        m_app.reset();
        PumpEvents();
        SaverWindowBase::ResetMouseStateForTesting();
    }

    // Starts the saver with the "AllScreens" and "Rainbow" settings given, full screen or inside
    // `host`, and lets it paint.
    void Start(int allScreens, int rainbow = 0, QWindow* host = nullptr) {
        m_app.reset();
        PumpEvents();
        auto store = std::make_unique<MemoryProfileStore>();
        ASSERT_TRUE(WriteInt(*store, keys::AllScreens, allScreens) &&
                    WriteInt(*store, keys::Rainbow, rainbow));
        m_app = std::make_unique<SaverApp>(std::move(store), m_clock);
        ASSERT_TRUE(host != nullptr ? m_app->InitHosted(*host, host->size())
                                    : m_app->InitInstance(QStringLiteral("/s")));
        ASSERT_NE(m_app->MainWindow(), nullptr);
        PumpEvents();
    }

    // The one window over the second screen, a cover or a secondary window; null when it is gone
    // or there is not exactly one.
    SaverWindowBase* OtherWindow() const {
        const std::vector<ScreenCover*> covers = m_app->Covers();
        const std::vector<SecondaryWindow*> windows = m_app->SecondaryWindows();
        return covers.size() + windows.size() != 1 ? nullptr
               : covers.empty()                    ? static_cast<SaverWindowBase*>(windows[0])
                                                   : covers[0];
    }

    FixedClock m_clock{TimeSample{1'767'225'600, 0}}; // 2026-01-01 00:00:00 UTC
    std::unique_ptr<SaverApp> m_app;
};

TEST_F(TwoScreenTest, TheOtherScreenGetsACoverOrTheSaversFramesThatEndTheRunOnAKey) {
    // The saver window covers the primary screen; the second screen gets one window of its size
    // on it, shown without taking the focus: black, or, for any "AllScreens" but 0, a saver
    // window whose frames are composed for that screen's 120 dpi (what it shows is tried on
    // Xvfb by screens_e2e.sh). A key on it ends the run with exit code 0, as on the saver window.
    for (const int allScreens : {0, 1, 7}) {
        SCOPED_TRACE(allScreens);
        Start(allScreens);
        EXPECT_EQ(m_app->MainWindow()->geometry(), kScreenA);
        QPointer<SaverWindowBase> other = OtherWindow();
        ASSERT_FALSE(other.isNull());
        EXPECT_TRUE(other->isVisible());
        EXPECT_EQ(other->geometry(), kScreenB);
        EXPECT_EQ(other->screen(), QGuiApplication::screens().at(1));
        EXPECT_TRUE(other->testAttribute(Qt::WA_ShowWithoutActivating));
        auto* window = qobject_cast<SecondaryWindow*>(other.data());
        ASSERT_EQ(window != nullptr, allScreens != 0);
        if (window != nullptr) {
            ASSERT_NE(window->Composer(), nullptr);
            EXPECT_EQ(window->Composer()->Dpi(), 120);
        }
        // The application's own loop, as in a run (a loop of its own would not start again once
        // an earlier case has ended one with QCoreApplication::exit). The guard, gone with the
        // case, only keeps a failing case from hanging.
        const QObject guard;
        QTimer::singleShot(20000, &guard, [] { QCoreApplication::exit(99); });
        QTimer::singleShot(0, other.data(), [&] { QTest::keyClick(other.data(), Qt::Key_Space); });
        EXPECT_EQ(QCoreApplication::exec(), 0);
        PumpEvents();
        EXPECT_TRUE(other.isNull());
    }
}

TEST_F(TwoScreenTest, AFailedFrameReplacesEveryScreensWindow) {
    // A failed frame on either screen (the main window's under a cover, the second screen's
    // own with "AllScreens" on) replaces the saver window and the second screen's window with
    // it: the old ones go without ending the run, fresh ones of the same kind take over.
    for (const int allScreens : {0, 1}) {
        SCOPED_TRACE(allScreens);
        Start(allScreens);
        QPointer<SaverWindow> oldWindow = m_app->MainWindow();
        QPointer<SaverWindowBase> oldOther = OtherWindow();
        ASSERT_FALSE(oldOther.isNull());
        SaverWindow* failing =
            allScreens != 0 ? qobject_cast<SecondaryWindow*>(oldOther.data()) : oldWindow.data();
        ASSERT_NE(failing, nullptr);
        failing->FailNextFrameForTesting();
        failing->repaint();
        PumpEvents();
        EXPECT_TRUE(oldWindow.isNull());
        EXPECT_TRUE(oldOther.isNull());
        ASSERT_NE(m_app->MainWindow(), nullptr);
        const SaverWindowBase* other = OtherWindow();
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other->geometry(), kScreenB);
        EXPECT_EQ(qobject_cast<const SecondaryWindow*>(other) != nullptr, allScreens != 0);
    }
}

TEST_F(TwoScreenTest, AHostedSaverLeavesTheOtherScreensAlone) {
    // Hack mode with "AllScreens" on: the host's program covers the screens, so neither the start
    // nor a replacement puts a window of ours on the second one.
    QWindow host;
    host.resize(320, 240);
    host.create();
    host.show();
    Start(1, 0, &host);
    EXPECT_TRUE(m_app->SecondaryWindows().empty() && m_app->Covers().empty());
    QPointer<SaverWindow> oldWindow = m_app->MainWindow();
    oldWindow->FailNextFrameForTesting();
    oldWindow->repaint();
    PumpEvents();
    EXPECT_TRUE(oldWindow.isNull());
    ASSERT_NE(m_app->MainWindow(), nullptr);
    EXPECT_TRUE(m_app->SecondaryWindows().empty() && m_app->Covers().empty());
    m_app.reset(); // before the host window goes
}

TEST_F(TwoScreenTest, OnlyTheMainWindowsFramesKeepThePace) {
    // Six striped frames of the main window `stepMs` apart from 00:00:00.1, each followed by one
    // of the second screen's `offsetMs` later. Were the second screen's frames counted, those in
    // the same tenth would each lag, and those in the tenths between would hide the main
    // window's lag.
    const struct {
        const char* fact;
        int stepMs, offsetMs, startWidth, stripeWidth; // stripes wide at the start, at the end
        bool striped;
    } cases[] = {
        {"both screens paint every tenth: no lag", 100, 0, 1, 1, true},
        {"the main window skips every other tenth: its fifth lag widens the stripes, once", 200,
         100, 1, 2, true},
        {"wider than an eighth of the main window: both go solid", 200, 0, 101, 102, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fact);
        Start(1, 1);
        auto* other = qobject_cast<SecondaryWindow*>(OtherWindow());
        ASSERT_NE(other, nullptr);
        // As at the start of a run whose last striped frame had time base 0.
        StripePace& pace = m_app->Pace();
        pace = StripePace{};
        pace.m_stripeWidth = c.startWidth;
        for (int i = 0; i < 6; ++i) {
            m_clock.Set(TimeSample{1'767'225'600, 0});
            m_clock.Advance(100 + i * c.stepMs);
            m_app->MainWindow()->repaint();
            m_clock.Advance(c.offsetMs);
            other->repaint();
        }
        EXPECT_EQ(pace.m_lagCount, 0);
        EXPECT_EQ(pace.m_stripeWidth, c.stripeWidth);
        EXPECT_EQ(m_app->MainWindow()->Composer()->Rainbow(), c.striped);
        EXPECT_EQ(other->Composer()->Rainbow(), c.striped);
    }
}

} // namespace
} // namespace chronivo

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        return 1;
    }
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(R"({"screens": [
            {"name": "A", "x": 0, "y": 0, "width": 800, "height": 600, "logicalDpi": 96},
            {"name": "B", "x": 800, "y": 0, "width": 640, "height": 480, "logicalDpi": 120,
             "logicalBaseDpi": 120}]})") < 0) {
        return 1;
    }
    file.close();
    qputenv("TZ", "UTC");
    tzset();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QDir::toNativeSeparators(config).toUtf8());
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
