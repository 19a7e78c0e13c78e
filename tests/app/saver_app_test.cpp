#include "app/saver_app.h"

#include "saver/saver_window.h"
#include "settings/settings_keys.h"
#include "support/case_name.h"
#include "support/memory_profile_store.h"
#include "support/pump_events.h"
#include "time/time_sample.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace chronivo {
namespace {

using test::CaseName;
using test::PrintTo;
using test::PumpEvents;

class SaverAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto store = std::make_unique<MemoryProfileStore>();
        m_store = store.get();
        m_app = std::make_unique<SaverApp>(std::move(store), m_clock);
        SaverWindowBase::ResetMouseStateForTesting();
    }

    void TearDown() override {
        m_app.reset();
        PumpEvents();
        SaverWindowBase::ResetMouseStateForTesting();
    }

    // What the settings dialog was when it ran: its caption and its parent.
    struct DialogSeen {
        bool ran = false;
        QString caption;
        QWidget* parent = nullptr;
    };

    // Runs InitInstance; a dialog it opens is looked at and closed (Escape) once it is up.
    DialogSeen InitWithDialog(const QString& commandLine, bool* result) {
        DialogSeen seen;
        QTimer::singleShot(0, [&seen] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                seen.ran = true;
                seen.caption = dialog->windowTitle();
                seen.parent = dialog->parentWidget();
                dialog->reject();
            }
        });
        *result = m_app->InitInstance(commandLine);
        PumpEvents();
        return seen;
    }

    FixedClock m_clock{TimeSample{1'767'225'600, 0}};
    MemoryProfileStore* m_store = nullptr;
    std::unique_ptr<SaverApp> m_app;
};

struct LineCase {
    const char* fact;
    QString line;
};

class SaverModeTest : public SaverAppTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(SaverModeTest, ShowsOneFullScreenSaverWindow) {
    // The saver switches show the saver window over the primary screen and leave the run to
    // the event loop; a replaced window's deletion must not end it.
    ASSERT_TRUE(m_app->InitInstance(GetParam().line)) << GetParam().fact;
    SaverWindow* window = m_app->MainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Switches, SaverModeTest,
                         ::testing::Values(LineCase{"slash s", QStringLiteral("/s")},
                                           LineCase{"dash S", QStringLiteral("-S")},
                                           LineCase{"bare s", QStringLiteral("s")}),
                         CaseName<LineCase>);

class DialogModeTest : public SaverAppTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(DialogModeTest, RunsTheDialogAloneAndReturnsFalse) {
    // Any other command line runs the settings dialog without a parent, even with a window of
    // the program active, and returns false once it has closed; no saver window appears.
    QWidget active;
    active.show();
    active.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&active));
    bool result = true;
    const DialogSeen seen = InitWithDialog(GetParam().line, &result);
    EXPECT_FALSE(result) << GetParam().fact;
    EXPECT_TRUE(seen.ran) << GetParam().fact;
    EXPECT_EQ(seen.caption, QStringLiteral("Velstrand ScreenSaver Configuration"));
    EXPECT_EQ(seen.parent, nullptr) << GetParam().fact;
    EXPECT_EQ(m_app->MainWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Lines, DialogModeTest,
                         ::testing::Values(LineCase{"empty", QString()},
                                           LineCase{"slash s extra", QStringLiteral("/s extra")},
                                           LineCase{"slash s and a blank", QStringLiteral("/s ")},
                                           LineCase{"preview", QStringLiteral("/p 123")},
                                           LineCase{"slash c colon number",
                                                    QStringLiteral("/c:123")},
                                           LineCase{"slash a", QStringLiteral("/a")}),
                         CaseName<LineCase>);

TEST_F(SaverAppTest, PlainSlashCPutsTheDialogOverTheActiveWindow) {
    // "/c" parents the dialog to the window that is active.
    QWidget active;
    active.show();
    active.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&active));
    bool result = true;
    const DialogSeen seen = InitWithDialog(QStringLiteral("/C"), &result);
    EXPECT_FALSE(result);
    EXPECT_TRUE(seen.ran);
    EXPECT_EQ(seen.parent, &active);
}

TEST_F(SaverAppTest, PlainSlashCWithoutAnActiveWindowHasNoParent) {
    // No window of the program is active: the dialog has no parent.
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    bool result = true;
    const DialogSeen seen = InitWithDialog(QStringLiteral("-c"), &result);
    EXPECT_FALSE(result);
    EXPECT_TRUE(seen.ran);
    EXPECT_EQ(seen.parent, nullptr);
}

