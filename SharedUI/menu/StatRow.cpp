#include "StatRow.h"

#include "KitLabel.h"
#include "KitStyle.h"
#include "Platform/SymbolView.h"
#include "Platform/TextStyles.h"

#include <QBoxLayout>

namespace {
constexpr int iconColumn = 24;
constexpr qreal valuePoints = 13;
} // namespace

StatRow::StatRow(const QString& icon, const QString& label, const QString& value, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const QFont body = TextStyles::font(TextStyle::body);
    row->addWidget(new SymbolView(icon, body.pixelSize(), QFont::Normal, KitStyle::accent,
                                  QSize(iconColumn, 0)));
    row->addWidget(new KitLabel(label, body, KitStyle::secondary));
    row->addStretch();
    row->addWidget(
        new KitLabel(value, TextStyles::font(valuePoints, QFont::Medium, FontDesign::monospaced),
                     KitStyle::primary));
}
