#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

// Runs the GoogleTest cases inside a QApplication. The offscreen platform is forced so that no
// test depends on the machine's screen, even when started by hand from a desktop.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
