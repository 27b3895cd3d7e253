#include "CardFrame.h"

#include "Platform/ByteFormat.h"
#include "Platform/Palette.h"
#include "Platform/TextStyles.h"
#include "Platform/ToneLabel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {
constexpr int outerMargin = 14;
constexpr int innerMargin = 12;
constexpr int titleGap = 10;
constexpr qreal cornerRadius = 12;
constexpr qreal borderWidth = 0.5;
constexpr int rowSpacing = 8;
} // namespace

CardFrame::CardFrame(const QString& title, int listSpacing, QWidget* parent)
    : QWidget(parent), m_list(new QVBoxLayout) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(outerMargin + innerMargin, innerMargin, outerMargin + innerMargin,
                               innerMargin);
    column->setSpacing(titleGap);
    column->addWidget(new ToneLabel(
        title, TextStyles::tracked(TextStyles::font(8, QFont::Black, FontDesign::rounded), 1.5),
        Tone::windowText(0.25)));
    m_list->setContentsMargins(0, 0, 0, 0);
    m_list->setSpacing(listSpacing);
    column->addLayout(m_list);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CardFrame::addToList(QWidget* row) {
    m_list->addWidget(row);
    row->show();
}

void CardFrame::clearList() {
    while (QLayoutItem* item = m_list->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

QRectF CardFrame::cardRect() const {
    return QRectF(rect()).adjusted(outerMargin, 0, -outerMargin, 0);
}

void CardFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor text = palette().color(QPalette::WindowText);
    QPainterPath shape;
    shape.addRoundedRect(cardRect(), cornerRadius, cornerRadius);
    painter.fillPath(shape, Palette::withOpacity(text, 0.02));
    // The hairline border lies inside the card, as if stroked and then clipped.
    const qreal inset = borderWidth / 2;
    painter.setPen(QPen(Palette::withOpacity(text, 0.04), borderWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(cardRect().adjusted(inset, inset, -inset, -inset), cornerRadius - inset,
                            cornerRadius - inset);
}

QWidget* cardRow(QWidget* mark, const QString& name, qint64 bytes, qreal sizeOpacity,
                 Qt::TextElideMode elide) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    layout->addWidget(mark, 0, Qt::AlignVCenter);
    auto* label = new ToneLabel(name, TextStyles::font(11, QFont::Medium), Tone::windowText(0.8));
    label->setElideMode(elide);
    layout->addWidget(label, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    layout->addWidget(new ToneLabel(formatBytes(bytes),
                                    TextStyles::font(10, QFont::Normal, FontDesign::monospaced),
                                    Tone::windowText(sizeOpacity)),
                      0, Qt::AlignVCenter);
    return row;
}
