#include "MenuPopoverContainer.h"

#include "KitLabel.h"
#include "KitStyle.h"
#include "Platform/Divider.h"
#include "Platform/Palette.h"
#include "Platform/TextStyles.h"
#include "SymbolButton.h"

#include <QBoxLayout>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal cornerRadius = 12;
constexpr qreal shadowOpacity = 0.2;
constexpr qreal shadowRadius = 20;
constexpr qreal shadowDrop = 10;
constexpr qreal titlePoints = 13;
constexpr qreal closePoints = 16;

QWidget* makeTitleBar(const QString& title, std::function<void()> onClose) {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    const int padding = KitStyle::standardPadding;
    row->setContentsMargins(padding, padding, padding, padding);
    row->addWidget(
        new KitLabel(title, TextStyles::font(titlePoints, QFont::DemiBold), KitStyle::primary));
    row->addStretch();
    auto* close = new SymbolButton(QStringLiteral("xmark.circle.fill"), closePoints,
                                   KitStyle::secondary, QObject::tr("Close"));
    QObject::connect(close, &QAbstractButton::clicked, bar,
                     [onClose = std::move(onClose)] { onClose(); });
    row->addWidget(close);
    return bar;
}

} // namespace

MenuPopoverContainer::MenuPopoverContainer(const QString& title, std::function<void()> onClose,
                                           QWidget* content, QWidget* parent)
    : QWidget(parent), m_titleBar(makeTitleBar(title, std::move(onClose))) {
    setFixedWidth(panelWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_titleBar);
    column->addWidget(new Divider);
    auto* body = new QVBoxLayout;
    const int padding = KitStyle::standardPadding;
    body->setContentsMargins(padding, padding, padding, padding);
    if (content)
        body->addWidget(content);
    column->addLayout(body);

    // The shadow falls outside the panel, onto whatever lies behind it.
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(Palette::withOpacity(Qt::black, shadowOpacity));
    shadow->setBlurRadius(shadowRadius);
    shadow->setOffset(0, shadowDrop);
    setGraphicsEffect(shadow);
}

void MenuPopoverContainer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(card, KitStyle::material(KitStyle::Material::windowBackground, palette()));
    // The title bar's ultra-thin material, kept inside the card's rounded corners.
    painter.setClipPath(card);
    painter.fillRect(m_titleBar->geometry(),
                     KitStyle::material(KitStyle::Material::ultraThin, palette()));
}
