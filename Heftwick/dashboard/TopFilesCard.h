#pragma once

#include "CardFrame.h"
#include "LoadEngine.h"

// The "HEAVIEST ITEMS" card: one row per item with its kind, name and size.
class TopFilesCard : public CardFrame {
    Q_OBJECT

public:
    explicit TopFilesCard(QWidget* parent = nullptr);
    void setItems(const QList<LoadEngine::FileItem>& items);
};
