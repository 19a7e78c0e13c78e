#pragma once

#include "saver/saver_window_base.h"
#include "support/pump_events.h"

#include <QCoreApplication>
#include <QCursor>
#include <QPointer>
#include <QTest>

#include <optional>

#include <gtest/gtest.h>

namespace chronivo::test {

// A bare saver window, full screen and exposed, with the pointer state cleared, so its exit rules
// can be tried. A derived fixture sets m_wayland before SetUp for Wayland's rules.
class SaverWindowBaseTest : public ::testing::Test {
protected:
    // Where the pointer is when the window appears, and where the tests record it first.
    static constexpr QPoint kAtStart{100, 100};
    static constexpr QPoint kRecorded{200, 150};

    void SetUp() override {
        SaverWindowBase::SetWaylandForTesting(m_wayland);
        QCursor::setPos(kAtStart);
        PumpEvents();
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

    static void MoveTo(QPoint p) {
        QCursor::setPos(p);
        PumpEvents();
    }

    bool Open() const { return !m_window.isNull() && m_window->isVisible(); }
    // Closed at its own request: Closed() emitted once and the object deleted.
    bool ClosedOnce() const { return m_window.isNull() && m_closed == 1; }

    void Send(QEvent& event) { QCoreApplication::sendEvent(m_window.data(), &event); }

    std::optional<bool> m_wayland; // none: as the platform plugin says
    QPointer<SaverWindowBase> m_window;
    int m_closed = 0;
};

} // namespace chronivo::test
