#include "PageParts.h"

#include "Platform/SymbolView.h"
#include "Platform/TextStyles.h"
#include "Platform/ToneLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace PageParts {

QLabel* wrappingLabel(const QString& text, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

QLabel* secondaryLabel(const QString& text, const QFont& font, QWidget* parent) {
    auto* label = new ToneLabel(text, font, Tone::secondaryText(), parent);
    label->setWordWrap(true);
    return label;
}

QWidget* pageHeader(const QString& title, const QString& subtitle, QWidget* trailing) {
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(4, 0, 4, 0);

    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->addWidget(wrappingLabel(title, TextStyles::font(TextStyle::title2, true)));
    column->addWidget(secondaryLabel(subtitle, TextStyles::font(TextStyle::subheadline)));
    row->addLayout(column, 1);
    if (trailing)
        row->addWidget(trailing);
    return header;
}

QWidget* symbolTitle(const QString& symbol, const QString& title) {
    auto* widget = new QWidget;
    auto* row = new QHBoxLayout(widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    const QFont font = TextStyles::font(TextStyle::headline);
    auto* text = wrappingLabel(title, font);
    const qreal points = font.pixelSize();
    row->addWidget(new SymbolView(symbol, points, QFont::Normal, Tone::windowText(),
                                  QSize(qRound(points * 1.4), 0)));
    row->addWidget(text, 1);
    return widget;
}

QScrollArea* scrollPage(QWidget* content, QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);
    // No background of its own: the page shows whatever lies behind it
    // (setWidget turns the content's filling on, so this comes after it).
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return scroll;
}

QPushButton* prominentButton(const QString& text, const QColor& tint, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFont(TextStyles::font(13, QFont::Medium));
    button->setAutoDefault(false);
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: white;"
                       " border: 2px solid transparent; border-radius: 6px; outline: none;"
                       " padding: 4px 12px; }"
                       "QPushButton:hover { background-color: %2; }"
                       "QPushButton:pressed { background-color: %3; }"
                       "QPushButton:focus { border-color: %4; }")
            .arg(tint.name(), tint.lighter(110).name(), tint.darker(120).name(),
                 QStringLiteral("white")));
    return button;
}

} // namespace PageParts
