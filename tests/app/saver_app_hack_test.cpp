#include "app/saver_app.h"

#include "saver/saver_window.h"
#include "saver/screen_cover.h"
#include "settings/settings_keys.h"
#include "support/memory_profile_store.h"
#include "support/pump_events.h"
#include "time/time_sample.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace chronivo {
namespace {

using test::PumpEvents;

// A saver drawing into a host's window, as in hack mode; the host is a window of our own here.
class HostedSaverTest : public ::testing::Test {
protected:
    static constexpr QSize kHostSize{320, 240};

    void SetUp() override {
        SaverWindowBase::ResetMouseStateForTesting();
        auto store = std::make_unique<MemoryProfileStore>();
        m_store = store.get();
        m_app = std::make_unique<SaverApp>(std::move(store), m_clock);
        m_host.resize(kHostSize);
        m_host.create();
        m_host.show();
    }

    void TearDown() override {
        // The saver's windows are the host's children and go first.
        m_app.reset();
        PumpEvents();
        SaverWindowBase::ResetMouseStateForTesting();
    }

    FixedClock m_clock{TimeSample{1'767'225'600, 0}};
    MemoryProfileStore* m_store = nullptr;
    QWindow m_host;
    std::unique_ptr<SaverApp> m_app;
};

TEST_F(HostedSaverTest, DrawsInsideTheHostWithoutTakingInput) {
    // One saver window, a child of the host's window at its top-left corner and of its size,
    // which takes neither the focus nor any input.
    ASSERT_TRUE(m_app->InitHosted(m_host, kHostSize));
    SaverWindow* window = m_app->MainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsHosted());
    EXPECT_TRUE(window->isVisible());
    ASSERT_NE(window->windowHandle(), nullptr);
    EXPECT_EQ(window->windowHandle()->parent(), &m_host);
    EXPECT_EQ(window->geometry(), QRect(QPoint(0, 0), kHostSize));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_FALSE(window->HasInputGrab());
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
    // The host covers every screen it needs to: no covers of our own.
    EXPECT_TRUE(m_app->Covers().empty());
}

TEST_F(HostedSaverTest, PaintsTheFramesOfSaverMode) {
    // The first paint starts the 100 ms rhythm and composes the frame of saver mode for the
    // host's size; its background fills the window.
    ASSERT_TRUE(m_store->WriteProfileInt(QStringLiteral("ScreenSaver"),
                                         QString::fromLatin1(keys::Speed.name), 900));
    ASSERT_TRUE(m_app->InitHosted(m_host, kHostSize));
    SaverWindow* window = m_app->MainWindow();
    ASSERT_NE(window, nullptr);
    const QImage shown = window->grab().toImage();
    EXPECT_FALSE(window->FirstPaintPending());
    EXPECT_TRUE(window->FrameTimer().isActive());
    EXPECT_EQ(window->FrameTimer().interval(), 100);
    EXPECT_EQ(window->Settings().m_speed, 900);
    ASSERT_NE(window->Composer(), nullptr);
    EXPECT_EQ(window->Composer()->FrameImage().size(), kHostSize);
    // The bottom-right corner shows the frame's background.
    EXPECT_EQ(ToColorRef(shown.pixelColor(shown.width() - 1, shown.height() - 1)),
              window->BackColor());
}

TEST_F(HostedSaverTest, InputNeverEndsTheRun) {
    // Keys, clicks and pointer movements that would close the saver window do nothing here:
    // the host ends the run.
    ASSERT_TRUE(m_app->InitHosted(m_host, kHostSize));
    QPointer<SaverWindow> window = m_app->MainWindow();
    int closed = 0;
    QObject::connect(window.data(), &SaverWindowBase::Closed, [&] { ++closed; });
    QTest::keyClick(window.data(), Qt::Key_A);
    QTest::mouseClick(window.data(), Qt::LeftButton);
    QTest::mouseMove(window.data(), QPoint(10, 10));
    QTest::mouseMove(window.data(), QPoint(200, 200));
    QCloseEvent close;
    QCoreApplication::sendEvent(window.data(), &close);
    PumpEvents();
    EXPECT_FALSE(window.isNull());
    EXPECT_EQ(closed, 0);
    EXPECT_FALSE(SaverWindowBase::MouseSeen());
}

TEST_F(HostedSaverTest, ANewHostSizeGetsAFreshWindowOfThatSize) {
    // The host's window grew: a fresh saver window of the new size takes over, composing its
    // frames for that size; the old one goes without ending the run.
    ASSERT_TRUE(m_app->InitHosted(m_host, kHostSize));
    QPointer<SaverWindow> old = m_app->MainWindow();
    const QSize bigger(480, 360);
    m_host.resize(bigger);
    m_app->FollowHostSize(bigger);
    SaverWindow* fresh = m_app->MainWindow();
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, old.data());
    EXPECT_TRUE(fresh->IsHosted());
    EXPECT_EQ(fresh->windowHandle()->parent(), &m_host);
    EXPECT_EQ(fresh->geometry(), QRect(QPoint(0, 0), bigger));
    PumpEvents();
    EXPECT_TRUE(old.isNull());
    fresh->grab();
    ASSERT_NE(fresh->Composer(), nullptr);
    EXPECT_EQ(fresh->Composer()->FrameImage().size(), bigger);
}

TEST_F(HostedSaverTest, TheSameSizeKeepsTheWindow) {
    // Polling finds the size unchanged: the window and its frame state stay.
    ASSERT_TRUE(m_app->InitHosted(m_host, kHostSize));
    SaverWindow* window = m_app->MainWindow();
    m_app->FollowHostSize(kHostSize);
    EXPECT_EQ(m_app->MainWindow(), window);
    // An empty size (a window being unmapped) is no size to draw at.
    m_app->FollowHostSize(QSize(0, 0));
    EXPECT_EQ(m_app->MainWindow(), window);
}

TEST_F(HostedSaverTest, AReplacementStaysInsideTheHost) {
    // A failed frame replaces the window with a fresh one in the same host window, not with a
    // full-screen one.
    ASSERT_TRUE(m_app->InitHosted(m_host, kHostSize));
    QPointer<SaverWindow> old = m_app->MainWindow();
    old->FailNextFrameForTesting();
    old->grab();
    SaverWindow* fresh = m_app->MainWindow();
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, old.data());
    EXPECT_TRUE(fresh->IsHosted());
    EXPECT_EQ(fresh->windowHandle()->parent(), &m_host);
    EXPECT_EQ(fresh->geometry(), QRect(QPoint(0, 0), kHostSize));
    PumpEvents();
    EXPECT_TRUE(old.isNull());
}

