#include "FilesTab.h"

#include "PageParts.h"
#include "Platform/ByteFormat.h"
#include "Platform/Palette.h"
#include "Platform/SymbolView.h"
#include "Platform/Symbols.h"
#include "Platform/TextStyles.h"
#include "TintedCard.h"
#include "dashboard/ShownStateFollower.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

constexpr int rowPadding = 8; // 4 of the row's own inset plus 4 of the inset list
constexpr int sidePadding = 10;
constexpr int iconBox = 20;
constexpr int gap = 8;

QFont nameFont() {
    return TextStyles::font(TextStyle::body);
}
QFont kindFont() {
    return TextStyles::font(TextStyle::caption2);
}
QFont sizeFont() {
    return TextStyles::font(TextStyle::body, false, FontDesign::monospaced);
}

// Draws one heaviest item: icon, name on one line (elided in the middle so the
// extension stays visible), its kind under it, and the size at the right edge.
class ItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        const int height = QFontMetrics(nameFont()).height() + 2 +
                           QFontMetrics(kindFont()).height() + 2 * rowPadding;
        return {iconBox + 2 * sidePadding, height};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::TextAntialiasing);
        const Palette::Appearance appearance = Palette::appearanceOf(option.palette);
        if (option.state & QStyle::State_HasFocus)
            drawFocus(painter, option);

        const QRect area = option.rect.adjusted(sidePadding, rowPadding, -sidePadding, -rowPadding);
        Symbols::draw(*painter, QRect(area.left(), area.top(), iconBox, area.height()),
                      index.data(FilesTab::symbolRole).toString(), Palette::accent(appearance),
                      nameFont().pixelSize());

        const QColor secondary = Palette::secondaryLabel(appearance);
        const QString size = index.data(FilesTab::sizeTextRole).toString();
        const QFontMetrics sizeMetrics(sizeFont());
        const int sizeWidth = sizeMetrics.horizontalAdvance(size);
        painter->setFont(sizeFont());
        painter->setPen(secondary);
        painter->drawText(area, Qt::AlignRight | Qt::AlignVCenter, size);

        const int textLeft = area.left() + iconBox + gap;
        const int textWidth = qMax(0, area.right() - sizeWidth - gap - textLeft);
        const QFontMetrics nameMetrics(nameFont());
        const QRect nameRect(textLeft, area.top(), textWidth, nameMetrics.height());
        painter->setFont(nameFont());
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(
            nameRect, Qt::AlignLeft | Qt::AlignVCenter,
            nameMetrics.elidedText(TextStyles::oneLine(index.data(Qt::DisplayRole).toString()),
                                   Qt::ElideMiddle, textWidth));
        painter->setFont(kindFont());
        painter->setPen(secondary);
        painter->drawText(QRect(textLeft, nameRect.bottom() + 1 + 2, textWidth,
                                QFontMetrics(kindFont()).height()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          index.data(FilesTab::kindRole).toString());
        painter->restore();
    }

private:
    static void drawFocus(QPainter* painter, const QStyleOptionViewItem& option) {
        QPainterPath path;
        path.addRoundedRect(QRectF(option.rect).adjusted(2, 1, -2, -1), 6, 6);
        painter->fillPath(path,
                          Palette::withOpacity(option.palette.color(QPalette::Highlight), 0.15));
    }
};

QListWidgetItem* makeItem(const LoadEngine::FileItem& item) {
    const QString kind = item.isDirectory ? FilesTab::tr("Folder") : FilesTab::tr("File");
    const QString size = formatBytes(item.size);
    auto* row = new QListWidgetItem(item.name);
    row->setFlags(Qt::ItemIsEnabled);
    row->setData(FilesTab::kindRole, kind);
    row->setData(FilesTab::sizeTextRole, size);
    row->setData(FilesTab::symbolRole,
                 item.isDirectory ? QStringLiteral("folder.fill") : QStringLiteral("doc.fill"));
    row->setData(Qt::AccessibleTextRole, item.name + ", " + kind + ", " + size);
    row->setToolTip(item.name);
    return row;
}

} // namespace

FilesTab::FilesTab(LoadEngine& engine, QWidget* parent)
    : QWidget(parent), m_engine(engine), m_pages(new QStackedWidget), m_list(new QListWidget),
      m_listPage(buildListPage()), m_emptyState(buildEmptyState()) {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(PageParts::pageInset, PageParts::pageInset, PageParts::pageInset,
                             PageParts::pageInset);
    page->setSpacing(16);
    page->addWidget(PageParts::pageHeader(
        tr("Heaviest Items"), tr("These are the biggest files and folders on your desktop. "
                                 "Removing the top items will have the biggest impact on your "
                                 "load.")));
    m_pages->addWidget(m_emptyState);
    m_pages->addWidget(m_listPage);
    page->addWidget(m_pages, 1);

    new ShownStateFollower(*this, m_engine, [this] { showItems(); });
    showItems();
}

QWidget* FilesTab::buildListPage() {
    auto* listPage = new QWidget;
    auto* column = new QVBoxLayout(listPage);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);

    m_list->setAccessibleName(tr("Heaviest Items"));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setUniformItemSizes(true);
    m_list->setItemDelegate(new ItemDelegate(m_list));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setStyleSheet(QStringLiteral(
        "QListWidget { background: palette(base); border-radius: 10px; padding: 6px; }"));
    column->addWidget(m_list, 1);

    auto* tip = PageParts::secondaryLabel(
        tr("Tip: Click an item in the file manager to locate it, then drag to trash or move to "
           "a folder."),
        TextStyles::font(TextStyle::caption));
    tip->setContentsMargins(4, 0, 4, 0);
    column->addWidget(tip);
    return listPage;
}

QWidget* FilesTab::buildEmptyState() {
    auto* card = new TintedCard(NamedColor::gray, nullptr, TintedCard::Outline::unframed);
    auto* column = new QVBoxLayout(card);
    column->setSpacing(12);
    column->addStretch(1);
    column->addWidget(new SymbolView(QStringLiteral("checkmark.circle.fill"), 48, QFont::Normal,
                                     Tone::named(NamedColor::green), QSize(56, 0)),
                      0, Qt::AlignHCenter);
    for (QLabel* label : {PageParts::wrappingLabel(tr("Your desktop is clean!"),
                                                   TextStyles::font(TextStyle::headline)),
                          PageParts::secondaryLabel(tr("No files found on your desktop."),
                                                    TextStyles::font(TextStyle::subheadline))}) {
        label->setAlignment(Qt::AlignHCenter);
        column->addWidget(label);
    }
    column->addStretch(1);
    return card;
}

void FilesTab::showItems() {
    m_list->clear();
    for (const LoadEngine::FileItem& item : m_engine.topItems())
        m_list->addItem(makeItem(item));
    m_pages->setCurrentWidget(m_list->count() ? m_listPage : m_emptyState);
}
