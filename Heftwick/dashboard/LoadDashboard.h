#pragma once

#include "LoadEngine.h"

#include <QWidget>

class CategoryCard;
class LoadGauge;
class RemedyNoteLine;
class ToneLabel;
class TopFilesCard;

// The tray panel's content, 380 × 540 and always dark: a header with the
// status, the gauge, the three remedies and the two cards, redrawn from the
// engine once per published scan while it is shown, and on showing after
// publications it missed.
class LoadDashboard : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize panelSize{380, 540};

    explicit LoadDashboard(LoadEngine& engine, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildScrollArea();
    QWidget* buildActionRow();
    void refresh();

    LoadEngine& m_engine;
    QWidget* m_header = nullptr;
    QWidget* m_badge = nullptr;
    ToneLabel* m_statusIcon = nullptr;
    LoadGauge* m_gauge = nullptr;
    RemedyNoteLine* m_note = nullptr;
    CategoryCard* m_categories = nullptr;
    TopFilesCard* m_topFiles = nullptr;
};
