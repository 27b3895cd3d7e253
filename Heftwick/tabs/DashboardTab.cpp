#include "DashboardTab.h"

#include "PageParts.h"
#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"
#include "StatusExplanationCard.h"
#include "dashboard/ActionButton.h"
#include "dashboard/CategoryCard.h"
#include "dashboard/HelpPopover.h"
#include "dashboard/LoadGauge.h"
#include "dashboard/RemedyNoteLine.h"
#include "dashboard/ShownStateFollower.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int gaugeHeight = 240;
constexpr int noteMaxWidth = 400;
// The help glyph's circle fills about 20/24 of its em box: this size draws it
// as large as a title 2 line.
constexpr int helpGlyphSize = 20;

QIcon helpIcon(const QColor& color) {
    QIcon icon;
    for (const qreal dpr : {1.0, 1.5, 2.0, 3.0})
        icon.addPixmap(
            Symbols::pixmap(QStringLiteral("info.circle.fill"), color, helpGlyphSize, dpr));
    return icon;
}

// A hairline around the help page, so the page stands apart from the window
// under it in a dark palette too (the popup window has no frame of its own).
class PopupEdge : public QWidget {
public:
    explicit PopupEdge(QWidget* popup) : QWidget(popup) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(popup->rect());
        raise();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QPen(Palette::withOpacity(palette().color(QPalette::WindowText), 0.2), 1));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
};

// One of the lines under the action tiles: a bold caption over a description.
QLayout* actionDescription(const QString& title, const QString& description) {
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    column->addWidget(PageParts::wrappingLabel(title, TextStyles::font(TextStyle::caption, true)));
    column->addWidget(
        PageParts::secondaryLabel(description, TextStyles::font(TextStyle::caption2)));
    column->addStretch(1);
    return column;
}

} // namespace

DashboardTab::DashboardTab(LoadEngine& engine, QWidget* parent)
    : QWidget(parent), m_engine(engine) {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(PageParts::pageInset, PageParts::pageInset, PageParts::pageInset,
                               PageParts::pageInset);
    column->setSpacing(24);
    column->addWidget(buildHeader());
    column->addWidget(buildGaugeBlock());
    column->addWidget(buildActionsBlock());
    column->addWidget(buildBreakdownBlock());
    m_explanation = new StatusExplanationCard(m_engine.status());
    column->addWidget(m_explanation);
    column->addStretch(1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(PageParts::scrollPage(content));

    new ShownStateFollower(*this, m_engine, [this] { showState(); });
    showState();
}

QWidget* DashboardTab::buildHeader() {
    m_helpButton = new QToolButton;
    m_helpButton->setCheckable(true);
    m_helpButton->setFocusPolicy(Qt::TabFocus);
    // A bare symbol: no bezel when hovered, pressed or open; a ring only
    // while the keyboard is on it.
    m_helpButton->setStyleSheet(QStringLiteral(
        "QToolButton { border: 1px solid transparent; border-radius: 4px; background: none; }"
        "QToolButton:focus { border-color: palette(highlight); }"));
    m_helpButton->setIcon(helpIcon(Palette::accent(Palette::appearanceOf(palette()))));
    m_helpButton->setIconSize(QSize(helpGlyphSize, helpGlyphSize));
    m_helpButton->setAccessibleName(tr("Help"));
    m_helpButton->setAccessibleDescription(tr("About Pilewatch"));
    m_helpButton->setToolTip(tr("Help"));
    connect(m_helpButton, &QToolButton::toggled, this, &DashboardTab::showHelp);
    return PageParts::pageHeader(tr("Pilewatch Monitor"),
                                 tr("Visualize your desktop clutter and clean it with one click"),
                                 m_helpButton);
}

QWidget* DashboardTab::buildGaugeBlock() {
    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    m_gauge = new LoadGauge;
    m_gauge->setFixedHeight(gaugeHeight);
    column->addWidget(m_gauge);
    QLabel* note = PageParts::secondaryLabel(
        tr("The gauge shows your Desktop's load against 10 GB. Green = clean, Red = cluttered."),
        TextStyles::font(TextStyle::caption));
    note->setAlignment(Qt::AlignHCenter);
    note->setMaximumWidth(noteMaxWidth);
    // Centred by stretches rather than by alignment, so the layout gives the
    // note the height its wrapped lines need at the width it really gets.
    auto* noteRow = new QHBoxLayout;
    noteRow->addStretch(1);
    noteRow->addWidget(note, 100);
    noteRow->addStretch(1);
    column->addLayout(noteRow);
    return block;
}

QWidget* DashboardTab::buildActionsBlock() {
    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);

    auto* tiles = new QHBoxLayout;
    tiles->setSpacing(12);
    m_note = new RemedyNoteLine(m_engine);
    m_note->setContentsMargins(4, 0, 4, 0);
    addRemedyTiles(tiles, m_engine, *m_note, palette(),
                   {tr("Clean Old"), tr("Archive"), tr("Rescan")});
    column->addLayout(tiles);

    auto* descriptions = new QHBoxLayout;
    descriptions->setContentsMargins(4, 0, 4, 0);
    descriptions->setSpacing(16);
    descriptions->addLayout(
        actionDescription(tr("Clean Old"), tr("Moves files older than 30 days to trash")));
    descriptions->addStretch(1);
    descriptions->addLayout(
        actionDescription(tr("Archive"), tr("Moves everything into a dated folder")));
    descriptions->addStretch(1);
    descriptions->addLayout(
        actionDescription(tr("Rescan"), tr("Recalculates size and updates gauge")));
    column->addLayout(descriptions);
    column->addWidget(m_note);
    return block;
}

