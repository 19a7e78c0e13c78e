#include "app/saver_app.h"

#include "saver/saver_window.h"
#include "saver/screen_cover.h"
#include "support/memory_profile_store.h"
#include "support/pump_events.h"
#include "time/time_sample.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// These tests need two screens: they run in a QApplication of their own on the offscreen platform
// configured with screen A (800 x 600 at 0,0, the primary) and screen B (640 x 480 at 800,0).

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
        m_app = std::make_unique<SaverApp>(std::make_unique<MemoryProfileStore>(), m_clock);
    }
    void TearDown() override {
        m_app.reset();
        PumpEvents();
        SaverWindowBase::ResetMouseStateForTesting();
    }

    FixedClock m_clock{TimeSample{1'767'225'600, 0}};
    std::unique_ptr<SaverApp> m_app;
};

TEST_F(TwoScreenTest, TheOtherScreenGetsABlackCover) {
    // The saver window covers the primary screen; the second screen gets one cover of its size.
    ASSERT_TRUE(m_app->InitInstance(QStringLiteral("/s")));
    ASSERT_NE(m_app->MainWindow(), nullptr);
    EXPECT_EQ(m_app->MainWindow()->geometry(), kScreenA);
    const std::vector<ScreenCover*> covers = m_app->Covers();
    ASSERT_EQ(covers.size(), 1u);
    ASSERT_NE(covers[0], nullptr);
    EXPECT_TRUE(covers[0]->isVisible());
    EXPECT_EQ(covers[0]->geometry(), kScreenB);
    EXPECT_EQ(covers[0]->screen(), QGuiApplication::screens().at(1));
}

TEST_F(TwoScreenTest, CoversAreReplacedWithTheSaverWindow) {
    // A failed frame replaces the saver window and, with it, the covers: the old ones go without
    // ending the run, fresh ones cover the second screen.
    ASSERT_TRUE(m_app->InitInstance(QStringLiteral("/s")));
    QPointer<SaverWindow> oldWindow = m_app->MainWindow();
    QPointer<ScreenCover> oldCover = m_app->Covers().at(0);
    oldWindow->FailNextFrameForTesting();
    oldWindow->repaint();
    PumpEvents();
    EXPECT_TRUE(oldWindow.isNull());
    EXPECT_TRUE(oldCover.isNull());
    ASSERT_NE(m_app->MainWindow(), nullptr);
    const std::vector<ScreenCover*> covers = m_app->Covers();
    ASSERT_EQ(covers.size(), 1u);
    ASSERT_NE(covers[0], nullptr);
    EXPECT_EQ(covers[0]->geometry(), kScreenB);
}

TEST_F(TwoScreenTest, AKeyOnTheCoverEndsTheRun) {
    // Input on the second screen's cover ends the run with exit code 0, as on the saver window.
    ASSERT_TRUE(m_app->InitInstance(QStringLiteral("/s")));
    QPointer<ScreenCover> cover = m_app->Covers().at(0);
    QEventLoop loop;
    QTimer::singleShot(0, [&] { QTest::keyClick(cover.data(), Qt::Key_Space); });
    // Only a guard against hanging, never reached when the run ends.
    QTimer::singleShot(20000, &loop, [&] { loop.exit(99); });
    EXPECT_EQ(loop.exec(), 0);
    PumpEvents();
    EXPECT_TRUE(cover.isNull());
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
            {"name": "B", "x": 800, "y": 0, "width": 640, "height": 480, "logicalDpi": 96}]})") <
                                                0) {
        return 1;
    }
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QDir::toNativeSeparators(config).toUtf8());
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
