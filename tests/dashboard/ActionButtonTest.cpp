#include "dashboard/ActionButton.h"

#include "DashboardTestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Tile {
    Tile() : button("trash", "Old Files", darkNamed(NamedColor::red), [this] { ++calls; }) {
        button.setPalette(Palette::darkPanelPalette());
        button.resize(110, button.sizeHint().height());
        button.show();
    }
    int calls = 0;
    ActionButton button;
};

TEST(ActionButton, ClickAnywhereOnTheTileCallsTheActionOncePerClick) {
    Tile tile;
    QTest::mouseClick(&tile.button, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseClick(&tile.button, Qt::LeftButton, {}, tile.button.rect().center());
    QTest::mouseClick(&tile.button, Qt::LeftButton, {},
                      tile.button.rect().bottomRight() - QPoint(3, 3));
    EXPECT_EQ(tile.calls, 3);
}

TEST(ActionButton, KeyboardReachesAndPressesTheTile) {
    Tile tile;
    EXPECT_TRUE(tile.button.focusPolicy() & Qt::TabFocus);
    EXPECT_EQ(tile.button.accessibleName(), "Old Files");
    tile.button.setFocus();
    QTest::keyClick(&tile.button, Qt::Key_Space);
    EXPECT_EQ(tile.calls, 1);
    QTest::keyClick(&tile.button, Qt::Key_Return);
    QTest::keyClick(&tile.button, Qt::Key_Enter);
    EXPECT_EQ(tile.calls, 3);
    QTest::keyClick(&tile.button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(tile.calls, 4) << "the keypad's Enter";
    QTest::keyClick(&tile.button, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(&tile.button, Qt::Key_A);
    EXPECT_EQ(tile.calls, 4);
}

TEST(ActionButton, TileIsTintedAndSizedByItsContent) {
    Tile tile;
    // 10 points above and below an icon line, a 4-point gap and a caption line.
    EXPECT_GE(tile.button.sizeHint().height(), 10 + 16 + 4 + 9 + 10);
    EXPECT_LE(tile.button.sizeHint().height(), 10 + 22 + 4 + 14 + 10);
    const QImage image = renderOnPanel(tile.button);
    const QColor fill = blend(panelBackground(), Palette::withOpacity(tile.button.color(), 0.08));
    // A spot of the tile away from its content and its border shows the tint.
    EXPECT_LE(colorDistance(image.pixelColor(6, image.height() / 2), fill), 2);
    // The rounded corner leaves the panel's background outside the tile.
    EXPECT_LE(colorDistance(image.pixelColor(0, 0), panelBackground()), 2);
    int tinted = 0;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            tinted += colorDistance(image.pixelColor(x, y),
                                    blend(panelBackground(),
                                          Palette::withOpacity(tile.button.color(), 0.8))) < 30;
    EXPECT_GT(tinted, 30) << "icon and caption are drawn in the tint";
    saveScreenshot(renderOnPanel(tile.button, 2), "action-button@2x.png");
}

} // namespace
