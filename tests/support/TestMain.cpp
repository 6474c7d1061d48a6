#include <gtest/gtest.h>

#include <QCoreApplication>

// Every test binary runs with a Qt application object so that event loops,
// timers and sockets work. Test binaries that show widgets link a main of
// their own that creates a QApplication instead.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
