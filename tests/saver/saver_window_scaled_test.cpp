// The exit rules on a screen with two device pixels to each logical one (QT_SCALE_FACTOR=2, set
// before the application is made, on the offscreen platform): the pointer's movement is counted
// in the screen's own pixels, so the rule's 3 pixels do not become 6.
#include "saver/device_pointer.h"
#include "saver/saver_window_base.h"

#include "support/case_name.h"
#include "support/pump_events.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace chronivo {
namespace {

using test::CaseName;
using test::PrintTo;
using test::PumpEvents;

TEST(ToDevicePixelsTest, ScalesAndRoundsToTheNearestPixel) {
    EXPECT_EQ(ToDevicePixels(QPointF(100, 50), 2.0), QPoint(200, 100));
    EXPECT_EQ(ToDevicePixels(QPointF(100.5, 3.25), 2.0), QPoint(201, 7));
    EXPECT_EQ(ToDevicePixels(QPointF(-1.25, 10), 1.5), QPoint(-2, 15));
}

struct ScaledCase {
    const char* fact;
    bool wayland;               // motion events alone tell the position
    std::vector<QPointF> moves; // logical offsets from kRecorded; the first is recorded
    int closesAt;               // index of the move that closes, -1 for none
};

class ScaledMouseDistanceTest : public ::testing::TestWithParam<ScaledCase> {
protected:
    static constexpr QPoint kRecorded{200, 150}; // logical pixels

    void SetUp() override {
        SaverWindowBase::SetWaylandForTesting(GetParam().wayland);
        m_window = new SaverWindowBase;
        QObject::connect(m_window.data(), &SaverWindowBase::Closed, [this] { ++m_closed; });
        ASSERT_TRUE(m_window->CreateFullScreen());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.data()));
        PumpEvents();
        SaverWindowBase::ResetMouseStateForTesting();
    }
    void TearDown() override {
        delete m_window.data();
        PumpEvents();
        SaverWindowBase::ResetMouseStateForTesting();
        SaverWindowBase::SetWaylandForTesting(std::nullopt);
    }

    // X11's way: the system pointer moves, and the window hears of it. Wayland's: an event
    // brings the position, fractions included.
    void Move(QPointF offset) {
        const QPointF global = QPointF(kRecorded) + offset;
        if (GetParam().wayland) {
            QMouseEvent move(QEvent::MouseMove, m_window->mapFromGlobal(global), global,
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(m_window.data(), &move);
        } else {
            QCursor::setPos(global.toPoint());
        }
        PumpEvents();
    }

    QPointer<SaverWindowBase> m_window;
    int m_closed = 0;
};

TEST_P(ScaledMouseDistanceTest, CountsDevicePixels) {
    const ScaledCase& c = GetParam();
    ASSERT_EQ(m_window->devicePixelRatio(), 2.0);
    for (int i = 0; i < static_cast<int>(c.moves.size()); ++i) {
        Move(c.moves[i]);
        if (i == 0) {
            EXPECT_EQ(SaverWindowBase::MouseStart(),
                      ToDevicePixels(QPointF(kRecorded) + c.moves[0], 2.0))
                << c.fact;
        }
        if (i == c.closesAt) {
            EXPECT_TRUE(m_window.isNull() && m_closed == 1) << c.fact << ", move " << i;
            return;
        }
        ASSERT_FALSE(m_window.isNull()) << c.fact << ", move " << i;
    }
    EXPECT_EQ(m_closed, 0) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScaledMouseDistanceTest,
    ::testing::Values(
        ScaledCase{"1 logical pixel right is 2 pixels: keeps", false, {{0, 0}, {1, 0}}, -1},
        ScaledCase{"1 right and 1 down is 4 pixels: closes", false, {{0, 0}, {1, 1}}, 1},
        ScaledCase{"2 logical pixels up is 4: closes", false, {{0, 0}, {0, -2}}, 1},
        ScaledCase{"Wayland: 1.5 right is 3 pixels: keeps", true, {{0, 0}, {1.5, 0}}, -1},
        ScaledCase{
            "Wayland: half a pixel more down closes", true, {{0, 0}, {1.5, 0}, {1.5, 0.5}}, 2}),
    CaseName<ScaledCase>);

} // namespace
} // namespace chronivo

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
