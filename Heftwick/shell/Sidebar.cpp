#include "shell/Sidebar.h"

#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"

#include <QEvent>

namespace {

constexpr int rowHeight = 30;
constexpr int headerHeight = 28;
constexpr int margin = 8;

// The row's symbol in the accent colour, and in the highlighted-text colour
// while the row is selected so it stays visible on the selection.
QIcon rowIcon(const QString& name, const QPalette& palette) {
    QIcon icon = Symbols::icon(name, Palette::accent(Palette::appearanceOf(palette)));
    const QColor selectedColor = palette.color(QPalette::HighlightedText);
    for (const QSize& size : icon.availableSizes())
        icon.addPixmap(Symbols::pixmap(name, selectedColor, size.width(), 1.0), QIcon::Selected);
    return icon;
}

} // namespace

const QList<Sidebar::Destination>& Sidebar::destinations() {
    static const QList<Destination> list{
        {"Overview", "Dashboard", "gauge.with.dots.needle.67percent"},
        {"Overview", "Files", "doc.on.doc"},
        {"Actions", "Cleanup", "trash"},
    };
    return list;
}

Sidebar::Sidebar(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(SingleSelection);
    setFrameShape(NoFrame);
    setIconSize(QSize(18, 18));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setViewportMargins(margin, margin, margin, margin);
    setAccessibleName("Sidebar");
    addRows();
    tintRows();
    setSelectedTab(0);
    connect(this, &QListWidget::itemSelectionChanged, this, &Sidebar::followSelection);
}

void Sidebar::addRows() {
    QString section;
    for (const Destination& destination : destinations()) {
        if (destination.section != section) {
            section = destination.section;
            addHeader(section);
        }
        auto* row = new QListWidgetItem(destination.title, this);
        row->setSizeHint(QSize(0, rowHeight));
        m_rows.append(row);
    }
}

// A section header is a disabled row: the arrow keys step over it and clicks
// on it select nothing.
void Sidebar::addHeader(const QString& section) {
    auto* header = new QListWidgetItem(section, this);
    header->setFlags(Qt::NoItemFlags);
    header->setFont(TextStyles::font(TextStyle::caption, true));
    header->setTextAlignment(Qt::AlignLeft | Qt::AlignBottom);
    header->setSizeHint(QSize(0, headerHeight));
    m_headers.append(header);
}

void Sidebar::tintRows() {
    const QColor headerColor = Palette::secondaryLabel(Palette::appearanceOf(palette()));
    for (QListWidgetItem* header : std::as_const(m_headers))
        header->setForeground(headerColor);
    for (int i = 0; i < m_rows.size(); ++i)
        m_rows[i]->setIcon(rowIcon(destinations()[i].icon, palette()));
}

void Sidebar::changeEvent(QEvent* event) {
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        tintRows();
}

QListWidgetItem* Sidebar::rowItem(int index) const {
    return m_rows.value(index, m_rows.first());
}

void Sidebar::setSelectedTab(int index) {
    QListWidgetItem* row = rowItem(index);
    setCurrentItem(row);
    row->setSelected(true);
}

// Keeps exactly one row selected (a Ctrl-click cannot clear the selection)
// and reports the newly selected row's index.
void Sidebar::followSelection() {
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) {
        setSelectedTab(m_selectedTab);
        return;
    }
    const int index = int(m_rows.indexOf(selected.first()));
    if (index < 0 || index == m_selectedTab)
        return;
    m_selectedTab = index;
    emit selectedTabChanged(index);
}
