#pragma once

#include <QWidget>

class KitLabel;
class QSlider;

// A closed range of slider values, lowerBound ≤ upperBound.
struct SliderRange {
    double lowerBound = 0;
    double upperBound = 1;
};

// A labelled slider: the symbol and title with the current value at the
// trailing edge, formatted by a printf-style format (see ValueFormat: an
// unusable format shows the value with "%.0f"), above a slider over range
// that moves in steps of step. The slider takes keyboard focus (arrow keys
// move one step) and is announced by the title.
//
// Out-of-range input is made sound rather than trusted: bounds given the wrong
// way round are swapped, a range with a bound that is not finite becomes
// 0…1, a step that is not positive (or not finite) makes the slider
// continuous in 1000 positions, and a value outside the range is clamped.
class SliderRow : public QWidget {
    Q_OBJECT

public:
    SliderRow(const QString& icon, const QString& title, double value, SliderRange range,
              double step = 1.0, const QString& format = QStringLiteral("%.0f"),
              QWidget* parent = nullptr);

    double value() const;
    void setValue(double value);
    // The value as the row shows it.
    QString valueText() const;

signals:
    void valueChanged(double value);

private:
    double valueAt(int position) const;
    int positionOf(double value) const;
    void display(double value);

    SliderRange m_range;
    double m_step;
    QString m_format;
    double m_value;
    KitLabel* m_valueLabel;
    QSlider* m_slider;
};
