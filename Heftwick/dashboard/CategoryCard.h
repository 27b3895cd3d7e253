#pragma once

#include "CardFrame.h"
#include "LoadEngine.h"

// The "BREAKDOWN" card: how the Desktop's bytes divide among file-type
// categories, one labelled proportional bar for each of the five largest.
class CategoryCard : public CardFrame {
    Q_OBJECT

public:
    static constexpr int maxRows = 5;

    explicit CategoryCard(QWidget* parent = nullptr);
    void setCategories(const QList<LoadEngine::Category>& categories, qint64 total);
};
