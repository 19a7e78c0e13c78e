#include "saver/saver_window_base.h"

#include "support/case_name.h"
#include "support/pump_events.h"
#include "support/saver_window_base_fixture.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

#include <vector>

namespace chronivo {
namespace {

using test::PumpEvents;
using test::SaverWindowBaseTest;

using test::CaseName;
using test::PrintTo;

// ---- The two rules as plain functions ----

struct DistanceCase {
    const char* fact;
    QPoint start;
    QPoint now;
    bool closes;
};

class MouseMovedTooFarTest : public ::testing::TestWithParam<DistanceCase> {};

TEST_P(MouseMovedTooFarTest, ClosesAboveThreePixels) {
    const DistanceCase& c = GetParam();
    EXPECT_EQ(MouseMovedTooFar(c.start, c.now), c.closes) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MouseMovedTooFarTest,
    ::testing::Values(DistanceCase{"no movement", {100, 100}, {100, 100}, false},
                      DistanceCase{"3 right is 3", {100, 100}, {103, 100}, false},
                      DistanceCase{"3 up is 3", {100, 100}, {100, 97}, false},
                      DistanceCase{"2 left and 1 down is 3", {100, 100}, {98, 101}, false},
                      DistanceCase{"2 right and 2 down is 4", {100, 100}, {102, 102}, true},
                      DistanceCase{"2 left and 2 up is 4", {100, 100}, {98, 98}, true},
                      DistanceCase{"4 right", {100, 100}, {104, 100}, true},
                      DistanceCase{"4 down from a negative position", {-5, -5}, {-5, -1}, true},
                      DistanceCase{"the widest jump does not overflow",
                                   {-2147483647 - 1, -2147483647 - 1},
                                   {2147483647, 2147483647},
                                   true}),
    CaseName<DistanceCase>);

struct NudgeCase {
    const char* fact;
    QPoint before;
    QPoint readBack; // where the pointer is after the attempt to move it to before + (1, 1)
    QPoint final;
};

class NudgedPointerPositionTest : public ::testing::TestWithParam<NudgeCase> {};

TEST_P(NudgedPointerPositionTest, OneUpAndOneAside) {
    const NudgeCase& c = GetParam();
    EXPECT_EQ(NudgedPointerPosition(c.before, c.readBack), c.final) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NudgedPointerPositionTest,
    ::testing::Values(
        NudgeCase{"free to move: one right, one up", {500, 400}, {501, 401}, {501, 399}},
        NudgeCase{"bottom-right corner: one left, one up", {1023, 767}, {1023, 767}, {1022, 766}},
        // Only one axis blocked: still one right and one up (the system then keeps the pointer
        // at the edge it cannot pass).
        NudgeCase{"right edge: x blocked, y moved", {1023, 300}, {1023, 301}, {1024, 299}},
        NudgeCase{"bottom edge: y blocked, x moved", {300, 767}, {301, 767}, {301, 766}},
        NudgeCase{"top-left corner", {0, 0}, {1, 1}, {1, -1}}),
    CaseName<NudgeCase>);

// ---- The window on the offscreen platform ----

// Hides pointer movements from the window, as if it had not been told about them.
class MoveBlocker : public QObject {
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        return event->type() == QEvent::MouseMove;
    }
};

TEST_F(SaverWindowBaseTest, CoversThePrimaryScreenFramelessOnTopWithoutPointer) {
    // A frameless, topmost window over the whole primary screen, with an invisible pointer,
    // no title, and every pointer movement delivered.
    EXPECT_EQ(m_window->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(m_window->cursor().shape(), Qt::BlankCursor);
    EXPECT_TRUE(m_window->windowTitle().isEmpty());
    EXPECT_TRUE(m_window->hasMouseTracking());
}

struct MoveCase {
    const char* fact;
    std::vector<QPoint> moves; // offsets from kRecorded, in order; the first is recorded
    int closesAt;              // index of the move that closes the window, -1 for none
};

class MouseDistanceTest : public SaverWindowBaseTest,
                          public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MouseDistanceTest, ClosesOnlyMoreThanThreePixelsFromTheFirstPosition) {
    const MoveCase& c = GetParam();
    for (int i = 0; i < static_cast<int>(c.moves.size()); ++i) {
        MoveTo(kRecorded + c.moves[i]);
        if (i == 0) {
            EXPECT_TRUE(SaverWindowBase::MouseSeen()) << c.fact;
            EXPECT_EQ(SaverWindowBase::MouseStart(), kRecorded + c.moves[0]) << c.fact;
        }
        if (i < c.closesAt || c.closesAt < 0) {
            ASSERT_TRUE(Open()) << c.fact << ", move " << i;
        } else {
            EXPECT_TRUE(ClosedOnce()) << c.fact << ", move " << i;
            return;
        }
    }
    EXPECT_EQ(m_closed, 0) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MouseDistanceTest,
    ::testing::Values(
        // The first movement only records, however far the pointer jumped to get there.
        MoveCase{"first movement far from the start", {{500, 400}}, -1},
        MoveCase{"3 right of the first position keeps", {{0, 0}, {3, 0}}, -1},
        MoveCase{"1 right, 1 right, 1 down keeps", {{0, 0}, {1, 0}, {2, 0}, {2, 1}}, -1},
        MoveCase{"2 right and 2 down closes", {{0, 0}, {2, 2}}, 1},
        // Measured from the first position, so small moves add up.
        MoveCase{"four one-pixel moves close on the fourth",
                 {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}},
                 4},
        MoveCase{"back and forth within 3 keeps", {{0, 0}, {3, 0}, {0, 0}, {-3, 0}, {0, 3}}, -1},
        MoveCase{"4 up closes", {{0, 0}, {0, -4}}, 1}),
    CaseName<MoveCase>);

