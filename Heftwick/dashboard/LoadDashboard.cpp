#include "LoadDashboard.h"

#include "ActionButton.h"
#include "CategoryCard.h"
#include "LoadGauge.h"
#include "Platform/Divider.h"
#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"
#include "Platform/ToneLabel.h"
#include "RemedyNoteLine.h"
#include "ShownStateFollower.h"
#include "TopFilesCard.h"
#include "dashboard/EngineTexts.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int sideMargin = 14;
constexpr int gaugeHeight = 200;

// The round product badge: a circle shaded from the status colour to half of
// it, with the gauge symbol in white.
class HeaderBadge : public QWidget {
public:
    HeaderBadge(const LoadEngine& engine, QWidget* parent = nullptr)
        : QWidget(parent), m_engine(engine) {
        setFixedSize(28, 28);
        setAccessibleName(LoadDashboard::tr("Pilewatch"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        const QRectF circle(rect());
        QLinearGradient shade(circle.topLeft(), circle.bottomRight());
        const NamedColor status = m_engine.status().color();
        shade.setColorAt(0, Tone::resolve(status, palette()));
        shade.setColorAt(1, Tone::resolve(status, palette(), 0.5));
        painter.setPen(Qt::NoPen);
        painter.setBrush(shade);
        painter.drawEllipse(circle);
        Symbols::draw(painter, circle, QStringLiteral("gauge.with.dots.needle.67percent"),
                      Qt::white, 13, QFont::Bold);
    }

private:
    const LoadEngine& m_engine;
};

QWidget* titleBlock() {
    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(new ToneLabel(LoadDashboard::tr("Pilewatch"),
                                    TextStyles::font(14, QFont::Bold, FontDesign::rounded),
                                    Tone::windowText()));
    column->addWidget(new ToneLabel(LoadDashboard::tr("Pressure gauge for your files"),
                                    TextStyles::font(9), Tone::windowText(0.4)));
    return block;
}

} // namespace

LoadDashboard::LoadDashboard(LoadEngine& engine, QWidget* parent)
    : QWidget(parent), m_engine(engine) {
    setPalette(Palette::darkPanelPalette());
    // Fixed in width; on a screen too short for it the panel holding it grows
    // shorter, and the page below the header scrolls.
    setFixedWidth(panelSize.width());
    setMaximumHeight(panelSize.height());
    resize(panelSize);
    setAccessibleName(tr("Pilewatch"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addWidget(new Divider(0.3));
    column->addWidget(buildScrollArea(), 1);

    new ShownStateFollower(*this, m_engine, [this] { refresh(); });
    refresh();
}

QWidget* LoadDashboard::buildHeader() {
    m_header = new QWidget;
    m_header->setObjectName(QStringLiteral("header"));
    auto* row = new QHBoxLayout(m_header);
    row->setContentsMargins(sideMargin, 10, sideMargin, 10);
    row->setSpacing(10);
    m_badge = new HeaderBadge(m_engine);
    row->addWidget(m_badge, 0, Qt::AlignVCenter);
    row->addWidget(titleBlock(), 0, Qt::AlignVCenter);
    row->addStretch(1);
    m_statusIcon = new ToneLabel({}, Symbols::font(12, QFont::DemiBold), Tone::windowText());
    m_statusIcon->setObjectName(QStringLiteral("statusIcon"));
    row->addWidget(m_statusIcon, 0, Qt::AlignVCenter);
    return m_header;
}

QWidget* LoadDashboard::buildScrollArea() {
    auto* content = new QWidget;
    auto* page = new QVBoxLayout(content);
    page->setContentsMargins(0, 8, 0, 12);
    page->setSpacing(0);
    auto* column = new QVBoxLayout;
    column->setSpacing(16);
    page->addLayout(column);
    // Short content stays at the top of the scroll area.
    page->addStretch(1);

    m_gauge = new LoadGauge;
    m_gauge->setFixedHeight(gaugeHeight);
    column->addWidget(m_gauge);
    column->addWidget(buildActionRow());
    m_categories = new CategoryCard;
    column->addWidget(m_categories);
    m_topFiles = new TopFilesCard;
    column->addWidget(m_topFiles);

    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    // The panel's own background shows through the scrolled content.
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return scroll;
}

// The tiles, with the line that tells what a remedy did where no
// notification server does.
QWidget* LoadDashboard::buildActionRow() {
    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(sideMargin, 0, sideMargin, 0);
    column->setSpacing(8);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    m_note = new RemedyNoteLine(m_engine);
    addRemedyTiles(row, m_engine, *m_note, palette(),
                   {tr("Old Files"), tr("Archive All"), tr("Rescan")});
    column->addLayout(row);
    column->addWidget(m_note);
    return block;
}

void LoadDashboard::refresh() {
    const LoadEngine::LoadStatus status = m_engine.status();
    m_statusIcon->setText(Symbols::glyph(status.icon()));
    m_statusIcon->setColorRule(Tone::named(status.color()));
    m_statusIcon->setAccessibleName(tr("Status: %1").arg(EngineTexts::statusName(status)));
    m_badge->update();
    m_gauge->setLoad(m_engine.loadPercent(), status, m_engine.totalBytes(), m_engine.fileCount());
    m_categories->setCategories(m_engine.categoryBreakdown(), m_engine.totalBytes());
    m_categories->setVisible(!m_engine.categoryBreakdown().isEmpty());
    m_topFiles->setItems(m_engine.topItems());
    m_topFiles->setVisible(!m_engine.topItems().isEmpty());
    update();
}

void LoadDashboard::paintEvent(QPaintEvent*) {
    // The header is backed by a wash of the status colour.
    QPainter painter(this);
    painter.fillRect(m_header->geometry(),
                     Tone::resolve(m_engine.status().color(), palette(), 0.08));
}
