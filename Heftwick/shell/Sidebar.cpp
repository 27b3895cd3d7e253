#include "shell/Sidebar.h"

#include "Platform/Palette.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"

#include <QEvent>
#include <QItemSelectionModel>

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

// Holds exactly one destination row selected, whichever road a request takes:
// clicks and arrow keys, or assistive technology, which selects and deselects
// through the selection model without moving the current row (and clears the
// selection before it selects). A request that picks a row selects that row
// alone and makes it current, so the keyboard goes on from there; a request
// that would leave no row selected (clearing, deselecting, a section header)
// changes nothing.
class SingleRowSelection : public QItemSelectionModel {
public:
    using QItemSelectionModel::QItemSelectionModel;
    using QItemSelectionModel::select;

    void select(const QItemSelection& selection, SelectionFlags command) override {
        // indexes() leaves out what cannot be selected: the section headers.
        const QModelIndex row = selection.indexes().value(0);
        if (!(command & (Select | Toggle)) || !row.isValid())
            return;
        QItemSelectionModel::select(QItemSelection(row, row), ClearAndSelect);
        setCurrentIndex(row, NoUpdate);
    }
};

} // namespace

const QList<Sidebar::Destination>& Sidebar::destinations() {
    static const QList<Destination> list{
        {tr("Overview"), tr("Dashboard"), "gauge.with.dots.needle.67percent"},
        {tr("Overview"), tr("Files"), "doc.on.doc"},
        {tr("Actions"), tr("Cleanup"), "trash"},
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
    setAccessibleName(tr("Sidebar"));
    addRows();
    tintRows();
    QItemSelectionModel* previous = selectionModel();
    setSelectionModel(new SingleRowSelection(model(), this));
    delete previous;
    setSelectedTab(0);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Sidebar::followSelection);
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

// A section header is a disabled row that cannot be selected: the arrow keys
// step over it, and clicks on it or requests to select it select nothing.
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
    rowItem(index)->setSelected(true);
}

// Reports the newly selected row's index; the selection model keeps exactly
// one row selected.
void Sidebar::followSelection() {
    const int index = int(m_rows.indexOf(selectedItems().value(0)));
    if (index < 0 || index == m_selectedTab)
        return;
    m_selectedTab = index;
    emit selectedTabChanged(index);
}
