#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QPushButton;
class QScrollArea;
class QWidget;

// Building blocks shared by the main-window pages: wrapping labels, the page
// header, the vertically scrolling page and the tinted prominent buttons.
namespace PageParts {

// The inset of every main-window page.
constexpr int pageInset = 24;

// A plain-text label that wraps to as many lines as it needs.
QLabel* wrappingLabel(const QString& text, const QFont& font, QWidget* parent = nullptr);
// A wrapping label in the secondary label colour of its palette's appearance,
// resolved whenever it paints.
QLabel* secondaryLabel(const QString& text, const QFont& font, QWidget* parent = nullptr);

// The page heading: a bold title 2 over a wrapping subheadline in the secondary
// colour, inset 4 points left and right, with an optional control at the right.
QWidget* pageHeader(const QString& title, const QString& subtitle, QWidget* trailing = nullptr);
// A label with a symbol before a headline title.
QWidget* symbolTitle(const QString& symbol, const QString& title);

// A page that scrolls vertically when the area is shorter than content; content
// keeps the full width and wraps its texts to it.
QScrollArea* scrollPage(QWidget* content, QWidget* parent = nullptr);

// A filled button in the tint colour with white text, sized to its text.
QPushButton* prominentButton(const QString& text, const QColor& tint, QWidget* parent = nullptr);

} // namespace PageParts
