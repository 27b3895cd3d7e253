#pragma once

#include "engine/LoadEngine.h"

#include <QPointer>
#include <QWidget>

class CategoryCard;
class LoadGauge;
class QToolButton;
class RemedyNoteLine;
class StatusExplanationCard;

// The main window's first page: the gauge, the three one-click actions with a
// line on each, the breakdown by file type and an explanation of the current
// status, under a header whose help button opens the help page.
class DashboardTab : public QWidget {
    Q_OBJECT

public:
    explicit DashboardTab(LoadEngine& engine, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildGaugeBlock();
    QWidget* buildActionsBlock();
    QWidget* buildBreakdownBlock();
    void showState();
    void showHelp(bool open);
    void placeHelp();

    LoadEngine& m_engine;
    QToolButton* m_helpButton = nullptr;
    // The open help page. Held as a plain widget: the page's own destructor
    // still sends events through the tab's filter, when it is no longer a
    // HelpPopover.
    QPointer<QWidget> m_help;
    LoadGauge* m_gauge = nullptr;
    RemedyNoteLine* m_note = nullptr;
    QWidget* m_breakdown = nullptr;
    CategoryCard* m_categories = nullptr;
    StatusExplanationCard* m_explanation = nullptr;
};
