#include "TipRow.h"

#include "PageParts.h"
#include "Platform/TextStyles.h"
#include "SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>

TipRow::TipRow(const QString& icon, const QString& text, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(new SymbolIcon(icon, Tone::named(NamedColor::yellow), 14, 20), 0, Qt::AlignTop);
    row->addWidget(PageParts::secondaryLabel(text, TextStyles::font(12)), 1);
}
