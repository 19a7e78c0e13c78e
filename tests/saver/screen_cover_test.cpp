#include "saver/screen_cover.h"

#include "support/pump_events.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace chronivo {
namespace {

using test::PumpEvents;

// The offscreen platform has one screen; a cover is made for it as it would be for a second.
class ScreenCoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        QCursor::setPos(100, 100);
        PumpEvents();
        SaverWindowBase::ResetMouseStateForTesting();
        m_cover = new ScreenCover;
        QObject::connect(m_cover.data(), &SaverWindowBase::Closed, [this] { ++m_closed; });
        ASSERT_TRUE(m_cover->CreateOnScreen(*QGuiApplication::primaryScreen()));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_cover.data()));
        PumpEvents();
    }

    void TearDown() override {
        delete m_cover.data();
        PumpEvents();
        SaverWindowBase::ResetMouseStateForTesting();
    }

    // Closed at its own request: Closed() emitted once and the object deleted.
    bool ClosedOnce() const { return m_cover.isNull() && m_closed == 1; }

    QPointer<ScreenCover> m_cover;
    int m_closed = 0;
};

TEST_F(ScreenCoverTest, CoversItsScreenInBlackWithoutPointer) {
    // Frameless and on top over the whole screen, no pointer, no title, and black everywhere.
    const QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(m_cover->geometry(), screen->geometry());
    EXPECT_EQ(m_cover->screen(), screen);
    EXPECT_TRUE(m_cover->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(m_cover->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(m_cover->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(m_cover->cursor().shape(), Qt::BlankCursor);
    EXPECT_TRUE(m_cover->windowTitle().isEmpty());
    EXPECT_FALSE(m_cover->HasInputGrab());
    const QImage image = m_cover->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());
    int notBlack = 0;
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) {
            notBlack += image.pixel(x, y) != qRgb(0, 0, 0) ? 1 : 0;
        }
    }
    EXPECT_EQ(notBlack, 0);
}

TEST_F(ScreenCoverTest, AKeyClosesIt) {
    // A key press on a cover counts as on the saver window.
    QTest::keyClick(m_cover.data(), Qt::Key_Shift);
    PumpEvents();
    EXPECT_TRUE(ClosedOnce());
}

TEST_F(ScreenCoverTest, AClickClosesIt) {
    QTest::mouseClick(m_cover.data(), Qt::RightButton, Qt::NoModifier, QPoint(50, 50));
    PumpEvents();
    EXPECT_TRUE(ClosedOnce());
}

TEST_F(ScreenCoverTest, TheMouseDistanceRuleHolds) {
    // The first movement records, 3 pixels keep, the fourth closes: the same shared record as
    // the saver window's.
    QCursor::setPos(400, 300);
    PumpEvents();
    ASSERT_TRUE(SaverWindowBase::MouseSeen());
    QCursor::setPos(403, 300);
    PumpEvents();
    ASSERT_FALSE(m_cover.isNull());
    QCursor::setPos(402, 302);
    PumpEvents();
    EXPECT_TRUE(ClosedOnce());
}

TEST_F(ScreenCoverTest, RetiredItGoesWithoutEndingTheRun) {
    // Replaced along with the saver window: deleted, no Closed(), no close request honoured.
    m_cover->Retire();
    QTest::keyClick(m_cover.data(), Qt::Key_A);
    PumpEvents();
    EXPECT_TRUE(m_cover.isNull());
    EXPECT_EQ(m_closed, 0);
}

} // namespace
} // namespace chronivo
