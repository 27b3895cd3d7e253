#pragma once

#include <QAbstractButton>
#include <functional>

// A tinted tile: a symbol over a short caption, both in the tint, on a faint
// rounded tile of the same tint. Clicking it, or pressing Space or Enter while
// it has focus, calls the action once.
class ActionButton : public QAbstractButton {
    Q_OBJECT

public:
    ActionButton(const QString& icon, const QString& label, const QColor& color,
                 std::function<void()> action, QWidget* parent = nullptr);

    QString iconName() const { return m_icon; }
    QColor color() const { return m_color; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_icon;
    QColor m_color;
};
