#include "SliderRow.h"

#include "KitLabel.h"
#include "KitStyle.h"
#include "Platform/SymbolView.h"
#include "Platform/TextStyles.h"
#include "ValueFormat.h"

#include <QBoxLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>

namespace {

constexpr int spacing = 8;
constexpr int verticalPadding = 4;
constexpr qreal iconPoints = 12;
constexpr qreal titlePoints = 12;
constexpr qreal valuePoints = 11;
constexpr int valueWidth = 40;
constexpr double continuousPositions = 1000;
constexpr double maxPositions = 1'000'000;

SliderRange soundRange(SliderRange range) {
    if (!std::isfinite(range.lowerBound) || !std::isfinite(range.upperBound))
        return {};
    if (range.lowerBound > range.upperBound)
        std::swap(range.lowerBound, range.upperBound);
    return range;
}

// The step between slider positions: the caller's, unless it is unusable or so
// fine that the slider would need more than maxPositions positions.
double soundStep(SliderRange range, double step) {
    const double span = range.upperBound - range.lowerBound;
    if (!(step > 0) || !std::isfinite(step))
        return span / continuousPositions;
    return std::max(step, span / maxPositions);
}

} // namespace

SliderRow::SliderRow(const QString& icon, const QString& title, double value, SliderRange range,
                     double step, const QString& format, QWidget* parent)
    : QWidget(parent), m_range(soundRange(range)), m_step(soundStep(m_range, step)),
      m_format(format), m_value(m_range.lowerBound),
      m_valueLabel(new KitLabel(
          QString(), TextStyles::font(valuePoints, QFont::Normal, FontDesign::monospaced),
          KitStyle::secondary)),
      m_slider(new QSlider(Qt::Horizontal)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, verticalPadding, 0, verticalPadding);
    column->setSpacing(spacing);
    auto* header = new QHBoxLayout;
    header->addWidget(new SymbolView(icon, iconPoints, QFont::Normal, KitStyle::accent,
                                     QSize(int(std::ceil(iconPoints)), 0)));
    header->addWidget(new KitLabel(title, TextStyles::font(titlePoints), KitStyle::primary));
    header->addStretch();
    m_valueLabel->setFixedWidth(valueWidth);
    m_valueLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    header->addWidget(m_valueLabel);
    column->addLayout(header);

    m_slider->setRange(0, positionOf(m_range.upperBound));
    KitStyle::makeFocusable(m_slider, title);
    column->addWidget(m_slider);
    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        display(valueAt(position));
        emit valueChanged(m_value);
    });
    setValue(value);
}

double SliderRow::value() const {
    return m_value;
}

void SliderRow::setValue(double value) {
    const double clamped = std::isfinite(value)
                               ? std::clamp(value, m_range.lowerBound, m_range.upperBound)
                               : m_range.lowerBound;
    const bool changed = clamped != m_value;
    {
        const QSignalBlocker quiet(m_slider);
        m_slider->setValue(positionOf(clamped));
    }
    display(clamped);
    if (changed)
        emit valueChanged(m_value);
}

QString SliderRow::valueText() const {
    return m_valueLabel->text();
}

double SliderRow::valueAt(int position) const {
    return std::min(m_range.lowerBound + position * m_step, m_range.upperBound);
}

int SliderRow::positionOf(double value) const {
    if (!(m_step > 0))
        return 0;
    return int(std::floor((value - m_range.lowerBound) / m_step + 0.5));
}

void SliderRow::display(double value) {
    m_value = value;
    const QString text = ValueFormat::format(m_format, value);
    m_valueLabel->setText(text);
    m_slider->setAccessibleDescription(text);
}
