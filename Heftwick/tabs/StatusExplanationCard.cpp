#include "StatusExplanationCard.h"

#include "PageParts.h"
#include "Platform/SymbolView.h"
#include "Platform/TextStyles.h"
#include "dashboard/EngineTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QString explanation(LoadEngine::LoadStatus status) {
    switch (status) {
    case LoadEngine::LoadStatus::light:
        return StatusExplanationCard::tr("Your desktop is well-organized. Under 1 GB of files "
                                         "means minimal impact on startup and desktop search "
                                         "indexing. Keep it up!");
    case LoadEngine::LoadStatus::moderate:
        return StatusExplanationCard::tr("Your desktop has a moderate amount of files. Consider "
                                         "organizing into folders or archiving old items to keep "
                                         "your workspace efficient.");
    case LoadEngine::LoadStatus::heavy:
        return StatusExplanationCard::tr("Your desktop is significantly cluttered. Many files on "
                                         "the desktop slow down the file manager, increase backup "
                                         "times, and create visual distraction. Cleanup "
                                         "recommended.");
    case LoadEngine::LoadStatus::critical:
        return StatusExplanationCard::tr("Your desktop is heavily overloaded. This impacts file "
                                         "manager performance, desktop search, backups, and even "
                                         "system startup. Immediate cleanup strongly "
                                         "recommended.");
    }
    return {};
}

} // namespace

StatusExplanationCard::StatusExplanationCard(LoadEngine::LoadStatus status, QWidget* parent)
    : TintedCard(status.color(), parent),
      m_icon(new SymbolView(status.icon(), 24, QFont::Normal, Tone::named(status.color()),
                            QSize(36, 0))),
      m_statusLine(PageParts::wrappingLabel(QString(), TextStyles::font(13, QFont::Bold))),
      m_explanation(PageParts::secondaryLabel(QString(), TextStyles::font(12))) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);
    column->addWidget(PageParts::wrappingLabel(tr("What Does This Mean?"),
                                               TextStyles::font(TextStyle::headline)));

    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    row->addWidget(m_icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(m_statusLine);
    texts->addWidget(m_explanation);
    row->addLayout(texts, 1);
    column->addLayout(row);

    setStatus(status);
}

void StatusExplanationCard::setStatus(LoadEngine::LoadStatus status) {
    setTint(status.color());
    m_icon->setSymbol(status.icon(), Tone::named(status.color()));
    m_statusLine->setText(tr("Current Status: %1").arg(EngineTexts::statusName(status)));
    QPalette linePalette = m_statusLine->palette();
    linePalette.setColor(QPalette::WindowText, tint());
    m_statusLine->setPalette(linePalette);
    m_explanation->setText(explanation(status));
    setAccessibleName(m_statusLine->text());
    setAccessibleDescription(m_explanation->text());
}
