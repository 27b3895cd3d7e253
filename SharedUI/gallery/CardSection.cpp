#include "CardSection.h"

#include "Platform/Palette.h"
#include "Platform/TextStyles.h"
#include "SharedUI/ModernCardView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// A card's content: a title over a wrapping line, white on the dark background.
QWidget* cardContent(const QString& title, const QString& body) {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* titleLabel = new QLabel(title);
    titleLabel->setFont(TextStyles::font(TextStyle::headline));
    auto* bodyLabel = new QLabel(body);
    bodyLabel->setFont(TextStyles::font(TextStyle::subheadline));
    bodyLabel->setWordWrap(true);
    for (QLabel* label : {titleLabel, bodyLabel}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText,
                   label == titleLabel ? Palette::white() : Palette::white(0.7));
        label->setPalette(p);
        layout->addWidget(label);
    }
    layout->addStretch();
    return content;
}

} // namespace

// Two rows of badges: three, then two.
QWidget* statusBadgesSection() {
    using Status = StatusBadge::Status;
    auto* box = new QWidget;
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(8);
    const std::pair<Status, QString> all[] = {{Status::active, QStringLiteral("Active")},
                                              {Status::inactive, QStringLiteral("Inactive")},
                                              {Status::warning, QStringLiteral("Warning")},
                                              {Status::error, QStringLiteral("Error")},
                                              {Status::processing, QStringLiteral("Processing")}};
    auto* first = new QHBoxLayout;
    auto* second = new QHBoxLayout;
    int i = 0;
    for (const auto& [status, text] : all)
        (i++ < 3 ? first : second)->addWidget(new StatusBadge(status, text));
    for (QHBoxLayout* row : {first, second}) {
        row->setSpacing(8);
        row->addStretch();
        rows->addLayout(row);
    }
    return box;
}

QWidget* cardsSection() {
    auto* background = new MeshGradientBackground;
    auto* layout = new QHBoxLayout(background);
    layout->setContentsMargins(8, 24, 8, 24);
    layout->setSpacing(0);
    layout->addWidget(new ModernCardView(
        cardContent(QStringLiteral("With border"),
                    QStringLiteral("Translucent card with a 1-point outline."))));
    layout->addWidget(new ModernCardView(
        20, 20, 0.15, false, 10,
        cardContent(QStringLiteral("Without border"),
                    QStringLiteral("The same card with its outline turned off."))));
    return background;
}

QWidget* buttonsSection() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* clicks = new QLabel(QStringLiteral("Clicks: 0"));
    int count = 0;
    const auto counted = [clicks, count]() mutable {
        clicks->setText(QStringLiteral("Clicks: %1").arg(++count));
    };
    row->addWidget(
        new AnimatedButton(QStringLiteral("Start"), QStringLiteral("play.fill"), counted));
    row->addWidget(new AnimatedButton(QStringLiteral("Continue"), std::nullopt, counted));
    row->addWidget(clicks);
    row->addStretch();
    return box;
}