TEST_F(HostedSaverTest, ADrawableSizeIsTakenAtOnceWhileAReplacementWaits) {
    // A frame fails just after a replacement, so the next one waits for the rest of the second;
    // the host's window meanwhile takes a new size: a fresh window of that size takes over at
    // once, draws, and the waiting replacement is dropped.
    ASSERT_TRUE(m_app->InitHosted(m_host, kHostSize));
    m_app->MainWindow()->FailNextFrameForTesting();
    m_app->MainWindow()->grab();
    QPointer<SaverWindow> failing = m_app->MainWindow();
    failing->FailNextFrameForTesting();
    failing->grab();
    ASSERT_EQ(m_app->MainWindow(), failing.data());
    ASSERT_TRUE(m_app->ReplacementTimer().isActive());
    const QSize drawable(480, 360);
    m_app->FollowHostSize(drawable);
    SaverWindow* fresh = m_app->MainWindow();
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, failing.data());
    EXPECT_FALSE(m_app->ReplacementTimer().isActive());
    fresh->grab();
    ASSERT_NE(fresh->Composer(), nullptr);
    EXPECT_EQ(fresh->Composer()->FrameImage().size(), drawable);
    PumpEvents();
    EXPECT_TRUE(failing.isNull());
}

TEST(SaverModeCovers, OneScreenNeedsNoCover) {
    // With only the primary screen there is nothing else to cover.
    FixedClock clock{TimeSample{1'767'225'600, 0}};
    SaverApp app(std::make_unique<MemoryProfileStore>(), clock);
    ASSERT_EQ(QGuiApplication::screens().size(), 1);
    ASSERT_TRUE(app.InitInstance(QStringLiteral("/s")));
    EXPECT_NE(app.MainWindow(), nullptr);
    EXPECT_TRUE(app.Covers().empty());
}

} // namespace
} // namespace chronivo
