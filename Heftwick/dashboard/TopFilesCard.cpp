#include "TopFilesCard.h"

#include "ToneLabel.h"
#include "shell/ByteFormat.h"
#include "shell/Symbols.h"
#include "shell/TextStyles.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

ToneLabel* makeKindIcon(bool isDirectory) {
    auto* icon = new ToneLabel(
        Symbols::glyph(isDirectory ? QStringLiteral("folder.fill") : QStringLiteral("doc.fill")),
        Symbols::font(11), Tone::windowText(0.3));
    icon->setAccessibleName(isDirectory ? QStringLiteral("Folder") : QStringLiteral("File"));
    return icon;
}

QWidget* makeRow(const LoadEngine::FileItem& item) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(makeKindIcon(item.isDirectory), 0, Qt::AlignVCenter);
    auto* name =
        new ToneLabel(item.name, TextStyles::font(11, QFont::Medium), Tone::windowText(0.8));
    name->setElideMode(Qt::ElideRight);
    layout->addWidget(name, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    layout->addWidget(new ToneLabel(formatBytes(item.size),
                                    TextStyles::font(10, QFont::Normal, FontDesign::monospaced),
                                    Tone::windowText(0.35)),
                      0, Qt::AlignVCenter);
    return row;
}

} // namespace

TopFilesCard::TopFilesCard(QWidget* parent)
    : CardFrame(QStringLiteral("HEAVIEST ITEMS"), 6, parent) {}

void TopFilesCard::setItems(const QList<LoadEngine::FileItem>& items) {
    clearList();
    for (const LoadEngine::FileItem& item : items)
        addToList(makeRow(item));
}