TEST_F(SaverWindowBaseTest, TheFirstDeactivationOnlyRecords) {
    // Deactivation is the first event: it records the pointer position and closes nothing.
    QEvent deactivate(QEvent::WindowDeactivate);
    Send(deactivate);
    PumpEvents();
    EXPECT_TRUE(Open());
    EXPECT_TRUE(SaverWindowBase::MouseSeen());
    EXPECT_EQ(SaverWindowBase::MouseStart(), kAtStart);
}

struct DeactivationCase {
    const char* fact;
    QEvent::Type type;
    Qt::ApplicationState state; // for ApplicationStateChange
    QPoint moved;               // where the pointer went unseen, from kRecorded
    bool closes;
};

class DeactivationTest : public SaverWindowBaseTest,
                         public ::testing::WithParamInterface<DeactivationCase> {};

TEST_P(DeactivationTest, RunsTheMouseDistanceTest) {
    const DeactivationCase& c = GetParam();
    MoveTo(kRecorded);
    MoveBlocker blocker;
    m_window->installEventFilter(&blocker);
    MoveTo(kRecorded + c.moved);
    m_window->removeEventFilter(&blocker);
    ASSERT_TRUE(Open());

    if (c.type == QEvent::ApplicationStateChange) {
        QApplicationStateChangeEvent event(c.state);
        Send(event);
    } else {
        QEvent event(c.type);
        Send(event);
    }
    PumpEvents();
    EXPECT_EQ(ClosedOnce(), c.closes) << c.fact;
    EXPECT_EQ(Open(), !c.closes) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeactivationTest,
    ::testing::Values(DeactivationCase{"window deactivated 4 away closes",
                                       QEvent::WindowDeactivate,
                                       Qt::ApplicationActive,
                                       {4, 0},
                                       true},
                      DeactivationCase{"window deactivated 3 away keeps",
                                       QEvent::WindowDeactivate,
                                       Qt::ApplicationActive,
                                       {0, 3},
                                       false},
                      DeactivationCase{"application inactive 4 away closes",
                                       QEvent::ApplicationStateChange,
                                       Qt::ApplicationInactive,
                                       {2, 2},
                                       true},
                      DeactivationCase{"application hidden 4 away closes",
                                       QEvent::ApplicationStateChange,
                                       Qt::ApplicationHidden,
                                       {-4, 0},
                                       true},
                      // Being activated does nothing, however far the pointer is.
                      DeactivationCase{"window activated far away keeps",
                                       QEvent::WindowActivate,
                                       Qt::ApplicationActive,
                                       {300, 300},
                                       false},
                      DeactivationCase{"application active far away keeps",
                                       QEvent::ApplicationStateChange,
                                       Qt::ApplicationActive,
                                       {300, 300},
                                       false}),
    CaseName<DeactivationCase>);

