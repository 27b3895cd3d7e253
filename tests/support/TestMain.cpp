#include <QApplication>
#include <gtest/gtest.h>

// One QApplication for every test executable: view tests need it, and the
// engine's queued publication needs an event loop to drain. Tests render
// offscreen unless the runner chose a platform (session tests use a private Xvfb).
int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