TEST_F(SaverAppTest, AFailedFrameReplacesTheWindowAndTheRunGoesOn) {
    // A frame fails: a fresh window, built from the settings as stored now, becomes the main
    // window; the old one is deleted once its paint has ended, and the run does not end. The
    // recorded pointer position carries over, so 2 right and 2 down from it close the fresh
    // window, and that ends the run with exit code 0.
    ASSERT_TRUE(m_app->InitInstance(QStringLiteral("/s")));
    QPointer<SaverWindow> old = m_app->MainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(old.data()));
    const QPoint start(300, 200);
    QCursor::setPos(start);
    PumpEvents();
    ASSERT_TRUE(SaverWindowBase::MouseSeen());
    ASSERT_EQ(SaverWindowBase::MouseStart(), start);
    ASSERT_EQ(old->Settings().m_speed, 600);
    ASSERT_TRUE(WriteInt(*m_store, keys::Speed, 1200));

    QEventLoop loop;
    QPointer<SaverWindow> fresh;
    bool runningAfterReplacement = false;
    bool oldAliveAfterPaint = false;
    bool freshIsNew = false;
    QTimer::singleShot(0, [&] {
        old->FailNextFrameForTesting();
        old->repaint();
        fresh = m_app->MainWindow();
        freshIsNew = fresh != nullptr && fresh != old;
        oldAliveAfterPaint = !old.isNull();
        PumpEvents();
        runningAfterReplacement = loop.isRunning();
        QCursor::setPos(start + QPoint(2, 2));
    });
    // Only a guard against hanging, never reached when the window closes.
    QTimer::singleShot(20000, &loop, [&] { loop.exit(99); });
    const int code = loop.exec();

    EXPECT_TRUE(freshIsNew);
    EXPECT_TRUE(oldAliveAfterPaint);
    EXPECT_TRUE(old.isNull());
    ASSERT_TRUE(runningAfterReplacement);
    EXPECT_EQ(code, 0);
    PumpEvents();
    EXPECT_TRUE(fresh.isNull()); // closed, so deleted
    EXPECT_EQ(m_app->MainWindow(), nullptr);
}

TEST_F(SaverAppTest, TheFreshWindowReadsTheSettingsAsStoredNow) {
    // The replacement shows what the dialog stored since the saver started.
    ASSERT_TRUE(m_app->InitInstance(QStringLiteral("/s")));
    SaverWindow* old = m_app->MainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(old));
    ASSERT_TRUE(WriteInt(*m_store, keys::Speed, 1200));
    ASSERT_TRUE(WriteInt(*m_store, keys::ShowSec, 1));
    m_app->ReplaceSaverWindow();
    SaverWindow* fresh = m_app->MainWindow();
    ASSERT_NE(fresh, old);
    EXPECT_TRUE(old->IsReplaced());
    EXPECT_FALSE(fresh->IsReplaced());
    EXPECT_TRUE(fresh->isVisible());
    EXPECT_EQ(fresh->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_EQ(fresh->Settings().m_speed, 1200);
    EXPECT_EQ(fresh->Settings().m_showSeconds, 1);
    EXPECT_EQ(old->Settings().m_speed, 600);
    // Replaced outside a paint of its own (as by the replacement timer), the old window still
    // goes once the event loop runs.
    const QPointer<SaverWindow> gone = old;
    PumpEvents();
    EXPECT_TRUE(gone.isNull());
}

struct WaitCase {
    const char* fact;
    std::optional<TimeSample> last;
    TimeSample now;
    std::int64_t waitMs;
};

TEST(ReplacementWaitTest, OneReplacementASecond) {
    const WaitCase cases[] = {
        {"never replaced", std::nullopt, {100, 0}, 0},
        {"at the same moment", TimeSample{100, 250}, {100, 250}, 1000},
        {"100 ms later", TimeSample{100, 250}, {100, 350}, 900},
        {"999 ms later, across a second", TimeSample{100, 500}, {101, 499}, 1},
        {"a whole second later", TimeSample{100, 500}, {101, 500}, 0},
        {"hours later", TimeSample{100, 500}, {7300, 0}, 0},
        {"the clock set back a day", TimeSample{86'500, 0}, {100, 0}, 1000},
        {"from the earliest to the latest moment", TimeSample{INT64_MIN, 0}, {INT64_MAX, 0}, 0},
    };
    for (const WaitCase& c : cases) {
        EXPECT_EQ(ReplacementWaitMs(c.last, c.now), c.waitMs) << c.fact;
    }
}

TEST_F(SaverAppTest, AWindowThatKeepsFailingIsReplacedOnceASecond) {
    // Ten seconds of the clock, a frame every 100 ms, and every frame fails (as on a screen too
    // large for any frame buffer): the first failure replaces the window at once, the others
    // only once a second has passed since the last replacement, so ten windows are made instead
    // of a hundred. A failure in between leaves the window running, its frames still tried, and
    // the replacement timer waiting for the rest of the second.
    ASSERT_TRUE(m_app->InitInstance(QStringLiteral("/s")));
    int replacements = 0;
    for (int frame = 0; frame < 100; ++frame) {
        SaverWindow* window = m_app->MainWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        window->FailNextFrameForTesting();
        window->repaint();
        if (m_app->MainWindow() != window) {
            ++replacements;
            EXPECT_EQ(frame % 10, 0) << frame;
            EXPECT_FALSE(m_app->ReplacementTimer().isActive()) << frame;
        } else {
            EXPECT_NE(frame % 10, 0) << frame;
            EXPECT_FALSE(window->IsReplaced()) << frame;
            EXPECT_TRUE(window->FrameTimer().isActive()) << frame;
            EXPECT_TRUE(m_app->ReplacementTimer().isActive()) << frame;
            EXPECT_LE(m_app->ReplacementTimer().interval(), kReplacementPeriodMs) << frame;
        }
        m_clock.Advance(100);
        PumpEvents(1);
    }
    EXPECT_EQ(replacements, 10);
}

TEST_F(SaverAppTest, AnOpenSaverWindowGoesWithTheApplication) {
    // Ending without the window having closed (the event loop stopped otherwise) leaves no
    // window behind.
    ASSERT_TRUE(m_app->InitInstance(QStringLiteral("/s")));
    QPointer<SaverWindow> window = m_app->MainWindow();
    ASSERT_FALSE(window.isNull());
    m_app.reset();
    EXPECT_TRUE(window.isNull());
}

} // namespace
} // namespace chronivo