TEST_F(SaverWindowBaseTest, TheApplicationLosingTheFocusReachesTheWindow) {
    // Qt tells the application object, not the window, that the application went inactive;
    // the window hears of it all the same: as the first event, it records the position.
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    PumpEvents();
    EXPECT_TRUE(SaverWindowBase::MouseSeen());
    EXPECT_TRUE(Open());
}

// Input elsewhere is the idle watcher's word, and the watcher is Linux's: on Windows the system
// ends the saver itself.
#ifndef _WIN32
TEST_F(SaverWindowBaseTest, InputElsewhereEndsTheRunOnlyWhenTheWindowCouldNotSeeIt) {
    // With the keyboard focus for a while, the window has judged the desktop's input itself.
    ASSERT_EQ(QGuiApplication::applicationState(), Qt::ApplicationActive);
    QTest::qWait(SaverWindowBase::kInputSettleMs);
    m_window->InputElsewhere();
    PumpEvents();
    EXPECT_TRUE(Open());
    // Another program has the focus (no window of ours has it): the input may have gone there.
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    PumpEvents();
    ASSERT_TRUE(Open()) << "the first loss of the focus only records the pointer";
    m_window->InputElsewhere();
    PumpEvents();
    EXPECT_TRUE(ClosedOnce());
}

TEST(SaverWindowBaseStartTest, InputJustBeforeTheWindowCouldSeeItEndsTheRun) {
    // A key pressed as the saver starts: the watcher's word comes when the window has just
    // taken the focus.
    QPointer<SaverWindowBase> window = new SaverWindowBase;
    ASSERT_TRUE(window->CreateFullScreen());
    window->InputElsewhere();
    PumpEvents();
    EXPECT_TRUE(window.isNull() || !window->isVisible());
    delete window.data();
}
#endif

struct KeyCase {
    const char* fact;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

class KeyPressTest : public SaverWindowBaseTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyPressTest, AnyKeyPressCloses) {
    const KeyCase& c = GetParam();
    QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers);
    Send(press);
    // The close is queued: the window is still there until the event loop runs.
    EXPECT_TRUE(Open()) << c.fact;
    PumpEvents();
    EXPECT_TRUE(ClosedOnce()) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyPressTest,
                         ::testing::Values(KeyCase{"Shift alone", Qt::Key_Shift, Qt::NoModifier},
                                           KeyCase{"Ctrl alone", Qt::Key_Control, Qt::NoModifier},
                                           KeyCase{"Alt alone", Qt::Key_Alt, Qt::NoModifier},
                                           KeyCase{"F10", Qt::Key_F10, Qt::NoModifier},
                                           KeyCase{"Alt+F4", Qt::Key_F4, Qt::AltModifier},
                                           KeyCase{"a letter", Qt::Key_A, Qt::NoModifier},
                                           KeyCase{"Escape", Qt::Key_Escape, Qt::NoModifier},
                                           KeyCase{"Tab", Qt::Key_Tab, Qt::NoModifier}),
                         CaseName<KeyCase>);

