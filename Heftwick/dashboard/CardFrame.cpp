#include "CardFrame.h"

#include "ToneLabel.h"
#include "shell/Palette.h"
#include "shell/TextStyles.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {
constexpr int outerMargin = 14;
constexpr int innerMargin = 12;
constexpr int titleGap = 10;
constexpr qreal cornerRadius = 12;
constexpr qreal borderWidth = 0.5;
} // namespace

CardFrame::CardFrame(const QString& title, int listSpacing, QWidget* parent)
    : QWidget(parent),
      m_title(new ToneLabel(
          title, TextStyles::tracked(TextStyles::font(8, QFont::Black, FontDesign::rounded), 1.5),
          Tone::windowText(0.25))),
      m_list(new QVBoxLayout) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(outerMargin + innerMargin, innerMargin, outerMargin + innerMargin,
                               innerMargin);
    column->setSpacing(titleGap);
    column->addWidget(m_title);
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
