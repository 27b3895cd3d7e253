#pragma once

#include "engine/LoadEngine.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QMessageBox;
class QSlider;
class RemedyNoteLine;

// The two remedies with more control: old entries go to the Trash after an
// age threshold is chosen and confirmed; archiving runs at once. Also lists
// manual cleanup tips.
class CleanupTab : public QWidget {
    Q_OBJECT

public:
    explicit CleanupTab(LoadEngine& engine, QWidget* parent = nullptr);

    static constexpr int minimumDays = 7;
    static constexpr int maximumDays = 90;
    static constexpr int initialDays = 30;

private:
    QWidget* buildCleanupCard();
    QWidget* buildArchiveCard();
    QWidget* buildTipsCard();
    void showThreshold(int days);
    void confirmCleanup();

    LoadEngine& m_engine;
    RemedyNoteLine* m_note = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_threshold = nullptr;
    QPointer<QMessageBox> m_confirmation;
};
