#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A saver run ends with QCoreApplication::exit(0). Outside QCoreApplication::exec() that leaves
// the thread's "quit now" mark set, and every event loop started afterwards (a modal dialog, a
// test's own QEventLoop) would return at once. Running the application loop for a moment after
// each case clears the mark, so no case depends on the ones before it in the same process.
class ClearQuitAfterEachTest final : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& /*info*/) override {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }
};

} // namespace

// Runs the GoogleTest cases inside a QApplication. The offscreen platform is forced so that no
// test depends on the machine's screen, even when started by hand from a desktop.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ClearQuitAfterEachTest);
    return RUN_ALL_TESTS();
}
