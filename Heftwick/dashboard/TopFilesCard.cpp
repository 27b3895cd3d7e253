#include "TopFilesCard.h"

#include "Platform/Symbols.h"
#include "Platform/ToneLabel.h"

namespace {

ToneLabel* makeKindIcon(bool isDirectory) {
    auto* icon = new ToneLabel(
        Symbols::glyph(isDirectory ? QStringLiteral("folder.fill") : QStringLiteral("doc.fill")),
        Symbols::font(11), Tone::windowText(0.3));
    icon->setAccessibleName(isDirectory ? TopFilesCard::tr("Folder") : TopFilesCard::tr("File"));
    return icon;
}

QWidget* makeRow(const LoadEngine::FileItem& item) {
    return cardRow(makeKindIcon(item.isDirectory), item.name, item.size, 0.35, Qt::ElideRight);
}

} // namespace

TopFilesCard::TopFilesCard(QWidget* parent) : CardFrame(tr("HEAVIEST ITEMS"), 6, parent) {}

void TopFilesCard::setItems(const QList<LoadEngine::FileItem>& items) {
    clearList();
    for (const LoadEngine::FileItem& item : items)
        addToList(makeRow(item));
}
