#include "SegmentedPicker.h"

#include "KitStyle.h"
#include "PickerSegment.h"
#include "Platform/Palette.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QPainter>

namespace {
constexpr qreal cornerRadius = 7;
constexpr qreal outlineOpacity = 0.2;
} // namespace

SegmentedPicker::SegmentedPicker(const QString& accessibleName, const QStringList& options,
                                 int current, QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this)) {
    setAccessibleName(accessibleName);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (qsizetype i = 0; i < options.size(); ++i) {
        auto* segment = new PickerSegment(options[i]);
        m_group->addButton(segment, int(i));
        row->addWidget(segment);
    }
    setCurrentIndex(current);
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit currentIndexChanged(id);
    });
}

void SegmentedPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(KitStyle::material(KitStyle::Material::controlBackground, palette()));
    painter.setPen(QPen(Palette::withOpacity(KitStyle::secondary(palette()), outlineOpacity), 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius,
                            cornerRadius);
}

int SegmentedPicker::currentIndex() const {
    return m_group->checkedId();
}

void SegmentedPicker::setCurrentIndex(int index) {
    if (QAbstractButton* segment = m_group->button(index))
        segment->setChecked(true);
}
