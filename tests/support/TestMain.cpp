#include <QApplication>

#include <gtest/gtest.h>

// One QApplication for every test executable: view tests need it, and the
// engine's queued publication needs an event loop to drain.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
