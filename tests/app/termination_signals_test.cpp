#include "app/termination_signals.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace chronivo {
namespace {

// Runs the event loop until the watcher has reported `count` signals, or 5 s have passed (a
// bound against a hang, not a measurement).
std::vector<int> Collect(TerminationWatcher& watcher, std::size_t count) {
    std::vector<int> received;
    QEventLoop loop;
    QObject::connect(&watcher, &TerminationWatcher::Received, &loop, [&](int signalNumber) {
        received.push_back(signalNumber);
        if (received.size() >= count) {
            loop.quit();
        }
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return received;
}

class TerminationSignalsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InstallTerminationHandlers()); }
    void TearDown() override {
        // Back to the default: a stray signal after these tests ends the test program.
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
    }
};

TEST_F(TerminationSignalsTest, SigtermReachesTheEventLoop) {
    // SIGTERM no longer ends the process; the watcher reports it from the event loop.
    TerminationWatcher watcher;
    ASSERT_TRUE(watcher.IsWatching());
    ASSERT_EQ(std::raise(SIGTERM), 0);
    EXPECT_EQ(Collect(watcher, 1), std::vector<int>{SIGTERM});
}

TEST_F(TerminationSignalsTest, SigintReachesTheEventLoop) {
    // Ctrl+C in a terminal ends a hack the same way.
    TerminationWatcher watcher;
    ASSERT_EQ(std::raise(SIGINT), 0);
    EXPECT_EQ(Collect(watcher, 1), std::vector<int>{SIGINT});
}

TEST_F(TerminationSignalsTest, ASignalBeforeTheWatcherIsKept) {
    // A host may end the hack before its event loop runs: the signal waits in the pipe and the
    // first watcher reports it, each signal once and in order.
    ASSERT_EQ(std::raise(SIGINT), 0);
    ASSERT_EQ(std::raise(SIGTERM), 0);
    TerminationWatcher watcher;
    EXPECT_EQ(Collect(watcher, 2), (std::vector<int>{SIGINT, SIGTERM}));
}

} // namespace
} // namespace chronivo
