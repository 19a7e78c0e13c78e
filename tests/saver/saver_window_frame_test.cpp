// The saver window's frames come from the frame composition: made at the first paint for the
// window's screen, fixing the countdown target there, and copied to the window whole.

#include "saver/saver_window.h"

#include "saver/saver_host.h"
#include "settings/settings_keys.h"
#include "support/memory_profile_store.h"
#include "time/time_sample.h"

#include <QCoreApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace chronivo {
namespace {

class FrameHost final : public SaverHost {
public:
    const ProfileStore& Profile() const override { return m_store; }
    const Clock& TimeSource() const override { return m_clock; }
    void ReplaceSaverWindow() override { ++m_replaceCalls; }

    MemoryProfileStore m_store;
    FixedClock m_clock{TimeSample{1'768'564'800, 0}}; // 2026-01-16 12:00:00.000 UTC
    int m_replaceCalls = 0;
    StripePace m_pace; // the run's, handed to its windows as the application hands its own
};

class SaverWindowFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        delete m_window.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        unsetenv("TZ");
        tzset();
    }

    void Show() {
        m_window = new SaverWindow(m_host, m_host.m_pace);
        ASSERT_TRUE(m_window->CreateFullScreen());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.data()));
        m_window->repaint();
    }

    FrameHost m_host;
    QPointer<SaverWindow> m_window;
};

TEST_F(SaverWindowFrameTest, FirstPaintComposesForTheScreenAndFixesTheTarget) {
    // No composition before the first paint; then one with the screen's logical dpi and the
    // window's device pixel ratio, whose mode-1 target is 1 January of the clock's year.
    ASSERT_TRUE(WriteInt(m_host.m_store, keys::Option, 1));
    m_window = new SaverWindow(m_host, m_host.m_pace);
    EXPECT_EQ(m_window->Composer(), nullptr);
    ASSERT_TRUE(m_window->CreateFullScreen());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.data()));
    m_window->repaint();
    const FrameComposer* composer = m_window->Composer();
    ASSERT_NE(composer, nullptr);
    EXPECT_EQ(composer->Dpi(),
              static_cast<int>(std::lround(m_window->screen()->logicalDotsPerInchY())));
    EXPECT_EQ(composer->DevicePixelRatio(), m_window->devicePixelRatioF());
    EXPECT_TRUE(composer->TargetFixed());
    EXPECT_EQ(composer->Target(), (CountdownTarget{2026, 1, 1, 0, 0, 0}));
    EXPECT_EQ(m_host.m_replaceCalls, 0);
}

TEST_F(SaverWindowFrameTest, TheWindowShowsTheComposedFrame) {
    // Time base 0: a magenta frame. The window composes it straight into its back buffer (no
    // off-screen buffer is made), pixel for pixel the frame composed off-screen for the same
    // moment; a grab, which paints elsewhere, gets the same picture through the off-screen path.
    Show();
    const FrameComposer* composer = m_window->Composer();
    ASSERT_NE(composer, nullptr);
    EXPECT_EQ(m_window->BackColor(), 0xFF00FFu);
    EXPECT_EQ(m_window->FrameTime(), m_host.m_clock.Now());
    ASSERT_EQ(composer->LastFrame().texts.size(), 4u);
    EXPECT_TRUE(composer->FrameImage().isNull());

    FrameOptions options;
    options.dpi = composer->Dpi();
    options.backColor = m_window->BackColor();
    FrameComposer reference(m_window->Settings(), m_host.m_pace, options);
    reference.DrawFrame(m_host.m_clock.Now(), m_window->size());
    const QImage expected = reference.FrameImage();

    const QImage onScreen = m_window->screen()
                                ->grabWindow(m_window->winId())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
    const QImage grabbed = m_window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(onScreen == expected);
    EXPECT_TRUE(grabbed == expected);
    EXPECT_FALSE(composer->FrameImage().isNull());
}

} // namespace
} // namespace chronivo
