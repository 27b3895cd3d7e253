#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

// A menu-bar icon with an optional count badge. The symbol is drawn in color
// (the accent colour when none is given) while active and in the secondary
// colour while inactive. A badge above 0 shows in a red capsule at the icon's
// top-right corner, capped at 99; 0, a negative count or none shows nothing.
//
// The widget is 28 × 28: the icon's 22 × 22 frame sits at its bottom left and
// the badge, moved 6 right and 6 up from the frame's corner, fits above and
// beside it. Its accessible name is the badge's text.
class MenuBarIconView : public QWidget {
    Q_OBJECT

public:
    static constexpr int iconFrame = 22;
    static constexpr int badgeShift = 6;

    explicit MenuBarIconView(const QString& icon, bool isActive = true,
                             std::optional<int> badge = std::nullopt,
                             std::optional<QColor> color = std::nullopt, QWidget* parent = nullptr);

    // The colour the symbol is drawn in with the current palette.
    QColor iconColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintBadge(QPainter& painter, const QString& text) const;

    QString m_icon;
    bool m_isActive;
    std::optional<QString> m_badgeText;
    std::optional<QColor> m_color;
};
