// The exit rules on a screen with two device pixels to each logical one (QT_SCALE_FACTOR=2, set
// before the application is made, on the offscreen platform): the pointer's movement is counted
// in the screen's own pixels, so the rule's 3 pixels do not become 6.
#include "saver/device_pointer.h"
#include "saver/saver_window_base.h"

#include "support/case_name.h"
#include "support/pump_events.h"
#include "support/saver_window_base_fixture.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace chronivo {
namespace {

using test::CaseName;
using test::PrintTo;
using test::PumpEvents;

TEST(ToDevicePixelsTest, RoundsToTheNearestPixel) {
    EXPECT_EQ(ToDevicePixels(QPointF(100.5, 3.25), 2.0), QPoint(201, 7));
    EXPECT_EQ(ToDevicePixels(QPointF(-1.25, 10), 1.5), QPoint(-2, 15));
}

struct ScaledCase {
    const char* fact;
    bool wayland; // motion events alone tell the position
    QPointF move; // logical pixels from the recorded position
    bool closes;
};

class ScaledMouseDistanceTest : public test::SaverWindowBaseTest,
                                public ::testing::WithParamInterface<ScaledCase> {
protected:
    ScaledMouseDistanceTest() { m_wayland = GetParam().wayland; }

    // X11's way: the system pointer moves, and the window hears of it. Wayland's: an event
    // brings the position, fractions included.
    void Move(QPointF global) {
        if (GetParam().wayland) {
            QMouseEvent move(QEvent::MouseMove, m_window->mapFromGlobal(global), global,
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            Send(move);
        } else {
            QCursor::setPos(global.toPoint());
        }
        PumpEvents();
    }
};

// Catches the rule's 3 pixels counted in logical pixels (6 device pixels here), and fractions of
// a logical pixel lost on Wayland.
TEST_P(ScaledMouseDistanceTest, CountsDevicePixels) {
    const ScaledCase& c = GetParam();
    Move(QPointF(kRecorded));
    EXPECT_EQ(SaverWindowBase::MouseStart(), kRecorded * 2); // recorded in device pixels
    Move(QPointF(kRecorded) + c.move);
    EXPECT_EQ(ClosedOnce(), c.closes) << c.fact;
    EXPECT_EQ(Open(), !c.closes) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScaledMouseDistanceTest,
    ::testing::Values(ScaledCase{"1 logical pixel right is 2 pixels: keeps", false, {1, 0}, false},
                      ScaledCase{"1 right and 1 down is 4 pixels: closes", false, {1, 1}, true},
                      ScaledCase{"Wayland: 1.5 right is 3 pixels: keeps", true, {1.5, 0}, false},
                      ScaledCase{
                          "Wayland: 1.5 right and 0.5 down is 4: closes", true, {1.5, 0.5}, true}),
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
