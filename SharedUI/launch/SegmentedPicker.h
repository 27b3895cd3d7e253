#pragma once

#include <QStringList>
#include <QWidget>

class QButtonGroup;

// A row of joined segments on a rounded track, of which exactly one is chosen. Each segment takes
// keyboard focus (Space chooses it) and is announced by its text; the row is
// announced by its own name.
class SegmentedPicker : public QWidget {
    Q_OBJECT

public:
    SegmentedPicker(const QString& accessibleName, const QStringList& options, int current,
                    QWidget* parent = nullptr);

    int currentIndex() const;
    void setCurrentIndex(int index);

signals:
    void currentIndexChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QButtonGroup* m_group;
};
