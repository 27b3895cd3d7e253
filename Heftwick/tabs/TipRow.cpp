#include "TipRow.h"

#include "PageParts.h"
#include "Platform/SymbolView.h"
#include "Platform/TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>

TipRow::TipRow(const QString& icon, const QString& text, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(
        new SymbolView(icon, 14, QFont::Normal, Tone::named(NamedColor::yellow), QSize(20, 0)), 0,
        Qt::AlignTop);
    row->addWidget(PageParts::secondaryLabel(text, TextStyles::font(12)), 1);
}
