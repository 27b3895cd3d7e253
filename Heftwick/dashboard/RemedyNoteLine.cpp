#include "RemedyNoteLine.h"

#include "Platform/Palette.h"
#include "Platform/TextStyles.h"
#include "Platform/ToneLabel.h"
#include "dashboard/RemedyNotice.h"
#include "engine/LoadEngine.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

RemedyNoteLine::RemedyNoteLine(LoadEngine& engine, QWidget* parent)
    : QWidget(parent), m_engine(engine),
      m_text(new ToneLabel(QString(), TextStyles::font(TextStyle::caption), Tone::secondaryText())),
      m_actions(new QHBoxLayout) {
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(m_text);
    m_actions->setSpacing(8);
    m_actions->addStretch(1);
    column->addLayout(m_actions);
    m_linger.setSingleShot(true);
    m_linger.setInterval(lingerMs);
    connect(&m_linger, &QTimer::timeout, this, &RemedyNoteLine::clear);
    connect(&m_engine, &LoadEngine::remedyFinished, this, &RemedyNoteLine::remedyFinished);
    setVisible(false);
}

void RemedyNoteLine::run(const std::function<void()>& remedy) {
    // The engine reports the remedy while it runs: only this line's own
    // remedies are announced from here.
    const QScopedValueRollback running(m_running, true);
    remedy();
}

void RemedyNoteLine::remedyFinished(const RemedyOutcome& outcome) {
    if (!m_running)
        return;
    RemedyNotice::announce(
        m_engine, outcome,
        [line = QPointer<RemedyNoteLine>(this)](const RemedyReport& report,
                                                const QList<DesktopNotifier::Action>& actions) {
            if (line)
                line->showReport(report, actions);
        });
}

void RemedyNoteLine::showReport(const RemedyReport& report,
                                const QList<DesktopNotifier::Action>& actions) {
    clear();
    m_text->setText((QStringList{report.summary} + report.lines).join(u'\n'));
    for (const DesktopNotifier::Action& action : actions) {
        auto* button = new QPushButton(action.label);
        button->setAutoDefault(false);
        // A bare word, lined up with the text above; a ring while the
        // keyboard is on it.
        button->setStyleSheet(
            QStringLiteral("QPushButton { border: 1px solid transparent; border-radius: 4px;"
                           " padding: 1px 0px; background: none; color: %1; }"
                           "QPushButton:focus { border-color: %1; }")
                .arg(Palette::accent(Palette::appearanceOf(palette())).name()));
        button->setFont(TextStyles::font(TextStyle::caption, true));
        button->setCursor(Qt::PointingHandCursor);
        // Each action is offered once.
        connect(button, &QPushButton::clicked, this, [button, run = action.run] {
            button->hide();
            button->deleteLater();
            run();
        });
        m_actions->insertWidget(m_actions->count() - 1, button);
    }
    setVisible(true);
    m_linger.start();
}

void RemedyNoteLine::clear() {
    m_linger.stop();
    while (m_actions->count() > 1) {
        QLayoutItem* item = m_actions->takeAt(0);
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    m_text->clear();
    setVisible(false);
}
