#include "AppLaunchContainer.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

LaunchWindowController& controller() {
    return LaunchWindowController::shared();
}

// Each case starts and ends without a window, in a home of its own.
class LaunchWindow : public ::testing::Test {
protected:
    LaunchWindow() { delete controller().window(); }
    ~LaunchWindow() override { delete controller().window(); }
    ScopedHome home;
};

TEST_F(LaunchWindow, IsCreatedOnceClosedKeptAndBroughtBackIntact) {
    int builds = 0;
    QLabel* root = nullptr;
    controller().present("Test App", {500, 600}, [&] {
        ++builds;
        root = new QLabel("first root");
        return root;
    });
    QWidget* window = controller().window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->windowTitle(), "Test App");
    EXPECT_EQ(window->minimumSize(), QSize(380, 520));
    EXPECT_EQ(window->size(), QSize(500, 600));
    // Centred before the window manager adds its frame: the top-left corner of
    // the frame goes where the centred content's would.
    EXPECT_EQ(QRect(window->pos(), window->size()).center(),
              QGuiApplication::primaryScreen()->availableGeometry().center());

    controller().present("Other App", {900, 900}, [&] {
        ++builds;
        return new QLabel("second root");
    });
    EXPECT_EQ(builds, 1);
    EXPECT_EQ(controller().window(), window);
    EXPECT_EQ(window->size(), QSize(500, 600));
    EXPECT_EQ(window->windowTitle(), "Test App");

    window->move(window->pos() + QPoint(10, 20));
    const QRect moved = window->geometry();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(controller().window(), window);
    EXPECT_TRUE(StorageManager::shared().get("Test App.mainWindow").has_value())
        << "closing saves the geometry under the name + .mainWindow";

    controller().bringToFront();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->findChild<QLabel*>(), root);
    EXPECT_EQ(window->geometry(), moved);
}

TEST_F(LaunchWindow, RestoresTheSavedGeometryAfterCentring) {
    QWidget earlier;
    earlier.setGeometry(30, 40, 600, 560);
    StorageManager::shared().set(QVariant(earlier.saveGeometry()), "Saved App.mainWindow");
    controller().present("Saved App", [] { return new QLabel("root"); });
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller().window()));
    EXPECT_EQ(controller().window()->geometry(), QRect(30, 40, 600, 560));
}

TEST_F(LaunchWindow, PresentDeferredWaitsForALaterTurnOfTheEventLoop) {
    int builds = 0;
    controller().presentDeferred("Deferred App", [&builds] {
        ++builds;
        return new QLabel("root");
    });
    EXPECT_EQ(controller().window(), nullptr);
    EXPECT_EQ(builds, 0);
    ASSERT_TRUE(waitUntil([] { return controller().window() != nullptr; }));
    EXPECT_EQ(builds, 1);
    EXPECT_EQ(controller().window()->size(), LaunchWindowController::defaultIdealSize);
    EXPECT_TRUE(controller().window()->isVisible());
}

} // namespace
