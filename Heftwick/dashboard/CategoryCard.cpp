#include "CategoryCard.h"

#include "ColorDot.h"
#include "dashboard/EngineTexts.h"

#include <QPainter>

namespace {

constexpr int barHeight = 4;
constexpr qreal barRadius = 2;

// A category's share of the total; nothing when there is no total to share.
double shareOf(qint64 bytes, qint64 total) {
    return total >= 1 ? qBound(0.0, double(bytes) / double(total), 1.0) : 0.0;
}

// A full-width track with the category's share filled from the leading edge.
class ShareBar : public QWidget {
public:
    ShareBar(NamedColor color, double share, QWidget* parent = nullptr)
        : QWidget(parent), m_color(color), m_share(share) {
        setFixedHeight(barHeight);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Tone::windowText(0.05)(palette()));
        painter.drawRoundedRect(QRectF(rect()), barRadius, barRadius);
        if (m_share <= 0)
            return;
        QRectF fill(rect());
        fill.setWidth(fill.width() * m_share);
        if (layoutDirection() == Qt::RightToLeft)
            fill.moveRight(width());
        painter.setBrush(Tone::resolve(m_color, palette()));
        painter.drawRoundedRect(fill, barRadius, barRadius);
    }

private:
    NamedColor m_color;
    double m_share;
};

QWidget* makeRow(const LoadEngine::Category& category) {
    return cardRow(new ColorDot(6, Tone::named(category.color)),
                   EngineTexts::categoryName(category.name), category.bytes, 0.4);
}

QWidget* makeBar(const LoadEngine::Category& category, qint64 total) {
    const double share = shareOf(category.bytes, total);
    auto* bar = new ShareBar(category.color, share);
    bar->setAccessibleName(CategoryCard::tr("%1 share: %2%")
                               .arg(EngineTexts::categoryName(category.name))
                               .arg(qRound(share * 100)));
    return bar;
}

} // namespace

CategoryCard::CategoryCard(QWidget* parent) : CardFrame(tr("BREAKDOWN"), 8, parent) {}

void CategoryCard::setCategories(const QList<LoadEngine::Category>& categories, qint64 total) {
    clearList();
    for (const LoadEngine::Category& category :
         categories.first(qMin(categories.size(), maxRows))) {
        addToList(makeRow(category));
        addToList(makeBar(category, total));
    }
}
