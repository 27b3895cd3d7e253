#pragma once

#include <QWidget>
#include <functional>

// The frame of a menu-bar panel, exactly 320 points wide: a title bar with the
// title and a close button over a hairline, then the panel's body, on a
// rounded card in the window background colour that casts a soft shadow.
// The close button calls onClose and does nothing else; closing the panel is
// the caller's business.
class MenuPopoverContainer : public QWidget {
    Q_OBJECT

public:
    static constexpr int panelWidth = 320;

    // Takes ownership of content (none leaves the body empty).
    MenuPopoverContainer(const QString& title, std::function<void()> onClose, QWidget* content,
                         QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* m_titleBar;
};
