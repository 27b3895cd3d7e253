#pragma once

#include "TintedCard.h"
#include "engine/LoadEngine.h"

class QLabel;
class SymbolView;

// Explains a load status in words, in a card tinted with the status colour.
class StatusExplanationCard : public TintedCard {
    Q_OBJECT

public:
    explicit StatusExplanationCard(LoadEngine::LoadStatus status, QWidget* parent = nullptr);

    void setStatus(LoadEngine::LoadStatus status);

private:
    SymbolView* m_icon;
    QLabel* m_statusLine;
    QLabel* m_explanation;
};
