#include "SegmentedPicker.h"

#include "KitStyle.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QPushButton>

SegmentedPicker::SegmentedPicker(const QString& accessibleName, const QStringList& options,
                                 int current, QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this)) {
    setAccessibleName(accessibleName);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (qsizetype i = 0; i < options.size(); ++i) {
        auto* segment = new QPushButton(options[i]);
        segment->setCheckable(true);
        KitStyle::makeFocusable(segment, options[i]);
        m_group->addButton(segment, int(i));
        row->addWidget(segment);
    }
    setCurrentIndex(current);
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit currentIndexChanged(id);
    });
}

int SegmentedPicker::currentIndex() const {
    return m_group->checkedId();
}

void SegmentedPicker::setCurrentIndex(int index) {
    if (QAbstractButton* segment = m_group->button(index))
        segment->setChecked(true);
}
