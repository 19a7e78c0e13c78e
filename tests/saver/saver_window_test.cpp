#include "saver/saver_window.h"

#include "saver/saver_host.h"
#include "settings/settings_keys.h"
#include "support/case_name.h"
#include "support/memory_profile_store.h"
#include "support/pump_events.h"
#include "time/time_sample.h"

#include <QApplication>
#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QPalette>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace chronivo {
namespace {

using test::PumpEvents;

using test::CaseName;
using test::PrintTo;

// A host that records the replacement requests. Like the application, it marks the window it
// was given as replaced, unless told to fail.
class TestHost final : public SaverHost {
public:
    const ProfileStore& Profile() const override { return m_store; }
    const Clock& TimeSource() const override { return m_clock; }
    void ReplaceSaverWindow() override {
        ++m_replaceCalls;
        if (m_throwOnReplace) {
            throw std::runtime_error("no fresh window");
        }
        if (m_current != nullptr) {
            m_current->MarkReplaced();
        }
    }

    MemoryProfileStore m_store;
    FixedClock m_clock{TimeSample{1'767'225'600, 250}}; // 2026-01-01 00:00:00.250 UTC
    int m_replaceCalls = 0;
    bool m_throwOnReplace = false;
    SaverWindow* m_current = nullptr;
    StripePace m_pace; // the run's, handed to its windows as the application hands its own
};

// Counts the paints a window receives.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++m_paints;
        }
        return false;
    }
    int m_paints = 0;
};

class SaverWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        delete m_window.data();
        PumpEvents(1);
    }

    // Builds the window (reading the settings) and shows it full screen.
    void Show() {
        m_window = new SaverWindow(m_host, m_host.m_pace);
        ASSERT_TRUE(m_window->CreateFullScreen());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.data()));
    }

    TestHost m_host;
    QPointer<SaverWindow> m_window;
};

TEST_F(SaverWindowTest, SettingsAreReadOnceWhenTheWindowIsBuilt) {
    // The window keeps the values stored when it was built; a later change is not seen, and
    // painting frames reads nothing from the store.
    ASSERT_TRUE(WriteInt(m_host.m_store, keys::Speed, 857));
    ASSERT_TRUE(WriteString(m_host.m_store, keys::Title, QStringLiteral("Before")));
    ASSERT_TRUE(WriteInt(m_host.m_store, keys::WTcount, 1));
    ASSERT_TRUE(WriteString(m_host.m_store, WorldTextKey(0), QStringLiteral("Oslo")));
    ASSERT_TRUE(WriteInt(m_host.m_store, WorldZoneKey(0), 7201));
    Show();
    m_host.m_store.ClearReadLog();

    ASSERT_TRUE(WriteInt(m_host.m_store, keys::Speed, 1000));
    ASSERT_TRUE(WriteString(m_host.m_store, keys::Title, QStringLiteral("After")));
    ASSERT_TRUE(WriteInt(m_host.m_store, keys::WTcount, 0));
    for (int i = 0; i < 3; ++i) {
        m_window->repaint();
    }

    EXPECT_EQ(m_window->Settings().m_speed, 857);
    EXPECT_EQ(m_window->Settings().m_title, "Before");
    EXPECT_EQ(m_window->Settings().m_worldCount, 1);
    EXPECT_EQ(m_window->Settings().m_worldEntries[0].m_label, "Oslo");
    EXPECT_TRUE(m_host.m_store.ReadLog().isEmpty());
}

TEST_F(SaverWindowTest, BuildingCreatesNoWindowAndTakesTheTimeFromTheHostsClock) {
    // Construction reads the settings and the time; the window appears only with
    // CreateFullScreen. Nothing stored: the saver's speed default, 600.
    m_window = new SaverWindow(m_host, m_host.m_pace);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->FrameTime(), (TimeSample{1'767'225'600, 250}));
    EXPECT_EQ(m_window->Settings().m_speed, 600);
    EXPECT_TRUE(m_window->FirstPaintPending());
    EXPECT_FALSE(m_window->FrameTimer().isActive());
}

TEST_F(SaverWindowTest, TheBackgroundStartsAsTheSystemsWindowColour) {
    // The palette's window colour, as 0x00BBGGRR.
    const QPalette saved = QApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Window, QColor(0x11, 0x22, 0x33));
    QApplication::setPalette(palette);
    m_window = new SaverWindow(m_host, m_host.m_pace);
    QApplication::setPalette(saved);
    EXPECT_EQ(m_window->BackColor(), 0x00332211u);
}

struct ColourCase {
    const char* fact;
    QColor colour;
    std::uint32_t colorRef;
};

class ToColorRefTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ToColorRefTest, PacksBlueGreenRed) {
    EXPECT_EQ(ToColorRef(GetParam().colour), GetParam().colorRef) << GetParam().fact;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToColorRefTest,
    ::testing::Values(ColourCase{"red is the low byte", QColor(255, 0, 0), 0x000000FFu},
                      ColourCase{"green the middle byte", QColor(0, 255, 0), 0x0000FF00u},
                      ColourCase{"blue the third byte", QColor(0, 0, 255), 0x00FF0000u},
                      ColourCase{"mixed", QColor(0x12, 0x34, 0x56), 0x00563412u},
                      ColourCase{"alpha is dropped", QColor(1, 2, 3, 4), 0x00030201u},
                      ColourCase{"a colour given as HSV", QColor::fromHsv(0, 255, 255),
                                 0x000000FFu}),
    CaseName<ColourCase>);