QWidget* DashboardTab::buildBreakdownBlock() {
    m_breakdown = new QWidget;
    auto* column = new QVBoxLayout(m_breakdown);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(PageParts::wrappingLabel(tr("What's Taking Up Space?"),
                                               TextStyles::font(TextStyle::headline)));
    column->addWidget(
        PageParts::secondaryLabel(tr("Breakdown by file type. Hover over bars to see exact sizes."),
                                  TextStyles::font(TextStyle::caption)));
    m_categories = new CategoryCard;
    column->addWidget(m_categories);
    return m_breakdown;
}

void DashboardTab::showState() {
    m_gauge->setLoad(m_engine.loadPercent(), m_engine.status(), m_engine.totalBytes(),
                     m_engine.fileCount());
    m_categories->setCategories(m_engine.categoryBreakdown(), m_engine.totalBytes());
    m_breakdown->setVisible(!m_engine.categoryBreakdown().isEmpty());
    m_explanation->setStatus(m_engine.status());
}

void DashboardTab::showHelp(bool open) {
    if (!open) {
        if (m_help)
            m_help->close();
        return;
    }
    if (m_help)
        return;
    // A child of the tab, so leaving the tab takes the open page with it.
    m_help = new HelpPopover(this);
    m_help->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    m_help->setAttribute(Qt::WA_DeleteOnClose);
    m_help->installEventFilter(this);
    new PopupEdge(m_help);
    placeHelp();
    m_help->show();
}

void DashboardTab::placeHelp() {
    // Hangs from the middle of the button's bottom edge, kept on the button's screen.
    const QPoint anchor =
        m_helpButton->mapToGlobal(QPoint(m_helpButton->width() / 2, m_helpButton->height()));
    QRect frame(QPoint(anchor.x() - m_help->width() / 2, anchor.y()), m_help->size());
    if (const QScreen* screen = m_helpButton->screen()) {
        const QRect available = screen->availableGeometry();
        frame.moveLeft(qBound(available.left(), frame.left(), available.right() - frame.width()));
        frame.moveTop(qMin(frame.top(), available.bottom() - frame.height()));
    }
    m_help->move(frame.topLeft());
}

bool DashboardTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_help)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        // A click on the help button closes the page; it must not reach the
        // button afterwards and open it again.
        const auto* press = static_cast<QMouseEvent*>(event);
        const QRect button(m_helpButton->mapToGlobal(QPoint(0, 0)), m_helpButton->size());
        m_help->setAttribute(Qt::WA_NoMouseReplay,
                             button.contains(press->globalPosition().toPoint()));
    } else if (event->type() == QEvent::Hide) {
        m_helpButton->setChecked(false);
    }
    return false;
}

void DashboardTab::paintEvent(QPaintEvent*) {
    // Black at 20% over the window background.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(rect(), QColor(0, 0, 0, 51));
}