TEST_F(SaverWindowBaseTest, ReleasingAKeyDoesNothing) {
    // A key release alone (the press went elsewhere) keeps the saver running.
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
    Send(release);
    PumpEvents();
    EXPECT_TRUE(Open());
    EXPECT_EQ(m_closed, 0);
}

TEST_F(SaverWindowBaseTest, TurningTheWheelDoesNothing) {
    // The wheel turned without moving the pointer keeps the saver running.
    MoveTo(kRecorded);
    const QPointF at(kRecorded);
    QWheelEvent wheel(at, at, QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    Send(wheel);
    PumpEvents();
    EXPECT_TRUE(Open());
}

struct ButtonCase {
    const char* fact;
    Qt::MouseButton button;
    bool closes;
};

class ButtonPressTest : public SaverWindowBaseTest,
                        public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonPressTest, NudgesThePointerAndCloses) {
    const ButtonCase& c = GetParam();
    MoveTo(kRecorded);
    QTest::mousePress(m_window.data(), c.button, Qt::NoModifier,
                      m_window->mapFromGlobal(kRecorded));
    PumpEvents();
    if (c.closes) {
        // One pixel right of and one above where it was.
        EXPECT_EQ(QCursor::pos(), kRecorded + QPoint(1, -1)) << c.fact;
        EXPECT_TRUE(ClosedOnce()) << c.fact;
    } else {
        EXPECT_EQ(QCursor::pos(), kRecorded) << c.fact;
        EXPECT_TRUE(Open()) << c.fact;
    }
}

INSTANTIATE_TEST_SUITE_P(Buttons, ButtonPressTest,
                         ::testing::Values(ButtonCase{"left", Qt::LeftButton, true},
                                           ButtonCase{"right", Qt::RightButton, true},
                                           ButtonCase{"middle", Qt::MiddleButton, true},
                                           ButtonCase{"back", Qt::BackButton, false},
                                           ButtonCase{"forward", Qt::ForwardButton, false}),
                         CaseName<ButtonCase>);

TEST_F(SaverWindowBaseTest, ACloseNotRequestedBySaverIsRefused) {
    // A close from outside (the window manager's, or a program's) is refused: the window stays
    // and the run goes on.
    EXPECT_FALSE(m_window->close());
    PumpEvents();
    EXPECT_TRUE(Open());
    m_window->windowHandle()->close();
    PumpEvents();
    EXPECT_TRUE(Open());
    EXPECT_EQ(m_closed, 0);
}

