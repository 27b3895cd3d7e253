#include "StatusRow.h"

#include "ColorDot.h"
#include "Platform/TextStyles.h"
#include "Platform/ToneLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

StatusRow::StatusRow(const QColor& color, const QString& label, const QString& desc,
                     QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(new ColorDot(10, Tone::fixed(color)), 0, Qt::AlignVCenter);

    auto* lines = new QVBoxLayout;
    lines->setSpacing(1);
    lines->addWidget(new ToneLabel(label, TextStyles::font(12, QFont::Bold), Tone::windowText()));
    auto* description =
        new ToneLabel(desc, TextStyles::font(11, QFont::Normal), Tone::secondaryText());
    description->setWordWrap(true);
    lines->addWidget(description);
    row->addLayout(lines, 1);
}
