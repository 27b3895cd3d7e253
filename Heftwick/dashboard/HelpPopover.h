#pragma once

#include <QWidget>

// The help page: what the app does, what the gauge's four levels mean, how
// monitoring works and why the remedies are safe. 360 × 480; its content
// scrolls.
class HelpPopover : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize pageSize{360, 480};

    explicit HelpPopover(QWidget* parent = nullptr);
};