TEST_F(SaverWindowBaseTest, SeveralQueuedCloseRequestsCloseOnce) {
    // A key press, a click and a movement queue three requests; the window closes once.
    MoveTo(kRecorded);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    Send(press);
    // Sent straight to the window: a press through the platform would leave the button held
    // for the cases that run after this one in the same process.
    QMouseEvent click(QEvent::MouseButtonPress, m_window->mapFromGlobal(kRecorded).toPointF(),
                      QPointF(kRecorded), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    Send(click);
    QCursor::setPos(kRecorded + QPoint(10, 10));
    PumpEvents();
    EXPECT_TRUE(ClosedOnce());
}

TEST_F(SaverWindowBaseTest, ARequestLeftOverAfterTheWindowIsGoneDoesNothing) {
    // The request is queued, then the window is deleted before it runs: nothing happens.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    Send(press);
    delete m_window.data();
    PumpEvents();
    EXPECT_TRUE(m_window.isNull());
    EXPECT_EQ(m_closed, 0);
}

// ---- Wayland's rules, on the offscreen platform ----

struct PlatformCase {
    const char* fact;
    const char16_t* name; // QGuiApplication::platformName()
    bool wayland;
};

class IsWaylandPlatformTest : public ::testing::TestWithParam<PlatformCase> {};

TEST_P(IsWaylandPlatformTest, WaylandAndItsVariantsOnly) {
    const PlatformCase& c = GetParam();
    EXPECT_EQ(IsWaylandPlatform(QStringView(c.name)), c.wayland) << c.fact;
}

INSTANTIATE_TEST_SUITE_P(Cases, IsWaylandPlatformTest,
                         ::testing::Values(PlatformCase{"wayland", u"wayland", true},
                                           PlatformCase{"wayland egl", u"wayland-egl", true},
                                           PlatformCase{"xcb", u"xcb", false},
                                           PlatformCase{"offscreen", u"offscreen", false},
                                           PlatformCase{"a name that only begins so", u"waylandish",
                                                        false}),
                         CaseName<PlatformCase>);

// What reaches the window, in order: a motion event at a position, a left click there, or a
// deactivation.
enum class Input { Move, Click, Deactivate };
struct Step {
    Input input;
    QPoint at; // screen pixels, from kRecorded; unused for Deactivate
};

struct WaylandCase {
    const char* fact;
    std::vector<Step> steps;
    int closesAt; // index of the step that closes the window, -1 for none
};

// The same window, told it is on Wayland before it is made.
class WaylandRulesTest : public SaverWindowBaseTest,
                         public ::testing::WithParamInterface<WaylandCase> {
protected:
    WaylandRulesTest() { m_wayland = true; }

    // Sent straight to the window, as the compositor's events arrive: only the event knows
    // where the pointer is.
    void Deliver(const Step& step) {
        const QPoint global = kRecorded + step.at;
        const QPointF local = m_window->mapFromGlobal(global).toPointF();
        if (step.input == Input::Move) {
            QMouseEvent move(QEvent::MouseMove, local, QPointF(global), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QCoreApplication::sendEvent(m_window.data(), &move);
        } else if (step.input == Input::Click) {
            QMouseEvent press(QEvent::MouseButtonPress, local, QPointF(global), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(m_window.data(), &press);
        } else {
            QEvent deactivate(QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(m_window.data(), &deactivate);
        }
        PumpEvents();
    }
};

TEST_P(WaylandRulesTest, TheWindowsOwnEventsAloneTellThePointersMovement) {
    const WaylandCase& c = GetParam();
    EXPECT_TRUE(m_window->OnWayland());
    EXPECT_TRUE(m_window->windowState().testFlag(Qt::WindowFullScreen)) << c.fact;
    const QPoint cursorBefore = QCursor::pos();
    for (int i = 0; i < static_cast<int>(c.steps.size()); ++i) {
        Deliver(c.steps[i]);
        if (i == c.closesAt) {
            EXPECT_TRUE(m_window.isNull() && m_closed == 1) << c.fact << ", step " << i;
            break;
        }
        ASSERT_FALSE(m_window.isNull()) << c.fact << ", step " << i;
    }
    if (c.closesAt < 0) {
        EXPECT_EQ(m_closed, 0) << c.fact;
    }
    if (c.steps.back().input == Input::Click) {
        // No nudge: the pointer stays where it was.
        EXPECT_EQ(QCursor::pos(), cursorBefore) << c.fact;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WaylandRulesTest,
    ::testing::Values(
        WaylandCase{"the first motion only records", {{Input::Move, {0, 0}}}, -1},
        WaylandCase{"3 pixels from the first motion keep",
                    {{Input::Move, {0, 0}}, {Input::Move, {2, 0}}, {Input::Move, {2, 1}}},
                    -1},
        WaylandCase{"2 right and 2 down close",
                    {{Input::Move, {0, 0}}, {Input::Move, {1, 1}}, {Input::Move, {2, 2}}},
                    2},
        WaylandCase{"a click closes without a nudge", {{Input::Click, {0, 0}}}, 0},
        // The system pointer, 150 pixels from the first motion, is not measured.
        WaylandCase{"deactivation keeps", {{Input::Move, {0, 0}}, {Input::Deactivate, {}}}, -1}),
    CaseName<WaylandCase>);

} // namespace
} // namespace chronivo
