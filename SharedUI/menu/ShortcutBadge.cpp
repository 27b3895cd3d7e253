#include "ShortcutBadge.h"

#include "KeyCap.h"
#include "KitLabel.h"
#include "KitStyle.h"
#include "Platform/TextStyles.h"

#include <QBoxLayout>

namespace {
constexpr int spacing = 2;
constexpr qreal plusPoints = 10;
constexpr int plusPadding = 2;
} // namespace

ShortcutBadge::ShortcutBadge(const QStringList& keys, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (i > 0) {
            auto* plus = new KitLabel(QStringLiteral("+"), TextStyles::font(plusPoints),
                                      KitStyle::secondary);
            plus->setContentsMargins(plusPadding, 0, plusPadding, 0);
            row->addWidget(plus);
        }
        row->addWidget(new KeyCap(keys[i]));
    }
    setAccessibleName(keys.join(QStringLiteral("+")));
}