TEST_F(SaverWindowTest, TheFirstPaintStartsTheHundredMillisecondTimer) {
    // Shown but not yet painted: no timer. The first paint starts it, repeating every 100 ms,
    // and paints without erasing first.
    m_window = new SaverWindow(m_host, m_host.m_pace);
    EXPECT_TRUE(m_window->testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_TRUE(m_window->testAttribute(Qt::WA_NoSystemBackground));
    ASSERT_TRUE(m_window->CreateFullScreen());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.data()));
    m_window->repaint();
    EXPECT_FALSE(m_window->FirstPaintPending());
    EXPECT_TRUE(m_window->FrameTimer().isActive());
    EXPECT_EQ(m_window->FrameTimer().interval(), 100);
    EXPECT_EQ(m_window->FrameTimer().timerType(), Qt::PreciseTimer);
    EXPECT_FALSE(m_window->FrameTimer().isSingleShot());
}

TEST(FrameIntervalAfter, KeepsTheTicksEarlyInATenthOfASecond) {
    // {ms into the tenth, next period}: early ticks keep 100 ms; a later one gets the period to
    // the start of the tenth after the one its moment rounds to (below 50 ms down, from 50 up),
    // so the next time base is one more.
    const int cases[][2] = {{0, 100},  {25, 100}, {26, 74}, {49, 51},
                            {50, 150}, {74, 126}, {99, 101}};
    for (const auto& c : cases) {
        EXPECT_EQ(FrameIntervalAfter(c[0]), c[1]) << c[0];
        const int next = (c[0] + c[1]) % 100;
        if (c[0] > 25) {
            EXPECT_EQ(next, 0) << c[0];
            EXPECT_EQ((c[0] + c[1]) / 100, (c[0] + 50) / 100 + 1) << c[0];
        }
    }
}

TEST_F(SaverWindowTest, TheTimerKeepsRepainting) {
    // After the first paint the window repaints itself with nothing else happening.
    Show();
    m_window->repaint();
    PaintCounter counter;
    m_window->installEventFilter(&counter);
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.m_paints >= 3; }, 10000));
    m_window->removeEventFilter(&counter);
}

TEST_F(SaverWindowTest, AFrameCoversTheWholeWindow) {
    // The window is painted without erasing, so each frame must paint every pixel: rendered
    // over a transparent image, the frame leaves no pixel transparent.
    Show();
    QImage target(m_window->size(), QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    m_window->render(&target, QPoint(), QRegion(), QWidget::DrawChildren);
    int unpainted = 0;
    for (int y = 0; y < target.height(); ++y) {
        for (int x = 0; x < target.width(); ++x) {
            unpainted += qAlpha(target.pixel(x, y)) != 255 ? 1 : 0;
        }
    }
    EXPECT_EQ(unpainted, 0);
}

TEST_F(SaverWindowTest, AFailedFrameReplacesTheWindowWhichGoesAfterItsPaint) {
    // The frame fails: the host is asked for a fresh window and marks this one replaced; it is
    // still there when the paint returns and deleted once the event loop runs.
    Show();
    m_host.m_current = m_window.data();
    m_window->FailNextFrameForTesting();
    m_window->repaint();
    EXPECT_EQ(m_host.m_replaceCalls, 1);
    ASSERT_FALSE(m_window.isNull());
    EXPECT_TRUE(m_window->IsReplaced());
    EXPECT_FALSE(m_window->FrameTimer().isActive());
    PumpEvents(1);
    EXPECT_TRUE(m_window.isNull());
}

TEST_F(SaverWindowTest, AReplacedWindowPaintsNoMore) {
    // Between its replacement and its deletion, a paint neither draws nor asks again.
    Show();
    m_host.m_current = m_window.data();
    m_window->FailNextFrameForTesting();
    m_window->repaint();
    m_window->FailNextFrameForTesting();
    m_window->repaint();
    EXPECT_EQ(m_host.m_replaceCalls, 1);
}

TEST_F(SaverWindowTest, AFailureAtTheFirstPaintStillReplaces) {
    // The very first frame fails (the window was only created): it is replaced all the same.
    m_window = new SaverWindow(m_host, m_host.m_pace);
    m_host.m_current = m_window.data();
    m_window->FailNextFrameForTesting();
    ASSERT_TRUE(m_window->CreateFullScreen());
    // The window's first paint comes once it is exposed; it fails and the window goes.
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_window.isNull(); }, 10000));
    EXPECT_EQ(m_host.m_replaceCalls, 1);
}

TEST_F(SaverWindowTest, AWindowThatIsNotReplacedGoesOnDrawing) {
    // The host could not make a fresh window (it left this one unmarked): the window stays
    // and its next frame is drawn normally.
    Show();
    m_window->FailNextFrameForTesting();
    m_window->repaint();
    m_window->repaint();
    PumpEvents(1);
    EXPECT_EQ(m_host.m_replaceCalls, 1);
    ASSERT_FALSE(m_window.isNull());
    EXPECT_FALSE(m_window->IsReplaced());
    EXPECT_TRUE(m_window->FrameTimer().isActive());
}

TEST_F(SaverWindowTest, AReplacementThatThrowsLeavesTheWindowRunning) {
    // Nothing leaves the paint handler: the window stays and draws its next frame.
    Show();
    m_host.m_throwOnReplace = true;
    m_window->FailNextFrameForTesting();
    m_window->repaint();
    PumpEvents(1);
    ASSERT_FALSE(m_window.isNull());
    EXPECT_EQ(m_host.m_replaceCalls, 1);
    m_window->repaint();
    EXPECT_EQ(m_host.m_replaceCalls, 1);
}

} // namespace
} // namespace chronivo
