#include "CategoryCard.h"

#include "ColorDot.h"
#include "ToneLabel.h"
#include "shell/ByteFormat.h"
#include "shell/TextStyles.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

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
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(new ColorDot(6, Tone::named(category.color)), 0, Qt::AlignVCenter);
    layout->addWidget(
        new ToneLabel(category.name, TextStyles::font(11, QFont::Medium), Tone::windowText(0.8)), 0,
        Qt::AlignVCenter);
    layout->addStretch(1);
    layout->addWidget(new ToneLabel(formatBytes(category.bytes),
                                    TextStyles::font(10, QFont::Normal, FontDesign::monospaced),
                                    Tone::windowText(0.4)),
                      0, Qt::AlignVCenter);
    return row;
}

QWidget* makeBar(const LoadEngine::Category& category, qint64 total) {
    const double share = shareOf(category.bytes, total);
    auto* bar = new ShareBar(category.color, share);
    bar->setAccessibleName(
        QStringLiteral("%1 share: %2%").arg(category.name).arg(qRound(share * 100)));
    return bar;
}

} // namespace

CategoryCard::CategoryCard(QWidget* parent) : CardFrame(QStringLiteral("BREAKDOWN"), 8, parent) {}

void CategoryCard::setCategories(const QList<LoadEngine::Category>& categories, qint64 total) {
    clearList();
    for (const LoadEngine::Category& category :
         categories.first(qMin(categories.size(), maxRows))) {
        addToList(makeRow(category));
        addToList(makeBar(category, total));
    }
}
