#pragma once

#include <QAbstractButton>
#include <QColor>
#include <functional>
#include <optional>

// A borderless button across the panel: the symbol on a faint tile of color
// (the accent colour when none is given), the title, and a chevron at the
// trailing edge. The whole row is clickable; it takes keyboard focus (Space
// presses it), is announced by its title and calls action once per click.
class ActionRow : public QAbstractButton {
    Q_OBJECT

public:
    ActionRow(const QString& icon, const QString& title, std::optional<QColor> color,
              std::function<void()> action, QWidget* parent = nullptr);
    // With the accent colour.
    ActionRow(const QString& icon, const QString& title, std::function<void()> action,
              QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_icon;
    std::optional<QColor> m_color;
};
