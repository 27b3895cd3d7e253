#include "StatColumn.h"

#include "KitLabel.h"
#include "KitStyle.h"
#include "Platform/SymbolView.h"
#include "Platform/TextStyles.h"

#include <QBoxLayout>
#include <QFontMetrics>

namespace {
constexpr int spacing = 6;
constexpr qreal iconPoints = 16;
constexpr qreal valuePoints = 18;
constexpr qreal labelPoints = 10;
} // namespace

StatColumn::StatColumn(const QString& icon, const QString& value, const QString& label,
                       QWidget* parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    const int iconSide = QFontMetrics(TextStyles::font(iconPoints)).height();
    column->addWidget(
        new SymbolView(icon, iconPoints, QFont::Normal, KitStyle::accent, QSize(iconSide, 0)), 0,
        Qt::AlignHCenter);
    column->addWidget(new KitLabel(value,
                                   TextStyles::font(valuePoints, QFont::Bold, FontDesign::rounded),
                                   KitStyle::primary),
                      0, Qt::AlignHCenter);
    column->addWidget(new KitLabel(label, TextStyles::font(labelPoints), KitStyle::secondary), 0,
                      Qt::AlignHCenter);
}
